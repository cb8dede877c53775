// Downloads from the device emulator, run as a real process, into a temporary root
// folder: every hour in the report files must equal what the emulator holds.
#include "download/download.h"

#include <gtest/gtest.h>
#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include "app/calendar.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "download/unattended.h"
#include "link/devicelink.h"
#include "link/framing.h"
#include "platform/serialport.h"
#include "reports/reportfile.h"
#include "reports/reportjournal.h"
#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/scriptedlink.h"

namespace {

class RecordingLog : public MessageLogSink
{
public:
    void addLine(const QString& line) override { lines << line; }
    QStringList lines;
};

class RecordingObserver : public LinkObserver
{
public:
    void reportLine(const QString& line) override { report << line; }
    // The download shows every day reply; Cancel is pressed after stopAfter of them.
    void rxLine(const QString&) override
    {
        if (++replies == stopAfter && stop) stop->request();
    }
    StopRequest* stop = nullptr;  // what Cancel sets
    int replies = 0;
    int stopAfter = -1;
    void captionText(const QString& text) override { caption = text; }
    void waitLabel(WaitLabel which, const QString& text) override { labels[int(which)] = text; }
    QStringList report;
    QString caption;
    QMap<int, QString> labels;
};

QString ledgerLine(const QString& id, const QString& type, int sensor, const _SYSTEMTIME& t)
{
    return QStringLiteral("%1,%2,%3,0,%4,%5,%6,%7,%8,")
        .arg(id, type)
        .arg(sensor)
        .arg(t.wYear)
        .arg(t.wMonth)
        .arg(t.wDay)
        .arg(t.wHour)
        .arg(t.wMinute);
}

class DownloadTest : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        state().messageLog = &log;
        observer.stop = &state().stop;
        link().setObserver(&observer);
        pauses.emplace(state(), link());
        setProgramNowForTests(fixedTestNow());
        today = Date2Shamsi(programNow().date(), programNow(), ShamsiCalendar::Official);
    }
    void TearDown() override
    {
        sim.stop();
        link().reset();
        link().setObserver(nullptr);
        pauses.reset();
        state().messageLog = nullptr;
        RootFixture::TearDown();
    }

    // Starts the emulator with fleet lines (its devices' clocks standing at the program's
    // moment) and writes the registry and a ledger whose channels all start daysBack days ago.
    void startFleet(QStringList fleet, const QStringList& registry, int daysBack)
    {
        for (QString& line : fleet)
            if (line.startsWith(QLatin1String("device ")) && !line.contains(QLatin1String("clock-at=")))
                line += " clock-at=" + fixedTestNowText();
        ASSERT_TRUE(sim.start(fleet.join('\n') + '\n', root())) << sim.output().toStdString();
        writeLines(path("DeviceStatus.txt"), QStringList{"timeout = 500,200,300"} + registry);
        loadRegistry(state());
        const _SYSTEMTIME from =
            Date2Shamsi(programNow().date().addDays(-daysBack), programNow(), ShamsiCalendar::Official);
        QStringList ledger{kLedgerHeader};
        for (int i = 0; i <= state().DevLast; ++i)
            for (int s = 0; s < 4; ++s)
                if (!state().DevList[i].Sensor[s].Name.isEmpty())
                    ledger << ledgerLine(state().DevList[i].ID, state().DevList[i].SenType, s, from);
        writeLines(path("last_refresh.txt"), ledger);
        loadRegistry(state());
    }

    // The 48 codes the emulator holds for a day.
    QString heldCodes(const QString& id, int sensor, int yy, int month, int day)
    {
        QProcess p;
        p.start(DevSim::program(), {"--fleet", path("devsim.fleet"), "--print-day",
                                    QStringLiteral("%1,%2,%3,%4,%5").arg(id).arg(sensor).arg(yy).arg(month).arg(day)});
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // Checks every day line of a report file against the emulator; returns the number of day lines.
    int expectFileMatchesEmulator(const QString& file, const QString& id, int sensor, int hourOfRun)
    {
        const QStringList lines = readLines(file);
        EXPECT_FALSE(lines.isEmpty()) << file.toStdString();
        int days = 0;
        for (int i = 1; i < lines.size(); ++i) {
            if (isCommentLine(lines[i])) continue;
            const QStringList f = lines[i].split(',');
            if (f.size() < 4) {
                ADD_FAILURE() << "bad line " << lines[i].toStdString();
                continue;
            }
            const int m = f[0].toInt();
            const int d = f[1].toInt();
            QString held = heldCodes(id, sensor, f[3].toInt(), m, d);
            QString got = f[2];
            if (m == today.wMonth && d == today.wDay) {  // today: only the hours already past at the run
                held = held.left(2 * hourOfRun);
                got = got.left(2 * hourOfRun);
            }
            EXPECT_EQ(got, held) << file.toStdString() << " day " << m << "/" << d;
            ++days;
        }
        return days;
    }

    DevSim sim;
    std::optional<ShortReconnectPauses> pauses;
    RecordingLog log;
    RecordingObserver observer;
    _SYSTEMTIME today;
};

TEST_F(DownloadTest, AFleetOfLanAndSerialDevicesIsDownloadedHourForHour)
{
    const QString a1 = DevSim::lanAddress(1);
    const QString a2 = DevSim::lanAddress(2);
    startFleet({"seed 7", "pace off", "device id=A link=" + a1 + " sensors=T,H,-,-",
                "device id=B link=" + a2 + " sensors=T,-,T,-", "device id=C link=COM3 sensors=T,-,-,-"},
               {"device  =One," + a1 + ",Room,Humidity,,,A,T,lan,", "device  =Two," + a2 + ",Hall,,Store,,B,T,lan,",
                "device  =Three,COM3,Cold,,,,C,T,serial,"},
               3);
    const int hour = programNow().time().hour();
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 0) << log.lines.join('\n').toStdString();
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(observer.caption, "Complete");

    const QString year = QString::number(today.wYear) + "/";
    const struct
    {
        QString file, id;
        int sensor;
    } files[] = {{"A1_Room.rep", "A", 0},
                 {"A2_Humidity.rep", "A", 1},
                 {"B1_Hall.rep", "B", 0},
                 {"B3_Store.rep", "B", 2},
                 {"C1_Cold.rep", "C", 0}};
    for (const auto& f : files) EXPECT_EQ(expectFileMatchesEmulator(path(year + f.file), f.id, f.sensor, hour), 4);

    // The ledger moved to the time of the run.
    const QStringList ledger = readLines(ledgerPath(state().Prog.RootDir));
    ASSERT_EQ(ledger.size(), 6);
    const _SYSTEMTIME now = Date2Shamsi(programNow().date(), programNow(), ShamsiCalendar::Official);
    EXPECT_TRUE(ledger[1].startsWith(QStringLiteral("A,T,0,0,%1,%2,%3,").arg(now.wYear).arg(now.wMonth).arg(now.wDay)))
        << ledger[1].toStdString();

    // A second run within the hour reads nothing.
    const int requests = sim.requests().size();
    loadRegistry(state());
    runAllDevicesDownload(state(), link());
    EXPECT_EQ(sim.requests().size(), requests);
}

TEST_F(DownloadTest, ARunAcrossTheYearsEndCreatesTheNewYearsFolder)
{
    const QString a1 = DevSim::lanAddress(3);
    startFleet({"seed 3", "device id=A link=" + a1 + " sensors=T,-,-,-"}, {"device  =One," + a1 + ",Room,,,,A,T,lan,"},
               0);
    const int last = (today.wYear + 99) % 100;
    writeLines(path("last_refresh.txt"), {kLedgerHeader, QStringLiteral("A,T,0,0,%1,12,28,1,1,").arg(last)});
    loadRegistry(state());
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_TRUE(log.lines.contains(kYearChangedText));
    EXPECT_EQ(r.failedDevices, 0);
    EXPECT_EQ(state().YearChanged, 1);
    // Days 12/28 and 12/29 of the old year went into the old year's folder; 1404 has
    // no 12/30 (day 366), which was asked for and came without readings.
    const QStringList lines = readLines(path(QString::number(last) + "/A1_Room.rep"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].startsWith("12,29,"));
    EXPECT_EQ(sim.requests("\"Day\":\"" + QString::number(last) + ",0,12,30\"").size(), 1);
    EXPECT_EQ(sim.requests("\"Day\":\"" + QString::number(last) + ",0,1,1\"").size(), 0);
    // The channel starts the new year at 1/1, hour 1.
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wYear, today.wYear);
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wMonth, 1);
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wDay, 1);
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wHour, 1);
}

// A run across Nowruz asks for Esfand 30 (day 366) in every year, and the device's
// answer decides: a device answers a day its calendar lacks without readings, and
// such a day is not filed in a year without it; in a year that has it, or from a
// device whose calendar has it, it is. With "calendar = arithmetic" the program's
// today is the arithmetic's: 2029-03-20 is still 1407/12/30, no new year.
TEST_F(DownloadTest, EsfandThirtyIsFiledOnlyWhereItIsADay)
{
    const struct
    {
        const char* what;
        QDateTime now;  // of the program and the device's clock
        const char* deviceCalendar;
        const char* setting;  // of the program, after the device line; "" for none
        int year;             // two digits, of the days 12/20 .. 12/30 read
        bool filed;
        bool newYear;
    } cases[] = {
        {"Nowruz 1406, 1405 common", {QDate(2027, 3, 25), QTime(10, 30)}, "official", "", 5, false, true},
        {"Nowruz 1404, 1403 leap", {QDate(2025, 3, 25), QTime(10, 30)}, "official", "", 3, true, true},
        {"Nowruz 1408, 1407 leap for the device's arithmetic",
         {QDate(2029, 3, 25), QTime(10, 30)},
         "arithmetic",
         "",
         7,
         true,
         true},
        {"the settings' arithmetic on 2029-03-20",
         {QDate(2029, 3, 20), QTime(10, 30)},
         "arithmetic",
         "calendar = arithmetic",
         7,
         true,
         false},
    };
    int n = 25;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim.stop();
        setProgramNowForTests(c.now);
        const QString a = DevSim::lanAddress(n++);
        QStringList registry{"device  =One," + a + ",Room,,,,A,T,lan,"};
        if (*c.setting) registry << c.setting;
        startFleet({"seed 11", "pace off",
                    "device id=A link=" + a + " sensors=T,-,-,- calendar=" + c.deviceCalendar +
                        " clock-at=" + c.now.toString("yyyy-MM-dd'T'HH:mm")},
                   registry, 0);
        writeLines(path("last_refresh.txt"), {kLedgerHeader, QStringLiteral("A,T,0,0,%1,12,20,1,1,").arg(c.year)});
        loadRegistry(state());
        const QString file = path(QString::number(c.year) + "/A1_Room.rep");
        QFile::remove(file);
        state().YearChanged = 0;  // as the restart the message asks for leaves it
        log.lines.clear();
        const AllDevicesResult r = runAllDevicesDownload(state(), link());
        EXPECT_EQ(log.lines.contains(kYearChangedText), c.newYear);
        EXPECT_EQ(r.failedDevices, 0) << log.lines.join('\n').toStdString();
        EXPECT_EQ(r.yearChanged, c.newYear);
        EXPECT_EQ(sim.requests(QStringLiteral("\"Day\":\"%1,0,12,30\"").arg(c.year)).size(), 1);
        const QStringList lines = readLines(file);
        EXPECT_EQ(lines.filter(QRegularExpression("^12,30,")).size(), c.filed ? 1 : 0)
            << lines.join('\n').toStdString();
        EXPECT_EQ(expectFileMatchesEmulator(file, "A", 0, 0), c.filed ? 11 : 10);
        if (c.filed) {
            EXPECT_NE(heldCodes("A", 0, c.year, 12, 30), QString(48, QLatin1Char('?')));
        }
    }
}

TEST_F(DownloadTest, LanRetriesRestartAtTheLastGoodDay)
{
    const QString a1 = DevSim::lanAddress(4);
    const _SYSTEMTIME failDay = Date2Shamsi(programNow().date().addDays(-1), programNow(), ShamsiCalendar::Official);
    const QString match = QStringLiteral("%1,0,%2,%3").arg(failDay.wYear).arg(failDay.wMonth).arg(failDay.wDay);
    startFleet(
        {"seed 5", "device id=A link=" + a1 + " sensors=T,-,-,- fault=silence fault-count=2 fault-match=" + match},
        {"device  =One," + a1 + ",Room,,,,A,T,lan,"}, 2);
    changeLinkSettings(link(), [](LinkSettings& s) {
        s.tries = 1;
        s.lanReadTimeoutMs = 100;  // each silent day is waited out once
    });
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 0);
    const int failNum = MonthDay2Num(failDay.wMonth, failDay.wDay);
    EXPECT_EQ(observer.report.filter(QStringLiteral("Retrying%1").arg(failNum)).size(), 2);
    // The day before the failing one stands three times: each new pass restarts there.
    const _SYSTEMTIME before = Date2Shamsi(programNow().date().addDays(-2), programNow(), ShamsiCalendar::Official);
    const QStringList lines = readLines(path(QString::number(today.wYear) + "/A1_Room.rep"));
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^%1,%2,").arg(before.wMonth).arg(before.wDay))).size(),
              3);
}

TEST_F(DownloadTest, FailuresSkipTheDeviceAndLeaveItsFilesUntouched)
{
    const QString a1 = DevSim::lanAddress(5);
    const QString a2 = DevSim::lanAddress(6);
    startFleet(
        {"seed 9", "pace off", "device id=A link=" + a1 + " sensors=T,T,T,- fault=othersensor fault-match=\"GetLog\"",
         "device id=C link=COM4 sensors=T,-,-,- fault=othersensor fault-count=1 fault-match=GetLog",
         "device id=B link=" + a2 + " sensors=T,-,-,-"},
        {"device  =One," + a1 + ",R1,R2,R3,,A,T,lan,", "device  =Serial,COM4,S1,,,,C,T,serial,",
         "device  =Two," + a2 + ",Hall,,,,B,T,lan,"},
        1);
    const QString year = QString::number(today.wYear) + "/";
    writeLines(path(year + "C1_S1.rep"), {"kept header", "7,1,x,3,0"});
    const QByteArray before = readFileBytes(path(year + "C1_S1.rep"));
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 2);
    EXPECT_FALSE(QFileInfo::exists(path(year + "A1_R1.rep")));
    EXPECT_EQ(sim.requests("SenPara(0,1)").size(), 0);  // A's second sensor is not tried
    EXPECT_EQ(readFileBytes(path(year + "C1_S1.rep")), before);
    EXPECT_TRUE(QFileInfo::exists(path(year + "B1_Hall.rep")));  // the next device is read
    EXPECT_EQ(log.lines.size(), 2);
    EXPECT_EQ(log.lines.filter(QRegularExpression("Device ID =A$")).size(), 1);  // devices read side by side
}

// Faults in the middle of a span: the faulty device is reported or recovers, the
// other device is read whole, and every file holds exactly what the devices hold.
struct FaultCase
{
    const char* name;
    const char* link;  // "lan" or "serial"
    const char* fault;
    bool deviceFails;
};

class DownloadFaultTest : public DownloadTest, public ::testing::WithParamInterface<FaultCase>
{
};

TEST_P(DownloadFaultTest, EndsAsItShouldAndKeepsTheFilesTrue)
{
    const FaultCase c = GetParam();
    const QString good = DevSim::lanAddress(11);
    const QString bad = QLatin1String(c.link) == QLatin1String("lan") ? DevSim::lanAddress(12) : QStringLiteral("COM5");
    const _SYSTEMTIME failDay = Date2Shamsi(programNow().date().addDays(-2), programNow(), ShamsiCalendar::Official);
    const QString match = QStringLiteral("%1,0,%2,%3").arg(failDay.wYear).arg(failDay.wMonth).arg(failDay.wDay);
    startFleet({"seed 4", "pace off",
                "device id=A link=" + bad + " sensors=T,-,-,- " + QLatin1String(c.fault) + " fault-match=" + match,
                "device id=B link=" + good + " sensors=T,-,-,-"},
               {"device  =Bad," + bad + ",Room,,,,A,T,lan,", "device  =Good," + good + ",Hall,,,,B,T,lan,"}, 4);
    // Silence is waited out at every try: short waits and two passes keep the cases
    // quick (giving up after the policy's passes is checked on its own).
    changeLinkSettings(link(), [](LinkSettings& s) {
        s.serialReplyTimeoutMs = 150;
        s.serialAttempts = 2;
        s.lanReadTimeoutMs = 100;
        s.replyWaitMs = 50;
    });
    state().retry = {.reconnectPauseMs = 5, .maxFailedPasses = 2};
    changeLinkSettings(link(), [&](LinkSettings& s) { s.tries = 2; });
    dlg.allow(Kind::Message).allow(Kind::Confirm);
    const int hour = programNow().time().hour();
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, c.deviceFails ? 1 : 0) << log.lines.join('\n').toStdString();
    const QString year = QString::number(today.wYear) + "/";
    EXPECT_EQ(expectFileMatchesEmulator(path(year + "B1_Hall.rep"), "B", 0, hour), 5);
    if (c.deviceFails) {
        EXPECT_FALSE(QFileInfo::exists(path(year + "A1_Room.rep")));
    } else {
        EXPECT_GE(expectFileMatchesEmulator(path(year + "A1_Room.rep"), "A", 0, hour), 5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DownloadFaultTest,
    // A device that fails the same day in every pass is given up; a dropped connection ends the device with the
    // exchange's error (nothing appended: the ledger keeps its date, so the next run reads those days again).
    ::testing::Values(FaultCase{"LanSilentForever", "lan", "fault=silence", true},
                      FaultCase{"LanGarbageOnce", "lan", "fault=garbage fault-count=1", false},
                      FaultCase{"LanDroppedOnce", "lan", "fault=drop fault-count=1", true},
                      FaultCase{"LanOtherSensorForever", "lan", "fault=othersensor", true},
                      FaultCase{"SerialStopsAnswering", "serial", "fault=silence", true},
                      FaultCase{"SerialGarbage", "serial", "fault=garbage", true}),
    [](const ::testing::TestParamInfo<FaultCase>& i) { return std::string(i.param.name); });

// The download works with what its caller passes (its own root folder, clock, stop
// source, counters, observer and log), whatever the program's shared state holds.
TEST_F(DownloadTest, ADeviceIsDownloadedIntoTheContextItIsGiven)
{
    const QString a1 = DevSim::lanAddress(24);
    startFleet({"seed 2", "device id=A link=" + a1 + " sensors=T,T,T,-"},
               {"device  =One," + a1 + ",Room,Hall,Cold,,A,T,lan,"}, 3);
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    const QString otherRoot = other.path() + "/";
    const QDateTime evening(fixedTestNow().date(), QTime(18, 45));
    const _SYSTEMTIME now = Date2Shamsi(evening.date(), evening, ShamsiCalendar::Official);
    RecordingLog ownLog;
    RecordingObserver ownObserver;
    AuditJournal ownJournal(otherRoot);
    // The stop is asked for once the third channel begins: it ends after its first day.
    DownloadContext ctx{link(),
                        ownObserver,
                        ownLog,
                        [&] { return ownObserver.report.size() >= 5; },
                        [&] { return evening; },  // NOLINT(performance-no-automatic-move): a capture, copied each call
                        [] {
                            return ExchangeCounts{7, 9};
                        },
                        ReportDestination{otherRoot, QString()},
                        ownJournal,
                        DownloadRetryPolicy{}};
    Device_Rec dev = state().DevList[0];
    for (Sensor_Rec& s : dev.Sensor) s.Now_ref = now;
    DeviceDownloadResult r;
    const Device_Rec out = downloadDevice(ctx, dev, otherRoot, r, true);

    const QString year = otherRoot + QString::number(now.wYear) + "/";
    EXPECT_EQ(readLines(year + "A1_Room.rep").size(), 5);  // the header and four days
    EXPECT_EQ(readLines(year + "A2_Hall.rep").size(), 5);
    EXPECT_EQ(readLines(year + "A3_Cold.rep").size(), 2);
    EXPECT_EQ(r.sensorsRead, 3);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(ctx.overallPosition, 3);
    EXPECT_EQ(out.Sensor[0].Last_ref.wHour, 18);  // the context's clock
    EXPECT_EQ(ownObserver.labels.value(int(WaitLabel::Cnt)), "7,9");
    EXPECT_EQ(ownObserver.report.filter("OK").size(), 3);
    // Nothing went to the program's root folder, observer, log or stop flag.
    EXPECT_TRUE(QDir(root() + QString::number(now.wYear)).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(journalPath(root())));
    const auto journalled = replayReportEntries(scanJournal(journalPath(otherRoot)));
    EXPECT_EQ(journalled.size(), 3U);
    EXPECT_TRUE(journalled.contains(QString::number(now.wYear) + "/A3_Cold.rep"));
    EXPECT_TRUE(observer.report.isEmpty());
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_FALSE(state().stop.requested());
    EXPECT_EQ(state().Prog.RootDir, root());
}

// A day that fails in every pass is retried for the policy's number of passes, each
// after a reconnection, and then the channel fails: five passes unless set otherwise.
TEST_F(DownloadTest, ADayThatAlwaysFailsIsGivenUpAfterThePolicysPasses)
{
    EXPECT_EQ(DownloadRetryPolicy{}.maxFailedPasses, 5);
    EXPECT_EQ(DownloadRetryPolicy{}.reconnectPauseMs, 2000);
    const QString a1 = DevSim::lanAddress(23);
    const _SYSTEMTIME failDay = Date2Shamsi(programNow().date().addDays(-1), programNow(), ShamsiCalendar::Official);
    const QString match = QStringLiteral("%1,0,%2,%3").arg(failDay.wYear).arg(failDay.wMonth).arg(failDay.wDay);
    startFleet({"device id=A link=" + a1 + " sensors=T,-,-,- fault=othersensor fault-match=" + match},
               {"device  =One," + a1 + ",Room,,,,A,T,lan,"}, 2);
    const QString retrying = QStringLiteral("Retrying%1").arg(MonthDay2Num(failDay.wMonth, failDay.wDay));
    for (const int passes : {5, 2}) {
        SCOPED_TRACE(passes);
        observer.report.clear();
        state().retry = {.reconnectPauseMs = 5, .maxFailedPasses = passes};
        const AllDevicesResult r = runAllDevicesDownload(state(), link());
        EXPECT_EQ(r.failedDevices, 1);
        EXPECT_EQ(observer.report.filter(retrying).size(), passes);
        EXPECT_FALSE(QFileInfo::exists(path(QString::number(today.wYear) + "/A1_Room.rep")));
    }
}

TEST_F(DownloadTest, ALateReplyForAnotherDayIsAFailedDayNotASkippedOne)
{
    const QString a1 = DevSim::lanAddress(15);
    const _SYSTEMTIME asked = Date2Shamsi(programNow().date().addDays(-1), programNow(), ShamsiCalendar::Official);
    const _SYSTEMTIME other = Date2Shamsi(programNow().date().addDays(-2), programNow(), ShamsiCalendar::Official);
    const QString match = QStringLiteral("%1,0,%2,%3").arg(asked.wYear).arg(asked.wMonth).arg(asked.wDay);
    // The answer to the request before: the day before, with codes no day of the
    // device holds. "(" stands where the device puts a double quote (both split the
    // reply into the same fields; the fleet file keeps double quotes for itself).
    const QString late = QStringLiteral("${(GetLog(:{(Day(:(%1,24,0,%2,%3,%4(}}#")
                             .arg(other.wYear)
                             .arg(other.wMonth)
                             .arg(other.wDay)
                             .arg(QString(48, QChar('<')));
    startFleet({"seed 8", "device id=A link=" + a1 + " sensors=T,-,-,- fault=raw fault-count=1 fault-match=" + match +
                              " fault-text=" + late},
               {"device  =One," + a1 + ",Room,,,,A,T,lan,"}, 3);
    const int hour = programNow().time().hour();
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 0);
    EXPECT_EQ(observer.report.filter("Retrying").size(), 1);
    const QString file = path(QString::number(today.wYear) + "/A1_Room.rep");
    expectFileMatchesEmulator(file, "A", 0, hour);  // the late reply's codes are stored nowhere
    EXPECT_EQ(
        readLines(file).filter(QRegularExpression(QStringLiteral("^%1,%2,").arg(asked.wMonth).arg(asked.wDay))).size(),
        1);
}

// A line break in a day reply's codes would write a second, forged day line: such a
// day fails and is read again; the file holds exactly what the device holds.
TEST_F(DownloadTest, ADayReplyWithALineBreakIsAFailedDay)
{
    const QString a1 = DevSim::lanAddress(17);
    const _SYSTEMTIME asked = Date2Shamsi(programNow().date().addDays(-1), programNow(), ShamsiCalendar::Official);
    const QString match = QStringLiteral("%1,0,%2,%3").arg(asked.wYear).arg(asked.wMonth).arg(asked.wDay);
    const QString forged =
        QStringLiteral("%1,%2,%3,%4,24").arg(asked.wMonth).arg(asked.wDay + 1).arg(QString(48, '<')).arg(asked.wYear);
    startFleet({"seed 8", "device id=A link=" + a1 + " sensors=T,-,-,- fault=linebreak fault-count=1 fault-match=" +
                              match + " fault-text=" + forged},
               {"device  =One," + a1 + ",Room,,,,A,T,lan,"}, 3);
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 0);
    EXPECT_EQ(observer.report.filter("Retrying").size(), 1);
    const QString file = path(QString::number(today.wYear) + "/A1_Room.rep");
    expectFileMatchesEmulator(file, "A", 0, programNow().time().hour());
    EXPECT_EQ(readLines(file).filter(QString(48, '<')).size(), 0);
}

// Only a header is stored as a header: the tail of a late header reply fails the
// channel and touches no file.
TEST_F(DownloadTest, AReplyThatIsNoHeaderFailsTheChannel)
{
    const QString a1 = DevSim::lanAddress(18);
    startFleet({"device id=A link=" + a1 +
                " sensors=T,-,-,- fault=raw fault-match=SenPara fault-text=,TH,1,0,T,-20.0,"
                "50.0,60,0,5,3):44,A#"},
               {"device  =One," + a1 + ",Room,,,,A,T,lan,"}, 2);
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 1);
    EXPECT_FALSE(QFileInfo::exists(path(QString::number(today.wYear) + "/A1_Room.rep")));
    EXPECT_EQ(sim.requests("GetLog").size(), 0);
}

TEST_F(DownloadTest, CancelAppendsTheDaysReadAndLeavesTheLedger)
{
    const QString a1 = DevSim::lanAddress(13);
    const QString a2 = DevSim::lanAddress(14);
    startFleet({"seed 6", "device id=A link=" + a1 + " sensors=T,-,-,-", "device id=B link=" + a2 + " sensors=T,-,-,-"},
               {"device  =One," + a1 + ",Room,,,,A,T,lan,", "device  =Two," + a2 + ",Hall,,,,B,T,lan,", "parallel = 1"},
               10);
    const QByteArray ledger = readFileBytes(ledgerPath(state().Prog.RootDir));
    observer.stopAfter = 3;
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_TRUE(r.stopped);
    const QString year = QString::number(today.wYear) + "/";
    EXPECT_EQ(readLines(path(year + "A1_Room.rep")).size(), 4);   // the header and the three days read
    EXPECT_FALSE(QFileInfo::exists(path(year + "B1_Hall.rep")));  // no further device is started
    EXPECT_EQ(readFileBytes(ledgerPath(state().Prog.RootDir)), ledger);
}

// Cancel during the pause before a LAN device is connected again for another pass
// ends the pause at once: no new connection, no further pass, nothing stored.
TEST_F(DownloadTest, CancelDuringTheReconnectionPauseEndsTheChannelAtOnce)
{
    LinkScript script;
    link().setTransportFactory(script.factory());
    script.respond([](const LinkScript::Request& r) {
        if (!r.command.startsWith(QLatin1String("ASenPara"))) return LinkScript::silence();  // every day fails
        return LinkScript::reply(
            buildSummedReply(QStringLiteral("SenPara(0,1,TH,1,0,T,-20.0,50.5,60,0,3,5,0,0,0)"), r.deviceId)
                .mid(1)
                .chopped(1));
    });
    changeLinkSettings(link(), [](LinkSettings& s) {
        s.tries = 1;
        s.replyWaitMs = 500;
    });
    state().retry = {.reconnectPauseMs = 60000, .maxFailedPasses = 1};
    script.at(10000, [this] { state().stop.request(); });  // after the first pass failed, within the pause
    const QString ip = DevSim::lanAddress(1);
    Device_Rec dev;
    dev.ID = QStringLiteral("a");
    dev.IP = ip;
    Sensor_Rec& s = dev.Sensor[0];
    s.Name = QStringLiteral("Room");
    s.Last_ref = Date2Shamsi(programNow().date().addDays(-2), programNow(), ShamsiCalendar::Official);
    s.Now_ref = today;
    s.parent = path("Room.rep");

    DownloadContext ctx = programDownloadContext(state(), link());
    EXPECT_EQ(downloadSensorSpan(ctx, dev, 0), 0);
    EXPECT_EQ(script.now(), 10000);
    EXPECT_EQ(script.events(), (QStringList{"open " + ip, "pause 60000"}));
    EXPECT_EQ(script.requests().size(), 2);  // the header and the first day
    EXPECT_FALSE(QFileInfo::exists(s.parent));
    link().setTransportFactory({});  // the transports go before the script
}

TEST_F(DownloadTest, ASensorNameThatClimbsOutOfTheYearFolderIsRefused)
{
    const QString a1 = DevSim::lanAddress(9);
    startFleet({"device id=A link=" + a1 + " sensors=T,T,-,-"}, {"device  =One," + a1 + ",../../evil,Good,,,A,T,lan,"},
               1);
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 1);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].contains("../../evil")) << log.lines[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(path(QString::number(today.wYear) + "/A2_Good.rep")));
    EXPECT_EQ(QDir(root() + "..").entryList({"*evil*"}).size(), 0);
    EXPECT_EQ(QDir(root()).entryList({"*evil*"}).size(), 0);
}

TEST_F(DownloadTest, RefusedConnectionIsReportedAndTheRunGoesOn)
{
    const QString a2 = DevSim::lanAddress(8);
    startFleet(
        {"device id=B link=" + a2 + " sensors=T,-,-,-"},
        {"device  =Gone," + DevSim::lanAddress(7) + ",R1,,,,A,T,lan,", "device  =Two," + a2 + ",Hall,,,,B,T,lan,"}, 1);
    dlg.allow(Kind::Message).allow(Kind::Confirm);
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 1);
    EXPECT_TRUE(QFileInfo::exists(path(QString::number(today.wYear) + "/B1_Hall.rep")));
}

// A serial device whose port cannot be opened: the unattended run waits on no box,
// logs the port message with the device and goes on to the next device.
TEST_F(DownloadTest, APortThatCannotBeOpenedIsLoggedAndTheRunGoesOn)
{
    setSystemPortListerForTests([] { return QList<SerialPortEntry>{}; });
    const QString a2 = DevSim::lanAddress(8);
    startFleet({"device id=B link=" + a2 + " sensors=T,-,-,-"},
               {"device  =Cellar,COM9,R1,,,,S,T,lan,", "device  =Two," + a2 + ",Hall,,,,B,T,lan,"}, 1);
    const AllDevicesResult r = downloadAllDevices(state(), link());
    setSystemPortListerForTests({});
    EXPECT_EQ(r.failedDevices, 1);
    EXPECT_EQ(r.sensorsRead, 1);
    EXPECT_TRUE(QFileInfo::exists(path(QString::number(today.wYear) + "/B1_Hall.rep")));
    const QStringList logged = log.lines.filter(oneLogLine(linktext::kCannotOpenPort));
    ASSERT_EQ(logged.size(), 1) << log.lines.join('\n').toStdString();
    EXPECT_TRUE(logged[0].contains("Cellar") && logged[0].contains("COM9")) << logged[0].toStdString();
    EXPECT_TRUE(dlg.shown().isEmpty());
}

// An unattended run with a registry that is missing or registers no device reads
// nothing and leaves the ledger alone (it used to write the header only, so that the
// next run started every channel today).
TEST_F(DownloadTest, AMissingOrEmptyRegistryIsStatusFourAndWritesNothing)
{
    writeLines(path("last_refresh.txt"), {kLedgerHeader, "A,T,0,0,5,3,1,1,1,"});
    const QByteArray ledger = readFileBytes(ledgerPath(state().Prog.RootDir));
    for (const bool present : {false, true}) {
        if (present) writeLines(path("DeviceStatus.txt"), {"timeout = 500,200,300"});
        QString text;
        QTextStream out(&text);
        EXPECT_EQ(downloadAllUnattended(state(), link(), false, out, out), kDownloadAllNoRegistry);
        EXPECT_EQ(readFileBytes(ledgerPath(state().Prog.RootDir)), ledger);
        ASSERT_FALSE(log.lines.isEmpty());
        EXPECT_TRUE(log.lines.last().contains(present ? "registers no device" : "does not exist"))
            << log.lines.last().toStdString();
    }
}

// Channels this run does not read keep their ledger lines: a skipped device line, a
// ledger line that cannot be read (its channel is not restarted from a guess), a
// device that is not registered. Each skipped line is reported and fails the run.
TEST_F(DownloadTest, AnUnattendedRunKeepsTheLinesOfChannelsItDidNotRead)
{
    const QString a1 = DevSim::lanAddress(16);
    ASSERT_TRUE(
        sim.start("seed 2\ndevice id=A link=" + a1 + " sensors=T,T,-,- clock-at=" + fixedTestNowText() + "\n", root()))
        << sim.output().toStdString();
    writeLines(path("DeviceStatus.txt"),
               {"timeout = 500,200,300", "device  =One," + a1 + ",Room,Hall,,,A,T,lan,", "device  =Short,COM1,x,"});
    const _SYSTEMTIME from = Date2Shamsi(programNow().date().addDays(-2), programNow(), ShamsiCalendar::Official);
    const QString unreadable = QStringLiteral("A,T,1,0,%1,13,1,1,1,").arg(from.wYear);
    const QStringList ledger{kLedgerHeader, ledgerLine("A", "T", 0, from), unreadable, "Q,T,0,0,5,3,1,1,1,"};
    writeLines(path("last_refresh.txt"), ledger);
    dlg.allow(Kind::Error);  // the conversion error of the ledger line

    QString text;
    QTextStream out(&text);
    EXPECT_EQ(downloadAllUnattended(state(), link(), false, out, out), kDownloadAllFailed);
    EXPECT_TRUE(text.contains("2 lines skipped")) << text.toStdString();
    EXPECT_TRUE(log.lines.filter("DeviceStatus.txt, line 3").size() == 1) << log.lines.join('\n').toStdString();
    EXPECT_EQ(log.lines.filter(unreadable).size(), 1);
    EXPECT_EQ(sim.requests("SenPara(0,1)").size(), 0);  // the channel of the unreadable line is not read
    const QStringList after = readLines(ledgerPath(state().Prog.RootDir));
    ASSERT_EQ(after.size(), 4);
    const _SYSTEMTIME now = Date2Shamsi(programNow().date(), programNow(), ShamsiCalendar::Official);
    EXPECT_TRUE(after[1].startsWith(QStringLiteral("A,T,0,0,%1,%2,%3,").arg(now.wYear).arg(now.wMonth).arg(now.wDay)));
    EXPECT_EQ(after.mid(2), ledger.mid(2));
}

// A report file that cannot be written (the file size limit stands in for a full
// disk) is reported with the file and the reason, not as a device that cannot be
// reached; the channel keeps its ledger position.
TEST_F(DownloadTest, AFileThatCannotBeWrittenIsReportedAsSuch)
{
    const QString a1 = DevSim::lanAddress(19);
    startFleet({"device id=A link=" + a1 + " sensors=T,T,-,-"}, {"device  =One," + a1 + ",Room,Hall,,,A,T,lan,"}, 2);
    const QString file = path(QString::number(today.wYear) + "/A1_Room.rep");
    // One long line makes the file too large to be written again, while its entry in
    // the journal (one digest) stays small enough to be written.
    writeLines(file, {"header", QStringLiteral("1,1,%1,5,24").arg(QString(5000, '<'))});
    const QByteArray before = readFileBytes(file);
    AllDevicesResult r;
    {
        FileSizeLimit limit(4096);
        r = runAllDevicesDownload(state(), link());
    }
    EXPECT_EQ(r.failedDevices, 1);
    EXPECT_EQ(readFileBytes(file), before);
    ASSERT_EQ(log.lines.size(), 1) << log.lines.join('\n').toStdString();
    EXPECT_TRUE(log.lines[0].contains("A1_Room.rep") && log.lines[0].contains("Cannot write"))
        << log.lines[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(path(QString::number(today.wYear) + "/A2_Hall.rep")));  // the next channel is read
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wDay,
              Date2Shamsi(programNow().date().addDays(-2), programNow(), ShamsiCalendar::Official).wDay);
}

// A ledger that cannot be written at the end (the file size limit stands in for a
// full disk) stays as it was and is said on standard error; the summary still counts
// the channels that were due and the devices that failed.
TEST_F(DownloadTest, ALedgerThatCannotBeWrittenLeavesTheCountsOfTheRun)
{
    const QString a = DevSim::lanAddress(25);
    startFleet(
        {"device id=A link=" + a + " sensors=T,T,-,-"},  // only A answers
        {"device  =One," + a + ",Room,Hall,,,A,T,lan,", "device  =Two," + DevSim::lanAddress(26) + ",Shelf,,,,B,T,lan,",
         "device  =Three," + DevSim::lanAddress(27) + ",Door,Gate,,,C,T,lan,",
         "device  =Four," + DevSim::lanAddress(28) + ",Sky,,,,D,T,lan,"},
        1);
    // A line of a device no longer registered is kept as it is: it makes the ledger
    // larger than the limit, and the report files stay below it.
    QStringList ledger = readLines(ledgerPath(state().Prog.RootDir));
    ledger << "Q,T,0,0,5,3,1,1,1," + QString(8000, 'x');
    writeLines(ledgerPath(state().Prog.RootDir), ledger);
    const QByteArray before = readFileBytes(ledgerPath(state().Prog.RootDir));
    dlg.allow(Kind::Message).allow(Kind::Confirm);
    QString out, err;
    QTextStream o(&out), e(&err);
    int status = -1;
    {
        FileSizeLimit limit(4096);
        status = downloadAllUnattended(state(), link(), false, o, e);
    }
    o.flush();
    e.flush();
    EXPECT_EQ(status, kDownloadAllFailed);
    EXPECT_EQ(out, "download: 4 devices, 6 named sensors, 3 devices failed, ledger not written\n");
    EXPECT_TRUE(err.contains("last_refresh.txt")) << err.toStdString();
    EXPECT_EQ(readFileBytes(ledgerPath(state().Prog.RootDir)), before);
    EXPECT_TRUE(QFileInfo::exists(path(QString::number(today.wYear) + "/A2_Hall.rep")));
}

// Settings values that the link cannot use (a time-out past any number, no attempts
// at all) are skipped with their line: the devices are read as before those lines,
// and the run's status says that lines were skipped.
TEST_F(DownloadTest, UnusableSettingsAreSkippedLinesAndTheDevicesAreStillRead)
{
    const QString a = DevSim::lanAddress(29);
    startFleet({"device id=A link=" + a + " sensors=T,-,-,-"},
               {"timeout = 99999999999", "trycnt = 0", "device  =One," + a + ",Room,,,,A,T,lan,"}, 1);
    dlg.allow(Kind::Error);  // the first refused value, as the windows show it
    QString out;
    QTextStream o(&out);
    EXPECT_EQ(downloadAllUnattended(state(), link(), false, o, o), kDownloadAllFailed);
    o.flush();
    EXPECT_TRUE(out.contains("0 devices failed, 2 lines skipped")) << out.toStdString();
    EXPECT_EQ(log.lines.filter("DeviceStatus.txt, line 2: \"timeout = 99999999999\"").size(), 1)
        << log.lines.join('\n').toStdString();
    EXPECT_EQ(log.lines.filter("DeviceStatus.txt, line 3: \"trycnt = 0\"").size(), 1);
    EXPECT_TRUE(QFileInfo::exists(path(QString::number(today.wYear) + "/A1_Room.rep")));
}

// Two devices with one ID on two connections and a sensor of the same name would
// write one report file: the clash is reported at loading, the second channel is
// not downloaded, and the ledger gets no second line for the channel.
TEST_F(DownloadTest, AChannelWhoseFileBelongsToAnotherIsNotDownloaded)
{
    const QString a1 = DevSim::lanAddress(20);
    const QString a2 = DevSim::lanAddress(21);
    startFleet({"device id=A link=" + a1 + " sensors=T,T,-,-", "device id=A link=" + a2 + " sensors=T,T,-,-"},
               {"device  =One," + a1 + ",Room,,,,A,T,lan,", "device  =Two," + a2 + ",Room,Hall,,,A,T,lan,"}, 2);
    const RegistryLoadNotes notes = loadRegistry(state());
    ASSERT_EQ(notes.skippedLines.size(), 1);
    EXPECT_TRUE(notes.skippedLines[0].contains("A1_Room.rep") && notes.skippedLines[0].contains(a2))
        << notes.skippedLines[0].toStdString();
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.skippedLines, 1);
    EXPECT_EQ(log.lines, notes.skippedLines);
    EXPECT_EQ(sim.requests("SenPara(0,0)").size(), 1);  // only the first device's channel 1
    const QString year = QString::number(today.wYear) + "/";
    EXPECT_EQ(readLines(path(year + "A1_Room.rep")).size(), 4);
    EXPECT_TRUE(QFileInfo::exists(path(year + "A2_Hall.rep")));
    const QStringList ledger = readLines(ledgerPath(state().Prog.RootDir));
    EXPECT_EQ(ledger.filter(QRegularExpression("^A,T,0,")).size(), 1) << ledger.join('|').toStdString();
    EXPECT_EQ(state().DevList[1].Sensor[0].Name, "Room");  // the registry in memory is unchanged
}

// A ledger older than a year: its year is read to its last day (not only up to
// today's day number), and the channel goes on with the year after it.
TEST_F(DownloadTest, ALedgerOlderThanAYearReadsItsYearToTheEnd)
{
    const QString a1 = DevSim::lanAddress(22);
    startFleet({"seed 3", "pace off", "device id=A link=" + a1 + " sensors=T,-,-,- since=1200"},
               {"device  =One," + a1 + ",Room,,,,A,T,lan,"}, 0);
    const int old = (today.wYear + 98) % 100;  // two years back, a few days before today's day number
    writeLines(path("last_refresh.txt"),
               {kLedgerHeader, QStringLiteral("A,T,0,0,%1,%2,1,1,1,").arg(old).arg(today.wMonth)});
    loadRegistry(state());
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_TRUE(log.lines.contains(kYearChangedText));
    EXPECT_EQ(r.failedDevices, 0);
    EXPECT_EQ(sim.requests(QStringLiteral("\"Day\":\"%1,0,12,30\"").arg(old)).size(), 1);
    const QStringList lines = readLines(path(QString::number(old) + "/A1_Room.rep"));
    EXPECT_EQ(lines.size(), 1 + 366 - MonthDay2Num(today.wMonth, 1) + 1);
    const Sensor_Rec& c = state().DevList[0].Sensor[0];
    EXPECT_EQ(c.Last_ref.wYear, (old + 1) % 100);
    EXPECT_EQ(c.Last_ref.wMonth, 1);
    EXPECT_EQ(c.Last_ref.wDay, 1);
    EXPECT_EQ(readLines(ledgerPath(state().Prog.RootDir)).value(1),
              QStringLiteral("A,T,0,0,%1,1,1,1,30,").arg((old + 1) % 100));
}

}  // namespace

namespace {

// The lines that name a device, in their order.
QStringList linesOf(const QStringList& lines, const QString& label)
{
    return lines.filter(label + ": ");
}

// The entries of the journal at root, in order: their kinds and details.
QList<QPair<QString, nlohmann::ordered_json>> journalEntries(const QString& root)
{
    QList<QPair<QString, nlohmann::ordered_json>> entries;
    for (const JournalLine& line : scanJournal(journalPath(root)).lines)
        if (line.entry)
            entries << qMakePair(QString::fromStdString((*line.entry)["kind"].get<std::string>()),
                                 (*line.entry)["details"]);
    return entries;
}

// The journal's replay gives every report file under root as it stands.
void expectJournalHoldsReportFiles(const QString& root)
{
    const JournalScan scan = scanJournal(journalPath(root));
    EXPECT_EQ(scan.chainBreak, 0);
    EXPECT_TRUE(scan.damaged.empty());
    const auto journalled = replayReportEntries(scan);
    int files = 0;
    for (const QString& name : recordFiles(root).keys()) {
        if (!name.endsWith(".rep")) continue;
        ++files;
        SCOPED_TRACE(name.toStdString());
        const auto it = journalled.find(name);
        ASSERT_NE(it, journalled.end());
        const ReportDigest file = digestReportLines(readLines(root + name));
        ASSERT_FALSE(it->second.headers.empty());
        EXPECT_EQ(it->second.headers.back().header, file.header);
        EXPECT_EQ(it->second.days, file.days);
    }
    EXPECT_EQ(int(journalled.size()), files);
}

// A run of the window is journalled: its start, an adoption of a file written before
// the journal, every file write, its end. A later run replaces the last day of each
// file; the journal still gives every file as it stands.
TEST_F(DownloadTest, RunsAndTheirFileWritesAreJournalled)
{
    const QString a1 = DevSim::lanAddress(50);
    startFleet(
        {"seed 3", "pace off", "device id=A link=" + a1 + " sensors=T,H,-,-"},
        {"device  =One," + a1 + ",Room,Hum,,,A,T,lan,", "device  =Gone," + DevSim::lanAddress(51) + ",R,,,,G,T,lan,"},
        2);
    const QString year = QString::number(today.wYear) + "/";
    writeLines(path(year + "A2_Hum.rep"),
               {"SenPara(0,1,TH,1,0,H,10,90,60,0,3,5,0,0,0):66,A", "1,1," + QString(48, '<') + ",5,24"});
    AllDevicesResult r = runAllDevicesDownload(state(), link());
    EXPECT_EQ(r.failedDevices, 1);
    auto entries = journalEntries(root());
    QStringList kinds;
    for (const auto& e : entries) kinds << e.first;
    EXPECT_EQ(kinds,
              (QStringList{"download.start", "report.download", "report.adopt", "report.download", "download.end"}));
    EXPECT_EQ(entries[0].second, (nlohmann::ordered_json{{"run", "window"}, {"devices", 2}}));
    EXPECT_EQ(entries[1].second["file"], (year + "A1_Room.rep").toStdString());
    EXPECT_EQ(entries[1].second["channel"], 1);
    EXPECT_EQ(entries[3].second["device"], "A");
    EXPECT_EQ(entries[3].second["channel"], 2);
    EXPECT_EQ(
        entries.last().second,
        (nlohmann::ordered_json{{"run", "window"}, {"devicesRead", 1}, {"devicesFailed", 1}, {"status", "failed"}}));
    expectJournalHoldsReportFiles(root());

    // Two hours later (the hourly refresh): today's day line gives way to its fuller copy.
    setProgramNowForTests(fixedTestNow().addSecs(2 * 3600));
    loadRegistry(state());
    r = runAllDevicesDownload(state(), link(), DownloadRun::Hourly);
    entries = journalEntries(root());
    EXPECT_EQ(entries.size(), 5 + 4);
    EXPECT_EQ(entries[5].second["run"], "hourly");
    EXPECT_TRUE(entries[6].second.contains("replaced")) << entries[6].second.dump();
    EXPECT_EQ(entries.last().second["status"], "failed");
    expectJournalHoldsReportFiles(root());
}

// A start entry that cannot be written (a folder in the journal's place) starts no
// run: no device is asked anything and no file is written; the window's run throws the
// journal's message for the error box, the unattended run says it on standard error
// and ends with status 1.
TEST_F(DownloadTest, ARunWhoseStartCannotBeJournalledDoesNotStart)
{
    const QString a1 = DevSim::lanAddress(52);
    startFleet({"device id=A link=" + a1 + " sensors=T,-,-,-"}, {"device  =One," + a1 + ",Room,,,,A,T,lan,"}, 1);
    ASSERT_TRUE(QDir(root()).mkdir(kJournalFileName));
    const QMap<QString, QByteArray> before = recordFiles(root());
    EXPECT_THROW(runAllDevicesDownload(state(), link()), JournalError);
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(downloadAllUnattended(state(), link(), false, o, e), kDownloadAllFailed);
    e.flush();
    EXPECT_TRUE(err.contains(kJournalFileName)) << err.toStdString();
    EXPECT_TRUE(sim.requests().isEmpty());
    EXPECT_EQ(recordFiles(root()), before);
}

// A journal that fails during the run (the run's own entries are not asked for here)
// is a file error of each device: the file stays as it was, the failure is logged with
// the journal's message, and the next device is still read.
TEST_F(DownloadTest, AJournalThatFailsDuringTheRunFailsEachDeviceAndTheRunGoesOn)
{
    const QString a1 = DevSim::lanAddress(53), a2 = DevSim::lanAddress(54);
    startFleet({"device id=A link=" + a1 + " sensors=T,-,-,-", "device id=B link=" + a2 + " sensors=T,-,-,-"},
               {"device  =One," + a1 + ",Room,,,,A,T,lan,", "device  =Two," + a2 + ",Hall,,,,B,T,lan,"}, 1);
    const QString file = path(QString::number(today.wYear) + "/A1_Room.rep");
    writeLines(file, {"SenPara(0,0,TH,1,0,T,10,90,60,0,3,5,0,0,0):66,A", "1,1," + QString(48, '<') + ",5,24"});
    const QByteArray before = readFileBytes(file);
    ASSERT_TRUE(QDir(root()).mkdir(kJournalFileName));
    const AllDevicesResult r = downloadAllDevices(state(), link());
    EXPECT_EQ(r.failedDevices, 2);
    EXPECT_EQ(readFileBytes(file), before);
    EXPECT_FALSE(QFileInfo::exists(path(QString::number(today.wYear) + "/B1_Hall.rep")));
    EXPECT_EQ(log.lines.filter(kJournalFileName).size(), 2) << log.lines.join('\n').toStdString();
    EXPECT_EQ(sim.requests("SenPara(0,0)").size(), 2);  // both devices were asked
}

}  // namespace

// The fleet read side by side stores exactly what it stores read one device after
// another: every report file and the ledger, byte for byte, and the same message log
// lines of each device in the same order. A device that cannot be reached, one that
// fails a channel and a serial device sit among the LAN devices and fail nobody else.
TEST_F(DownloadTest, SideBySideStoresWhatOneAtATimeStores)
{
    QStringList fleet{"seed 17", "pace off"};
    QStringList registry;
    for (int n = 1; n <= 10; ++n) {
        const QString a = DevSim::lanAddress(30 + n);
        const QString id = DevSim::fleetId(n);
        // Device 3 answers every day with another sensor's record: its channel fails.
        fleet << "device id=" + id + " link=" + a + " sensors=T,H,T,-" +
                     (n == 3 ? " fault=othersensor fault-match=GetLog" : "");
        registry << QStringLiteral("device  =D%1,%2,s1,s2,s3,,%3,T,lan,").arg(n).arg(a, id);
    }
    fleet << "device id=s link=COM5 sensors=T,-,-,-";
    registry.insert(4, "device  =Serial,COM5,Cold,,,,s,T,serial,");
    registry.insert(7, "device  =Gone," + DevSim::lanAddress(49) + ",R1,,,,g,T,lan,");  // nobody listens
    startFleet(fleet, registry, 4);
    const QByteArray ledgerBefore = readFileBytes(ledgerPath(root()));

    QMap<QString, QByteArray> files[2];
    QStringList logs[2];
    int failed[2] = {};
    const char* settings[2] = {"parallel = 1", "parallel = 8"};
    for (int run = 0; run < 2; ++run) {
        QDir(path(QString::number(today.wYear))).removeRecursively();
        writeLines(path("DeviceStatus.txt"), QStringList{"timeout = 500,200,300", settings[run]} + registry);
        QFile::remove(ledgerPath(root()));
        QFile ledger(ledgerPath(root()));
        ASSERT_TRUE(ledger.open(QIODevice::WriteOnly));
        ledger.write(ledgerBefore);
        ledger.close();
        loadRegistry(state());
        ASSERT_EQ(state().Prog.parallel, run == 0 ? 1 : 8);
        log.lines.clear();
        const AllDevicesResult r = runAllDevicesDownload(state(), link());
        EXPECT_FALSE(r.stopped);
        failed[run] = r.failedDevices;
        files[run] = recordFiles(root());
        logs[run] = log.lines;
    }
    EXPECT_EQ(failed[0], 2);
    EXPECT_EQ(failed[1], 2);
    EXPECT_EQ(files[0].keys(), files[1].keys());
    EXPECT_EQ(files[0].size(), 10 * 3 - 3 + 1 + 1);  // the failed channel wrote nothing; the ledger
    for (auto it = files[0].cbegin(); it != files[0].cend(); ++it)
        EXPECT_TRUE(files[1].value(it.key()) == it.value()) << it.key().toStdString();
    EXPECT_NE(files[1].value("last_refresh.txt"), ledgerBefore);
    // Devices read side by side append to one journal: its chain is unbroken and it
    // gives every file as it stands.
    expectJournalHoldsReportFiles(root());
    EXPECT_EQ(logs[0].size(), logs[1].size());
    for (int i = 0; i <= state().DevLast; ++i)
        EXPECT_EQ(linesOf(logs[1], deviceLogLabel(state().DevList[i])),
                  linesOf(logs[0], deviceLogLabel(state().DevList[i])));
}

// Cancel during a run side by side stops every device in flight and starts no other:
// the ledger stays as it was and what was stored is whole days.
TEST_F(DownloadTest, CancelStopsEveryDeviceInFlight)
{
    QStringList fleet{"seed 4"};
    QStringList registry;
    for (int n = 1; n <= 12; ++n) {
        const QString a = DevSim::lanAddress(30 + n);
        fleet << "device id=" + DevSim::fleetId(n) + " link=" + a + " sensors=T,T,T,T";
        registry << QStringLiteral("device  =D%1,%2,s1,s2,s3,s4,%3,T,lan,").arg(n).arg(a, DevSim::fleetId(n));
    }
    registry << "parallel = 4";
    startFleet(fleet, registry, 30);
    const QByteArray ledger = readFileBytes(ledgerPath(root()));
    // Cancel once the first devices are well under way.
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (sim.requests("GetLog").size() >= 40) state().stop.request();
    });
    cancel.start(5);
    const AllDevicesResult r = runAllDevicesDownload(state(), link());
    cancel.stop();
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(readFileBytes(ledgerPath(root())), ledger);
    // Only the devices in flight were connected, and each says it was stopped.
    QSet<QString> asked;
    for (const QString& frame : sim.requests()) asked.insert(frame.section(',', -1).left(1));
    EXPECT_LE(asked.size(), 4);
    EXPECT_EQ(log.lines.filter(kStoppedByUserText).size(), asked.size()) << log.lines.join('\n').toStdString();
}
