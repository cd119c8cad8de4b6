#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/support/date_time.h"
#include "core/timed/today_model.h"

// What the running program tells a tool that asks (`--status`, D-Bus Status()).
struct ProgramStatus {
    struct Playing {
        QString programme;
        LocalDateTime since;
        QStringList zones;  // empty: the program-wide output
    };
    struct Next {
        LocalDateTime time;
        QString programme;
    };
    QString version;
    LocalDateTime now;
    std::vector<Playing> playing;
    std::optional<Next> next;
    // From the check before each bell.
    std::vector<StartProblem> problems;
    bool immediatePlaying = false;
    QString immediateTrack;
    // The emergency alarm, and the second it began.
    std::optional<LocalDateTime> emergencySince;
};

// One JSON object: "version", "now" (YYYY-MM-DD HH:MM:SS), "playing" [{"programme",
// "since", "zones"}], "next" {"time", "programme"} or null, "problems" [{"time", "programme",
// "text"}], "immediate" {"playing", "track"}, "emergency" {"sounding", "since" or null}.
QByteArray statusJson(const ProgramStatus& status);
