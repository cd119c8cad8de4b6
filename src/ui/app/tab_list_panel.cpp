#include "ui/app/tab_list_panel.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "ui/widgets/artwork.h"

namespace {

constexpr int kMargin = 8;
constexpr int kListWidth = 150;
constexpr int kEntryHeight = 30;
constexpr int kEmergencyHeight = 48;

}  // namespace

const QStringList& TabListPanel::entries() {
    static const QStringList kEntries = {
        QStringLiteral(" 0.介 绍"),         QStringLiteral(" 1.定时播"),
        QStringLiteral(" 2.立即播"),        QStringLiteral(" 3.节假日~调休"),
        QStringLiteral(" 4.设置 (可多路)"), QStringLiteral(" 5.帮助~技术支持")};
    return kEntries;
}

TabListPanel::TabListPanel(double dpiScale, QWidget* parent) : QWidget(parent) {
    const int margin = static_cast<int>(kMargin * dpiScale);
    const int width = static_cast<int>(kListWidth * dpiScale);
    logo_ = new QLabel(this);
    logo_->setPixmap(logoPixmap(width, dpiScale));
    logo_->setGeometry(margin, margin, width, logo_->pixmap().height());
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("tabList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font = list_->font();
    font.setPointSizeF(font.pointSizeF() * 1.1);
    list_->setFont(font);
    for (const QString& entry : entries()) {
        auto* item = new QListWidgetItem(entry, list_);
        item->setSizeHint(QSize(width, kEntryHeight));
    }
    list_->setGeometry(margin, logo_->geometry().bottom() + 1 + margin, width,
                       6 * kEntryHeight + 4);
    emergency_ = new QPushButton(this);
    emergency_->setObjectName(QStringLiteral("emergencyButton"));
    emergency_->setFixedSize(width, static_cast<int>(kEmergencyHeight * dpiScale));
    QFont bold = emergency_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    emergency_->setFont(bold);
    showEmergency(false);
    setFixedWidth(width + 2 * margin);
    connect(list_, &QListWidget::currentRowChanged, this, &TabListPanel::currentChanged);
    connect(emergency_, &QPushButton::clicked, this, &TabListPanel::emergencyClicked);
}

void TabListPanel::showEmergency(bool sounding) {
    emergency_->setText(sounding ? QStringLiteral("停止紧急广播") : QStringLiteral("紧急广播"));
    // Red to be found at once; darker while it sounds, so the state shows from afar.
    emergency_->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: %1; border: 1px solid #700; "
                       "border-radius: 4px; }")
            .arg(sounding ? QStringLiteral("#8b0000") : QStringLiteral("#d40000")));
}

int TabListPanel::margin() const {
    return list_->x();
}

void TabListPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The list keeps its width and position and reaches down to the emergency button, which
    // sits on the bottom margin.
    const int buttonTop = qMax(list_->y(), height() - margin() - emergency_->height());
    emergency_->move(margin(), buttonTop);
    list_->resize(list_->width(), qMax(0, buttonTop - margin() - list_->y()));
}
