#include "support/devsim.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "app/programstate.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "platform/eventpump.h"
#include "support/fixtures.h"

DevSim::DevSim()
{
    m_proc.setProcessChannelMode(QProcess::MergedChannels);
}

DevSim::~DevSim()
{
    stop();
}

QString DevSim::fleetId(int n)
{
    // None of these is a registry separator, a frame character or a path separator.
    static const QString ids = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!%&*+-;<>?@[]^_");
    return ids.mid(n - 1, 1);
}

QString DevSim::lanAddress(int n)
{
    // 127.<pid high>.<pid low>.<n>: concurrent test processes get disjoint addresses.
    const unsigned pid = unsigned(::getpid());
    return QStringLiteral("127.%1.%2.%3").arg((pid >> 8) % 250 + 1).arg(pid % 256).arg(n);
}

QString DevSim::program()
{
    return QStringLiteral(TERMIVO_BINARY_DIR "/tools/devsim/termivo-devsim");
}

bool DevSim::start(const QString& fleetText, const QString& root, const QStringList& extraArgs)
{
    stop();
    m_output.clear();
    const QString fleet = root + QStringLiteral("devsim.fleet");
    {
        QFile f(fleet);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        f.write(fleetText.toUtf8());
    }
    m_proc.start(program(), QStringList{QStringLiteral("--fleet"), fleet, QStringLiteral("--root"), root} + extraArgs);
    if (!m_proc.waitForStarted(5000)) return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        const QString o = output();
        if (o.contains(QLatin1String("READY\n"))) return true;
        if (m_proc.state() != QProcess::Running) return false;
        m_proc.waitForReadyRead(100);
    }
    return false;
}

void DevSim::stop()
{
    if (m_proc.state() == QProcess::NotRunning) return;
    m_proc.terminate();
    if (!m_proc.waitForFinished(3000)) {
        m_proc.kill();
        m_proc.waitForFinished(3000);
    }
    output();
}

QString DevSim::output()
{
    m_output += QString::fromUtf8(m_proc.readAll());
    return m_output;
}

QStringList DevSim::requests(const QString& containing)
{
    if (m_proc.state() == QProcess::Running) m_proc.waitForReadyRead(1);
    QStringList out;
    for (const QString& line : output().split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("REQ "))) continue;
        const QString frame = line.section(QLatin1Char(' '), 2);
        if (containing.isEmpty() || frame.contains(containing)) out << frame;
    }
    return out;
}

bool DevSim::waitForRequests(int n, int ms, const QString& containing)
{
    QElapsedTimer clock;
    clock.start();
    while (requests(containing).size() < n) {
        if (clock.elapsed() > ms) return false;
        sleepPumping(5);
    }
    return true;
}

ShortReconnectPauses::ShortReconnectPauses()
{
    programState().retry.reconnectPauseMs = 5;
    changeLinkSettings(deviceLink(), [&](LinkSettings& s) { s.disconnectPauseMs = 5; });
}

ShortReconnectPauses::~ShortReconnectPauses()
{
    programState().retry = DownloadRetryPolicy{};
    changeLinkSettings(deviceLink(), [&](LinkSettings& s) { s.disconnectPauseMs = LinkSettings{}.disconnectPauseMs; });
}
