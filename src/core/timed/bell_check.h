#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "core/holidays/holiday_calendar.h"
#include "core/settings/system_settings.h"
#include "core/support/clock.h"
#include "core/timed/programme_table.h"
#include "core/timed/today_model.h"

// A start of the coming 24 hours and what it will play.
struct DueStart {
    LocalDateTime start;
    QString name;
    QString path;
    bool folder = false;
};

// The starts from `from` (exclusive) to 24 hours later, in time order, by the preview's
// evaluation.
std::vector<DueStart> startsInNextDay(const ProgrammeTable& table, const HolidayCalendar& calendar,
                                      const LocalDateTime& from);

// The check before the bell: every start of the next 24 hours is checked without playing,
// its music on a worker thread, so that a missing file or device shows hours before the
// bell. Checks run on request (a change of the timetable or settings, coalesced), when a
// watched music file or folder changes, and once a day shortly after midnight.
class BellCheck : public QObject {
    Q_OBJECT
  public:
    // Both are called on the worker thread; each answers the problem or empty.
    using MusicProbe = std::function<QString(const QString& path, bool folder)>;
    using DeviceProbe = std::function<QString(const QString& deviceName)>;

    BellCheck(const ProgrammeTable& table, const HolidayCalendar& calendar,
              const SystemSettings& settings, const Clock& clock, MusicProbe music,
              DeviceProbe device, QObject* parent = nullptr);
    ~BellCheck() override;

    // Paths watched for changes, for tests.
    QStringList watchedPaths() const;

  public slots:
    // A check soon; a burst of changes makes one check.
    void request();
    // A check now (the previous one's results, if still to come, are dropped).
    void runNow();
    // The clock moved: the daily check after midnight.
    void update();

  signals:
    // The problems of the starts of the next 24 hours (a device problem has no name).
    void checked(const std::vector<StartProblem>& problems);
    // The problem of each programme's file or folder, due soon or not, by path (paths that
    // would play are absent).
    void pathsChecked(const QHash<QString, QString>& problems);

  private:
    struct Finding {
        QString path;
        bool folder = false;
        QString problem;
        bool watchable = false;
    };
    void finish(int generation, const std::vector<DueStart>& starts,
                const std::vector<Finding>& findings, const QString& deviceProblem);
    void watch(const std::vector<Finding>& findings);

    const ProgrammeTable& table_;
    const HolidayCalendar& calendar_;
    const SystemSettings& settings_;
    const Clock& clock_;
    MusicProbe music_;
    DeviceProbe device_;
    QTimer soon_;
    QFileSystemWatcher watcher_;
    int generation_ = 0;
    LocalDateTime lastDaily_;
    std::shared_ptr<std::atomic<int>> latest_ = std::make_shared<std::atomic<int>>(0);
    QThreadPool pool_;
};
