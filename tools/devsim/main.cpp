// termivo-devsim: plays a fleet of temperature and humidity logging devices for the
// program, its tests and its demo. LAN devices listen on their own loopback address at
// TCP port 54321; serial devices sit on pseudo-terminals linked as dosdevices/comN under
// a root folder; the device search is answered on a loopback broadcast address.
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include "devices.h"
#include "fleet.h"
#include "link/framing.h"

using namespace devsim;

namespace {

constexpr quint16 kPort = 54321;
constexpr int kBytesPerSecond = 960;  // 9600 baud, 8N1: ten bits a byte

void out(const QString& line)
{
    const QByteArray b = line.toUtf8();
    std::fprintf(stdout, "%s\n", b.constData());
    std::fflush(stdout);
}

// A chunk of a reply and the pause before it.
struct Chunk
{
    int delayMs = 0;
    QByteArray bytes;
};

struct Plan
{
    QList<Chunk> chunks;
    bool drop = false;
    int endlessMs = -1;  // >= 0: after the chunks, filler without end every endlessMs
    int vanishMs = -1;   // >= 0: the line goes away and comes back after vanishMs
};

// One line of a link (a TCP connection or a pseudo-terminal): cuts frames out of the
// incoming bytes and sends replies, paced or not.
class Line : public QObject
{
public:
    // A line lives as long as the simulator that owns it, or until it drops.
    explicit Line(QObject* owner) : QObject(owner) {}
    virtual void send(const QByteArray& bytes) = 0;
    virtual void drop() = 0;
    // The line goes away (a re-plugged adapter) and comes back after ms; a TCP line drops.
    virtual void vanish(int /*ms*/) { drop(); }

    // Sends the chunks of a plan in order, each after its pause.
    void play(const Plan& plan)
    {
        int at = 0;
        for (const Chunk& c : plan.chunks) {
            at += c.delayMs;
            if (at == 0)
                send(c.bytes);
            else
                QTimer::singleShot(at, this, [this, b = c.bytes] { send(b); });
        }
        if (plan.drop) QTimer::singleShot(at, this, [this] { drop(); });
        if (plan.vanishMs >= 0) vanish(plan.vanishMs);
        if (plan.endlessMs >= 0) {
            auto* filler = new QTimer(this);
            connect(filler, &QTimer::timeout, this, [this] { send(QByteArray(65536, 'x')); });
            filler->start(qMax(1, plan.endlessMs));
        }
    }
};

class Simulator : public QObject
{
public:
    explicit Simulator(Fleet fleet, QString root) : m_fleet(std::move(fleet)), m_root(std::move(root))
    {
        for (const DeviceConfig& d : m_fleet.devices) m_devices.push_back(std::make_unique<Device>(d, m_fleet.seed));
    }

    bool start();
    // The answer plan of the devices on a line to a frame.
    Plan respond(const QString& frame, const QList<Device*>& candidates);
    void onDatagram();

    Device* deviceById(const QString& id)
    {
        for (auto& d : m_devices)
            if (d->id() == id) return d.get();
        return nullptr;
    }

    const Fleet& fleet() const { return m_fleet; }

private:
    bool startLan(Device* d);
    bool startSerial(int com, const QList<Device*>& devices);

    Fleet m_fleet;
    QString m_root;
    std::vector<std::unique_ptr<Device>> m_devices;
    std::map<Device*, int> m_faultUsed;
    QUdpSocket* m_udp = nullptr;
};

class TcpLine : public Line
{
public:
    TcpLine(Simulator* sim, Device* dev, QTcpSocket* s) : Line(sim), m_sim(sim), m_dev(dev), m_sock(s)
    {
        s->setParent(this);
        connect(s, &QTcpSocket::readyRead, this, &TcpLine::onRead);
        connect(s, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    }
    void send(const QByteArray& bytes) override
    {
        if (m_sock->state() == QAbstractSocket::ConnectedState) m_sock->write(bytes);
    }
    void drop() override { m_sock->abort(); }

private:
    void onRead()
    {
        m_buf += m_sock->readAll();
        qsizetype hash;
        while ((hash = m_buf.indexOf('#')) >= 0) {
            const QString frame = QString::fromLatin1(m_buf.left(hash + 1));
            m_buf.remove(0, hash + 1);
            play(m_sim->respond(frame, {m_dev}));
        }
        if (m_buf.size() > 65536) m_buf.clear();
    }
    Simulator* m_sim;
    Device* m_dev;
    QTcpSocket* m_sock;
    QByteArray m_buf;
};

// Makes a pseudo-terminal linked as the serial port's name; false when it cannot.
using PtyOpener = std::function<bool(int& master, int& slave)>;

class PtyLine : public Line
{
public:
    PtyLine(Simulator* sim, QList<Device*> devs, int master, int slave, bool pace, PtyOpener reopen, QString linkPath)
        : Line(sim),
          m_sim(sim),
          m_devs(std::move(devs)),
          m_master(master),
          m_slave(slave),
          m_pace(pace),
          m_reopen(std::move(reopen)),
          m_linkPath(std::move(linkPath))
    {
        watch();
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        connect(&m_tick, &QTimer::timeout, this, &PtyLine::flushPaced);
    }
    ~PtyLine() override
    {
        if (m_master >= 0) ::close(m_master);
        if (m_slave >= 0) ::close(m_slave);
    }
    void send(const QByteArray& bytes) override
    {
        if (!m_pace) {
            writeAll(bytes);
            return;
        }
        if (m_queue.isEmpty()) {
            m_clock.start();
            m_sent = 0;
        }
        m_queue += bytes;
        flushPaced();
        if (!m_queue.isEmpty()) m_tick.start();
    }
    void drop() override {}
    void vanish(int ms) override
    {
        delete m_notifier;
        m_notifier = nullptr;
        m_queue.clear();
        m_tick.stop();
        ::close(m_master);
        ::close(m_slave);
        m_master = m_slave = -1;
        QFile::remove(m_linkPath);
        out(QStringLiteral("VANISHED %1").arg(m_linkPath));
        QTimer::singleShot(ms, this, [this] {
            if (!m_reopen(m_master, m_slave)) return;
            watch();
            out(QStringLiteral("BACK %1").arg(m_linkPath));
        });
    }

private:
    void watch()
    {
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &PtyLine::onRead);
    }
    void writeAll(const QByteArray& bytes)
    {
        if (m_master < 0) return;
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0) break;
            done += n;
        }
    }
    void flushPaced()
    {
        const qint64 due = m_clock.nsecsElapsed() * kBytesPerSecond / 1000000000LL + 1 - m_sent;
        if (due > 0 && !m_queue.isEmpty()) {
            const QByteArray now = m_queue.left(due);
            m_queue.remove(0, now.size());
            writeAll(now);
            m_sent += now.size();
        }
        if (m_queue.isEmpty()) m_tick.stop();
    }
    void onRead()
    {
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) return;
        m_buf.append(buf, n);
        qsizetype hash;
        while ((hash = m_buf.indexOf('#')) >= 0) {
            const QString frame = QString::fromLatin1(m_buf.left(hash + 1));
            m_buf.remove(0, hash + 1);
            play(m_sim->respond(frame, m_devs));
        }
        if (m_buf.size() > 65536) m_buf.clear();
    }

    Simulator* m_sim;
    QList<Device*> m_devs;
    int m_master, m_slave;
    bool m_pace;
    PtyOpener m_reopen;
    QString m_linkPath;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_sent = 0;
    QByteArray m_queue;
    QByteArray m_buf;
};

Plan Simulator::respond(const QString& frame, const QList<Device*>& candidates)
{
    static const QRegularExpression frameRe(QStringLiteral("A\\{(.*):(-?\\d+),([^,{}]*)\\}#$"),
                                            QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = frameRe.match(frame);
    if (!m.hasMatch()) {
        out(QStringLiteral("BAD %1").arg(frame));
        return {};
    }
    const QString body = m.captured(1), id = m.captured(3);
    Device* dev = nullptr;
    for (Device* d : candidates)
        if (d->id() == id) dev = d;
    out(QStringLiteral("REQ %1 %2").arg(dev ? id : QStringLiteral("?"), frame.mid(frame.indexOf(QLatin1String("A{")))));
    if (!dev) return {};  // a frame for another device: silence
    // A frame without a colon in its body carries a real checksum; a corrupt one is ignored.
    if (!body.contains(QLatin1Char(':')) && CheckSum(QStringLiteral("A{") + body) != m.captured(2).toInt()) return {};

    const FaultConfig& f = dev->config().fault;
    bool faulty = !f.kind.isEmpty() && (f.match.isEmpty() || frame.contains(f.match));
    if (faulty && f.count > 0) faulty = m_faultUsed[dev]++ < f.count;
    const QString kind = faulty ? f.kind : QString();

    Plan plan;
    if (kind == QLatin1String("silence")) return plan;
    if (kind == QLatin1String("drop")) {
        plan.drop = true;
        return plan;
    }
    if (kind == QLatin1String("raw")) {
        plan.chunks << Chunk{0, asciiBytes(f.text)};
        return plan;
    }
    if (kind == QLatin1String("chunks")) {
        bool first = true;
        for (const QString& c : f.text.split(QLatin1Char('|'))) {
            plan.chunks << Chunk{first ? 0 : f.ms, asciiBytes(c)};
            first = false;
        }
        return plan;
    }
    if (kind == QLatin1String("message")) {
        plan.chunks << Chunk{0, QByteArray("$Message: the device is busy, try again later#")};
        return plan;
    }
    if (kind == QLatin1String("vanish")) {
        plan.vanishMs = f.ms;
        return plan;
    }
    if (kind == QLatin1String("garbage")) {
        plan.chunks << Chunk{0, QByteArray("\x01\x7fzq%&!$@@x?#")};
        return plan;
    }
    std::optional<QString> reply = dev->answer(body, kind == QLatin1String("othersensor") ? 1 : 0, kind);
    if (!reply) return plan;
    QString text = *reply;
    if (kind == QLatin1String("badsum")) {
        static const QRegularExpression sum(QStringLiteral(":(\\d+),"));
        const QRegularExpressionMatch sm = sum.match(text);
        if (sm.hasMatch() && !text.startsWith(QLatin1String("${")))
            text.replace(sm.capturedStart(1), sm.capturedLength(1), QString::number(sm.captured(1).toInt() + 1));
        else
            text.replace(text.size() - 2, 1, QLatin1Char(']'));
    }
    if (kind == QLatin1String("linebreak")) {
        // A line break (and fault-text after it) inside the reply's last quoted field,
        // or before its end when it has none.
        qsizetype at = text.lastIndexOf(QLatin1Char('"'));
        if (at < 0) at = text.size() - 1;
        text.insert(at, QStringLiteral("\r\n") + f.text);
    }
    const QByteArray bytes = asciiBytes(text);
    if (kind == QLatin1String("late")) {
        // The first half after fault-ms, the rest fault-gap later.
        plan.chunks << Chunk{f.ms, bytes.left(bytes.size() / 2)} << Chunk{f.gapMs, bytes.mid(bytes.size() / 2)};
        return plan;
    }
    if (kind == QLatin1String("endless")) {
        // The start of the reply, then filler without "#" for as long as the line lasts.
        plan.chunks << Chunk{0, bytes.left(bytes.size() / 2)};
        plan.endlessMs = f.ms;
        return plan;
    }
    if (kind == QLatin1String("split")) {
        plan.chunks << Chunk{0, bytes.left(1)} << Chunk{f.ms, bytes.mid(1, bytes.size() - 2)}
                    << Chunk{f.ms, bytes.right(1)};
    } else {
        plan.chunks << Chunk{kind == QLatin1String("slow") ? f.ms : 0, bytes};
    }
    return plan;
}

bool Simulator::startLan(Device* d)
{
    auto* server = new QTcpServer(this);
    if (!server->listen(QHostAddress(d->config().link), kPort)) {
        out(QStringLiteral("ERROR cannot listen on %1:%2: %3")
                .arg(d->config().link)
                .arg(kPort)
                .arg(server->errorString()));
        return false;
    }
    connect(server, &QTcpServer::newConnection, this, [this, server, d] {
        while (QTcpSocket* s = server->nextPendingConnection()) new TcpLine(this, d, s);
    });
    return true;
}

bool Simulator::startSerial(int com, const QList<Device*>& devices)
{
    if (m_root.isEmpty()) {
        out(QStringLiteral("ERROR serial devices need --root"));
        return false;
    }
    QDir().mkpath(m_root + QStringLiteral("dosdevices"));
    const QString link = m_root + QStringLiteral("dosdevices/com%1").arg(com);
    PtyOpener open = [link](int& master, int& slave) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            out(QStringLiteral("ERROR cannot make a pseudo-terminal"));
            return false;
        }
        const QString slaveName = QString::fromLocal8Bit(::ptsname(master));
        // Holding the other side open keeps the line alive while the program has it closed.
        slave = ::open(slaveName.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B9600);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        QFile::remove(link);
        if (!QFile::link(slaveName, link)) {
            out(QStringLiteral("ERROR cannot link %1").arg(link));
            return false;
        }
        out(QStringLiteral("SERIAL %1 %2").arg(link.section(QLatin1Char('/'), -1).toUpper(), slaveName));
        return true;
    };
    int master = -1, slave = -1;
    if (!open(master, slave)) return false;
    new PtyLine(this, devices, master, slave, m_fleet.pace, open, link);
    return true;
}

bool Simulator::start()
{
    if (!isLoopbackAddress(m_fleet.searchAddress)) {
        out(QStringLiteral("ERROR the search address must be in 127.0.0.0/8"));
        return false;
    }
    std::map<int, QList<Device*>> serial;
    for (auto& d : m_devices) {
        const QString link = d->config().link;
        if (d->config().isLan()) {
            if (!isLoopbackAddress(link)) {
                out(QStringLiteral("ERROR %1 is not a loopback address").arg(link));
                return false;
            }
            if (!startLan(d.get())) return false;
            out(QStringLiteral("LAN %1 %2:%3").arg(d->id(), link).arg(kPort));
        } else {
            static const QRegularExpression com(QStringLiteral("^COM([1-9]\\d{0,2})$"),
                                                QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch m = com.match(link);
            if (!m.hasMatch()) {
                out(QStringLiteral("ERROR bad link %1").arg(link));
                return false;
            }
            serial[m.captured(1).toInt()] << d.get();
        }
    }
    for (const auto& [n, devs] : serial)
        if (!startSerial(n, devs)) return false;

    m_udp = new QUdpSocket(this);
    if (!m_udp->bind(QHostAddress::AnyIPv4, kPort, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
        out(QStringLiteral("WARNING no device search: %1").arg(m_udp->errorString()));
    connect(m_udp, &QUdpSocket::readyRead, this, &Simulator::onDatagram);
    return true;
}

void Simulator::onDatagram()
{
    while (m_udp->hasPendingDatagrams()) {
        const QNetworkDatagram dg = m_udp->receiveDatagram();
        const QString text = QString::fromLatin1(dg.data());
        if (!text.contains(QLatin1String("\"BroadCast\":{\"Get\""))) continue;
        out(QStringLiteral("SEARCH %1").arg(text));
        for (auto& d : m_devices)
            if (d->config().isLan())
                m_udp->writeDatagram(asciiBytes(d->searchReply()), QHostAddress(m_fleet.searchAddress), kPort);
    }
}

int g_signalPipe[2];  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): the signal handler writes it
void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

const char* const kHelp = R"(Plays a fleet of logging devices for Termivo.

Fleet file (--fleet), one item a line, "#" starts a comment:
  seed N                    seed of the generated hourly logs (default 1)
  search ADDRESS            loopback broadcast address the search is answered on
                            (default 127.255.255.255; must be in 127.0.0.0/8)
  pace on|off               pace serial replies at 9600 baud (default on)
  device KEY=VALUE ...      one device; values with blanks in double quotes
Device keys:
  id=ID                     device ID (required)
  link=ADDRESS|COMn         a loopback address (TCP port 54321) or a serial port,
                            linked as ROOT/dosdevices/comN to a pseudo-terminal;
                            several devices may share a serial port (told apart by ID)
  name=TEXT                 device name             type=TEXT  device type (TH)
  sensors=L,L,L,L           sensor type letters, "-" for none (default T,H,-,-)
  names=A,B,C,D             sensor names
  alarm=N                   alarm bits of the online reply
  ussd=TEXT                 the operator's answer; ussd-delay=MS until it is ready,
                            or ussd-polls=N: ready at the Nth read after a code
  since=DAYS                days of log before today (default 400)
  clock-offset=MIN          the device clock's offset from the computer's
  clock-at=YYYY-MM-DDTHH:MM the device clock stands at that moment (plus clock-offset)
  calendar=official|arithmetic
                            the Solar Hijri calendar the device's clock and log
                            follow (default official); a day it lacks (Esfand 30 of
                            a common year) is answered without readings
  readings=A,B,C,D          fixed reading texts (150.0 or -150.0: disconnected);
                            an empty one is generated
  reading-id=ID             the ID the reading reply names (a device not registered)
  reading-alarm=none        the reading reply has no "Alarm" member
  fault=KIND                silence | garbage | badsum | othersensor | slow | split |
                            chunks | raw | drop | message | late | linebreak |
                            endless | vanish
                            late: the first half of the reply after fault-ms, the
                              rest fault-gap ms later; linebreak: CR LF and fault-text
                              inside the reply's last quoted field; endless: the start
                              of the reply, then 64 KB of filler every fault-ms without
                              end; vanish: the serial port's pseudo-terminal goes away
                              and comes back (a new one, linked again) after fault-ms;
                            parameter set: notjson | nomain | reorder | badindex (the
                            full read), noconfirm (a change text neither applied nor
                            confirmed)
  fault-count=N             only the first N matching requests (default: all)
  fault-match=TEXT          only requests whose frame contains TEXT
  fault-ms=MS               delay of slow, late and vanish, gap of split and chunks,
                            pace of endless (default 50)
  fault-gap=MS              the gap of late (default 50)
  fault-text=TEXT           the reply of raw; the chunks of chunks, split at "|";
                            the text after the line break of linebreak

Output: "LAN id address:port" and "SERIAL COMn /dev/pts/N" per link, then "READY";
then "REQ id frame" for every request ("?" when no device has that ID) and
"SEARCH text" for every search. SIGTERM or SIGINT ends the run and removes the links.
)";

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("termivo-devsim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kHelp));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("fleet"), QStringLiteral("Fleet file."), QStringLiteral("file")});
    parser.addOption(
        {QStringLiteral("root"), QStringLiteral("Root folder for dosdevices/ links."), QStringLiteral("dir")});
    parser.addOption(
        {QStringLiteral("lan"), QStringLiteral("A LAN device (repeatable)."), QStringLiteral("id@address")});
    parser.addOption(
        {QStringLiteral("serial"), QStringLiteral("A serial device (repeatable)."), QStringLiteral("id@COMn")});
    parser.addOption({QStringLiteral("seed"), QStringLiteral("Seed of the logs."), QStringLiteral("n")});
    parser.addOption({QStringLiteral("search-address"), QStringLiteral("Loopback broadcast address of the search."),
                      QStringLiteral("address")});
    parser.addOption({QStringLiteral("no-pace"), QStringLiteral("Do not pace serial replies at 9600 baud.")});
    parser.addOption({QStringLiteral("print-day"),
                      QStringLiteral("Print the 48 codes a device holds now for a day, and exit."),
                      QStringLiteral("id,sensor,yy,month,day")});
    parser.process(app);

    Fleet fleet;
    try {
        if (parser.isSet(QStringLiteral("fleet"))) {
            QFile f(parser.value(QStringLiteral("fleet")));
            if (!f.open(QIODevice::ReadOnly)) {
                out(QStringLiteral("ERROR cannot read %1").arg(f.fileName()));
                return 2;
            }
            fleet = parseFleet(QString::fromUtf8(f.readAll()));
        }
    } catch (const std::exception& e) {
        out(QStringLiteral("ERROR %1").arg(QString::fromUtf8(e.what())));
        return 2;
    }
    for (const char* opt : {"lan", "serial"})
        for (const QString& v : parser.values(QLatin1String(opt))) {
            const qsizetype at = v.indexOf(QLatin1Char('@'));
            if (at <= 0) {
                out(QStringLiteral("ERROR bad --%1 %2").arg(QLatin1String(opt), v));
                return 2;
            }
            DeviceConfig d;
            d.id = v.left(at);
            d.link = v.mid(at + 1);
            fleet.devices << d;
        }
    if (parser.isSet(QStringLiteral("seed"))) fleet.seed = parser.value(QStringLiteral("seed")).toUInt();
    if (parser.isSet(QStringLiteral("search-address")))
        fleet.searchAddress = parser.value(QStringLiteral("search-address"));
    if (parser.isSet(QStringLiteral("no-pace"))) fleet.pace = false;
    QString root = parser.value(QStringLiteral("root"));
    if (!root.isEmpty() && !root.endsWith(QLatin1Char('/'))) root += QLatin1Char('/');

    Simulator sim(fleet, root);
    if (parser.isSet(QStringLiteral("print-day"))) {
        const QStringList f = parser.value(QStringLiteral("print-day")).split(QLatin1Char(','));
        Device* d = f.size() == 5 ? sim.deviceById(f[0]) : nullptr;
        if (!d) {
            out(QStringLiteral("ERROR --print-day needs id,sensor,yy,month,day of a device of the fleet"));
            return 2;
        }
        out(d->codesOf(f[1].toInt(), LogDay{f[2].toInt(), f[3].toInt(), f[4].toInt()}));
        return 0;
    }
    if (fleet.devices.isEmpty()) {
        out(QStringLiteral("ERROR no devices (use --fleet, --lan or --serial; see --help)"));
        return 2;
    }
    if (!sim.start()) return 1;

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* n = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(n, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        ::signal(SIGTERM, onSignal);
        ::signal(SIGINT, onSignal);
    }
    out(QStringLiteral("READY"));
    const int rc = app.exec();
    if (!root.isEmpty())
        for (const DeviceConfig& d : fleet.devices)
            if (!d.isLan()) QFile::remove(root + QStringLiteral("dosdevices/") + d.link.toLower());
    return rc;
}
