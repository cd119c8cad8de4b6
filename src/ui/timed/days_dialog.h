#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QRadioButton;

// "周几或几号": the weekdays or the days of the month a programme plays on.
class DaysDialog : public QDialog {
    Q_OBJECT
  public:
    struct Days {
        bool byWeekday = true;
        qint32 weekdays[7] = {};
        qint32 monthDays[31] = {};
    };
    DaysDialog(const Days& days, QWidget* parent = nullptr);
    Days days() const { return days_; }

    QRadioButton* weekdayRadio() const { return weekdayRadio_; }
    QRadioButton* monthDayRadio() const { return monthDayRadio_; }
    QCheckBox* weekdayBox(int index) const { return weekdayBoxes_[index]; }
    QCheckBox* monthDayBox(int index) const { return monthDayBoxes_[index]; }

    void accept() override;

  private:
    void updateEnabled();

    Days days_;
    QRadioButton* weekdayRadio_;
    QRadioButton* monthDayRadio_;
    QList<QCheckBox*> weekdayBoxes_;
    QList<QCheckBox*> monthDayBoxes_;
};
