// The month chart and table as content: which series, which points, which texts,
// which table cells. The QCustomPlot view and the table widget only draw it
// (views/ui/monthview.h); tests check the content.
#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "app/records.h"
#include "reports/limitshistory.h"
#include "reports/loader.h"

// Series of the month chart, in index order.
enum MonthSeriesIndex {
    kSeriesLowerLimit = 0,  // Series3 "حدپایین"
    kSeriesDayMax = 1,      // Series8 "حداکثر روزانه"
    kSeriesSensor = 2,      // Series1 "گراف سنسور"
    kSeriesDayMin = 3,      // Series7 "حداقل روزانه"
    kSeriesUpperLimit = 4,  // Series5 "حد بالا"
};
constexpr int kMonthSeriesCount = 5;

struct ChartPoint
{
    double x = 0;
    double y = 0;
    bool isNull = false;  // a null point: nothing drawn there, the line breaks
    QString label;        // the value label shown at the point (daily minimum and maximum)
};

struct ChartSeries
{
    QString name;   // Series3, Series8, ...
    QString title;  // legend title
    QList<ChartPoint> points;

    void clear() { points.clear(); }
    void add(double x, double y, const QString& label = QString()) { points.append({x, y, false, label}); }
    void addNull(double x, double y) { points.append({x, y, true, QString()}); }
};

// A stretch of the day axis shaded beside a limit line: hours out of limits, from the
// limit to the chart's top edge (above) or bottom edge (below).
struct ChartBand
{
    double from = 0;
    double to = 0;
    bool above = true;
    double limit = 0;
};

struct MonthChartContent
{
    MonthChartContent();

    ChartSeries series[kMonthSeriesCount];
    QStringList title;          // title lines (top)
    QStringList foot;           // foot lines (bottom, right-aligned)
    QString valueAxisCaption;   // vertical axis title
    QString dayAxisCaption;     // horizontal axis title: the credit line
    QString backgroundPicture;  // path of a picture over the whole panel; empty for none
    QList<ChartBand> bands;     // shaded behind the series

    void clearSeries();
};

// The table: cells by (column, row); row 0 and column 0 are headings.
struct MonthTableContent
{
    static constexpr int kMaxCols = 27;
    static constexpr int kMaxRows = 32;

    int colCount = 0;
    int rowCount = 0;
    QString cells[kMaxCols][kMaxRows];

    const QString& cell(int col, int row) const { return cells[col][row]; }
    void setCell(int col, int row, const QString& text);
};

// Texts of the month view.
extern const QString kInitialValueAxisCaption;  // before any file is opened
extern const QString kTemperatureCaption;
extern const QString kHumidityCaption;
extern const QString kPressureCaption;
extern const QString kVoltageCaption;
extern const QString kPpmCaption;
extern const QString kCreditCaption;
// The month names of the download dialog's month list, months 1..12 at index 0..11.
const QStringList& monthNames();

// The averaging periods of the month view, in hours.
bool isValidPeriod(int hours);

// Sizes table for period hours and days rows, empties every cell and writes the
// headings; the day rows are headed "  month/day". Throws TermivoError when period
// is not 1, 3, 6, 12 or 24.
void InitTableGrid(MonthTableContent& table, int period, int days, int month);

// How a month is shown: the averaging period in hours, the daily minimum and maximum
// (menu item ShowMinMax1), the statistics line of the foot (ShowMeanSD1), the
// year that the foot's date names (it may come from a file shown before), and the
// limits of the month's hours (none: the year's header limits all month).
struct MonthViewOptions
{
    int period = 3;
    bool showMinMax = false;
    bool showMeanSD = true;
    QString yearText;
    std::optional<MonthLimits> limits;
};

// One month of a report year as the main window shows it: the chart's five series
// (the limit lines of the options' limits, else of the year's header) and its foot, the table, and the valid
// period averages in drawing order (at most 31 x 24). Title, captions and the
// background picture are left as a fresh chart has them.
struct MonthView
{
    MonthChartContent chart;
    MonthTableContent table;
    QList<double> periodAverages;
};

// The average of the valid hours start .. start + period - 1 of day of month (hours
// past 23 count as missing); nullopt when none of them is valid. month 1..12, day 1..31.
std::optional<double> periodAverage(const ReportYear& year, int month, int day, int start, int period);
// Builds month 1..12 of year with the options. A month outside 1..12 (no file loaded
// yet, or a file without day lines) gives an empty month. Throws TermivoError when
// the period is not 1, 3, 6, 12 or 24.
MonthView buildMonthView(const ReportYear& year, int month, const MonthViewOptions& options);
// A year with no day, no remark and a zero header: what the view shows before a file.
const ReportYear& emptyReportYear();
// The limit lines of a header: series kSeriesLowerLimit and kSeriesUpperLimit of
// chart, from day 0 to day 32.
void setLimitLines(MonthChartContent& chart, const ReportHeaderFields& header);
// The limit lines of a month's limits, from day 0 to day 32, each line stepping where
// its limit changed: at x = day + hour / 24 of the hour from which the new one held
// (the span of that hour on the day axis starts there).
void setLimitLines(MonthChartContent& chart, const MonthLimits& limits);

// "Mean = %.2f ,  SD = %.2f  ,  CV = %.2f" over the first n values (sample standard
// deviation; CV = SD / mean, shown as "CV = ---" when the mean is 0 or zero but for
// floating-point rounding). Empty for fewer than two values.
QString MonthStats(const QList<double>& values, int n);

// The text shown when a number of a report file's header cannot be read.
extern const QString kHeaderUnreadableMessage;

// The header fields that rec holds, the starting values of a header that is not read
// whole; and the record as the main window keeps it for a year it shows: its header,
// the first, last and current month and the year text (a year without day lines
// leaves the current month and the year text as they were).
ReportHeaderFields headerFieldsOf(const Chart_rec& rec);
void showYearInRecord(const ReportYear& year, Chart_rec& rec);

// The value axis caption for the header's device type, sensor type and the sensor
// name (the file name without folder and ".rep").
QString valueAxisCaption(const QString& devType, const QString& sensorType, const QString& name);
// The sensor name shown for a report file: its name without folder and without the
// last four characters.
QString sensorNameOfFile(const QString& path);
// The chart title: the comment lines, then "Sensor Name : %s ".
QStringList chartTitle(const QStringList& comments, const QString& name);

// The table as the "save as text" command writes it: every cell of every row
// followed by ",".
QStringList monthTableLines(const MonthTableContent& table);
// Writes those lines to path, CR LF, Windows-1256 without a mark, replacing the
// file whole. Throws FileError.
void saveMonthTableText(const QString& path, const MonthTableContent& table);
