// Restores a backup into a data folder once told to, so that a test can kill it with
// SIGKILL at any moment of the restore.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "core/timed/programme_file.h"
#include "core/timed/timetable_backup.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: restore_child DATA_FOLDER ARCHIVE\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    const QString archive = QString::fromLocal8Bit(argv[2]);
    std::puts("ready");
    std::fflush(stdout);
    char line[16];
    if (std::fgets(line, sizeof line, stdin) == nullptr) {
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    QString message;
    Timetable timetable;
    ProgrammeTable previous;
    loadProgrammes(data, previous, message);
    if (!readTimetableBackup(archive, timetable, message) ||
        !writeTimetableFiles(data, timetable, previous, message)) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        return 1;
    }
    std::printf("done %lld\n", static_cast<long long>(timer.nsecsElapsed() / 1000));
    return 0;
}
