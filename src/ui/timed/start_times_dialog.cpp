#include "ui/timed/start_times_dialog.h"

#include <QDialogButtonBox>

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include "ui/widgets/dialog_buttons.h"

#include "core/support/date_text.h"
#include "core/support/messages.h"
#include "core/timed/programme.h"
#include "ui/timed/batch_times_dialog.h"
#include "ui/timed/time_field.h"

namespace {

TimeField* makeTimeEdit(QWidget* parent, const QString& name) {
    auto* edit = new TimeField(parent);
    edit->setObjectName(name);
    return edit;
}

QTime qtimeOf(const ClockTime& t) {
    return QTime(t.hour, t.minute, t.second);
}

}  // namespace

StartTimesDialog::StartTimesDialog(const QList<ClockTime>& times, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("开始时间"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("24小时制!"), this), 0, 0, 1, 2);
    single_ = new QRadioButton(QStringLiteral("单个开始时间"), this);
    multiple_ = new QRadioButton(QStringLiteral("多个开始时间\n (例如:打铃)"), this);
    singleTime_ = makeTimeEdit(this, QStringLiteral("singleTime"));
    addTime_ = makeTimeEdit(this, QStringLiteral("addTime"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("timesList"));
    list_->setSortingEnabled(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(single_, 1, 0);
    layout->addWidget(singleTime_, 1, 1);
    layout->addWidget(multiple_, 2, 0);
    layout->addWidget(list_, 3, 0, 5, 1);
    layout->addWidget(addTime_, 3, 1);
    int row = 4;
    for (const QString& text : {QStringLiteral("添加"), QStringLiteral("批量生成…"),
                                QStringLiteral("删除"), QStringLiteral("清空")}) {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        buttons_.append(button);
        layout->addWidget(button, row++, 1);
    }
    connect(buttons_[0], &QPushButton::clicked, this, &StartTimesDialog::addOne);
    connect(buttons_[1], &QPushButton::clicked, this, &StartTimesDialog::addBatch);
    connect(buttons_[2], &QPushButton::clicked, this, &StartTimesDialog::removeSelected);
    connect(buttons_[3], &QPushButton::clicked, this, &StartTimesDialog::clearAll);
    QDialogButtonBox* box = okCancelButtons(this);
    layout->addWidget(box, 8, 0, 1, 2);

    if (times.size() > 1) {
        singleTime_->setTime(QTime::currentTime());
        addTime_->setTime(QTime::currentTime());
        multiple_->setChecked(true);
        for (const ClockTime& t : times) {
            list_->addItem(formatClockTime(t));
        }
    } else {
        addTime_->setTime(QTime::currentTime());
        single_->setChecked(true);
        singleTime_->setTime(times.isEmpty() ? QTime::currentTime() : qtimeOf(times.first()));
    }
    connect(single_, &QRadioButton::toggled, this, &StartTimesDialog::updateEnabled);
    updateEnabled();
}

QPushButton* StartTimesDialog::button(const QString& text) const {
    for (QPushButton* b : buttons_) {
        if (b->text() == text) {
            return b;
        }
    }
    return nullptr;
}

void StartTimesDialog::updateEnabled() {
    const bool many = multiple_->isChecked();
    singleTime_->setEnabled(!many);
    list_->setEnabled(many);
    addTime_->setEnabled(many);
    for (QPushButton* b : buttons_) {
        b->setEnabled(many);
    }
}

bool StartTimesDialog::insertTime(const QString& text) {
    const QList<QListWidgetItem*> found = list_->findItems(text, Qt::MatchExactly);
    list_->clearSelection();
    if (!found.isEmpty()) {
        found.first()->setSelected(true);
        list_->scrollToItem(found.first());
        return false;
    }
    auto* item = new QListWidgetItem(text, list_);
    item->setSelected(true);
    list_->scrollToItem(item);
    return true;
}

void StartTimesDialog::addOne() {
    const QTime t = addTime_->time();
    if (!t.isValid()) {
        refuseTime(addTime_, this);
        return;
    }
    if (!insertTime(formatClockTime({t.hour(), t.minute(), t.second()}))) {
        showMessage(MessageIcon::Warning, QStringLiteral("该时间点已存在"), this);
    }
}

void StartTimesDialog::addBatch() {
    BatchTimesDialog batch(this);
    if (batch.exec() != QDialog::Accepted) {
        return;
    }
    for (const ClockTime& t : batch.times()) {
        insertTime(formatClockTime(t));
    }
}

void StartTimesDialog::removeSelected() {
    if (list_->count() == 0) {
        return;
    }
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        showMessage(MessageIcon::Information, QStringLiteral("删除 - 请先选中时间点"), this);
        return;
    }
    qDeleteAll(selected);
}

void StartTimesDialog::clearAll() {
    if (list_->count() == 0) {
        return;
    }
    if (askYesNo(MessageIcon::Question, QStringLiteral("确定清空？"), this)) {
        list_->clear();
    }
}

void StartTimesDialog::accept() {
    if (single_->isChecked()) {
        const QTime t = singleTime_->time();
        if (!t.isValid()) {
            refuseTime(singleTime_, this);
            return;
        }
        times_ = {ClockTime{t.hour(), t.minute(), t.second()}};
        QDialog::accept();
        return;
    }
    if (list_->count() > kMaxStartTimes) {
        showMessage(MessageIcon::Warning,
                    QStringLiteral("最多 %1 个时间点，现已超出").arg(kMaxStartTimes), this);
        return;
    }
    times_.clear();
    for (int i = 0; i < list_->count(); ++i) {
        const QString text = list_->item(i)->text();
        const ClockTime t{text.mid(0, 2).toInt(), text.mid(3, 2).toInt(), text.mid(6, 2).toInt()};
        if (isValidClockTime(t)) {
            times_.append(t);
        }
    }
    // An empty list is accepted here; the editor asks for a start time.
    QDialog::accept();
}
