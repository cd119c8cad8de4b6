#include "ui/settings/chime_trial.h"

#include "audio/engine_checks.h"
#include "audio/test_chime.h"
#include "core/timed/programme.h"
#include "ui/widgets/message_box.h"

void playChimeOn(TestChime& chime, const QString& device, QWidget* parent) {
    QString text;
    const qint32 code = chime.play(device, newProgramme().volume, text);
    if (code != 0) {
        showMessage(
            MessageIcon::Warning,
            QStringLiteral("试听失败：\n%1").arg(text.isEmpty() ? audioErrorText(code) : text),
            parent);
    }
}
