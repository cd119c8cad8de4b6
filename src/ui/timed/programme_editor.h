#pragma once

#include <QDialog>
#include <QList>
#include <QTimer>

#include "core/storage/app_paths.h"
#include "core/support/messages.h"
#include "core/timed/programme_list_model.h"
#include "core/zones/zone_setup.h"
#include "ui/timed/days_dialog.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ZoneChecks;

// "定时播": creates a programme (index -1) or changes one. When it ends with OK the list
// already holds the programme; the page then saves, the zones chosen among them. With zones
// the editor has a row of them; none ticked is the program-wide output.
class ProgrammeEditor : public QDialog {
    Q_OBJECT
  public:
    ProgrammeEditor(ProgrammeListModel& programmes, int index, RunningProgrammes* runs,
                    const AppPaths& paths, QWidget* parent = nullptr,
                    const ZoneSetup* zones = nullptr);

    // The zones ticked, as the zone list spells them; empty without zones.
    QStringList chosenZones() const;
    ZoneChecks* zoneChecks() const { return zoneChecks_; }

    // The working copies the sub-dialogs change.
    QList<ClockTime> startTimes() const { return startTimes_; }
    void setStartTimes(const QList<ClockTime>& times);
    void setDays(const DaysDialog::Days& days);
    void setDateRange(const DateHourRange& range);

    // The sub-dialogs, as the "设置…" and "选取…" buttons open them.
    void editStartTimes();
    void editDays();
    void editDateRange();

    void accept() override;

  signals:
    // The length label shows the probe's answer for the path typed last.
    void lengthProbed();

  private:
    void buildContent();
    void buildZoneRow(QGridLayout* grid, int row);
    void buildLinks();
    void fill(const Programme& p);
    void updateEnabled();
    void updateLength();
    void chooseFile();
    void chooseFolder();
    bool refuse(MessageIcon icon, const QString& text, QLineEdit* field);
    Programme buildProgramme() const;

    ProgrammeListModel& programmes_;
    int index_;
    RunningProgrammes* runs_;
    AppPaths paths_;
    const ZoneSetup* zones_;
    QList<ClockTime> startTimes_;
    DaysDialog::Days days_;
    DateHourRange range_;

    QLineEdit* name_;
    QRadioButton* fileRadio_;
    QRadioButton* folderRadio_;
    QLineEdit* filePath_;
    QPushButton* fileChoose_;
    QLabel* length_;
    QLineEdit* folderPath_;
    QPushButton* folderChoose_;
    QRadioButton* sequential_;
    QRadioButton* random_;
    QLineEdit* volume_;
    QLineEdit* startTimesText_;
    QRadioButton* tracksRadio_;
    QRadioButton* secondsRadio_;
    QLineEdit* tracks_;
    QLineEdit* seconds_;
    QLineEdit* daysText_;
    QLineEdit* rangeText_;
    QRadioButton* onTime_;
    QRadioButton* mayDelay_;
    QCheckBox* disabled_;
    ZoneChecks* zoneChecks_ = nullptr;
    QPushButton* ok_;
    QTimer probeDelay_;
    int probeSerial_ = 0;
};
