#include "link/portfinder.h"

#include "link/devicelink.h"
#include "link/linkkind.h"
#include "link/replies.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/serialport.h"

QStringList PortFinder::FindComPort()
{
    QStringList names;
    for (const SerialPortEntry& e : serialPortList(m_link.settings().portsRoot)) names << e.portName;
    return names;
}

int PortFinder::FindComPort0()
{
    const QList<SerialPortEntry> ports = serialPortList(m_link.settings().portsRoot);
    int number = 0;
    for (const SerialPortEntry& e : ports)
        if (e.deviceName.contains(QLatin1String("USBSER")) || e.deviceName.contains(QLatin1String("VCP")))
            number = FindNumber(e.portName);
    if (number == 0) {
        if (!ports.isEmpty())
            number = FindNumber(ports.first().portName);
        else
            dialogs().message(linktext::kNoControlPanel);
    }
    return number == 0 ? 1 : number;
}

void PortFinder::FindComPortAndOpen(const QString& Portnum)
{
    if (!namesComPort(Portnum)) return;
    int number = FindNumber(Portnum.toUpper());
    if (number == 0) number = FindComPort0();
    if (number <= 0) return;
    try {
        if (!m_link.openSerialPort(number)) dialogs().message(linktext::kCannotOpenPort);
    } catch (const TermivoError&) {
        dialogs().message(linktext::kCannotOpenPort);
    }
}

bool PortFinder::OpenPort2(const QString& strPort, Device_Rec& chosen)
{
    m_link.closeLinks();
    if (isNetworkLinkText(strPort)) {
        chosen.IP = strPort;
        return m_link.connectLan(strPort);
    }
    const int number = FindNumber(strPort);
    if (number < 0) return true;
    // A number the control rejects is an error for the caller.
    if (m_link.openSerialPort(number)) {
        m_link.setRequestToSend(true);
        m_link.setLinkPending(false);
    } else {
        dialogs().message(linktext::kPortCannotOpen);
    }
    chosen.IP.clear();
    return true;
}

bool PortFinder::openFirstDevicePort(const QString& link)
{
    const QString address = link.toUpper();
    if (!namesComPort(address)) return true;
    int port = FindNumber(address);
    if (port == 0) port = FindComPort0();
    // An address with "COM" but no digits names no port: nothing is opened.
    if (port <= 0) return true;
    try {
        SerialPortControl& comm = m_link.MSComm1();
        comm.setRootDir(m_link.settings().portsRoot);
        comm.setPortOpen(false);
        comm.setCommPort(port);
        comm.setPortOpen(true);
        comm.setRTSEnable(true);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void PortFinder::showSerialPorts()
{
    const QStringList ports = FindComPort();
    if (ports.isEmpty()) {
        dialogs().message(linktext::kNoSerialPort);
        return;
    }
    QString text = linktext::kPortsPresent + QLatin1Char('\r');
    for (const QString& p : ports) text += p + QLatin1Char('\r');
    dialogs().message(text);
}
