// The download of chosen months of one device into files named after a path the
// user picks (the download dialog's run).
#pragma once

#include <QString>
#include <QStringList>

#include "app/records.h"
#include "download/download.h"

// The device of a device list row (link, sensor names, ID; nothing else) with every
// sensor's span set to months from..to of the two-digit year: from day 1 of the first
// month to day 31 of the last (day 30 from month 7 on). A span whose end comes before
// its start runs to the end of the year.
Device_Rec monthSpanDevice(const QStringList& row, int year, int from, int to);

struct MonthSpanResult
{
    Device_Rec device;  // as returned by the download, Visit set for every sensor read
    DeviceDownloadResult run;
    QString fileToOpen;        // the first sensor's file that was read; empty when none was
    QString endNotJournalled;  // why the run's end entry could not be written; empty when it was
};

// Downloads the span of every named sensor of device into prefix + "<ID><n>_<name>.rep".
// The prefix may name any folder; the device and sensor names appended to it may not
// climb out of it (ctx's chosen folder is set to the prefix's folder). The run is
// journalled ("download.start" and "download.end" of run "dialog"): a start entry that
// cannot be written throws JournalError before the device is read; an end entry that
// cannot be written is told in endNotJournalled.
MonthSpanResult runMonthSpanDownload(DownloadContext& ctx, const Device_Rec& device, const QString& prefix);
