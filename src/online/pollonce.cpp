#include "online/pollonce.h"

#include <csignal>
#include <mutex>

#include <QHash>
#include <QSet>

#include "app/calendar.h"
#include "app/commandline.h"
#include "app/outputtarget.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "link/devicelink.h"
#include "online/metrics.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/textfile.h"

namespace {

extern "C" void stopPollOnSignal(int)
{
    requestStopFromSignal();
}

const char* const kUsage = "usage: termivo --poll-once [--root DIR] [--format text|prometheus] [--out FILE]\n";

// What one device did in the sweep: its reading reply, the error its exchange ended
// with, the messages shown while it was polled.
struct DeviceTrace
{
    QString reply;
    QString error;
    QStringList messages;
};

// One line, whatever the line breaks of a message.
QString oneLine(const QString& text)
{
    return consoleText(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1Char(' ')).simplified();
}

// The line on standard error for a device that did not give its readings: what it did.
QString pollFailureLine(const Device_Rec& d, const DeviceTrace& t)
{
    QString why;
    if (!t.error.isEmpty()) {
        why = oneLine(t.error);
    } else if (t.reply.isEmpty()) {
        why = QStringLiteral("no answer");
        if (!t.messages.isEmpty()) why += QStringLiteral(" (") + oneLine(t.messages.join(QLatin1Char(' '))) + ')';
    } else if (const std::optional<DeviceReading> r = decodeReading(t.reply)) {
        why = QStringLiteral("the answer names another device, \"%1\"").arg(oneLine(r->id));
    } else {
        QString shownReply = oneLine(t.reply);
        for (QChar& c : shownReply)
            if (!c.isPrint()) c = QLatin1Char('?');
        why = QStringLiteral("an answer that is no reading: \"%1%2\"")
                  .arg(shownReply.left(60), shownReply.size() > 60 ? QStringLiteral("...") : QString());
    }
    return QStringLiteral("termivo: device %1 (%2, %3) gave no readings: %4").arg(d.ID, d.Name, d.IP, why);
}

// The poll's surroundings in a run without windows: the link directly, no timer,
// clock check lines collected, and what every device did, so that a device that
// gives no readings is told in one line on standard error after the sweep.
class ConsoleHost : public ProgramPollHost, public LinkObserver
{
public:
    using ProgramPollHost::ProgramPollHost;
    // Over the host's own link (one device after another) or a worker's (side by side).
    QString exchangeOn(DeviceLink& over, const QString& command, Device_Rec& device) override
    {
        const bool own = &over == &link();
        if (own) {
            m_current = &device;
            const std::lock_guard<std::mutex> lock(m_mutex);
            DeviceTrace& t = m_traces[&device];
            t.messages << m_pending;
            m_pending.clear();
        }
        QString reply;
        try {
            reply = over.Write2Dev(command, device);
        } catch (const std::exception& e) {
            if (command == kReadingCommand) {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_traces[&device].error = errorText(e);
            }
            throw;
        }
        if (command == kReadingCommand) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_traces[&device].reply = reply;
        }
        return reply;
    }
    bool connectOn(DeviceLink& over, Device_Rec& device) override
    {
        if (&over == &link()) m_current = &device;  // what the connection shows belongs to this device
        if (over.connectLan(device.IP)) return true;
        if (!over.stopRequested()) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_traces[&device].messages << linktext::cannotConnect(device.IP);
        }
        return false;
    }
    // A device read side by side hands its messages over just before it is done: they
    // wait, with no current device, and are attached to it then.
    void sweepDevices(Device_Rec* devices, int count, const std::function<void(int, PollExchange&)>& read,
                      const std::function<void(int)>& done) override
    {
        m_current = nullptr;
        ProgramPollHost::sweepDevices(devices, count, read, [&](int i) {
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_traces[&devices[i]].messages << m_pending;
                m_pending.clear();
            }
            m_current = nullptr;
            done(i);
        });
    }
    bool windowShowing() const override { return false; }
    void setTimerEnabled(bool) override {}
    void showMessageLogIfAny() override {}
    void logLine(const QString& line) override { clockLines << line; }
    void outageLine(const QString&) override {}  // told after the sweep, one line a device
    void hourlyRefresh() override {}
    void setCaption(const QString&) override {}
    void readingChanged(int) override {}

    DeviceTrace trace(const Device_Rec& device) const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_traces.value(&device);
    }

    QStringList clockLines;

    // The link's observer during the sweep: standard output carries the readings
    // only, and the link's messages are kept with the device they concern.
    void message(const QString& text) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_current)
            m_traces[m_current].messages << text;
        else
            m_pending << text;
    }

private:
    mutable std::mutex m_mutex;  // the traces are written by the devices read side by side
    const Device_Rec* m_current = nullptr;
    QStringList m_pending;
    QHash<const Device_Rec*, DeviceTrace> m_traces;
};

}  // namespace

QStringList pollTextLines(const QList<ChannelReading>& channels, const QStringList& clockLines)
{
    QStringList lines;
    for (const ChannelReading& c : channels) lines << c.title();
    return lines + clockLines;
}

QString pollPrometheusText(const PollSweep& sweep)
{
    QString t;
    const QList<ChannelReading>& channels = sweep.channels;
    auto labelsOf = [&](const ChannelReading& c, const MetricFamily& family = {}) {
        const PollSweep::Line& line = sweep.lines.value(c.device);
        return channelMetricLabels({c.deviceId, line.address, c.deviceName, c.sensor + 1, c.name}, family);
    };
    // A registry line that repeats another's ID and address repeats its series: only
    // the first one's are written.
    QSet<QString> seenLines;
    QList<int> channelsShown;
    for (int i = 0; i < channels.size(); ++i)
        if (!seenLines.contains(labelsOf(channels[i]))) {
            seenLines.insert(labelsOf(channels[i]));
            channelsShown << i;
        }

    // The readings, one family per quantity in the order of the families' first channels.
    QList<MetricFamily> families;
    QList<QStringList> samples;
    for (const int i : channelsShown) {
        const ChannelReading& c = channels[i];
        const MetricFamily& family = sweep.infos.value(i).family;
        qsizetype k = 0;
        while (k < families.size() && families[k].name != family.name) ++k;
        if (k == families.size()) {
            families << family;
            samples << QStringList();
        }
        if (!c.hasReading || c.disconnected) continue;
        if (const std::optional<double> v = readingValue(c.raw))
            samples[k] << sampleLine(family.name, labelsOf(c, family), QString::number(*v, 'g', 15));
    }
    for (qsizetype k = 0; k < families.size(); ++k) {
        if (samples[k].isEmpty()) continue;
        t += metricFamilyHeader(families[k], false) + samples[k].join(QString());
    }
    auto limits = [&](const MetricFamily& family, bool upper) {
        QString lines;
        for (const int i : channelsShown) {
            const ChannelMetricInfo& info = sweep.infos.value(i);
            if (const std::optional<double> v = upper ? info.upperLimit : info.lowerLimit)
                lines += sampleLine(family.name, labelsOf(channels[i]), QString::number(*v, 'g', 15));
        }
        if (!lines.isEmpty()) t += metricFamilyHeader(family, false) + lines;
    };
    limits(kLowerLimitFamily, false);
    limits(kUpperLimitFamily, true);
    auto flags = [&](const MetricFamily& family, bool ChannelReading::*flag) {
        QString lines;
        for (const int i : channelsShown)
            if (channels[i].hasReading)
                lines += sampleLine(family.name, labelsOf(channels[i]), QString::number(channels[i].*flag ? 1 : 0));
        if (!lines.isEmpty()) t += metricFamilyHeader(family, false) + lines;
    };
    flags(kAlarmFamily, &ChannelReading::alarm);
    flags(kDisconnectedFamily, &ChannelReading::disconnected);

    QString answered, lastAnswer;
    QSet<QString> seenDevices;
    for (const PollSweep::Line& line : sweep.lines) {
        const QString labels = deviceMetricLabels(line.id, line.address, line.name);
        if (seenDevices.contains(labels)) continue;
        seenDevices.insert(labels);
        answered += sampleLine(kDeviceAnsweredFamily.name, labels, QString::number(line.answered ? 1 : 0));
        if (line.answered && line.answeredAt.isValid())
            lastAnswer += sampleLine(kDeviceLastAnswerFamily.name, labels, metricSeconds(line.answeredAt));
    }
    if (!answered.isEmpty()) t += metricFamilyHeader(kDeviceAnsweredFamily, false) + answered;
    if (!lastAnswer.isEmpty()) t += metricFamilyHeader(kDeviceLastAnswerFamily, false) + lastAnswer;
    t += metricFamilyHeader(kPollTimestampFamily, false) +
         sampleLine(kPollTimestampFamily.name, QString(), metricSeconds(sweep.end));
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
                   "  --out FILE   replace FILE whole instead of printing: a new file or an existing regular\n"
                   "               file, not a FIFO or device, not the registry, the ledger or a report file\n"
                   "A device that gives no readings is told in one line on standard error.\n"
                   "Exit status: 0 every device answered, 1 a device did not answer or the output cannot be\n"
                   "written, 2 bad command line, 3 stopped by a signal, 4 the registry could not be read.\n";
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

    if (!outFile.isEmpty()) {
        try {
            checkOutputTarget(outFile);
        } catch (const std::exception& e) {
            err << "termivo: " << errorText(e) << "\n";
            return kPollOnceNotWritten;
        }
    }

    ProgramState state;
    state.reset(computeRootDir());
    try {
        reportRegistryNotes(loadRegistry(state));
    } catch (const std::exception& e) {
        err << "termivo: " << errorText(e) << "\n";
        return kPollOnceNoRegistry;
    }
    DeviceLink link(state.stop, linkSettingsFrom(state.Prog));  // the settings file's waits and tries

    ConsoleHost host(link, state.stop);
    link.setObserver(&host);
    host.devicesInFlight = state.Prog.parallel;
    PollCycle poll(host, [] { return programNow(); });
    poll.setDevices(state.DevList, qMin(state.DevLast, kMaxDevices - 1));
    poll.checkClocks = state.Prog.TIMECHEAK == 1;
    poll.calendar = state.Prog.calendar;
    poll.arm();
    {
        const SignalStopScope signalStop(state.stop);
        auto oldInt = std::signal(SIGINT, stopPollOnSignal);
        auto oldTerm = std::signal(SIGTERM, stopPollOnSignal);
        guarded([&] { poll.tick(); });
        std::signal(SIGINT, oldInt);
        std::signal(SIGTERM, oldTerm);
    }
    link.reset();
    link.setObserver(nullptr);
    if (state.stop.requested()) return kPollOnceStopped;

    PollSweep sweep;
    sweep.end = programNow();
    sweep.channels = poll.channels();
    bool allAnswered = true;
    for (int i = 0; i <= poll.lastDevice(); ++i) {
        const Device_Rec& d = state.DevList[i];
        sweep.lines << PollSweep::Line{d.ID, d.IP, d.Name, poll.answerOf(i) == DeviceAnswer::Answered,
                                       poll.answeredAt(i)};
        if (poll.answerOf(i) != DeviceAnswer::Answered) {
            allAnswered = false;
            err << pollFailureLine(d, host.trace(d)) << "\n";
        }
    }
    err.flush();
    QString text;
    if (format == QLatin1String("prometheus")) {
        // A channel's quantity and limits are those of its report file of the current year.
        const int yy = clockOf(sweep.end, state.Prog.calendar).wYear;
        for (const ChannelReading& c : sweep.channels)
            sweep.infos << channelMetricInfo(
                state.Prog.RootDir, yy, {c.deviceId, state.DevList[c.device].IP, c.deviceName, c.sensor + 1, c.name});
        text = pollPrometheusText(sweep);
    } else {
        text = pollTextLines(poll.channels(), host.clockLines).join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    if (outFile.isEmpty()) {
        out << text;
        out.flush();
    } else {
        try {
            writeBytesAtomically(outFile, text.toUtf8());
        } catch (const std::exception& e) {
            err << "termivo: " << errorText(e) << "\n";
            return kPollOnceNotWritten;
        }
    }
    return allAnswered ? kPollOnceOk : kPollOnceSilent;
}
