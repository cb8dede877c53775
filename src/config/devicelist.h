// The device list editor's logic: the registry as rows of nine cells (the grid of the
// communication window), the new row, the next device ID, the duplicate and cell
// rules, and the save that rewrites the registry's device lines.
#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "app/records.h"

class AuditJournal;
struct ProgramState;

using DeviceRow = QStringList;  // nine cells, in the column order below

namespace devicelist {

enum Column { Name = 0, Connection = 1, Sensor1 = 2, Sensor4 = 5, Id = 6, Type = 7, Media = 8, ColumnCount = 9 };

// "Device Name", "Connection", "Sensor1" .. "Sensor4", "ID", "Type", "Media".
const QStringList& headers();

// The row of one registry entry, and the rows of DevList[0..DevLast].
DeviceRow rowOf(const Device_Rec& d);
QList<DeviceRow> rowsOfRegistry(const ProgramState& state);

// The row that "add" appends after rows: a copy of the last row when it has an ID
// (sensor names 1 and 2 reset to "Sensor1", "Sensor2" and the next ID), otherwise
// the fresh defaults.
DeviceRow newRow(const QList<DeviceRow>& rows);

// The ID that follows id on a connection: the next character after id's first that is
// neither a character the registry or the request frame uses as a separator nor an ID
// already used on that connection by one of rows.
QString nextDeviceId(const QString& id, const QString& connection, const QList<DeviceRow>& rows);
// Whether c may not stand in a registry cell (a separator of the device line or a
// control character, which would end the line).
bool isRegistrySeparator(QChar c);

// The first grid row j (1-based, as the grid counts rows below its header) whose ID
// and connection equal those of an earlier row i with an ID; 0 when there is none.
// IDs are compared as the registry reader reads them, by their first character.
int findDuplicateRow(const QList<DeviceRow>& rows);

// A cell that holds a character the registry cannot carry.
struct CellProblem
{
    int row = 0;     // 1-based grid row
    int column = 0;  // 0-based column
    QChar character;
};
// The first cell of a row with an ID that holds a separator or a control character.
std::optional<CellProblem> findBadCell(const QList<DeviceRow>& rows);
// The message of a refused cell, naming its row, column and character.
QString badCellMessage(const CellProblem& p);

// The device line of a row: "device  =" and each cell followed by ",".
QString deviceLine(const DeviceRow& row);
// The file's lines after a save: every line except the device lines (in their
// order), then one device line per row with an ID (in row order).
QStringList linesAfterSave(const QStringList& fileLines, const QList<DeviceRow>& rows);

// How a save changes the registry file's lines: the lines only before (removed) and
// only after (added), each counted as often as it stands, and of those the pairs
// that name the same device (the ID's first character and the connection, as a
// device line is read) as one changed line. Lines in the same order as in the file.
struct RegistryLineChanges
{
    QStringList removed;
    QStringList added;
    QList<QPair<QString, QString>> changed;  // (old, new)
};
RegistryLineChanges registryLineChanges(const QStringList& before, const QStringList& after);

enum class SaveOutcome { Saved, Duplicate, BadCell };
struct SaveResult
{
    SaveOutcome outcome = SaveOutcome::Saved;
    int duplicateRow = 0;
    CellProblem badCell;
};
// Rewrites the registry file at path (in the encoding it was read in; a new file in
// Windows-1256) from rows. Nothing is written when a row repeats an ID on its
// connection or a cell holds a separator. Every save is journalled (registry.save,
// its registryLineChanges) before the file is replaced. Throws FileError when the file
// cannot be read or replaced, JournalError when the journal cannot take the entry
// (the old file stays as it was).
SaveResult saveRegistryRows(const QString& path, const QList<DeviceRow>& rows, AuditJournal& journal);

// The start of the download period from the three texts of the period box.
struct PeriodStart
{
    enum class Outcome { Ok, NotNumbers, OutOfRange } outcome = Outcome::NotNumbers;
    int year = 0;  // two digits
    int month = 0;
    int day = 0;
};
PeriodStart parsePeriodStart(const QString& year, const QString& month, const QString& day);

}  // namespace devicelist
