// The modes without windows stop on SIGTERM or SIGINT in whatever wait they are in:
// a device that does not answer, answers only half, or does not even take the
// connection, with time-outs far longer than the test waits. Each run ends with exit
// status 3 and leaves the ledger (and the poll's output file) as it was.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpSocket>

#include "app/calendar.h"
#include "app/ledger.h"
#include "download/unattended.h"
#include "online/pollonce.h"
#include "platform/eventpump.h"
#include "support/devsim.h"
#include "support/fixtures.h"

namespace {

// A device that never takes a connection: a listening socket whose one-place queue is
// already taken, so the kernel drops every further connection request unanswered.
class BlackHole
{
public:
    explicit BlackHole(const QString& address)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(54321);
        ::inet_pton(AF_INET, address.toLatin1().constData(), &a.sin_addr);
        m_ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(m_fd, 0) == 0;
        if (!m_ok) return;
        m_filler.connectToHost(address, 54321);
        m_ok = m_filler.waitForConnected(5000);
    }
    ~BlackHole()
    {
        m_filler.abort();
        if (m_fd >= 0) ::close(m_fd);
    }
    bool ok() const { return m_ok; }

private:
    int m_fd = -1;
    bool m_ok = false;
    QTcpSocket m_filler;
};

// Whether a connection to address:54321 is being tried (state SYN_SENT in the kernel's table).
bool connecting(const QString& address)
{
    in_addr a{};
    ::inet_pton(AF_INET, address.toLatin1().constData(), &a);
    const QString remote = QStringLiteral("%1:D431").arg(a.s_addr, 8, 16, QLatin1Char('0')).toUpper();
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 3 && QString::fromLatin1(f[2]) == remote && f[3] == "02") return true;
    }
    return false;
}

class StopTest : public RootFixture
{
};

TEST_F(StopTest, ASignalEndsEveryWaitWithStatus3AndWritesNothing)
{
    struct Case
    {
        const char* mode;
        const char* fault;  // the device's fault; empty: a device that never takes the connection
        int signal;
        int status;
    };
    const Case cases[] = {
        {"--download-all", "fault=silence", SIGTERM, kDownloadAllStopped},
        {"--download-all", "fault=late fault-ms=50 fault-gap=600000", SIGINT, kDownloadAllStopped},
        {"--download-all", "", SIGTERM, kDownloadAllStopped},
        {"--poll-once", "fault=slow fault-ms=600000", SIGTERM, kPollOnceStopped},
        {"--poll-once", "fault=silence", SIGINT, kPollOnceStopped},
        {"--poll-once", "", SIGINT, kPollOnceStopped},
    };
    // The waits are far longer than the test waits for the run to end: a stop that is
    // not heeded shows as a run still going.
    constexpr int kBoundMs = 20000;
    const QString address = DevSim::lanAddress(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 signal %3").arg(c.mode, c.fault).arg(c.signal).toStdString());
        DevSim sim;
        std::optional<BlackHole> hole;
        if (*c.fault) {
            ASSERT_TRUE(sim.start(QStringLiteral("pace off\ndevice id=A link=%1 sensors=T,H,-,- clock-at=%2 %3\n")
                                      .arg(address, fixedTestNowText(), c.fault),
                                  root()))
                << sim.output().toStdString();
        } else {
            hole.emplace(address);
            ASSERT_TRUE(hole->ok());
        }
        writeLines(path("DeviceStatus.txt"),
                   {"timeout = 500,600000,600000", "trycnt = 5", "device  =Lab," + address + ",Room,Hum,,,A,T,lan,"});
        const _SYSTEMTIME from =
            Date2Shamsi(fixedTestNow().date().addDays(-3), fixedTestNow(), ShamsiCalendar::Official);
        QStringList ledger{kLedgerHeader};
        for (int s = 0; s < 2; ++s)
            ledger << QStringLiteral("A,T,%1,0,%2,%3,%4,1,1,").arg(s).arg(from.wYear).arg(from.wMonth).arg(from.wDay);
        writeLines(path("last_refresh.txt"), ledger);
        const QByteArray ledgerBefore = readFileBytes(path("last_refresh.txt"));

        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TERMIVO_NOW"), fixedTestNowText());
        run.setProcessEnvironment(env);
        QStringList args{QString::fromLatin1(c.mode), "--root", root()};
        if (QLatin1String(c.mode) == QLatin1String("--poll-once")) args << "--out" << path("readings.txt");
        run.start(QStringLiteral(TERMIVO_BINARY_DIR "/termivo"), args);
        ASSERT_TRUE(run.waitForStarted());
        // The run is in its wait once the device saw the first request, or the connection is being tried.
        QElapsedTimer clock;
        clock.start();
        auto waiting = [&] { return *c.fault ? !sim.requests().isEmpty() : connecting(address); };
        while (!waiting() && clock.elapsed() < kBoundMs && run.state() == QProcess::Running) sleepPumping(10);
        ASSERT_TRUE(waiting()) << run.readAll().toStdString();
        ::kill(static_cast<pid_t>(run.processId()), c.signal);
        const bool ended = run.waitForFinished(kBoundMs);
        if (!ended) {
            run.kill();
            run.waitForFinished();
        }
        EXPECT_TRUE(ended) << "the stop was not heeded";
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), c.status) << run.readAllStandardError().toStdString();
        EXPECT_EQ(readFileBytes(path("last_refresh.txt")), ledgerBefore);
        EXPECT_FALSE(QFile::exists(path("readings.txt")));
        if (*c.fault) {
            EXPECT_EQ(sim.requests().size(), 1) << "requests sent after the stop";
        }
    }
}

}  // namespace
