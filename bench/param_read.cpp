// The full read of a device's parameter set (request, reply, binding into the sheet)
// with the device emulator, over loopback TCP and over a pseudo-terminal paced at
// 9600 baud. The serial read is compared with the time its reply takes on the wire
// (960 bytes a second, 8N1); the LAN read should take a few milliseconds.
#include <benchmark/benchmark.h>
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/records.h"
#include "config/paramsession.h"
#include "link/devicelink.h"
#include "platform/dialogs.h"

namespace {

const QString kLanAddress = QStringLiteral("127.77.0.2");

// One full read into a fresh sheet; answers the reply's bytes on the wire ("$" and "#" included).
qint64 fullRead(benchmark::State& state, Device_Rec& dev)
{
    ParameterSheet sheet;
    QString reply;
    const ParamExchange exchange = [&](const QString& cmd) { return reply = deviceLink().Write2Dev(cmd, dev); };
    if (!readFullSet(sheet, exchange, deviceLink().observer(), QDateTime::currentDateTime(), false))
        state.SkipWithError(("no parameter set: " + reply.left(80).toStdString()).c_str());
    return reply.size() + 2;
}

void LanFullRead(benchmark::State& state)
{
    Device_Rec dev;
    dev.ID = QStringLiteral("a");
    dev.IP = kLanAddress;
    for (auto _ : state) fullRead(state, dev);
}

void SerialFullRead(benchmark::State& state)
{
    Device_Rec dev;
    dev.ID = QStringLiteral("b");
    dev.IP = QStringLiteral("COM1");
    qint64 bytes = 0, elapsed = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        bytes = fullRead(state, dev);
        elapsed += clock.nsecsElapsed();
    }
    const double wireSeconds = double(bytes) / 960.0;
    const double seconds = double(elapsed) / 1e9 / double(state.iterations());
    state.counters["reply_bytes"] = double(bytes);
    state.counters["reply_wire_s"] = wireSeconds;
    state.counters["x_reply_wire"] = seconds / wireSeconds;
}

BENCHMARK(LanFullRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);
BENCHMARK(SerialFullRead)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SilentDialogs silent;
    setDialogs(&silent);
    LinkObserver quiet;  // shows nothing
    deviceLink().setObserver(&quiet);
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    Prog.RootDir = root;
    Prog.tryCnt = 3;
    Prog.TimeOut1 = Prog.TimeOut2 = Prog.TimeOut3 = 500;
    deviceLink().setSettings(linkSettingsFrom(Prog));
    {
        QFile fleet(root + QStringLiteral("bench.fleet"));
        if (!fleet.open(QIODevice::WriteOnly)) return 1;
        fleet.write(QStringLiteral("seed 3\ndevice id=a link=%1\ndevice id=b link=COM1\n").arg(kLanAddress).toUtf8());
    }
    QProcess sim;
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(QStringLiteral(TERMIVO_BINARY_DIR "/tools/devsim/termivo-devsim"),
              {QStringLiteral("--fleet"), root + QStringLiteral("bench.fleet"), QStringLiteral("--root"), root});
    QByteArray out;
    while (!out.contains("READY\n") && sim.waitForReadyRead(10000)) out += sim.readAll();
    if (!out.contains("READY\n")) {
        std::fprintf(stderr, "the emulator did not start: %s\n", out.constData());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sim.terminate();
    sim.waitForFinished(3000);
    deviceLink().setObserver(nullptr);
    setDialogs(nullptr);
    return 0;
}
