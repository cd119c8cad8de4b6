#include "ui/timed/week_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "audio/duration_probe.h"
#include "core/support/date_text.h"
#include "core/support/messages.h"
#include "ui/timed/week_print.h"
#include "ui/timed/week_view.h"

namespace {

// Lengths found close together are drawn together.
constexpr int kLengthsSettleMs = 150;

// Where the last PDF of this run went; the home folder at first.
QString& exportFolder() {
    static QString folder = QDir::homePath();
    return folder;
}

QPushButton* weekButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

WeekDialog::WeekDialog(const Sources& sources, QWidget* parent)
    : QDialog(parent), s_(sources), lengths_(probeDurationMs) {
    setWindowTitle(QStringLiteral("一周概览"));
    setObjectName(QStringLiteral("weekDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    QPushButton* previous = weekButton(QStringLiteral("< 上一周"), "previousWeek", this);
    QPushButton* current = weekButton(QStringLiteral("本周"), "thisWeek", this);
    QPushButton* next = weekButton(QStringLiteral("下一周 >"), "nextWeek", this);
    range_ = new QLabel(this);
    range_->setObjectName(QStringLiteral("weekRange"));
    QPushButton* print = weekButton(QStringLiteral("打印…"), "printWeek", this);
    QPushButton* pdf = weekButton(QStringLiteral("导出 PDF…"), "exportWeek", this);
    for (QWidget* w : std::initializer_list<QWidget*>{previous, current, next, range_}) {
        top->addWidget(w);
    }
    top->addStretch(1);
    top->addWidget(print);
    top->addWidget(pdf);
    layout->addLayout(top);
    view_ = new WeekView(this);
    layout->addWidget(view_, 1);
    auto* bottom = new QHBoxLayout();
    auto* hint =
        new QLabel(QStringLiteral("斜线：估计的时长（文件夹的曲目，或长度未知）    点节目可修改    "
                                  "Ctrl+滚轮：缩放"),
                   this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("weekStatus"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bottom->addWidget(hint);
    bottom->addStretch(1);
    bottom->addWidget(status_);
    layout->addLayout(bottom);

    connect(previous, &QPushButton::clicked, this, &WeekDialog::previousWeek);
    connect(current, &QPushButton::clicked, this, &WeekDialog::thisWeek);
    connect(next, &QPushButton::clicked, this, &WeekDialog::nextWeek);
    connect(print, &QPushButton::clicked, this, &WeekDialog::print);
    connect(pdf, &QPushButton::clicked, this, &WeekDialog::exportPdf);
    connect(view_, &WeekView::programmeClicked, this, &WeekDialog::blockClicked);

    replanSoon_.setSingleShot(true);
    replanSoon_.setInterval(0);
    connect(&replanSoon_, &QTimer::timeout, this, &WeekDialog::replan);
    lengthsSoon_.setSingleShot(true);
    lengthsSoon_.setInterval(kLengthsSettleMs);
    connect(&lengthsSoon_, &QTimer::timeout, this, &WeekDialog::applyKnownLengths);
    connect(&lengths_, &TrackLengths::found, &lengthsSoon_, qOverload<>(&QTimer::start));
    follow(&s_.programmes);
    resize(1100, 720);
    thisWeek();
}

void WeekDialog::follow(const QAbstractItemModel* model) {
    connect(model, &QAbstractItemModel::dataChanged, this, &WeekDialog::replanSoon);
    connect(model, &QAbstractItemModel::rowsInserted, this, &WeekDialog::replanSoon);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &WeekDialog::replanSoon);
    connect(model, &QAbstractItemModel::rowsMoved, this, &WeekDialog::replanSoon);
    connect(model, &QAbstractItemModel::modelReset, this, &WeekDialog::replanSoon);
    connect(model, &QAbstractItemModel::layoutChanged, this, &WeekDialog::replanSoon);
}

void WeekDialog::showWeekOf(const LocalDateTime& day) {
    monday_ = mondayOf(day);
    replan();
}

void WeekDialog::previousWeek() {
    showWeekOf(dateTimeFromTicks(dateTimeTicks(monday_) - 7LL * kSecondsPerDay * kTicksPerSecond));
}

void WeekDialog::nextWeek() {
    showWeekOf(addSeconds(monday_, 7 * kSecondsPerDay));
}

void WeekDialog::thisWeek() {
    showWeekOf(s_.clock.now());
}

void WeekDialog::replan() {
    replanSoon_.stop();
    plan_ = planWeek(s_.programmes.table(), s_.calendar, monday_);
    range_->setText(weekRangeText(plan_));
    view_->setToday(s_.clock.now());
    applyKnownLengths();
}

void WeekDialog::applyKnownLengths() {
    applyLengths(plan_, [this](const QString& path, bool folder) {
        return lengths_.lengthMs(path, folder);
    });
    view_->setPlan(&plan_);
}

void WeekDialog::blockClicked(int row) {
    // The timetable may have changed since the week was drawn: only a row that still holds
    // the same programme is opened.
    const ProgrammeTable& table = s_.programmes.table();
    if (row < table.size() &&
        programmeName(table.at(row)) == plan_.programmes[static_cast<size_t>(row)].name) {
        emit programmeChosen(row);
    } else {
        replan();
    }
}

void WeekDialog::replanSoon() {
    replanSoon_.start();
}

void WeekDialog::print() {
    QPrinter printer(QPrinter::HighResolution);
    setUpWeekPage(printer);
    printer.setDocName(weekTitle(plan_));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印一周概览"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QString message;
    if (!paintWeekPages(printer, plan_, message)) {
        showMessage(MessageIcon::Warning, QStringLiteral("打印失败：\n%1").arg(message), this);
    }
}

void WeekDialog::exportPdf() {
    const QString name = QStringLiteral("一周概览 %1.pdf").arg(formatDate(plan_.days.front().date));
    QFileDialog dialog(this, QStringLiteral("导出 PDF"), QDir(exportFolder()).filePath(name),
                       QStringLiteral("PDF 文件 (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString path = dialog.selectedFiles().first();
    exportFolder() = QFileInfo(path).absolutePath();
    QString message;
    if (exportWeekPdf(path, plan_, message)) {
        status_->setText(QStringLiteral("已导出：%1").arg(QDir::toNativeSeparators(path)));
    } else {
        status_->clear();
        showMessage(MessageIcon::Error, message, this);
    }
}
