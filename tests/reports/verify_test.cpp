#include "reports/verify.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/journalview.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/annotations.h"

namespace {

using Kind = VerifyFinding::Kind;

const QString kA = QStringLiteral("5/A1_T.rep");
const QString kB = QStringLiteral("5/B2_T.rep");

JournalIdentity labUser()
{
    JournalIdentity id;
    id.user = QStringLiteral("lab");
    id.version = QStringLiteral("2.0");
    id.now = [] { return QDateTime(QDate(2026, 3, 21), QTime(10, 0), Qt::OffsetFromUTC, 12600); };
    return id;
}

// A root whose report files were written as the program writes them: the new file is
// written, its entry appended, and (the rename) it stands.
class VerifyTest : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        journal = std::make_unique<AuditJournal>(root(), labUser());
    }

public:  // for the tampering table's steps
    using RootFixture::path;

    // A download into file key ("5/A1_T.rep") through the program's writer: a new file
    // (with header), or day lines appended, the stored last day giving way to a fuller copy.
    void download(const QString& key, const QStringList& days)
    {
        appendReportLines(ReportDestination{root(), {}}, path(key), 5, QStringList{reportHeader()} + days,
                          DownloadedChannel{key.mid(2, 1), key.mid(3, 1).toInt()}, *journal);
    }
    void remark(const QString& key, int month, const QString& text)
    {
        appendRemark(path(key), month, formatCommentLine(month, text), *journal);
    }
    // Two files: A with a replaced last day and a remark, B with a day downloaded twice
    // (journal lines 1-3 and 4-6).
    void buildRoot()
    {
        download(kA, {fullDayT(3, 1, 20), fullDayT(3, 2, 21), dayLineT(3, 3, {22, 22})});
        download(kA, {fullDayT(3, 3, 22), fullDayT(3, 4, 23)});
        remark(kA, 3, QStringLiteral("door left open"));
        download(kB, {fullDayT(3, 1, 40), fullDayT(3, 2, 41)});
        download(kB, {fullDayT(3, 1, 40)});  // an earlier day read again (a period start set back)
        download(kB, {fullDayT(3, 3, 42)});
    }
    void editFile(const QString& key, const std::function<void(QStringList&)>& edit)
    {
        QStringList lines = readTextFile(path(key)).lines;
        edit(lines);
        writeTextFile(path(key), lines);
    }
    QList<QByteArray> journalLines()
    {
        QList<QByteArray> lines = readFileBytes(journalPath(root())).split('\n');
        lines.removeLast();  // after the last line feed
        return lines;
    }
    void writeJournal(const QList<QByteArray>& lines, bool lastComplete = true)
    {
        writeFileBytes(journalPath(root()), lines.join('\n') + (lastComplete ? "\n" : ""));
    }

    std::unique_ptr<AuditJournal> journal;
};

TEST_F(VerifyTest, AnUntouchedRootMatchesDuplicatesAndReplacedDaysIncluded)
{
    buildRoot();
    const VerifyResult r = verifyRoot(root());
    EXPECT_EQ(r.status(), kVerifyMatches);
    EXPECT_TRUE(r.findings.empty()) << verifyText(r).toStdString();
    EXPECT_EQ(r.files, (QStringList{kA, kB}));
}

TEST_F(VerifyTest, EveryTamperingIsADifferenceNamingItsPlace)
{
    const struct
    {
        const char* name;
        std::function<void(VerifyTest&)> tamper;
        Kind kind;
        QString file;
        int month, day, line;
    } cases[] = {
        {"hour code changed",
         [](VerifyTest& t) { t.editFile(kA, [](QStringList& l) { l[2].replace(6, 2, QStringLiteral("AB")); }); },
         Kind::DayChanged, kA, 3, 2, 0},
        {"day line removed", [](VerifyTest& t) { t.editFile(kA, [](QStringList& l) { l.removeAt(1); }); },
         Kind::DayRemoved, kA, 3, 1, 0},
        {"one of a day's two copies removed",
         [](VerifyTest& t) { t.editFile(kB, [](QStringList& l) { l.removeAt(2); }); }, Kind::DayRemoved, kB, 3, 2, 0},
        {"forged day appended", [](VerifyTest& t) { t.editFile(kA, [](QStringList& l) { l << fullDayT(3, 5, 20); }); },
         Kind::DayAdded, kA, 3, 5, 0},
        {"header limit edited",
         [](VerifyTest& t) { t.editFile(kA, [](QStringList& l) { l[0] = reportHeader("H", "T", "18", "30"); }); },
         Kind::HeaderChanged, kA, 0, 0, 0},
        {"remark edited",
         [](VerifyTest& t) {
             t.editFile(kA, [](QStringList& l) { l.last() = formatCommentLine(3, QStringLiteral("all fine")); });
         },
         Kind::RemarkChanged, kA, 0, 0, 1},
        {"file deleted", [](VerifyTest& t) { QFile::remove(t.path(kB)); }, Kind::FileRemoved, kB, 0, 0, 0},
        {"journal entry edited",
         [](VerifyTest& t) {
             auto l = t.journalLines();
             l[1].replace("\"channel\":1", "\"channel\":2");
             t.writeJournal(l);
         },
         Kind::ChainBreak,
         {},
         0,
         0,
         3},
        {"journal entry removed",
         [](VerifyTest& t) {
             auto l = t.journalLines();
             l.removeAt(2);
             t.writeJournal(l);
         },
         Kind::ChainBreak,
         {},
         0,
         0,
         3},
        {"journal entries swapped",
         [](VerifyTest& t) {
             auto l = t.journalLines();
             l.swapItemsAt(3, 4);
             t.writeJournal(l);
         },
         Kind::ChainBreak,
         {},
         0,
         0,
         4},
        {"journal's last line cut off",
         [](VerifyTest& t) {
             auto l = t.journalLines();
             l.last().chop(20);
             t.writeJournal(l, false);
         },
         Kind::TornLastLine,
         {},
         0,
         0,
         6},
        {"journal line damaged",
         [](VerifyTest& t) {
             auto l = t.journalLines();
             l[0] = "{\"time\":";
             t.writeJournal(l);
         },
         Kind::DamagedLine,
         {},
         0,
         0,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& name : QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QFileInfo(path(name)).isDir() ? QDir(path(name)).removeRecursively() : QFile::remove(path(name));
        journal->reset(root());
        buildRoot();
        c.tamper(*this);
        const VerifyResult r = verifyRoot(root());
        EXPECT_EQ(r.status(), kVerifyDifference);
        const bool named = std::any_of(r.findings.begin(), r.findings.end(), [&](const VerifyFinding& f) {
            return f.kind == c.kind && f.file == c.file && f.month == c.month && f.day == c.day && f.line == c.line;
        });
        EXPECT_TRUE(named) << verifyText(r).toStdString();
    }
}

TEST_F(VerifyTest, AWriteCutShortAfterItsEntryIsNamedUntilTheNextDownloadWritesItAgain)
{
    buildRoot();
    const QStringList before = readTextFile(path(kB)).lines;
    download(kB, {fullDayT(3, 3, 42.5), fullDayT(3, 4, 43)});
    writeTextFile(path(kB), before);  // the rename never happened
    VerifyResult r = verifyRoot(root());
    EXPECT_EQ(r.status(), kVerifyDifference) << verifyText(r).toStdString();
    ASSERT_EQ(r.findings.size(), 1u);
    EXPECT_EQ(r.findings[0].kind, Kind::UnfinishedWrite);
    EXPECT_EQ(r.findings[0].line, 7);

    // The ledger was not written either: the next run reads the same days again, and
    // the journal takes back the write that never reached the file.
    download(kB, {fullDayT(3, 3, 42.5), fullDayT(3, 4, 43)});
    r = verifyRoot(root());
    EXPECT_EQ(r.status(), kVerifyMatches) << verifyText(r).toStdString();
}

TEST_F(VerifyTest, AdoptJournalsUnjournalledFilesAndDamagedLinesOnly)
{
    buildRoot();
    writeLines(path("5/C1_T.rep"), {reportHeader(), fullDayT(2, 1, 20)});
    writeLines(path("6/C1_T.rep"), {reportHeader(), fullDayT(1, 1, 20)});
    auto lines = journalLines();
    lines.last().chop(10);
    writeJournal(lines, false);

    VerifyResult r = verifyRoot(root(), 5);
    EXPECT_EQ(r.status(), kVerifyDifference);
    EXPECT_EQ(r.files, (QStringList{kA, kB, "5/C1_T.rep"}));

    const AdoptResult done = adoptUnjournalled(*journal, root(), 5);
    EXPECT_EQ(done.files, QStringList{"5/C1_T.rep"});
    EXPECT_EQ(done.lines, std::vector<int>{6});
    EXPECT_TRUE(adoptUnjournalled(*journal, root(), 5).files.isEmpty());  // nothing left to take

    r = verifyRoot(root(), 5);
    // B's second download was in the cut-off line: the journal does not hold its day.
    EXPECT_TRUE(std::any_of(r.findings.begin(), r.findings.end(), [](const VerifyFinding& f) {
        return f.kind == Kind::DayAdded && f.file == kB && f.day == 3;
    }));
    EXPECT_TRUE(std::any_of(r.findings.begin(), r.findings.end(),
                            [](const VerifyFinding& f) { return f.kind == Kind::AcceptedLine && f.line == 6; }));
    EXPECT_TRUE(std::none_of(r.findings.begin(), r.findings.end(), [](const VerifyFinding& f) {
        return f.kind == Kind::NotJournalled || f.kind == Kind::TornLastLine;
    }));
    // The other year stays as it was.
    EXPECT_EQ(verifyRoot(root(), 6).findings.front().kind, Kind::NotJournalled);
}

TEST_F(VerifyTest, TheProgramChecksAdoptsAndAnswersWithItsStatus)
{
    // Files from before the journal: notes only.
    writeLines(path("5/A1_T.rep"), {reportHeader(), fullDayT(3, 1, 20)});
    ProgramRun run = runTermivo({"--verify", "--root", root()});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("5/A1_T.rep: not journalled")) << run.out.toStdString();
    EXPECT_TRUE(run.out.endsWith(": 0 differences, 1 notes: the records match the audit journal\n"));

    run = runTermivo({"--verify", "--root", root(), "--adopt"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out,
              "1 report files and 1 journal lines checked: 0 differences, 0 notes: the records match the audit "
              "journal\n");
    EXPECT_EQ(replayReportEntries(scanJournal(journalPath(root()))).count(kA), 1u);

    editFile(kA, [](QStringList& l) { l[1] = fullDayT(3, 1, 25); });
    run = runTermivo({"--verify", "--root", root()});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.startsWith("5/A1_T.rep: day 3/1 was changed outside the program\n")) << run.out.toStdString();
    run = runTermivo({"--verify", "--root", root(), "--format", "json"});
    EXPECT_EQ(run.code, 1);
    const auto doc = nlohmann::json::parse(run.out.toStdString());
    EXPECT_EQ(doc["counts"]["differences"], 1);
    EXPECT_EQ(doc["findings"][0]["day"], "3/1");
    EXPECT_EQ(doc["files"][0]["status"], "differs");
}

TEST_F(VerifyTest, UsageErrorsAndAnEmptyRoot)
{
    EXPECT_EQ(runTermivo({"--verify", "--root", root()}).code, kVerifyNothing);
    for (const QStringList& args : {QStringList{"--year", "123"}, QStringList{"--format", "xml"},
                                    QStringList{"--since"}, QStringList{"--root", path("none")}}) {
        const ProgramRun run = runTermivo(QStringList{"--verify"} + args);
        EXPECT_EQ(run.code, kVerifyUsage) << args.join(' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1);
    }
    EXPECT_EQ(runTermivo({"--journal", "--root", root()}).code, 4);
    EXPECT_EQ(runTermivo({"--journal", "--root", root(), "--since", "2026-13-01"}).code, 2);
}

TEST_F(VerifyTest, TheJournalReadsAsTextAndFilters)
{
    journal->setIdentity([] {
        JournalIdentity id = labUser();
        id.now = [] { return QDateTime(QDate(2026, 3, 19), QTime(9, 0), Qt::OffsetFromUTC, 12600); };
        return id;
    }());
    journal->append(
        QStringLiteral("params.send"),
        {{"device", "B"},
         {"confirmed", true},
         {"changes", nlohmann::ordered_json::array({{{"name", "Interval"}, {"old", "10"}, {"new", "5"}}})}});
    journal->setIdentity(labUser());
    download(kA, {fullDayT(3, 1, 20), fullDayT(3, 2, 21), fullDayT(3, 3, 21), fullDayT(4, 1, 21)});
    journal->append(QStringLiteral("report.header"),
                    reportHeaderDetails(kA, reportHeader(), reportHeader("H", "T", "18", "25")));
    auto lines = journalLines();
    lines << "not json";
    writeJournal(lines);

    const ProgramRun run = runTermivo({"--journal", "--root", root()});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, QStringLiteral("line 1  2026-03-19T09:00:00+03:30  lab  parameters sent to a device\n"
                                      "  device B, confirmed: yes\n"
                                      "  Interval: \"10\" -> \"5\"\n"
                                      "line 2  2026-03-21T10:00:00+03:30  lab  download written to a report file\n"
                                      "  5/A1_T.rep (device A, channel 1), a new file\n"
                                      "  header: \"%1\"\n"
                                      "  days (4): 3/1-3, 4/1\n"
                                      "line 3  2026-03-21T10:00:00+03:30  lab  report file header rewritten\n"
                                      "  5/A1_T.rep\n"
                                      "  header: \"%1\" -> \"%2\"\n"
                                      "line 4  damaged, not an entry: not json\n")
                           .arg(reportHeader(), reportHeader("H", "T", "18", "25")));

    const JournalScan scan = scanJournal(journalPath(root()));
    auto numbers = [&](const JournalFilter& filter) {
        QStringList firstLines;
        for (const QString& l : journalText(scan, filter).split('\n'))
            if (l.startsWith("line ")) firstLines << l.section(' ', 1, 1);
        return firstLines;
    };
    EXPECT_EQ(numbers({QDate(2026, 3, 20), {}}), (QStringList{"2", "3", "4"}));
    EXPECT_EQ(numbers({{}, "B"}), (QStringList{"1", "4"}));
    EXPECT_EQ(numbers({{}, "A"}), (QStringList{"2", "3", "4"}));
    EXPECT_EQ(numbers({QDate(2026, 3, 22), "A"}), (QStringList{"4"}));
}

}  // namespace
