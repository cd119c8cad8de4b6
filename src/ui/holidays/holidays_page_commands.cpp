// The commands of the holidays page: the buttons, the context menus and double clicks.
#include <QItemSelectionModel>
#include <QTreeView>
#include <algorithm>

#include "core/holidays/adjusted_day_list_model.h"
#include "core/holidays/holiday_file.h"
#include "core/holidays/holiday_list_model.h"
#include "core/support/log_categories.h"
#include "core/support/messages.h"
#include "ui/holidays/adjusted_day_dialog.h"
#include "ui/holidays/holiday_dialog.h"
#include "ui/holidays/holidays_page.h"

bool HolidaysPage::save() {
    emit saved();
    QString message;
    if (saveHolidayCalendar(paths_.dataFolder, calendar_, true, message)) {
        return true;
    }
    // The change stays in memory and in the list.
    qCWarning(lcUi) << "holiday calendar not saved:" << message;
    showMessage(MessageIcon::Error, message, this);
    return false;
}

QList<int> HolidaysPage::selectedRows(const CalendarList& list) const {
    QList<int> rows;
    for (const QModelIndex& index : list.view->selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    // From the top, as the commands take them.
    std::sort(rows.begin(), rows.end());
    return rows;
}

void HolidaysPage::showAppended(const CalendarList& list, int row) {
    if (row < 0) {
        return;
    }
    const QModelIndex index = list.model->index(row, 0);
    list.view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list.view->scrollTo(index);
}

bool HolidaysPage::editHoliday(int index) {
    HolidayDialog dialog(calendar_, index, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (index < 0) {
        showAppended(holidays_, holidayModel_->append(dialog.holiday()));
    } else {
        holidayModel_->replace(index, dialog.holiday());
    }
    return true;
}

bool HolidaysPage::editAdjustedDay(int index) {
    AdjustedDayDialog dialog(calendar_, index, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (index < 0) {
        showAppended(adjustedDays_, adjustedDayModel_->append(dialog.day()));
    } else {
        adjustedDayModel_->replace(index, dialog.day());
    }
    return true;
}

void HolidaysPage::add(const CalendarList& list) {
    if (list.model->isFull()) {
        showMessage(MessageIcon::Warning, list.texts.full, this);
        return;
    }
    if (list.edit(-1)) {
        save();
    }
}

void HolidaysPage::modify(const CalendarList& list) {
    const QList<int> rows = selectedRows(list);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, list.texts.modifyFirst, this);
        return;
    }
    if (list.edit(rows.first())) {
        save();
    }
}

void HolidaysPage::remove(const CalendarList& list) {
    const QList<int> rows = selectedRows(list);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information, list.texts.deleteFirst, this);
        return;
    }
    if (!askYesNo(MessageIcon::Question, QStringLiteral("确定删除？"), this)) {
        return;
    }
    list.model->remove(rows);
    save();
}

void HolidaysPage::setDisabled(const CalendarList& list, bool disabled) {
    const QList<int> rows = selectedRows(list);
    if (rows.isEmpty()) {
        showMessage(MessageIcon::Information,
                    disabled ? list.texts.disableFirst : list.texts.enableFirst, this);
        return;
    }
    if (list.model->setDisabled(rows, disabled)) {
        save();
    }
}

void HolidaysPage::sort(const CalendarList& list, const std::function<bool()>& sortModel) {
    if (sortModel()) {
        list.view->scrollToTop();
        save();
    }
}

void HolidaysPage::addHoliday() {
    add(holidays_);
}

void HolidaysPage::modifyHoliday() {
    modify(holidays_);
}

void HolidaysPage::deleteHolidays() {
    remove(holidays_);
}

void HolidaysPage::enableHolidays() {
    setDisabled(holidays_, false);
}

void HolidaysPage::disableHolidays() {
    setDisabled(holidays_, true);
}

void HolidaysPage::sortHolidaysByName() {
    sort(holidays_, [this] { return holidayModel_->sortByName(); });
}

void HolidaysPage::sortHolidaysByStart() {
    sort(holidays_, [this] { return holidayModel_->sortByStart(); });
}

void HolidaysPage::addAdjustedDay() {
    add(adjustedDays_);
}

void HolidaysPage::modifyAdjustedDay() {
    modify(adjustedDays_);
}

void HolidaysPage::deleteAdjustedDays() {
    remove(adjustedDays_);
}

void HolidaysPage::enableAdjustedDays() {
    setDisabled(adjustedDays_, false);
}

void HolidaysPage::disableAdjustedDays() {
    setDisabled(adjustedDays_, true);
}

void HolidaysPage::sortAdjustedDaysByDateA() {
    sort(adjustedDays_, [this] { return adjustedDayModel_->sortByDateA(); });
}
