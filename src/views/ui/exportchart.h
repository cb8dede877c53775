// Batch export of a month chart without a window:
//   termivo --export-chart REPORT_FILE [--month M] [--period P] [--minmax] --out FILE
// writes the month chart as WMF, PNG or PDF by the output file's extension; the PDF
// holds the chart page and the table pages exactly as they are printed.
#pragma once

#include <QSize>
#include <QStringList>
#include <QTextStream>

// The size of the exported chart picture, in pixels.
inline constexpr QSize kExportChartSize{1200, 700};

// True when the arguments (without the program name) ask for the chart export.
bool isExportChartCommand(const QStringList& args);
// Runs it; args without the program name; exit statuses as for --export-table. Needs a
// QApplication.
int runExportChart(const QStringList& args, QTextStream& err);
// The mode's "--help" text.
QString exportChartHelp();
// The mode as the command line runs it, in a QApplication on the offscreen platform (no
// display is needed): Qt's platform chatter is kept off standard error.
int runExportChartMode(const QStringList& args, QTextStream& out, QTextStream& err);
