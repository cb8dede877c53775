// The exchange with the emulator as a real device: frames, trimming, retries, faults.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QProcess>
#include <QTimer>
#include <QUdpSocket>

#include "app/calendar.h"
#include "link/devicesearch.h"
#include "link/framing.h"
#include "link/replies.h"
#include "link/ussdpoll.h"
#include "link_fixture.h"
#include "platform/eventpump.h"

namespace {

using Lan = LinkFixture;
using Serial = LinkFixture;

TEST_F(Lan, FramesReachTheDeviceAndRepliesComeBackTrimmed)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 sensors=T,H,-,-\n").arg(ip));
    Device_Rec dev = device("a", ip);

    const QString header = link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev);
    EXPECT_EQ(CheckSum(header), 0) << header.toStdString();
    EXPECT_EQ(replyFields(header).value(2), "1");
    EXPECT_EQ(replyFields(header).value(6), "H");

    const QString full = link.Write2Dev(QStringLiteral("AGetFullPara()"), dev);
    EXPECT_TRUE(full.startsWith(QLatin1String("{\"Main\":{\"BaseParam\""))) << full.toStdString();
    EXPECT_TRUE(full.endsWith(QLatin1Char('}')));

    _SYSTEMTIME t;
    EXPECT_TRUE(JSon2DateTime(link.Write2Dev(QStringLiteral("ASetFullPara(\"TimeDate\":{\"Get\":\"\"})"), dev), t));
    EXPECT_GE(t.wMonth, 1);

    EXPECT_EQ(sim.requests(),
              (QStringList{QStringLiteral("A{SenPara(0,1):108,a}#"), QStringLiteral("A{GetFullPara():109,a}#"),
                           QStringLiteral("A{SetFullPara(\"TimeDate\":{\"Get\":\"\"}):1,a}#")}));
    EXPECT_EQ(obs.sent, sim.requests());
    EXPECT_EQ(obs.status.last(), "Ready");
}

TEST_F(Lan, RepliesAreTrimmedToTheLastBody)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 fault=raw fault-text=junk$body}#\n").arg(ip));
    Device_Rec dev = device("a", ip);
    EXPECT_EQ(link.Write2Dev(QStringLiteral("AGetFullPara()"), dev), "body}");
}

TEST_F(Lan, SilenceIsRetriedTryCntTimesThenGivesEmptyText)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 fault=silence\n").arg(ip));
    Device_Rec dev = device("a", ip);
    changeLinkSettings(link, [](LinkSettings& s) {
        s.replyWaitMs = 50;
        s.lanReadTimeoutMs = 50;
    });
    for (int tries : {2, 0}) {
        changeLinkSettings(link, [&](LinkSettings& s) { s.tries = tries; });
        const int before = sim.requests().size();
        EXPECT_EQ(link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev), "");
        sleepPumping(50);
        EXPECT_EQ(sim.requests().size() - before, tries);
    }
}

TEST_F(Lan, ARetryAfterSilenceTakesTheNextReply)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 fault=silence fault-count=2\n").arg(ip));
    Device_Rec dev = device("a", ip);
    changeLinkSettings(link, [](LinkSettings& s) {
        s.replyWaitMs = 50;
        s.lanReadTimeoutMs = 50;
    });
    EXPECT_EQ(CheckSum(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev)), 0);
    EXPECT_EQ(sim.requests().size(), 3);
}

TEST_F(Lan, ChunkedAndSlowRepliesAreAwaitedAndGarbageIsReturnedAsItCame)
{
    const QString ip = DevSim::lanAddress(1);
    struct Case
    {
        const char* fault;
        const char* expected;  // empty: a summed reply with a good checksum
    };
    const Case cases[] = {
        {"fault=split fault-ms=80", ""},
        {"fault=slow fault-ms=300", ""},
        {"fault=chunks fault-ms=60 fault-text=$SenPara(0,1,TH|,1,0):1,a#", "SenPara(0,1,TH,1,0):1,a"},
        {"fault=garbage", "@@x?"},
    };
    for (const Case& c : cases) {
        startSim(QStringLiteral("device id=a link=%1 %2\n").arg(ip, QLatin1String(c.fault)));
        link.reset();
        Device_Rec dev = device("a", ip);
        const QString reply = link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev);
        if (*c.expected)
            EXPECT_EQ(reply, QLatin1String(c.expected)) << c.fault;
        else
            EXPECT_EQ(CheckSum(reply), 0) << c.fault << " " << reply.toStdString();
        EXPECT_EQ(sim.requests().size(), 1) << c.fault;
    }
}

// A reply that starts in one try's wait and ends in the next: what arrived before the
// re-send is kept, so the whole reply is returned (not its tail).
TEST_F(Lan, AReplyStraddlingAReSendIsKeptWhole)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 fault=late fault-ms=1500 fault-gap=1000\n").arg(ip));
    Device_Rec dev = device("a", ip);
    changeLinkSettings(link, [](LinkSettings& s) {
        s.replyWaitMs = 0;
        s.lanReadTimeoutMs = 1000;
    });
    const QString reply = link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev);
    EXPECT_TRUE(reply.startsWith(QLatin1String("SenPara(0,1,"))) << reply.toStdString();
    EXPECT_EQ(CheckSum(reply), 0);
}

// A device that never ends its reply is not read without bound: past 1 MB the
// exchange ends with a link error and closes the connection.
TEST_F(Lan, AnEndlessReplyIsCutOffAsALinkError)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 fault=endless fault-ms=2 fault-count=1\n").arg(ip));
    Device_Rec dev = device("a", ip);
    changeLinkSettings(link, [](LinkSettings& s) {
        s.replyWaitMs = 0;
        s.lanReadTimeoutMs = 20000;
    });
    EXPECT_THROW(link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev), LinkError);
    EXPECT_FALSE(link.lanConnected());
    EXPECT_EQ(CheckSum(link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev)), 0);  // connects again
}

TEST_F(Lan, AMessageReplyIsShownAndGivesEmptyText)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 fault=message\n").arg(ip));
    Device_Rec dev = device("a", ip);
    dlg.expect(Kind::Message, QStringLiteral("Message: the device is busy"));
    EXPECT_EQ(link.Write2Dev(QStringLiteral("AGetFullPara()"), dev), "");
}

TEST_F(Lan, RefusedAndDroppedConnectionsAreErrorsForTheCaller)
{
    const QString ip = DevSim::lanAddress(1);
    const QString nobody = DevSim::lanAddress(2);
    startSim(QStringLiteral("device id=a link=%1 fault=drop fault-count=1\n").arg(ip));

    EXPECT_FALSE(link.connectLan(nobody));  // told by the caller: the link shows no box
    EXPECT_EQ(obs.labels[int(WaitLabel::Status)], "Status:Disconnected");
    EXPECT_EQ(obs.labels[int(WaitLabel::Port)], "IP:" + nobody);
    EXPECT_EQ(obs.captions.last(), "Status :Disconnected");

    Device_Rec gone = device("a", nobody);
    EXPECT_THROW(link.Write2Dev(QStringLiteral("AGetFullPara()"), gone), LinkError);

    link.setLinkPending(true);
    EXPECT_TRUE(link.connectLan(ip));
    EXPECT_FALSE(link.linkPending());
    EXPECT_EQ(obs.labels[int(WaitLabel::Status)], "Status:Connected");
    EXPECT_EQ(obs.captions.last(), "Status :Connected");
    Device_Rec dev = device("a", ip);
    EXPECT_THROW(link.Write2Dev(QStringLiteral("AGetFullPara()"), dev), LinkError);
    // The program goes on: the next exchange connects again and is answered.
    EXPECT_TRUE(link.Write2Dev(QStringLiteral("AGetFullPara()"), dev).startsWith(QLatin1String("{\"Main\"")));
}

TEST_F(Lan, TheExchangeTalksToTheDeviceItIsGiven)
{
    const QString ipA = DevSim::lanAddress(1), ipB = DevSim::lanAddress(2);
    startSim(QStringLiteral("device id=a link=%1\ndevice id=b link=%2\n").arg(ipA, ipB));
    ASSERT_TRUE(link.connectLan(ipA));
    Device_Rec b = device("b", ipB);
    EXPECT_TRUE(link.Write2Dev(QStringLiteral("AGetFullPara()"), b).contains(QLatin1String("\"ID\":\"b\"")));
    EXPECT_EQ(link.lanHost(), ipB);
}

TEST_F(Lan, NoDeviceChosenSendsNothing)
{
    dlg.expect(Kind::Message, linktext::kChooseDevice).expect(Kind::Message, linktext::kChooseDevice);
    Device_Rec noId = device("", "127.0.0.1");
    Device_Rec noLink = device("a", "");
    EXPECT_EQ(link.Write2Dev(QStringLiteral("AGetFullPara()"), noId), "");
    EXPECT_EQ(link.Write2Dev(QStringLiteral("AGetFullPara()"), noLink), "");
    EXPECT_TRUE(obs.sent.isEmpty());
}

TEST_F(Lan, OnlyOneExchangeAtATime)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 fault=slow fault-ms=300 fault-count=1\n").arg(ip));
    Device_Rec dev = device("a", ip);
    QString nested = QStringLiteral("not run");
    QTimer::singleShot(100, [&] { nested = link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev); });
    EXPECT_EQ(CheckSum(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev)), 0);
    EXPECT_EQ(nested, "");
    EXPECT_EQ(sim.requests(), QStringList{QStringLiteral("A{SenPara(0,0):107,a}#")});
    EXPECT_FALSE(link.exchangeUnderWay());
}

// ---------------------------------------------------------------- serial

TEST_F(Serial, ChunksCompleteAReplyAtItsHash)
{
    // "$" alone empties the buffer; the "#" chunk completes the summed reply.
    const QString body = QStringLiteral("Name(a,b)");
    const QString summed = buildSummedReply(body, QStringLiteral("a"));  // $Name(a,b):N,a#
    const QString chunks = QStringLiteral("$|") + summed.mid(1, summed.size() - 2) + QStringLiteral("|#");
    startSim(QStringLiteral("device id=a link=COM1 fault=chunks fault-ms=40 fault-text=%1\n").arg(chunks));
    Device_Rec dev = device("a", "COM1");
    EXPECT_EQ(link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev), summed.mid(1));
    EXPECT_EQ(sim.requests().size(), 1);
    EXPECT_EQ(obs.labels[int(WaitLabel::Port)], "COM1");
    EXPECT_EQ(obs.status.last(), "Ready");
}

TEST_F(Serial, AnIncompleteReplyTimesOutAndIsSentFourTimes)
{
    startSim(QStringLiteral("device id=a link=COM1 fault=raw fault-text=xyz$abc:1,a#\n"));
    changeLinkSettings(link, [&](LinkSettings& s) { s.serialReplyTimeoutMs = 200; });
    Device_Rec dev = device("a", "COM1");
    EXPECT_EQ(link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev), "Time Out");
    EXPECT_TRUE(sim.waitForRequests(4, 1000));
    EXPECT_EQ(sim.requests().size(), 4);
}

TEST_F(Serial, StructuredAndSummedRepliesEndTheExchangeAtOnce)
{
    startSim(QStringLiteral("device id=a link=COM2 sensors=T,-,-,-\n"), {QStringLiteral("--no-pace")});
    Device_Rec dev = device("a", "COM2");
    const QString online = link.Write2Dev(QStringLiteral("ASetFullPara(\"GetTemp\":{\"Online\":\"\"})"), dev);
    QString s[7];
    EXPECT_TRUE(JSon2Online(online, s[0], s[1], s[2], s[3], s[4], s[5], s[6])) << online.toStdString();
    EXPECT_EQ(s[6], "a");
    EXPECT_EQ(s[1], "150.0");
    const QString header = link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev);
    EXPECT_TRUE(header.endsWith(QLatin1Char('#')));
    EXPECT_EQ(CheckSum(CleanStr(header)), 0);
    // A frame for an ID that is not on the line stays unanswered.
    changeLinkSettings(link, [&](LinkSettings& settings) { settings.serialReplyTimeoutMs = 100; });
    Device_Rec other = device("z", "COM2");
    EXPECT_EQ(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), other), "Time Out");
    EXPECT_EQ(sim.requests(QStringLiteral(",a}#")).size(), 2);
}

TEST_F(Serial, AMessageReplyIsReturnedUnchanged)
{
    startSim(QStringLiteral("device id=a link=COM1 fault=message\n"), {QStringLiteral("--no-pace")});
    Device_Rec dev = device("a", "COM1");
    EXPECT_EQ(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev), "$Message: the device is busy, try again later#");
    EXPECT_EQ(sim.requests().size(), 1);
}

// A port that cannot be opened ends the exchange with the port message as its error,
// shown by no box: the caller tells it where its run reports.
TEST_F(Serial, APortThatDoesNotExistFailsTheWriteWithThePortMessage)
{
    Device_Rec dev = device("a", "COM9");
    try {
        link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev);
        ADD_FAILURE() << "the write went through";
    } catch (const LinkError& e) {
        EXPECT_EQ(e.text(), linktext::kCannotOpenPort);
    }
    EXPECT_FALSE(link.MSComm1().PortOpen());
    EXPECT_TRUE(dlg.shown().isEmpty());
}

// An adapter re-plugged: the port goes away during an exchange, which ends with a link
// error at once; when the port is back, the next exchange opens it again.
TEST_F(Serial, APortThatGoesAwayIsClosedAndOpenedAgain)
{
    startSim(QStringLiteral("device id=a link=COM1 fault=vanish fault-count=1 fault-ms=300 fault-match=SenPara(0,1)\n"),
             {QStringLiteral("--no-pace")});
    Device_Rec dev = device("a", "COM1");
    EXPECT_EQ(CheckSum(CleanStr(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev))), 0);
    EXPECT_THROW(link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev), LinkError);
    EXPECT_FALSE(link.MSComm1().PortOpen());
    QElapsedTimer clock;
    clock.start();
    while (!sim.output().contains(QLatin1String("BACK")) && clock.elapsed() < 5000) sleepPumping(20);
    EXPECT_EQ(CheckSum(CleanStr(link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev))), 0);
    EXPECT_TRUE(link.MSComm1().PortOpen());
}

// Two devices on one port. The port goes away during the first one's exchange; while
// its link is gone, COM1 names the system's port of that number, and an exchange goes
// there. Once the link is back, the next exchange opens the port that came back: the
// second device is read within the same run.
TEST_F(Serial, APortThatCameBackIsOpenedAgainForTheNextDevice)
{
    // The system's COM1: a pseudo-terminal held by the test.
    const int standIn = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(standIn >= 0 && ::grantpt(standIn) == 0 && ::unlockpt(standIn) == 0);
    ::fcntl(standIn, F_SETFL, ::fcntl(standIn, F_GETFL) | O_NONBLOCK);
    const QString standInPath = QString::fromLocal8Bit(::ptsname(standIn));
    setSystemPortListerForTests([&] { return QList<SerialPortEntry>{{"Serial0", "COM1", standInPath}}; });
    startSim(QStringLiteral("device id=a link=COM1 fault=vanish fault-count=1 fault-ms=1500\n"
                            "device id=b link=COM1\n"),
             {QStringLiteral("--no-pace")});
    changeLinkSettings(link, [](LinkSettings& s) {
        s.serialReplyTimeoutMs = 100;
        s.serialAttempts = 1;
    });
    Device_Rec a = device("a", "COM1"), b = device("b", "COM1");
    EXPECT_THROW(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), a), LinkError);
    EXPECT_EQ(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), b), "Time Out");
    char got[64] = {};
    EXPECT_GT(::read(standIn, got, sizeof got - 1), 0);
    EXPECT_EQ(QByteArray(got), "A{SenPara(0,0):107,b}#");
    QElapsedTimer clock;
    clock.start();
    while (!sim.output().contains(QLatin1String("BACK")) && clock.elapsed() < 10000) sleepPumping(20);
    changeLinkSettings(link, [&](LinkSettings& s) { s.serialReplyTimeoutMs = 5000; });
    EXPECT_EQ(CheckSum(CleanStr(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), b))), 0);
    EXPECT_EQ(sim.requests().filter(QLatin1String(",b}#")).size(), 1);
    EXPECT_EQ(link.MSComm1().devicePath(), path("dosdevices/com1"));
    link.reset();
    setSystemPortListerForTests({});
    ::close(standIn);
}

TEST_F(Serial, AnotherDevicesPortIsSwitchedTo)
{
    startSim(QStringLiteral("device id=a link=COM1\ndevice id=b link=COM2\n"), {QStringLiteral("--no-pace")});
    Device_Rec a = device("a", "COM1"), b = device("b", "COM2");
    EXPECT_EQ(CheckSum(CleanStr(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), a))), 0);
    EXPECT_EQ(CheckSum(CleanStr(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), b))), 0);
    EXPECT_EQ(link.MSComm1().CommPort(), 2);
}

}  // namespace

namespace {

using Search = LinkFixture;
using Ussd = LinkFixture;

TEST_F(Search, TheEmulatorAnswersTheBroadcastOnLoopback)
{
    const QString ip = DevSim::lanAddress(1);
    DeviceSearch search(link);
    startSim(QStringLiteral("device id=s%1 link=%2 name=Cellar\n").arg(::getpid()).arg(ip));
    search.setSearchAddress(QHostAddress(DevSim::searchAddress()));
    obs.json << QStringLiteral("old line");
    search.searchDevices();
    EXPECT_FALSE(obs.json.contains(QStringLiteral("old line")));
    const QString id = QStringLiteral("\"ID\":\"s%1\"").arg(::getpid());
    EXPECT_TRUE(waitUntil([&] { return !obs.json.filter(id).isEmpty(); }, 3000)) << obs.json.join('\n').toStdString();
    const QString answer = obs.json.filter(id).first();
    EXPECT_TRUE(answer.contains(QLatin1String("\"IP\":\"") + ip)) << answer.toStdString();
    EXPECT_TRUE(sim.output().contains(QLatin1String("SEARCH ") + linktext::kSearchRequest));
}

// Another program holds the search port: the search says so, sends nothing, and
// listens once the port is free again.
TEST_F(Search, APortHeldByAnotherProgramIsReported)
{
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
    const quint16 port = holder.localPort();
    DeviceSearch search(link);
    search.setSearchPort(port);
    search.setSearchAddress(QHostAddress(DevSim::searchAddress()));
    obs.json << QStringLiteral("old line");
    EXPECT_TRUE(search.searchDevices().contains(QStringLiteral("UDP port %1").arg(port)));
    EXPECT_EQ(obs.json, QStringList{"old line"});
    EXPECT_FALSE(holder.hasPendingDatagrams());

    holder.close();
    EXPECT_EQ(search.searchDevices(), "");  // the search hears its own broadcast
    EXPECT_TRUE(waitUntil([&] { return obs.json.contains(linktext::kSearchRequest); }, 3000))
        << obs.json.join('\n').toStdString();
}

TEST_F(Ussd, ThePollTakesTheAnswerResetsItAndStops)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1 ussd-delay=600 \"ussd=Credit 12500 Rials, thank you\"\n").arg(ip));
    state().SelDevice = device("a", ip);
    UssdPoll poll(link, state().SelDevice);
    changeLinkSettings(link, [&](LinkSettings& s) { s.replyWaitMs = 0; });
    link.Write2Dev(QStringLiteral("ASetFullPara(\"USSDResp\":{\"Code\":\"*555*1*2$\"})"), state().SelDevice);
    poll.Timer1().setInterval(200);
    poll.startPolling();
    EXPECT_TRUE(waitUntil([&] { return !poll.Timer1().isActive(); }, 5000));
    EXPECT_EQ(obs.ussd, QStringList{QStringLiteral("Credit 12500 Rials, thank you")});
    EXPECT_GE(poll.pollCount(), 2);
    EXPECT_LT(poll.pollCount(), 10);
    const QStringList reqs = sim.requests(QStringLiteral("USSDResp"));
    EXPECT_EQ(reqs.last(), QStringLiteral("A{SetFullPara(\"USSDResp\":{\"Reset\":\"\"}):1,a}#"));
    EXPECT_EQ(sim.requests(QStringLiteral("\"Read\"")).size(), poll.pollCount());
}

TEST_F(Ussd, ThePollStopsItselfAfterTenTicks)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1\n").arg(ip));  // no code sent: no answer comes
    state().SelDevice = device("a", ip);
    UssdPoll poll(link, state().SelDevice);
    changeLinkSettings(link, [&](LinkSettings& s) { s.replyWaitMs = 0; });
    poll.Timer1().setInterval(20);
    poll.Timer1().start();
    EXPECT_TRUE(waitUntil([&] { return !poll.Timer1().isActive(); }, 5000));
    EXPECT_EQ(poll.pollCount(), 10);
    EXPECT_TRUE(obs.ussd.isEmpty());
}

}  // namespace

namespace {

using Emulator = LinkFixture;

TEST_F(Emulator, DayLogsAreTheGeneratedOnesAndFaultsCorruptThemAsAsked)
{
    const QString ip = DevSim::lanAddress(1);
    // The device's clock and the program's stand at the same moment.
    setProgramNowForTests(fixedTestNow());
    startSim(QStringLiteral("device id=a link=%1 sensors=T,H,-,- fault=othersensor fault-match=5,1,2,3 clock-at=%3\n"
                            "device id=b link=%2 fault=badsum\n")
                 .arg(ip, DevSim::lanAddress(2), fixedTestNowText()));
    Device_Rec a = device("a", ip);
    const _SYSTEMTIME today = Date2Shamsi(programNow().date(), programNow(), ShamsiCalendar::Official);
    const QString command = QStringLiteral("ASetFullPara(\"GetLog\":{\"Day\":\"%1,0,%2,%3\"})");
    // Yesterday or earlier in the month: a whole day that the device holds.
    const int month = today.wDay > 1 ? today.wMonth : (today.wMonth > 1 ? today.wMonth - 1 : 1);
    const int day = today.wDay > 1 ? today.wDay - 1 : 20;
    const QStringList fields = replyFields(link.Write2Dev(command.arg(today.wYear).arg(month).arg(day), a));
    EXPECT_EQ(fields.value(1), "GetLog");
    EXPECT_EQ(fields.value(4), "Day");
    EXPECT_EQ(fields.value(9), "0");
    EXPECT_EQ(fields.value(10), QString::number(month));
    EXPECT_EQ(fields.value(11), QString::number(day));
    ASSERT_EQ(fields.value(12).size(), 48);
    QProcess print;
    print.start(DevSim::program(),
                {QStringLiteral("--fleet"), root() + QStringLiteral("devsim.fleet"), QStringLiteral("--print-day"),
                 QStringLiteral("a,0,%1,%2,%3").arg(today.wYear).arg(month).arg(day)});
    ASSERT_TRUE(print.waitForFinished(5000));
    EXPECT_EQ(QString::fromLatin1(print.readAllStandardOutput()).trimmed(), fields.value(12));

    // A day before the log began is all gaps; the "othersensor" fault answers for sensor 2.
    EXPECT_EQ(replyFields(link.Write2Dev(command.arg(1).arg(1).arg(1), a)).value(12), QString(48, QLatin1Char('?')));
    EXPECT_EQ(replyFields(link.Write2Dev(QStringLiteral("ASetFullPara(\"GetLog\":{\"Day\":\"5,1,2,3\"})"), a)).value(9),
              "2");

    Device_Rec b = device("b", DevSim::lanAddress(2));
    EXPECT_EQ(CheckSum(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), b)), 1);
}

// A fault the emulator does not know, or a key it does not know, is refused: the
// test that asked for it would otherwise run against a healthy device.
TEST_F(Emulator, RefusesUnknownFaultsAndKeys)
{
    for (const char* item : {"fault=slowly", "faults=silence", "fault-gap=soon"}) {
        DevSim other;
        EXPECT_FALSE(other.start(
            QStringLiteral("device id=a link=%1 %2\n").arg(DevSim::lanAddress(3), QLatin1String(item)), root()))
            << item;
        EXPECT_TRUE(other.output().contains(QStringLiteral("bad item '%1'").arg(QLatin1String(item))))
            << other.output().toStdString();
    }
}

}  // namespace
