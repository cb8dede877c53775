#include "link/portfinder.h"

#include "link/devicelink.h"
#include "link/linkkind.h"
#include "link/replies.h"
#include "platform/errors.h"
#include "platform/serialport.h"

QStringList PortFinder::FindComPort()
{
    QStringList names;
    for (const SerialPortEntry& e : serialPortList(m_link.settings().portsRoot)) names << e.portName;
    return names;
}

DefaultPort PortFinder::defaultPort()
{
    const QList<SerialPortEntry> ports = serialPortList(m_link.settings().portsRoot);
    DefaultPort found;
    int number = 0;
    for (const SerialPortEntry& e : ports)
        if (e.deviceName.contains(QLatin1String("USBSER")) || e.deviceName.contains(QLatin1String("VCP")))
            number = FindNumber(e.portName);
    if (number == 0) {
        if (!ports.isEmpty())
            number = FindNumber(ports.first().portName);
        else
            found.noPortList = true;
    }
    found.number = number == 0 ? 1 : number;
    return found;
}

PortOpening PortFinder::FindComPortAndOpen(const QString& Portnum)
{
    PortOpening outcome;
    if (!namesComPort(Portnum)) return outcome;
    int number = FindNumber(Portnum.toUpper());
    if (number == 0) {
        const DefaultPort d = defaultPort();
        number = d.number;
        outcome.noPortList = d.noPortList;
    }
    if (number <= 0) return outcome;
    try {
        outcome.failed = !m_link.openSerialPort(number);
    } catch (const TermivoError&) {
        outcome.failed = true;
    }
    return outcome;
}

LinkSwitch PortFinder::OpenPort2(const QString& strPort, Device_Rec& chosen)
{
    m_link.closeLinks();
    if (isNetworkLinkText(strPort)) {
        chosen.IP = strPort;
        return m_link.connectLan(strPort) ? LinkSwitch::Done : LinkSwitch::NetworkFailed;
    }
    const int number = FindNumber(strPort);
    if (number < 0) return LinkSwitch::Done;
    // A number the control rejects is an error for the caller.
    LinkSwitch outcome = LinkSwitch::Done;
    if (m_link.openSerialPort(number)) {
        m_link.setRequestToSend(true);
        m_link.setLinkPending(false);
    } else {
        outcome = LinkSwitch::PortCannotOpen;
    }
    chosen.IP.clear();
    return outcome;
}

PortOpening PortFinder::openFirstDevicePort(const QString& link)
{
    PortOpening outcome;
    const QString address = link.toUpper();
    if (!namesComPort(address)) return outcome;
    int port = FindNumber(address);
    if (port == 0) {
        const DefaultPort d = defaultPort();
        port = d.number;
        outcome.noPortList = d.noPortList;
    }
    // An address with "COM" but no digits names no port: nothing is opened.
    if (port <= 0) return outcome;
    try {
        SerialPortControl& comm = m_link.MSComm1();
        comm.setRootDir(m_link.settings().portsRoot);
        comm.setPortOpen(false);
        comm.setCommPort(port);
        comm.setPortOpen(true);
        comm.setRTSEnable(true);
    } catch (const std::exception&) {
        outcome.failed = true;
    }
    return outcome;
}

QString PortFinder::serialPortsText()
{
    const QStringList ports = FindComPort();
    if (ports.isEmpty()) return linktext::kNoSerialPort;
    QString text = linktext::kPortsPresent + QLatin1Char('\r');
    for (const QString& p : ports) text += p + QLatin1Char('\r');
    return text;
}
