// The exchange over scripted transports: the faults that are awkward to time with a
// real device (late replies, a link that drops in the middle of a wait, Cancel during
// a serial wait, the pauses around a reconnection), on the script's own clock.
#include <functional>

#include "app/programstate.h"
#include "link/framing.h"
#include "link_fixture.h"
#include "support/scriptedlink.h"

namespace {

class Scripted : public LinkFixture
{
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        freshLink();
    }
    // The link as after start-up, over the script.
    void freshLink()
    {
        link.reset();
        link.setTransportFactory(script.factory());
        changeLinkSettings(link, [](LinkSettings& s) {
            s.replyWaitMs = 0;
            s.lanReadTimeoutMs = 500;
            s.serialReplyTimeoutMs = 500;  // 600 ms a serial attempt
        });
    }
    // The header reply of a sensor, summed as the device sums it.
    static QString header(const LinkScript::Request& r)
    {
        return buildSummedReply(r.command.mid(1).replace(QLatin1String(")"), QLatin1String(",T,1,0)")), r.deviceId)
            .mid(1)
            .chopped(1);
    }
    LinkScript script;
};

struct LinkCase
{
    const char* link;
    int attempts;  // sends of an unanswered request
};
const LinkCase kLinks[] = {{"COM1", 4}, {"127.0.0.1", 3}};

// A reply that comes after the exchange gave up lies waiting when the next exchange
// starts: it is dropped, and the next request gets its own answer.
TEST_F(Scripted, ALateReplyIsNotTheAnswerToTheNextRequest)
{
    for (const LinkCase& c : kLinks) {
        freshLink();
        script.respond([](const LinkScript::Request& r) {
            return LinkScript::reply(header(r), r.command == QLatin1String("ASenPara(0,0)") ? 5000 : 50);
        });
        Device_Rec dev = device("a", QString::fromLatin1(c.link));
        const QString first = link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev);
        EXPECT_TRUE(first == "Time Out" || first.isEmpty()) << c.link << " " << first.toStdString();
        script.elapse(10000);  // every late reply has arrived by now
        const QString second = CleanStr(link.Write2Dev(QStringLiteral("ASenPara(0,1)"), dev));
        EXPECT_TRUE(second.startsWith(QLatin1String("SenPara(0,1,"))) << c.link << " " << second.toStdString();
        EXPECT_EQ(CheckSum(second), 0) << c.link;
    }
}

// The link goes away while the exchange waits: a link error at once, and the next
// exchange opens the link again and is answered.
TEST_F(Scripted, ALinkThatDropsDuringTheWaitIsOpenedAgainByTheNextExchange)
{
    for (const LinkCase& c : kLinks) {
        freshLink();
        int sent = 0;
        script.respond([&](const LinkScript::Request& r) {
            return ++sent == 1 ? LinkScript::dropAfter(100) : LinkScript::reply(header(r), 20);
        });
        const QString address = QString::fromLatin1(c.link);
        Device_Rec dev = device("a", address);
        const qint64 start = script.now();
        EXPECT_THROW(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev), LinkError) << c.link;
        EXPECT_EQ(script.now() - start, 100) << c.link;  // no waiting past the drop
        EXPECT_EQ(CheckSum(CleanStr(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev))), 0) << c.link;
        EXPECT_EQ(script.events().filter(QLatin1String("open ") + address).size(), 2) << c.link;
        EXPECT_EQ(script.events().filter(QLatin1String("drop ") + address).size(), 1) << c.link;
        EXPECT_EQ(sent, 2) << c.link;
        sent = 0;
    }
}

// Silence: every attempt waits its whole time, then the link's own empty answer.
TEST_F(Scripted, SilenceUsesEveryAttemptAndItsWholeWait)
{
    for (const LinkCase& c : kLinks) {
        freshLink();
        const int before = script.requests().size();
        const qint64 start = script.now();
        Device_Rec dev = device("a", QString::fromLatin1(c.link));
        const QString reply = link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev);
        EXPECT_EQ(reply, c.attempts == 4 ? QStringLiteral("Time Out") : QString()) << c.link;
        EXPECT_EQ(script.requests().size() - before, c.attempts) << c.link;
        EXPECT_EQ(script.now() - start, c.attempts * (c.attempts == 4 ? 600 : 500)) << c.link;
    }
    changeLinkSettings(link, [](LinkSettings& s) {
        s.tries = 0;  // nothing is written at all
    });
    const int before = script.requests().size();
    Device_Rec dev = device("a", QStringLiteral("127.0.0.1"));
    EXPECT_EQ(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev), "");
    EXPECT_EQ(script.requests().size(), before);
}

// Cancel during a serial wait ends that wait at once, and every attempt left.
TEST_F(Scripted, StopFlagEndsTheSerialWaitAndTheAttemptsLeft)
{
    script.at(300, [] { programState().stop.request(); });
    Device_Rec dev = device("a", QStringLiteral("COM1"));
    EXPECT_EQ(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev), "Time Out");
    EXPECT_EQ(script.now(), 300);
    ASSERT_EQ(script.requests().size(), 4);
    EXPECT_EQ(script.requests().last().at, 300);
}

// A stop request ends every wait of the network link at once, however long its
// time-out: the connection, the reply wait (and the attempts left: nothing more is
// sent) and the pauses. A connection given up is no fault to report; an exchange
// started after the stop sends nothing.
TEST_F(Scripted, AStopRequestEndsEveryWaitOfTheNetworkLink)
{
    const QString ip = DevSim::lanAddress(1);
    struct Case
    {
        const char* what;
        qint64 stopAt;  // -1: before the action
        std::function<void(DeviceLink&, Device_Rec&)> action;
        int requests;
    };
    auto exchange = [](DeviceLink& l, Device_Rec& d) {
        EXPECT_EQ(l.Write2Dev(QStringLiteral("ASenPara(0,0)"), d), "");
    };
    const Case cases[] = {
        {"reply wait", 300, exchange, 1},
        {"connection of the exchange", 300, exchange, 0},
        {"connection", 300, [](DeviceLink& l, Device_Rec& d) { EXPECT_FALSE(l.connectLan(d.IP)); }, 0},
        {"pause", 300, [](DeviceLink& l, Device_Rec&) { l.pause(600000); }, 0},
        {"exchange after the stop", -1, exchange, 0},
    };
    changeLinkSettings(link, [](LinkSettings& s) {
        s.replyWaitMs = s.connectWaitMs = 600000;
        s.tries = 5;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freshLink();
        programState().stop.clear();
        script.unanswered = QString::fromLatin1(c.what).startsWith("connection") ? QStringList{ip} : QStringList{};
        const qint64 start = script.now();
        const int before = script.requests().size();
        if (c.stopAt < 0)
            programState().stop.request();
        else
            script.at(start + c.stopAt, [] { programState().stop.request(); });
        Device_Rec dev = device("a", ip);
        c.action(link, dev);
        EXPECT_EQ(script.now() - start, qMax<qint64>(0, c.stopAt));
        EXPECT_EQ(script.requests().size() - before, c.requests);
    }
}

// Connecting while connected: the old link is closed, then two pauses of 200 ms.
TEST_F(Scripted, ConnectingWhileConnectedClosesFirstAndPausesTwice)
{
    const QString ip = DevSim::lanAddress(1);
    ASSERT_TRUE(link.connectLan(ip));
    ASSERT_TRUE(link.connectLan(ip));
    EXPECT_EQ(script.events(), (QStringList{"open " + ip, "close " + ip, "pause 200", "pause 200", "open " + ip}));
    EXPECT_EQ(script.now(), 400);
    EXPECT_EQ(obs.captions.last(), "Status :Connected");

    script.refused << DevSim::lanAddress(2);
    EXPECT_FALSE(link.connectLan(DevSim::lanAddress(2)));  // told by the caller: the link shows no box
    EXPECT_EQ(obs.captions.last(), "Status :Disconnected");
}

// A handler that runs during the wait and connects elsewhere takes the link away
// from the exchange: it ends as on a dropped connection, without reading the other
// device's line.
TEST_F(Scripted, ALinkReopenedByAHandlerDuringTheWaitIsNotReadForTheReply)
{
    const QString a = DevSim::lanAddress(1), b = DevSim::lanAddress(2);
    script.respond([](const LinkScript::Request& r) { return LinkScript::reply(header(r), 300); });
    script.at(100, [&] { link.connectLan(b); });
    Device_Rec dev = device("a", a);
    EXPECT_THROW(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), dev), LinkError);
    EXPECT_EQ(link.lanHost(), b);
    EXPECT_TRUE(link.lanConnected());
}

}  // namespace
