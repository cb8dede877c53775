// The check of the report files against the audit journal:
//   termivo --verify [--root DIR] [--year YY] [--format text|json] [--adopt]
// compares every report file of the root folder's year folders with what the journal's
// entries add up to (replayReportEntries), and checks the journal's own chain. A
// difference is a change that the program did not make (a day line or remark edited,
// removed or added by hand, a header that is not the last one journalled, a journalled
// file gone) or a journal line edited, removed, reordered, damaged or cut off. A note
// is something to know that is not a fault: a file the journal has no entry for (made
// before the journal), a damaged line that "--adopt" accepted. A download whose entry
// was written but whose file write was cut short (the journal is written first) is a
// difference of its own, named with its journal line: the file lacks what the journal
// says was written, exactly as if someone had taken those days out. The next download
// of the channel reads the days again and its entry shows that the write never reached
// the file, which then matches again.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>
#include <QTextStream>

#include "app/auditjournal.h"
#include "reports/reportjournal.h"

enum VerifyStatus {
    kVerifyMatches = 0,     // every file and the chain match (notes allowed)
    kVerifyDifference = 1,  // at least one difference
    kVerifyUsage = 2,
    kVerifyNothing = 4,  // no journal and no report file
};

struct VerifyFinding
{
    enum class Kind {
        DayChanged,     // a day line differs from the one the journal holds
        DayRemoved,     // a journalled day line is missing from the file
        DayAdded,       // a day line the journal does not hold
        RemarkChanged,  // likewise for remark lines (day: the remark's place among them)
        RemarkRemoved,
        RemarkAdded,
        HeaderChanged,    // the header is not the last one journalled (expected, found)
        FileRemoved,      // a journalled file that no longer exists
        FileUnreadable,   // a report file that cannot be read (found: why)
        ChainBreak,       // the journal's chain breaks at line
        DamagedLine,      // a journal line that is not an entry
        TornLastLine,     // the journal's last line is cut off
        NotJournalled,    // note: a file with no entry
        AcceptedLine,     // note: a damaged line that a journal.torn entry accepted
        UnfinishedWrite,  // the last download's entry (line) whose file write was cut short
    };
    Kind kind = Kind::DayChanged;
    QString file = {};  // journalFileKey; empty for the journal's own findings
    int month = 0;
    int day = 0;
    int line = 0;  // journal line (chain findings, unfinished write), or the remark's place (1-based)
    QString expected = {};
    QString found = {};

    bool isNote() const;
};

struct VerifyResult
{
    bool journalExists = false;
    // Every file looked at (in the year folders or journalled), by journalFileKey, sorted.
    QStringList files;
    std::vector<VerifyFinding> findings;  // files in order, then the journal's own
    int chainBreak = 0;
    std::vector<int> damaged;
    bool tornLast = false;
    int journalLines = 0;

    int differences() const;
    int notes() const;
    int status() const;
};

// The report files of root's year folders (folders of one or two digits; only folder
// yy when given): their journalFileKey, sorted.
QStringList yearFolderReportFiles(const QString& root, std::optional<int> yy = std::nullopt);

// The findings of one report file: its lines as read (nullopt: the file does not exist)
// against what the journal says it holds (nullptr: no entry).
std::vector<VerifyFinding> compareReportFile(const QString& fileKey, const std::optional<QStringList>& lines,
                                             const JournalledReport* journalled);

// The findings of the journal's own chain.
std::vector<VerifyFinding> checkJournalChain(const JournalScan& scan);

// The whole check of root (the year folder yy only, when given) against the journal scanned.
VerifyResult verifyRoot(const QString& root, const JournalScan& scan, std::optional<int> yy = std::nullopt);
// Scans root's journal and checks. Throws JournalError when the journal cannot be read.
VerifyResult verifyRoot(const QString& root, std::optional<int> yy = std::nullopt);

// What "--adopt" journalled.
struct AdoptResult
{
    QStringList files;       // report.adopt entries written, by file
    std::vector<int> lines;  // journal.torn entries written, by the line accepted
};
// Journals a report.adopt (kAdoptByVerify) for every report file of root's year folders
// (yy only, when given) that has no entry, and a journal.torn for every damaged line
// that no journal.torn accepted yet. Journalled files are not touched. Throws
// JournalError when an entry cannot be written (those before it stay written).
AdoptResult adoptUnjournalled(AuditJournal& journal, const QString& root, std::optional<int> yy = std::nullopt);

// One readable line per finding (translated where the program runs in Persian).
QString findingText(const VerifyFinding& finding);
// The check as text: a line per finding, then the summary line.
QString verifyText(const VerifyResult& result);
// The check as one JSON document.
nlohmann::ordered_json verifyJson(const VerifyResult& result);

// The day lines of one report file (its lines as loaded) that differ from the journal,
// as "month/day" texts in file order, each once; empty when the file matches or has no
// entry. For the warning on opening a file.
QStringList differingDays(const QString& root, const QString& path, const QStringList& lines);

QString verifyHelp();
// Runs the mode; args without the program name.
int runVerify(const QStringList& args, QTextStream& out, QTextStream& err);
