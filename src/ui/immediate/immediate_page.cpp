#include "ui/immediate/immediate_page.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "core/timed/tick_timer.h"
#include "ui/widgets/artwork.h"
#include "ui/widgets/drag_hint.h"
#include "ui/widgets/editor_hints.h"
#include "ui/widgets/help_page.h"
#include "ui/widgets/hint_link.h"
#include "ui/widgets/hint_texts.h"

namespace {

const QString kSilentHint = QStringLiteral(
    "正在播放但没声音，常见原因：\n\n1. 系统音量设置的问题：\n    在电脑右下角 > 右键点声音图标 > "
    "打开音量合成器\n\n2. 含多个音频输出设备：\n    "
    "选正确的音频设备：功能中心>设置栏>选音频设备\n\n"
    "3. 安装了酷狗、酷我等：\n    请不要启用 HiFi 独占模式，或完全退出这两个软件\n\n4. "
    "连接的外部设备的问题，或音量太低（耳机/音箱等）\n\n5. 音乐文件本身的响度太低：\n    "
    "虽然很少见，但也遇到过，换一个音乐文件试试看\n\n\n技术支持 - 帮助栏里有联系方式");

QString downloadHint(const QString& musicFolder) {
    return QStringLiteral(
               "1. 官网下载：\n   官网 > 音乐素材\n   官网 > 音乐素材 > 海量音乐下载\n\n2. "
               "软件自带：\n   %1\n\n( 官网 - 帮助栏里有网址 )")
        .arg(musicFolder);
}

// The current track's row has its own background.
class CurrentRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(PlaylistModel::kCurrentRole).toBool()) {
            option->backgroundBrush = QColor(230, 255, 210);
        }
    }
};

QPushButton* button(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

ImmediatePage::ImmediatePage(const Services& services, QWidget* parent)
    : QWidget(parent), s_(services), ticks_(new TickTimer(this)) {
    setAcceptDrops(true);
    buildControls();
    buildLinks();
    buildMenu();
    connectPlayer();
    s_.store.setMessageOwner(this);
    s_.player.setMessageOwner(this);
    connect(ticks_, &TickTimer::tick, &s_.player, &ImmediatePlayer::immediateTick);
    ticks_->start();
}

ImmediatePage::~ImmediatePage() {
    s_.store.setMessageOwner(nullptr);
    s_.player.setMessageOwner(nullptr);
}

void ImmediatePage::buildControls() {
    const double scale = s_.paths.dpiScale;
    banner_ = new QLabel(this);
    banner_->setPixmap(
        bannerPixmap(QStringLiteral("立即播"), static_cast<int>(420 * scale), scale));
    listLabel_ = new QLabel(QStringLiteral("音乐列表:"), this);
    list_ = new QTreeView(this);
    list_->setObjectName(QStringLiteral("playlistView"));
    list_->setModel(&s_.playlist);
    list_->setItemDelegate(new CurrentRowDelegate(list_));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderHidden(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->header()->setStretchLastSection(false);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    QPalette white = list_->palette();
    white.setColor(QPalette::Base, Qt::white);
    list_->setPalette(white);
    DragHint::install(list_);
    connect(list_, &QTreeView::doubleClicked, this, [this] { playRow(); });

    up_ = button(QStringLiteral("上移"), this);
    down_ = button(QStringLiteral("下移"), this);
    add_ = button(QStringLiteral("添加"), this);
    delete_ = button(QStringLiteral("删除"), this);
    start_ = button(QStringLiteral("播n首\n或n秒"), this);
    start_->setObjectName(QStringLiteral("startButton"));
    start_->setMinimumHeight(static_cast<int>(56 * scale));
    stop_ = button(QStringLiteral("停止"), this);
    stop_->setEnabled(false);
    announce_ = button(QStringLiteral("喊话…"), this);
    announce_->setObjectName(QStringLiteral("announceButton"));
    announce_->setEnabled(s_.announcement != nullptr && s_.route != nullptr);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setMinimumWidth(static_cast<int>(110 * scale));
    doubleClickHint_ = new QLabel(QStringLiteral("双击切换音乐!"), this);
    connect(up_, &QPushButton::clicked, this, &ImmediatePage::moveUp);
    connect(down_, &QPushButton::clicked, this, &ImmediatePage::moveDown);
    connect(add_, &QPushButton::clicked, this, &ImmediatePage::addFiles);
    connect(delete_, &QPushButton::clicked, this, &ImmediatePage::deleteSelected);
    connect(start_, &QPushButton::clicked, this, &ImmediatePage::startPlay);
    connect(stop_, &QPushButton::clicked, this, &ImmediatePage::stopPlay);
    connect(announce_, &QPushButton::clicked, this, &ImmediatePage::openAnnouncement);

    volumeText_ = new QLabel(this);
    volumeText_->setObjectName(QStringLiteral("volumeText"));
    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setObjectName(QStringLiteral("volumeSlider"));
    volume_->setRange(25, 100);
    volume_->setPageStep(10);
    volumeDefault_ = new QLabel(QStringLiteral("(默认:80)"), this);
    mode_ = new QComboBox(this);
    mode_->addItems(
        {QStringLiteral("单曲循环"), QStringLiteral("列表循环"), QStringLiteral("随机播放")});
    position_ = new QSlider(Qt::Horizontal, this);
    position_->setObjectName(QStringLiteral("positionSlider"));
    position_->setRange(0, 100);
    position_->setPageStep(10);
    position_->setTickInterval(2);
    position_->setTickPosition(QSlider::TicksBelow);
    position_->setEnabled(false);
    positionText_ = new QLabel(this);
    positionText_->setObjectName(QStringLiteral("positionText"));
    connect(volume_, &QSlider::valueChanged, this, &ImmediatePage::setVolumeFromSlider);
    // A drag ramps as it goes; its end is the one save.
    connect(volume_, &QSlider::sliderReleased, this, [this] { save(); });
    connect(mode_, &QComboBox::activated, this, &ImmediatePage::changeMode);
    connect(position_, &QSlider::sliderReleased, this, &ImmediatePage::seekFromSlider);
    connect(position_, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove || !position_->isSliderDown()) {
            seekFromSlider();
        }
    });
    showLoaded();
}

void ImmediatePage::buildLinks() {
    moreLink_ = makeHintLink(QStringLiteral("更多操作"),
                             QStringLiteral("更多操作 - 列表框中点鼠标右键"), this);
    downloadLink_ = makeHintLink(QStringLiteral("音乐资源下载"), downloadHint(s_.paths.musicFolder),
                                 this, s_.paths, QStringLiteral("music"));
    silentLink_ = makeHintLink(QStringLiteral("正在播放但没声音?"), kSilentHint, this);
    remoteLink_ = makeHintLink(QStringLiteral("远程登录时 - 应选\"在远程电脑上播放音频\"!"),
                               remoteSessionHint(), this, s_.paths, QStringLiteral("remote"));
    remoteLink_->setObjectName(QStringLiteral("remoteLink"));
    remoteLink_->hide();
    zonesLink_ = new HyperLink(QStringLiteral("播放分区…"), this);
    zonesLink_->setObjectName(QStringLiteral("zonesLink"));
    connect(zonesLink_, &HyperLink::clicked, this, &ImmediatePage::chooseZones);
    refreshZones();
    tipsLabel_ = new QLabel(QStringLiteral("小贴士:"), this);
    tipLinks_ = {
        makeHintLink(QStringLiteral("统一音乐文件本身的响度"), EditorHints::loudness(), this,
                     s_.paths, QStringLiteral("loudness")),
        makeHintLink(QStringLiteral("控制音乐播放间隔的方法"), EditorHints::interval(), this,
                     s_.paths, QStringLiteral("interval")),
        makeHintLink(QStringLiteral("录音/音频处理/格式转换"), EditorHints::conversion(), this,
                     s_.paths, QStringLiteral("convert")),
        makeHintLink(QStringLiteral("音乐格式支持说明(16种)"), EditorHints::formats(), this)};

    auto* grid = new QGridLayout(this);
    grid->addWidget(banner_, 0, 0, 1, 2);
    auto* heading = new QHBoxLayout();
    heading->addWidget(listLabel_);
    heading->addSpacing(12);
    heading->addWidget(moreLink_);
    heading->addSpacing(12);
    heading->addWidget(downloadLink_);
    heading->addSpacing(12);
    heading->addWidget(zonesLink_);
    heading->addStretch();
    // Above the buttons: at 600 x 450 their column has no room for one more.
    heading->addWidget(announce_);
    grid->addLayout(heading, 1, 0, 1, 2);
    grid->addWidget(list_, 2, 0);
    auto* side = new QVBoxLayout();
    for (QWidget* w : {static_cast<QWidget*>(up_), static_cast<QWidget*>(down_),
                       static_cast<QWidget*>(add_), static_cast<QWidget*>(delete_)}) {
        side->addWidget(w);
    }
    side->addSpacing(12);
    side->addWidget(start_);
    side->addWidget(stop_);
    side->addWidget(status_);
    side->addStretch();
    side->addWidget(doubleClickHint_);
    grid->addLayout(side, 2, 1);
    auto* volumeRow = new QHBoxLayout();
    volumeRow->addWidget(volumeText_);
    volumeRow->addWidget(volume_, 1);
    volumeRow->addWidget(volumeDefault_);
    volumeRow->addSpacing(24);
    volumeRow->addWidget(mode_);
    grid->addLayout(volumeRow, 3, 0, 1, 2);
    auto* positionRow = new QHBoxLayout();
    positionRow->addWidget(position_, 1);
    positionRow->addWidget(positionText_);
    grid->addLayout(positionRow, 4, 0, 1, 2);
    auto* helpRow = new QHBoxLayout();
    helpRow->addWidget(silentLink_);
    helpRow->addSpacing(24);
    helpRow->addWidget(remoteLink_);
    helpRow->addStretch();
    grid->addLayout(helpRow, 5, 0, 1, 2);
    // The four tips in one line, or in two on a narrow window.
    auto* tipsRow = new QHBoxLayout();
    tipsRow->addWidget(tipsLabel_, 0, Qt::AlignTop);
    tipLines_ = new QBoxLayout(QBoxLayout::LeftToRight);
    for (size_t pair = 0; pair < tipPairs_.size(); ++pair) {
        tipPairs_[pair] = new QHBoxLayout();
        for (size_t i = pair * 2; i < pair * 2 + 2; ++i) {
            tipPairs_[pair]->addWidget(tipLinks_[i]);
            tipPairs_[pair]->addSpacing(12);
        }
        tipLines_->addLayout(tipPairs_[pair]);
    }
    tipsRow->addLayout(tipLines_);
    tipsRow->addStretch();
    grid->addLayout(tipsRow, 6, 0, 1, 2);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
    grid->setContentsMargins(0, 0, 0, 0);
}

void ImmediatePage::buildMenu() {
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(QStringLiteral("立即播"), this);
        menu.addAction(QStringLiteral("添加文件夹..."), this, &ImmediatePage::addFolder);
        menu.addAction(QStringLiteral("清空列表"), this, &ImmediatePage::clearPlaylist);
        QMenu* sort = menu.addMenu(QStringLiteral("排序"));
        const std::pair<const char16_t*, SortOrder> orders[] = {
            {u"名称-正序", SortOrder::NameAscending},
            {u"名称-反序", SortOrder::NameDescending},
            {u"类型-正序", SortOrder::TypeAscending},
            {u"类型-反序", SortOrder::TypeDescending},
            {u"乱序", SortOrder::Shuffle}};
        for (const auto& [text, order] : orders) {
            sort->addAction(QString::fromUtf16(text), this,
                            [this, order = order] { sortPlaylist(order); });
        }
        menu.addAction(QStringLiteral("打开所在文件夹"), this,
                       &ImmediatePage::openContainingFolder);
        menu.exec(list_->viewport()->mapToGlobal(at));
    });
}

void ImmediatePage::connectPlayer() {
    ImmediatePlayer& player = s_.player;
    connect(&player, &ImmediatePlayer::activeChanged, this, [this](bool active) {
        start_->setEnabled(!active);
        stop_->setEnabled(active);
        position_->setEnabled(active);
    });
    connect(&player, &ImmediatePlayer::statusChanged, status_, &QLabel::setText);
    connect(&player, &ImmediatePlayer::positionChanged, this,
            [this](const QString& text, int percent) {
                positionText_->setText(text);
                if (!position_->isSliderDown()) {
                    position_->setValue(percent);
                }
            });
    connect(&player, &ImmediatePlayer::positionCleared, this, [this] {
        positionText_->clear();
        position_->setSliderDown(false);
        position_->setValue(0);
    });
    connect(&player, &ImmediatePlayer::rowRevealed, this, [this](int row) { revealRow(row); });
    connect(&player, &ImmediatePlayer::helpRequested, this,
            [this](const QString& anchor) { openHelpPage(s_.paths, anchor, this); });
}

void ImmediatePage::showLoaded() {
    const ImmediateSettings& settings = s_.store.settings();
    {
        const QSignalBlocker block(volume_);
        volume_->setValue(settings.volume);
    }
    volumeText_->setText(QStringLiteral("音量:%1").arg(settings.volume));
    mode_->setCurrentIndex(settings.playMode);
    list_->clearSelection();
    revealRow(s_.playlist.current());
}

void ImmediatePage::showRemoteSessionHint() {
    remoteLink_->show();
}

void ImmediatePage::revealRow(int row) {
    if (row < 0) {
        return;
    }
    if (row + 1 < s_.playlist.size()) {
        list_->scrollTo(s_.playlist.index(row + 1, 0));
    }
    list_->scrollTo(s_.playlist.index(row, 0));
}

void ImmediatePage::resizeEvent(QResizeEvent* event) {
    const int oneLine = tipsLabel_->sizeHint().width() + tipPairs_[0]->minimumSize().width() +
                        tipPairs_[1]->minimumSize().width() + 12;
    tipLines_->setDirection(width() < oneLine ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    QWidget::resizeEvent(event);
}

bool ImmediatePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::Resize) {
        const int width = list_->viewport()->width();
        list_->setColumnWidth(0, width * 75 / 100);
        list_->setColumnWidth(1, width * 17 / 100);
    }
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && s_.playlist.size() > 0) {
        deleteSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ImmediatePage::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void ImmediatePage::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
    dropPaths(paths);
}

void ImmediatePage::setVolumeFromSlider(int value) {
    volumeText_->setText(QStringLiteral("音量:%1").arg(value));
    s_.player.changeVolume(value);
    if (!volume_->isSliderDown()) {
        save();
    }
}

void ImmediatePage::changeMode(int mode) {
    if (mode == s_.store.settings().playMode) {
        return;
    }
    s_.store.settings().playMode = mode;
    s_.playlist.clearPlayedFlags();
    save();
}

void ImmediatePage::seekFromSlider() {
    s_.player.seekToPercent(position_->sliderPosition());
}
