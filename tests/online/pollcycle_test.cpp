// The poll cycle over the real exchange with scripted devices behind it: what is
// awkward to play with the emulator (a link that drops in the middle of a sweep, a
// late reply on a shared serial line, a reply that names another device), on the
// script's clock.
#include "online/pollcycle.h"

#include "app/programstate.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "platform/eventpump.h"
#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/scriptedlink.h"

namespace {

// The cycle's surroundings: the link itself, everything else recorded.
class LinkHost : public PollHost
{
public:
    explicit LinkHost(DeviceLink& link) : m_link(link) {}
    QString exchange(const QString& command, Device_Rec& device) override { return m_link.exchange(command, device); }
    bool connectLan(Device_Rec& device) override { return m_link.connectLan(device.IP); }
    void disconnectLan() override
    {
        if (m_link.lanConnected()) m_link.disconnectLan();
    }
    void pump() override { processPendingEvents(); }
    bool stopRequested() const override { return programState().stop.requested(); }
    bool windowShowing() const override { return true; }
    void setTimerEnabled(bool on) override { timer = on; }
    void showMessageLogIfAny() override {}
    void logLine(const QString& line) override { log << line; }
    void outageLine(const QString& line) override { failures << line; }
    void hourlyRefresh() override { ++refreshes; }
    void setCaption(const QString&) override {}
    void readingChanged(int) override {}

    bool timer = false;
    int refreshes = 0;
    QStringList log, failures;

private:
    DeviceLink& m_link;
};

class PollCycleTest : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        programState().stop.clear();
        changeLinkSettings(link, [](LinkSettings& s) {
            s.tries = 1;
            s.replyWaitMs = 0;
            s.connectWaitMs = 500;
        });
        link.setTransportFactory(script.factory());
        changeLinkSettings(link, [](LinkSettings& s) {
            s.lanReadTimeoutMs = 300;
            s.serialReplyTimeoutMs = 200;  // 300 ms a serial attempt, four attempts
        });
    }
    void TearDown() override
    {
        link.setTransportFactory({});
        RootFixture::TearDown();
    }
    // Registers devices with one named channel each, on the given links.
    void registry(const QStringList& ids, const QStringList& links)
    {
        for (int i = 0; i < ids.size(); ++i) {
            devices[i].ID = ids[i];
            devices[i].IP = links[i];
            devices[i].Name = QStringLiteral("Lab ") + ids[i];
            devices[i].Sensor[0].Name = QStringLiteral("Room");
            devices[i].Sensor[0].ChartIndex = i;
        }
        cycle.setDevices(devices, int(ids.size()) - 1);
        cycle.arm();
    }
    // The reading reply of device id, its first sensor at value.
    static QString reading(const QString& id, const QString& value = QStringLiteral("21.5"))
    {
        return QStringLiteral(
                   "{\"GetTemp\":{\"Sensor0\":\"%1\",\"Sensor1\":\"0\",\"Sensor2\":\"0\",\"Sensor3\":\"0\","
                   "\"Alarm\":\"0\",\"MemErr\":\"0\",\"ID\":\"%2\"}}")
            .arg(value, id);
    }
    const ChannelReading& channel(int device) const { return cycle.channels().at(device); }

    LinkScript script;
    DeviceLink link{state().stop};
    LinkHost host{link};
    // Half past ten: the hour's download counts as done, no hourly refresh is due.
    PollCycle cycle{host, [] { return QDateTime(QDate(2026, 5, 1), QTime(10, 30)); }};
    Device_Rec devices[3];
};

// The middle device's link drops while it is read: that device fails on its own (one
// line naming it, with the time), the sweep goes on to the next one, the tick ends
// disconnected; the next poll of the device connects again and gets its reading, and
// the log says that it answers again.
TEST_F(PollCycleTest, ALinkDroppedMidSweepFailsOnlyThatDevice)
{
    const QStringList ips{DevSim::lanAddress(1), DevSim::lanAddress(2), DevSim::lanAddress(3)};
    registry({"a", "b", "c"}, ips);
    int bAsked = 0;
    script.respond([&](const LinkScript::Request& r) {
        if (r.deviceId == QLatin1String("b") && ++bAsked == 1) return LinkScript::dropAfter(100);
        return LinkScript::reply(reading(r.deviceId), 20);
    });
    cycle.refresh = 3;
    cycle.tick();

    const QString b = "1405/2/11 10:30:00 Lab b (ID b, " + ips[1] + "): ";
    EXPECT_EQ(host.failures, QStringList{b + "Connection Closed Gracefully."});
    EXPECT_TRUE(cycle.isOut(1));
    EXPECT_TRUE(channel(0).hasReading);
    EXPECT_FALSE(channel(1).hasReading);
    EXPECT_TRUE(channel(2).hasReading);
    EXPECT_EQ(cycle.answerOf(1), DeviceAnswer::Silent);
    EXPECT_EQ(cycle.answerOf(2), DeviceAnswer::Answered);
    EXPECT_TRUE(script.events().contains("drop " + ips[1]));
    EXPECT_FALSE(link.lanConnected());
    EXPECT_TRUE(host.timer);

    // Three ticks later the periodic poll reaches a, then b: b answers now.
    for (int i = 0; i < 6; ++i) cycle.tick();
    EXPECT_TRUE(channel(1).hasReading);
    EXPECT_EQ(channel(1).title(), "b1_Room : 21.5");
    EXPECT_EQ(cycle.answerOf(1), DeviceAnswer::Answered);
    EXPECT_EQ(host.failures, (QStringList{b + "Connection Closed Gracefully.", b + kAnswersAgainText}));
    EXPECT_FALSE(cycle.isOut(1));
    EXPECT_EQ(script.events().filter("open " + ips[1]).size(), 2);
}

// An outage is one line when it begins and one when it ends, whatever the number of
// polls in between; a silent device is out as well as one that cannot be connected
// to, and is passed over in the sweep (no exchange waits on a connection that failed).
// A new registry (the hourly refresh, a new showing) keeps the outage of a device that
// is still the same.
TEST_F(PollCycleTest, AnOutageIsLoggedOnceWhenItBeginsAndOnceWhenItEnds)
{
    const QStringList ips{DevSim::lanAddress(1), DevSim::lanAddress(2), DevSim::lanAddress(3)};
    registry({"a", "b", "c"}, ips);
    bool cSilent = true;
    script.respond([&](const LinkScript::Request& r) {
        if (r.deviceId == QLatin1String("c") && cSilent) return LinkScript::silence();
        return LinkScript::reply(reading(r.deviceId), 20);
    });
    script.refused << ips[1];
    cycle.refresh = 1;
    for (int sweep = 0; sweep < 3; ++sweep) {
        cycle.firstSweep = true;
        cycle.tick();
        cycle.setDevices(devices, 2);
    }
    for (int i = 0; i < 6; ++i) cycle.tick();
    for (const LinkScript::Request& r : script.requests()) EXPECT_NE(r.deviceId, "b");
    const QString b = "1405/2/11 10:30:00 Lab b (ID b, " + ips[1] + "): ";
    const QString c = "1405/2/11 10:30:00 Lab c (ID c, " + ips[2] + "): ";
    EXPECT_EQ(host.failures, (QStringList{b + oneLogLine(linktext::cannotConnect(ips[1])), c + kNoAnswerText}));
    EXPECT_TRUE(cycle.isOut(1));
    EXPECT_TRUE(cycle.isOut(2));

    script.refused.clear();
    cSilent = false;
    cycle.firstSweep = true;
    cycle.tick();
    EXPECT_EQ(host.failures.mid(2), (QStringList{b + kAnswersAgainText, c + kAnswersAgainText}));
    EXPECT_EQ(channel(1).title(), "b1_Room : 21.5");
}

// Two devices on one serial line: a answers only after its four attempts are over, so
// its reply lands in b's wait. The reading goes to a, whose ID it carries; b, whose
// own reply comes after its wait, did not answer.
TEST_F(PollCycleTest, ALateReplyOnASharedLineIsTheDeviceItNames)
{
    registry({"a", "b"}, {"COM1", "COM1"});
    script.respond([](const LinkScript::Request& r) {
        if (r.deviceId == QLatin1String("a")) return LinkScript::reply(reading("a", "4.5"), 1250);
        return LinkScript::reply(reading("b", "8.0"), 100 + 300);
    });
    cycle.tick();

    EXPECT_EQ(script.requests().size(), 5);  // four to a, one to b
    EXPECT_EQ(channel(0).title(), "a1_Room : 4.5");
    EXPECT_FALSE(channel(1).hasReading);
    EXPECT_EQ(cycle.answerOf(0), DeviceAnswer::Answered);
    EXPECT_EQ(cycle.answerOf(1), DeviceAnswer::Silent);
    // a gave nothing within its own attempts; b was answered, if not by itself.
    EXPECT_EQ(host.failures, QStringList{"1405/2/11 10:30:00 Lab a (ID a, COM1): " + kNoAnswerText});
}

// A device set to another's ID: its reading is shown for the device the reply names,
// and the polled device counts as silent.
TEST_F(PollCycleTest, AReplyNamingAnotherDeviceIsShownForThatDevice)
{
    registry({"a", "b"}, {DevSim::lanAddress(1), DevSim::lanAddress(2)});
    script.respond([](const LinkScript::Request& r) {
        return LinkScript::reply(r.deviceId == QLatin1String("b") ? reading("a", "-3.0") : QString(), 20);
    });
    cycle.tick();

    EXPECT_EQ(channel(0).title(), "a1_Room : -3.0");
    EXPECT_FALSE(channel(1).hasReading);
    EXPECT_EQ(cycle.answerOf(0), DeviceAnswer::Answered);
    EXPECT_EQ(cycle.answerOf(1), DeviceAnswer::Silent);
}

// The registry holds ID a on two connections and the first is silent: the second's
// reading is its own, and the first stays silent.
TEST_F(PollCycleTest, OneIdOnTwoConnectionsAnswersForEachLine)
{
    registry({"a", "a"}, {DevSim::lanAddress(1), DevSim::lanAddress(2)});
    script.respond([](const LinkScript::Request& r) {
        return LinkScript::reply(r.address == DevSim::lanAddress(2) ? reading("a", "7.0") : QString(), 20);
    });
    cycle.tick();

    EXPECT_FALSE(channel(0).hasReading);
    EXPECT_EQ(channel(1).title(), "a1_Room : 7.0");
    EXPECT_EQ(cycle.answerOf(0), DeviceAnswer::Silent);
    EXPECT_EQ(cycle.answerOf(1), DeviceAnswer::Answered);
    EXPECT_FALSE(cycle.answeredAt(0).isValid());
    EXPECT_EQ(cycle.answeredAt(1), QDateTime(QDate(2026, 5, 1), QTime(10, 30)));
}

}  // namespace
