#include "app/channelclash.h"

#include <QHash>
#include <QPair>
#include <QSet>

#include "app/programstate.h"
#include "app/records.h"
#include "reports/reportfile.h"

QStringList findReportFileClashes(ProgramState& state)
{
    state.reportFileClashes.clear();
    const auto& devices = state.DevList;
    QStringList messages;
    // File name without regard to letter case -> the channel that writes it: an
    // existing report file is found whatever the case of its name, so "a1_T.rep" and
    // "A1_t.rep" are one file.
    QHash<QString, QPair<int, int>> owner;
    for (int r = 0; r <= state.DevLast && r < kMaxDevices; ++r) {
        const Device_Rec& d = devices[r];
        for (int s = 0; s < 4; ++s) {
            if (d.Sensor[s].Name.isEmpty()) continue;
            QString file;
            try {
                file = reportFileName(d.ID, s + 1, d.Sensor[s].Name);
            } catch (const ReportPathError&) {
                continue;  // refused by the download with its own message
            }
            const QString key = file.toCaseFolded();
            const auto it = owner.constFind(key);
            if (it == owner.cend()) {
                owner.insert(key, {r, s});
                continue;
            }
            state.reportFileClashes.insert({r, s});
            const Device_Rec& first = devices[it->first];
            messages << QStringLiteral(
                            "DeviceStatus.txt: channel %1 of device \"%2\" (%3) would write the report file "
                            "\"%4\" of device \"%5\" (%6); it is not downloaded.")
                            .arg(s + 1)
                            .arg(d.Name, d.IP, file, first.Name, first.IP);
        }
    }
    return messages;
}

bool reportFileClash(const ProgramState& state, int device, int sensor)
{
    return state.reportFileClashes.contains({device, sensor});
}
