#include "ui/timed/programme_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QThreadPool>

#include "audio/duration_probe.h"
#include "core/support/date_text.h"
#include "core/support/music_files.h"
#include "core/support/text.h"
#include "ui/timed/date_range_dialog.h"
#include "ui/timed/start_times_dialog.h"
#include "ui/widgets/amplifier_dialog.h"
#include "ui/widgets/editor_hints.h"
#include "ui/widgets/help_page.h"
#include "ui/widgets/hint_link.h"
#include "ui/widgets/music_dialogs.h"
#include "ui/widgets/zone_checks.h"

namespace {

// Typing pauses this long before the file's length is probed.
constexpr int kProbeDelayMs = 300;

QLineEdit* makeEdit(QWidget* parent, const QString& name, int maxLength = 255) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
}

QLineEdit* makeReadOnly(QWidget* parent, const QString& name) {
    QLineEdit* edit = makeEdit(parent, name, 4096);
    edit->setReadOnly(true);
    return edit;
}

QPushButton* makeButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

// Radio buttons in pairs: each pair is exclusive on its own.
void pair(QRadioButton* a, QRadioButton* b) {
    auto* group = new QButtonGroup(a->parent());
    group->addButton(a);
    group->addButton(b);
}

}  // namespace

ProgrammeEditor::ProgrammeEditor(ProgrammeListModel& programmes, int index, RunningProgrammes* runs,
                                 const AppPaths& paths, QWidget* parent, const ZoneSetup* zones)
    : QDialog(parent),
      programmes_(programmes),
      index_(index),
      runs_(runs),
      paths_(paths),
      zones_(zones) {
    setWindowTitle(QStringLiteral("定时播"));
    buildContent();
    buildLinks();
    fill(index_ >= 0 ? programmes_.table().at(index_) : newProgramme());
    if (index_ < 0) {
        name_->clear();
        filePath_->clear();
    }
    name_->setFocus();
}

void ProgrammeEditor::buildContent() {
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto addRow = [&](const QString& label, QWidget* field, QWidget* extra = nullptr,
                      QWidget* note = nullptr) {
        if (!label.isEmpty()) {
            grid->addWidget(new QLabel(label, this), row, 0);
        }
        grid->addWidget(field, row, 1);
        if (extra != nullptr) {
            grid->addWidget(extra, row, 2);
        }
        if (note != nullptr) {
            grid->addWidget(note, row, 3);
        }
        ++row;
    };
    name_ = makeEdit(this, QStringLiteral("nameEdit"), 63);
    addRow(QStringLiteral("节目名称:"), name_);

    fileRadio_ = new QRadioButton(QStringLiteral("音乐文件"), this);
    fileRadio_->setObjectName(QStringLiteral("fileRadio"));
    folderRadio_ = new QRadioButton(QStringLiteral("音乐文件夹"), this);
    folderRadio_->setObjectName(QStringLiteral("folderRadio"));
    pair(fileRadio_, folderRadio_);
    filePath_ = makeEdit(this, QStringLiteral("filePathEdit"), 259);
    fileChoose_ = makeButton(QStringLiteral("选取…"), this);
    length_ = new QLabel(QStringLiteral("00:00"), this);
    length_->setObjectName(QStringLiteral("lengthLabel"));
    // Room for the longest length, so the row does not move as the text comes and goes.
    length_->setMinimumWidth(length_->fontMetrics().horizontalAdvance(QStringLiteral("0000:00")));
    grid->addWidget(fileRadio_, row, 0);
    addRow(QString(), filePath_, fileChoose_, length_);
    folderPath_ = makeEdit(this, QStringLiteral("folderPathEdit"), 259);
    folderChoose_ = makeButton(QStringLiteral("选取…"), this);
    grid->addWidget(folderRadio_, row, 0);
    addRow(QString(), folderPath_, folderChoose_);

    sequential_ = new QRadioButton(QStringLiteral("顺序播放"), this);
    sequential_->setObjectName(QStringLiteral("sequentialRadio"));
    random_ = new QRadioButton(QStringLiteral("随机播放"), this);
    random_->setObjectName(QStringLiteral("randomRadio"));
    pair(sequential_, random_);
    auto* order = new QWidget(this);
    auto* orderRow = new QHBoxLayout(order);
    orderRow->setContentsMargins(0, 0, 0, 0);
    orderRow->addWidget(sequential_);
    orderRow->addWidget(makeHintLink(QStringLiteral("i"), EditorHints::sequential(), this));
    orderRow->addWidget(random_);
    orderRow->addWidget(makeHintLink(QStringLiteral("i"), EditorHints::random(), this));
    orderRow->addStretch();
    addRow(QString(), order);

    volume_ = makeEdit(this, QStringLiteral("volumeEdit"));
    addRow(QStringLiteral("音量:"), volume_, new QLabel(QStringLiteral("25-100"), this));

    startTimesText_ = makeReadOnly(this, QStringLiteral("startTimesEdit"));
    auto* startButton = makeButton(QStringLiteral("设置…"), this);
    connect(startButton, &QPushButton::clicked, this, &ProgrammeEditor::editStartTimes);
    addRow(QStringLiteral("开始时间:"), startTimesText_, startButton);

    tracksRadio_ = new QRadioButton(QStringLiteral("播 n 首"), this);
    tracksRadio_->setObjectName(QStringLiteral("tracksRadio"));
    secondsRadio_ = new QRadioButton(QStringLiteral("播 n 秒"), this);
    secondsRadio_->setObjectName(QStringLiteral("secondsRadio"));
    pair(tracksRadio_, secondsRadio_);
    tracks_ = makeEdit(this, QStringLiteral("tracksEdit"));
    seconds_ = makeEdit(this, QStringLiteral("secondsEdit"));
    grid->addWidget(new QLabel(QStringLiteral("时长:\n(遍首秒)"), this), row, 0, 2, 1);
    auto* tracksRow = new QWidget(this);
    auto* tracksLayout = new QHBoxLayout(tracksRow);
    tracksLayout->setContentsMargins(0, 0, 0, 0);
    tracksLayout->addWidget(tracksRadio_);
    tracksLayout->addWidget(tracks_);
    tracksLayout->addWidget(new QLabel(QStringLiteral("(单曲时,指 n 遍)"), this));
    tracksLayout->addWidget(
        makeHintLink(QStringLiteral("过了开始时间?"), EditorHints::pastStartTime(), this));
    grid->addWidget(tracksRow, row++, 1, 1, 3);
    auto* secondsRow = new QWidget(this);
    auto* secondsLayout = new QHBoxLayout(secondsRow);
    secondsLayout->setContentsMargins(0, 0, 0, 0);
    secondsLayout->addWidget(secondsRadio_);
    secondsLayout->addWidget(seconds_);
    secondsLayout->addWidget(new QLabel(QStringLiteral("(3600秒 = 1小时)"), this));
    secondsLayout->addWidget(
        makeHintLink(QStringLiteral("关于末尾淡出!"), EditorHints::endFade(), this));
    grid->addWidget(secondsRow, row++, 1, 1, 3);

    daysText_ = makeReadOnly(this, QStringLiteral("daysEdit"));
    auto* daysButton = makeButton(QStringLiteral("选取…"), this);
    connect(daysButton, &QPushButton::clicked, this, &ProgrammeEditor::editDays);
    addRow(QStringLiteral("周几/几号:"), daysText_, daysButton);

    rangeText_ = makeReadOnly(this, QStringLiteral("dateRangeEdit"));
    auto* rangeButton = makeButton(QStringLiteral("设置…"), this);
    connect(rangeButton, &QPushButton::clicked, this, &ProgrammeEditor::editDateRange);
    addRow(QStringLiteral("日期范围:"), rangeText_, rangeButton);
    addRow(QStringLiteral("一次性播放:"),
           new QLabel(QStringLiteral("将节目的日期范围限定为某天"), this));
    if (zones_ != nullptr && !zones_->isEmpty()) {
        buildZoneRow(grid, row++);
    }

    onTime_ =
        new QRadioButton(QStringLiteral("准时播 - 如果有别的节目正在播,终止他们 (默认)"), this);
    mayDelay_ = new QRadioButton(QStringLiteral("可延后 - 如果有别的节目正在播,排队等候"), this);
    onTime_->setObjectName(QStringLiteral("onTimeRadio"));
    mayDelay_->setObjectName(QStringLiteral("mayDelayRadio"));
    pair(onTime_, mayDelay_);
    addRow(QStringLiteral("优先级:"), onTime_);
    addRow(QString(), mayDelay_);
    disabled_ = new QCheckBox(QStringLiteral("停用"), this);
    disabled_->setObjectName(QStringLiteral("disabledCheck"));
    addRow(QStringLiteral("启/停:"), disabled_);

    connect(fileRadio_, &QRadioButton::toggled, this, &ProgrammeEditor::updateEnabled);
    connect(tracksRadio_, &QRadioButton::toggled, this, &ProgrammeEditor::updateEnabled);
    // The length is probed once typing pauses, on a worker thread: a probe may take seconds.
    probeDelay_.setSingleShot(true);
    probeDelay_.setInterval(kProbeDelayMs);
    connect(&probeDelay_, &QTimer::timeout, this, &ProgrammeEditor::updateLength);
    connect(filePath_, &QLineEdit::textChanged, &probeDelay_, qOverload<>(&QTimer::start));
    connect(fileChoose_, &QPushButton::clicked, this, &ProgrammeEditor::chooseFile);
    connect(folderChoose_, &QPushButton::clicked, this, &ProgrammeEditor::chooseFolder);

    auto* buttons = new QHBoxLayout();
    ok_ =
        new QPushButton(index_ < 0 ? QStringLiteral("添加节目") : QStringLiteral("修改节目"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setDefault(true);
    auto* cancel = makeButton(QStringLiteral("取消"), this);
    connect(ok_, &QPushButton::clicked, this, &ProgrammeEditor::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, row, 0, 1, 4);
}

void ProgrammeEditor::buildZoneRow(QGridLayout* grid, int row) {
    grid->addWidget(new QLabel(QStringLiteral("分区:"), this), row, 0, Qt::AlignTop);
    auto* holder = new QWidget(this);
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    zoneChecks_ = new ZoneChecks(*zones_, holder);
    zoneChecks_->setObjectName(QStringLiteral("zoneChecks"));
    column->addWidget(zoneChecks_);
    column->addWidget(new QLabel(kWholeOutputHint, holder));
    grid->addWidget(holder, row, 1, 1, 3);
}

QStringList ProgrammeEditor::chosenZones() const {
    return zoneChecks_ != nullptr ? zoneChecks_->chosen() : QStringList();
}

void ProgrammeEditor::buildLinks() {
    auto* grid = static_cast<QGridLayout*>(layout());
    auto* column = new QVBoxLayout();
    column->addWidget(makeHintLink(QStringLiteral("音乐素材下载"),
                                   EditorHints::musicDownload(paths_.musicFolder), this, paths_,
                                   QStringLiteral("music")));
    column->addWidget(new QLabel(QStringLiteral("功放开/关:"), this));
    auto* amplifier = new HyperLink(QStringLiteral("定时开/关功放机的方法"), this);
    connect(amplifier, &HyperLink::clicked, this, [this] { AmplifierDialog(paths_, this).exec(); });
    column->addWidget(amplifier);
    column->addWidget(new QLabel(QStringLiteral("音频输出:"), this));
    column->addWidget(makeHintLink(QStringLiteral("选音频输出设备、多路分区"),
                                   EditorHints::outputDevice(), this));
    column->addWidget(new QLabel(QStringLiteral("小贴士:"), this));
    column->addWidget(makeHintLink(QStringLiteral("统一音乐文件本身的响度"),
                                   EditorHints::loudness(), this, paths_,
                                   QStringLiteral("loudness")));
    column->addWidget(makeHintLink(QStringLiteral("控制音乐播放间隔的方法"),
                                   EditorHints::interval(), this, paths_,
                                   QStringLiteral("interval")));
    column->addWidget(makeHintLink(QStringLiteral("录音/音频处理/格式转换"),
                                   EditorHints::conversion(), this, paths_,
                                   QStringLiteral("convert")));
    column->addWidget(
        makeHintLink(QStringLiteral("音乐格式支持说明(16种)"), EditorHints::formats(), this));
    column->addWidget(makeHintLink(QStringLiteral("广播系统硬件构成和连接"),
                                   EditorHints::hardware(), this, paths_,
                                   QStringLiteral("hardware")));
    column->addWidget(makeHintLink(QStringLiteral("立即播放"), EditorHints::playNow(), this));
    column->addWidget(new QLabel(QStringLiteral("技术支持:"), this));
    auto* support = new HyperLink(QStringLiteral("联系方式"), this);
    connect(support, &HyperLink::clicked, this,
            [this] { openHelpPage(paths_, QStringLiteral("support"), this); });
    column->addWidget(support);
    column->addStretch();
    grid->addLayout(column, 0, 4, grid->rowCount(), 1);
}

void ProgrammeEditor::fill(const Programme& p) {
    name_->setText(programmeName(p));
    (p.singleFile != 0 ? fileRadio_ : folderRadio_)->setChecked(true);
    (p.singleFile != 0 ? filePath_ : folderPath_)->setText(programmePath(p));
    (p.sequential != 0 ? sequential_ : random_)->setChecked(true);
    volume_->setText(QString::number(p.volume));
    (p.countByTracks != 0 ? tracksRadio_ : secondsRadio_)->setChecked(true);
    tracks_->setText(QString::number(p.trackCount));
    seconds_->setText(QString::number(p.secondsCount));
    (p.queueWhenBusy != 0 ? mayDelay_ : onTime_)->setChecked(true);
    disabled_->setChecked(p.disabled != 0);
    if (zoneChecks_ != nullptr) {
        zoneChecks_->setChosen(index_ >= 0 ? zones_->zonesOf(programmeName(p)) : QStringList());
    }
    QList<ClockTime> times;
    for (int i = 0; i < qBound(0, p.startCount, kMaxStartTimes); ++i) {
        times.append(p.startTimes[i]);
    }
    setStartTimes(times);
    DaysDialog::Days days;
    days.byWeekday = p.byWeekday != 0;
    std::copy(std::begin(p.weekdays), std::end(p.weekdays), days.weekdays);
    std::copy(std::begin(p.monthDays), std::end(p.monthDays), days.monthDays);
    setDays(days);
    setDateRange(p.dateRange);
    updateEnabled();
}

void ProgrammeEditor::setStartTimes(const QList<ClockTime>& times) {
    startTimes_ = times;
    QString text = formatStartTimes(times.constData(), static_cast<int>(times.size()));
    if (times.size() == 1) {
        text += QStringLiteral("    (可多个:打铃)");
    }
    startTimesText_->setText(text);
    startTimesText_->setCursorPosition(0);
}

void ProgrammeEditor::setDays(const DaysDialog::Days& days) {
    days_ = days;
    daysText_->setText(formatDays(days.byWeekday, days.weekdays, days.monthDays));
    daysText_->setCursorPosition(0);
}

void ProgrammeEditor::setDateRange(const DateHourRange& range) {
    range_ = range;
    rangeText_->setText(formatDateHourRange(range));
    rangeText_->setCursorPosition(0);
}

void ProgrammeEditor::updateEnabled() {
    const bool file = fileRadio_->isChecked();
    filePath_->setEnabled(file);
    fileChoose_->setEnabled(file);
    length_->setEnabled(file);
    folderPath_->setEnabled(!file);
    folderChoose_->setEnabled(!file);
    sequential_->setEnabled(!file);
    random_->setEnabled(!file);
    const bool byTracks = tracksRadio_->isChecked();
    tracks_->setEnabled(byTracks);
    seconds_->setEnabled(!byTracks);
}

void ProgrammeEditor::updateLength() {
    const QString path = trimBlanks(filePath_->text());
    const int serial = ++probeSerial_;
    QPointer<ProgrammeEditor> self(this);
    QThreadPool::globalInstance()->start([self, path, serial] {
        const qint64 ms = probeDurationMs(path);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, serial, ms] {
                // A late answer for a path typed over since is dropped.
                if (self && serial == self->probeSerial_) {
                    self->length_->setText(formatMinSec(ms));
                    emit self->lengthProbed();
                }
            },
            Qt::QueuedConnection);
    });
}

void ProgrammeEditor::chooseFile() {
    const QStringList files = chooseMusicFiles(this, paths_.musicFolder, false);
    if (!files.isEmpty()) {
        filePath_->setText(files.first());
    }
}

void ProgrammeEditor::chooseFolder() {
    const QString folder = chooseMusicFolder(this, paths_.musicFolder);
    if (!folder.isEmpty()) {
        folderPath_->setText(folder);
    }
}

void ProgrammeEditor::editStartTimes() {
    StartTimesDialog dialog(startTimes_, this);
    if (dialog.exec() == QDialog::Accepted) {
        setStartTimes(dialog.times());
    }
}

void ProgrammeEditor::editDays() {
    DaysDialog dialog(days_, this);
    if (dialog.exec() == QDialog::Accepted) {
        setDays(dialog.days());
    }
}

void ProgrammeEditor::editDateRange() {
    DateRangeDialog dialog(range_, this);
    if (dialog.exec() == QDialog::Accepted) {
        setDateRange(dialog.range());
    }
}
