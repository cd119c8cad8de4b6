// The holidays page's import of an iCalendar file.
#include <QFileDialog>

#include "core/holidays/calendar_import.h"
#include "core/support/messages.h"
#include "ui/holidays/calendar_import_dialog.h"
#include "ui/holidays/holidays_page.h"
#include "ui/widgets/last_folder.h"

void HolidaysPage::importCalendar() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("从日历文件导入"), dialogStartFolder(paths_.musicFolder),
        QStringLiteral("日历文件 (*.ics);;所有文件 (*)"));
    if (path.isEmpty()) {
        return;
    }
    rememberDialogChoice(path, false);
    importCalendarFile(path);
}

void HolidaysPage::importCalendarFile(const QString& path) {
    std::vector<CalendarEvent> events;
    QString message;
    if (!readCalendarEvents(path, events, message)) {
        showMessage(MessageIcon::Error, message, this);
        return;
    }
    const CalendarImport proposal = proposeCalendarImport(events, calendar_);
    if (proposal.additions.holidays.empty() && proposal.additions.adjustedDays.empty()) {
        showMessage(MessageIcon::Information,
                    QStringLiteral("日历文件里的节假日和调休都已有了\n\n") +
                        calendarImportSummary(proposal),
                    this);
        return;
    }
    // Refused before the look, not after it.
    HolidayCalendar trial = calendar_;
    if (!addCalendarImport(proposal.additions, trial, message)) {
        showMessage(MessageIcon::Warning, message, this);
        return;
    }
    CalendarImportDialog dialog(proposal, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    addCalendarImport(dialog.additions(), calendar_, message);
    refill();
    save();
}
