// The port list, the default port and the two ways of opening a port.
#include <QDir>
#include <QFile>
#include <QMap>

#include "link/portfinder.h"
#include "link_fixture.h"
#include "platform/serialport.h"

namespace {

class Ports : public LinkFixture
{
protected:
    void TearDown() override
    {
        setSystemPortListerForTests({});
        LinkFixture::TearDown();
    }
    static void systemPorts(const QList<SerialPortEntry>& list)
    {
        setSystemPortListerForTests([list] { return list; });
    }
};

TEST_F(Ports, DefaultPortIsTheLastUsbPortElseTheFirst)
{
    struct Case
    {
        QList<SerialPortEntry> ports;
        int expected;
    };
    const Case cases[] = {
        {{{"A", "COM1", ""}, {"USBSER000", "COM5", ""}, {"VCP0", "COM7", ""}}, 7},
        {{{"A", "COM1", ""}, {"USBSER000", "COM5", ""}, {"B", "COM7", ""}}, 5},
        {{{"A", "COM1", ""}, {"B", "COM2", ""}}, 1},
        {{{"A", "COM4", ""}, {"usbser", "COM2", ""}}, 4},  // the match is case-sensitive
        {{{"VCP0", "COMX", ""}}, -1},                      // a chosen name without digits
    };
    for (const Case& c : cases) {
        systemPorts(c.ports);
        EXPECT_EQ(PortFinder(link).FindComPort0(), c.expected) << c.ports.last().deviceName.toStdString();
    }
    systemPorts({});
    EXPECT_EQ(PortFinder(link).FindComPort0(), 1);
    EXPECT_TRUE(PortFinder(link).defaultPort().noPortList);
}

TEST_F(Ports, LinksUnderTheRootComeFirstAndSystemPortsKeepTheirNumbers)
{
    startSim(QStringLiteral("device id=a link=COM2\n"));
    systemPorts({{"Serial0", "", "/dev/ttyS0"}, {"USBSER000", "", "/dev/ttyACM0"}});
    EXPECT_EQ(PortFinder(link).FindComPort(), (QStringList{"COM2", "COM1", "COM65"}));
    EXPECT_EQ(serialPortLocation(2, root()), root() + "dosdevices/com2");
    EXPECT_EQ(serialPortLocation(65, root()), "/dev/ttyACM0");
    EXPECT_EQ(PortFinder(link).FindComPort0(), 65);

    EXPECT_EQ(PortFinder(link).serialPortsText(), linktext::kPortsPresent + "\rCOM2\rCOM1\rCOM65\r");
    systemPorts({});
    sim.stop();
    EXPECT_EQ(PortFinder(link).serialPortsText(), linktext::kNoSerialPort);
}

TEST_F(Ports, FindComPortAndOpenWantsComAndReplacesPortZero)
{
    startSim(QStringLiteral("device id=a link=COM4\ndevice id=b link=COM1\n"), {QStringLiteral("--no-pace")});
    systemPorts({});
    EXPECT_FALSE(PortFinder(link).FindComPortAndOpen(QStringLiteral("com4")).failed);
    EXPECT_TRUE(link.MSComm1().PortOpen());
    EXPECT_EQ(link.MSComm1().CommPort(), 4);
    EXPECT_FALSE(link.MSComm1().RTSEnable());
    link.MSComm1().setPortOpen(false);

    PortFinder(link).FindComPortAndOpen(QStringLiteral("COM0"));  // the default: the first entry, COM1
    EXPECT_TRUE(link.MSComm1().PortOpen());
    EXPECT_EQ(link.MSComm1().CommPort(), 1);
    link.MSComm1().setPortOpen(false);

    PortFinder(link).FindComPortAndOpen(DevSim::lanAddress(1));
    PortFinder(link).FindComPortAndOpen(QStringLiteral("COM"));
    EXPECT_FALSE(link.MSComm1().PortOpen());
    EXPECT_EQ(link.MSComm1().CommPort(), 1);

    // A port that is not there: told in the outcome, the port stays closed.
    const PortOpening missing = PortFinder(link).FindComPortAndOpen(QStringLiteral("COM9"));
    EXPECT_TRUE(missing.failed);
    EXPECT_FALSE(missing.noPortList);
    EXPECT_FALSE(link.MSComm1().PortOpen());
}

TEST_F(Ports, OpenPort2SwitchesFromLanToASerialPort)
{
    const QString ip = DevSim::lanAddress(1);
    startSim(QStringLiteral("device id=a link=%1\ndevice id=b link=COM3\n").arg(ip), {QStringLiteral("--no-pace")});
    systemPorts({});
    state().SelDevice = device("a", ip);
    // 7 characters or more: a LAN address, CommPort untouched.
    EXPECT_EQ(PortFinder(link).OpenPort2(ip, state().SelDevice), LinkSwitch::Done);
    EXPECT_TRUE(link.lanConnected());
    EXPECT_EQ(state().SelDevice.IP, ip);
    EXPECT_EQ(link.MSComm1().CommPort(), 1);

    link.setLinkPending(true);
    EXPECT_EQ(PortFinder(link).OpenPort2(QStringLiteral("COM3"), state().SelDevice), LinkSwitch::Done);
    EXPECT_FALSE(link.lanConnected());
    EXPECT_TRUE(link.MSComm1().PortOpen());
    EXPECT_EQ(link.MSComm1().CommPort(), 3);
    EXPECT_TRUE(link.MSComm1().RTSEnable());
    EXPECT_FALSE(link.linkPending());
    EXPECT_TRUE(state().SelDevice.IP.isEmpty());

    // The port works after the switch (RTS on a pseudo-terminal is not an error).
    Device_Rec b = device("b", "COM3");
    EXPECT_NE(link.Write2Dev(QStringLiteral("ASenPara(0,0)"), b), "Time Out");

    link.setLinkPending(true);
    EXPECT_EQ(PortFinder(link).OpenPort2(QStringLiteral("7"), state().SelDevice), LinkSwitch::PortCannotOpen);
    EXPECT_TRUE(link.linkPending());
    EXPECT_FALSE(link.MSComm1().PortOpen());
    EXPECT_THROW(PortFinder(link).OpenPort2(QStringLiteral("COM0"), state().SelDevice),
                 TermivoError);  // the control rejects 0
    EXPECT_EQ(PortFinder(link).OpenPort2(QStringLiteral("COM"), state().SelDevice),
              LinkSwitch::Done);  // no digit: nothing
}

// A system port's COM number follows its kernel name: adding a link or plugging in
// another adapter changes no other port's number.
TEST_F(Ports, SystemPortNumbersDoNotMoveWhenLinksOrAdaptersAreAdded)
{
    struct Number
    {
        const char* location;
        int com;
    };
    const Number numbers[] = {{"/dev/ttyS0", 1},    {"/dev/ttyS31", 32},  {"/dev/ttyS32", 0},    {"/dev/ttyUSB0", 33},
                              {"/dev/ttyUSB3", 36}, {"/dev/ttyACM0", 65}, {"/dev/ttyACM31", 96}, {"/dev/ttyAMA0", 0},
                              {"/dev/pts/3", 0},    {"/dev/ttyUSBx", 0}};
    for (const Number& n : numbers) EXPECT_EQ(stableComNumber(n.location), n.com) << n.location;

    auto names = [&] {
        QMap<QString, QString> byLocation;
        for (const SerialPortEntry& e : serialPortList(root())) byLocation.insert(e.location, e.portName);
        return byLocation;
    };
    systemPorts({{"USBSER000", "", "/dev/ttyACM0"},
                 {"VCP0", "", "/dev/ttyUSB0"},
                 {"Serial0", "", "/dev/ttyS0"},
                 {"Serial1", "", "/dev/ttyAMA1"}});
    const QMap<QString, QString> before = names();
    EXPECT_EQ(before.value("/dev/ttyS0"), "COM1");
    EXPECT_EQ(before.value("/dev/ttyUSB0"), "COM33");
    EXPECT_EQ(before.value("/dev/ttyACM0"), "COM65");
    EXPECT_EQ(before.value("/dev/ttyAMA1"), "COM97");

    // Two more adapters, listed before the others, and a link.
    systemPorts({{"USBSER000", "", "/dev/ttyACM1"},
                 {"USBSER001", "", "/dev/ttyACM0"},
                 {"VCP0", "", "/dev/ttyUSB1"},
                 {"VCP1", "", "/dev/ttyUSB0"},
                 {"Serial0", "", "/dev/ttyS0"},
                 {"Serial1", "", "/dev/ttyAMA1"}});
    QDir().mkpath(path("dosdevices"));
    ASSERT_TRUE(QFile::link("/dev/null", path("dosdevices/com2")));
    const QMap<QString, QString> after = names();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(after.value("/dev/ttyACM1"), "COM66");
    EXPECT_EQ(after.value(path("dosdevices/com2")), "COM2");

    // A link of a system port's number takes its place.
    ASSERT_TRUE(QFile::link("/dev/null", path("dosdevices/com33")));
    EXPECT_EQ(serialPortLocation(33, root()), path("dosdevices/com33"));
    EXPECT_FALSE(names().contains("/dev/ttyUSB0"));
}

}  // namespace
