#include "ui/widgets/hint_texts.h"

QString remoteSessionHint() {
    return QStringLiteral(
        "详情参看：\n官网 > 帮助 > 远程登录时,音频设置\n\n技术支持 / 官网：\n帮助栏里有联系方式 / "
        "网址");
}
