// Two registered channels that would write one report file: the same device ID on
// two connections (which the registry allows) with the same channel and sensor
// name. The first one keeps the file; the later one is not downloaded.
#pragma once

#include <QStringList>

struct ProgramState;

// Finds the clashes among the registry of state and keeps them in state; returns one
// message per channel held back.
QStringList findReportFileClashes(ProgramState& state);
// Whether channel sensor (0..3) of registry entry device is held back by a clash.
bool reportFileClash(const ProgramState& state, int device, int sensor);
