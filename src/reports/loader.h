// The report file loader: turns the lines of one report file into the year of
// hourly values that the month chart, the table and the online chart draw from.
#pragma once

#include <QString>
#include <QStringList>

// Hourly values and their validity by month 1..12, day 1..31 and hour 0..23 (index 0
// of month and day unused). HourValid: 1 = a valid value, 0 = missing.
extern double HourValue[13][32][24];
extern int HourValid[13][32][24];
// The comment texts of each month 1..12 of the loaded file, in file order.
extern QStringList ChartComment[13];

// The text the header reader shows when a number of the header cannot be read.
extern const QString kHeaderUnreadableMessage;

struct ReportLoadResult
{
    bool headerRead = false;  // the header had more than 12 fields and every number converted
    int dayLines = 0;         // day lines taken into the tables
    int skippedLines = 0;     // lines ignored: short, too few fields, month or day out of range
};

// Loads the file's lines (line 0 the header): clears the tables and the comment
// lists, reads the header into CurChart, redraws the limit lines of the month chart
// (MonthChart), fills HourValue/HourValid and ChartComment and sets CurChart.StMon,
// EndMon, Curr_Mon and Curr_Year. Throws ListIndexError for a file without lines and
// ConvertError for a month or day that is not an integer (the load stops there).
ReportLoadResult LoadReportFile(const QStringList& lines);
// Reads the header into CurChart (a header of 12 fields or fewer is not read; a bad
// number shows kHeaderUnreadableMessage), then clears the five series of the month
// chart and draws the two limit lines. Returns true when the whole header was read.
bool ReadReportHeader(const QString& header);
// The value of one hour's two-character code for CurChart.Sensor_Type; "??" gives
// -300, a code that is not two characters long gives NaN.
double Code2Value(const QString& code);
// Cuts str1 at every character of SplitChar (empty fields kept).
QStringList SplitPara1(const QString& str1, const QString& SplitChar);

// The value range of a valid hour.
constexpr double kMinValidValue = -199.9;
constexpr double kMaxValidValue = 159.9;
