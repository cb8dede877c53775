// Batch export of a month table without a window:
//   termivo --export-table REPORT_FILE [--month M] [--period P] [--minmax] --out OUT_FILE
// loads the report file, draws month M (default: the month the loader opens on) with
// period P hours (1, 3, 6, 12 or 24; default 3), the daily minimum and maximum columns
// filled with --minmax, and writes the table as the "save as text" command does.
#pragma once

#include <QStringList>
#include <QTextStream>

// The mode's "--help" text.
QString exportTableHelp();
// True when the arguments (without the program name) ask for the batch export.
bool isExportTableCommand(const QStringList& args);
// Runs it; args without the program name. Returns 0 on success; on a bad file, month,
// period or option writes a message to err, writes no file and returns non-zero.
int runExportTable(const QStringList& args, QTextStream& err);
