// The root folder: the folder of the program's executable, ending in "/". All data
// files live under it.
#pragma once

#include <QString>

QString computeRootDir();
// Tests and tools point the program at another folder; an empty text restores the
// executable's folder.
void setRootDirOverride(const QString& dir);

// The shared state that every start-up work resets before the registry is read: the
// year-change mark, the sensor stepping position, the stop flag, the settings that
// have start-up defaults, the exchange counters, the averaging period (3 hours) and
// the root folder.
void resetStartupState();
