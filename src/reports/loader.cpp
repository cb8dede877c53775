#include "reports/loader.h"

#include <cmath>
#include <limits>

#include "app/fields.h"
#include "app/records.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/eventpump.h"
#include "reports/reportfile.h"
#include "views/month.h"

double HourValue[13][32][24];
int HourValid[13][32][24];
QStringList ChartComment[13];

const QString kHeaderUnreadableMessage = QStringLiteral("نتوانستم تنظیمات را از فایل بخوانم");

namespace {
constexpr int kMinDayLineLength = 55;

double pairValue(QChar a, QChar b)
{
    if (a == QLatin1Char('?') && b == QLatin1Char('?')) return -300;
    const int r = 60 * (int(a.unicode()) - 60) + (int(b.unicode()) - 60);
    return sensorValue(CurChart.Sensor_Type, r);
}
}  // namespace

QStringList SplitPara1(const QString& str1, const QString& SplitChar)
{
    return splitDelimited(str1, SplitChar);
}

double Code2Value(const QString& code)
{
    if (code.size() != 2) return std::numeric_limits<double>::quiet_NaN();
    return pairValue(code[0], code[1]);
}

bool ReadReportHeader(const QString& header)
{
    const QStringList f = SplitPara1(header, QStringLiteral(",()"));
    bool read = false;
    if (f.size() > 12) {
        try {
            CurChart.SenNumber = strToInt(f[5]);
            CurChart.Dev_Type = f[3];
            CurChart.Sensor_Type = f[6];
            CurChart.hys1L = strToFloat(f[7]);
            CurChart.hys1H = strToFloat(f[8]);
            const int year = strToInt(f[11]);
            CurChart.LogTime.wYear = static_cast<uint16_t>(year);
            const int month = strToInt(f[12]);
            CurChart.LogTime.wMonth = static_cast<uint16_t>(month);
            read = true;
        } catch (const ConvertError&) {
            dialogs().message(kHeaderUnreadableMessage);
        }
    }
    processPendingEvents();
    MonthChart.clearSeries();
    processPendingEvents();
    auto& lower = MonthChart.series[kSeriesLowerLimit];
    auto& upper = MonthChart.series[kSeriesUpperLimit];
    lower.add(0, CurChart.hys1L);
    upper.add(0, CurChart.hys1H);
    lower.add(32, CurChart.hys1L);
    upper.add(32, CurChart.hys1H);
    return read;
}

ReportLoadResult LoadReportFile(const QStringList& lines)
{
    ReportLoadResult result;
    CurChart.StMon = 13;
    CurChart.EndMon = 0;
    for (int m = 1; m <= 12; ++m) {
        for (int d = 1; d <= 31; ++d)
            for (int h = 0; h < 24; ++h) HourValid[m][d][h] = 0;
        ChartComment[m].clear();
    }
    if (lines.isEmpty()) throw ListIndexError(QStringLiteral("List index out of bounds (0): the file has no lines."));
    result.headerRead = ReadReportHeader(lines[0]);

    const QString dayDelims = QStringLiteral(",()");
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
            ChartComment[m].append(line.section(QLatin1Char(','), 2));
            continue;
        }
        if (line.size() < kMinDayLineLength) {
            ++result.skippedLines;
            continue;
        }
        const QStringList f = SplitPara1(line, dayDelims);
        if (f.size() < 3) {
            ++result.skippedLines;
            continue;
        }
        const int month = strToInt(f[0]);
        const int day = strToInt(f[1]);
        if (month < 1 || month > 12 || day < 1 || day > 31) {
            ++result.skippedLines;
            continue;
        }
        const QString& codes = f[2];
        CurChart.Curr_Mon = month;
        if (f.size() > 3) CurChart.Curr_Year = f[3];
        CurChart.StMon = std::min(CurChart.StMon, month);
        CurChart.EndMon = std::max(CurChart.EndMon, month);
        double* value = HourValue[month][day];
        int* valid = HourValid[month][day];
        for (int h = 0; h < 24; ++h) {
            // A codes field shorter than 48 characters leaves the hours it lacks missing.
            const double v = 2 * h + 1 < codes.size() ? pairValue(codes[2 * h], codes[2 * h + 1])
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
    return result;
}
