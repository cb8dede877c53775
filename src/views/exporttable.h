// Batch export of a month table without a window:
//   termivo --export-table REPORT_FILE [--month M] [--period P] [--minmax] --out OUT_FILE
// loads the report file, draws month M (default: the month the loader opens on) with
// period P hours (1, 3, 6, 12 or 24; default 3), the daily minimum and maximum columns
// filled with --minmax, and writes the table as the "save as text" command does.
#pragma once

#include <functional>

#include <QStringList>
#include <QTextStream>

#include "views/month.h"

// The mode's "--help" text.
QString exportTableHelp();
// True when the arguments (without the program name) ask for the batch export.
bool isExportTableCommand(const QStringList& args);
// Runs it; args without the program name. Returns 0 on success; on a bad file, month,
// period or option writes a message to err, writes no file and returns non-zero.
int runExportTable(const QStringList& args, QTextStream& err);

// A month export's options: the report file, the output file, the month (0: the month
// the loader opens on), the period in hours and the daily minimum and maximum.
struct MonthExportOptions
{
    QString report;
    QString out;
    int month = 0;
    int period = 3;
    bool minMax = false;
};

// The common run of the month exports (--export-table, --export-chart): parses args
// (command: the option that names the report file), calls check (a TermivoError there
// is a bad command line), loads the report file, builds the month and calls write with
// the loaded year and the month view. Returns 0; 2 for a bad command line (one line on
// err); 1 when the file cannot be read or the output cannot be written.
using MonthExportWriter = std::function<void(const MonthExportOptions&, const ReportYear&, MonthView&)>;
int runMonthExport(const QStringList& args, const QString& command, QTextStream& err,
                   const std::function<void(const MonthExportOptions&)>& check, const MonthExportWriter& write);
