// Annotations of the month view: the heading lines kept in the settings file, the
// background picture's path, and the dated remarks appended to a report file.
#pragma once

#include <optional>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "app/calendar.h"

class AuditJournal;

// The heading lines a settings file can hold: at most this many keys "Comment0".. are
// blanked when a heading gets shorter (more are blanked when the file holds more).
inline constexpr int kHeadingBlankedUpTo = 10;

// Why a heading line or a picture path cannot be kept in the settings file: the
// settings reader cuts a value at "=", ",", "(" and ")" and takes any line holding
// the word "device" for a device line. Nothing when the text is safe.
std::optional<QString> headingLineProblem(const QString& line);
std::optional<QString> picturePathProblem(const QString& path);

// The settings lines after writing heading: "CommentN = line" for every line (replacing
// the line whose key is CommentN, else appended), and every other CommentN line from
// the line count up (at least up to Comment10) blanked, so that a shorter heading does
// not bring old lines back at the next start.
QStringList withHeadingLines(const QStringList& settingsLines, const QStringList& heading);
// Writes the heading into "DeviceStatus.txt" of the root folder rootDir (one whole-file write). Throws
// TermivoError naming the character or the word of a line that cannot be kept, and
// then writes nothing; does nothing when the file is missing, or when the heading as
// the settings reader reads it stays as it was. A change is journalled
// (settings.heading, the heading as read before and after) before the file is
// replaced. Throws FileError, and JournalError (the file stays as it was).
void saveHeadingLines(const QString& rootDir, const QStringList& heading, AuditJournal& journal);
// Writes the background picture's path (empty: none) into the settings file of the
// root folder rootDir the same way: refused with TermivoError when the reader would cut
// it, nothing when the file is missing or the path stays as it was, a change
// journalled (settings.background) before the file is replaced.
void savePicturePath(const QString& rootDir, const QString& picture, AuditJournal& journal);

// The remark as it is stored and shown: "yy/m/d h:m:" + text, the date Solar Hijri,
// nothing zero-padded (98/9/12 14:5:Door open), in calendar.
QString stampedRemark(const QDateTime& now, ShamsiCalendar calendar, const QString& text);
// Appends the remark line of month to the report file at path (kept in the encoding it
// was read in, replaced whole), journalled in journal ("report.remark", after a
// "report.adopt" of a file it does not know yet). Throws FileError, and JournalError
// when an entry cannot be written: the file then stays as it was.
void appendRemark(const QString& path, int month, const QString& remark, AuditJournal& journal);
