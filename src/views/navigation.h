// Sensor stepping of the main window: the position (registry entry, sensor) moves
// over entries 0..30 and sensors 0..3 to the next or previous sensor that has a
// report file of the current year.
#pragma once

#include <functional>

#include <QString>

struct ProgramState;

inline constexpr int kLastNavDevice = 30;

// Whether position (device, sensor) qualifies: a named sensor with an existing file.
using NavQualifies = std::function<bool(int device, int sensor)>;

// Steps forward from (navDevice, navSensor) and scans on. Returns true when a
// position qualified: navDevice/navSensor then hold it. Otherwise they hold the
// stepped position and the caller shows the last-sensor message.
bool stepNextSensor(int& navDevice, int& navSensor, const NavQualifies& qualifies);
// The same backwards; false means the first-sensor message.
bool stepPreviousSensor(int& navDevice, int& navSensor, const NavQualifies& qualifies);

// The report file of registry entry d, sensor s for the current Solar Hijri year;
// empty when the sensor is unnamed or its name cannot form a path.
QString currentYearReportPath(const ProgramState& state, int device, int sensor);
// A named sensor of the registry whose file for the current year exists.
bool sensorHasCurrentFile(const ProgramState& state, int device, int sensor);
