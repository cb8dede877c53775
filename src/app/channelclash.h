// Two registered channels that would write one report file: the same device ID on
// two connections (which the registry allows) with the same channel and sensor
// name. The first one keeps the file; the later one is not downloaded.
#pragma once

#include <QStringList>

// Finds the clashes among DevList[0..DevLast] and remembers them; returns one
// message per channel held back.
QStringList findReportFileClashes();
// Whether channel sensor (0..3) of registry entry device is held back by a clash.
bool reportFileClash(int device, int sensor);
