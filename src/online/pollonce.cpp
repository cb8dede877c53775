#include "online/pollonce.h"

#include <csignal>

#include "app/calendar.h"
#include "app/commandline.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "link/devicelink.h"
#include "platform/errors.h"
#include "platform/textfile.h"

namespace {

extern "C" void stopPollOnSignal(int)
{
    StopFlag = 1;
}

const char* kUsage = "usage: termivo --poll-once [--root DIR] [--format text|prometheus] [--out FILE]\n";

// The poll's surroundings in a run without windows: the link directly, no timer,
// clock check lines collected, a device that cannot be reached told on standard error.
class ConsoleHost : public ProgramPollHost
{
public:
    explicit ConsoleHost(QTextStream& err) : m_err(err) {}
    QString exchange(const QString& command, Device_Rec& device) override
    {
        return deviceLink().Write2Dev(command, device);
    }
    void connectLan(const QString& ip) override { deviceLink().Connect2Lan(ip); }
    bool windowShowing() const override { return false; }
    void setTimerEnabled(bool) override {}
    void showMessageLogIfAny() override {}
    void logLine(const QString& line) override { clockLines << line; }
    void deviceFailed(const QString& line) override
    {
        m_err << "termivo: " << line << "\n";
        m_err.flush();
    }
    void hourlyRefresh() override {}
    void setCaption(const QString&) override {}
    void readingChanged(int) override {}

    QStringList clockLines;

private:
    QTextStream& m_err;
};

QString labelValue(const QString& v)
{
    QString out;
    for (const QChar c : v) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('"'))
            out += QStringLiteral("\\\"");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

QString channelLabels(const ChannelReading& c)
{
    return QStringLiteral("{device=\"%1\",channel=\"%2\",sensor=\"%3\"}")
        .arg(labelValue(c.deviceId))
        .arg(c.sensor + 1)
        .arg(labelValue(c.name));
}

}  // namespace

QStringList pollTextLines(const QList<ChannelReading>& channels, const QStringList& clockLines)
{
    QStringList lines;
    for (const ChannelReading& c : channels) lines << c.title();
    return lines + clockLines;
}

QString pollPrometheusText(const QList<ChannelReading>& channels, const QStringList& deviceIds,
                           const QList<DeviceAnswer>& answers)
{
    QString t;
    auto family = [&](const char* name, const char* help) {
        t += QStringLiteral("# HELP %1 %2\n# TYPE %1 gauge\n").arg(QLatin1String(name), QLatin1String(help));
    };
    family("termivo_reading", "Latest reading of a logging device's channel, in the sensor's unit.");
    for (const ChannelReading& c : channels) {
        if (!c.hasReading || c.disconnected) continue;
        if (const std::optional<double> v = readingValue(c.raw))
            t += QStringLiteral("termivo_reading%1 %2\n").arg(channelLabels(c)).arg(*v, 0, 'g', 15);
    }
    family("termivo_reading_alarm", "1 when the device reports the channel in alarm.");
    for (const ChannelReading& c : channels)
        if (c.hasReading)
            t += QStringLiteral("termivo_reading_alarm%1 %2\n").arg(channelLabels(c)).arg(c.alarm ? 1 : 0);
    family("termivo_reading_disconnected", "1 when the channel's sensor is disconnected (it reads +-150).");
    for (const ChannelReading& c : channels)
        if (c.hasReading)
            t +=
                QStringLiteral("termivo_reading_disconnected%1 %2\n").arg(channelLabels(c)).arg(c.disconnected ? 1 : 0);
    family("termivo_device_answered", "1 when the device answered the reading request of this sweep.");
    QStringList seen;
    for (int i = 0; i < deviceIds.size(); ++i) {
        // A device ID listed twice in the registry is one device.
        if (seen.contains(deviceIds[i])) continue;
        seen << deviceIds[i];
        const bool answered = answers.value(i) == DeviceAnswer::Answered;
        t += QStringLiteral("termivo_device_answered{device=\"%1\"} %2\n")
                 .arg(labelValue(deviceIds[i]))
                 .arg(answered ? 1 : 0);
    }
    return t;
}

int runPollOnce(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString format = QStringLiteral("text");
    QString outFile;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--poll-once")) continue;
        if (a == QLatin1String("--help")) {
            out << kUsage
                << "One sweep of the online poll without a window: every registered device's readings,\n"
                   "and its clock when the settings ask for clock checks.\n"
                   "Exit status: 0 every device answered, 1 a device did not answer, 2 bad command line,\n"
                   "3 stopped by a signal, 4 the registry could not be read.\n";
            return kPollOnceOk;
        }
        if (a == QLatin1String("--root") && i + 1 < args.size()) {
            if (const int status = useRootFolder(args[++i], QStringLiteral("--poll-once"), err)) return status;
        } else if (a == QLatin1String("--format") && i + 1 < args.size() &&
                   (args[i + 1] == QLatin1String("text") || args[i + 1] == QLatin1String("prometheus"))) {
            format = args[++i];
        } else if (a == QLatin1String("--out") && i + 1 < args.size()) {
            outFile = args[++i];
        } else {
            return commandUsageError(err, QStringLiteral("--poll-once"),
                                     QStringLiteral("unknown or incomplete argument \"%1\"").arg(a));
        }
    }

    resetProgramState();
    try {
        reportRegistryNotes(loadRegistry());
    } catch (const std::exception& e) {
        err << "termivo: " << errorText(e) << "\n";
        return kPollOnceNoRegistry;
    }

    LinkObserver quiet;  // standard output carries the readings only
    deviceLink().setObserver(&quiet);
    auto oldInt = std::signal(SIGINT, stopPollOnSignal);
    auto oldTerm = std::signal(SIGTERM, stopPollOnSignal);

    ConsoleHost host(err);
    PollCycle poll(host, [] { return programNow(); });
    poll.setDevices(DevList, qMin(DevLast, kMaxDevices - 1));
    poll.checkClocks = Prog.TIMECHEAK == 1;
    poll.calendar = Prog.calendar;
    poll.arm();
    guarded([&] { poll.tick(); });

    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    deviceLink().reset();
    deviceLink().setObserver(nullptr);
    if (StopFlag == 1) return kPollOnceStopped;

    QStringList ids;
    QList<DeviceAnswer> answers;
    bool allAnswered = true;
    for (int i = 0; i <= poll.lastDevice(); ++i) {
        ids << DevList[i].ID;
        answers << poll.answerOf(i);
        allAnswered = allAnswered && poll.answerOf(i) == DeviceAnswer::Answered;
    }
    const QString text =
        format == QLatin1String("prometheus")
            ? pollPrometheusText(poll.channels(), ids, answers)
            : pollTextLines(poll.channels(), host.clockLines).join(QLatin1Char('\n')) + QLatin1Char('\n');
    if (outFile.isEmpty()) {
        out << text;
        out.flush();
    } else {
        try {
            writeBytesAtomically(outFile, text.toUtf8());
        } catch (const std::exception& e) {
            err << "termivo: " << errorText(e) << "\n";
            return kPollOnceUsage;
        }
    }
    return allAnswered ? kPollOnceOk : kPollOnceSilent;
}
