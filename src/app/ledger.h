// The refresh ledger "Last_refresh.txt": for every named channel, the Solar Hijri
// date and time up to which its log has been downloaded.
#pragma once

#include <QString>
#include <QStringList>

#include "app/records.h"
#include "platform/textfile.h"

class AuditJournal;
struct ProgramState;

inline const QString kLedgerHeader = QStringLiteral("Device,Type,BeginSen,EndSen,year,Month,Day,Hour,Minute");

// The ledger file of the root folder rootDir (ending in "/"): "Last_refresh.txt" and
// "last_refresh.txt" name the same file.
QString ledgerPath(const QString& rootDir);
bool ledgerExists(const QString& rootDir);

// Applies one ledger line through the working record work to the registry of state.
// Returns false when the
// line was ignored (too few fields, an empty ID, a channel outside 0..3); throws
// ConvertError on a bad number or a date outside the calendar. An empty type is
// read as empty, as the registry reads it.
bool ParseRefreshLine(ProgramState& state, const QString& line, Sensor_Rec& work);
// The first registry entry of state with the device ID text, or -1.
int FindDeviceByID(const ProgramState& state, const QString& text);

// Reads the ledger into the registry of state; returns the conversion errors of skipped lines and
// adds a message naming every skipped line to skipped. Throws FileError when the
// file exists but cannot be read (or is not a regular file).
QStringList loadLedger(ProgramState& state, QStringList* skipped = nullptr);
// Whether the last loadLedger into state met a line for this channel that it could
// not read: its position is unknown, so the channel must not be downloaded from a guess.
bool ledgerPositionUnknown(const ProgramState& state, const QString& id, int sensor);

// The ledger lines for the registry of state, each channel's date given by fixedDate,
// or its Last_ref when fixedDate is null.
QStringList ledgerLines(const ProgramState& state, const _SYSTEMTIME* fixedDate);
// The ledger after a download run, merged into the lines of the ledger on disk
// (existing, header first): the line of every channel read in this run (Visit) takes
// the channel's Last_ref; every other line stays as it was, unreadable ones too;
// named channels without any line get one from memory.
QStringList mergedLedgerLines(const ProgramState& state, const QStringList& existing);
// Writes the ledger as mergedLedgerLines of the ledger on disk; a ledger that
// cannot be read is not replaced (FileError).
// What a run that met a new year says, as a line of the message log.
extern const QString kYearChangedText;
void SaveLastRefresh(const ProgramState& state);
// Gives every named channel of the registry of state the period start year (two
// digits), month and day, at 01:01, as the whole ledger; journalled
// (ledger.period-start) before the ledger is replaced. Throws FileError, and
// JournalError when the journal cannot take the entry (the ledger stays as it was).
void ResetLastRefresh(const ProgramState& state, int year, int month, int day, AuditJournal& journal);
