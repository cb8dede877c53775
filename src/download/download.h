// Log download: one sensor's span of days into its report file, one device's due
// sensors, and the run over all registered devices. Runs on the user-interface
// thread (or in a run without windows); every wait pumps events, so Cancel
// (the stop request) and the windows keep working.
#pragma once

#include <functional>
#include <optional>
#include <span>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "app/auditjournal.h"
#include "app/messagelog.h"
#include "app/records.h"
#include "download/retrypolicy.h"
#include "reports/reportfile.h"

class DeviceLink;
class LinkObserver;
struct ProgramState;

// A device as the message log names it: its registry name, ID and address (the
// registry may hold one ID on two connections), "Cold room (ID A, 127.0.0.11)".
QString deviceLogLabel(const Device_Rec& device);
// The moment of a log line: the Solar Hijri date of calendar and the time of day,
// "1403/5/11 12:10:00".
QString logTimeText(const QDateTime& at, ShamsiCalendar calendar);
// A message log line about device: the moment (Solar Hijri date of calendar and the
// time of day), the device's naming and text, "1403/5/11 12:10:00 Cold room (ID A,
// 127.0.0.11): text".
QString deviceLogLine(const QDateTime& at, ShamsiCalendar calendar, const Device_Rec& device, const QString& text);
// A text of several lines (message box texts) as one line of the log.
QString oneLogLine(const QString& text);

// What a run that a person or a signal stopped says of itself.
extern const QString kStoppedByUserText;

// The header request and the day request of a sensor.
QString headerRequest(int senNum);
QString dayRequest(int year, int senNum, int month, int day);

// The exchange counters shown on the progress window ("sent,received").
struct ExchangeCounts
{
    int sent = 0;
    int received = 0;
};

// Everything a download works with, passed in by its caller: the link and where its
// progress and warnings go, how a stop is asked for, the clock, where the report
// files go and the audit journal their writes go into, how hard it retries and the
// calendar it dates by. The overall progress position is kept here.
struct DownloadContext
{
    DeviceLink& link;
    LinkObserver& observer;
    MessageLogSink& log;
    std::function<bool()> stopRequested;
    std::function<QDateTime()> now;
    std::function<ExchangeCounts()> counts;
    ReportDestination files;  // the root folder (or a chosen folder) of the report files
    AuditJournal& journal;    // every report file write is journalled here
    DownloadRetryPolicy retry;
    ShamsiCalendar calendar = ShamsiCalendar::Official;
    int overallPosition = 0;  // of ProgressBarAll: 1 for a sensor read, 3 for a failure
    // Where a person who asked for this download and waits for it (the download
    // dialog) is told that a device cannot be reached, or that its link broke off, as
    // the window chooses to tell it. Unset (the all-devices run, which runs unwatched
    // under the online window and without windows), each is a line of the message log
    // and the run goes on.
    struct PersonWaiting
    {
        std::function<void(const QString& text)> cannotConnect;
        std::function<void(const QString& text)> linkBroken;
    };
    std::optional<PersonWaiting> personWaiting = {};
    // How many LAN devices the all-devices run reads at once (LinkPool); 1: one after
    // another on link.
    int devicesInFlight = 1;
};

// The download as the program runs it: link and its observer, the message log, the
// stop request, counters, root folder, journal, retry policy and calendar of state, and
// the program's clock. The context refers to state and link, which outlive it.
DownloadContext programDownloadContext(ProgramState& state, DeviceLink& link);

// Downloads sensor senNum of device from its Last_ref to its Now_ref and appends the
// lines to its report file (Sensor.parent), journalled in ctx.journal. 1 when lines were
// read and appended, 0 otherwise. Errors of the link (LinkError) and of the file or its
// journal entry (FileError, JournalError) reach the caller.
// A span that runs to the year's end asks for day 366 (Esfand 30) in every year, as a
// device on another calendar may hold it; the device's answer for a day the context's
// calendar does not have is stored only when it holds a reading.
int downloadSensorSpan(DownloadContext& ctx, Device_Rec device, int senNum);

// What a device's download did.
struct DeviceDownloadResult
{
    int sensorsRead = 0;
    bool failed = false;       // a sensor failed or an error stopped the device
    bool yearChanged = false;  // a sensor was read to the end of its year
    bool stopped = false;      // a stop request ended the device's download (logged as such)
    QString ledgerError;       // why the ledger could not be written at the end; empty when it was
};

// Reads the due sensors of device (named, and Last_ref differing from Now_ref in month,
// day or hour) into the files loc + "<ID><n>_<name>.rep"; returns the updated record.
// A LAN device that cannot be connected to fails at once (no exchange is tried); a
// failure is one line of the message log naming the device, with the time, unless a
// person waits for the run (ctx.personWaiting). A stop request is logged as a stop, not as a
// failure of the device.
// With perChannelYear, each sensor's file lies in the year folder of its own Last_ref
// under loc (the all-devices run); otherwise loc is the prefix of every file name.
Device_Rec downloadDevice(DownloadContext& ctx, Device_Rec device, const QString& loc, DeviceDownloadResult& result,
                          bool perChannelYear);

// Starts the overall progress bar of a run at 0 with the given maximum.
void startOverallProgress(LinkObserver& observer, int maximum);

struct AllDevicesResult
{
    int dueSensors = 0;
    int devicesRead = 0;  // devices of which at least one sensor was read
    int failedDevices = 0;
    int sensorsRead = 0;
    int skippedLines = 0;  // registry or ledger lines skipped, channels held back (failures too)
    bool stopped = false;
    bool yearChanged = false;  // a sensor was read to the end of its year
    QString ledgerError;       // why the ledger could not be written at the end; empty when it was
};

// What the all-devices run is given besides the devices.
struct FleetDownloadInputs
{
    QStringList notes;     // lines of the registry and the ledger that were skipped, to report
    int skippedLines = 0;  // their count, with the channels held back
    // Whether channel sensor (0..3) of device (its index) is held back: its position
    // is unknown or its file belongs to another channel.
    std::function<bool(int device, int sensor)> heldBack;
    // Writes the refresh ledger after a run that was not stopped.
    std::function<void(const AllDevicesResult&)> writeLedger;
};

// The status line after a download run: how many sensors were read and devices
// failed, or that the run was stopped.
QString downloadOutcomeText(int sensorsRead, int failedDevices, bool stopped);

// The all-devices run over devices, changed in place: every device from its sensors'
// last refresh to now, into the report files under ctx.files.rootDir; the ledger is
// written at the end of a run that was not stopped and had devices.
AllDevicesResult downloadFleet(DownloadContext& ctx, std::span<Device_Rec> devices, const FleetDownloadInputs& inputs);
// downloadFleet in the program's context (programDownloadContext) over the registry
// of state: the skipped lines of its last registry load, the clashes and ledger lines
// that hold channels back, and SaveLastRefresh (state.YearChanged set first when a
// sensor met a new year). A ledger that cannot be written is told in the result's
// ledgerError.
AllDevicesResult downloadAllDevices(ProgramState& state, DeviceLink& link);
// The runs of downloads that the journal names in its "download.start" and
// "download.end" entries.
enum class DownloadRun {
    All,     // termivo --download-all
    Window,  // the main window's download of every device
    Hourly,  // the online window's hourly refresh
    Dialog,  // the download dialog's months of one device
};
// The run's name in the journal: "download-all", "window", "hourly", "dialog".
QString downloadRunName(DownloadRun run);
// "download.start" of run over devices devices, before the run reads any: throws
// JournalError when it cannot be written, and the run must then not start.
void journalDownloadStart(AuditJournal& journal, DownloadRun run, int devices);
// "download.end" after the run; status is the exit status of --download-all, and
// downloadOutcomeName's text for the windows' runs. Throws JournalError.
void journalDownloadEnd(AuditJournal& journal, DownloadRun run, int devicesRead, int devicesFailed,
                        const nlohmann::ordered_json& status);
// How a run of the windows ended, as its end entry says: "stopped", "failed" (a device
// failed, a registry or ledger line was skipped, or the ledger could not be written) or
// "ok".
QString downloadOutcomeName(const AllDevicesResult& result);

// downloadAllDevices for the windows (run: the main window's or the hourly refresh),
// journalled: its start entry first (one that cannot be written throws JournalError
// and nothing is read), its end entry after. A ledger or an end entry that cannot be
// written throws FileError with its reason, as every file error of a handler does.
AllDevicesResult runAllDevicesDownload(ProgramState& state, DeviceLink& link, DownloadRun run = DownloadRun::Window);
