// The fleet's compliance report on paper: "termivo --report --format pdf".
//   page 1..: a row per channel and month (completeness, minimum, maximum, mean, MKT,
//             hours out of limits, excursions), red where an hour was out of limits
//             or completeness is under 95 %;
//   then:     for each channel and month with an excursion, its month chart (the month
//             view's drawing, excursions shaded) and its excursion list.
// Every page carries the settings file's heading lines, the date and time the report
// was made, and its number.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTextStream>

#include "views/compliancereport.h"

// Completeness under this share (percent) marks a channel's row.
inline constexpr double kLowCompletenessPercent = 95.0;

// The PDF document of report. Needs a QApplication.
QByteArray fleetReportPdf(const FleetReport& report);
// The mode as the command line runs it (every format; pdf needs the offscreen platform).
int runReportMode(const QStringList& args, QTextStream& out, QTextStream& err);
