// Report files: one text file per sensor channel and Solar Hijri year, under the
// year folder of the root folder. Line 0 is the sensor's header (the device's reply
// to the sensor-parameter request), then day lines of 48 hour codes and comment
// lines added by the user.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "app/auditjournal.h"
#include "app/records.h"
#include "platform/errors.h"

// A device ID or sensor name that would put a report file outside its year folder.
class ReportPathError : public FileError
{
public:
    using FileError::FileError;
};

// The year folder: root + yy (decimal, no leading zeros) + "/". root ends in "/".
QString reportFolder(const QString& root, int yy);
// The file name: ID + channel (1..4) + "_" + sensor name + ".rep". Throws
// ReportPathError for an ID or name that holds "/", "\\", a NUL or a control
// character, or that is empty.
QString reportFileName(const QString& id, int channel1to4, const QString& sensorName);
// The one path builder of report files, used by the viewer side and the download
// side alike: reportFolder(root, yy) + reportFileName(id, channel, name), or the
// existing file of that folder whose name differs only in letter case. Throws
// ReportPathError as reportFileName does, and for a channel outside 1..4 or a
// negative year.
QString reportFilePath(const QString& root, int yy, const QString& id, int channel1to4, const QString& sensorName);

// Where a download's report files go: the year folders of the root folder, or a
// folder the user chose (the download dialog's), which every file must then lie in
// (no year folder is made in the root folder).
struct ReportDestination
{
    QString rootDir;
    QString chosenFolder;  // empty: the root folder's year folders
};

// The channel whose download a report file write journals: the device ID and the
// channel (1..4).
struct DownloadedChannel
{
    QString device;
    int channel = 0;
};

// Appends the lines of a download (a fresh header, then day lines) to the report
// file path, creating the year folder of the two-digit year yy under where.rootDir
// when the files go there:
// - no file, or an empty one: the new lines become the file;
// - otherwise the stored header is kept, the stored last day line is replaced when the
//   download brings a fuller copy of the same day, and the new day lines are appended
//   (a download that brings no day line leaves a stored file as it is);
// the file keeps its encoding. The file is replaced whole (write, then rename): a
// failed write leaves the old file as it was and throws FileError. A path outside
// the root or chosen folder throws ReportPathError.
// The write is journalled in journal: a file with lines that the journal does not know
// yet is first adopted as it stands ("report.adopt"), then the "report.download" entry
// naming from is appended once the new file is on disk and before it replaces the old
// one. An entry that cannot be written throws JournalError (a FileError) and the file
// stays as it was.
void appendReportLines(const ReportDestination& where, const QString& path, int yy, const QStringList& newLines,
                       const DownloadedChannel& from, AuditJournal& journal);

// Before the program's first write to the report file path of journal's root folder:
// a file that holds lines and that the journal has no entry for is adopted as lines
// hold it ("report.adopt", reason "first write"). Returns the file's journal key.
// Throws JournalError.
QString adoptBeforeFirstWrite(AuditJournal& journal, const QString& path, const QStringList& lines);

// Comment lines contain "Comment" (case-sensitive, anywhere); every other line after
// the header is a day line.
bool isCommentLine(const QString& line);
// "Comment,%d,%s": the line the comment command appends.
QString formatCommentLine(int month, const QString& text);

// The quantity a sensor type letter measures: it selects the value axis caption.
enum class SensorQuantity { Temperature, Humidity, Pressure, Voltage, PartsPerMillion };

struct SensorTypeRule
{
    double divisor;  // value = (r + offsetBefore) / divisor - offsetAfter
    double offsetBefore;
    double offsetAfter;
    SensorQuantity quantity;
};

// The sensor type table (case-sensitive letters); an unknown letter gives the raw
// number r as value and the temperature caption.
SensorTypeRule sensorTypeRule(const QString& letter);
// The rule of a letter of the table; none for an unknown letter.
std::optional<SensorTypeRule> findSensorTypeRule(const QString& letter);
// The value of raw number r (0..3599) for the sensor type letter.
double sensorValue(const QString& letter, double r);
