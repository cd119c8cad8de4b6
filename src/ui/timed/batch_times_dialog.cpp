#include "ui/timed/batch_times_dialog.h"

#include <QDialogButtonBox>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <cmath>
#include "ui/widgets/dialog_buttons.h"

#include "core/support/field_checks.h"
#include "core/support/messages.h"

namespace {

ClockTime clockTimeOf(const QTime& t) {
    return ClockTime{t.hour(), t.minute(), t.second()};
}

QTimeEdit* makeClockEdit(QWidget* parent, const QString& name) {
    auto* edit = new QTimeEdit(QTime::currentTime(), parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return edit;
}

}  // namespace

QList<ClockTime> batchStartTimes(const ClockTime& from, const ClockTime& to, int stepSeconds) {
    QList<ClockTime> times;
    if (stepSeconds <= 0) {
        return times;
    }
    for (int s = secondsOfDay(from); s <= secondsOfDay(to); s += stepSeconds) {
        times.append(ClockTime{s / 3600, s / 60 % 60, s % 60});
    }
    return times;
}

BatchTimesDialog::BatchTimesDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("批量生成 开始时间"));
    auto* layout = new QGridLayout(this);
    from_ = makeClockEdit(this, QStringLiteral("fromTime"));
    to_ = makeClockEdit(this, QStringLiteral("toTime"));
    interval_ = new QLineEdit(this);
    interval_->setObjectName(QStringLiteral("intervalEdit"));
    layout->addWidget(new QLabel(QStringLiteral("从"), this), 0, 0);
    layout->addWidget(from_, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("到"), this), 1, 0);
    layout->addWidget(to_, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("每"), this), 2, 0);
    layout->addWidget(interval_, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("分钟 (最小0.2)\n生成一个开始时间"), this), 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("限: 小数位≤2位"), this), 3, 1);
    QDialogButtonBox* buttons = okCancelButtons(this, QStringLiteral("生成"));
    layout->addWidget(buttons, 4, 0, 1, 3);
}

void BatchTimesDialog::accept() {
    const ClockTime from = clockTimeOf(from_->time());
    const ClockTime to = clockTimeOf(to_->time());
    if (secondsOfDay(from) > secondsOfDay(to)) {
        showMessage(MessageIcon::Warning, QStringLiteral("时间范围无效"), this);
        return;
    }
    const std::optional<double> minutes = checkDecimalField(interval_->text(), {2, 0.2, 1440.0});
    if (!minutes) {
        showMessage(MessageIcon::Warning, QStringLiteral("时间间隔无效"), this);
        interval_->setFocus();
        interval_->selectAll();
        return;
    }
    // At most two decimals: counted in hundredths of a minute, 0.3 minutes is 18 s exactly.
    const qint64 hundredths = std::llround(*minutes * 100.0);
    times_ = batchStartTimes(from, to, static_cast<int>(hundredths * 60 / 100));
    QDialog::accept();
}
