// The registry and settings file "DeviceStatus.txt" in the root folder: one line
// per device and one line per setting.
#pragma once

#include <QString>
#include <QStringList>

#include "app/records.h"

inline constexpr int kMaxLineFields = 21;

QString deviceStatusPath();

// Whether the reader takes a line of the file as a device line (any line holding the
// word "device" in any letter case); every other line is a settings line.
bool isDeviceLine(const QString& line);

// Fills device from a device line; returns false and leaves device unchanged when
// the line has fewer than ten fields. counter is the running chart index.
bool ParseDeviceLine(const QString& line, int& counter, Device_Rec& device);
// Applies one settings line to Prog; throws ConvertError on a bad number (values
// converted before the bad one stay set).
void ParseSettingLine(const QString& line);

// What the registry reader met besides good lines.
struct RegistryLoadNotes
{
    QStringList errors;          // why settings, device and ledger lines were skipped, one text per line
    int skippedDeviceLines = 0;  // device lines with fewer than ten fields, an empty ID or an address with a port
    int ignoredDeviceLines = 0;  // device lines past the 51st device

    // Every registry or ledger line that was skipped, and every channel held back
    // because another one writes its report file: one message each, naming the
    // file and the line. The download runs report them and count them as failures.
    QStringList skippedLines;
};

// Reads the settings, the registry and the refresh ledger into Prog, DevList and
// DevLast (everything of the registry loader except filling the device panel).
// Throws FileError when a file exists but cannot be read.
RegistryLoadNotes loadRegistry();
// The skipped-line messages of the last loadRegistry: all of them once after each
// load (then none), and how many there were.
QStringList takeUnreportedSkippedLines();
int lastSkippedLineCount();
// Forgets the skipped lines of the last load, as before any load.
void forgetRegistryNotes();
// Shows the notes: the first conversion error in the standard error box, one
// message for devices past the 51st.
void reportRegistryNotes(const RegistryLoadNotes& notes);

// Writes the line key + " = " + value into "DeviceStatus.txt" (replacing the first
// line that contains key, else appending). Does nothing when the file is missing.
void SaveSetting(const QString& key, const QString& value);
