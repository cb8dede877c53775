#include "link/devicelink.h"

#include <QCoreApplication>

#include "app/programstate.h"
#include "link/framing.h"
#include "link/linkkind.h"
#include "link/portfinder.h"
#include "link/replies.h"
#include "link/serialtransport.h"
#include "link/tcptransport.h"
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
const QString kReadyStatus = QStringLiteral("Ready");
const QString kNoAnswerStatus = QStringLiteral("پاسخی از دستگاه نرسید");
const QString kLinkFailedStatus = QStringLiteral("ارتباط با دستگاه برقرار نشد");
const QString kStoppedStatus = QStringLiteral("متوقف شد");
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

// The longest reply kept, as for the serial line: a device that never ends its reply
// does not fill the memory.
constexpr qsizetype kMaxReplyBytes = 1 << 20;

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

DeviceLink::DeviceLink(const StopRequest& stop, LinkSettings settings, QObject* parent)
    : QObject(parent), m_stop(stop), m_settings(std::move(settings)), m_observer(&m_console), m_MSComm1(this)
{
}

DeviceLink::~DeviceLink() = default;

void DeviceLink::setObserver(LinkObserver* o)
{
    m_observer = o ? o : &m_console;
}

// Long work was asked to stop (Cancel, closing a window, SIGINT or SIGTERM): every
// wait of the link ends at once.
bool DeviceLink::stopRequested() const
{
    return m_stop.requested();
}

// ---------------------------------------------------------------- transports

void DeviceLink::setTransportFactory(TransportFactory factory)
{
    if (m_serial) m_serial->close();
    if (m_lan) m_lan->close();
    m_serial.reset();
    m_lan.reset();
    m_factory = std::move(factory);
}

std::unique_ptr<LinkTransport> DeviceLink::makeTransport(LinkKind kind)
{
    if (m_factory) return m_factory(kind);
    if (kind == LinkKind::Serial) return std::make_unique<SerialTransport>(m_MSComm1);
    return std::make_unique<TcpTransport>(kLanPort);
}

LinkTransport& DeviceLink::serial()
{
    if (!m_serial) {
        m_serial = makeTransport(LinkKind::Serial);
        m_serial->onArrival = [this] { takeSerialArrival(); };
        m_serial->onLost = [this](const QString& why) { m_serialLost = why; };
        m_serial->stopRequested = [this] { return stopRequested(); };
    }
    return *m_serial;
}

LinkTransport& DeviceLink::lan()
{
    if (!m_lan) {
        m_lan = makeTransport(LinkKind::Network);
        m_lan->stopRequested = [this] { return stopRequested(); };
    }
    return *m_lan;
}

// ---------------------------------------------------------------- the exchange

QString DeviceLink::exchange(const QString& request, Device_Rec& device)
{
    if (m_busy) return {};  // an exchange is already waiting: do not start a second one
    m_busy = true;
    struct Release
    {
        bool& flag;
        ~Release() { flag = false; }
    } release{m_busy};
    BusyCursor cursor(observer());

    if (device.ID.isEmpty() || device.IP.isEmpty()) {
        observer().message(linktext::kChooseDevice);
        return {};
    }
    observer().statusText(QStringLiteral("Sending..."));
    const QString frame = buildFrame(request, device.ID);
    observer().sendLine(frame);
    // The status line ends on what the exchange came to, never on "Sending...".
    m_answered = false;
    QString reply;
    try {
        reply = isSerialLinkText(device.IP) ? serialExchange(frame, device) : lanExchange(frame, device);
    } catch (...) {
        observer().statusText(stopRequested() ? linktext::kStoppedStatus : linktext::kLinkFailedStatus);
        throw;
    }
    observer().statusText(m_answered        ? linktext::kReadyStatus
                          : stopRequested() ? linktext::kStoppedStatus
                                            : linktext::kNoAnswerStatus);
    return reply;
}

void DeviceLink::ensureSerialPortFor(const QString& link)
{
    // The open port must be the device's own: a port opened for another device is
    // closed first, so that a frame never goes to the wrong line. So is a port whose
    // name now stands for another device (its link made anew after the port went
    // away, or made while another port of that name was open): it is opened again.
    LinkTransport& port = serial();
    if (port.isUp()) {
        const int wanted = namesComPort(link) ? FindNumber(link.toUpper()) : -1;
        if ((wanted > 0 && wanted != FindNumber(port.address())) || m_MSComm1.namesAnotherDevice()) port.close();
    }
    if (port.isUp()) return;
    // A port that cannot be opened ends the exchange with its message as the error:
    // the caller tells it where its run reports, and unattended work goes on.
    // With no port list at all, that is said first.
    const PortOpening opening = PortFinder(*this).FindComPortAndOpen(link);
    if (opening.failed)
        throw LinkError(opening.noPortList ? linktext::kNoControlPanel + QLatin1Char('\r') + linktext::kCannotOpenPort
                                           : linktext::kCannotOpenPort);
}

QString DeviceLink::serialExchange(const QString& frame, const Device_Rec& Device1)
{
    m_serialLost.clear();
    ensureSerialPortFor(Device1.IP);
    observer().waitLabel(WaitLabel::Port, Device1.IP);
    // A port that goes away ends the exchange with a link error; it was closed, so
    // the next exchange opens it again.
    auto lost = [&] {
        return LinkError(
            QCoreApplication::translate("Termivo", "The serial port %1 went away: %2").arg(Device1.IP, m_serialLost));
    };
    const QByteArray bytes = asciiBytes(frame);
    QString reply;
    for (int attempt = 0; attempt < qMax(1, m_settings.serialAttempts); ++attempt) {
        try {
            serial().send(bytes);
        } catch (const TermivoError&) {
            if (!m_serialLost.isEmpty()) throw lost();
            throw;
        }
        reply = awaitSerialReply(m_settings.serialReplyTimeoutMs);
        if (!m_serialLost.isEmpty()) throw lost();
        // A complete reply ends the attempts; so does a structured one, whose "}#" the
        // receive event has already trimmed away.
        if (m_rxComplete || reply.contains(QLatin1String("}#")) || reply.contains(QLatin1String("Message")) ||
            CheckSum(reply) == 0) {
            m_answered = true;
            break;
        }
    }
    return reply;
}

QString DeviceLink::awaitSerialReply(int ms)
{
    m_RxBuffer.clear();
    m_RxDone = 0;
    m_rxComplete = false;
    // Characters of an earlier, late reply are not part of this one.
    serial().receive();
    const int steps = clampedWaitMs(ms) / 100 + 1;
    serial().wait([this] { return m_RxDone == 1 || stopRequested() || !m_serialLost.isEmpty(); }, steps * 100);
    if (m_RxDone == 1) return m_RxBuffer;
    return QStringLiteral("Time Out");
}

void DeviceLink::takeSerialArrival()
{
    const QString chunk = QString::fromLatin1(serial().receive());
    if (chunk.isEmpty()) return;
    if (stopRequested()) m_RxDone = 1;
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
    // Work asked to stop sends nothing more: the exchange answers empty text.
    if (stopRequested()) return {};
    // The exchange talks to the device it was given: a link open elsewhere (or not at
    // all) is replaced by one to Device1.IP. A failure is an error that reaches the
    // caller; an opening given up on a stop request is not one.
    if (!lanConnected() || lanHost() != Device1.IP) {
        QString why;
        if (!openLan(Device1.IP, connectWaitMs(), &why)) {
            if (stopRequested()) return {};
            throw LinkError(why);
        }
    }
    LinkTransport& link = lan();
    // A link closed or opened anew by a handler that runs during the wait is not this
    // exchange's link any more: the exchange ends as on a dropped connection.
    const int opening = m_lanOpenings;
    auto same = [&] { return m_lanOpenings == opening && link.isUp(); };
    QString line;
    const int wait =
        clampedWaitMs(qMax(0, clampedWaitMs(m_settings.replyWaitMs)) + clampedWaitMs(m_settings.lanReadTimeoutMs));
    // Whatever an earlier, late reply left behind is not the answer to this request:
    // it is dropped once, before the first send. What arrives after that is kept
    // across re-sends, so that a reply straddling a deadline is completed by its rest
    // instead of its rest being taken for the whole reply.
    link.receive();
    m_lanBuffer.clear();
    const QByteArray bytes = asciiBytes(frame);
    for (int attempt = 0; attempt < m_settings.tries; ++attempt) {
        if (!same()) throw LinkError(QStringLiteral("Connection Closed Gracefully."));
        link.send(bytes);
        bool dropped = false;
        bool overflow = false;
        link.wait(
            [&] {
                if (m_lanOpenings != opening) {
                    dropped = true;
                    return true;
                }
                m_lanBuffer += link.receive();
                if (m_lanBuffer.contains('#')) return true;
                if (m_lanBuffer.size() > kMaxReplyBytes) {
                    overflow = true;
                    return true;
                }
                if (!link.isUp()) {
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
                link.close();
                throw LinkError(QStringLiteral("The device at %1 sent more than %2 bytes without ending its reply; "
                                               "the connection was closed.")
                                    .arg(Device1.IP)
                                    .arg(kMaxReplyBytes));
            }
            if (dropped) throw LinkError(QStringLiteral("Connection Closed Gracefully."));
        }
        // A stop request ends the wait and the attempts left.
        if (!line.isEmpty() || stopRequested()) break;
    }
    QString reply = CleanStr(line);
    if (reply.contains(QLatin1String("Message"))) {
        m_answered = true;
        observer().message(reply);
        return {};
    }
    m_answered = !reply.isEmpty() && (CheckSum(reply) == 0 || reply.endsWith(QLatin1Char('}')));
    return reply;
}

// ---------------------------------------------------------------- network link

bool DeviceLink::openLan(const QString& address, int ms, QString* why)
{
    ++m_lanOpenings;
    LinkTransport& link = lan();
    if (link.open(address, ms)) return true;
    if (why) *why = link.error();
    return false;
}

int DeviceLink::connectWaitMs() const
{
    // A time-out of 0 or less would give up before trying: the settings file's default.
    return m_settings.connectWaitMs > 0 ? clampedWaitMs(m_settings.connectWaitMs) : kDefaultConnectWaitMs;
}

bool DeviceLink::lanConnected() const
{
    return m_lan && m_lan->isUp();
}

QString DeviceLink::lanHost() const
{
    return m_lan ? m_lan->address() : QString();
}

bool DeviceLink::connectLan(const QString& address)
{
    BusyCursor cursor(observer());
    if (lanConnected()) {
        disconnectLan();
        lan().pause(m_settings.disconnectPauseMs);
    }
    processPendingEvents();
    QString why;
    if (openLan(address, connectWaitMs(), &why)) {
        observer().captionText(QStringLiteral("Status :Connected"));
        observer().waitLabel(WaitLabel::Status, QStringLiteral("Status:Connected"));
        observer().waitLabel(WaitLabel::Port, QStringLiteral("IP:") + address);
        m_linkPending = false;
        return true;
    }
    observer().waitLabel(WaitLabel::Status, QStringLiteral("Status:Disconnected"));
    observer().captionText(QStringLiteral("Status :Disconnected"));
    observer().waitLabel(WaitLabel::Port, QStringLiteral("IP:") + address);
    return false;
}

void DeviceLink::pause(int ms)
{
    lan().pause(ms);
}

void DeviceLink::disconnectLan()
{
    ++m_lanOpenings;  // an exchange waiting on the link sees it gone
    lan().close();
    lan().pause(m_settings.disconnectPauseMs);
}

// ---------------------------------------------------------------- serial port

bool DeviceLink::openSerialPort(int number)
{
    m_MSComm1.setRootDir(m_settings.portsRoot);
    return serial().open(QStringLiteral("COM%1").arg(number), 0);
}

bool DeviceLink::serialPortUp()
{
    return serial().isUp();
}

void DeviceLink::setRequestToSend(bool on)
{
    serial().setRequestToSend(on);
}

void DeviceLink::closeLinks()
{
    if (serial().isUp()) serial().close();
    if (lanConnected()) {
        ++m_lanOpenings;
        lan().close();
    }
}

void DeviceLink::reset()
{
    setTransportFactory({});
    ++m_lanOpenings;
    if (m_MSComm1.PortOpen()) m_MSComm1.setPortOpen(false);
    m_MSComm1.setRTSEnable(false);
    LinkSettings fresh;
    fresh.portsRoot = m_settings.portsRoot;
    m_settings = fresh;
    m_linkPending = false;
    m_RxBuffer.clear();
    m_RxDone = 0;
    m_lanBuffer.clear();
}
