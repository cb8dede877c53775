// The root folder: the folder of the program's executable, ending in "/". All data
// files live under it.
#pragma once

#include <QString>

QString computeRootDir();
// Tests and tools point the program at another folder; an empty text restores the
// executable's folder.
void setRootDirOverride(const QString& dir);

// The start-up of the main window and of the command-line modes: the one reset of the
// program's shared state (resetProgramState).
void resetStartupState();
