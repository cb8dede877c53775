#include "views/navigation.h"

#include <QFileInfo>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "platform/errors.h"
#include "reports/reportfile.h"

bool stepNextSensor(int& navDevice, int& navSensor, const NavQualifies& qualifies)
{
    if (navDevice >= kLastNavDevice && navSensor >= 3) return false;
    if (navSensor < 3) {
        ++navSensor;
    } else if (navDevice < kLastNavDevice) {
        ++navDevice;
        navSensor = 0;
    }
    for (int d = navDevice; d <= kLastNavDevice; ++d) {
        for (int s = (d == navDevice ? navSensor : 0); s <= 3; ++s) {
            if (s >= 0 && qualifies(d, s)) {
                navDevice = d;
                navSensor = s;
                return true;
            }
        }
    }
    return false;
}

bool stepPreviousSensor(int& navDevice, int& navSensor, const NavQualifies& qualifies)
{
    if (navDevice == 0 && navSensor == 0) navSensor = -1;
    if (navSensor > 0) {
        --navSensor;
    } else if (navDevice > 0) {
        --navDevice;
        navSensor = 3;
    }
    for (int d = navDevice; d >= 0; --d) {
        for (int s = (d == navDevice ? navSensor : 3); s >= 0; --s) {
            if (qualifies(d, s)) {
                navDevice = d;
                navSensor = s;
                return true;
            }
        }
    }
    return false;
}

QString currentYearReportPath(const ProgramState& state, int device, int sensor)
{
    if (device < 0 || device >= kMaxDevices || sensor < 0 || sensor > 3) return {};
    const Device_Rec& d = state.DevList[device];
    if (d.Sensor[sensor].Name.isEmpty()) return {};
    const QDateTime now = programNow();
    const int yy = Date2Shamsi(now.date(), now, state.Prog.calendar).wYear;
    try {
        return reportFilePath(state.Prog.RootDir, yy, d.ID, sensor + 1, d.Sensor[sensor].Name);
    } catch (const TermivoError&) {
        return {};
    }
}

bool sensorHasCurrentFile(const ProgramState& state, int device, int sensor)
{
    // Entries past the registry's end keep stale contents; they are no sensors.
    if (device > state.DevLast) return false;
    const QString path = currentYearReportPath(state, device, sensor);
    return !path.isEmpty() && QFileInfo(path).isFile();
}
