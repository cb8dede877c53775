// Fleet catch-up benchmark: 51 emulated LAN devices with four named sensors each, 30
// days behind, over loopback, read one device after another ("parallel = 1") and side
// by side ("parallel = 8", the default) in the same run; then one serial device paced at 9600 baud, one sensor,
// 30 days. Prints the wall time of each run and the share spent in exchanges with the
// devices (connections included).
#include <cstdio>

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "app/calendar.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "link/linksettings.h"
#include "platform/textfile.h"
#include "support/devsim.h"

namespace {

class TimingObserver : public LinkObserver
{
public:
    void busyCursor(bool on) override
    {
        if (on && m_depth++ == 0) m_clock.start();
        if (!on && --m_depth == 0) busyMs += double(m_clock.nsecsElapsed()) / 1e6;
    }
    void sendLine(const QString&) override { ++frames; }
    // The day replies (the download shows each one); the device sends each with its
    // "$" ... "#" framing and line end.
    void rxLine(const QString& reply) override { replyChars += reply.size() + 4; }
    double busyMs = 0;
    long frames = 0;
    long replyChars = 0;

private:
    int m_depth = 0;
    QElapsedTimer m_clock;
};

class QuietLog : public MessageLogSink
{
public:
    void addLine(const QString& line) override { std::fprintf(stderr, "log: %s\n", line.toUtf8().constData()); }
};

struct Run
{
    double wallMs = 0;
    TimingObserver timing;
    AllDevicesResult result;
};

Run runFleet(const QStringList& fleet, const QStringList& registry, int sensorsPerDevice, int parallel = 1)
{
    Run run;
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    DevSim sim;
    if (!sim.start(fleet.join('\n') + '\n', root)) {
        std::fprintf(stderr, "emulator did not start: %s\n", sim.output().toUtf8().constData());
        std::exit(1);
    }
    setRootDirOverride(dir.path());
    ProgramState state;
    state.reset(root);
    DeviceLink link(state.stop);
    writeTextFile(root + "DeviceStatus.txt",
                  QStringList{"timeout = 500,500,500", QStringLiteral("parallel = %1").arg(parallel)} + registry);
    loadRegistry(state);
    const QDateTime now = QDateTime::currentDateTime();
    const _SYSTEMTIME from = Date2Shamsi(now.date().addDays(-30), now, state.Prog.calendar);
    QStringList ledger{kLedgerHeader};
    for (int i = 0; i <= state.DevLast; ++i)
        for (int s = 0; s < sensorsPerDevice; ++s)
            ledger << QStringLiteral("%1,T,%2,0,%3,%4,%5,1,1,")
                          .arg(state.DevList[i].ID)
                          .arg(s)
                          .arg(from.wYear)
                          .arg(from.wMonth)
                          .arg(from.wDay);
    writeTextFile(root + "last_refresh.txt", ledger);
    loadRegistry(state);
    link.setSettings(linkSettingsFrom(state.Prog));  // the settings file's waits, the ports under the root

    QuietLog log;
    state.messageLog = &log;
    link.setObserver(&run.timing);
    QElapsedTimer clock;
    clock.start();
    run.result = runAllDevicesDownload(state, link);
    run.wallMs = double(clock.nsecsElapsed()) / 1e6;
    link.setObserver(nullptr);
    link.reset();
    sim.stop();
    return run;
}

void print(const char* what, const Run& r)
{
    std::printf("%s: %.0f ms wall, %ld requests, %.0f ms in exchanges and connections (%.1f %%), %d failed devices\n",
                what, r.wallMs, r.timing.frames, r.timing.busyMs, 100.0 * r.timing.busyMs / r.wallMs,
                r.result.failedDevices);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    QStringList fleet{"seed 21"};
    QStringList registry;
    for (int n = 1; n <= 51; ++n) {
        const QString a = DevSim::lanAddress(n);
        const QString id = DevSim::fleetId(n);
        fleet << QStringLiteral("device id=%1 link=%2 sensors=T,H,T,T").arg(id, a);
        registry << QStringLiteral("device  =D%1,%2,s1,s2,s3,s4,%3,T,lan,").arg(n).arg(a, id);
    }
    const Run lan = runFleet(fleet, registry, 4);
    print("51 LAN devices x 4 sensors x 31 days, parallel = 1", lan);
    std::printf("  of which the fixed connection pauses: %d ms (2 x 200 ms per device)\n", 51 * 400);
    // Side by side the devices' exchanges overlap: only the wall time tells.
    const Run side = runFleet(fleet, registry, 4, 8);
    std::printf(
        "51 LAN devices x 4 sensors x 31 days, parallel = 8: %.0f ms wall, %ld requests, %d failed devices "
        "(%.1f x faster)\n",
        side.wallMs, side.timing.frames, side.result.failedDevices, lan.wallMs / side.wallMs);

    const Run serial = runFleet({"seed 22", "pace on", "device id=A link=COM1 sensors=T,-,-,-"},
                                {"device  =Serial,COM1,s1,,,,A,T,serial,"}, 1);
    print("1 serial device at 9600 baud x 1 sensor x 31 days", serial);
    // The device's replies are what the 9600 baud line paces (10 bits a character); the
    // header reply is left out of the count, so the ratio slightly overstates the overhead.
    const double wireMs = double(serial.timing.replyChars) * 10.0 / 9600.0 * 1000.0;
    std::printf("  day replies on the line: %ld characters, %.0f ms at 9600 baud; wall time is %.2f x that\n",
                serial.timing.replyChars, wireMs, serial.wallMs / wireMs);
    return 0;
}
