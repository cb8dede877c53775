#include "platform/serialport.h"

#include <algorithm>
#include <map>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSerialPortInfo>

#include "platform/errors.h"

namespace {

SystemPortLister& systemLister()
{
    static SystemPortLister lister;
    return lister;
}

// The kernel driver behind a tty ("cdc_acm", "ftdi_sio", ...), empty when unknown.
QString ttyDriver(const QString& ttyName)
{
    const QFileInfo driver(QStringLiteral("/sys/class/tty/%1/device/driver").arg(ttyName));
    if (!driver.isSymLink()) return {};
    return QFileInfo(driver.symLinkTarget()).fileName();
}

// The device name the program tells ports apart by: CDC-ACM ports count as "USBSER",
// USB-serial converters as "VCP".
QString deviceNameFor(const QString& location, int index)
{
    const QString tty = QFileInfo(location).fileName();
    if (location.startsWith(QLatin1String("/dev/pts/"))) return QStringLiteral("PTY%1").arg(index);
    const QString driver = ttyDriver(tty);
    if (driver == QLatin1String("cdc_acm")) return QStringLiteral("USBSER%1").arg(index, 3, 10, QLatin1Char('0'));
    static const QStringList converters = {
        "ftdi_sio",          "cp210x", "ch341",    "ch341-uart", "pl2303", "usbserial",
        "usbserial_generic", "option", "qcserial", "ark3116",    "mos7840"};
    if (converters.contains(driver) || tty.startsWith(QLatin1String("ttyUSB")))
        return QStringLiteral("VCP%1").arg(index);
    return QStringLiteral("Serial%1").arg(index);
}

QList<SerialPortEntry> enumerateSystemPorts()
{
    QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    std::sort(infos.begin(), infos.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        // ttyACM*, ttyUSB*, then the rest, each group in natural order.
        auto rank = [](const QString& n) {
            if (n.startsWith(QLatin1String("ttyACM"))) return 0;
            if (n.startsWith(QLatin1String("ttyUSB"))) return 1;
            return 2;
        };
        const int ra = rank(a.portName()), rb = rank(b.portName());
        if (ra != rb) return ra < rb;
        if (a.portName().size() != b.portName().size()) return a.portName().size() < b.portName().size();
        return a.portName() < b.portName();
    });
    QList<SerialPortEntry> out;
    int index = 0;
    for (const QSerialPortInfo& info : infos)
        out.append({deviceNameFor(info.systemLocation(), index++), QString(), info.systemLocation()});
    return out;
}

// The dosdevices/comN links under rootDir by number (the link's path, not its target).
std::map<int, QString> portLinks(const QString& rootDir)
{
    std::map<int, QString> links;
    if (rootDir.isEmpty()) return links;
    static const QRegularExpression comName(QStringLiteral("^com([1-9][0-9]{0,2})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QDir dos(rootDir + QStringLiteral("dosdevices"));
    for (const QFileInfo& fi : dos.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch m = comName.match(fi.fileName());
        if (m.hasMatch()) links[m.captured(1).toInt()] = fi.absoluteFilePath();
    }
    return links;
}

}  // namespace

int stableComNumber(const QString& location)
{
    static const QRegularExpression tty(QStringLiteral("^/dev/tty(S|USB|ACM)([0-9]+)$"));
    const QRegularExpressionMatch m = tty.match(location);
    if (!m.hasMatch()) return 0;
    const int n = m.captured(2).toInt();
    if (n >= kComBlockSize) return 0;
    const QString kind = m.captured(1);
    const int first = kind == QLatin1String("S")     ? kFirstComOfTtyS
                      : kind == QLatin1String("USB") ? kFirstComOfTtyUSB
                                                     : kFirstComOfTtyACM;
    return first + n;
}

void setSystemPortListerForTests(SystemPortLister lister)
{
    systemLister() = std::move(lister);
}

QList<SerialPortEntry> serialPortList(const QString& rootDir)
{
    QList<SerialPortEntry> out;
    const std::map<int, QString> links = portLinks(rootDir);
    int index = 0;
    for (const auto& [n, path] : links) {
        const QFileInfo fi(path);
        const QString target = fi.isSymLink() ? fi.symLinkTarget() : path;
        out.append({deviceNameFor(target, index++), QStringLiteral("COM%1").arg(n), path});
    }
    const QList<SerialPortEntry> system = systemLister() ? systemLister()() : enumerateSystemPorts();
    // Other kinds of port (ttyAMA, rfcomm, ...) from kFirstComOfOthers, in natural order.
    QStringList others;
    for (const SerialPortEntry& e : system)
        if (e.portName.isEmpty() && stableComNumber(e.location) == 0) others << e.location;
    std::sort(others.begin(), others.end(),
              [](const QString& a, const QString& b) { return a.size() != b.size() ? a.size() < b.size() : a < b; });
    for (SerialPortEntry e : system) {
        if (e.portName.isEmpty()) {
            int n = stableComNumber(e.location);
            if (n == 0) n = kFirstComOfOthers + int(others.indexOf(e.location));
            if (n > kMaxComNumber) continue;
            e.portName = QStringLiteral("COM%1").arg(n);
        }
        if (links.count(e.portName.mid(3).toInt())) continue;  // a link of the same name takes precedence
        out.append(e);
    }
    return out;
}

QString serialPortLocation(int n, const QString& rootDir)
{
    const QString name = QStringLiteral("COM%1").arg(n);
    for (const SerialPortEntry& e : serialPortList(rootDir))
        if (e.portName.compare(name, Qt::CaseInsensitive) == 0) return e.location;
    return {};
}

SerialPortControl::SerialPortControl(QObject* parent) : QObject(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, [this] {
        if (m_port->bytesAvailable() > 0) emit OnComm();
    });
    // A port whose device is gone stays "open" and every exchange would time out until
    // the program restarts: it is closed instead. Modem-line ioctls that a
    // pseudo-terminal refuses (UnsupportedOperationError) are no loss.
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError && e != QSerialPort::WriteError) return;
        if (!m_port->isOpen()) return;
        const QString why = m_port->errorString();
        m_port->close();
        m_port->clearError();
        m_path.clear();
        emit portLost(why);
    });
}

SerialPortControl::~SerialPortControl() = default;

void SerialPortControl::setCommPort(int n)
{
    if (PortOpen()) throw TermivoError(QStringLiteral("Operation not valid while the port is open"));
    if (n < 1 || n > 255) throw TermivoError(QStringLiteral("Invalid port number"));
    m_commPort = n;
}

bool SerialPortControl::PortOpen() const
{
    return m_port->isOpen();
}

void SerialPortControl::setPortOpen(bool open)
{
    if (!open) {
        if (m_port->isOpen()) m_port->close();
        m_path.clear();
        return;
    }
    if (m_port->isOpen()) throw TermivoError(QStringLiteral("Port already open"));
    const QString location = serialPortLocation(m_commPort, m_rootDir);
    if (location.isEmpty())
        throw TermivoError(
            QCoreApplication::translate("Termivo", "Port open error: COM%1 does not exist").arg(m_commPort));
    m_port->setPortName(location);
    // Only the result of open() counts: a pseudo-terminal reports "inappropriate ioctl"
    // for the modem lines, and errorOccurred also fires with NoError.
    if (!m_port->open(QIODevice::ReadWrite))
        throw TermivoError(QCoreApplication::translate("Termivo", "Port open error: COM%1: %2")
                               .arg(m_commPort)
                               .arg(m_port->errorString()));
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->clear();
    m_port->clearError();
    m_path = location;
    m_device = QFileInfo(location).canonicalFilePath();
    m_openedByLink = portLinks(m_rootDir).count(m_commPort) > 0;
    if (m_rtsEnable) setRTSEnable(true);
}

bool SerialPortControl::namesAnotherDevice() const
{
    if (!m_port->isOpen()) return false;
    // Only the links can have changed under the name: the system's ports keep their
    // numbers (and one that goes away is reported by the port itself).
    const std::map<int, QString> links = portLinks(m_rootDir);
    const auto link = links.find(m_commPort);
    if (link == links.end()) return m_openedByLink;
    return link->second != m_path || QFileInfo(link->second).canonicalFilePath() != m_device;
}

void SerialPortControl::setRTSEnable(bool on)
{
    m_rtsEnable = on;
    if (m_port->isOpen()) {
        m_port->setRequestToSend(on);  // fails on a pseudo-terminal; not an error
        m_port->clearError();
    }
}

void SerialPortControl::setOutput(const QString& text)
{
    if (!m_port->isOpen()) throw TermivoError(QStringLiteral("Operation valid only when the port is open"));
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) bytes.append(c.unicode() < 128 ? char(c.unicode()) : '?');
    if (m_port->write(bytes) != bytes.size()) {
        const QString why = m_port->errorString();
        m_port->clearError();
        throw TermivoError(QStringLiteral("Serial write error: %1").arg(why));
    }
    m_port->flush();
}

QString SerialPortControl::Input()
{
    if (!m_port->isOpen()) return {};
    return QString::fromLatin1(m_port->readAll());
}

qint64 SerialPortControl::InBufferCount() const
{
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}
