// Changed sensor limits carried into the header line of the channel's report file of
// the current year, once the device has confirmed them. Only the header line changes;
// day lines and comment lines stay as they are, and the file keeps its encoding.
#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "app/records.h"

class AuditJournal;

// The header with fields 7 and 8 (lower and upper limit, counted from 0) replaced by
// the texts as typed. Fields are counted as the report loader counts them, cut at
// every ",", "(" and ")"; everything else of the line stays as it was. Nothing when
// the header has fewer than 16 such fields.
std::optional<QString> headerWithLimits(const QString& header, const QString& lower, const QString& upper);

// The same, failing with ListIndexError on a header of fewer than 16 fields; t2 is not used.
QString EditHeader1(const QString& Line1, const QString& Min1, const QString& Max1, const _SYSTEMTIME& t2);

// One channel whose limits were sent.
struct ChannelLimits
{
    int channel = 0;  // 0..3
    QString sensorName;
    QString lower;
    QString upper;
};

struct CarryOverResult
{
    QStringList rewritten;     // paths of the files whose header was rewritten
    QStringList shortHeaders;  // paths left unchanged: the header has too few fields
    QStringList notWritten;    // paths left unchanged: the file could not be read or replaced
    QStringList errors;        // why, one text for each of notWritten
};

// For each channel: the report file root + yy + "/" + deviceId + (channel + 1) + "_" +
// name + ".rep" gets the limits in its header when it exists. A missing file, or a
// name that cannot be a report file name, is passed over. A file that cannot be read
// or replaced (a full disk) stays as it was and is listed in notWritten with the
// reason; the other files are still rewritten. Every rewrite is journalled in journal
// ("report.header", after a "report.adopt" of a file it does not know yet); a file
// whose entry cannot be written stays as it was and is listed in notWritten with the
// journal's message.
CarryOverResult carryLimitsIntoReports(const QString& root, int yy, const QString& deviceId,
                                       const QList<ChannelLimits>& channels, AuditJournal& journal);

// The message naming a report file whose header was left unchanged.
QString shortHeaderMessage(const QString& path);
// What the user is told of a carry-over: why each file could not be written, then
// each file whose header was too short.
QStringList carryOverMessages(const CarryOverResult& result);
