#include "ui/widgets/amplifier_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/help_page.h"
#include "ui/widgets/hyper_link.h"

AmplifierDialog::AmplifierDialog(const AppPaths& paths, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("定时开/关功放机的方法"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("定时开/关功放机的方法："), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    layout->addWidget(
        new QLabel(QStringLiteral("1. 为了省电, 例如, 每天放学后关闭功放, 早上再打开"), this));
    layout->addWidget(
        new QLabel(QStringLiteral("2. 功放一直开着也是可以的, 待机的时候耗电一般不大"), this));
    layout->addWidget(new QLabel(
        QStringLiteral("3. 推荐用智能定时插座控制功放的电源 (约20元, 至少16组定时)"), this));
    auto* support = new HyperLink(QStringLiteral("技术支持 - 帮助栏里有联系方式"), this);
    connect(support, &HyperLink::clicked, this,
            [this, paths] { openHelpPage(paths, QStringLiteral("amplifier"), this); });
    layout->addWidget(support);
    layout->addWidget(okCancelButtons(this, QStringLiteral("确定"), false));
}
