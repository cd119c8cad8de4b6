#include "ui/app/tab_list_panel.h"

#include <QLabel>
#include <QListWidget>

#include "ui/widgets/artwork.h"

namespace {

constexpr int kMargin = 8;
constexpr int kListWidth = 150;
constexpr int kEntryHeight = 30;

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
    setFixedWidth(width + 2 * margin);
    connect(list_, &QListWidget::currentRowChanged, this, &TabListPanel::currentChanged);
}

int TabListPanel::margin() const {
    return list_->x();
}

void TabListPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The list keeps its width and position and reaches down to the bottom margin.
    list_->resize(list_->width(), qMax(0, height() - list_->y() - margin()));
}
