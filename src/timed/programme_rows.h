#pragma once

#include <QString>
#include <QStringList>

#include "timed/programme.h"

// The cells of a programme's row in the programme list, at a moment (for the status).
QStringList programmeRowTexts(const Programme& p, const LocalDateTime& now);
// "%d遍", "%d首" or "%d秒".
QString durationText(const Programme& p);
QString startTimesText(const Programme& p);
QString daysText(const Programme& p);
