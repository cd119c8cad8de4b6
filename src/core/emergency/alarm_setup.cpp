#include "core/emergency/alarm_setup.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "core/storage/folders.h"
#include "core/storage/whole_file.h"
#include "core/support/system_text.h"

namespace {

// One path: anything bigger is not ours.
constexpr qint64 kMaxEmergencyFileBytes = 64 * 1024;
const QString kAlarmKey = QStringLiteral("alarm");

QString fileProblem(const QString& path, const QString& what) {
    return QStringLiteral("紧急广播设置有错误，改用自带的警报声：\n%1\n\n%2").arg(path, what);
}

}  // namespace

bool loadEmergencySetup(const QString& dataFolder, EmergencySetup& setup, QString& message) {
    setup = EmergencySetup{};
    const QString path = dataFolder + u'/' + kEmergencyFileName;
    QByteArray content;
    QString unreadable;
    switch (readOptionalFile(path, kMaxEmergencyFileBytes, content, unreadable)) {
        case OptionalFile::Absent:
            return true;
        case OptionalFile::Unreadable:
            message = fileProblem(path, unreadable);
            return false;
        case OptionalFile::Read:
            break;
    }
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(content, &parse);
    const QJsonValue alarm = document.object().value(kAlarmKey);
    if (!document.isObject() || !(alarm.isString() || alarm.isUndefined())) {
        replaceWholeFile(path + QStringLiteral(".damaged"), content);
        message = fileProblem(path, parse.error != QJsonParseError::NoError
                                        ? parse.errorString()
                                        : QStringLiteral("\"alarm\" 应是文件路径"));
        return false;
    }
    setup.alarmFile = alarm.toString();
    return true;
}

bool saveEmergencySetup(const QString& dataFolder, const EmergencySetup& setup, QString& message) {
    ensureDataFolder(dataFolder);
    const QString path = dataFolder + u'/' + kEmergencyFileName;
    const QByteArray content =
        QJsonDocument(QJsonObject{{kAlarmKey, setup.alarmFile}}).toJson(QJsonDocument::Indented);
    const int error = replaceWholeFile(path, content);
    if (error != 0) {
        message = QStringLiteral("写文件失败：\n%1\n\n%2").arg(path, runtimeErrorText(error));
        return false;
    }
    return true;
}
