#include "download/download.h"

#include <array>
#include <optional>
#include <vector>

#include "app/calendar.h"
#include "app/channelclash.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "app/registry.h"
#include "download/replycheck.h"
#include "link/devicelink.h"
#include "link/linkkind.h"
#include "link/linkpool.h"
#include "link/replies.h"
#include "platform/safepath.h"
#include "platform/textfile.h"
#include "reports/dayline.h"
#include "reports/reportfile.h"

namespace {

void advanceAll(DownloadContext& ctx, int by)
{
    ctx.overallPosition += by;
    ctx.observer.waitBarPosition(WaitBar::All, ctx.overallPosition);
}

// Whether two-digit year yy lies before year now (by 1 to 49 years; a year "ahead"
// is a clock or ledger gone wrong, not a span to read through).
bool isEarlierYear(int yy, int now)
{
    const int back = ((now - yy) % 100 + 100) % 100;
    return back >= 1 && back <= 49;
}

bool isDue(const Sensor_Rec& s)
{
    return !s.Name.isEmpty() && (s.Last_ref.wMonth != s.Now_ref.wMonth || s.Last_ref.wDay != s.Now_ref.wDay ||
                                 s.Last_ref.wHour != s.Now_ref.wHour);
}

}  // namespace

const QString kStoppedByUserText = QStringLiteral("دریافت اطلاعات به درخواست کاربر متوقف شد");

QString deviceLogLabel(const Device_Rec& device)
{
    const QString where = QStringLiteral("ID %1, %2").arg(device.ID, device.IP);
    return device.Name.isEmpty() ? where : QStringLiteral("%1 (%2)").arg(device.Name, where);
}

QString logTimeText(const QDateTime& at, ShamsiCalendar calendar)
{
    const ShamsiDate d = toShamsi(at.date(), calendar);
    return QStringLiteral("%1/%2/%3 %4").arg(d.year).arg(d.month).arg(d.day).arg(at.time().toString(u"HH:mm:ss"));
}

QString deviceLogLine(const QDateTime& at, ShamsiCalendar calendar, const Device_Rec& device, const QString& text)
{
    return QStringLiteral("%1 %2: %3").arg(logTimeText(at, calendar), deviceLogLabel(device), text);
}

QString oneLogLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString downloadOutcomeText(int sensorsRead, int failedDevices, bool stopped)
{
    if (stopped) return kStoppedByUserText;
    QString text = QStringLiteral("دریافت اطلاعات پایان یافت: %1 سنسور خوانده شد").arg(sensorsRead);
    if (failedDevices > 0) text += QStringLiteral("، %1 دستگاه ناموفق").arg(failedDevices);
    return text;
}

QString headerRequest(int senNum)
{
    return QStringLiteral("ASenPara(0,%1)").arg(senNum);
}

QString dayRequest(int year, int senNum, int month, int day)
{
    return QStringLiteral("ASetFullPara(\"GetLog\":{\"Day\":\"%1,%2,%3,%4\"})")
        .arg(year)
        .arg(senNum)
        .arg(month)
        .arg(day);
}

DownloadContext programDownloadContext(ProgramState& state, DeviceLink& link)
{
    return DownloadContext{
        link,
        link.observer(),
        state.log(),
        [&state] { return state.stop.requested(); },
        [] { return programNow(); },
        [&state] {
            return ExchangeCounts{state.Prog.CntSent, state.Prog.CntRecive};
        },
        ReportDestination{state.Prog.RootDir, QString()},
        state.journal,
        state.retry,
        state.Prog.calendar,
        0,
        {},
        state.Prog.parallel,
    };
}

int downloadSensorSpan(DownloadContext& ctx, Device_Rec device, int senNum)
{
    DeviceLink& link = ctx.link;
    LinkObserver& obs = ctx.observer;
    const Sensor_Rec& S = device.Sensor[senNum];

    const int first = MonthDay2Num(S.Last_ref.wMonth, S.Last_ref.wDay);
    int last = MonthDay2Num(S.Now_ref.wMonth, S.Now_ref.wDay);
    // The span runs to the end of the year when it wraps past it, and when it starts
    // in an earlier year (a ledger more than a year old): that year is read whole.
    if (last < first || isEarlierYear(S.Last_ref.wYear, S.Now_ref.wYear)) last = 366;
    const int year = S.Last_ref.wYear;
    const int wholeYear = fullShamsiYear(year, toShamsi(ctx.now().date(), ctx.calendar).year);

    const QString header = link.Write2Dev(headerRequest(senNum), device);
    obs.waitLabel(WaitLabel::Status,
                  device.Connection.contains(QLatin1String("wireless")) ? QStringLiteral("Wireless") : QString());
    // Only a header confirming the sensor is stored (not the tail of a late reply).
    if (!isSensorHeader(header)) return 0;

    QStringList lines{header};
    obs.waitBarRange(WaitBar::Day, first, last);
    obs.showWait(true);

    int resume = first;
    int lastGood = first - 1;
    int failures = 0;
    int result = 0;
    for (;;) {
        for (int day = resume; day <= last; ++day) {
            obs.waitBarPosition(WaitBar::Day, day);
            int month = 0;
            int dom = 0;
            Num2MonthDay(day, month, dom);
            const QString reply = link.Write2Dev(dayRequest(year, senNum, month, dom), device);
            const ExchangeCounts counts = ctx.counts();
            obs.waitLabel(WaitLabel::Cnt, QStringLiteral("%1,%2").arg(counts.sent).arg(counts.received));
            obs.rxLine(reply);
            // A reply for another sensor or another day (a late answer to an earlier
            // request), or one whose fields are not what a day is (a line break among
            // the codes would forge a second day line), is a failed day.
            const std::optional<DayReply> good = parseDayReply(reply);
            if (good && good->isFor(senNum, month, dom)) {
                // Esfand 30 of a common year is asked for all the same (a device on
                // another calendar may hold it), but its answer without a single
                // reading is no day of the year and is not stored.
                if (!good->holdsNoReading() || dom <= daysInShamsiMonth(wholeYear, month, ctx.calendar))
                    lines << formatDayLine(good->dayLine());
                result = 1;
                resume = day;
                // Only a day not read before is progress: the day a new pass starts
                // with was read by the pass before, and counting it would let a day
                // that always fails be retried for ever.
                if (day > lastGood) {
                    lastGood = day;
                    failures = 0;
                }
                if (ctx.stopRequested()) break;
            } else {
                ++failures;
                result = 0;
                obs.reportLine(QStringLiteral("Retrying%1").arg(day));
                break;
            }
        }
        if (result == 1 || ctx.stopRequested() || !hasDottedAddress(device.IP)) break;
        link.pause(ctx.retry.reconnectPauseMs);
        if (ctx.stopRequested()) break;
        // A connection that fails again is told by the failing exchanges that follow.
        link.connectLan(device.IP);
        if (ctx.stopRequested() || failures >= ctx.retry.maxFailedPasses) break;
    }
    if (result == 1)
        appendReportLines(ctx.files, S.parent, S.Last_ref.wYear, lines, DownloadedChannel{device.ID, senNum + 1},
                          ctx.journal);
    return result;
}

Device_Rec downloadDevice(DownloadContext& ctx, Device_Rec device, const QString& loc, DeviceDownloadResult& r,
                          bool perChannelYear)
{
    LinkObserver& obs = ctx.observer;
    // A line of the message log about this device, with the time.
    const auto logLine = [&](const QString& text) {
        ctx.log.addLine(deviceLogLine(ctx.now(), ctx.calendar, device, text));
    };
    const auto failDevice = [&] {
        advanceAll(ctx, 3);
        r.failed = true;
        obs.reportLine(QStringLiteral("Error in read device with this ID:") + device.ID);
    };
    // A stop request is no fault of the device: the run says it was stopped.
    const auto stopped = [&] {
        r.stopped = true;
        logLine(kStoppedByUserText);
        obs.reportLine(kStoppedByUserText);
    };
    try {
        if (hasDottedAddress(device.IP) && !ctx.link.connectLan(device.IP)) {
            if (ctx.stopRequested()) {
                stopped();
                return device;
            }
            // The device fails at once: every exchange would try the same connection
            // again and wait as long for it.
            if (ctx.personWaiting)
                ctx.personWaiting->cannotConnect(linktext::cannotConnect(device.IP));
            else
                logLine(oneLogLine(linktext::cannotConnect(device.IP)));
            failDevice();
            return device;
        }
        for (int k = 0; k < 4; ++k) {
            Sensor_Rec& S = device.Sensor[k];
            if (!isDue(S)) continue;
            try {
                S.parent = perChannelYear ? reportFilePath(loc, S.Last_ref.wYear, device.ID, k + 1, S.Name)
                                          : caseInsensitivePath(loc + reportFileName(device.ID, k + 1, S.Name));
            } catch (const ReportPathError& e) {
                // A name that would put the file outside its folder: the channel is refused.
                advanceAll(ctx, 3);
                r.failed = true;
                logLine(e.text());
                obs.reportLine(e.text());
                continue;
            }
            obs.reportLine(QStringLiteral("reading ") + S.Name + QLatin1Char(' ') + device.ID + QString::number(k + 1) +
                           QStringLiteral(" data ..."));
            int got = 0;
            try {
                got = downloadSensorSpan(ctx, device, k);
            } catch (const FileError& e) {
                // The device answered but its records could not be stored: say which
                // file and why; the channel keeps its position and the others go on.
                advanceAll(ctx, 3);
                r.failed = true;
                const QString text = QStringLiteral("Channel %1: %2").arg(k + 1).arg(e.text());
                logLine(text);
                obs.reportLine(QStringLiteral("Channel %1 of device %2 (ID %3): %4")
                                   .arg(k + 1)
                                   .arg(device.Name, device.ID, e.text()));
                continue;
            }
            // A channel cut short by a stop request is neither read nor failed.
            if (got != 1 && ctx.stopRequested()) {
                stopped();
                break;
            }
            if (got == 1) {
                advanceAll(ctx, 1);
                ++r.sensorsRead;
                S.Visit = true;
                obs.reportLine(QStringLiteral("OK"));
                const QDateTime now = ctx.now();
                _SYSTEMTIME t = clockOf(now, ctx.calendar);
                if (S.Last_ref.wYear != t.wYear) {
                    // The channel's year was read to its end: the next run starts the
                    // year after it (this one, unless the ledger was older).
                    if (isEarlierYear(S.Last_ref.wYear, t.wYear))
                        t.wYear = static_cast<uint16_t>((S.Last_ref.wYear + 1) % 100);
                    t.wMonth = 1;
                    t.wDay = 1;
                    t.wHour = 1;
                    r.yearChanged = true;
                }
                S.Last_ref = t;
                S.Now_ref = t;
            } else {
                logLine(QStringLiteral("نتوانستم با این دستگاه ارتباط بر قرار کنم Device ID =") + device.ID);
                failDevice();
                break;
            }
        }
    } catch (const std::exception& e) {
        r.failed = true;
        obs.reportLine(errorText(e));
        const QString text =
            QStringLiteral("Software can not connect to ") + device.Name + QStringLiteral(" in :") + device.IP;
        if (ctx.stopRequested())
            stopped();
        else if (ctx.personWaiting)
            ctx.personWaiting->linkBroken(text);
        else
            logLine(text + QStringLiteral(" (") + oneLogLine(errorText(e)) + QLatin1Char(')'));
    }
    return device;
}

void startOverallProgress(LinkObserver& observer, int maximum)
{
    observer.waitBarRange(WaitBar::All, 0, maximum);
    observer.waitBarPosition(WaitBar::All, 0);
}

AllDevicesResult downloadFleet(DownloadContext& ctx, std::span<Device_Rec> devices, const FleetDownloadInputs& inputs)
{
    AllDevicesResult out;
    LinkObserver& obs = ctx.observer;
    const QDateTime now = ctx.now();
    const _SYSTEMTIME t = clockOf(now, ctx.calendar);
    for (Device_Rec& d : devices) {
        for (auto& s : d.Sensor) {
            s.Now_ref = t;
            s.LastRef = true;
            if (!s.Name.isEmpty()) ++out.dueSensors;
        }
    }
    // Lines of the registry and the ledger that could not be read, and channels that
    // would write another one's file: reported once after each load, failures of every run.
    for (const QString& line : inputs.notes) {
        ctx.log.addLine(line);
        obs.reportLine(line);
    }
    out.skippedLines = inputs.skippedLines;
    removeStaleTemporaryFiles(ctx.files.rootDir);

    ctx.overallPosition = 0;
    obs.startRun();
    obs.waitBarRange(WaitBar::All, 0, out.dueSensors);
    obs.waitBarPosition(WaitBar::All, 0);
    obs.showWait(true);
    bool stopLogged = false;

    // A channel whose position is unknown, or whose file belongs to another channel, is
    // not read: it is passed to the device's download without a name.
    const int count = int(devices.size());
    QList<PoolDevice> pooled;
    std::vector<std::array<bool, 4>> heldBack(static_cast<std::size_t>(count), {false, false, false, false});
    std::vector<Device_Rec> work(devices.begin(), devices.end());
    for (int i = 0; i < count; ++i) {
        pooled << PoolDevice{devices[i].IP, devices[i].ID};
        for (int s = 0; s < 4; ++s) {
            heldBack[i][s] = !work[i].Sensor[s].Name.isEmpty() && inputs.heldBack && inputs.heldBack(i, s);
            if (heldBack[i][s]) work[i].Sensor[s].Name.clear();
        }
    }
    std::vector<DeviceDownloadResult> results(static_cast<std::size_t>(count));
    LinkPool pool(ctx.link, ctx.stopRequested, obs, ctx.log, ctx.devicesInFlight);
    const bool sideBySide = pool.sideBySide();
    // The overall bar of a device read side by side moves when the device ends.
    std::vector<int> positions(static_cast<std::size_t>(count), 0);
    const auto read = [&](int i, DeviceSlot& slot) {
        if (!sideBySide) {
            obs.waitBarPosition(WaitBar::Day, 0);
            work[i] = downloadDevice(ctx, work[i], ctx.files.rootDir, results[i], true);
            return;
        }
        DownloadContext own{slot.link,  slot.observer, slot.log,    ctx.stopRequested, ctx.now,
                            ctx.counts, ctx.files,     ctx.journal, ctx.retry,         ctx.calendar};
        own.personWaiting = ctx.personWaiting;
        work[i] = downloadDevice(own, work[i], ctx.files.rootDir, results[i], true);
        positions[i] = own.overallPosition;
    };
    const auto done = [&](int i) {
        for (int s = 0; s < 4; ++s)
            if (heldBack[i][s]) work[i].Sensor[s].Name = devices[i].Sensor[s].Name;
        devices[i] = work[i];
        const DeviceDownloadResult& r = results[i];
        if (r.failed) ++out.failedDevices;
        if (r.yearChanged) out.yearChanged = true;
        out.sensorsRead += r.sensorsRead;
        if (r.sensorsRead > 0) ++out.devicesRead;
        if (r.stopped) stopLogged = true;
        if (positions[i] > 0) advanceAll(ctx, positions[i]);
    };
    const auto progress = [&](int ended, const QList<int>& reading) {
        QStringList names;
        for (const int i : reading) names << deviceLogLabel(devices[i]);
        obs.fleetProgress(ended, count, names);
    };
    pool.run(pooled, read, done, progress);
    out.stopped = ctx.stopRequested();
    // A stop that came between two devices: the run says so once.
    if (out.stopped && !stopLogged) {
        ctx.log.addLine(logTimeText(ctx.now(), ctx.calendar) + QLatin1Char(' ') + kStoppedByUserText);
        obs.reportLine(kStoppedByUserText);
    }
    // Without a registered device there is nothing to write: the ledger stays as it is.
    if (!out.stopped && !devices.empty() && inputs.writeLedger) {
        try {
            inputs.writeLedger(out);
        } catch (const std::exception& e) {
            // What the run did stays counted: only the ledger is missing.
            out.ledgerError = errorText(e);
        }
    }
    obs.captionText(QStringLiteral("Complete"));
    obs.statusText(downloadOutcomeText(out.sensorsRead, out.failedDevices, out.stopped));
    obs.showWait(false);
    return out;
}

AllDevicesResult downloadAllDevices(ProgramState& state, DeviceLink& link)
{
    FleetDownloadInputs inputs;
    inputs.notes = takeUnreportedSkippedLines(state);
    inputs.skippedLines = lastSkippedLineCount(state);
    inputs.heldBack = [&state](int device, int sensor) {
        const Device_Rec& d = state.DevList[device];
        return reportFileClash(state, device, sensor) || ledgerPositionUnknown(state, d.ID, d.Sensor[sensor].SenNumber);
    };
    inputs.writeLedger = [&state](const AllDevicesResult& r) {
        if (r.yearChanged) state.YearChanged = 1;
        SaveLastRefresh(state);
    };
    DownloadContext ctx = programDownloadContext(state, link);
    AllDevicesResult out =
        downloadFleet(ctx, std::span<Device_Rec>(state.DevList, std::size_t(state.DevLast + 1)), inputs);
    if (out.yearChanged) state.YearChanged = 1;
    return out;
}

QString downloadRunName(DownloadRun run)
{
    switch (run) {
        case DownloadRun::All:
            return QStringLiteral("download-all");
        case DownloadRun::Window:
            return QStringLiteral("window");
        case DownloadRun::Hourly:
            return QStringLiteral("hourly");
        case DownloadRun::Dialog:
            return QStringLiteral("dialog");
    }
    return QString();
}

void journalDownloadStart(AuditJournal& journal, DownloadRun run, int devices)
{
    journal.append(QStringLiteral("download.start"),
                   {{"run", downloadRunName(run).toStdString()}, {"devices", devices}});
}

void journalDownloadEnd(AuditJournal& journal, DownloadRun run, int devicesRead, int devicesFailed,
                        const nlohmann::ordered_json& status)
{
    journal.append(QStringLiteral("download.end"), {{"run", downloadRunName(run).toStdString()},
                                                    {"devicesRead", devicesRead},
                                                    {"devicesFailed", devicesFailed},
                                                    {"status", status}});
}

QString downloadOutcomeName(const AllDevicesResult& result)
{
    if (result.stopped) return QStringLiteral("stopped");
    if (result.failedDevices > 0 || result.skippedLines > 0 || !result.ledgerError.isEmpty())
        return QStringLiteral("failed");
    return QStringLiteral("ok");
}

AllDevicesResult runAllDevicesDownload(ProgramState& state, DeviceLink& link, DownloadRun run)
{
    journalDownloadStart(state.journal, run, state.DevLast + 1);
    AllDevicesResult out;
    try {
        out = downloadAllDevices(state, link);
    } catch (...) {
        // The run broke off: the journal still says that it ended, and how.
        try {
            journalDownloadEnd(state.journal, run, out.devicesRead, qMax(1, out.failedDevices), "failed");
        } catch (const JournalError&) {
            // The error that broke the run is the one to tell.
        }
        throw;
    }
    journalDownloadEnd(state.journal, run, out.devicesRead, out.failedDevices, downloadOutcomeName(out).toStdString());
    if (!out.ledgerError.isEmpty()) throw FileError(out.ledgerError);
    return out;
}
