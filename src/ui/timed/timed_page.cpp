#include "ui/timed/timed_page.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>

#include "core/support/date_text.h"
#include "core/support/messages.h"
#include "core/timed/today_model.h"
#include "ui/timed/today_dialog.h"
#include "ui/timed/week_dialog.h"
#include "ui/widgets/artwork.h"
#include "ui/widgets/colour_delegate.h"
#include "ui/widgets/drag_hint.h"
#include "ui/widgets/hint_link.h"
#include "ui/widgets/hint_texts.h"

namespace {

const QString kTroubleshooting = QStringLiteral(
    "未按时播放，常见原因：\n~~~~~~~~~~~~~~~\n1. 打开软件时，已经过了该节目的播出时间\n2. "
    "播出时间是24小时制，是否设置错了时间\n3. 系统日期是否有误，到电脑右下角查看下\n4. "
    "检查节目的有效期（节目参数>日期范围）\n5. 检查节假日/调休设置（功能中心>节假日/调休）\n\n\n\n"
    "播放但没声音，常见原因：\n~~~~~~~~~~~~~~~~\n1. 系统音量设置的问题：\n    在电脑右下角 > "
    "右键点声音图标 > "
    "打开音量合成器\n2. 含多个音频输出设备：\n    选正确的音频设备：功能中心>设置栏>选音频设备\n3. "
    "安装了酷狗、酷我等：\n    请不要启用 HiFi 独占模式，或完全退出这两个软件\n4. "
    "连接的外部设备的问题，或音量太低（耳机/音箱等）\n5. 音乐文件本身的响度太低：\n    "
    "虽然很少见，但也遇到过，换一个音乐文件试试看\n6. "
    "立即播播出时，定时播会降低音量或静音（设置栏）\n\n\n\n"
    "技术支持 - 帮助栏里有联系方式");

QTreeView* makeList(QWidget* parent, const QString& name, QAbstractItemModel* model,
                    const QList<int>& widths, double scale, bool header,
                    QAbstractItemView::SelectionMode mode) {
    auto* list = new QTreeView(parent);
    list->setObjectName(name);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(mode);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHeaderHidden(!header);
    list->header()->setSectionsClickable(false);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
    for (int i = 0; i < widths.size(); ++i) {
        list->header()->resizeSection(i, static_cast<int>(widths[i] * scale));
    }
    return list;
}

// The last, the zones, only while zones exist (shown beside the name).
const QList<int> kProgrammeColumnWidths = {190, 85, 145, 105, 215, 50, 120, 285, 140};
// The content column gives way down to this share of its width, the zones to this.
constexpr double kNarrowestContent = 0.4;
constexpr double kNarrowestZones = 0.5;

}  // namespace

TimedPage::TimedPage(const Services& services, QWidget* parent) : QWidget(parent), s_(services) {
    const double scale = s_.paths.dpiScale;
    banner_ = new QLabel(this);
    banner_->setPixmap(
        bannerPixmap(QStringLiteral("定时播"), static_cast<int>(420 * scale), scale));
    banner_->adjustSize();
    programmesLabel_ = new QLabel(QStringLiteral("节目单:"), this);
    playingLabel_ = new QLabel(QStringLiteral("正在播:"), this);
    logLabel_ = new QLabel(QStringLiteral("日志:"), this);
    for (QLabel* label : {programmesLabel_, playingLabel_, logLabel_}) {
        label->adjustSize();
    }
    programmesLabel_->move(0, banner_->height() + static_cast<int>(6 * scale));
    addLink_ = makeHintLink(QStringLiteral("添加 …"),
                            QStringLiteral("添加节目 - 列表框中点鼠标右键"), this);
    stopLink_ = makeHintLink(QStringLiteral("终止 …"),
                             QStringLiteral("终止本次播放 - 列表框中点鼠标右键"), this);
    troubleLink_ =
        makeHintLink(QStringLiteral("未按时播放, 或播放但没声音?"), kTroubleshooting, this);
    moreLink_ = makeHintLink(QStringLiteral("更多 …"),
                             QStringLiteral("打开日志文件 - 列表框中点鼠标右键"), this);
    remoteLink_ = makeHintLink(QStringLiteral("远程登录时 - 应选\"在远程电脑上播放音频\"!"),
                               remoteSessionHint(), this, s_.paths, QStringLiteral("remote"));
    remoteLink_->setObjectName(QStringLiteral("remoteLink"));
    remoteLink_->hide();
    todayLink_ = new HyperLink(QStringLiteral("今天 …"), this);
    todayLink_->setObjectName(QStringLiteral("todayLink"));
    todayLink_->setToolTip(QStringLiteral("今天的节目：何时播、播了没有、有没有问题"));
    todayLink_->hide();
    connect(todayLink_, &HyperLink::clicked, this, &TimedPage::showToday);
    weekLink_ = new HyperLink(QStringLiteral("一周概览"), this);
    weekLink_->setObjectName(QStringLiteral("weekLink"));
    weekLink_->setToolTip(QStringLiteral("一周的节目画成一张图，可打印、导出 PDF"));
    weekLink_->setVisible(s_.calendar != nullptr && s_.clock != nullptr);
    connect(weekLink_, &HyperLink::clicked, this, &TimedPage::showWeek);
    for (HyperLink* link :
         {addLink_, stopLink_, troubleLink_, moreLink_, remoteLink_, todayLink_, weekLink_}) {
        link->adjustSize();
    }
    buildLists();
    buildMenus();
}

void TimedPage::buildLists() {
    const double scale = s_.paths.dpiScale;
    programmes_ =
        makeList(this, QStringLiteral("programmeList"), &s_.programmes, kProgrammeColumnWidths,
                 scale, true, QAbstractItemView::ExtendedSelection);
    nowPlaying_ = makeList(this, QStringLiteral("nowPlayingList"), &s_.runs.nowPlaying(),
                           {190, 160, 320}, scale, false, QAbstractItemView::ExtendedSelection);
    log_ = makeList(this, QStringLiteral("logList"), &s_.logRows, {190, 2000}, scale, false,
                    QAbstractItemView::SingleSelection);
    // Disabled programmes are drawn greyed.
    programmes_->setItemDelegate(new ColourDelegate(programmes_));
    for (QTreeView* list : {programmes_, nowPlaying_}) {
        DragHint::install(list);
    }
    placeZonesColumn();
    programmes_->installEventFilter(this);
    programmesViewport_ = programmes_->viewport();
    programmesViewport_->installEventFilter(this);
    connect(programmes_, &QTreeView::doubleClicked, this, [this] { modifyProgramme(); });
    // New runs show at the top, new log lines at the bottom.
    connect(&s_.runs.nowPlaying(), &QAbstractItemModel::rowsInserted, nowPlaying_,
            [this] { nowPlaying_->scrollToTop(); });
    connect(&s_.logRows, &QAbstractItemModel::rowsInserted, log_,
            [this] { log_->scrollToBottom(); });
    // A reload or sort starts the list afresh.
    connect(&s_.programmes, &QAbstractItemModel::modelReset, programmes_,
            [this] { programmes_->scrollToTop(); });
    // The zones column comes and goes with the zones.
    connect(&s_.programmes, &QAbstractItemModel::columnsInserted, this,
            &TimedPage::placeZonesColumn);
    connect(&s_.programmes, &QAbstractItemModel::columnsRemoved, this,
            &TimedPage::fitProgrammeColumns);
}

void TimedPage::buildMenus() {
    connect(programmes_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(QStringLiteral("定时播"), this);
        menu.addAction(QStringLiteral("添加节目..."), this, &TimedPage::addProgramme);
        menu.addAction(QStringLiteral("修改... \t 双击"), this, &TimedPage::modifyProgramme);
        menu.addAction(QStringLiteral("删除"), this, &TimedPage::deleteProgrammes);
        menu.addSeparator();
        menu.addAction(QStringLiteral("启用"), this, &TimedPage::enableProgrammes);
        menu.addAction(QStringLiteral("停用"), this, &TimedPage::disableProgrammes);
        menu.addSeparator();
        menu.addAction(QStringLiteral("上移 \t ↑"), this, &TimedPage::moveUp);
        menu.addAction(QStringLiteral("下移 \t ↓"), this, &TimedPage::moveDown);
        menu.addSeparator();
        QMenu* sort = menu.addMenu(QStringLiteral("排序"));
        sort->addAction(QStringLiteral("名称-正序"), this,
                        [this] { sortProgrammes(SortOrder::NameAscending); });
        sort->addAction(QStringLiteral("名称-反序"), this,
                        [this] { sortProgrammes(SortOrder::NameDescending); });
        sort->addAction(QStringLiteral("时间-正序"), this,
                        [this] { sortProgrammes(SortOrder::TimeAscending); });
        sort->addAction(QStringLiteral("时间-反序"), this,
                        [this] { sortProgrammes(SortOrder::TimeDescending); });
        menu.addSeparator();
        menu.addAction(QStringLiteral("立即播此节目... \t Enter"), this, &TimedPage::manualPlay);
        menu.exec(programmes_->viewport()->mapToGlobal(at));
    });
    connect(nowPlaying_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(QStringLiteral("正在播放"), this);
        menu.addAction(QStringLiteral("终止本次播放"), this, &TimedPage::stopSelectedRuns);
        menu.exec(nowPlaying_->viewport()->mapToGlobal(at));
    });
    connect(log_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(QStringLiteral("日志"), this);
        menu.addAction(QStringLiteral("打开日志文件"), this, &TimedPage::openLog);
        menu.addAction(QStringLiteral("在本程序中查看日志..."), this, &TimedPage::showLogViewer);
        menu.exec(log_->viewport()->mapToGlobal(at));
    });
}

void TimedPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int h = programmesLabel_->height();
    const int w = programmesLabel_->width();
    const int g = static_cast<int>(0.38 * h + 1);
    const int x = programmesLabel_->x();
    const int listWidth = qMax(0, width() - x);
    const int playingHeight = static_cast<int>(4.5 * h);
    const int logHeight = 6 * h;
    int y = programmesLabel_->y() + h + g;
    // What the lists below need; the programme list takes the rest, at least 8 rows' worth.
    const int below = 3 * g + h + g + playingHeight + 3 * g + h + g + logHeight;
    const int programmesHeight = qMax(8 * h, height() - y - below);
    programmes_->setGeometry(x, y, listWidth, programmesHeight);
    y += programmesHeight + 3 * g;
    playingLabel_->move(x, y);
    y += h + g;
    nowPlaying_->setGeometry(x, y, listWidth, playingHeight);
    y += playingHeight + 3 * g;
    logLabel_->move(x, y);
    y += h + g;
    log_->setGeometry(x, y, listWidth, logHeight);
    addLink_->move(x + w + g, programmesLabel_->y());
    todayLink_->move(addLink_->geometry().right() + 3 * g, programmesLabel_->y());
    weekLink_->move(todayLink_->geometry().right() + 3 * g, programmesLabel_->y());
    stopLink_->move(x + w + g, playingLabel_->y());
    moreLink_->move(x + w + g, logLabel_->y());
    // Never over the first links, whatever the font makes of the labels' widths.
    troubleLink_->move(qMax(x + 3 * w - 6 * g, stopLink_->geometry().right() + 2 * g),
                       playingLabel_->y());
    remoteLink_->move(qMax(x + 3 * w - 6 * g, moreLink_->geometry().right() + 2 * g),
                      logLabel_->y());
}

void TimedPage::placeZonesColumn() {
    // Where a programme sounds is read with its name, so the zones stand beside it.
    QHeaderView* header = programmes_->header();
    if (s_.programmes.hasZonesColumn()) {
        header->moveSection(header->visualIndex(ProgrammeListModel::Zones),
                            ProgrammeListModel::Name + 1);
    }
    fitProgrammeColumns();
}

void TimedPage::fitProgrammeColumns() {
    const double scale = s_.paths.dpiScale;
    QHeaderView* header = programmes_->header();
    const int content = ProgrammeListModel::Content;
    const int dates = ProgrammeListModel::DateRange;
    const int zones = ProgrammeListModel::Zones;
    const bool zoned = s_.programmes.hasZonesColumn();
    // The widest range text, in the list's font, with the cell's margins.
    const QString widest = formatDateHourRange({2026, 12, 28, 20, 2026, 12, 28, 24});
    const int datesNeed = programmes_->fontMetrics().horizontalAdvance(widest) + 16;
    const int fullDates = qMax(static_cast<int>(kProgrammeColumnWidths[dates] * scale), datesNeed);
    int others = 0;
    for (int i = 0; i < ProgrammeListModel::Zones; ++i) {
        if (i != content && i != dates) {
            others += static_cast<int>(kProgrammeColumnWidths[i] * scale);
        }
    }
    const int fullContent = static_cast<int>(kProgrammeColumnWidths[content] * scale);
    const int fullZones = zoned ? static_cast<int>(kProgrammeColumnWidths[zones] * scale) : 0;
    // The content column gives way first, then the zones (their tip names them all), then
    // the space after the date range's text.
    const int room = programmes_->viewport()->width() - others;
    const int contentWidth = qBound(static_cast<int>(fullContent * kNarrowestContent),
                                    room - fullZones - fullDates, fullContent);
    const int zonesWidth = zoned ? qBound(static_cast<int>(fullZones * kNarrowestZones),
                                          room - contentWidth - fullDates, fullZones)
                                 : 0;
    const int datesWidth = qBound(datesNeed, room - contentWidth - zonesWidth, fullDates);
    header->resizeSection(content, contentWidth);
    header->resizeSection(dates, datesWidth);
    if (zoned) {
        header->resizeSection(zones, zonesWidth);
    }
}

bool TimedPage::eventFilter(QObject* watched, QEvent* event) {
    // The viewport's size is known only once the list lays itself out (a hidden page's list
    // does so when it is first shown).
    if (event->type() == QEvent::Resize && watched == programmesViewport_) {
        fitProgrammeColumns();
    }
    if (watched == programmes_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Up:
                moveUp();
                return true;
            case Qt::Key_Down:
                moveDown();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (programmes_->selectionModel()->hasSelection()) {
                    manualPlay();
                }
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TimedPage::showRemoteSessionHint() {
    remoteLink_->show();
}

void TimedPage::setTodayModel(TodayModel* model) {
    todayModel_ = model;
    todayLink_->setVisible(model != nullptr);
}

void TimedPage::showToday() {
    if (todayModel_ == nullptr) {
        return;
    }
    if (today_ == nullptr) {
        today_ = new TodayDialog(*todayModel_, this);
        today_->setAttribute(Qt::WA_DeleteOnClose);
    }
    today_->show();
    today_->raise();
    today_->activateWindow();
}

TodayDialog* TimedPage::todayDialog() const {
    return today_;
}

void TimedPage::showWeek() {
    if (s_.calendar == nullptr || s_.clock == nullptr) {
        return;
    }
    if (week_ == nullptr) {
        week_ = new WeekDialog({s_.programmes, *s_.calendar, *s_.clock}, this);
        week_->setAttribute(Qt::WA_DeleteOnClose);
        // Today's starts are found anew on every change of the timetable and the holidays.
        if (todayModel_ != nullptr) {
            connect(todayModel_, &QAbstractItemModel::modelReset, week_, &WeekDialog::replanSoon);
        }
        connect(week_, &WeekDialog::programmeChosen, this, [this](int row) {
            selectRows({row});
            programmes_->scrollTo(s_.programmes.index(row, 0));
            modifyProgramme();
        });
    }
    week_->show();
    week_->raise();
    week_->activateWindow();
}

WeekDialog* TimedPage::weekDialog() const {
    return week_;
}
