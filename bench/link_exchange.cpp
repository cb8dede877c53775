// A year of day-log exchanges (366 requests) with the device emulator, over loopback
// TCP at the default time-outs and over a pseudo-terminal paced at 9600 baud.
//
// The fixed waits of a LAN exchange (500 ms after each write) would make the LAN run
// take at least 183 s; the serial run is compared with the time its bytes take on the
// wire (960 bytes a second at 9600 baud, 8N1).
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "link/devicelink.h"
#include "link/framing.h"
#include "support/devsim.h"

namespace {

const QString kLanAddress = QStringLiteral("127.77.0.1");

QString dayCommand(int n)
{
    int month = 0, day = 0;
    Num2MonthDay(n, month, day);
    return QStringLiteral("ASetFullPara(\"GetLog\":{\"Day\":\"5,0,%1,%2\"})").arg(month).arg(day);
}

// Runs 366 day-log exchanges; answers the bytes on the wire (requests and replies).
qint64 yearOfDays(benchmark::State& state, DeviceLink& link, Device_Rec& dev, qint64* replyBytes)
{
    qint64 wire = 0, replies = 0;
    for (int n = 1; n <= 366; ++n) {
        const QString command = dayCommand(n);
        const QString reply = link.Write2Dev(command, dev);
        if (!reply.contains(QLatin1String("GetLog"))) {
            state.SkipWithError(("no day log: " + reply.toStdString()).c_str());
            break;
        }
        wire += buildFrame(command, dev.ID).size() + reply.size() + 2;  // "$" and "#" of the reply
        replies += reply.size() + 2;
    }
    if (replyBytes) *replyBytes = replies;
    return wire;
}

void LanYearOfDayLogs(benchmark::State& state, DeviceLink& link)
{
    Device_Rec dev;
    dev.ID = QStringLiteral("a");
    dev.IP = kLanAddress;
    for (auto _ : state) yearOfDays(state, link, dev, nullptr);
    state.counters["exchanges"] = 366;
    state.counters["fixed_wait_s"] = 183;
}

void SerialYearOfDayLogs(benchmark::State& state, DeviceLink& link)
{
    Device_Rec dev;
    dev.ID = QStringLiteral("b");
    dev.IP = QStringLiteral("COM1");
    qint64 wire = 0, replies = 0;
    QElapsedTimer clock;
    qint64 elapsed = 0;
    for (auto _ : state) {
        clock.start();
        wire = yearOfDays(state, link, dev, &replies);
        elapsed += clock.nsecsElapsed();
    }
    const double wireSeconds = double(wire) / 960.0, replySeconds = double(replies) / 960.0;
    const double seconds = double(elapsed) / 1e9 / double(state.iterations());
    state.counters["exchanges"] = 366;
    state.counters["wire_s"] = wireSeconds;
    state.counters["reply_wire_s"] = replySeconds;
    state.counters["x_wire"] = seconds / wireSeconds;
    state.counters["x_reply_wire"] = seconds / replySeconds;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    StopRequest stop;
    LinkSettings settings;
    settings.portsRoot = root;
    settings.tries = 3;
    settings.replyWaitMs = settings.connectWaitMs = 500;
    DeviceLink link(stop, settings);
    DevSim sim;
    if (!sim.start(QStringLiteral("seed 3\ndevice id=a link=%1\ndevice id=b link=COM1\n").arg(kLanAddress), root)) {
        std::fprintf(stderr, "the emulator did not start: %s\n", sim.output().toUtf8().constData());
        return 1;
    }
    benchmark::RegisterBenchmark("LanYearOfDayLogs", LanYearOfDayLogs, std::ref(link))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("SerialYearOfDayLogs", SerialYearOfDayLogs, std::ref(link))
        ->Unit(benchmark::kSecond)
        ->UseRealTime()
        ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sim.stop();
    return 0;
}
