// The online window: the sweep with its marks, the periodic poll, clock checks and
// Close during a sweep on scripted devices; the hourly download, the main window's
// online button and month stepping against the device emulator as a real process. The test drives the ticks and the
// clock.
#include "online/ui/form_show.h"

#include <functional>
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "app/records.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "online/ui/onlineview.h"
#include "platform/eventpump.h"
#include "reports/loader.h"
#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "support/scriptedlink.h"
#include "support/windowsfixture.h"
#include "views/ui/form1.h"
#include "views/ui/form_message.h"

namespace {

// 2024-08-01 is Solar Hijri 1403/5/11 (year folder "3").
const QDate kToday(2024, 8, 1);

class FormShowTest : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        setClock(QTime(12, 10));
    }
    void TearDown() override
    {
        closeWindows();
        sim.stop();
        link().reset();
        WindowsFixture::TearDown();
    }
    void setClock(const QTime& t, const QDate& d = kToday) { setProgramNowForTests(QDateTime(d, t)); }
    // Starts the emulator and the windows; registry lines are "Name,Address,S1,S2,S3,S4,ID".
    void start(const QStringList& fleet, const QStringList& registry, const QStringList& settings = {})
    {
        if (!fleet.isEmpty()) {
            ASSERT_TRUE(sim.start("pace off\n" + fleet.join('\n') + '\n', root())) << sim.output().toStdString();
        }
        QStringList lines = settings;
        for (const QString& r : registry) lines << "device  =" + r + ",T,lan,";
        writeLines(path("DeviceStatus.txt"), lines);
        openWindows({});
        changeLinkSettings(link(), [](LinkSettings& s) {
            s.tries = 1;
            s.lanReadTimeoutMs = 300;
            s.disconnectPauseMs = 5;  // the sweeps connect to every device in turn
        });
        onlineWindow()->setManualTicks(true);
    }
    void showWindow()
    {
        onlineWindow()->show();
        processPendingEvents();
    }
    QString title(int n) const { return onlineLineTitle(onlineWindow()->Chart2, n); }
    // The IDs of the devices asked for readings, in order.
    QStringList polledIds()
    {
        QStringList ids;
        for (const QString& f : sim.requests("GetTemp")) ids << f.section(',', -1).section('}', 0, 0);
        return ids;
    }
    QString addr(int n) const { return DevSim::lanAddress(n); }
    DevSim sim;
};

// The online window's logic against scripted devices: each device's reply (or its
// silence, or its refusal) is given by the test, and waits cost no time.
class FormShowScripted : public FormShowTest
{
protected:
    void TearDown() override
    {
        link().setTransportFactory({});  // the transports go before the script
        FormShowTest::TearDown();
    }
    // The windows on the registry, the link's transports played by the script.
    void startScripted(const QStringList& registry)
    {
        start({}, registry);
        link().setTransportFactory(script.factory());
    }
    // Answers each reading request with what readingOf tells for the device (no reply
    // for an empty text); other requests get silence unless other gives their reply.
    void answer(const std::function<QString(const QString& id)>& readingOf,
                const std::function<LinkScript::Reply(const LinkScript::Request&)>& other = {})
    {
        script.respond([readingOf, other](const LinkScript::Request& r) {
            if (r.command.contains(QLatin1String("\"GetTemp\""))) {
                const QString body = readingOf(r.deviceId);
                return body.isEmpty() ? LinkScript::silence() : LinkScript::reply(body, 20);
            }
            return other ? other(r) : LinkScript::silence();
        });
    }
    // A reading reply: the four sensors' texts, the alarm count (none: no "Alarm"
    // member) and the ID it names.
    static QString reading(const QString& id, const QStringList& sensors = {"21.5", "150.0", "150.0", "150.0"},
                           const QString& alarm = QStringLiteral("0"))
    {
        QString out = QStringLiteral("{\"GetTemp\":{");
        for (int k = 0; k < 4; ++k) out += QStringLiteral("\"Sensor%1\":\"%2\",").arg(k).arg(sensors.value(k));
        if (!alarm.isNull()) out += QStringLiteral("\"Alarm\":\"%1\",").arg(alarm);
        return out + QStringLiteral("\"MemErr\":\"0\",\"ID\":\"%1\"}}").arg(id);
    }
    // The IDs of the devices asked for readings, in order.
    QStringList scriptPolledIds() const
    {
        QStringList ids;
        for (const LinkScript::Request& r : script.requests())
            if (r.command.contains(QLatin1String("GetTemp"))) ids << r.deviceId;
        return ids;
    }
    LinkScript script;
};

// Nobody may be at the desk while the window polls: a device that cannot be reached
// is a line of the message log, never a message box, and the sweep goes on. The line
// names the device (name, ID, address) with the time, once for the outage: neither
// the periodic polls nor a new sweep (a new showing) repeat it.
TEST_F(FormShowScripted, AnUnreachableDeviceIsLoggedOnceAndTheSweepGoesOn)
{
    startScripted(
        {"Lab," + addr(1) + ",Room,,,,A", "Gone," + addr(2) + ",Shelf,,,,B", "Hall," + addr(3) + ",Air,,,,C"});
    script.refused << addr(2);
    answer([](const QString& id) { return reading(id); });
    showWindow();
    onlineWindow()->Timer1Timer();
    EXPECT_EQ(scriptPolledIds(), (QStringList{"A", "C"}));
    state().Prog.refresh = 1;
    for (int i = 0; i < 3; ++i) onlineWindow()->Timer1Timer();  // the periodic polls of A, B and C
    onlineWindow()->FormShow();
    onlineWindow()->Timer1Timer();
    EXPECT_EQ(scriptPolledIds(), (QStringList{"A", "C", "A", "C", "A", "C", "A"}));
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
    EXPECT_EQ(messageWindow()->lines(), QStringList{"1403/5/11 12:10:00 Gone (ID B, " + addr(2) +
                                                    "): " + oneLogLine(linktext::cannotConnect(addr(2)))});
    EXPECT_TRUE(onlineWindow()->poll().isOut(1));
}

TEST_F(FormShowScripted, TheSweepShowsEveryReadingWithItsMarks)
{
    startScripted({"Lab," + addr(1) + ",Room,Freezer,Door,CO2,A", "Hall," + addr(2) + ",Lab,,,,B",
                   "Store," + addr(3) + ",Shelf,,,,C", "Cold," + addr(4) + ",Box,,,,D"});
    answer([](const QString& id) {
        if (id == "A") return reading(id, {"21.5", "150.0", "-150.0", "1150"}, "10");
        if (id == "B") return reading(id, {"19.0", "150.0", "150.0", "150.0"}, QString());  // no "Alarm"
        if (id == "C") return QString();                                                    // silent
        return reading("Z");  // set to an ID that is not registered
    });
    showWindow();
    EXPECT_TRUE(onlineWindow()->timerEnabled());
    EXPECT_TRUE(onlineWindow()->poll().firstSweep);
    onlineWindow()->Timer1Timer();

    EXPECT_EQ(scriptPolledIds(), (QStringList{"A", "B", "C", "D"}));
    EXPECT_EQ(title(0), "A1_Room : 21.5");
    EXPECT_EQ(title(1), "A2_Freezer : D.C.(Alarm)");
    EXPECT_EQ(title(2), "A3_Door : D.C.");
    EXPECT_EQ(title(3), "A4_CO2 : 1150(Alarm)");
    // No "Alarm" in the reply, no reply, an ID that is not registered: the plain name stays.
    EXPECT_EQ(title(4), "Lab");
    EXPECT_EQ(title(5), "Shelf");
    EXPECT_EQ(title(6), "Box");
    EXPECT_FALSE(onlineWindow()->poll().firstSweep);
    EXPECT_TRUE(onlineWindow()->timerEnabled());
    EXPECT_EQ(state().Prog.CurDev, 3);
    EXPECT_EQ(onlineWindow()->windowTitle(), "Norvak Halvik monitoring ");
    EXPECT_EQ(onlineWindow()->poll().answerOf(0), DeviceAnswer::Answered);
    EXPECT_EQ(onlineWindow()->poll().answerOf(2), DeviceAnswer::Silent);

    // The table: every named channel; rows in alarm stand out.
    QTableWidget* t = onlineWindow()->SG_Readings;
    ASSERT_EQ(t->rowCount(), 7);
    EXPECT_EQ(t->item(1, 1)->text(), "A2");
    const QString ltrEnd(QChar(0x200E));  // the window keeps these cells left to right
    EXPECT_EQ(t->item(1, 3)->text(), ltrEnd + "D.C." + ltrEnd);
    EXPECT_EQ(t->item(1, 5)->text(), ltrEnd + "D.C. Alarm" + ltrEnd);
    EXPECT_TRUE(t->item(1, 4)->text().startsWith(ltrEnd + "3/5/11 12:10"));
    EXPECT_EQ(t->item(4, 3)->text(), "");
    EXPECT_NE(t->item(1, 0)->background(), t->item(0, 0)->background());
    EXPECT_EQ(t->item(3, 0)->background(), t->item(1, 0)->background());

    // A click on a line tells its whole title.
    dlg.expect(Kind::Message, QStringLiteral("نام سنسور:\rA2_Freezer : D.C.(Alarm)"));
    onlineWindow()->Chart2ClickSeries(onlineWindow()->Chart2->graph(1));
}

TEST_F(FormShowScripted, PeriodicPollGoesRoundTheDevicesEveryRefreshTicks)
{
    struct Case
    {
        int refresh;
        QStringList after20Ticks;
    };
    const Case cases[] = {
        {5, {"A", "B", "C", "A", "B", "C", "A"}},
        {0, {"A", "B", "C"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refresh);
        startScripted({"One," + addr(1) + ",S1,,,,A", "Two," + addr(2) + ",S2,,,,B", "Three," + addr(3) + ",S3,,,,C"});
        answer([](const QString& id) { return reading(id); });
        const qsizetype before = scriptPolledIds().size();
        const auto polled = [&] { return scriptPolledIds().mid(before); };
        state().Prog.refresh = c.refresh;
        showWindow();
        onlineWindow()->Timer1Timer();  // the sweep
        for (int tick = 1; tick <= 20; ++tick) {
            onlineWindow()->Timer1Timer();
            // The sweep's own tick counts as the first of the five.
            if (tick == 3) {
                EXPECT_EQ(polled().size(), 3);
            }
        }
        EXPECT_EQ(polled(), c.after20Ticks);
        link().setTransportFactory({});
        closeWindows();
        link().reset();
    }
}

TEST_F(FormShowScripted, ClockChecksLogMismatchesAndShowTheLogAtTheNextSweep)
{
    // The computer: 12:00 on 1403/5/11.
    setClock(QTime(12, 0, 30));
    startScripted({"One," + addr(1) + ",S1,,,,A", "Two," + addr(2) + ",S2,,,,B", "Three," + addr(3) + ",S3,,,,C",
                   "Four," + addr(4) + ",S4,,,,D"});
    // The devices' clocks: A at 10:31, B at 10:30, C at noon the next day; D answers
    // with a broken clock reply.
    const auto clock = [](const QString& day, const QString& hour, const QString& minute) {
        return QStringLiteral(
                   "{\"GetTimeDate\":{\"Year\":\"03\",\"Month\":\"5\",\"Day\":\"%1\",\"Hour\":\"%2\","
                   "\"Minute\":\"%3\"}}")
            .arg(day, hour, minute);
    };
    answer([](const QString& id) { return reading(id); },
           [&](const LinkScript::Request& r) {
               if (!r.command.contains(QLatin1String("TimeDate"))) return LinkScript::silence();
               if (r.deviceId == "A") return LinkScript::reply(clock("11", "10", "31"), 20);
               if (r.deviceId == "B") return LinkScript::reply(clock("11", "10", "30"), 20);
               if (r.deviceId == "C") return LinkScript::reply(clock("12", "12", "0"), 20);
               return LinkScript::reply("Time", 20);
           });
    state().Prog.TIMECHEAK = 1;
    showWindow();
    onlineWindow()->Timer1Timer();
    QStringList clockAsked;
    for (const LinkScript::Request& r : script.requests())
        if (r.command.contains(QLatin1String("TimeDate"))) clockAsked << r.deviceId;
    EXPECT_EQ(clockAsked, (QStringList{"A", "B", "C", "D"}));
    // The first line of a report names the device (name, ID, address) with the time.
    const QString mismatch = QStringLiteral(" ساعت وتاریخ کامپیوتر و دستگاه با هم مغایرت دارد Device ID =");
    const QString at = "1403/5/11 12:00:30 ";
    // Devices read side by side report in registry order all the same.
    EXPECT_EQ(messageWindow()->lines(),
              (QStringList{at + "Two (ID B, " + addr(2) + "): " + mismatch + "B",
                           "PC Date    :3/5/11 12:0 (official calendar)", "Device Date:3/5/11 10:30", "",
                           at + "Three (ID C, " + addr(3) + "): " + mismatch + "C",
                           "PC Date    :3/5/11 12:0 (official calendar)", "Device Date:3/5/12 12:0", ""}));
    EXPECT_FALSE(messageWindow()->isVisible());
    onlineWindow()->FormShow();
    onlineWindow()->Timer1Timer();
    EXPECT_TRUE(messageWindow()->isVisible());
}

TEST_F(FormShowScripted, CloseDuringASweepStopsAfterTheCurrentExchange)
{
    startScripted({"One," + addr(1) + ",S1,,,,A", "Two," + addr(2) + ",S2,,,,B", "Three," + addr(3) + ",S3,,,,C"});
    answer([](const QString& id) { return id == "A" ? QString() : reading(id); });  // A is silent
    showWindow();
    // "Close" is clicked while the sweep waits for the silent first device.
    script.at(100, [this] {
        ASSERT_EQ(scriptPolledIds(), QStringList{"A"});
        onlineWindow()->Button1->click();
    });
    onlineWindow()->Timer1Timer();
    EXPECT_TRUE(state().stop.requested());
    EXPECT_FALSE(onlineWindow()->isVisible());
    EXPECT_EQ(scriptPolledIds(), QStringList{"A"});
    EXPECT_TRUE(onlineWindow()->poll().firstSweep);
    EXPECT_FALSE(onlineWindow()->timerEnabled());
}

TEST_F(FormShowTest, TheHourlyDownloadRunsOnceAnHourEvenWhenMinuteOneWasMissed)
{
    start({"device id=A link=" + addr(1) + " sensors=T,-,-,-"}, {"One," + addr(1) + ",Room,,,,A"});
    const _SYSTEMTIME from = Date2Shamsi(kToday.addDays(-1), programNow(), ShamsiCalendar::Official);
    writeLines(
        path("last_refresh.txt"),
        {kLedgerHeader, QStringLiteral("A,T,0,0,%1,%2,%3,1,1,").arg(from.wYear).arg(from.wMonth).arg(from.wDay)});
    mainWindow()->LoadDeviceStatus();
    state().Prog.refresh = 0;
    setClock(QTime(11, 59, 50));
    showWindow();
    // Every run writes the ledger at its end: a ledger that reappears is a download.
    struct Step
    {
        QTime at;
        bool download;
    };
    // 12:03 stands for a tick held past minute 1 by a poll; 13:00 is not yet minute 1.
    const Step steps[] = {{QTime(11, 59, 59), false}, {QTime(12, 0, 30), false}, {QTime(12, 3, 10), true},
                          {QTime(12, 40), false},     {QTime(13, 0, 0), false},  {QTime(13, 1, 0), true}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.at.toString().toStdString());
        QFile::remove(ledgerPath(state().Prog.RootDir));
        setClock(s.at);
        onlineWindow()->Timer1Timer();
        EXPECT_EQ(QFileInfo::exists(ledgerPath(state().Prog.RootDir)), s.download);
    }
    // The download appended to the report file and the window shows it; a sweep is armed.
    EXPECT_TRUE(QFileInfo::exists(path("3/A1_Room.rep")));
    EXPECT_FALSE(onlineWindow()->content().series[0].points.isEmpty());
    EXPECT_TRUE(onlineWindow()->poll().firstSweep);
    const int polled = polledIds().size();
    onlineWindow()->Timer1Timer();
    EXPECT_EQ(polledIds().size(), polled + 1);
}

TEST_F(FormShowTest, MonthSteppingRedrawsStopsThePollAndLeavesTheMainWindowsYear)
{
    setClock(QTime(9, 0), QDate(2024, 4, 3));  // 1403/1/15
    start({}, {"One,127.0.0.1,Room,,,,A"});
    writeLines(path("3/A1_Room.rep"), {reportHeader(), fullDayT(1, 2, 20), fullDayT(2, 3, 25)});
    // The main window's loaded year and view state.
    writeLines(path("main.rep"), {reportHeader(QStringLiteral("H"), QStringLiteral("T"), "5", "9"), fullDayT(8, 8, 8)});
    mainWindow()->Avrage6Hour1->setChecked(true);
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("main.rep")));
    const auto year = mainWindow()->shownYear();
    const Chart_rec before = mainWindow()->CurChart;

    onlineWindow()->FormShow();
    EXPECT_EQ(onlineFootText(onlineWindow()->Chart2), "Date: 3 / 1");
    EXPECT_EQ(onlineWindow()->content().series[0].points[1 + 8].y, 20);  // day 2's first block
    onlineWindow()->BTN_Back->click();
    EXPECT_EQ(onlineWindow()->ShowDate.wMonth, 1);
    EXPECT_FALSE(onlineWindow()->timerEnabled());
    onlineWindow()->Btn_Next->click();
    EXPECT_EQ(onlineFootText(onlineWindow()->Chart2), "Date: 3 / 2");
    EXPECT_EQ(onlineWindow()->content().series[0].points[1 + 16].y, 25);
    EXPECT_TRUE(onlineWindow()->content().series[0].points[1 + 8].isNull);

    EXPECT_EQ(mainWindow()->shownYear(), year);
    EXPECT_EQ(year->hourValid[8][8][0], 1);
    EXPECT_EQ(year->hourValid[1][2][0], 0);
    EXPECT_EQ(mainWindow()->CurChart.Avr_Hour, 6);
    EXPECT_DOUBLE_EQ(mainWindow()->CurChart.hys1L, before.hys1L);
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 8);
}

// After month stepping the poll stays stopped: the window says that monitoring is
// paused and greys the readings table (no red alarm row with an old time) until the
// window is shown again, which shows the kept readings in their colours.
TEST_F(FormShowTest, MonthSteppingSaysMonitoringIsPausedAndGreysTheReadings)
{
    start({"device id=A link=" + addr(1) + " sensors=T,T,-,- readings=21.5,-18.0 alarm=2"},
          {"Lab," + addr(1) + ",Room,Freezer,,,A"});
    showWindow();
    onlineWindow()->Timer1Timer();
    QTableWidget* table = onlineWindow()->SG_Readings;
    const auto backgrounds = [&] {
        QList<QColor> out;
        for (int r = 0; r < table->rowCount(); ++r) out << table->item(r, 0)->background().color();
        return out;
    };
    const QList<QColor> live = backgrounds();
    EXPECT_EQ(live[0], QColor(Qt::white));
    EXPECT_NE(live[1], QColor(Qt::white));  // the freezer's alarm
    EXPECT_FALSE(onlineWindow()->Label_Paused->isVisible());

    for (QPushButton* step : {onlineWindow()->BTN_Back, onlineWindow()->Btn_Next}) {
        SCOPED_TRACE(step->text().toStdString());
        step->click();
        EXPECT_FALSE(onlineWindow()->timerEnabled());
        EXPECT_TRUE(onlineWindow()->monitoringPaused());
        EXPECT_TRUE(onlineWindow()->Label_Paused->isVisible());
        EXPECT_FALSE(onlineWindow()->Label_Paused->text().isEmpty());
        // The label does not cover the table.
        EXPECT_LE(onlineWindow()->Label_Paused->geometry().bottom(), table->geometry().top());
        const QList<QColor> paused = backgrounds();
        EXPECT_EQ(paused[0], paused[1]);
        EXPECT_NE(paused[1], live[1]);
        EXPECT_NE(paused[0], live[0]);
        EXPECT_EQ(table->item(1, 3)->text().contains("-18.0"), true);  // the reading itself stays
    }

    onlineWindow()->FormShow();
    EXPECT_TRUE(onlineWindow()->timerEnabled());
    EXPECT_FALSE(onlineWindow()->monitoringPaused());
    EXPECT_FALSE(onlineWindow()->Label_Paused->isVisible());
    EXPECT_EQ(backgrounds(), live);
}

TEST_F(FormShowTest, AnEmptyRegistryPollsNothingAndPrintsAnEmptyChart)
{
    start({}, {});
    state().Prog.refresh = 1;
    showWindow();
    for (int tick = 0; tick < 3; ++tick) onlineWindow()->Timer1Timer();
    EXPECT_FALSE(onlineWindow()->poll().firstSweep);
    EXPECT_TRUE(onlineWindow()->timerEnabled());
    EXPECT_EQ(onlineWindow()->SG_Readings->rowCount(), 0);
    EXPECT_EQ(onlineFootText(onlineWindow()->Chart2), "Date: 3 / 5");

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("chart.pdf"));
    onlineWindow()->printChart(printer);
    EXPECT_TRUE(readFileBytes(path("chart.pdf")).startsWith("%PDF"));
}

TEST_F(FormShowTest, TheMainWindowsOnlineButtonDownloadsThenOpensTheWindow)
{
    start({"device id=A link=" + addr(1) + " sensors=T,-,-,-"}, {"One," + addr(1) + ",Room,,,,A"});
    const _SYSTEMTIME from = Date2Shamsi(kToday.addDays(-1), programNow(), ShamsiCalendar::Official);
    writeLines(
        path("last_refresh.txt"),
        {kLedgerHeader, QStringLiteral("A,T,0,0,%1,%2,%3,1,1,").arg(from.wYear).arg(from.wMonth).arg(from.wDay)});
    mainWindow()->LoadDeviceStatus();
    const OnlineWindowCloser closer(*this);
    mainWindow()->BtnShowOnlineClick();
    EXPECT_TRUE(closer.shown());
    EXPECT_GE(sim.requests("SenPara").size(), 1);
    EXPECT_FALSE(onlineWindow()->isVisible());
    EXPECT_TRUE(state().stop.requested());
    EXPECT_EQ(onlineWindow()->content().series[0].title, "Room");
}

}  // namespace
