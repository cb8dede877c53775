// Finding and opening the serial ports of the device link: the port list under the
// link's ports folder, the default port, the link a person chose and the first
// registered device's port. Works through the DeviceLink it is given; holds nothing
// of its own, so one is made where it is needed. It shows nothing: what went wrong is
// in what it answers, and the caller tells it (a window in a box, the exchange in its
// error).
#pragma once

#include <QString>
#include <QStringList>

#include "app/records.h"

class DeviceLink;

// The default port and whether the port list was empty (linktext::kNoControlPanel).
struct DefaultPort
{
    int number = 1;
    bool noPortList = false;
};

// What opening a port named by a device's link text came to.
struct PortOpening
{
    bool failed = false;      // the port could not be opened (linktext::kCannotOpenPort)
    bool noPortList = false;  // the default port was wanted and there is no port list
};

// What switching to the link a person chose came to.
enum class LinkSwitch {
    Done,            // the link is open, or the text named no port (nothing to open)
    NetworkFailed,   // the network link could not be opened (linktext::cannotConnect)
    PortCannotOpen,  // the serial port could not be opened (linktext::kPortCannotOpen)
};

class PortFinder
{
public:
    explicit PortFinder(DeviceLink& link) : m_link(link) {}

    // The names of the serial ports of this computer.
    QStringList FindComPort();
    // The default port: the last USB-serial or virtual COM port, else the first port,
    // else 1 with noPortList set.
    DefaultPort defaultPort();
    int FindComPort0() { return defaultPort().number; }
    // Opens the port a "COM" text names (COM0: the default port) unless it is open.
    PortOpening FindComPortAndOpen(const QString& Portnum);
    // Opens the link a person chose: a network address (chosen.IP := it) or a serial
    // port (chosen.IP emptied), closing the links open before. The caller tells the
    // person what failed.
    LinkSwitch OpenPort2(const QString& strPort, Device_Rec& chosen);
    // Opens the port of the first registered device's link text when it names a COM
    // port (COM0: the default port), with the request-to-send line raised; the caller
    // tells what failed.
    PortOpening openFirstDevicePort(const QString& link);
    // The message that lists the serial ports (or says that there are none).
    QString serialPortsText();

private:
    DeviceLink& m_link;
};
