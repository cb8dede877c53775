// The month chart and table as content: which series, which points, which texts,
// which table cells. The QCustomPlot view and the table widget only draw it
// (views/ui/monthview.h); tests check the content.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "app/records.h"

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

struct MonthChartContent
{
    MonthChartContent();

    ChartSeries series[kMonthSeriesCount];
    QStringList title;          // title lines (top)
    QStringList foot;           // foot lines (bottom, right-aligned)
    QString valueAxisCaption;   // vertical axis title
    QString dayAxisCaption;     // horizontal axis title: the credit line
    QString backgroundPicture;  // path of a picture over the whole panel; empty for none

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

// The month chart and the table of the main window, and the valid period averages
// of the month drawn last (at most 31 x 24, in drawing order).
extern MonthChartContent MonthChart;
extern MonthTableContent MonthTable;
extern QList<double> PeriodAvg;

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

// Resets the month view: the table sized for 3-hour periods and 30 days, the chart
// content to its state before any file is opened.
void InitViewState();
// Sizes the table for period hours and days rows, empties every cell and writes the
// headings.
void InitTableGrid(int period, int days);
void InitTableGrid(MonthTableContent& table, int period, int days);
// Draws month 1..12 of the loaded file with CurChart.Avr_Hour: series 1, 2 and 3 of
// chart, its foot, the table MonthTable and PeriodAvg. showMinMax and showMeanSD are
// the check marks of the menu items ShowMinMax1 and ShowMeanSD1. Throws
// TermivoError when CurChart.Avr_Hour is not 1, 3, 6, 12 or 24. A month outside
// 1..12 (no file loaded yet, or a file without day lines) draws an empty month.
void DrawMonth(MonthChartContent& chart, int month, bool showMinMax, bool showMeanSD);
// "Mean = %.2f ,  SD = %.2f  ,  CV = %.2f" over the first n values of PeriodAvg
// (sample standard deviation; CV = SD / mean, shown as "CV = ---" when the mean is 0
// or zero but for floating-point rounding).
QString MonthStats(int n);
QString MonthStats(const QList<double>& values, int n);

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

// The loaded year and the month view (hourly tables, comment lists, CurChart, the
// chart and table content, PeriodAvg), kept so that a failed opening of another
// file can put them back as they were.
struct MonthViewSnapshot
{
    double hourValue[13][32][24];
    int hourValid[13][32][24];
    QStringList comments[13];
    Chart_rec chart;
    MonthChartContent content;
    MonthTableContent table;
    QList<double> periodAvg;
};
MonthViewSnapshot snapshotMonthView();
void restoreMonthView(const MonthViewSnapshot& s);
