// Online monitoring benchmark: a full sweep over 51 emulated LAN devices (wall time,
// the share spent connecting and in the link's fixed connection pauses, the longest
// stall of the event loop while it runs); drawing the online chart of 30 channels
// from their report files (loading included), the process's first drawing apart from
// the later ones; a timer tick with nothing due. Then the 51 devices read one after
// another ("parallel = 1") and side by side ("parallel = 8") in the same run: the
// all-devices download with nothing due that the online button runs first (it connects
// to every device), the full sweep that shows every reading, and the two together, the
// time from the online button to every device's reading; with the longest stall of
// the event loop. --chart-only leaves out the sweep,
// --unprepared the chart's preparation at the window's creation.
#include <algorithm>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "online/onlinechart.h"
#include "online/pollcycle.h"
#include "online/ui/onlineview.h"
#include "platform/dialogs.h"
#include "platform/eventpump.h"
#include "platform/textfile.h"
#include "support/devsim.h"

namespace {

// The poll's surroundings for the benchmark: the link itself, with the time spent
// opening and closing connections counted.
class TimedHost : public PollHost
{
public:
    explicit TimedHost(DeviceLink& link) : m_link(link) {}
    QString exchange(const QString& command, Device_Rec& device) override { return m_link.Write2Dev(command, device); }
    bool connectLan(Device_Rec& device) override
    {
        QElapsedTimer t;
        t.start();
        const bool connected = m_link.connectLan(device.IP);
        connectMs += double(t.nsecsElapsed()) / 1e6;
        return connected;
    }
    void disconnectLan() override
    {
        QElapsedTimer t;
        t.start();
        if (m_link.lanConnected()) m_link.disconnectLan();
        connectMs += double(t.nsecsElapsed()) / 1e6;
    }
    void pump() override { processPendingEvents(); }
    bool stopRequested() const override { return false; }
    bool windowShowing() const override { return false; }
    void setTimerEnabled(bool) override {}
    void showMessageLogIfAny() override {}
    void logLine(const QString& line) override { std::fprintf(stderr, "log: %s\n", line.toUtf8().constData()); }
    void hourlyRefresh() override {}
    void setCaption(const QString&) override {}
    void readingChanged(int) override { ++readings; }
    double connectMs = 0;
    int readings = 0;

private:
    DeviceLink& m_link;
};

// A host with nothing to do: the cost of the cycle's own decisions.
class IdleHost : public PollHost
{
public:
    QString exchange(const QString&, Device_Rec&) override { return {}; }
    bool connectLan(Device_Rec&) override { return true; }
    void disconnectLan() override {}
    void pump() override {}
    bool stopRequested() const override { return false; }
    bool windowShowing() const override { return true; }
    void setTimerEnabled(bool) override {}
    void showMessageLogIfAny() override {}
    void logLine(const QString&) override {}
    void hourlyRefresh() override {}
    void setCaption(const QString&) override {}
    void readingChanged(int) override {}
};

// The event loop's longest stall while alive (until stop): a 1 ms timer notes the
// gaps between its ticks.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longestMs = std::max(m_longestMs, double(m_gap.nsecsElapsed()) / 1e6);
            m_gap.restart();
        });
        m_timer.start();
        m_gap.start();
    }
    void stop() { m_timer.stop(); }
    double longestMs() const { return m_longestMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_gap;
    double m_longestMs = 0;
};

// Starts the emulator with 51 LAN devices of four channels and registers them under
// root after the settings lines given.
void startFleetOf51(DevSim& sim, const QString& root, QStringList registry)
{
    QStringList fleet{"seed 31", "pace off"};
    for (int n = 1; n <= 51; ++n) {
        const QString a = DevSim::lanAddress(n);
        fleet << QStringLiteral("device id=%1 link=%2 sensors=T,H,T,T").arg(DevSim::fleetId(n), a);
        registry << QStringLiteral("device  =D%1,%2,s1,s2,s3,s4,%3,T,lan,").arg(n).arg(a, DevSim::fleetId(n));
    }
    if (!sim.start(fleet.join('\n') + '\n', root)) {
        std::fprintf(stderr, "emulator did not start: %s\n", sim.output().toUtf8().constData());
        std::exit(1);
    }
    writeTextFile(root + "DeviceStatus.txt", registry);
}

void benchSweep()
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    DevSim sim;
    startFleetOf51(sim, root, {"timeout = 500,500,500"});
    setRootDirOverride(dir.path());
    ProgramState state;
    state.reset(root);
    DeviceLink link(state.stop);
    loadRegistry(state);

    LinkObserver quiet;
    link.setObserver(&quiet);
    TimedHost host(link);
    PollCycle poll(host, [] { return QDateTime::currentDateTime(); });
    poll.setDevices(state.DevList, state.DevLast);
    poll.checkClocks = true;
    poll.arm();

    StallProbe probe;
    QElapsedTimer wall;
    wall.start();
    poll.tick();
    const double wallMs = double(wall.nsecsElapsed()) / 1e6;
    probe.stop();

    std::printf("full sweep, 51 LAN devices, readings and clock checks: %.0f ms wall, %d readings shown\n", wallMs,
                host.readings);
    std::printf(
        "  connecting and the fixed connection pauses (Connect2Lan closes the open connection: 2 x 200 ms per device): "
        "%.0f ms "
        "(%.1f %%)\n",
        host.connectMs, 100.0 * host.connectMs / wallMs);
    std::printf("  longest stall of the event loop during the sweep: %.1f ms\n", probe.longestMs());
    link.setObserver(nullptr);
    sim.stop();
}

// The program's own poll host over the link, reading devicesInFlight devices at once.
class ProgramHost : public ProgramPollHost
{
public:
    using ProgramPollHost::ProgramPollHost;
    bool windowShowing() const override { return false; }
    void setTimerEnabled(bool) override {}
    void showMessageLogIfAny() override {}
    void logLine(const QString& line) override { std::fprintf(stderr, "log: %s\n", line.toUtf8().constData()); }
    void hourlyRefresh() override {}
    void setCaption(const QString&) override {}
    void readingChanged(int) override { ++readings; }
    int readings = 0;
};

class StderrLog : public MessageLogSink
{
public:
    void addLine(const QString& line) override { std::fprintf(stderr, "log: %s\n", line.toUtf8().constData()); }
};

void benchSideBySide(int parallel)
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    DevSim sim;
    startFleetOf51(sim, root, {"timeout = 500,500,500", QStringLiteral("parallel = %1").arg(parallel)});
    setRootDirOverride(dir.path());
    ProgramState state;
    state.reset(root);
    StderrLog log;
    state.messageLog = &log;
    DeviceLink link(state.stop);
    loadRegistry(state);
    LinkObserver quiet;
    link.setObserver(&quiet);

    StallProbe probe;
    QElapsedTimer wall;
    wall.start();
    // The registry was just loaded: every channel's ledger position is this hour, nothing is due.
    const AllDevicesResult download = runAllDevicesDownload(state, link);
    const double downloadMs = double(wall.nsecsElapsed()) / 1e6;
    ProgramHost host(link, state.stop);
    host.devicesInFlight = state.Prog.parallel;
    PollCycle poll(host, [] { return QDateTime::currentDateTime(); });
    poll.setDevices(state.DevList, state.DevLast);
    poll.checkClocks = true;
    poll.arm();
    poll.tick();
    const double totalMs = double(wall.nsecsElapsed()) / 1e6;
    probe.stop();
    std::printf(
        "parallel = %d, 51 LAN devices: download with nothing due %.0f ms (%d failed), sweep with readings "
        "and clock checks %.0f ms (%d readings shown), online button to every reading %.0f ms; longest "
        "stall of the event loop %.1f ms\n",
        parallel, downloadMs, download.failedDevices, totalMs - downloadMs, host.readings, totalMs, probe.longestMs());
    link.reset();
    link.setObserver(nullptr);
    sim.stop();
}

void benchChart(bool prepare)
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    QDir().mkpath(root + "3");
    std::vector<Device_Rec> devices(8);
    int n = 0;
    for (int i = 0; i < 8 && n < 30; ++i) {
        devices[i].ID = DevSim::fleetId(i + 1);
        for (int k = 0; k < 4 && n < 30; ++k, ++n) {
            devices[i].Sensor[k].Name = QStringLiteral("s%1").arg(k + 1);
            devices[i].Sensor[k].ChartIndex = n;
            // A full year: 365 day lines of 24 hours.
            QStringList lines{"$SenPara(0,1,TH,1,0,T,18.0,26.0,60,0,3,1):0,a"};
            for (int m = 1; m <= 12; ++m)
                for (int d = 1; d <= (m < 7 ? 31 : 30); ++d) {
                    QString codes;
                    for (int h = 0; h < 24; ++h) {
                        const int r = 1200 + (d * 7 + h * 3 + n) % 200;  // 20.0 .. 40.0 on a "T" sensor
                        codes += QChar(60 + r / 60);
                        codes += QChar(60 + r % 60);
                    }
                    lines << QStringLiteral("%1,%2,%3,3,0").arg(m).arg(d).arg(codes);
                }
            writeTextFile(root + QStringLiteral("3/%1%2_s%2.rep").arg(devices[i].ID).arg(k + 1), lines);
        }
    }
    const QList<OnlineChannel> channels = onlineChannels(devices.data(), int(devices.size()) - 1);
    // The chart as the online window makes it at its creation, prepared unless the
    // benchmark is asked to leave that out (--unprepared: the first drawing pays for it).
    QElapsedTimer made;
    made.start();
    QCustomPlot chart;
    chart.resize(1600, 900);
    if (prepare) prepareOnlineChart(&chart);
    const double madeMs = double(made.nsecsElapsed()) / 1e6;
    std::vector<double> ms, loadMs;
    double firstMs = 0, firstLoadMs = 0;
    for (int run = 0; run < 16; ++run) {
        QElapsedTimer t;
        t.start();
        const OnlineYears years = loadOnlineYears(root, 3, 5, channels);
        const double load = double(t.nsecsElapsed()) / 1e6;
        renderOnlineChart(&chart, onlineChartContent(channels, years, 3, 5));
        const double all = double(t.nsecsElapsed()) / 1e6;
        // The first drawing of the process is told apart from the warm ones.
        if (run == 0) {
            firstMs = all;
            firstLoadMs = load;
            continue;
        }
        loadMs.push_back(load);
        ms.push_back(all);
    }
    {
        QElapsedTimer t;
        t.start();
        QList<QStringList> all;
        for (const auto& c : channels)
            all << readTextFile(root + QStringLiteral("3/%1%2_%3.rep").arg(c.deviceId).arg(c.sensor + 1).arg(c.name))
                       .lines;
        const double readMs = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        for (const auto& l : all) {
            auto y = std::make_unique<ReportYear>();
            loadReportYear(*y, l, 5);
        }
        std::printf("reading the files %.1f ms, loading their lines %.1f ms\n", readMs, double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(loadMs.begin(), loadMs.end());
    std::sort(ms.begin(), ms.end());
    std::printf("online chart of 30 channels, one year file each, loaded and drawn (1600 x 900):\n");
    std::printf("  the chart made as the window makes it%s: %.1f ms\n",
                prepare ? " (prepared with a sample drawing)" : " (not prepared)", madeMs);
    std::printf("  first drawing of the process: %.1f ms (loading %.1f ms of it)\n", firstMs, firstLoadMs);
    std::printf("  later drawings: median %.1f ms (loading %.1f ms of it), worst %.1f ms of %zu runs\n",
                ms[ms.size() / 2], loadMs[loadMs.size() / 2], ms.back(), ms.size());
}

void benchIdleTick()
{
    Device_Rec devices[3];
    for (auto& d : devices) d.Sensor[0].Name = "x";
    IdleHost host;
    const QDateTime fixed(QDate(2024, 8, 1), QTime(12, 30));
    PollCycle poll(host, [&] { return fixed; });  // NOLINT(performance-no-automatic-move): a capture, copied each call
    poll.setDevices(devices, 2);
    poll.arm();
    poll.tick();  // the sweep
    const int ticks = 200000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < ticks; ++i) poll.tick();
    std::printf("a tick with nothing due: %.0f ns\n", double(t.nsecsElapsed()) / ticks);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentDialogs silent;
    setDialogs(&silent);
    const QStringList args = app.arguments();
    benchIdleTick();
    benchChart(!args.contains(QStringLiteral("--unprepared")));
    if (!args.contains(QStringLiteral("--chart-only"))) {
        benchSweep();
        benchSideBySide(1);
        benchSideBySide(8);
    }
    return 0;
}
