// termivo --poll-once as a real process against the emulator: the text lines, the
// Prometheus exposition (checked by promtool), the exit status with a silent device.
#include "online/pollonce.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/reportlines.h"

namespace {

class PollOnceTest : public RootFixture
{
protected:
    void TearDown() override
    {
        sim.stop();
        RootFixture::TearDown();
    }
    struct Run
    {
        int status = -1;
        QString out;
        QString err;
    };
    Run poll(const QStringList& args, const QString& now = QString())
    {
        ProgramRunOptions options;
        if (!now.isEmpty()) options.env = {{"TERMIVO_NOW", now}};
        const ProgramRun run = runTermivo(QStringList{"--poll-once", "--root", root()} + args, options);
        return {run.code, run.out, run.err};
    }
    void startFleet(bool withSilentDevice)
    {
        const QString a = DevSim::lanAddress(1), b = DevSim::lanAddress(2);
        // A's clock stands years back: its check always reports.
        ASSERT_TRUE(sim.start("pace off\ndevice id=A link=" + a +
                                  " sensors=T,T,H,- readings=21.5,150.0,45 alarm=2 clock-at=2020-01-01T00:00\n"
                                  "device id=B link=" +
                                  b + " sensors=T,-,-,- fault=silence\n",
                              root()));
        QStringList registry{"timeout = 300,100,300", "trycnt = 1", "timecheak = 1",
                             "device  =Lab," + a + ",Room,Freezer,Hum \"wet\",,A,T,lan,"};
        if (withSilentDevice) registry << "device  =Store," + b + ",Shelf,,,,B,T,lan,";
        writeLines(path("DeviceStatus.txt"), registry);
    }
    DevSim sim;
};

TEST_F(PollOnceTest, TextGivesTheLegendTitlesThenTheClockLines)
{
    startFleet(true);
    const Run r = poll({});
    EXPECT_EQ(r.status, kPollOnceSilent) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    ASSERT_GE(lines.size(), 8) << r.out.toStdString();
    EXPECT_EQ(lines.mid(0, 4),
              (QStringList{"A1_Room : 21.5", "A2_Freezer : D.C.(Alarm)", "A3_Hum \"wet\" : 45", "Shelf"}));
    // The device is named (name, ID, address) with the time, as in the message log.
    EXPECT_TRUE(lines[4].endsWith(QStringLiteral("):  ساعت وتاریخ کامپیوتر و دستگاه با هم مغایرت دارد Device ID =A")))
        << lines[4].toStdString();
    EXPECT_TRUE(lines[4].contains("(ID A, " + DevSim::lanAddress(1) + ")")) << lines[4].toStdString();
    EXPECT_TRUE(lines[5].startsWith("PC Date    :"));
    EXPECT_EQ(lines[6], "Device Date:98/10/11 0:0");
    EXPECT_EQ(lines.mid(7), (QStringList{"", ""}));  // the report's empty line, then the end
}

// A device whose clock goes by the arithmetic calendar on 2029-03-20 (its 1407/12/30,
// Nowruz 1408 in the official calendar): reported, naming both calendars, until the
// settings choose the arithmetic.
TEST_F(PollOnceTest, TheClockCheckGoesByTheCalendarOfTheSettings)
{
    const QString a = DevSim::lanAddress(3);
    ASSERT_TRUE(sim.start(
        "pace off\ndevice id=A link=" + a + " sensors=T,-,-,- calendar=arithmetic clock-at=2029-03-20T12:00\n",
        root()));
    const struct
    {
        const char* setting;
        QStringList clockLines;
    } cases[] = {
        {"", {"PC Date    :8/1/1 12:0 (official calendar)", "Device Date:7/12/30 12:0 (arithmetic calendar)"}},
        {"calendar = arithmetic", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        QStringList registry{"timeout = 300,100,300", "trycnt = 1", "timecheak = 1",
                             "device  =Lab," + a + ",Room,,,,A,T,lan,"};
        if (*c.setting) registry << c.setting;
        writeLines(path("DeviceStatus.txt"), registry);
        const Run r = poll({}, "2029-03-20T12:00");
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        const QStringList lines = r.out.split('\n');
        ASSERT_GE(lines.size(), 2) << r.out.toStdString();
        EXPECT_TRUE(lines[0].startsWith("A1_Room : ")) << r.out.toStdString();
        if (c.clockLines.isEmpty()) {
            EXPECT_EQ(lines.mid(1), (QStringList{""})) << r.out.toStdString();
        } else {
            EXPECT_EQ(lines.mid(2, 2), c.clockLines) << r.out.toStdString();
        }
    }
}

// The labels of channel n of a registry line of the fleet.
QString labels(const QString& id, const QString& address, const QString& name, int channel, const QString& sensor)
{
    return QStringLiteral("{device=\"%1\",address=\"%2\",device_name=\"%3\",channel=\"%4\",sensor=\"%5\"}")
        .arg(id, address, name, QString::number(channel), sensor);
}

void expectPromtoolClean(const QString& text)
{
    const QString promtool = QStandardPaths::findExecutable("promtool");
    ASSERT_FALSE(promtool.isEmpty()) << "promtool (Debian package prometheus) is not installed";
    QProcess check;
    check.start(promtool, {"check", "metrics"});
    check.write(text.toUtf8());
    check.closeWriteChannel();
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
    EXPECT_TRUE(check.readAll().trimmed().isEmpty());
}

// One metric per quantity (the value axis caption of the channel's report file of the
// year; temperature without a file), the file's limits, the flags, who answered and
// when, the end of the poll; promtool finds nothing to mend.
TEST_F(PollOnceTest, PrometheusPassesPromtoolAndTellsWhoAnswered)
{
    struct Case
    {
        bool silentDevice;
        int status;
    };
    const QString a = DevSim::lanAddress(1), b = DevSim::lanAddress(2);
    // Channel 3 has a file of this year (1405) with a humidity header and limits.
    QDir().mkpath(path("5"));
    writeLines(path("5/A3_Hum \"wet\".rep"), {reportHeader("H", "H", "20", "60.5"), fullDayT(4, 1, 20)});
    const QString now = QString::number(fixedTestNow().toSecsSinceEpoch());
    for (const Case c : {Case{true, kPollOnceSilent}, Case{false, kPollOnceOk}}) {
        SCOPED_TRACE(c.silentDevice);
        startFleet(c.silentDevice);
        const Run r = poll({"--format", "prometheus"});
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        const QString room = labels("A", a, "Lab", 1, "Room"), freezer = labels("A", a, "Lab", 2, "Freezer"),
                      hum = labels("A", a, "Lab", 3, "Hum \\\"wet\\\"");
        for (const QString& expected :
             {"termivo_temperature_celsius" + room + " 21.5", "termivo_relative_humidity_percent" + hum + " 45",
              "termivo_lower_limit" + hum + " 20", "termivo_upper_limit" + hum + " 60.5",
              // A disconnected sensor has its flags but no reading.
              "termivo_reading_disconnected" + freezer + " 1", "termivo_reading_alarm" + freezer + " 1",
              "termivo_reading_alarm" + room + " 0",
              "termivo_device_answered{device=\"A\",address=\"" + a + "\",device_name=\"Lab\"} 1",
              "termivo_device_last_answer_timestamp_seconds{device=\"A\",address=\"" + a + "\",device_name=\"Lab\"} " +
                  now,
              "termivo_poll_timestamp_seconds " + now, QString("# TYPE termivo_temperature_celsius gauge"),
              QString("# HELP termivo_relative_humidity_percent Relative humidity read by a channel, in percent.")})
            EXPECT_TRUE(lines.contains(expected)) << expected.toStdString() << "\n" << r.out.toStdString();
        EXPECT_TRUE(lines.filter("Freezer").filter(QRegularExpression("^termivo_(temperature|reading\\{)")).isEmpty());
        EXPECT_TRUE(lines.filter("limit" + room).isEmpty());  // no file, no limits
        EXPECT_EQ(lines.contains("termivo_device_answered{device=\"B\",address=\"" + b + "\",device_name=\"Store\"} 0"),
                  c.silentDevice);
        // A device that did not answer has no reading lines and no time of an answer.
        EXPECT_TRUE(lines.filter("device=\"B\"").filter(QRegularExpression("channel|last_answer")).isEmpty());
        expectPromtoolClean(r.out);
    }
}

// The registry holds ID A on two connections: each line has its own labels and its
// own answer, whichever of them is silent.
TEST_F(PollOnceTest, OneIdOnTwoConnectionsIsTwoDevices)
{
    const QString a = DevSim::lanAddress(1), b = DevSim::lanAddress(2);
    for (const bool firstSilent : {true, false}) {
        SCOPED_TRACE(firstSilent);
        const QString silence = " fault=silence", none;
        ASSERT_TRUE(sim.start("pace off\ndevice id=A link=" + a + " sensors=T,-,-,- readings=1.5" +
                                  (firstSilent ? silence : none) + "\ndevice id=A link=" + b +
                                  " sensors=T,-,-,- readings=2.5" + (firstSilent ? none : silence) + "\n",
                              root()));
        writeLines(path("DeviceStatus.txt"),
                   {"timeout = 300,100,300", "trycnt = 1", "device  =Lab," + a + ",Room,,,,A,T,lan,",
                    "device  =Annex," + b + ",Hall,,,,A,T,lan,"});
        const Run r = poll({"--format", "prometheus"});
        sim.stop();
        EXPECT_EQ(r.status, kPollOnceSilent);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        const QString answering = firstSilent ? b : a, silent = firstSilent ? a : b;
        const QString answeringName = firstSilent ? "Annex" : "Lab", silentName = firstSilent ? "Lab" : "Annex";
        EXPECT_EQ(lines.filter("termivo_temperature_celsius{"),
                  QStringList{"termivo_temperature_celsius" +
                              labels("A", answering, answeringName, 1, firstSilent ? "Hall" : "Room") +
                              (firstSilent ? " 2.5" : " 1.5")});
        EXPECT_TRUE(lines.contains("termivo_device_answered{device=\"A\",address=\"" + answering + "\",device_name=\"" +
                                   answeringName + "\"} 1"));
        EXPECT_TRUE(lines.contains("termivo_device_answered{device=\"A\",address=\"" + silent + "\",device_name=\"" +
                                   silentName + "\"} 0"));
        expectPromtoolClean(r.out);
    }
}

TEST_F(PollOnceTest, OutFileAndCommandLine)
{
    startFleet(false);
    const Run written = poll({"--out", path("metrics.prom"), "--format", "prometheus"});
    EXPECT_EQ(written.status, kPollOnceOk);
    EXPECT_TRUE(written.out.isEmpty());
    EXPECT_TRUE(readFileBytes(path("metrics.prom")).contains("termivo_device_answered{device=\"A\","));

    const Run unknown = poll({"--colour"});
    EXPECT_EQ(unknown.status, kPollOnceUsage);
    EXPECT_EQ(unknown.err.count('\n'), 1);
    EXPECT_EQ(poll({"--format", "json"}).status, kPollOnceUsage);
    const Run help = poll({"--help"});
    EXPECT_EQ(help.status, kPollOnceOk);
    EXPECT_TRUE(help.out.startsWith("usage: termivo --poll-once"));
}

// A device that gives no readings is told in one line on standard error, whatever it
// did: silent, an answer that is no reading, another device's ID, no connection. An
// output that cannot be written is status 1, not the bad command line's 2.
TEST_F(PollOnceTest, EachDeviceWithoutReadingsIsOneLineAndAFailedOutputIsStatusOne)
{
    const QString good = DevSim::lanAddress(1), silent = DevSim::lanAddress(3), garbage = DevSim::lanAddress(4),
                  other = DevSim::lanAddress(5), nobody = DevSim::lanAddress(6);
    ASSERT_TRUE(sim.start("pace off\ndevice id=A link=" + good + " sensors=T,-,-,-\ndevice id=S link=" + silent +
                              " sensors=T,-,-,- fault=silence\ndevice id=G link=" + garbage +
                              " sensors=T,-,-,- fault=garbage\ndevice id=X link=" + other +
                              " sensors=T,-,-,- reading-id=Y\n",
                          root()));
    writeLines(path("DeviceStatus.txt"),
               {"timeout = 300,100,300", "trycnt = 1", "device  =Lab," + good + ",Room,,,,A,T,lan,",
                "device  =Store," + silent + ",Shelf,,,,S,T,lan,", "device  =Hall," + garbage + ",Door,,,,G,T,lan,",
                "device  =Cellar," + other + ",Wine,,,,X,T,lan,", "device  =Roof," + nobody + ",Sky,,,,R,T,lan,"});
    const Run r = poll({});
    EXPECT_EQ(r.status, kPollOnceSilent);
    const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 4) << r.err.toStdString();
    struct Expected
    {
        const char* device;
        const char* says;
    };
    for (const Expected& e : {Expected{"S (Store, ", "no answer"}, Expected{"G (Hall, ", "no reading: \""},
                              Expected{"X (Cellar, ", "another device, \"Y\""}, Expected{"R (Roof, ", ""}}) {
        SCOPED_TRACE(e.device);
        const QStringList mine = lines.filter(QStringLiteral("termivo: device ") + e.device);
        ASSERT_EQ(mine.size(), 1) << r.err.toStdString();
        EXPECT_TRUE(mine[0].contains(e.says)) << mine[0].toStdString();
    }
    EXPECT_TRUE(lines.filter("device A ").isEmpty());

    // Every device answers: the status is the output's alone.
    writeLines(path("DeviceStatus.txt"), {"timeout = 300,100,300", "device  =Lab," + good + ",Room,,,,A,T,lan,"});
    const Run unwritable = poll({"--out", path("no/such/folder/readings.prom")});
    EXPECT_EQ(unwritable.status, kPollOnceNotWritten);
    EXPECT_TRUE(unwritable.err.contains("readings.prom")) << unwritable.err.toStdString();
}

}  // namespace

namespace {

// Side by side the sweep gives what it gives one device after another: the same
// output, the same lines on standard error and the same exit status; an unreachable
// and a silent device among the others fail no one else.
TEST_F(PollOnceTest, SideBySideGivesWhatOneAtATimeGives)
{
    QStringList fleet{"pace off"};
    QStringList registry{"timeout = 300,100,300", "trycnt = 1", "timecheak = 1"};
    for (int n = 1; n <= 9; ++n) {
        const QString a = DevSim::lanAddress(10 + n);
        const QString id = DevSim::fleetId(n);
        fleet << "device id=" + id + " link=" + a + " sensors=T,H,-,- clock-at=2020-01-01T00:00" +
                     (n == 4 ? " fault=silence" : "");
        registry << QStringLiteral("device  =D%1,%2,Room,Hum,,,%3,T,lan,").arg(n).arg(a, id);
    }
    registry << "device  =Gone," + DevSim::lanAddress(30) + ",Shelf,,,,g,T,lan,";  // nobody listens
    ASSERT_TRUE(sim.start(fleet.join('\n') + '\n', root()));
    for (const char* format : {"text", "prometheus"}) {
        SCOPED_TRACE(format);
        Run runs[2];
        const char* settings[2] = {"parallel = 1", "parallel = 8"};
        for (int k = 0; k < 2; ++k) {
            writeLines(path("DeviceStatus.txt"), QStringList{settings[k]} + registry);
            runs[k] = poll({"--format", format}, fixedTestNowText());
        }
        EXPECT_EQ(runs[0].status, kPollOnceSilent);
        EXPECT_EQ(runs[1].status, runs[0].status);
        EXPECT_EQ(runs[1].out, runs[0].out);
        EXPECT_EQ(runs[1].err, runs[0].err);
        EXPECT_EQ(runs[0].err.count("gave no readings"), 2) << runs[0].err.toStdString();
    }
}

}  // namespace
