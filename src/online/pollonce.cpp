#include "online/pollonce.h"

#include <csignal>

#include <QHash>

#include "app/calendar.h"
#include "app/commandline.h"
#include "app/outputtarget.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "link/devicelink.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/textfile.h"

namespace {

extern "C" void stopPollOnSignal(int)
{
    StopFlag = 1;
}

const char* kUsage = "usage: termivo --poll-once [--root DIR] [--format text|prometheus] [--out FILE]\n";

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
class ConsoleHost : public ProgramPollHost, private ConsoleDialogs
{
public:
    QString exchange(const QString& command, Device_Rec& device) override
    {
        m_current = &device;
        DeviceTrace& t = m_traces[&device];
        t.messages << m_pending;
        m_pending.clear();
        QString reply;
        try {
            reply = deviceLink().Write2Dev(command, device);
        } catch (const std::exception& e) {
            if (command == kReadingCommand) t.error = errorText(e);
            throw;
        }
        if (command == kReadingCommand) t.reply = reply;
        return reply;
    }
    bool connectLan(Device_Rec& device) override
    {
        m_current = &device;  // what the connection shows belongs to this device
        if (deviceLink().connectLan(device.IP)) return true;
        if (!stopRequested()) message(linktext::cannotConnect(device.IP));
        return false;
    }
    bool windowShowing() const override { return false; }
    void setTimerEnabled(bool) override {}
    void showMessageLogIfAny() override {}
    void logLine(const QString& line) override { clockLines << line; }
    void outageLine(const QString&) override {}  // told after the sweep, one line a device
    void hourlyRefresh() override {}
    void setCaption(const QString&) override {}
    void readingChanged(int) override {}

    // The messages of the link during the sweep are kept with the device they concern.
    Dialogs& sweepDialogs() { return *this; }
    DeviceTrace trace(const Device_Rec& device) const { return m_traces.value(&device); }

    QStringList clockLines;

private:
    void message(const QString& text) override
    {
        if (m_current)
            m_traces[m_current].messages << text;
        else
            m_pending << text;
    }
    void error(const QString& text) override { ConsoleDialogs::error(text); }

    const Device_Rec* m_current = nullptr;
    QStringList m_pending;
    QHash<const Device_Rec*, DeviceTrace> m_traces;
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

    ConsoleHost host;
    PollCycle poll(host, [] { return programNow(); });
    poll.setDevices(DevList, qMin(DevLast, kMaxDevices - 1));
    poll.checkClocks = Prog.TIMECHEAK == 1;
    poll.calendar = Prog.calendar;
    poll.arm();
    Dialogs& shownBefore = dialogs();
    setDialogs(&host.sweepDialogs());
    guarded([&] { poll.tick(); });
    setDialogs(&shownBefore);

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
        if (poll.answerOf(i) != DeviceAnswer::Answered) {
            allAnswered = false;
            err << pollFailureLine(DevList[i], host.trace(DevList[i])) << "\n";
        }
    }
    err.flush();
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
            return kPollOnceNotWritten;
        }
    }
    return allAnswered ? kPollOnceOk : kPollOnceSilent;
}
