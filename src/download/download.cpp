#include "download/download.h"

#include <cstdio>

#include "app/calendar.h"
#include "app/channelclash.h"
#include "app/ledger.h"
#include "app/registry.h"
#include "download/replycheck.h"
#include "link/devicelink.h"
#include "link/linkkind.h"
#include "link/replies.h"
#include "platform/dialogs.h"
#include "platform/eventpump.h"
#include "platform/safepath.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"

namespace {

class StderrMessageLog : public MessageLogSink
{
public:
    void addLine(const QString& line) override
    {
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
        std::fflush(stderr);
    }
};

StderrMessageLog g_stderrLog;
MessageLogSink* g_log = &g_stderrLog;

constexpr int kMaxFailedPasses = 5;
constexpr int kReconnectPauseMs = 2000;

// Progress of the run over all devices: ProgressBarAll moves by 1 for a sensor read
// and by 3 for a failure.
int g_allPosition = 0;

void advanceAll(int by)
{
    g_allPosition += by;
    deviceLink().observer().waitBarPosition(WaitBar::All, g_allPosition);
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

MessageLogSink& messageLog()
{
    return *g_log;
}
void setMessageLog(MessageLogSink* sink)
{
    g_log = sink ? sink : &g_stderrLog;
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

int GetSensorGraph(Device_Rec Dev1, int SenNum)
{
    DeviceLink& link = deviceLink();
    LinkObserver& obs = link.observer();
    Sensor_Rec& S = Dev1.Sensor[SenNum];

    const int first = MonthDay2Num(S.Last_ref.wMonth, S.Last_ref.wDay);
    int last = MonthDay2Num(S.Now_ref.wMonth, S.Now_ref.wDay);
    // The span runs to the end of the year when it wraps past it, and when it starts
    // in an earlier year (a ledger more than a year old): that year is read whole.
    if (last < first || isEarlierYear(S.Last_ref.wYear, S.Now_ref.wYear)) last = 366;
    const int year = S.Last_ref.wYear;

    const QString header = link.Write2Dev(headerRequest(SenNum), Dev1);
    obs.waitLabel(WaitLabel::Status,
                  Dev1.Connection.contains(QLatin1String("wireless")) ? QStringLiteral("Wireless") : QString());
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
            const QString reply = link.Write2Dev(dayRequest(year, SenNum, month, dom), Dev1);
            obs.waitLabel(WaitLabel::Cnt, QStringLiteral("%1,%2").arg(Prog.CntSent).arg(Prog.CntRecive));
            obs.rxLine(reply);
            // A reply for another sensor or another day (a late answer to an earlier
            // request), or one whose fields are not what a day is (a line break among
            // the codes would forge a second day line), is a failed day.
            const bool good = isDayReply(reply, SenNum, month, dom);
            if (good) {
                lines << QStringLiteral("%1,%2,%3,%4,%5")
                             .arg(ReplyParts[10], ReplyParts[11], ReplyParts[12], ReplyParts[7], ReplyParts[8]);
                result = 1;
                resume = day;
                // Only a day not read before is progress: the day a new pass starts
                // with was read by the pass before, and counting it would let a day
                // that always fails be retried for ever.
                if (day > lastGood) {
                    lastGood = day;
                    failures = 0;
                }
                if (StopFlag == 1) break;
            } else {
                ++failures;
                result = 0;
                obs.reportLine(QStringLiteral("Retrying%1").arg(day));
                break;
            }
        }
        if (result == 1 || StopFlag == 1 || !hasDottedAddress(Dev1.IP)) break;
        sleepPumping(kReconnectPauseMs);
        link.Connect2Lan(Dev1.IP);
        if (StopFlag != 0 || failures >= kMaxFailedPasses) break;
    }
    if (result == 1) AppendReportFile(S, lines);
    return result;
}

Device_Rec GetDeviceData(Device_Rec Dev1, const QString& Loc, DeviceDownloadResult* result, bool perChannelYear)
{
    DeviceDownloadResult local;
    DeviceDownloadResult& r = result ? *result : local;
    LinkObserver& obs = deviceLink().observer();
    try {
        if (hasDottedAddress(Dev1.IP)) deviceLink().Connect2Lan(Dev1.IP);
        for (int k = 0; k < 4; ++k) {
            Sensor_Rec& S = Dev1.Sensor[k];
            if (!isDue(S)) continue;
            try {
                S.parent = perChannelYear ? reportFilePath(Loc, S.Last_ref.wYear, Dev1.ID, k + 1, S.Name)
                                          : caseInsensitivePath(Loc + reportFileName(Dev1.ID, k + 1, S.Name));
            } catch (const ReportPathError& e) {
                // A name that would put the file outside its folder: the channel is refused.
                advanceAll(3);
                r.failed = true;
                messageLog().addLine(e.text());
                obs.reportLine(e.text());
                continue;
            }
            obs.reportLine(QStringLiteral("reading ") + S.Name + QLatin1Char(' ') + Dev1.ID + QString::number(k + 1) +
                           QStringLiteral(" data ..."));
            int got = 0;
            try {
                got = GetSensorGraph(Dev1, k);
            } catch (const FileError& e) {
                // The device answered but its records could not be stored: say which
                // file and why; the channel keeps its position and the others go on.
                advanceAll(3);
                r.failed = true;
                const QString text =
                    QStringLiteral("Channel %1 of device %2 (ID %3): %4").arg(k + 1).arg(Dev1.Name, Dev1.ID, e.text());
                messageLog().addLine(text);
                obs.reportLine(text);
                continue;
            }
            if (got == 1) {
                advanceAll(1);
                ++r.sensorsRead;
                S.Visit = true;
                obs.reportLine(QStringLiteral("OK"));
                _SYSTEMTIME t = Date2Shamsi(programNow().date());
                if (S.Last_ref.wYear != t.wYear) {
                    // The channel's year was read to its end: the next run starts the
                    // year after it (this one, unless the ledger was older).
                    if (isEarlierYear(S.Last_ref.wYear, t.wYear))
                        t.wYear = static_cast<uint16_t>((S.Last_ref.wYear + 1) % 100);
                    t.wMonth = 1;
                    t.wDay = 1;
                    t.wHour = 1;
                    YearChanged = 1;
                }
                S.Last_ref = t;
                S.Now_ref = t;
            } else {
                advanceAll(3);
                r.failed = true;
                messageLog().addLine(QStringLiteral("نتوانستم با این دستگاه ارتباط بر قرار کنم Device ID =") + Dev1.ID);
                obs.reportLine(QStringLiteral("Error in read device with this ID:") + Dev1.ID);
                break;
            }
        }
    } catch (const std::exception& e) {
        r.failed = true;
        obs.reportLine(errorText(e));
        dialogs().confirm(
            QString(), QStringLiteral("Software can not connect to ") + Dev1.Name + QStringLiteral(" in :") + Dev1.IP);
    }
    return Dev1;
}

void startOverallProgress(int maximum)
{
    g_allPosition = 0;
    deviceLink().observer().waitBarRange(WaitBar::All, 0, maximum);
    deviceLink().observer().waitBarPosition(WaitBar::All, 0);
}

AllDevicesResult runAllDevicesDownload()
{
    AllDevicesResult out;
    LinkObserver& obs = deviceLink().observer();
    const _SYSTEMTIME t = Date2Shamsi(programNow().date());
    for (int i = 0; i <= DevLast; ++i) {
        for (auto& s : DevList[i].Sensor) {
            s.Now_ref = t;
            s.LastRef = true;
            if (!s.Name.isEmpty()) ++out.dueSensors;
        }
    }
    // Lines of the registry and the ledger that could not be read, and channels that
    // would write another one's file: reported once after each load, failures of every run.
    for (const QString& line : takeUnreportedSkippedLines()) {
        messageLog().addLine(line);
        obs.reportLine(line);
    }
    out.skippedLines = lastSkippedLineCount();
    removeStaleTemporaryFiles(Prog.RootDir);

    g_allPosition = 0;
    obs.waitBarRange(WaitBar::All, 0, out.dueSensors);
    obs.waitBarPosition(WaitBar::All, 0);
    obs.showWait(true);
    for (int i = 0; i <= DevLast && StopFlag != 1; ++i) {
        obs.waitBarPosition(WaitBar::Day, 0);
        // A channel whose position is unknown, or whose file belongs to another
        // channel, is not read: it is passed to the device's download without a name.
        Device_Rec dev = DevList[i];
        bool heldBack[4] = {false, false, false, false};
        for (int s = 0; s < 4; ++s) {
            heldBack[s] = !dev.Sensor[s].Name.isEmpty() &&
                          (reportFileClash(i, s) || ledgerPositionUnknown(dev.ID, dev.Sensor[s].SenNumber));
            if (heldBack[s]) dev.Sensor[s].Name.clear();
        }
        DeviceDownloadResult r;
        dev = GetDeviceData(dev, Prog.RootDir, &r, true);
        for (int s = 0; s < 4; ++s)
            if (heldBack[s]) dev.Sensor[s].Name = DevList[i].Sensor[s].Name;
        DevList[i] = dev;
        if (r.failed) ++out.failedDevices;
    }
    out.stopped = StopFlag == 1;
    // Without a registered device there is nothing to write: the ledger stays as it is.
    if (!out.stopped && DevLast >= 0) SaveLastRefresh();
    obs.captionText(QStringLiteral("Complete"));
    obs.showWait(false);
    return out;
}
