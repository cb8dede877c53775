#include "reports/loader.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "app/fields.h"
#include "app/records.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/eventpump.h"
#include "reports/dayline.h"
#include "reports/reportfile.h"
#include "views/month.h"

double HourValue[13][32][24];
int HourValid[13][32][24];
QStringList ChartComment[13];

const QString kHeaderUnreadableMessage = QStringLiteral("نتوانستم تنظیمات را از فایل بخوانم");

namespace {
double pairValue(const QString& sensorType, QChar a, QChar b)
{
    if (a == QLatin1Char('?') && b == QLatin1Char('?')) return -300;
    const int r = 60 * (int(a.unicode()) - 60) + (int(b.unicode()) - 60);
    return sensorValue(sensorType, r);
}

ReportHeaderFields headerFieldsOf(const Chart_rec& c)
{
    return {c.SenNumber, c.Dev_Type, c.Sensor_Type, c.hys1L, c.hys1H, c.LogTime.wYear, c.LogTime.wMonth};
}

void putHeaderFields(const ReportHeaderFields& f, Chart_rec& c)
{
    c.SenNumber = f.senNumber;
    c.Dev_Type = f.devType;
    c.Sensor_Type = f.sensorType;
    c.hys1L = f.lowLimit;
    c.hys1H = f.highLimit;
    c.LogTime.wYear = static_cast<uint16_t>(f.logYear);
    c.LogTime.wMonth = static_cast<uint16_t>(f.logMonth);
}

// Shows what the header reading reports and draws the month chart's limit lines.
void showHeaderResult(bool unreadable)
{
    if (unreadable) dialogs().message(kHeaderUnreadableMessage);
    processPendingEvents();
    MonthChart.clearSeries();
    processPendingEvents();
    auto& lower = MonthChart.series[kSeriesLowerLimit];
    auto& upper = MonthChart.series[kSeriesUpperLimit];
    lower.add(0, CurChart.hys1L);
    upper.add(0, CurChart.hys1H);
    lower.add(32, CurChart.hys1L);
    upper.add(32, CurChart.hys1H);
}

// Whether a day line may belong to month (its month field is that month, or is not
// a plain number, which the full reading then reports).
bool mayBeOfMonth(const QString& line, int month)
{
    int value = 0, digits = 0;
    for (const QChar c : line) {
        if (c == QLatin1Char(',') || c == QLatin1Char('(') || c == QLatin1Char(')')) break;
        if (c < QLatin1Char('0') || c > QLatin1Char('9') || ++digits > 2) return true;
        value = value * 10 + (c.unicode() - '0');
    }
    return digits == 0 || value == month;
}

// Puts a loaded year into the tables, the comment lists and CurChart.
void putIntoGlobals(const ReportYear& year)
{
    std::memcpy(HourValue, year.hourValue, sizeof HourValue);
    std::memcpy(HourValid, year.hourValid, sizeof HourValid);
    for (int m = 1; m <= 12; ++m) ChartComment[m] = year.remarks[m];
    putHeaderFields(year.header, CurChart);
    CurChart.StMon = year.firstMonth;
    CurChart.EndMon = year.lastMonth;
    if (year.lastLineMonth != 0) CurChart.Curr_Mon = year.lastLineMonth;
    if (year.lastLineYear) CurChart.Curr_Year = *year.lastLineYear;
}
}  // namespace

QStringList SplitPara1(const QString& str1, const QString& SplitChar)
{
    return splitDelimited(str1, SplitChar);
}

double codeValue(const QString& sensorType, const QString& code)
{
    if (code.size() != 2) return std::numeric_limits<double>::quiet_NaN();
    return pairValue(sensorType, code[0], code[1]);
}

double Code2Value(const QString& code)
{
    return codeValue(CurChart.Sensor_Type, code);
}

bool readReportHeaderFields(const QString& header, ReportHeaderFields& fields, bool* unreadable)
{
    const QStringList f = SplitPara1(header, QStringLiteral(",()"));
    bool read = false;
    if (unreadable) *unreadable = false;
    if (f.size() > 12) {
        try {
            fields.senNumber = strToInt(f[5]);
            fields.devType = f[3];
            fields.sensorType = f[6];
            fields.lowLimit = strToFloat(f[7]);
            fields.highLimit = strToFloat(f[8]);
            fields.logYear = strToInt(f[11]);
            fields.logMonth = strToInt(f[12]);
            read = true;
        } catch (const ConvertError&) {
            if (unreadable) *unreadable = true;
        }
    }
    return read;
}

bool ReadReportHeader(const QString& header)
{
    ReportHeaderFields fields = headerFieldsOf(CurChart);
    bool unreadable = false;
    const bool read = readReportHeaderFields(header, fields, &unreadable);
    putHeaderFields(fields, CurChart);
    showHeaderResult(unreadable);
    return read;
}

ReportLoadResult LoadReportFile(const QStringList& lines)
{
    // The year is loaded as a value, then put into the globals, also when the load
    // stops at an error (what was read before it stays, as the month view expects).
    auto year = std::make_unique<ReportYear>();
    year->header = headerFieldsOf(CurChart);
    try {
        loadReportYear(*year, lines);
    } catch (...) {
        putIntoGlobals(*year);
        if (!lines.isEmpty()) showHeaderResult(year->headerUnreadable);
        throw;
    }
    putIntoGlobals(*year);
    showHeaderResult(year->headerUnreadable);
    ReportLoadResult result;
    result.headerRead = year->headerRead;
    result.dayLines = year->dayLines;
    result.skippedLines = year->skippedLines;
    return result;
}

ReportYear loadReportYear(const QStringList& lines)
{
    ReportYear year;
    loadReportYear(year, lines);
    return year;
}

void loadReportYear(ReportYear& year, const QStringList& lines, int onlyMonth)
{
    ReportYear& result = year;
    year.firstMonth = 13;
    year.lastMonth = 0;
    year.lastLineMonth = 0;
    year.lastLineYear.reset();
    year.headerRead = false;
    year.headerUnreadable = false;
    year.dayLines = 0;
    year.skippedLines = 0;
    std::memset(year.hourValue, 0, sizeof year.hourValue);
    std::memset(year.hourValid, 0, sizeof year.hourValid);
    for (auto& r : year.remarks) r.clear();
    if (lines.isEmpty()) throw ListIndexError(QStringLiteral("List index out of bounds (0): the file has no lines."));
    result.headerRead = readReportHeaderFields(lines[0], year.header, &year.headerUnreadable);
    const QString& sensorType = year.header.sensorType;

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (isCommentLine(line)) {
            const QStringList f = SplitPara1(line, QStringLiteral(","));
            if (f.size() < 3) {
                ++result.skippedLines;
                continue;
            }
            const int m = strToInt(f[1]);
            if (m < 1 || m > 12) {
                ++result.skippedLines;
                continue;
            }
            // The remark is everything after the month field: it may hold commas itself.
            year.remarks[m].append(line.section(QLatin1Char(','), 2));
            continue;
        }
        if (onlyMonth != 0 && line.size() >= kMinDayLineLength && !mayBeOfMonth(line, onlyMonth)) continue;
        const std::optional<DayLine> dayLine = parseDayLine(line);
        if (!dayLine) {
            ++result.skippedLines;
            continue;
        }
        const int month = dayLine->month;
        const int day = dayLine->day;
        const QString& codes = dayLine->codes;
        year.lastLineMonth = month;
        if (dayLine->year) year.lastLineYear = dayLine->year;
        year.firstMonth = std::min(year.firstMonth, month);
        year.lastMonth = std::max(year.lastMonth, month);
        double* value = year.hourValue[month][day];
        int* valid = year.hourValid[month][day];
        for (int h = 0; h < 24; ++h) {
            // A codes field shorter than 48 characters leaves the hours it lacks missing.
            const double v = 2 * h + 1 < codes.size() ? pairValue(sensorType, codes[2 * h], codes[2 * h + 1])
                                                      : std::numeric_limits<double>::quiet_NaN();
            if (std::isnan(v) || v < kMinValidValue || v > kMaxValidValue) {
                valid[h] = 0;
                value[h] = 0;
            } else {
                valid[h] = 1;
                value[h] = v;
            }
        }
        ++result.dayLines;
    }
}
