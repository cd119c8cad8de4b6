#include "ui/holidays/holidays_page.h"

#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/holidays/adjusted_day_list_model.h"
#include "core/holidays/holiday_list_model.h"
#include "ui/widgets/drag_hint.h"
#include "ui/widgets/hint_link.h"

namespace {

const QString kMoreHint = QStringLiteral("更多操作 - 列表框中点鼠标右键");
const QString kExample = QStringLiteral(
    "举例： 2018年劳动节, 4月29-5月1(周7-周2), 4月28(周6)上班, 4月28(周6)按4月30(周1)来播");

}  // namespace

HolidaysPage::HolidaysPage(HolidayCalendar& calendar, const AppPaths& paths, QWidget* parent)
    : QWidget(parent),
      calendar_(calendar),
      paths_(paths),
      holidayModel_(new HolidayListModel(calendar, this)),
      adjustedDayModel_(new AdjustedDayListModel(calendar, this)) {
    holidays_.view = makeView(QStringLiteral("holidayList"), holidayModel_);
    holidays_.model = holidayModel_;
    holidays_.widthPercents = {25, 11, 29, 29};
    holidays_.texts = {
        QStringLiteral("最多 %1 个节假日").arg(kMaxHolidays),
        QStringLiteral("修改 - 请先选中节假日"), QStringLiteral("删除 - 请先选中节假日"),
        QStringLiteral("启用 - 请先选中节假日"), QStringLiteral("停用 - 请先选中节假日")};
    holidays_.edit = [this](int index) { return editHoliday(index); };
    adjustedDays_.view = makeView(QStringLiteral("adjustedDayList"), adjustedDayModel_);
    adjustedDays_.model = adjustedDayModel_;
    adjustedDays_.widthPercents = {28, 28, 11, 27};
    adjustedDays_.texts = {
        QStringLiteral("最多 %1 个调休").arg(kMaxAdjustedDays),
        QStringLiteral("请先选中要修改的项"), QStringLiteral("请先选中要删除的项"),
        QStringLiteral("请先选中要启用的项"), QStringLiteral("请先选中要停用的项")};
    adjustedDays_.edit = [this](int index) { return editAdjustedDay(index); };
    connect(holidays_.view, &QTreeView::doubleClicked, this, [this] { modifyHoliday(); });
    connect(adjustedDays_.view, &QTreeView::doubleClicked, this, [this] { modifyAdjustedDay(); });
    buildMenus();

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("节假日不播放, 针对学校等"), this), 0, 0);
    layout->addWidget(holidays_.view, 1, 0);
    layout->addWidget(makeButtons(
                          QStringLiteral("Holiday"), [this] { addHoliday(); },
                          [this] { modifyHoliday(); }, [this] { deleteHolidays(); }),
                      1, 1);
    layout->addWidget(new QLabel(QStringLiteral("调休, a日期按b日期来播"), this), 2, 0);
    layout->addWidget(adjustedDays_.view, 3, 0);
    layout->addWidget(makeButtons(
                          QStringLiteral("AdjustedDay"), [this] { addAdjustedDay(); },
                          [this] { modifyAdjustedDay(); }, [this] { deleteAdjustedDays(); }),
                      3, 1);
    auto* example = new QLabel(kExample, this);
    example->setObjectName(QStringLiteral("example"));
    example->setWordWrap(true);
    layout->addWidget(example, 4, 0);
    auto* calendarImport = new QPushButton(QStringLiteral("从日历文件导入…"), this);
    calendarImport->setObjectName(QStringLiteral("calendarImportButton"));
    calendarImport->setAutoDefault(false);
    connect(calendarImport, &QPushButton::clicked, this, &HolidaysPage::importCalendar);
    layout->addWidget(calendarImport, 4, 1);
    layout->setRowStretch(1, 3);
    layout->setRowStretch(3, 2);
    layout->setColumnStretch(0, 1);
    layout->setContentsMargins(0, 0, 0, 0);
}

QTreeView* HolidaysPage::makeView(const QString& name, CalendarListModel* model) {
    auto* view = new QTreeView(this);
    view->setObjectName(name);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setAllColumnsShowFocus(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->header()->setSectionsClickable(false);
    view->header()->setSectionsMovable(false);
    view->header()->setStretchLastSection(false);
    view->viewport()->installEventFilter(this);
    DragHint::install(view);
    return view;
}

QWidget* HolidaysPage::makeButtons(const QString& name, const std::function<void()>& add,
                                   const std::function<void()>& modify,
                                   const std::function<void()>& remove) {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    const QList<std::pair<QString, std::function<void()>>> buttons = {
        {QStringLiteral("添加"), add},
        {QStringLiteral("修改"), modify},
        {QStringLiteral("删除"), remove}};
    const QStringList names = {QStringLiteral("add"), QStringLiteral("modify"),
                               QStringLiteral("delete")};
    for (int i = 0; i < buttons.size(); ++i) {
        auto* button = new QPushButton(buttons[i].first, column);
        button->setObjectName(names[i] + name + QStringLiteral("Button"));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, buttons[i].second);
        layout->addWidget(button);
    }
    HyperLink* more = makeHintLink(QStringLiteral("更多操作"), kMoreHint, this);
    more->setObjectName(QStringLiteral("more") + name + QStringLiteral("Link"));
    layout->addWidget(more);
    layout->addStretch(1);
    return column;
}

void HolidaysPage::buildMenus() {
    holidays_.menu = new QMenu(QStringLiteral("节假日"), this);
    holidays_.menu->addAction(QStringLiteral("启用"), this, &HolidaysPage::enableHolidays);
    holidays_.menu->addAction(QStringLiteral("停用"), this, &HolidaysPage::disableHolidays);
    holidays_.menu->addSeparator();
    holidays_.menu->addAction(QStringLiteral("按名称排序"), this,
                              &HolidaysPage::sortHolidaysByName);
    holidays_.menu->addAction(QStringLiteral("按日期排序"), this,
                              &HolidaysPage::sortHolidaysByStart);
    adjustedDays_.menu = new QMenu(QStringLiteral("调休"), this);
    adjustedDays_.menu->addAction(QStringLiteral("启用"), this, &HolidaysPage::enableAdjustedDays);
    adjustedDays_.menu->addAction(QStringLiteral("停用"), this, &HolidaysPage::disableAdjustedDays);
    adjustedDays_.menu->addSeparator();
    adjustedDays_.menu->addAction(QStringLiteral("按a日期排序"), this,
                                  &HolidaysPage::sortAdjustedDaysByDateA);
    for (const CalendarList* list : {&holidays_, &adjustedDays_}) {
        connect(list->view, &QWidget::customContextMenuRequested, this, [list](const QPoint& at) {
            list->menu->exec(list->view->viewport()->mapToGlobal(at));
        });
    }
}

bool HolidaysPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        for (const CalendarList* list : {&holidays_, &adjustedDays_}) {
            if (watched == list->view->viewport()) {
                fitColumns(*list);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HolidaysPage::fitColumns(const CalendarList& list) {
    // Each column keeps its share of the list's client width.
    const int width = list.view->viewport()->width();
    for (int column = 0; column < list.widthPercents.size(); ++column) {
        list.view->setColumnWidth(column, width * list.widthPercents[column] / 100);
    }
}

void HolidaysPage::refill() {
    for (const CalendarList* list : {&holidays_, &adjustedDays_}) {
        list->model->reload();
        list->view->clearSelection();
        list->view->scrollToTop();
    }
}
