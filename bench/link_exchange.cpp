// A year of day-log exchanges (366 requests) with the device emulator, over loopback
// TCP at the default time-outs and over a pseudo-terminal paced at 9600 baud.
//
// The fixed waits of a LAN exchange (500 ms after each write) would make the LAN run
// take at least 183 s; the serial run is compared with the time its bytes take on the
// wire (960 bytes a second at 9600 baud, 8N1).
#include <benchmark/benchmark.h>
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/calendar.h"
#include "app/records.h"
#include "link/devicelink.h"
#include "link/framing.h"

namespace {

const QString kLanAddress = QStringLiteral("127.77.0.1");

QString dayCommand(int n)
{
    int month = 0, day = 0;
    Num2MonthDay(n, month, day);
    return QStringLiteral("ASetFullPara(\"GetLog\":{\"Day\":\"5,0,%1,%2\"})").arg(month).arg(day);
}

// Runs 366 day-log exchanges; answers the bytes on the wire (requests and replies).
qint64 yearOfDays(benchmark::State& state, Device_Rec& dev, qint64* replyBytes)
{
    qint64 wire = 0, replies = 0;
    for (int n = 1; n <= 366; ++n) {
        const QString command = dayCommand(n);
        const QString reply = deviceLink().Write2Dev(command, dev);
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

void LanYearOfDayLogs(benchmark::State& state)
{
    Device_Rec dev;
    dev.ID = QStringLiteral("a");
    dev.IP = kLanAddress;
    for (auto _ : state) yearOfDays(state, dev, nullptr);
    state.counters["exchanges"] = 366;
    state.counters["fixed_wait_s"] = 183;
}

void SerialYearOfDayLogs(benchmark::State& state)
{
    Device_Rec dev;
    dev.ID = QStringLiteral("b");
    dev.IP = QStringLiteral("COM1");
    qint64 wire = 0, replies = 0;
    QElapsedTimer clock;
    qint64 elapsed = 0;
    for (auto _ : state) {
        clock.start();
        wire = yearOfDays(state, dev, &replies);
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

BENCHMARK(LanYearOfDayLogs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(SerialYearOfDayLogs)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
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
    return 0;
}
