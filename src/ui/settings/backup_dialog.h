#pragma once

#include <QDialog>

class TimetableSwitch;

// "节目备份与还原": the timetable to a ZIP archive and back, which also switches between
// timetables (a summer and a winter one, say).
class BackupDialog : public QDialog {
    Q_OBJECT
  public:
    BackupDialog(TimetableSwitch& timetable, QWidget* parent = nullptr);

    // "备份..." and "还原...".
    void backup();
    void restore();

  private:
    TimetableSwitch& timetable_;
};

// Where the backup and restore dialogs open: the folder of the last backup saved in this run,
// else the user's documents folder, else home.
QString backupFolder();
