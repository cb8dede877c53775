// Log download: one sensor's span of days into its report file, one device's due
// sensors, and the run over all registered devices. Runs on the user-interface
// thread (or in a run without windows); every wait pumps events, so Cancel
// (StopFlag) and the windows keep working.
#pragma once

#include <QString>

#include "app/records.h"

// Where the download's warnings go: the message log window, or standard error in
// a run without windows.
class MessageLogSink
{
public:
    virtual ~MessageLogSink() = default;
    virtual void addLine(const QString& line) = 0;
};
MessageLogSink& messageLog();
// Installs sink (not owned); nullptr restores the one that writes to standard error.
void setMessageLog(MessageLogSink* sink);

// The header request and the day request of a sensor.
QString headerRequest(int senNum);
QString dayRequest(int year, int senNum, int month, int day);

// Downloads sensor SenNum of Dev1 from its Last_ref to its Now_ref and appends the
// lines to its report file (Sensor.parent). 1 when lines were read and appended, 0
// otherwise. Errors of the link (LinkError) and of the file (FileError) reach the caller.
int GetSensorGraph(Device_Rec Dev1, int SenNum);

// What a device's download did.
struct DeviceDownloadResult
{
    int sensorsRead = 0;
    bool failed = false;  // a sensor failed or an error stopped the device
};

// Reads the due sensors of Dev1 (named, and Last_ref differing from Now_ref in month,
// day or hour) into the files Loc + "<ID><n>_<name>.rep"; returns the updated record.
// With perChannelYear, each sensor's file lies in the year folder of its own Last_ref
// under Loc (the all-devices run); otherwise Loc is the prefix of every file name.
Device_Rec GetDeviceData(Device_Rec Dev1, const QString& Loc, DeviceDownloadResult* result = nullptr,
                         bool perChannelYear = false);

// Starts the overall progress bar of a run at 0 with the given maximum.
void startOverallProgress(int maximum);

struct AllDevicesResult
{
    int dueSensors = 0;
    int failedDevices = 0;
    int skippedLines = 0;  // registry or ledger lines skipped, channels held back (failures too)
    bool stopped = false;
};

// The all-devices run: every registered device from its sensors' last refresh to
// now, into the report files under the root folder; the refresh ledger is written
// at the end of a run that was not stopped.
AllDevicesResult runAllDevicesDownload();
