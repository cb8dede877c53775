// Finding and opening the serial ports of the device link: the port list under the
// link's ports folder, the default port, the link a person chose and the first
// registered device's port. Works through the DeviceLink it is given; holds nothing
// of its own, so one is made where it is needed.
#pragma once

#include <QString>
#include <QStringList>

#include "app/records.h"

class DeviceLink;

class PortFinder
{
public:
    explicit PortFinder(DeviceLink& link) : m_link(link) {}

    // The names of the serial ports of this computer.
    QStringList FindComPort();
    // The default port's number: the last USB-serial or virtual COM port, else the
    // first port, else 1 (after telling that there is no port list).
    int FindComPort0();
    // Opens the port a "COM" text names (COM0: the default port) unless it is open;
    // tells when it cannot.
    void FindComPortAndOpen(const QString& Portnum);
    // Opens the link a person chose: a network address (chosen.IP := it) or a serial
    // port (chosen.IP emptied), closing the links open before. False when a network
    // link could not be opened; the caller tells the person.
    bool OpenPort2(const QString& strPort, Device_Rec& chosen);
    // Opens the port of the first registered device's link text when it names a COM
    // port (COM0: the default port), with the request-to-send line raised. False when
    // the port could not be opened; the caller tells.
    bool openFirstDevicePort(const QString& link);
    // Shows the serial ports in a message (or that there are none).
    void showSerialPorts();

private:
    DeviceLink& m_link;
};
