#include "link/devicelink.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

#include "link/framing.h"
#include "link/replies.h"
#include "platform/dialogs.h"
#include "platform/eventpump.h"
#include "platform/guardedconnect.h"

namespace linktext {
const QString kChooseDevice = QStringLiteral("لطفا ابتدا  دستگاه را انتخاب کنید");
const QString kCannotOpenPort = QStringLiteral("!نمی توانم پورت را باز کنم ") + QLatin1Char('\r') +
                                QStringLiteral("           :موارد زیر را بررسی نمایید ") + QLatin1Char('\r') +
                                QStringLiteral("   برنامه دیگری از پورت استفاده میکند؟ -") + QLatin1Char('\r') +
                                QStringLiteral("           برنامه دو بار اجرا شده است؟ -") + QLatin1Char('\r') +
                                QStringLiteral(" تنظیمات پورت به درستی انجام نشده است؟ -");
const QString kPortCannotOpen = QStringLiteral("امکان باز شدن این پورت وجود ندارد");
const QString kNoControlPanel = QStringLiteral("نمی توانم به کنترل پنل دسترسی پیدا کنم");
const QString kNoSerialPort = QLatin1Char('\r') + QStringLiteral("پورت سریالی شناسایی نشد") + QLatin1Char('\r') +
                              QStringLiteral("اگر از مبدل سریال استفاده میکنید ممکن است درست نصب نشده باشد") +
                              QLatin1Char('\r') + QStringLiteral("یا ممکن است سطح دسترسی شما محدود شده باشد");
const QString kPortsPresent = QStringLiteral("پورت های موجود در این کامپیوتر:");
const QString kSearchRequest = QStringLiteral("A{SetFullPara(\"BroadCast\":{\"Get\":\"\"}):153,a}#");
QString cannotConnect(const QString& ip)
{
    return QStringLiteral("نمی توانم به این دستگاه وصل شوم : ") + ip + QLatin1Char('\r') +
           QStringLiteral("لطفا تنظیمات شبکه را بررسی نمایید");
}
QString searchPortBusy(quint16 port, const QString& why)
{
    return QCoreApplication::translate("Termivo",
                                       "The device search cannot listen on UDP port %1 (%2). Another program may be "
                                       "holding the port: close it and search again.")
        .arg(port)
        .arg(why);
}
}  // namespace linktext

namespace {

ConsoleLinkObserver g_consoleObserver;

// The longest reply kept, as for the serial line: a device that never ends its reply
// does not fill the memory.
constexpr qsizetype kMaxReplyBytes = 1 << 20;
// Datagrams of the device search taken in one go: a flood of answers leaves the
// windows time to run between batches.
constexpr int kDatagramBatch = 64;

}  // namespace

int clampedWaitMs(int ms)
{
    return qBound(0, ms, kMaxWaitMs);
}

namespace {

// Busy cursor on for the lifetime of the guard, off in every case.
class BusyCursor
{
public:
    explicit BusyCursor(LinkObserver& o) : m_o(o) { m_o.busyCursor(true); }
    ~BusyCursor() { m_o.busyCursor(false); }

private:
    LinkObserver& m_o;
};

}  // namespace

DeviceLink::DeviceLink(QObject* parent)
    : QObject(parent), m_observer(&g_consoleObserver), m_MSComm1(this), m_searchAddress(QHostAddress::Broadcast)
{
    connectGuarded(&m_MSComm1, &SerialPortControl::OnComm, this, &DeviceLink::MSComm1Comm);
    connect(&m_MSComm1, &SerialPortControl::portLost, this, [this](const QString& why) { m_serialLost = why; });
    // The demo (and anyone who plays devices on this machine) points the search at a
    // loopback broadcast address.
    if (const QString a = qEnvironmentVariable("TERMIVO_SEARCH_ADDRESS"); !a.isEmpty()) m_searchAddress.setAddress(a);
    m_Timer1.setInterval(3000);
    connectGuarded(&m_Timer1, &QTimer::timeout, this, &DeviceLink::Timer1Timer);
}

DeviceLink::~DeviceLink()
{
    if (m_client) m_client->abort();
}

void DeviceLink::setObserver(LinkObserver* o)
{
    m_observer = o ? o : &g_consoleObserver;
}

// ---------------------------------------------------------------- the exchange

QString DeviceLink::Write2Dev(const QString& str1, Device_Rec& Device1)
{
    if (m_busy) return {};  // an exchange is already waiting: do not start a second one
    m_busy = true;
    struct Release
    {
        bool& flag;
        ~Release() { flag = false; }
    } release{m_busy};
    BusyCursor cursor(observer());

    if (Device1.ID.isEmpty() || Device1.IP.isEmpty()) {
        dialogs().message(linktext::kChooseDevice);
        return {};
    }
    observer().statusText(QStringLiteral("Sending..."));
    const QString frame = buildFrame(str1, Device1.ID);
    observer().sendLine(frame);
    if (Device1.IP.size() <= 6) return serialExchange(frame, Device1);
    return lanExchange(frame, Device1);
}

void DeviceLink::ensureSerialPortFor(const QString& link)
{
    // The open port must be the device's own: a port opened for another device is
    // closed first, so that a frame never goes to the wrong line.
    if (m_MSComm1.PortOpen()) {
        const QString upper = link.toUpper();
        int wanted = upper.contains(QLatin1String("COM")) ? FindNumber(upper) : -1;
        if (wanted > 0 && wanted != m_MSComm1.CommPort()) m_MSComm1.setPortOpen(false);
    }
    if (!m_MSComm1.PortOpen()) FindComPortAndOpen(link);
}

QString DeviceLink::serialExchange(const QString& frame, const Device_Rec& Device1)
{
    m_serialLost.clear();
    ensureSerialPortFor(Device1.IP);
    observer().waitLabel(WaitLabel::Port, Device1.IP);
    // A port that goes away ends the exchange with a link error; it was closed, so
    // the next exchange opens it again.
    auto lost = [&] {
        return LinkError(QStringLiteral("The serial port %1 went away: %2").arg(Device1.IP, m_serialLost));
    };
    QString reply;
    for (int attempt = 0; attempt < 4; ++attempt) {
        try {
            m_MSComm1.setOutput(frame);
        } catch (const TermivoError&) {
            if (!m_serialLost.isEmpty()) throw lost();
            throw;
        }
        reply = readComport(serialReplyTimeout, Device1);
        if (!m_serialLost.isEmpty()) throw lost();
        // A complete reply ends the attempts; so does a structured one, whose "}#" the
        // receive event has already trimmed away.
        if (m_rxComplete || reply.contains(QLatin1String("}#")) || reply.contains(QLatin1String("Message")) ||
            CheckSum(reply) == 0)
            break;
    }
    observer().statusText(QStringLiteral("Ready"));
    return reply;
}

QString DeviceLink::readComport(int t_Out, const Device_Rec& /*Device1*/)
{
    m_RxBuffer.clear();
    m_RxDone = 0;
    m_rxComplete = false;
    // Characters of an earlier, late reply are not part of this one.
    if (m_MSComm1.InBufferCount() > 0) m_MSComm1.Input();
    const int steps = clampedWaitMs(t_Out) / 100 + 1;
    waitUntil([this] { return m_RxDone == 1 || StopFlag == 1 || !m_serialLost.isEmpty(); }, steps * 100);
    if (m_RxDone == 1) return m_RxBuffer;
    return QStringLiteral("Time Out");
}

void DeviceLink::MSComm1Comm()
{
    const QString chunk = m_MSComm1.Input();
    if (chunk.isEmpty()) return;
    if (StopFlag == 1) m_RxDone = 1;
    // A line that sends without end between exchanges does not fill the memory.
    if (m_RxBuffer.size() > (1 << 20)) m_RxBuffer.clear();
    m_RxBuffer += chunk;
    if (chunk.contains(QLatin1Char('#'))) {
        if (m_RxBuffer.contains(QLatin1String("}#"))) {
            m_RxBuffer = CleanStr(m_RxBuffer);
            m_RxDone = 1;
            m_rxComplete = true;
        } else if (CheckSum(CleanStr(m_RxBuffer)) == 0 || m_RxBuffer.contains(QLatin1String("Message"))) {
            m_RxDone = 1;
            m_rxComplete = true;
        }
    }
    if (chunk == QLatin1String("$")) m_RxBuffer.clear();
}

QString DeviceLink::lanExchange(const QString& frame, Device_Rec& Device1)
{
    // The exchange talks to the device it was given: a client connected elsewhere (or
    // not at all) is replaced by one connected to Device1.IP. A failure is an error
    // that reaches the caller.
    if (!lanConnected() || lanHost() != Device1.IP) {
        QString why;
        const int ms = Prog.TimeOut3 > 0 ? clampedWaitMs(Prog.TimeOut3) : 1000;
        if (!connectClient(Device1.IP, ms, &why)) throw LinkError(why);
    }
    QPointer<QTcpSocket> client = m_client;
    QString line;
    const int wait = clampedWaitMs(qMax(0, clampedWaitMs(Prog.TimeOut2)) + clampedWaitMs(lanReadTimeout));
    // Whatever an earlier, late reply left behind is not the answer to this request:
    // it is dropped once, before the first send. What arrives after that is kept
    // across re-sends, so that a reply straddling a deadline is completed by its rest
    // instead of its rest being taken for the whole reply.
    if (client) client->readAll();
    m_lanBuffer.clear();
    for (int attempt = 0; attempt < Prog.tryCnt; ++attempt) {
        if (!client || client->state() != QAbstractSocket::ConnectedState)
            throw LinkError(QStringLiteral("Connection Closed Gracefully."));
        const QByteArray bytes = asciiBytes(frame);
        if (client->write(bytes) != bytes.size()) throw LinkError(client->errorString());
        client->flush();
        bool dropped = false;
        bool overflow = false;
        waitUntil(
            [&] {
                if (!client) {
                    dropped = true;
                    return true;
                }
                m_lanBuffer += client->readAll();
                if (m_lanBuffer.contains('#')) return true;
                if (m_lanBuffer.size() > kMaxReplyBytes) {
                    overflow = true;
                    return true;
                }
                if (client->state() != QAbstractSocket::ConnectedState) {
                    dropped = true;
                    return true;
                }
                return false;
            },
            wait);
        const qsizetype hash = m_lanBuffer.indexOf('#');
        if (hash >= 0) {
            line = QString::fromLatin1(m_lanBuffer.left(hash));
            m_lanBuffer.remove(0, hash + 1);
        } else {
            line.clear();
            if (overflow) {
                // A device that sends without end is not read further: the connection
                // is closed and the next exchange connects again.
                m_lanBuffer.clear();
                client->abort();
                throw LinkError(QStringLiteral("The device at %1 sent more than %2 bytes without ending its reply; "
                                               "the connection was closed.")
                                    .arg(Device1.IP)
                                    .arg(kMaxReplyBytes));
            }
            if (dropped) throw LinkError(QStringLiteral("Connection Closed Gracefully."));
        }
        if (!line.isEmpty()) break;
    }
    const QString reply = CleanStr(line);
    if (reply.contains(QLatin1String("Message"))) {
        dialogs().message(reply);
        return {};
    }
    if (!reply.isEmpty() && (CheckSum(reply) == 0 || reply.endsWith(QLatin1Char('}'))))
        observer().statusText(QStringLiteral("Ready"));
    return reply;
}

// ---------------------------------------------------------------- network link

QTcpSocket* DeviceLink::makeClient()
{
    if (m_client) {
        m_client->abort();
        m_client->deleteLater();
    }
    m_client = new QTcpSocket(this);
    return m_client;
}

bool DeviceLink::connectClient(const QString& ip, int ms, QString* why)
{
    QTcpSocket* client = makeClient();
    client->setProperty("termivoHost", ip);
    QHostAddress address;
    if (!address.setAddress(ip)) {
        if (why) *why = QStringLiteral("Invalid address: %1").arg(ip);
        return false;
    }
    client->connectToHost(address, kLanPort);
    QPointer<QTcpSocket> guard = client;
    waitUntil(
        [&] {
            return !guard || guard->state() == QAbstractSocket::ConnectedState ||
                   guard->state() == QAbstractSocket::UnconnectedState;
        },
        ms);
    if (guard && guard->state() == QAbstractSocket::ConnectedState) return true;
    if (why)
        *why = guard && guard->error() != QAbstractSocket::UnknownSocketError ? guard->errorString()
                                                                              : QStringLiteral("Connect timed out.");
    if (guard) guard->abort();
    return false;
}

bool DeviceLink::lanConnected() const
{
    return m_client && m_client->state() == QAbstractSocket::ConnectedState;
}

QString DeviceLink::lanHost() const
{
    return m_client ? m_client->property("termivoHost").toString() : QString();
}

bool DeviceLink::Connect2Lan(const QString& IP)
{
    BusyCursor cursor(observer());
    if (lanConnected()) {
        Mydisconnect();
        sleepPumping(200);
    }
    processPendingEvents();
    const int ms = Prog.TimeOut3 > 0 ? clampedWaitMs(Prog.TimeOut3) : 500;
    QString why;
    if (connectClient(IP, ms, &why)) {
        observer().captionText(QStringLiteral("Status :Connected"));
        observer().waitLabel(WaitLabel::Status, QStringLiteral("Status:Connected"));
        observer().waitLabel(WaitLabel::Port, QStringLiteral("IP:") + IP);
        LinkPending = false;
        return true;
    }
    dialogs().message(linktext::cannotConnect(IP));
    observer().waitLabel(WaitLabel::Status, QStringLiteral("Status:Disconnected"));
    observer().captionText(QStringLiteral("Status :Disconnected"));
    observer().waitLabel(WaitLabel::Port, QStringLiteral("IP:") + IP);
    return false;
}

void DeviceLink::Mydisconnect()
{
    if (m_client) {
        m_client->disconnectFromHost();
        m_client->abort();
        m_client->deleteLater();
        m_client = nullptr;
    }
    sleepPumping(200);
}

// ---------------------------------------------------------------- serial ports

QStringList DeviceLink::FindComPort(int /*Num*/)
{
    QStringList names;
    for (const SerialPortEntry& e : serialPortList(Prog.RootDir)) names << e.portName;
    return names;
}

int DeviceLink::FindComPort0()
{
    const QList<SerialPortEntry> ports = serialPortList(Prog.RootDir);
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

void DeviceLink::FindComPortAndOpen(const QString& Portnum)
{
    const QString text = Portnum.toUpper();
    if (!text.contains(QLatin1String("COM"))) return;
    int number = FindNumber(text);
    if (number == 0) number = FindComPort0();
    if (number <= 0) return;
    try {
        m_MSComm1.setRootDir(Prog.RootDir);
        m_MSComm1.setCommPort(number);
        m_MSComm1.setPortOpen(true);
    } catch (const TermivoError&) {
        dialogs().message(linktext::kCannotOpenPort);
    }
}

void DeviceLink::OpenPort2(const QString& strPort)
{
    if (m_MSComm1.PortOpen()) m_MSComm1.setPortOpen(false);
    if (lanConnected()) m_client->abort();
    if (strPort.size() >= 7) {
        SelDevice.IP = strPort;
        Connect2Lan(strPort);
        return;
    }
    const int number = FindNumber(strPort);
    if (number < 0) return;
    m_MSComm1.setCommPort(number);  // a number the control rejects is an error for the caller
    try {
        m_MSComm1.setRootDir(Prog.RootDir);
        m_MSComm1.setPortOpen(true);
        m_MSComm1.setRTSEnable(true);
        LinkPending = false;
    } catch (const TermivoError&) {
        dialogs().message(linktext::kPortCannotOpen);
    }
    SelDevice.IP.clear();
}

void DeviceLink::BtnShowComClick()
{
    const QStringList ports = FindComPort(1);
    if (ports.isEmpty()) {
        dialogs().message(linktext::kNoSerialPort);
        return;
    }
    QString text = linktext::kPortsPresent + QLatin1Char('\r');
    for (const QString& p : ports) text += p + QLatin1Char('\r');
    dialogs().message(text);
}

// ---------------------------------------------------------------- device search

void DeviceLink::Button2Click()
{
    if (!m_udpServer) {
        auto* server = new QUdpSocket(this);
        if (!server->bind(QHostAddress::AnyIPv4, m_searchPort,
                          QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
            // No listener, no answers: say so rather than search in vain; the next click tries again.
            const QString why = server->errorString();
            delete server;
            dialogs().message(linktext::searchPortBusy(m_searchPort, why));
            return;
        }
        m_udpServer = server;
        connectGuarded(m_udpServer, &QUdpSocket::readyRead, this, &DeviceLink::IdUDPServer1UDPRead);
    }
    observer().clearJson();
    observer().showReplies();
    if (!m_udpClient) m_udpClient = new QUdpSocket(this);
    m_udpClient->writeDatagram(asciiBytes(linktext::kSearchRequest), m_searchAddress, m_searchPort);
}

void DeviceLink::IdUDPServer1UDPRead()
{
    for (int n = 0; m_udpServer && m_udpServer->hasPendingDatagrams(); ++n) {
        if (n == kDatagramBatch) {
            // The rest after the windows had their turn.
            QTimer::singleShot(0, this, guardedHandler([this] { IdUDPServer1UDPRead(); }));
            return;
        }
        const QNetworkDatagram d = m_udpServer->receiveDatagram();
        QString text;
        for (const char c : d.data()) text.append(QChar(uchar(c) < 128 ? uchar(c) : uchar('?')));
        observer().showReplies();
        observer().jsonLine(text);
        emit datagramReceived(text);
    }
}

// ---------------------------------------------------------------- USSD answer poll

void DeviceLink::Timer1Timer()
{
    if (m_busy) return;  // a tick during an exchange does not start a second one
    ++UssdPollCount;
    if (UssdPollCount >= 10) m_Timer1.stop();
    const QString reply = Write2Dev(QStringLiteral("ASetFullPara(\"USSDResp\":{\"Read\":\"\"}"), SelDevice);
    const std::optional<QString> answer = ussdAnswer(reply);
    if (!answer) return;
    observer().ussdLine(*answer);
    Write2Dev(QStringLiteral("ASetFullPara(\"USSDResp\":{\"Reset\":\"\"})"), SelDevice);
    m_Timer1.stop();
}

void DeviceLink::reset()
{
    m_Timer1.stop();
    m_Timer1.setInterval(3000);
    UssdPollCount = 0;
    if (m_MSComm1.PortOpen()) m_MSComm1.setPortOpen(false);
    m_MSComm1.setRTSEnable(false);
    if (m_client) {
        m_client->abort();
        m_client->deleteLater();
        m_client = nullptr;
    }
    delete m_udpServer;
    m_udpServer = nullptr;
    delete m_udpClient;
    m_udpClient = nullptr;
    m_searchAddress = QHostAddress(QHostAddress::Broadcast);
    m_searchPort = kLanPort;
    if (const QString a = qEnvironmentVariable("TERMIVO_SEARCH_ADDRESS"); !a.isEmpty()) m_searchAddress.setAddress(a);
    LinkPending = false;
    lanReadTimeout = 500;
    serialReplyTimeout = 5000;
    m_RxBuffer.clear();
    m_RxDone = 0;
    m_lanBuffer.clear();
}

DeviceLink& deviceLink()
{
    static QPointer<DeviceLink> link;
    if (!link) link = new DeviceLink(QCoreApplication::instance());
    return *link;
}
