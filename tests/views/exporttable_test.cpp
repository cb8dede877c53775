// termivo --export-table, run as a real process on a report file of a temporary root.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/records.h"
#include "platform/textfile.h"
#include "reports/loader.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/month.h"

namespace {

class ExportTableTest : public RootFixture
{
protected:
    struct Run
    {
        int code = -1;
        QString err;
    };
    Run run(const QStringList& args, const QString& locale = QStringLiteral("C"))
    {
        const ProgramRun r = runTermivo(args, {.env = {{"LC_ALL", locale}}, .timeoutMs = 30000});
        return {r.code, r.err};
    }
    QStringList fixture()
    {
        return {reportHeader(), dayLineT(6, 30, {19, 19.5}), fullDayT(7, 1, 20.5),
                dayLineT(7, 2, {21, kMissing, 23, 24, 25}), QStringLiteral("Comment,7,3/7/2 8:0:door opened")};
    }
};

// Every period gives the table that the main window's "save as text" writes.
TEST_F(ExportTableTest, WritesTheSaveAsTextTableForEveryPeriod)
{
    const QString rep = path(QStringLiteral("3/A1_Temp.rep"));
    writeLines(rep, fixture());
    for (int period : {1, 3, 6, 12, 24}) {
        for (bool minMax : {false, true}) {
            SCOPED_TRACE(period * 10 + minMax);
            const QString out = path(QStringLiteral("out%1%2.txt").arg(period).arg(minMax));
            QStringList args{"--export-table", rep, "--period", QString::number(period), "--out", out};
            if (minMax) args << QStringLiteral("--minmax");
            const Run r = run(args);
            ASSERT_EQ(r.code, 0) << r.err.toStdString();

            MonthViewOptions options;
            options.period = period;
            options.showMinMax = minMax;
            const MonthView view = buildMonthView(loadReportYear(fixture()), 7, options);
            EXPECT_EQ(readFileBytes(out), encodeTextFile(monthTableLines(view.table), TextEncoding::Ansi));
            EXPECT_TRUE(readFileBytes(out).startsWith("Day\\Hour,"));
        }
    }
}

TEST_F(ExportTableTest, MonthDefaultPeriodAndRegionalDecimalSeparator)
{
    const QString rep = path(QStringLiteral("A1_Temp.rep"));
    writeLines(rep, fixture());
    const QString out = path(QStringLiteral("june.txt"));
    ASSERT_EQ(run({"--export-table", rep, "--month", "6", "--out", out}).code, 0);
    const QStringList lines = readLines(out);
    ASSERT_EQ(lines.size(), 32);
    EXPECT_EQ(lines[0], QStringLiteral("Day\\Hour,  3,  6,  9,  12,  15,  18,  21,  24, Min, Max,"));
    EXPECT_EQ(lines[30], QStringLiteral("  6/30,  19.2,,,,,,,,,,"));  // 19.25, rounded as C does

    ASSERT_EQ(run({"--export-table", rep, "--out", out, "--minmax"}, QStringLiteral("de_DE.UTF-8")).code, 0);
    EXPECT_EQ(readLines(out)[1],
              QStringLiteral("  7/1,  20,5,  20,5,  20,5,  20,5,  20,5,  20,5,  20,5,  20,5,  20,5,  20,5,"));
}

TEST_F(ExportTableTest, BadInputGivesAMessageAndWritesNothing)
{
    const QString good = path(QStringLiteral("good.rep"));
    writeLines(good, fixture());
    const QString empty = path(QStringLiteral("empty.rep"));
    writeFileBytes(empty, QByteArray());
    const QString badHeader = path(QStringLiteral("badheader.rep"));
    writeLines(badHeader, {QStringLiteral("a,b,c,H,e,1,T,low,26,j,k,3,7"), fullDayT(7, 1, 20)});
    const QString badDay = path(QStringLiteral("badday.rep"));
    writeLines(badDay, {reportHeader(), QStringLiteral("x,1,%1,3,0").arg(QString(48, QLatin1Char('P')))});
    const QString noDays = path(QStringLiteral("nodays.rep"));
    writeLines(noDays, {reportHeader()});
    const QString out = path(QStringLiteral("out.txt"));

    struct Case
    {
        const char* what;
        QStringList args;
        const char* message;
    };
    const Case cases[] = {
        {"missing file", {"--export-table", path(QStringLiteral("none.rep")), "--out", out}, "none.rep"},
        {"empty file", {"--export-table", empty, "--out", out}, "no header"},
        {"bad header", {"--export-table", badHeader, "--out", out}, "header"},
        {"bad day line", {"--export-table", badDay, "--out", out}, "'x'"},
        {"no day lines", {"--export-table", noDays, "--out", out}, "--month"},
        {"month 13", {"--export-table", good, "--month", "13", "--out", out}, "month"},
        {"month not a number", {"--export-table", good, "--month", "July", "--out", out}, "July"},
        {"period 5", {"--export-table", good, "--period", "5", "--out", out}, "period"},
        {"period missing", {"--export-table", good, "--out", out, "--period"}, "--period"},
        {"no output", {"--export-table", good}, "--out"},
        {"unknown option", {"--export-table", good, "--out", out, "--colour"}, "--colour"},
        {"output folder missing", {"--export-table", good, "--out", path(QStringLiteral("no/such/t.txt"))}, "t.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Run r = run(c.args);
        EXPECT_NE(r.code, 0);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

// The output may not be the report file (in any spelling of its path, through a link)
// nor an existing target that is no regular file: nothing is written, status 1.
TEST_F(ExportTableTest, RefusesAnOutputThatIsTheInputOrNoRegularFile)
{
    const QString rep = path(QStringLiteral("3/A1_Temp.rep"));
    writeLines(rep, fixture());
    const QByteArray before = readFileBytes(rep);
    QFile::link(rep, path("link.rep"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QDir().mkpath(path("folder"));
    QFile::link(path("missing"), path("dangling"));
    for (const QString& out : {rep, path("3/../3/./A1_Temp.rep"), QStringLiteral("A1_Temp.rep"), path("link.rep"),
                               path("fifo"), path("folder"), path("dangling")}) {
        SCOPED_TRACE(out.toStdString());
        const ProgramRun r = runTermivo({"--export-table", rep, "--out", out}, {.workingDir = path("3")});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains("nothing was written")) << r.err.toStdString();
        EXPECT_EQ(readFileBytes(rep), before);
    }
    EXPECT_TRUE(QFileInfo(path("fifo")).exists() && !QFileInfo(path("fifo")).isFile());
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
}

}  // namespace
