#include "core/timed/run_texts.h"

#include "core/support/music_files.h"

namespace RunTexts {

namespace {

const QString kSep = QStringLiteral(" ◆ ");
const QString kHelpSite = QStringLiteral("技术支持/官网: 帮助栏里有联系方式/网址");

// "播放失败" for a file run, "音乐失败(跳过) ◆ <file>" for a track of a folder.
QString failureHead(const QString& label, const QString& file) {
    return file.isEmpty() ? label + kSep + QStringLiteral("播放失败")
                          : label + kSep + QStringLiteral("音乐失败(跳过)") + kSep + file;
}

}  // namespace

QString started(const QString& label) {
    return label + kSep + QStringLiteral("开始播放");
}

QString startedTrack(const QString& label, const QString& file) {
    return label + kSep + QStringLiteral("开始播放") + kSep + file;
}

QString switchedTrack(const QString& label, const QString& file) {
    return label + kSep + QStringLiteral("音乐切换") + kSep + file;
}

QString ended(const QString& label) {
    return label + kSep + QStringLiteral("播放结束");
}

QString pathProblem(const QString& label, const QString& problem, const QString& path) {
    return label + kSep + problem + kSep + path;
}

QString noMusic(const QString& label) {
    return label + kSep + QStringLiteral("找不到音乐文件") + kSep + QStringLiteral("支持 ") +
           kPlayableList + kSep + QStringLiteral("不支持 ") + kUnsupportedList;
}

QString allFailed(const QString& label) {
    return label + kSep + QStringLiteral("音乐全部失败或异常");
}

QString tooManyFailures(const QString& label) {
    return label + kSep + QStringLiteral("终止播放") + kSep +
           QStringLiteral("因:连续多个音乐失败或异常");
}

QString stopping(const QString& label, const QString& reason) {
    return label + kSep + QStringLiteral("终止播放...") + kSep + reason;
}

QString stopped(const QString& label, const QString& reason) {
    return label + kSep + QStringLiteral("终止播放") + kSep + reason;
}

QString clockWentBack(const QString& label, bool playing) {
    const QString reason = QStringLiteral("系统时间倒退");
    return playing ? stopping(label, reason) : stopped(label, reason);
}

QString queued(const QString& name) {
    return name + kSep + QStringLiteral("排队等候") + kSep + QStringLiteral("等正在播的播完") +
           kSep + QStringLiteral("参看:节目属性→准时播/可延迟");
}

QString preemptedBy(const QString& name) {
    return QStringLiteral("别的节目要播: ") + name + kSep +
           QStringLiteral("参看:节目属性→准时播/可延迟");
}

QString preemptedByHand(const QString& name) {
    return QStringLiteral("别的节目要播: ") + name + QStringLiteral("(手动)");
}

QString brokenEnvironment(const QString& label, const QString& file) {
    return failureHead(label, file) + kSep + QStringLiteral("系统环境有问题") + kSep +
           QStringLiteral("修复工具:官网>帮助>Directx修复") + kSep + kHelpSite;
}

QString invalidDevice(const QString& label, const QString& file) {
    return failureHead(label, file) + kSep + QStringLiteral("音频设备无效") + kSep +
           QStringLiteral(
               "常见原因: (1)找不到设备,电脑无声卡或被禁用了; (2)有多个设备,到设置栏另选音频设备; "
               "(3)远程登录时,应选\"在远程电脑上播放音频\" (参看:官网>帮助)") +
           kSep + kHelpSite;
}

QString formatAdvice(const QString& label, const QString& file, const QString& platformText) {
    return failureHead(label, file) + kSep + platformText + kSep +
           QStringLiteral(
               "播放失败常见原因: (1)文件格式的问题,重新转换下! "
               "(帮助栏>支持16种格式说明/格式转换工具) "
               "(伪装的,后缀名跟实际不符,尝试重新转换下) (多声道,可能播放失败,请转为双声道); "
               "(2)文件是否损坏; (3)是否缺少读权限") +
           kSep + QStringLiteral("技术支持:帮助栏里有联系方式");
}

QString missingModules(const QString& label, const QString& file) {
    return failureHead(label, file) + kSep + QStringLiteral("文件有缺失") + kSep +
           QStringLiteral("请从官网下载软件重装") + kSep + kHelpSite;
}

QString deviceFailed(const QString& label, const QString& file) {
    const QString head = file.isEmpty()
                             ? label + kSep + QStringLiteral("播放异常")
                             : label + kSep + QStringLiteral("音乐异常(跳过)") + kSep + file;
    return head + kSep + QStringLiteral("音频设备失效") + kSep +
           QStringLiteral(
               "常见原因: (1)设备被拔掉,音频设备被拔出或禁用; "
               "(2)远程登录时,应选\"在远程电脑上播放音频\" (参看:官网>帮助)") +
           kSep + kHelpSite;
}

QString playbackFailed(const QString& label, const QString& file, const QString& platformText) {
    const QString head = file.isEmpty()
                             ? label + kSep + QStringLiteral("播放异常")
                             : label + kSep + QStringLiteral("音乐异常(跳过)") + kSep + file;
    return head + kSep + platformText + kSep +
           QStringLiteral("如安装了酷狗/酷我,建议卸载掉,可用QQ音乐等代替") + kSep +
           QStringLiteral("技术支持:帮助栏里有联系方式");
}

QString passes(int done, int total) {
    return QStringLiteral("%1/%2遍").arg(done).arg(total);
}

QString tracks(int done, int total) {
    return QStringLiteral("%1/%2首").arg(done).arg(total);
}

}  // namespace RunTexts

namespace RunTexts {

RunTextKind kindOf(const QString& label, const QString& text, QString* reason) {
    const QString head = label + kSep;
    if (!text.startsWith(head)) {
        return RunTextKind::Other;
    }
    const QString rest = text.mid(head.size());
    if (reason != nullptr) {
        *reason = rest;
    }
    const auto startsWithField = [&](const QString& field) {
        return rest == field || rest.startsWith(field + kSep);
    };
    if (startsWithField(QStringLiteral("开始播放"))) {
        return RunTextKind::Started;
    }
    if (startsWithField(QStringLiteral("音乐切换"))) {
        return RunTextKind::Switched;
    }
    if (text == ended(label)) {
        return RunTextKind::Ended;
    }
    if (text == tooManyFailures(label)) {
        return RunTextKind::Failed;
    }
    if (startsWithField(QStringLiteral("终止播放...")) ||
        startsWithField(QStringLiteral("终止播放"))) {
        return RunTextKind::Stopped;
    }
    if (startsWithField(QStringLiteral("音乐失败(跳过)")) ||
        startsWithField(QStringLiteral("音乐异常(跳过)"))) {
        return RunTextKind::TrackFailed;
    }
    // Every other report about a run is one of its failures: a path problem, no music, a
    // player that would not start or stopped with an error.
    return RunTextKind::Failed;
}

bool isDeviceProblem(const QString& text) {
    return text.contains(kSep + QStringLiteral("音频设备失效") + kSep) ||
           text.contains(kSep + QStringLiteral("音频设备无效") + kSep);
}

}  // namespace RunTexts
