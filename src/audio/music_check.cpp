#include "audio/music_check.h"

#include <sys/stat.h>
#include <QFile>

#include "audio/duration_probe.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/support/music_files.h"

namespace {

// A folder run takes at most this many tracks; so does the check.
constexpr int kFolderCap = 300;
// A folder whose first few tracks all fail to open is taken as broken.
constexpr int kTracksTried = 3;

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool opensAsMusic(const QString& path) {
    return isRegularFile(path) && probeDurationMs(path) >= 0;
}

}  // namespace

QString musicPathProblem(const QString& path, bool folder) {
    QString message;
    if (!validateMusicPath(path, folder ? QStringLiteral("音乐文件夹") : QStringLiteral("音乐文件"),
                           folder, message)) {
        return message;
    }
    if (!folder) {
        if (!isRegularFile(path)) {
            return QStringLiteral("不是普通文件");
        }
        return opensAsMusic(path) ? QString() : QStringLiteral("无法播放 (文件格式有问题或已损坏)");
    }
    const QStringList tracks = listPlayableFiles(path, kFolderCap);
    if (tracks.isEmpty()) {
        return QStringLiteral("找不到音乐文件");
    }
    for (int i = 0; i < tracks.size() && i < kTracksTried; ++i) {
        if (opensAsMusic(tracks[i])) {
            return QString();
        }
    }
    return QStringLiteral("音乐全部失败或异常 (试了前 %1 个文件)")
        .arg(qMin(kTracksTried, static_cast<int>(tracks.size())));
}

QString outputDeviceProblem(const QString& deviceName) {
    if (deviceName.compare(kNullRendererName, Qt::CaseInsensitive) == 0) {
        return QString();
    }
    if (!initAudioEngine()) {
        return QStringLiteral("系统环境有问题");
    }
    if (isDefaultDeviceName(deviceName)) {
        return findRenderer(deviceName) ? QString()
                                        : QStringLiteral("音频设备无效 ◆ 找不到音频输出设备");
    }
    if (!listOutputDevices().contains(deviceName, Qt::CaseInsensitive)) {
        return QStringLiteral("音频设备无效 ◆ 找不到设置的音频输出设备: %1").arg(deviceName);
    }
    return QString();
}
