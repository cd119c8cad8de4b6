#include "ui/widgets/editor_hints.h"

namespace EditorHints {

QString sequential() {
    return QStringLiteral(
        "顺序播放时，通过给文件名加序号，可控制播放次序：\n\n01. 文件Y\n02. 文件X\n……\n11. "
        "文件B\n12. 文件Z\n\n"
        "( 技术支持 - 帮助栏里有联系方式 )");
}

QString random() {
    return QStringLiteral(
        "1. 随机不是平均：\n   不能保证每天不重复，昨天对今天无影响；\n   "
        "音乐的数量越多，每天重复的几率就越小。\n\n"
        "2. 隔天不重复：\n   将原音乐文件夹拆为两个，对应两个节目；\n   "
        "一三五播放A文件夹，二四六播放B文件夹。\n\n"
        "( 技术支持 - 帮助栏里有联系方式 )");
}

QString musicDownload(const QString& musicFolder) {
    return QStringLiteral(
               "1. 软件自带：\n   %1\n\n2. 官网下载：\n   官网 > 音乐素材\n   官网 > 音乐素材 > "
               "海量音乐下载\n\n"
               "( 官网 - 帮助栏里有网址 )")
        .arg(musicFolder);
}

QString pastStartTime() {
    return QStringLiteral(
        "过了开始时间：\n\n播 n 首  -  打开软件时，如果已经过了该节目的开始时间，则不播放；\n"
        "播 n 秒  -  打开软件时，只要还在该节目的播出时间段内，就会播放。");
}

QString endFade() {
    return QStringLiteral(
        "末尾淡出：\n\n播 n 秒  -  末尾 7 秒淡出；      \n播 n 首  -  没有淡出效果。      ");
}

QString outputDevice() {
    return QStringLiteral(
        "参看：\n功能中心 > 设置栏 > 选音频设备/多路分区\n\n( 针对 - 含多个音频输出设备/接口的电脑 "
        ")");
}

QString loudness() {
    return QStringLiteral(
        "播放 \"音乐文件夹\" 时， 如何统一各音乐文件的音量 "
        "?\n\n一般情况下，音乐音量有高有低，但在能接受的范围\n\n\n"
        "统一音乐文件本身的响度：\nMP3Gain，一款 MP3 文件音量调整、平衡软件\n( 官网 > 帮助 > "
        "MP3Gain下载 / MP3Gain教程 )\n\n\n"
        "技术支持 / 官网：\n帮助栏里有联系方式 / 网址");
}

QString interval() {
    return QStringLiteral(
        "播放 \"音乐文件夹\" 时， 如何控制音乐间隔 ?\n\n1. 例如：\n    某培训机构，每间隔 5 "
        "分钟，播放文件夹内的一个英语故事\n\n"
        "2. 原理：\n    对文件夹内的每个音乐，在其末尾插入一段无声的空白音频\n\n3. 工具和教程:\n"
        "    Audacity，是一款免费、开源、好用的音频处理软件\n    ( 官网 > 帮助 > Audacity下载 / "
        "批量追加空白教程 )\n\n\n"
        "技术支持 / 官网：\n帮助栏里有联系方式 / 网址");
}

QString conversion() {
    return QStringLiteral(
        "工具和教程，参看：\n官网 > 帮助 > 录音/音频处理/格式转换\n\n技术支持 / "
        "官网：\n帮助栏里有联系方式 / 网址");
}

QString formats() {
    return QStringLiteral(
        "1. 支持 16 种格式：\n    aac, ape, cda, flac, m1a, m2a, m4a, mp2, mp3,\n    mpa, ogg, "
        "tak, tta, wav, wma, wv\n\n\n"
        "2. 上述格式仍失败 ?!\n    伪装的  -  后缀名跟实际不符，尝试重新转换下\n    多声道  -  "
        "可能会播放失败，请转换为双声道\n\n\n"
        "3. 格式转换： 官网 > 帮助 > 格式转换工具\n\n\n技术支持 / 官网：\n帮助栏里有联系方式 / "
        "网址");
}

QString hardware() {
    return QStringLiteral(
        "详情参看：\n官网 > 帮助 > 广播硬件构成和连接\n\n技术支持 / 官网：\n帮助栏里有联系方式 / "
        "网址");
}

QString playNow() {
    return QStringLiteral("节目立即播放：\n功能中心 > 定时播 > 节目单 > 点右键 > 立即播此节目");
}

}  // namespace EditorHints
