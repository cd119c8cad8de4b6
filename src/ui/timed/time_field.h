#pragma once

#include <QLineEdit>
#include <QTime>

// A time of day typed as "hh:mm:ss" (24-hour; "8:05" and "8:05:00" are taken too). Typing
// goes in as typed: nothing is corrected behind the user's back, and a time that cannot be
// valid reads as invalid so that the dialog can refuse it.
class TimeField : public QLineEdit {
    Q_OBJECT
  public:
    explicit TimeField(QWidget* parent = nullptr);

    // Invalid when the text is no time of day.
    QTime time() const;
    void setTime(const QTime& time);
};

// The dialog's warning for a time that cannot be valid; the field gets the focus, selected.
void refuseTime(TimeField* field, QWidget* owner);
