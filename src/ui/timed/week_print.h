#pragma once

#include <QString>

#include "core/timed/week_plan.h"

class QPagedPaintDevice;

// The week on paper: the chart on the first page, then every start of the week in a list, so
// that what a label in the chart had no room for is still there to read.

// "一周概览  2024-05-13 (周一) ~ 2024-05-19 (周日)".
QString weekTitle(const WeekPlan& plan);
// A4 landscape with narrow margins.
void setUpWeekPage(QPagedPaintDevice& device);
// Draws the pages on a device that is set up (a printer after its dialog, a PDF writer).
bool paintWeekPages(QPagedPaintDevice& device, const WeekPlan& plan, QString& message);
// The pages as a PDF file with its fonts embedded; the file is replaced only when complete.
bool exportWeekPdf(const QString& path, const WeekPlan& plan, QString& message);
