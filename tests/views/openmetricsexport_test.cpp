// termivo --export-openmetrics as a real process on the report files of a temporary
// root, at the fixed moment (1405/4/10): the samples it writes, and the round trip
// through promtool's block import and dump.
#include "views/openmetricsexport.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/compliance.h"
#include "views/exportprint_support.h"

namespace {

const QString kRoom = QStringLiteral(
    "{device=\"A\",address=\"127.0.0.11\",device_name=\"Cold \\\"1\\\"\",channel=\"1\",sensor=\"Room\"}");
const QString kHum =
    QStringLiteral("{device=\"A\",address=\"127.0.0.11\",device_name=\"Cold \\\"1\\\"\",channel=\"2\",sensor=\"Hum\"}");

class OpenMetricsExportTest : public RootFixture
{
protected:
    ProgramRun run(QStringList args)
    {
        args.prepend(QStringLiteral("--export-openmetrics"));
        args << QStringLiteral("--root") << root();
        return runTermivo(args);
    }
    // Unix time of the start of hour h of 1405/month/day, local time.
    static qint64 at(int month, int day, int h)
    {
        return QDateTime(gregorianOfShamsi(5, month, day, fixedTestNow(), ShamsiCalendar::Official), QTime(h, 0))
            .toSecsSinceEpoch();
    }
    // Device A: Room (a "T" file, limits 2..8) with 1405/3/30 whole and 3/31 until 02:00
    // with 01:00 missing; Hum (an "H" file without readable limits) on 3/31 00:00 only.
    // A second registry line of A on another connection names the same Room file: it
    // is held back, as the download holds it back.
    void writeFleet()
    {
        writeLines(path("DeviceStatus.txt"), {"device  =Cold \"1\",127.0.0.11,Room,Hum,,,A,T,lan,",
                                              "device  =Annex,127.0.0.12,Room,,,,A,T,lan,"});
        std::vector<double> day30(24);
        for (int h = 0; h < 24; ++h) day30[h] = 4 + h / 10.0;
        writeLines(path("5/A1_Room.rep"), {reportHeader("H", "T", "2", "8"), dayLineT(3, 30, day30, "5"),
                                           dayLineT(3, 31, {-3.5, kMissing, 5}, "5")});
        writeLines(path("5/A2_Hum.rep"), {reportHeader("H", "H", "x", "60"), dayLineT(3, 31, {45}, "5")});
    }
};

TEST_F(OpenMetricsExportTest, EveryRecordedHourUnderTheLiveNamesThenEof)
{
    writeFleet();
    const ProgramRun r = run({"--from", "5/3", "--to", "5/4"});
    ASSERT_EQ(r.code, kOpenMetricsOk) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    EXPECT_EQ(lines.mid(lines.size() - 2), (QStringList{"# EOF", ""}));
    const QStringList room = lines.filter("termivo_temperature_celsius{");
    ASSERT_EQ(room.size(), 24 + 2) << r.out.toStdString();
    EXPECT_EQ(room[0], "termivo_temperature_celsius" + kRoom + " 4 " + QString::number(at(3, 30, 0)));
    EXPECT_EQ(room[23], "termivo_temperature_celsius" + kRoom + " 6.3 " + QString::number(at(3, 30, 23)));
    // The missing hour stays a gap.
    EXPECT_EQ(room.mid(24),
              (QStringList{"termivo_temperature_celsius" + kRoom + " -3.5 " + QString::number(at(3, 31, 0)),
                           "termivo_temperature_celsius" + kRoom + " 5 " + QString::number(at(3, 31, 2))}));
    EXPECT_EQ(lines.filter("termivo_relative_humidity_percent{"),
              QStringList{"termivo_relative_humidity_percent" + kHum + " 45 " + QString::number(at(3, 31, 0))});
    // The limits with the first recorded hour of each day; none for a header without them.
    EXPECT_EQ(lines.filter("termivo_upper_limit{"),
              (QStringList{"termivo_upper_limit" + kRoom + " 8 " + QString::number(at(3, 30, 0)),
                           "termivo_upper_limit" + kRoom + " 8 " + QString::number(at(3, 31, 0))}));
    EXPECT_TRUE(lines.filter("Hum").filter("limit").isEmpty());
    EXPECT_TRUE(lines.contains("# UNIT termivo_temperature_celsius celsius"));
    EXPECT_TRUE(lines.filter("127.0.0.12").isEmpty());

    // --channel and a span without the hours.
    EXPECT_TRUE(run({"--channel", "A:2", "--from", "5/3", "--to", "5/4"}).out.indexOf("Room") < 0);
    const ProgramRun later = run({"--from", "5/4", "--to", "5/4"});
    EXPECT_EQ(later.out, "# EOF\n");
}

TEST_F(OpenMetricsExportTest, RoundTripsThroughPromtool)
{
    const QString promtool = QStandardPaths::findExecutable("promtool");
    ASSERT_FALSE(promtool.isEmpty()) << "promtool (Debian package prometheus) is not installed";
    writeFleet();
    ASSERT_EQ(run({"--from", "5/3", "--to", "5/3", "--out", path("history.om")}).code, kOpenMetricsOk);
    QTemporaryDir tsdb;
    ASSERT_TRUE(tsdb.isValid());
    const ToolRun import =
        runTool(promtool, {"tsdb", "create-blocks-from", "openmetrics", "--quiet", path("history.om"), tsdb.path()});
    ASSERT_EQ(import.code, 0) << import.err.toStdString();
    QDir(tsdb.path()).mkdir("wal");  // the dump opens the folder as a database
    const ToolRun dump = runTool(promtool, {"tsdb", "dump", "--match", "{device=\"A\"}", tsdb.path()});
    ASSERT_EQ(dump.code, 0) << dump.err.toStdString();
    QStringList samples = dump.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(samples.size(), 24 + 2 + 1 + 2 * 2) << dump.out.toStdString();
    const QString roomLabels =
        "{__name__=\"termivo_temperature_celsius\", address=\"127.0.0.11\", channel=\"1\", "
        "device=\"A\", device_name=\"Cold \\\"1\\\"\", sensor=\"Room\"}";
    EXPECT_TRUE(samples.contains(roomLabels + " 6.3 " + QString::number(at(3, 30, 23) * 1000)))
        << dump.out.toStdString();
    EXPECT_TRUE(samples.contains(roomLabels + " 5 " + QString::number(at(3, 31, 2) * 1000)));
    EXPECT_TRUE(samples.filter(QString::number(at(3, 31, 1) * 1000)).isEmpty());
}

TEST_F(OpenMetricsExportTest, CommandLineAndOutputRule)
{
    writeFleet();
    struct Case
    {
        QStringList args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"--colour"}, kOpenMetricsUsage, "unknown option \"--colour\""},
        {{"--from", "5/13"}, kOpenMetricsUsage, "--from needs a month"},
        {{"--from", "5/4", "--to", "5/3"}, kOpenMetricsUsage, "--from is after --to"},
        {{"--channel", "Z:1"}, kOpenMetricsUsage, "no named channel 1 of device \"Z\""},
        {{"--out", path("5/A1_Room.rep")}, kOpenMetricsFileUnreadable, "nothing was written"},
        {{"--out", path("no/such/folder/h.om")}, kOpenMetricsFileUnreadable, "h.om"},
    };
    const QByteArray roomBefore = readFileBytes(path("5/A1_Room.rep"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ProgramRun r = run(c.args);
        EXPECT_EQ(r.code, c.status);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    }
    EXPECT_EQ(readFileBytes(path("5/A1_Room.rep")), roomBefore);
    const ProgramRun help = runTermivo({"--export-openmetrics", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("usage: termivo --export-openmetrics")) << help.out.toStdString();

    writeLines(path("DeviceStatus.txt"), {"timeout = 300,100,300"});
    EXPECT_EQ(run({}).code, kOpenMetricsNoRegistry);
}

}  // namespace
