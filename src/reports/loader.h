// The report file loader: turns the lines of one report file into the year of
// hourly values that the month chart, the table and the online chart draw from.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "reports/limitshistory.h"

// The header fields a report file gives (a header that is not read, or whose
// reading stops at a bad number, leaves the fields it did not reach as they were).
struct ReportHeaderFields
{
    int senNumber = 0;
    QString devType;
    QString sensorType;  // selects the value of the hour codes
    double lowLimit = 0;
    double highLimit = 0;
    int logYear = 0;
    int logMonth = 0;
};

// One report file's year as loaded: hourly values and their validity by month
// 1..12, day 1..31 and hour 0..23 (index 0 unused; invalid hours hold 0), the header,
// the remark lines of each month, and where the day lines ran.
struct ReportYear
{
    double hourValue[13][32][24];
    int hourValid[13][32][24];
    QStringList remarks[13];
    ReportHeaderFields header;
    bool headerRead = false;              // more than 12 fields, every number converted
    bool headerUnreadable = false;        // a number of the header could not be read
    int firstMonth = 13;                  // lowest month of a day line; 13 when there is none
    int lastMonth = 0;                    // highest month of a day line; 0 when there is none
    int lastLineMonth = 0;                // month of the last day line; 0 when there is none
    std::optional<QString> lastLineYear;  // year field of the last day line that had one
    int dayLines = 0;
    int skippedLines = 0;
    QString path;  // the file it came from (empty when loaded from lines)
    // The limits of the file through time, as the root folder's journal tells them
    // (LimitsJournal); empty: the header's limits held all along. Set by whoever
    // loads the year; loading leaves it as it was.
    LimitsHistory limitsHistory;
};

// Loads the lines of a report file (line 0 the header) into year, which is cleared
// first except for its header fields, the starting values of a header that is not
// read whole. Throws ListIndexError for a file without lines and ConvertError for a
// month or day that is not an integer; year then holds what was read before. With
// onlyMonth 1..12, only the day lines of that month are read (the others are passed
// over unread, for a view that shows one month).
void loadReportYear(ReportYear& year, const QStringList& lines, int onlyMonth = 0);
// The same into a fresh value whose header fields start as startHeader.
ReportYear loadReportYear(const QStringList& lines, const ReportHeaderFields& startHeader = {});
// Reads the header fields of a report header into fields; true when the whole
// header was read. A bad number stops the reading there (unreadable set).
bool readReportHeaderFields(const QString& header, ReportHeaderFields& fields, bool* unreadable = nullptr);
// The value of one hour's two-character code for a sensor type; "??" gives -300, a
// code that is not two characters long gives NaN.
double codeValue(const QString& sensorType, const QString& code);

// Cuts str1 at every character of SplitChar (empty fields kept).
QStringList SplitPara1(const QString& str1, const QString& SplitChar);

// The value range of a valid hour.
constexpr double kMinValidValue = -199.9;
constexpr double kMaxValidValue = 159.9;
