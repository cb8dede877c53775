// Day lines of a report file: one line per downloaded day,
//   month "," day "," codes "," year "," extra
// with the month 1..12, the day 1..31, two code characters per hour for hours 0 to
// 23, the year text the device sent and one further field of its reply. The loader
// and the report writer read day lines through this one reader; the download
// composes them through formatDayLine.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// A day line shorter than this is no day line (48 codes and the fields around them).
inline constexpr int kMinDayLineLength = 55;

struct DayLine
{
    int month = 0;                // 1..12
    int day = 0;                  // 1..31
    QString codes;                // two characters an hour; a shorter text leaves the hours it lacks missing
    std::optional<QString> year;  // field 3 as written, when the line has one
    QStringList extra;            // the fields after the year (one in a line the download wrote)
};

// Reads a line of a report file after its header as a day line, its fields cut at
// every ",", "(" and ")". Nothing for a line that is not one: a comment line, a line
// shorter than kMinDayLineLength, fewer than three fields, a month outside 1..12 or a
// day outside 1..31, or text holding a line break (that is two lines, not one day).
// Throws ConvertError when the month or the day is not an integer: a damaged file,
// not a line to pass over.
std::optional<DayLine> parseDayLine(const QString& line);

// The line of a day: month, day, codes, then the year and the extra fields when
// there are any, joined by ",".
QString formatDayLine(const DayLine& day);
