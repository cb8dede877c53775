// Report files in the audit journal: what an entry records of a report file's lines,
// and the state of every report file that the journal's entries add up to (the header
// in force at each moment, and the day and remark lines the program wrote).
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "app/auditjournal.h"

// A line after the header, as the journal names it: the day of a day line (month and
// day 0 for a line that is neither a day line nor a remark) and its lineDigest.
struct DayDigest
{
    int month = 0;
    int day = 0;
    QString sha;
    friend bool operator==(const DayDigest&, const DayDigest&) = default;
};

// A report file's lines as the journal sees them.
struct ReportDigest
{
    QString header;               // line 0 (empty for an empty file)
    std::vector<DayDigest> days;  // the day lines (and unreadable lines), in file order
    QStringList remarks;          // lineDigest of every remark (comment) line, in file order
};

// The digest of a report file's lines (as readTextFile gives them).
ReportDigest digestReportLines(const QStringList& lines);

// The digest of a report file's whole content (its lines as the program holds them):
// a download's entry records it before and after the write ("before", "after"), so
// that a write whose entry went out but whose file was never replaced (a crash between
// the two) is recognised by the next write.
QString reportContentDigest(const QStringList& lines);

// The details of the entries that report writes make (see auditjournal.h for the keys).
nlohmann::ordered_json dayDigestsJson(const std::vector<DayDigest>& days);
nlohmann::ordered_json reportAdoptDetails(const QString& fileKey, const QString& reason, const ReportDigest& digest);
nlohmann::ordered_json reportRemarkDetails(const QString& fileKey, int month, const QString& line);
nlohmann::ordered_json reportHeaderDetails(const QString& fileKey, const QString& oldHeader, const QString& newHeader);

// Why a file's state was taken as it stands.
inline const QString kAdoptByVerify = QStringLiteral("verify --adopt");
inline const QString kAdoptAtFirstWrite = QStringLiteral("first write");

// A header line and the moment from which the journal says it was in force.
struct HeaderInForce
{
    QDateTime since;
    QString header;
    int line = 0;  // the journal line that recorded it
};

// What the journal says one report file holds.
struct JournalledReport
{
    std::vector<HeaderInForce> headers;  // in journal order; the last one is the header expected now
    std::vector<DayDigest> days;         // the day lines expected, in file order
    std::vector<QString> remarks;        // the remark lines expected (lineDigest), in file order
    int firstLine = 0;                   // the journal line of the file's first entry
    int lastLine = 0;                    // ... and of its last
    // The days of the file's last download entry, the days it replaced included: what a
    // write cut short between its entry and its rename leaves different.
    std::vector<DayDigest> lastWrite;
    // Journal lines of downloads whose write never reached the file: the next download's
    // entry found the file as it was before them (its "before" is their "before").
    std::vector<int> unfinishedWrites;

    // How to take back the last download, should the next one show that it never
    // reached the file.
    struct LastDownload
    {
        int line = 0;
        QString before;  // reportContentDigest of the file before it, and after
        QString after;
        bool created = false;
        std::vector<DayDigest> removedDays;  // the day it replaced, when it replaced one
        size_t appended = 0;                 // how many day lines it appended
        std::vector<DayDigest> daysBefore;   // a created file's days before it (kept only then)
    };
    std::optional<LastDownload> lastDownload;
    // The journal line of the last header rewrite that no later write has yet found in
    // the file (a download records the header it found as "headerSha"): the rewrite that
    // a crash before its rename could have left out.
    int pendingHeaderRewrite = 0;
};

// The day lines expected before the file's last download (file.days when it has none):
// what the file holds when that download's entry went out and its rename did not.
std::vector<DayDigest> daysBeforeLastDownload(const JournalledReport& file);

// The report files of a journal by their journalFileKey, from the report entries that
// are entries (damaged lines are passed over) in journal order. An entry that does not
// fit the state before it (a download replacing a day that is not the last) is applied
// as it says.
std::map<QString, JournalledReport> replayReportEntries(const JournalScan& scan);

// The moment of an entry (its "time"); invalid when missing or unreadable.
QDateTime entryTime(const nlohmann::ordered_json& entry);
