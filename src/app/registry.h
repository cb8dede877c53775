// The registry and settings file "DeviceStatus.txt" in the root folder: one line
// per device and one line per setting.
#pragma once

#include <QString>
#include <QStringList>

#include "app/messagelog.h"
#include "app/records.h"

struct ProgramState;

inline constexpr int kMaxLineFields = 21;

// The registry file in the root folder rootDir (ending in "/"), in any letter case.
QString deviceStatusPath(const QString& rootDir);

// Whether the reader takes a line of the file as a device line (any line holding the
// word "device" in any letter case); every other line is a settings line.
bool isDeviceLine(const QString& line);

// Fills device from a device line; returns false and leaves device unchanged when
// the line has fewer than ten fields. counter is the running chart index.
bool ParseDeviceLine(const QString& line, int& counter, Device_Rec& device);
// Applies one settings line to prog; throws ConvertError on a bad number (values
// converted before the bad one stay set).
void ParseSettingLine(const QString& line, program_rec& prog);

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

// Reads the settings, the registry and the refresh ledger of the root folder
// state.Prog.RootDir into the settings and the registry of state (everything of the
// registry loader except filling the device panel), and keeps the skipped lines,
// the unreadable ledger positions and the channel clashes in state. Throws FileError
// when a file exists but cannot be read.
RegistryLoadNotes loadRegistry(ProgramState& state);
// The skipped-line messages of the last loadRegistry into state: all of them once
// after each load (then none), and how many there were.
QStringList takeUnreportedSkippedLines(ProgramState& state);
int lastSkippedLineCount(const ProgramState& state);
// What the notes tell a person: the first conversion error (with how many more lines
// were skipped), for the standard error box, and one message for devices past the
// 51st. Each is empty when there is nothing of its kind.
struct RegistryNoteTexts
{
    QString error;
    QString message;
};
RegistryNoteTexts registryNoteTexts(const RegistryLoadNotes& notes);
// The notes as the runs without windows tell them: "error: " and the error, then the
// message, as lines of log.
void reportRegistryNotes(const RegistryLoadNotes& notes, MessageLogSink& log = standardErrorLog());

// The settings as the reader takes them from the lines of a settings file (device
// lines and lines it cannot read passed over), from the defaults of program_rec.
program_rec settingsOfLines(const QStringList& lines);

// The lines with the line key + " = " + value in place of the first line that
// contains key, else appended.
QStringList withSetting(const QStringList& lines, const QString& key, const QString& value);
// Writes withSetting into "DeviceStatus.txt" of the root folder rootDir. Does nothing
// when the file is missing.
void SaveSetting(const QString& rootDir, const QString& key, const QString& value);
