#include "core/immediate/immediate_store.h"

#include "core/immediate/immediate_file.h"
#include "core/support/log_categories.h"
#include "core/support/messages.h"

ImmediateStore::ImmediateStore(const QString& dataFolder, const QString& musicFolder,
                               QObject* parent)
    : QObject(parent), dataFolder_(dataFolder), musicFolder_(musicFolder) {}

bool ImmediateStore::load(QString& message) {
    const bool ok = loadImmediateSettings(dataFolder_, musicFolder_, settings_, message);
    settleCurrentEntry(settings_.playlist);
    return ok;
}

bool ImmediateStore::save(bool showErrors) {
    QString message;
    const bool ok = saveImmediateSettings(dataFolder_, settings_, message);
    if (!ok) {
        qCWarning(lcImmediate) << "save failed:" << message;
        if (showErrors) {
            showMessage(MessageIcon::Error, message, owner_);
        }
    }
    emit saved(ok);
    return ok;
}
