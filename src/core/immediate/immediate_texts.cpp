#include "core/immediate/immediate_texts.h"

#include "core/immediate/playlist.h"

namespace ImmediateTexts {

namespace {

const QString kBanner = QStringLiteral("- - - - -  立 即 播  - - - - -\n\n");
const QString kHelpAndSite = QStringLiteral("技术支持 / 官网：\n帮助栏里有联系方式 / 网址");
const QString kRemoteAdvice = QStringLiteral(
    "2. 远程登录时 - 应选 \"在远程电脑上播音频\"\n   ( 详情参看: 官网 > 帮助 > 远程桌面登录 )\n");

}  // namespace

QString pathProblem(const QString& problem, const QString& path) {
    return kBanner + QStringLiteral("%1：\n%2").arg(problem, path);
}

QString brokenEnvironment() {
    return kBanner +
           QStringLiteral(
               "播放失败 - 系统环境有问题\n\n\n修复工具：\n官网 > 帮助 > Directx 修复\n\n") +
           kHelpAndSite;
}

QString invalidDevice() {
    return kBanner +
           QStringLiteral(
               "播放失败 - 音频设备无效\n\n\n常见原因：\n1. 找不到设备 - "
               "电脑无声卡或声卡被禁用了\n") +
           kRemoteAdvice + QStringLiteral("3. 有多个设备 - 到设置栏里选其它音频设备\n\n\n") +
           kHelpAndSite;
}

QString missingModules() {
    return kBanner +
           QStringLiteral("播放失败 - 文件有缺失\n\n\n解决方法：\n请从官网下载软件重装\n\n") +
           kHelpAndSite;
}

QString playFailed(const QString& path, const QString& errorText) {
    return kBanner +
           QStringLiteral(
               "播放失败：\n%1\n%2\n\n\n播放失败常见原因：\n1. 文件格式的问题 （重新转换下）\n    "
               "(1) 帮助栏  >  格式支持说明(16种) / 格式转换工具\n    (2) 伪装的  -  "
               "后缀名跟实际不符，尝试重新转换下\n    (3) 多声道  -  "
               "可能会播放失败，请转换为双声道\n2. 文件是否已损坏\n3. 是否缺少读权限\n\n\n"
               "技术支持 - 帮助栏里有联系方式")
               .arg(path, errorText);
}

QString deviceFailed() {
    return kBanner +
           QStringLiteral(
               "播放异常 - 音频设备失效\n\n\n常见原因：\n1. 设备被拔掉 - "
               "音频设备被用户拔出或禁用\n") +
           kRemoteAdvice + QStringLiteral("\n\n") + kHelpAndSite;
}

QString playbackFailed(const QString& path, const QString& errorText) {
    return kBanner + QStringLiteral(
                         "播放异常：\n%1\n\n%2\n\n\n如果安装了酷狗/酷我, 建议卸载掉\n(如果需要, "
                         "可以用QQ音乐等代替)\n\n技术支持 - 帮助栏里有联系方式")
                         .arg(path, errorText);
}

QString clockWentBack() {
    return kBanner + QStringLiteral("播放异常 - 系统时间倒退");
}

QString tooManyTracks() {
    return QStringLiteral("最多添加 %1 首歌").arg(kPlaylistCapacity);
}

QString held(const QString& reason) {
    return kBanner + reason + QStringLiteral(", 立即播暂停使用");
}

QString waiting(int counter) {
    return counter > 6 ? QStringLiteral("即将播放 ...") : QStringLiteral("即将播放");
}

QString tracks(int started, int limit) {
    return limit > 0 ? QStringLiteral("第 %1/%2 首").arg(started).arg(limit)
                     : QStringLiteral("第 %1 首").arg(started);
}

QString seconds(qint64 elapsed, int limit) {
    return limit > 0 ? QStringLiteral("%1 / %2秒").arg(qMin<qint64>(elapsed, limit)).arg(limit)
                     : QStringLiteral("%1秒").arg(elapsed);
}

}  // namespace ImmediateTexts
