#include "app/auditjournal.h"

#include <gtest/gtest.h>
#include <thread>

#include <QFile>

#include "app/journalview.h"
#include "reports/reportjournal.h"
#include "support/fixtures.h"

namespace {

class AuditJournalTest : public RootFixture
{
protected:
    JournalIdentity who()
    {
        JournalIdentity id;
        id.user = QStringLiteral("lab");
        id.version = QStringLiteral("9.9");
        id.now = [] { return QDateTime(QDate(2026, 3, 21), QTime(10, 0), Qt::OffsetFromUTC, 12600); };
        return id;
    }
    QByteArray journalBytes()
    {
        QFile f(journalPath(root()));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    void appendRaw(const QByteArray& bytes)
    {
        QFile f(journalPath(root()));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(bytes);
    }
};

TEST_F(AuditJournalTest, EntriesChainEachToTheLineBefore)
{
    AuditJournal journal(root(), who());
    const QByteArray first = journal.append(QStringLiteral("device.alarm-stop"), {{"device", "A"}});
    journal.append(QStringLiteral("report.remark"),
                   reportRemarkDetails(QStringLiteral("5/A1_T.rep"), 2, "Comment,2,x"));
    EXPECT_EQ(
        first,
        QByteArray(R"({"time":"2026-03-21T10:00:00+03:30","user":"lab","version":"9.9","kind":"device.alarm-stop",)"
                   R"("details":{"device":"A"},"prev":")") +
            sha256Hex({}) + "\"}");
    const JournalScan scan = scanJournal(journalPath(root()));
    ASSERT_EQ(scan.lines.size(), 2u);
    EXPECT_EQ(scan.chainBreak, 0);
    EXPECT_TRUE(scan.damaged.empty());
    EXPECT_EQ(QByteArray::fromStdString((*scan.lines[1].entry)["prev"].get<std::string>()), sha256Hex(first));
    EXPECT_TRUE(journal.knowsFile(QStringLiteral("5/A1_T.rep")));
    EXPECT_FALSE(journal.knowsFile(QStringLiteral("5/A2_T.rep")));
}

TEST_F(AuditJournalTest, ThreadsAndASecondWriterKeepOneUnbrokenChain)
{
    AuditJournal journal(root(), who());
    AuditJournal other(root(), who());  // another process, as far as the file can tell
    std::vector<std::thread> threads;
    threads.reserve(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i)
                (t % 2 ? other : journal)
                    .append(QStringLiteral("report.remark"),
                            reportRemarkDetails(QStringLiteral("5/F%1.rep").arg(t), 1, "Comment"));
        });
    for (auto& t : threads) t.join();
    const JournalScan scan = scanJournal(journalPath(root()));
    EXPECT_EQ(scan.lines.size(), 100u);
    EXPECT_EQ(scan.chainBreak, 0);
    // Each writer learns the other's files from the file.
    EXPECT_TRUE(journal.knowsFile(QStringLiteral("5/F1.rep")));
    EXPECT_TRUE(other.knowsFile(QStringLiteral("5/F0.rep")));
}

TEST_F(AuditJournalTest, ACutOffLastLineIsReportedAndTheNextEntryStartsANewLine)
{
    AuditJournal journal(root(), who());
    journal.append(QStringLiteral("device.alarm-stop"), {{"device", "A"}});
    appendRaw(R"({"time":"2026-03-21T10:00:00+03:30","user":"lab","ki)");
    JournalScan scan = scanJournal(journalPath(root()));
    EXPECT_TRUE(scan.tornLast);
    EXPECT_EQ(scan.damaged, std::vector<int>{2});

    journal.append(QStringLiteral("device.alarm-stop"), {{"device", "B"}});
    scan = scanJournal(journalPath(root()));
    ASSERT_EQ(scan.lines.size(), 3u);
    EXPECT_FALSE(scan.tornLast);
    EXPECT_EQ(scan.damaged, std::vector<int>{2});
    EXPECT_EQ(scan.chainBreak, 0);  // the chain runs through the cut-off line as it stands
    EXPECT_TRUE(journalBytes().endsWith("}\n"));
}

TEST_F(AuditJournalTest, EditingRemovingOrSwappingALineBreaksTheChainAfterIt)
{
    AuditJournal journal(root(), who());
    for (int i = 0; i < 4; ++i) journal.append(QStringLiteral("device.alarm-stop"), {{"device", i}});
    const QList<QByteArray> lines = journalBytes().split('\n');
    const struct
    {
        const char* name;
        QList<QByteArray> lines;
        int breaksAt;
    } cases[] = {
        {"edited", {lines[0], QByteArray(lines[1]).replace("\"device\":1", "\"device\":7"), lines[2], lines[3]}, 3},
        {"removed", {lines[0], lines[2], lines[3]}, 2},
        {"swapped", {lines[0], lines[2], lines[1], lines[3]}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(journalPath(root()));
        appendRaw(c.lines.join('\n') + '\n');
        EXPECT_EQ(scanJournal(journalPath(root())).chainBreak, c.breaksAt);
    }
}

TEST_F(AuditJournalTest, AJournalThatCannotBeWrittenFailsTheAppend)
{
    ASSERT_TRUE(QDir(root()).mkdir(kJournalFileName));  // a folder where the file should be
    AuditJournal journal(root(), who());
    EXPECT_THROW(journal.append(QStringLiteral("device.alarm-stop"), {{"device", "A"}}), JournalError);
    AuditJournal nowhere(QString(), who());
    EXPECT_THROW(nowhere.append(QStringLiteral("device.alarm-stop"), {{"device", "A"}}), JournalError);
}

TEST(ReportJournalTest, ReplayFollowsDownloadsRemarksHeadersAndAdoption)
{
    auto entry = [](int n, const char* kind, nlohmann::ordered_json details) {
        JournalLine line;
        line.number = n;
        line.entry = nlohmann::ordered_json{
            {"time", "2026-03-21T10:00:00+03:30"}, {"kind", kind}, {"details", std::move(details)}, {"prev", ""}};
        return line;
    };
    const std::vector<DayDigest> first{{1, 1, "a"}, {1, 2, "b"}};
    JournalScan scan;
    scan.lines.push_back(
        entry(1, "report.download",
              {{"file", "5/A1_T.rep"}, {"created", true}, {"header", "H1"}, {"days", dayDigestsJson(first)}}));
    scan.lines.push_back(entry(2, "report.remark", reportRemarkDetails("5/A1_T.rep", 1, "Comment,1,x")));
    scan.lines.push_back(entry(3, "report.download",
                               {{"file", "5/A1_T.rep"},
                                {"created", false},
                                {"replaced", {{"month", 1}, {"day", 2}, {"sha", "b"}}},
                                {"days", dayDigestsJson({{1, 2, "c"}, {1, 3, "d"}})}}));
    scan.lines.push_back(entry(4, "report.header", reportHeaderDetails("5/A1_T.rep", "H1", "H2")));
    ReportDigest adopted;
    adopted.header = QStringLiteral("G");
    adopted.days = {{2, 1, "e"}};
    scan.lines.push_back(entry(5, "report.adopt", reportAdoptDetails("5/B1_T.rep", kAdoptByVerify, adopted)));

    const auto files = replayReportEntries(scan);
    ASSERT_EQ(files.size(), 2u);
    const JournalledReport& a = files.at("5/A1_T.rep");
    EXPECT_EQ(a.days, (std::vector<DayDigest>{{1, 1, "a"}, {1, 2, "c"}, {1, 3, "d"}}));
    EXPECT_EQ(a.remarks, std::vector<QString>{lineDigest("Comment,1,x")});
    ASSERT_EQ(a.headers.size(), 2u);
    EXPECT_EQ(a.headers.back().header, "H2");
    EXPECT_EQ(a.lastWrite, (std::vector<DayDigest>{{1, 2, "b"}, {1, 2, "c"}, {1, 3, "d"}}));
    EXPECT_EQ(a.firstLine, 1);
    EXPECT_EQ(a.lastLine, 4);
    EXPECT_EQ(files.at("5/B1_T.rep").days, adopted.days);
}

}  // namespace

namespace {

TEST(ReportJournalTest, EntriesOfTheWrongShapeAreReadWithoutFailing)
{
    JournalScan scan;
    JournalLine line;
    line.number = 1;
    line.entry = nlohmann::ordered_json::parse(
        R"({"time":"x","kind":"report.download","details":{"file":"5/X.rep","created":"yes","before":7,
            "replaced":[1],"days":[{"month":"x"},3]},"prev":""})");
    scan.lines.push_back(line);
    line.number = 2;
    line.entry = nlohmann::ordered_json::parse(
        R"({"time":"x","kind":"report.header","details":{"file":"5/X.rep","old":[],"new":{}},"prev":""})");
    scan.lines.push_back(line);
    EXPECT_NO_THROW(replayReportEntries(scan));
    EXPECT_NO_THROW(journalText(scan, {}));
}

}  // namespace
