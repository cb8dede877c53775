// The audit journal for a person to read:
//   termivo --journal [--root DIR] [--since YYYY-MM-DD] [--device ID]
// prints every entry, oldest first: a line with the journal line's number, the time as
// recorded, the user and what happened in words, then the details indented (the file and
// days of a download, old -> new of a header, parameter, registry or settings change).
// Damaged lines are shown as such, whatever the filter.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "app/auditjournal.h"

struct JournalFilter
{
    // The entries of this Gregorian day and later, by the date of their recorded time
    // (in the offset it was recorded with).
    std::optional<QDate> since;
    // The entries whose "device" is this ID or whose report file's name is this ID
    // followed by its channel digit.
    QString device;
};

// Whether the entry passes the filter.
bool journalEntryMatches(const nlohmann::ordered_json& entry, const JournalFilter& filter);

// "1/1-3, 2/5": the days of a download, runs of consecutive days of a month joined.
QString dayRunsText(const nlohmann::ordered_json& days);

// One entry's block: its first line, then the detail lines indented by two blanks.
QStringList journalEntryLines(int lineNumber, const nlohmann::ordered_json& entry);

// The journal's lines that pass the filter, as text.
QString journalText(const JournalScan& scan, const JournalFilter& filter = {});

QString journalHelp();
// Runs the mode; args without the program name.
int runJournal(const QStringList& args, QTextStream& out, QTextStream& err);
