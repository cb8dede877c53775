// The full read of a device's parameter set (request, reply, binding into the sheet)
// with the device emulator, over loopback TCP and over a pseudo-terminal paced at
// 9600 baud. The serial read is compared with the time its reply takes on the wire
// (960 bytes a second, 8N1); the LAN read should take a few milliseconds.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "config/paramsession.h"
#include "link/devicelink.h"
#include "platform/dialogs.h"
#include "support/devsim.h"

namespace {

const QString kLanAddress = QStringLiteral("127.77.0.2");

// One full read into a fresh sheet; answers the reply's bytes on the wire ("$" and "#" included).
qint64 fullRead(benchmark::State& state, DeviceLink& link, Device_Rec& dev)
{
    ParameterSheet sheet;
    QString reply;
    const ParamExchange exchange = [&](const QString& cmd) { return reply = link.Write2Dev(cmd, dev); };
    if (!readFullSet(sheet, exchange, link.observer(), clockOf(QDateTime::currentDateTime(), ShamsiCalendar::Official),
                     false))
        state.SkipWithError(("no parameter set: " + reply.left(80).toStdString()).c_str());
    return reply.size() + 2;
}

void LanFullRead(benchmark::State& state, DeviceLink& link)
{
    Device_Rec dev;
    dev.ID = QStringLiteral("a");
    dev.IP = kLanAddress;
    for (auto _ : state) fullRead(state, link, dev);
}

void SerialFullRead(benchmark::State& state, DeviceLink& link)
{
    Device_Rec dev;
    dev.ID = QStringLiteral("b");
    dev.IP = QStringLiteral("COM1");
    qint64 bytes = 0, elapsed = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        bytes = fullRead(state, link, dev);
        elapsed += clock.nsecsElapsed();
    }
    const double wireSeconds = double(bytes) / 960.0;
    const double seconds = double(elapsed) / 1e9 / double(state.iterations());
    state.counters["reply_bytes"] = double(bytes);
    state.counters["reply_wire_s"] = wireSeconds;
    state.counters["x_reply_wire"] = seconds / wireSeconds;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SilentDialogs silent;
    setDialogs(&silent);
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    StopRequest stop;
    LinkSettings settings;
    settings.portsRoot = root;
    settings.tries = 3;
    settings.replyWaitMs = settings.connectWaitMs = 500;
    DeviceLink link(stop, settings);
    LinkObserver quiet;  // shows nothing
    link.setObserver(&quiet);
    DevSim sim;
    if (!sim.start(QStringLiteral("seed 3\ndevice id=a link=%1\ndevice id=b link=COM1\n").arg(kLanAddress), root)) {
        std::fprintf(stderr, "the emulator did not start: %s\n", sim.output().toUtf8().constData());
        return 1;
    }
    benchmark::RegisterBenchmark("LanFullRead", LanFullRead, std::ref(link))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(50);
    benchmark::RegisterBenchmark("SerialFullRead", SerialFullRead, std::ref(link))
        ->Unit(benchmark::kSecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sim.stop();
    link.setObserver(nullptr);
    setDialogs(nullptr);
    return 0;
}
