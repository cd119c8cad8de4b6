#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/settings/backup_dialog.h"
#include "ui/settings/countdown_dialog.h"
#include "ui/settings/schedule_dialog.h"
#include "ui/settings/settings_page.h"

namespace {

size_t rowOf(ShutdownSchedule schedule) {
    return static_cast<size_t>(schedule);
}

// The check box's text, which is also the caption of the schedule's dialog.
QString scheduleName(ShutdownSchedule schedule) {
    switch (schedule) {
        case ShutdownSchedule::Daily:
            return QStringLiteral("每天关机");
        case ShutdownSchedule::Weekly:
            return QStringLiteral("每周关机");
        case ShutdownSchedule::Restart:
            break;
    }
    return QStringLiteral("关机重启");
}

}  // namespace

QGridLayout* SettingsPage::buildScheduleRows() {
    auto* grid = new QGridLayout();
    for (const ShutdownSchedule schedule : kShutdownSchedules) {
        ScheduleRow& row = schedules_[rowOf(schedule)];
        row.box = new QCheckBox(scheduleName(schedule), this);
        row.text = new QLineEdit(this);
        row.text->setReadOnly(true);
        row.more = new QPushButton(QStringLiteral("…"), this);
        row.more->setFixedWidth(row.more->sizeHint().height() * 3 / 2);
        const int r = static_cast<int>(rowOf(schedule));
        grid->addWidget(row.box, r, 0);
        grid->addWidget(row.text, r, 1);
        grid->addWidget(row.more, r, 2);
        connect(row.box, &QCheckBox::clicked, this,
                [this, schedule](bool checked) { scheduleClicked(schedule, checked); });
        connect(row.more, &QPushButton::clicked, this,
                [this, schedule] { editSchedule(schedule); });
    }
    grid->setColumnStretch(1, 1);
    return grid;
}

QCheckBox* SettingsPage::scheduleBox(ShutdownSchedule schedule) const {
    return schedules_[rowOf(schedule)].box;
}

QLineEdit* SettingsPage::scheduleText(ShutdownSchedule schedule) const {
    return schedules_[rowOf(schedule)].text;
}

QPushButton* SettingsPage::scheduleButton(ShutdownSchedule schedule) const {
    return schedules_[rowOf(schedule)].more;
}

void SettingsPage::refreshSchedules() {
    for (const ShutdownSchedule schedule : kShutdownSchedules) {
        const ScheduleFields fields = scheduleFields(s_.settings, schedule);
        const ScheduleRow& row = schedules_[rowOf(schedule)];
        const bool enabled = *fields.enabled != 0;
        row.box->setChecked(enabled);
        // The time shows whether or not the schedule is on.
        row.text->setText(::scheduleText(*fields.time, fields.days));
        row.text->setEnabled(enabled);
        row.more->setEnabled(enabled);
    }
}

void SettingsPage::scheduleClicked(ShutdownSchedule schedule, bool checked) {
    *scheduleFields(s_.settings, schedule).enabled = checked ? 1 : 0;
    // Ticked again, it may fire again today; unticked, the mark is kept.
    if (checked) {
        s_.shutdowns.rearm(schedule);
    }
    refreshSchedules();
    save();
}

void SettingsPage::editSchedule(ShutdownSchedule schedule) {
    const ScheduleFields fields = scheduleFields(s_.settings, schedule);
    ScheduleDialog dialog(scheduleName(schedule), *fields.time, fields.days, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    *fields.time = dialog.time();
    if (fields.days != nullptr) {
        dialog.storeDays(fields.days);
    }
    s_.shutdowns.rearm(schedule);
    refreshSchedules();
    save();
}

void SettingsPage::showCountdown() {
    // Counted out already (a step of a few milliseconds): nothing left to show.
    if (!s_.shutdowns.isCountingDown()) {
        return;
    }
    emit windowWanted();
    CountdownDialog dialog(s_.shutdowns, this);
    dialog.exec();
}

void SettingsPage::openBackup() {
    BackupDialog dialog(s_.timetable, this);
    dialog.exec();
}
