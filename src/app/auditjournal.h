// The audit journal "audit.jsonl" of the root folder: one line of JSON (UTF-8) for every
// change that the program makes to a record or a device, appended and never rewritten.
// Every line is one object, its keys in this order:
//
//   {"time":"2026-12-11T14:05:00+03:30","user":"lab","version":"2.0",
//    "kind":"report.download","details":{...},"prev":"<SHA-256 of the previous line>"}
//
// "prev" is the hexadecimal SHA-256 of the previous line's bytes as written (without its
// line feed); the first line's is that of an empty text. Removing, reordering or editing
// a line therefore breaks the chain at the line after it.
//
// The kinds and their details (the file of a report entry is journalFileKey's text):
//   report.download   {"file","device","channel" (1..4),"before" (reportContentDigest of the
//                      file before the write),"created" (bool),
//                      "header" (when created: the header line written; otherwise
//                      "headerSha": the lineDigest of the header the write found),
//                      "replaced" (when the stored last day gave way: {"month","day","sha"}),
//                      "days":[{"month","day","sha"}, ...]  the day lines appended, in order,
//                      "after" (reportContentDigest of the file as written)}
//   report.remark     {"file","month","line","sha"}
//   report.header     {"file","old","new"}               a header line rewritten
//   report.adopt      {"file","reason","header","days":[{"month","day","sha"}],"remarks":[sha]}
//                      a file's state taken as it stands ("verify --adopt", "first write")
//   journal.torn      {"line" (1-based),"sha"}            an incomplete line accepted by --adopt
//   params.send       {"device","confirmed" (bool),"changes":[{"name","old","new"}]}
//                      "name" GROUP.KEY; a password's values "***"
//   registry.save     {"removed":[line],"added":[line],"changed":[{"old","new"}]}
//   settings.heading  {"old":[line],"new":[line]}
//   settings.background {"old","new"}
//   ledger.period-start {"year" (two digits, as the ledger holds it),"month","day"}
//   device.clock      {"device","clock","confirmed" (bool)}
//                      params.send and device.clock come twice: before the command goes
//                      out without "confirmed" (a journal that cannot take it stops the
//                      command), and with it once the reply is in
//   device.alarm-stop {"device"}
//   device.erase      {"device","confirmation"}
//   download.start    {"run","devices"}
//   download.end      {"run","devicesRead","devicesFailed","status"}
// A "sha" is lineDigest of the line as written. No entry ever holds a password or the
// expert code.
#pragma once

#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>

#include "platform/errors.h"

// The journal could not be read or written. A change whose entry cannot be written
// must not be made: the caller stops it and shows this text.
class JournalError : public FileError
{
public:
    using FileError::FileError;
};

inline const QString kJournalFileName = QStringLiteral("audit.jsonl");

// The journal of the root folder rootDir.
QString journalPath(const QString& rootDir);

// The program's version as the journal records it ("2.0").
QString programVersion();
// The user of the operating system that runs this process (the login name, else the
// user ID as a number).
QString operatingSystemUser();

// Lowercase hexadecimal SHA-256 of bytes, and of a line's text as UTF-8 (a report
// file's line as the program holds it, whatever the file's encoding).
QByteArray sha256Hex(const QByteArray& bytes);
QString lineDigest(const QString& line);

// How an entry names a report file: its path relative to rootDir with "/" (the year
// folder and the file name, "5/A1_Temp.rep"), or its clean absolute path when the file
// lies outside the root folder (a folder chosen for a download).
QString journalFileKey(const QString& rootDir, const QString& path);

// Who writes and when: the user and version recorded in every entry, and the clock.
struct JournalIdentity
{
    QString user = operatingSystemUser();
    QString version = programVersion();
    std::function<QDateTime()> now;  // unset: the program's clock (programNow)
};

// The one writer of a root folder's journal. Safe to use from several threads (the
// side-by-side download) and beside other processes (a timer's run while the windows
// are open): an append takes an exclusive lock on the file (flock), reads what other
// writers appended since, writes its line in one write on the file opened for append
// and flushes it to disk before it returns.
class AuditJournal
{
public:
    explicit AuditJournal(QString rootDir = {}, JournalIdentity who = {});
    AuditJournal(const AuditJournal&) = delete;
    AuditJournal& operator=(const AuditJournal&) = delete;

    // Points the journal at another root folder (forgetting what it had read).
    void reset(const QString& rootDir);
    void setIdentity(JournalIdentity who);
    QString rootDir() const;
    QString path() const;

    // Appends one entry; returns the line written. A journal whose last line was cut
    // off (a crash) gets the entry on a new line. Throws JournalError when the line
    // cannot be written whole and flushed; the journal is then as it was, or ends in
    // a cut-off line that the check reports.
    QByteArray append(const QString& kind, const nlohmann::ordered_json& details);

    // Whether the journal holds a report entry of the file (its journalFileKey).
    bool knowsFile(const QString& fileKey);

private:
    struct Cache
    {
        qint64 size = 0;      // bytes of the journal read so far
        QByteArray lastLine;  // the last line read (complete or cut off)
        bool endsWithLineFeed = true;
        QSet<QString> files;  // report files with an entry
    };
    // Reads what was appended since the cache was filled (from the start when the file
    // shrank or was replaced); fd is the journal, locked.
    void catchUp(int fd);
    void noteLine(const QByteArray& line);

    std::mutex m_mutex;
    QString m_rootDir;
    JournalIdentity m_who;
    Cache m_cache;
    qint64 m_inode = -1;
};

// One line of the journal as read.
struct JournalLine
{
    int number = 0;        // 1-based
    QByteArray text;       // without its line feed
    QByteArray digest;     // sha256Hex(text)
    bool complete = true;  // ended by a line feed
    // The entry, when the line is a JSON object with the keys of an entry.
    std::optional<nlohmann::ordered_json> entry;
};

struct JournalScan
{
    bool exists = false;
    std::vector<JournalLine> lines;
    // The first line whose "prev" does not match the line before it (0: none).
    int chainBreak = 0;
    // Lines that are not an entry (cut off, damaged): their numbers.
    std::vector<int> damaged;
    bool tornLast = false;  // the last line has no line feed
};

// Reads the whole journal at path and checks its chain. A missing file is an empty,
// unbroken journal (exists false). Throws JournalError when it exists but cannot be read.
JournalScan scanJournal(const QString& path);
