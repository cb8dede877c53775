// Report file naming and appending: real files in a temporary root folder.
#include "reports/reportfile.h"

#include <functional>
#include <optional>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/auditjournal.h"
#include "app/records.h"
#include "config/headerlimits.h"
#include "platform/textfile.h"
#include "reports/reportjournal.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/annotations.h"

namespace {

// The kinds of the journal's entries at root, in order.
QStringList journalKinds(const QString& root)
{
    QStringList kinds;
    for (const JournalLine& line : scanJournal(journalPath(root)).lines)
        kinds << (line.entry ? QString::fromStdString((*line.entry)["kind"].get<std::string>()) : QString("damaged"));
    return kinds;
}

// What the journal at root says the report file path holds is what it holds: the
// header in force, the day lines and the remark lines.
void expectJournalHoldsFile(const QString& root, const QString& path)
{
    SCOPED_TRACE(path.toStdString());
    const JournalScan scan = scanJournal(journalPath(root));
    EXPECT_EQ(scan.chainBreak, 0);
    EXPECT_TRUE(scan.damaged.empty());
    const auto files = replayReportEntries(scan);
    const auto it = files.find(journalFileKey(root, path));
    ASSERT_NE(it, files.end());
    const ReportDigest file = digestReportLines(readTextFile(path).lines);
    ASSERT_FALSE(it->second.headers.empty());
    EXPECT_EQ(it->second.headers.back().header, file.header);
    EXPECT_EQ(it->second.days, file.days);
    EXPECT_EQ(QStringList(it->second.remarks.begin(), it->second.remarks.end()), file.remarks);
}

struct PathCase
{
    int yy;
    const char* id;
    int channel;
    const char* name;
    const char* expected;  // relative to the root folder
};

TEST(ReportFilePath, ViewerAndDownloadFormsGiveOnePath)
{
    const QString root = QStringLiteral("/data/lab/");
    const PathCase cases[] = {
        {98, "A", 1, "Temp", "98/A1_Temp.rep"},     {0, "B", 4, "رطوبت", "0/B4_رطوبت.rep"},
        {3, "7", 2, "RH 1", "3/72_RH 1.rep"},       {3, "C", 3, "a.b", "3/C3_a.b.rep"},
        {3, "C", 1, "Temp..2", "3/C1_Temp..2.rep"},  // names, not a way out of the folder
        {3, "C", 1, "..", "3/C1_...rep"},           {3, "..", 1, "T", "3/..1_T.rep"},
    };
    for (const auto& c : cases) {
        const QString id = QString::fromUtf8(c.id), name = QString::fromUtf8(c.name);
        const QString path = reportFilePath(root, c.yy, id, c.channel, name);
        EXPECT_EQ(path, root + QString::fromUtf8(c.expected));
        // The viewer's form: root + "%d/%s%d_%s.rep"; the download's: folder "%s%d/" + "%s%d_%s.rep".
        const QString viewer = root + QString::asprintf("%d/", c.yy) + id + QString::number(c.channel) +
                               QLatin1Char('_') + name + QLatin1String(".rep");
        const QString download =
            QString::asprintf("%s%d/", root.toUtf8().constData(), c.yy) + reportFileName(id, c.channel, name);
        EXPECT_EQ(path, viewer);
        EXPECT_EQ(path, download);
    }
}

TEST(ReportFilePath, RefusesNamesThatLeaveTheYearFolder)
{
    struct Bad
    {
        QString id;
        int channel;
        QString name;
    };
    const Bad cases[] = {
        {QStringLiteral("A"), 1, QStringLiteral("../../etc/x")},
        {QStringLiteral("A"), 1, QStringLiteral("a/b")},
        {QStringLiteral("A"), 1, QStringLiteral("a\\b")},
        {QStringLiteral("A"), 1, QStringLiteral("a") + QChar(0) + QStringLiteral("b")},
        {QStringLiteral("A"), 1, QString()},
        {QStringLiteral("/"), 1, QStringLiteral("T")},
        {QString(), 1, QStringLiteral("T")},
        {QStringLiteral("A"), 0, QStringLiteral("T")},
        {QStringLiteral("A"), 5, QStringLiteral("T")},
    };
    for (const auto& c : cases) {
        try {
            reportFilePath(QStringLiteral("/r/"), 3, c.id, c.channel, c.name);
            ADD_FAILURE() << "accepted id " << c.id.toStdString() << " name " << c.name.toStdString();
        } catch (const ReportPathError& e) {
            EXPECT_FALSE(e.text().isEmpty());
        }
    }
}

TEST(SensorTypeTable, ValuesAndQuantities)
{
    struct Case
    {
        const char* letter;
        double r;
        double value;
        SensorQuantity quantity;
    };
    using Q = SensorQuantity;
    const Case cases[] = {
        {"P", 2500, 50, Q::Temperature}, {"T", 1255, 25.5, Q::Temperature}, {"D", 0, -100, Q::Temperature},
        {"t", 1000, 0, Q::Temperature},  {"H", 1450, 45, Q::Humidity},      {"K", 130, 30, Q::Temperature},
        {"V", 112, 12, Q::Voltage},      {"i", 900, -10, Q::Temperature},   {"p", 0, 86, Q::Pressure},
        {"M", 1200, 20, Q::Temperature}, {"h", 1600, 60, Q::Humidity},      {"S", 500, 400, Q::PartsPerMillion},
        {"x", 77, 77, Q::Temperature},   {"", 5, 5, Q::Temperature},        {"TT", 5, 5, Q::Temperature},
    };
    for (const auto& c : cases) {
        const QString letter = QString::fromLatin1(c.letter);
        EXPECT_DOUBLE_EQ(sensorValue(letter, c.r), c.value) << c.letter;
        EXPECT_EQ(sensorTypeRule(letter).quantity, c.quantity) << c.letter;
    }
}

class AppendReportFileTest : public RootFixture
{
protected:
    Sensor_Rec channel()
    {
        Sensor_Rec s;
        s.Name = QStringLiteral("Temp");
        s.Last_ref.wYear = 3;
        s.parent = reportFilePath(root(), 3, QStringLiteral("A"), 1, s.Name);
        return s;
    }
    // A download of channel's lines into its file under the root folder.
    void AppendReportFile(const Sensor_Rec& channel, const QStringList& newLines)
    {
        appendReportLines(ReportDestination{state().Prog.RootDir, QString()}, channel.parent, channel.Last_ref.wYear,
                          newLines, DownloadedChannel{QStringLiteral("A"), 1}, state().journal);
    }
};

TEST_F(AppendReportFileTest, MergesADownloadIntoTheStoredFile)
{
    const QString h0 = reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("18"));
    const QString h1 = reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("20"));
    const QString d714 = fullDayT(7, 14, 20), d715old = dayLineT(7, 15, {20, 21});
    const QString d715 = fullDayT(7, 15, 21), d716 = fullDayT(7, 16, 22), d720 = fullDayT(7, 20, 23);
    const QString comment = QStringLiteral("Comment,7,3/7/15 10:5:door opened");
    struct Case
    {
        const char* what;
        std::optional<QStringList> stored;  // nullopt: no file
        QStringList download;
        QStringList expected;
    };
    const Case cases[] = {
        {"first download of the year", std::nullopt, {h1, d715, d716}, {h1, d715, d716}},
        {"existing empty file", QStringList{}, {h1, d715}, {h1, d715}},
        {"file with its header only", QStringList{h0}, {h1, d715, d716}, {h0, d715, d716}},
        {"last day replaced by its fuller copy",
         QStringList{h0, d714, d715old},
         {h1, d715, d716},
         {h0, d714, d715, d716}},
        {"a last comment stays",
         QStringList{h0, d715old, comment},
         {h1, d715, d716},
         {h0, d715old, comment, d715, d716}},
        {"a last day that the download does not bring stays",
         QStringList{h0, d714, d715old},
         {h1, d720},
         {h0, d714, d715old, d720}},
        {"a header-only download changes nothing", QStringList{h0, d714}, {h1}, {h0, d714}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Sensor_Rec s = channel();
        QFile::remove(s.parent);
        QFile::remove(journalPath(root()));
        state().journal.reset(root());
        if (c.stored) writeLines(s.parent, *c.stored);
        AppendReportFile(s, c.download);
        EXPECT_EQ(readLines(s.parent), c.expected);
        // A file that changed is journalled so that the journal's replay gives it (a
        // stored file with lines adopted first); one that did not change is not.
        if (c.stored == c.expected)
            EXPECT_TRUE(journalKinds(root()).isEmpty());
        else
            expectJournalHoldsFile(root(), s.parent);
    }
}

// Folders copied from Windows: an existing file is found whatever the letter case of
// its name, and a download goes into it; a new file keeps the name as built.
TEST_F(AppendReportFileTest, ExistingFilesAreFoundWhateverTheirLetterCase)
{
    writeLines(path("3/a1_temp.rep"), {reportHeader(), fullDayT(1, 1, 20)});
    Sensor_Rec s = channel();
    EXPECT_EQ(s.parent, path("3/a1_temp.rep"));
    AppendReportFile(s, {reportHeader(), fullDayT(1, 2, 21)});
    EXPECT_EQ(readLines(path("3/a1_temp.rep")).size(), 3);
    EXPECT_EQ(QDir(path("3")).entryList(QDir::Files), QStringList{"a1_temp.rep"});
    EXPECT_EQ(reportFilePath(root(), 3, QStringLiteral("A"), 2, QStringLiteral("Hum")), path("3/A2_Hum.rep"));
}

TEST_F(AppendReportFileTest, CreatesTheYearFolderAndKeepsTheFileEncoding)
{
    Sensor_Rec s = channel();
    ASSERT_FALSE(QFileInfo::exists(root() + QStringLiteral("3")));
    AppendReportFile(s, {reportHeader(), fullDayT(1, 1, 20)});
    EXPECT_TRUE(QFileInfo(root() + QStringLiteral("3")).isDir());
    EXPECT_FALSE(readFileBytes(s.parent).startsWith("\xEF\xBB\xBF"));

    writeFileBytes(s.parent, encodeTextFile({reportHeader(), fullDayT(1, 1, 20)}, TextEncoding::Utf8));
    AppendReportFile(s, {reportHeader(), fullDayT(1, 2, 20)});
    const TextFile back = decodeTextFile(readFileBytes(s.parent));
    EXPECT_EQ(back.encoding, TextEncoding::Utf8);
    EXPECT_EQ(back.lines.size(), 3);
}

TEST_F(AppendReportFileTest, RefusesAPathOutsideTheRootFolder)
{
    Sensor_Rec s = channel();
    s.parent = root() + QStringLiteral("3/../../outside.rep");
    EXPECT_THROW(AppendReportFile(s, {reportHeader(), fullDayT(1, 1, 20)}), ReportPathError);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(root()).absolutePath() + QStringLiteral("/../outside.rep")));
}

// A write that fails half-way (the file size limit stands in for a full disk) leaves
// the stored year of records exactly as it was.
TEST_F(AppendReportFileTest, AFailedWriteLeavesTheOldFileIntact)
{
    Sensor_Rec s = channel();
    QStringList stored{reportHeader()};
    for (int d = 1; d <= 20; ++d) stored << fullDayT(1, d, 20 + d * 0.1);
    writeLines(s.parent, stored);
    const QByteArray before = readFileBytes(s.parent);
    // Adopted beforehand: the write that fails is the report file's, not the journal's.
    adoptBeforeFirstWrite(state().journal, s.parent, stored);
    const QByteArray journalBefore = readFileBytes(journalPath(root()));

    QStringList download{reportHeader()};
    for (int d = 20; d <= 31; ++d) download << fullDayT(1, d, 25);

    struct rlimit old
    {
    };
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        AppendReportFile(s, download);
    } catch (const FileError&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(threw);
    EXPECT_EQ(readFileBytes(s.parent), before);
    EXPECT_EQ(QDir(root() + QStringLiteral("3")).entryList(QDir::Files), QStringList{QStringLiteral("A1_Temp.rep")});
    EXPECT_EQ(readFileBytes(journalPath(root())), journalBefore);  // no entry for a write that did not happen
}

// A year folder or report file that is a link out of the root folder, or a FIFO in
// place of the report file, is refused with a message naming it: nothing is written
// through it and the run does not hang on it.
TEST_F(AppendReportFileTest, RefusesLinksOutOfTheRootAndFilesThatAreNotRegular)
{
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    const QString victim = outside.filePath(QStringLiteral("victim.rep"));
    const struct
    {
        const char* what;
        std::function<void(const QString& file)> make;
        QString named;  // what the message names
    } cases[] = {
        {"year folder linked out", [&](const QString&) { QFile::link(outside.path(), root() + "3"); }, root() + "3"},
        {"report file linked out",
         [&](const QString& file) {
             QDir().mkpath(root() + "3");
             QFile::link(victim, file);
         },
         root() + "3/A1_Temp.rep"},
        {"report file is a FIFO",
         [&](const QString& file) {
             QDir().mkpath(root() + "3");
             ::mkfifo(QFile::encodeName(file).constData(), 0600);
         },
         root() + "3/A1_Temp.rep"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(root() + "3/A1_Temp.rep");
        QFile::remove(root() + "3");
        QDir(root() + "3").removeRecursively();
        writeLines(victim, {"kept"});
        Sensor_Rec s = channel();
        c.make(s.parent);
        try {
            AppendReportFile(s, {reportHeader(), fullDayT(1, 1, 20)});
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            EXPECT_TRUE(e.text().contains(c.named)) << e.text().toStdString();
        }
        EXPECT_EQ(readLines(victim), QStringList{"kept"});
        EXPECT_EQ(QDir(outside.path()).entryList(QDir::Files), QStringList{"victim.rep"});
    }
}

// Report files as the journal follows them through downloads, remarks and header
// rewrites: after every write the journal's replay gives the file as it stands.
class ReportJournalTest : public RootFixture
{
protected:
    QString file(const QString& id = QStringLiteral("A")) { return path("3/" + id + "1_Temp.rep"); }
    void download(const QStringList& lines, const QString& id = QStringLiteral("A"))
    {
        appendReportLines(ReportDestination{root(), QString()}, file(id), 3, lines, DownloadedChannel{id, 1},
                          state().journal);
    }
    void remark(const QString& text, const QString& id = QStringLiteral("A"))
    {
        appendRemark(file(id), 7, text, state().journal);
    }
    CarryOverResult limits(const QString& lower, const QString& upper, const QString& id = QStringLiteral("A"))
    {
        return carryLimitsIntoReports(root(), 3, id, {ChannelLimits{0, QStringLiteral("Temp"), lower, upper}},
                                      state().journal);
    }
    nlohmann::ordered_json lastDetails() { return (*scanJournal(journalPath(root())).lines.back().entry)["details"]; }
};

TEST_F(ReportJournalTest, EveryWriteOfAFileIsReplayedFromTheJournal)
{
    const QString h = reportHeader();
    const QString d715part = dayLineT(7, 15, {20, 21}), d715 = fullDayT(7, 15, 21);
    download({h, fullDayT(7, 14, 20), d715part});
    expectJournalHoldsFile(root(), file());
    nlohmann::ordered_json d = lastDetails();
    EXPECT_EQ(d["file"], "3/A1_Temp.rep");
    EXPECT_EQ(d["device"], "A");
    EXPECT_EQ(d["channel"], 1);
    EXPECT_EQ(d["created"], true);
    EXPECT_EQ(d["header"], h.toStdString());
    EXPECT_EQ(d["days"].size(), 2U);

    // The next download brings the fuller copy of the last day: it gives way.
    download({reportHeader("H", "T", "0"), d715, fullDayT(7, 16, 22)});
    expectJournalHoldsFile(root(), file());
    d = lastDetails();
    EXPECT_EQ(d["created"], false);
    EXPECT_FALSE(d.contains("header"));
    EXPECT_EQ(d["replaced"],
              (nlohmann::ordered_json{{"month", 7}, {"day", 15}, {"sha", lineDigest(d715part).toStdString()}}));
    EXPECT_EQ(d["days"][0]["sha"], lineDigest(d715).toStdString());

    remark("3/7/16 10:5:door open");
    expectJournalHoldsFile(root(), file());
    EXPECT_EQ(lastDetails()["line"], "Comment,7,3/7/16 10:5:door open");

    const CarryOverResult carried = limits("-5", "35");
    EXPECT_EQ(carried.rewritten, QStringList{file()});
    expectJournalHoldsFile(root(), file());
    EXPECT_EQ(lastDetails()["old"], h.toStdString());
    EXPECT_EQ(lastDetails()["new"], readLines(file()).first().toStdString());

    // After a remark the last line is no day: the next day is only appended.
    download({h, fullDayT(7, 17, 23)});
    expectJournalHoldsFile(root(), file());
    EXPECT_FALSE(lastDetails().contains("replaced"));
    EXPECT_EQ(journalKinds(root()),
              (QStringList{"report.download", "report.download", "report.remark", "report.header", "report.download"}));
}

// A file the journal has no entry for (written before the journal, or by another
// program) is adopted as it stands just before the program first writes it, whichever
// write that is, and only once.
TEST_F(ReportJournalTest, AFileUnknownToTheJournalIsAdoptedBeforeItsFirstWrite)
{
    const QStringList stored{reportHeader(), fullDayT(7, 14, 20), "Comment,7,3/7/14 9:0:old remark",
                             dayLineT(7, 15, {20})};
    const struct
    {
        const char* id;
        const char* kind;
        std::function<void()> write;
    } writers[] = {
        {"A", "report.download",
         [&] {
             download({reportHeader(), fullDayT(7, 15, 21)}, "A");
         }},
        {"B", "report.remark", [&] { remark("3/7/16 10:5:late", "B"); }},
        {"C", "report.header", [&] { EXPECT_EQ(limits("1", "2", "C").rewritten.size(), 1); }},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.kind);
        QFile::remove(journalPath(root()));
        state().journal.reset(root());
        writeLines(file(w.id), stored);
        w.write();
        EXPECT_EQ(journalKinds(root()), (QStringList{"report.adopt", w.kind}));
        const nlohmann::ordered_json adopt = (*scanJournal(journalPath(root())).lines.front().entry)["details"];
        EXPECT_EQ(adopt["reason"], kAdoptAtFirstWrite.toStdString());
        EXPECT_EQ(adopt["remarks"].size(), 1U);
        expectJournalHoldsFile(root(), file(w.id));
        w.write();  // known now: not adopted again
        EXPECT_EQ(journalKinds(root()), (QStringList{"report.adopt", w.kind, w.kind}));
        expectJournalHoldsFile(root(), file(w.id));
    }
}

// A download into a folder the user chose outside the root folder is journalled under
// the file's absolute path.
TEST_F(ReportJournalTest, AFileOutsideTheRootFolderIsNamedByItsAbsolutePath)
{
    QTemporaryDir chosen;
    ASSERT_TRUE(chosen.isValid());
    const QString target = chosen.path() + "/abcA1_Temp.rep";
    writeLines(target, {reportHeader(), fullDayT(1, 1, 20)});
    appendReportLines(ReportDestination{root(), chosen.path()}, target, 3, {reportHeader(), fullDayT(1, 2, 20)},
                      DownloadedChannel{"A", 1}, state().journal);
    EXPECT_EQ(lastDetails()["file"], QDir::cleanPath(target).toStdString());
    expectJournalHoldsFile(root(), target);
}

// A journal that cannot be written (a folder in its place) stops every write: the
// report file stays byte for byte as it was, and a new file is not made.
TEST_F(ReportJournalTest, AJournalThatCannotBeWrittenLeavesTheFileAsItWas)
{
    for (const char* id : {"A", "B", "C"}) writeLines(file(id), {reportHeader(), fullDayT(7, 14, 20)});
    ASSERT_TRUE(QDir(root()).mkdir(kJournalFileName));
    const QByteArray before = readFileBytes(file("A"));

    EXPECT_THROW(download({reportHeader(), fullDayT(7, 15, 21)}, "A"), JournalError);
    EXPECT_THROW(remark("3/7/16 10:5:late", "B"), JournalError);
    const CarryOverResult carried = limits("1", "2", "C");
    EXPECT_EQ(carried.notWritten, QStringList{file("C")});
    ASSERT_EQ(carried.errors.size(), 1);
    EXPECT_TRUE(carried.errors[0].contains(kJournalFileName)) << carried.errors[0].toStdString();
    for (const char* id : {"A", "B", "C"}) EXPECT_EQ(readFileBytes(file(id)), before) << id;

    EXPECT_THROW(download({reportHeader(), fullDayT(7, 15, 21)}, "D"), JournalError);
    EXPECT_EQ(QDir(path("3")).entryList(QDir::Files), (QStringList{"A1_Temp.rep", "B1_Temp.rep", "C1_Temp.rep"}));
}

}  // namespace
