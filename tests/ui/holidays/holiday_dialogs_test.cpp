#include <gtest/gtest.h>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "helpers/holiday_builders.h"
#include "helpers/ui_helpers.h"
#include "ui/holidays/adjusted_day_dialog.h"
#include "ui/holidays/holiday_dialog.h"
#include "ui/widgets/date_picker.h"

namespace {

// Key presses carrying the characters, as an input method delivers Chinese text.
void typeText(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QApplication::sendEvent(field, &release);
    }
}

void retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    typeText(field, text);
    ASSERT_EQ(field->text(), text.left(field->maxLength()));
}

void pickDate(QDateEdit* picker, const QDate& date) {
    picker->setFocus();
    picker->setDate(date);
    ASSERT_EQ(picker->date(), date);
}

// Presses OK; true when the dialog closed accepted.
template <class Dialog>
bool pressOk(Dialog& dialog) {
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    return dialog.result() == QDialog::Accepted && !dialog.isVisible();
}

template <class Dialog>
void expectRefused(Dialog& dialog, RecordedMessages& messages, const QString& text,
                   QWidget* field) {
    const qsizetype before = messages.shown.size();
    EXPECT_FALSE(pressOk(dialog));
    ASSERT_EQ(messages.shown.size(), before + 1);
    EXPECT_EQ(messages.last(), text);
    EXPECT_EQ(messages.shown.last().icon, MessageIcon::Warning);
    EXPECT_TRUE(dialog.isVisible()) << "stays open";
    EXPECT_EQ(dialog.focusWidget(), field);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        EXPECT_EQ(edit->selectedText(), edit->text());
    }
}

struct HolidayDialogFixture {
    HolidayDialogFixture() {
        calendar.holidays.push_back(
            makeHoliday(QStringLiteral("Labour"), {2024, 5, 1, 0, 2024, 5, 5, 24}));
        calendar.holidays.push_back(
            makeHoliday(QStringLiteral("Sports Day"), {2024, 10, 9, 8, 2024, 10, 9, 17}, true));
    }
    std::unique_ptr<HolidayDialog> open(int index, const QString& name = QString()) {
        auto dialog = std::make_unique<HolidayDialog>(calendar, index);
        dialog->show();
        if (!name.isNull()) {
            retype(dialog->nameEdit(), name);
        }
        return dialog;
    }
    RecordedMessages messages;
    HolidayCalendar calendar;
};

}  // namespace

TEST(HolidayDialog, ANewHolidayIsTodayAllDayAndAccepted) {
    HolidayDialogFixture f;
    const QDate today = QDate::currentDate();
    auto dialog = f.open(-1);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("节假日不播放"));
    EXPECT_EQ(dialog->okButton()->text(), QStringLiteral("添加"));
    EXPECT_EQ(dialog->startDate()->date(), today);
    EXPECT_EQ(dialog->endDate()->date(), today);
    EXPECT_EQ(dialog->startDate()->displayFormat(), datePickerFormat());
    EXPECT_EQ(dialog->startHour()->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog->endHour()->text(), QStringLiteral("24"));
    EXPECT_FALSE(dialog->disabledBox()->isChecked());
    retype(dialog->nameEdit(), QStringLiteral("\u3000 运动会 "));
    ASSERT_TRUE(pressOk(*dialog));
    EXPECT_TRUE(f.messages.shown.isEmpty());
    const Holiday h = dialog->holiday();
    EXPECT_EQ(holidayName(h), QStringLiteral("运动会"));
    EXPECT_EQ(h.range, (DateHourRange{today.year(), today.month(), today.day(), 0, today.year(),
                                      today.month(), today.day(), 24}));
    EXPECT_EQ(h.disabled, 0);
}

TEST(HolidayDialog, DatesReadAsTheListsWriteThemInEveryLocale) {
    for (const QLocale& desktop :
         {QLocale(QLocale::English, QLocale::UnitedKingdom),
          QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Chinese, QLocale::China)}) {
        QLocale::setDefault(desktop);
        HolidayDialogFixture f;
        auto dialog = f.open(-1);
        dialog->startDate()->setDate(QDate(2026, 12, 7));
        EXPECT_EQ(dialog->startDate()->text(), QStringLiteral("2026-12-07"))
            << desktop.name().toStdString();
        EXPECT_EQ(dialog->startDate()->calendarWidget()->locale().language(), QLocale::Chinese);
    }
    QLocale::setDefault(QLocale::system());
}

TEST(HolidayDialog, TheEndMustComeAfterTheStart) {
    HolidayDialogFixture f;
    auto dialog = f.open(-1, QStringLiteral("校庆"));
    retype(dialog->startHour(), QStringLiteral("24"));
    expectRefused(*dialog, f.messages, QStringLiteral("要求：\n结束时间  >  开始时间"),
                  dialog->endHour());
    retype(dialog->startHour(), QStringLiteral("0"));
    pickDate(dialog->startDate(), QDate(2024, 6, 2));
    pickDate(dialog->endDate(), QDate(2024, 6, 1));
    expectRefused(*dialog, f.messages, QStringLiteral("要求：\n结束日期  ≥  开始日期"),
                  dialog->endDate());
    // A range that ends at hour 0 of the next day is a range of its own.
    retype(dialog->startHour(), QStringLiteral("24"));
    retype(dialog->endHour(), QStringLiteral("0"));
    pickDate(dialog->endDate(), QDate(2024, 6, 3));
    dialog->disabledBox()->click();
    ASSERT_TRUE(pressOk(*dialog));
    EXPECT_EQ(dialog->holiday().range, (DateHourRange{2024, 6, 2, 24, 2024, 6, 3, 0}));
    EXPECT_EQ(dialog->holiday().disabled, 1);
}

TEST(HolidayDialog, HourFieldsTakeOnlyWholeNumbersFrom0To24) {
    HolidayDialogFixture f;
    for (const char* bad : {"08", "25", "-1", ""}) {
        SCOPED_TRACE(bad);
        auto dialog = f.open(-1, QStringLiteral("期中考试"));
        retype(dialog->startHour(), QString::fromLatin1(bad));
        expectRefused(*dialog, f.messages, QStringLiteral("开始时间，输入无效"),
                      dialog->startHour());
        retype(dialog->startHour(), QStringLiteral(" 8 "));
        retype(dialog->endHour(), QString::fromLatin1(bad));
        expectRefused(*dialog, f.messages, QStringLiteral("结束时间，输入无效"), dialog->endHour());
        retype(dialog->endHour(), QStringLiteral("12"));
        ASSERT_TRUE(pressOk(*dialog));
        EXPECT_EQ(dialog->holiday().range.startHour, 8);
        EXPECT_EQ(dialog->holiday().range.endHour, 12);
    }
}

TEST(HolidayDialog, NamesAreNeededAndUniqueIgnoringCase) {
    HolidayDialogFixture f;
    auto blank = f.open(-1, QStringLiteral(" \u3000 "));
    EXPECT_FALSE(pressOk(*blank));
    EXPECT_EQ(f.messages.last(), QStringLiteral("请输入节假日名称"));
    EXPECT_EQ(f.messages.shown.last().icon, MessageIcon::Information);
    EXPECT_EQ(blank->focusWidget(), blank->nameEdit());

    auto rename = f.open(1, QStringLiteral("LABOUR"));
    expectRefused(*rename, f.messages, QStringLiteral("该节假日已存在"), rename->nameEdit());
    auto twin = f.open(-1, QStringLiteral("sports day"));
    expectRefused(*twin, f.messages, QStringLiteral("该节假日已存在"), twin->nameEdit());

    // Editing shows the holiday; keeping its own name while moving its dates is accepted.
    auto edit = f.open(1);
    EXPECT_EQ(edit->okButton()->text(), QStringLiteral("修改"));
    EXPECT_EQ(edit->nameEdit()->text(), QStringLiteral("Sports Day"));
    EXPECT_EQ(edit->startDate()->date(), QDate(2024, 10, 9));
    EXPECT_EQ(edit->startHour()->text(), QStringLiteral("8"));
    EXPECT_EQ(edit->endHour()->text(), QStringLiteral("17"));
    EXPECT_TRUE(edit->disabledBox()->isChecked());
    retype(edit->nameEdit(), QStringLiteral("sports day"));
    pickDate(edit->startDate(), QDate(2024, 10, 16));
    pickDate(edit->endDate(), QDate(2024, 10, 17));
    ASSERT_TRUE(pressOk(*edit));
    EXPECT_EQ(holidayName(edit->holiday()), QStringLiteral("sports day"));
    EXPECT_EQ(edit->holiday().range, (DateHourRange{2024, 10, 16, 8, 2024, 10, 17, 17}));
    EXPECT_EQ(edit->holiday().disabled, 1);
}

TEST(AdjustedDayDialog, ANewDayStartsAtTodayAndNeedsTwoDifferentDates) {
    RecordedMessages messages;
    HolidayCalendar calendar;
    AdjustedDayDialog dialog(calendar, -1);
    dialog.show();
    const QDate today = QDate::currentDate();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("调休, a日期按b日期来播"));
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("添加"));
    EXPECT_EQ(dialog.dateAEdit()->date(), today);
    EXPECT_EQ(dialog.dateBEdit()->date(), today);
    EXPECT_FALSE(dialog.disabledBox()->isChecked());
    expectRefused(dialog, messages, QStringLiteral("要求：\na日期  ≠  b日期"), dialog.dateBEdit());
    pickDate(dialog.dateAEdit(), QDate(2018, 4, 28));
    pickDate(dialog.dateBEdit(), QDate(2018, 4, 30));
    retype(dialog.remarkEdit(), QStringLiteral("  劳动节 调休\u3000"));
    ASSERT_TRUE(pressOk(dialog));
    const AdjustedDay day = dialog.day();
    EXPECT_EQ(day.dateA, (CalendarDate{2018, 4, 28}));
    EXPECT_EQ(day.dateB, (CalendarDate{2018, 4, 30}));
    EXPECT_EQ(fieldText(day.remark), QStringLiteral("劳动节 调休"));
    EXPECT_EQ(day.disabled, 0);
}

TEST(AdjustedDayDialog, AnADateIsTakenOnlyOnce) {
    RecordedMessages messages;
    HolidayCalendar calendar;
    calendar.adjustedDays.push_back(makeAdjustedDay({2018, 4, 28}, {2018, 4, 30}, true));
    calendar.adjustedDays.push_back(makeAdjustedDay({2018, 9, 29}, {2018, 10, 5}));
    AdjustedDayDialog twin(calendar, -1);
    twin.show();
    pickDate(twin.dateAEdit(), QDate(2018, 4, 28));
    pickDate(twin.dateBEdit(), QDate(2018, 5, 2));
    expectRefused(twin, messages, QStringLiteral("该a日期已存在，不可重复"), twin.dateAEdit());

    AdjustedDayDialog moved(calendar, 1);
    moved.show();
    pickDate(moved.dateAEdit(), QDate(2018, 4, 28));
    expectRefused(moved, messages, QStringLiteral("该a日期已存在，不可重复"), moved.dateAEdit());

    AdjustedDayDialog edit(calendar, 0);
    edit.show();
    EXPECT_EQ(edit.okButton()->text(), QStringLiteral("修改"));
    EXPECT_EQ(edit.dateBEdit()->date(), QDate(2018, 4, 30));
    EXPECT_EQ(edit.remarkEdit()->text(), QStringLiteral("劳动节调休"));
    EXPECT_TRUE(edit.disabledBox()->isChecked());
    pickDate(edit.dateBEdit(), QDate(2018, 4, 29));
    edit.disabledBox()->click();
    ASSERT_TRUE(pressOk(edit)) << "its own a date";
    EXPECT_EQ(edit.day().dateB, (CalendarDate{2018, 4, 29}));
    EXPECT_EQ(edit.day().disabled, 0);
}
