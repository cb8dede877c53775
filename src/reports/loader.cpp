#include "reports/loader.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "app/fields.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "reports/dayline.h"
#include "reports/reportfile.h"

namespace {
double pairValue(const QString& sensorType, QChar a, QChar b)
{
    if (a == QLatin1Char('?') && b == QLatin1Char('?')) return -300;
    const int r = 60 * (int(a.unicode()) - 60) + (int(b.unicode()) - 60);
    return sensorValue(sensorType, r);
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

ReportYear loadReportYear(const QStringList& lines, const ReportHeaderFields& startHeader)
{
    ReportYear year;
    year.header = startHeader;
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
