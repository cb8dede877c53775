#include "download/monthspan.h"

#include <QFileInfo>

#include "link/linkobserver.h"
#include "reports/reportfile.h"

Device_Rec monthSpanDevice(const QStringList& row, int year, int from, int to)
{
    Device_Rec d;
    d.IP = row.value(1);
    d.ID = row.value(6);
    for (int k = 0; k < 4; ++k) {
        Sensor_Rec& s = d.Sensor[k];
        s.Name = row.value(2 + k);
        s.SenNumber = k;
        s.Visit = false;
        s.Last_ref = _SYSTEMTIME{};
        s.Last_ref.wYear = static_cast<uint16_t>(year);
        s.Last_ref.wMonth = static_cast<uint16_t>(from);
        s.Last_ref.wDay = 1;
        s.Now_ref = _SYSTEMTIME{};
        s.Now_ref.wYear = static_cast<uint16_t>(year);
        s.Now_ref.wMonth = static_cast<uint16_t>(to);
        s.Now_ref.wDay = to < 7 ? 31 : 30;
    }
    return d;
}

MonthSpanResult runMonthSpanDownload(DownloadContext& ctx, const Device_Rec& device, const QString& prefix)
{
    MonthSpanResult r;
    // The files go where the user chose, inside or outside the root folder; the names
    // appended to the chosen name keep them in its folder.
    ctx.files.chosenFolder = QFileInfo(prefix).absolutePath();
    journalDownloadStart(ctx.journal, DownloadRun::Dialog, 1);
    ctx.observer.startRun();
    r.device = downloadDevice(ctx, device, prefix, r.run, false);
    const QString outcome = r.run.stopped  ? QStringLiteral("stopped")
                            : r.run.failed ? QStringLiteral("failed")
                                           : QStringLiteral("ok");
    try {
        journalDownloadEnd(ctx.journal, DownloadRun::Dialog, r.run.sensorsRead > 0 ? 1 : 0, r.run.failed ? 1 : 0,
                           outcome.toStdString());
    } catch (const JournalError& e) {
        r.endNotJournalled = e.text();
    }
    ctx.observer.statusText(downloadOutcomeText(r.run.sensorsRead, r.run.failed ? 1 : 0, r.run.stopped));
    for (const Sensor_Rec& s : r.device.Sensor)
        if (s.Visit && QFileInfo::exists(s.parent)) {
            r.fileToOpen = s.parent;
            break;
        }
    return r;
}
