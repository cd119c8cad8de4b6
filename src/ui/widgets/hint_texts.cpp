#include "ui/widgets/hint_texts.h"

QString remoteSessionHint() {
    return QStringLiteral(
        "详情参看：\n官网 > 帮助 > 远程登录时,音频设置\n\n技术支持 / 官网：\n帮助栏里有联系方式 / "
        "网址");
}

QString limitFadeHint() {
    return QStringLiteral("播 n 秒  -  末尾 7 秒淡出；      \n播 n 首  -  没有淡出效果。      ");
}
