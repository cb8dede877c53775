#include "views/month.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <QFileInfo>

#include "app/records.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/loader.h"

const QString kInitialValueAxisCaption = QStringLiteral("دما(سانتیگراد) و رطوبت (درصد) و...");
const QString kTemperatureCaption = QStringLiteral("دما برحسب سانتیگراد");
const QString kHumidityCaption = QStringLiteral("رطوبت بر حسب درصد غلظت");
const QString kPressureCaption = QStringLiteral("فشار بر حسب پاسکال");
const QString kVoltageCaption = QStringLiteral("ولتاژ");
const QString kPpmCaption = QStringLiteral("PPM");
const QString kCreditCaption = QStringLiteral("طراحی ،توسط شرکت ") + QStringLiteral("Termivo  termivo.example");

const QString kHeaderUnreadableMessage = QStringLiteral("نتوانستم تنظیمات را از فایل بخوانم");

namespace {
// The marker of a day without a valid period yet: every valid value is at least -199.9.
constexpr double kNoDayMin = -201;
constexpr double kNoDayMax = -200;

QString cellNumber(double v)
{
    return QStringLiteral("  ") + formatFixed(v, 1);
}

// round(v x 10) / 10 with halves to the even neighbour.
double roundTenths(double v)
{
    return std::nearbyint(v * 10) / 10;
}
}  // namespace

MonthChartContent::MonthChartContent()
{
    // Every month view starts from these texts: shared, not built again each time.
    static const QString names[kMonthSeriesCount] = {QStringLiteral("Series3"), QStringLiteral("Series8"),
                                                     QStringLiteral("Series1"), QStringLiteral("Series7"),
                                                     QStringLiteral("Series5")};
    static const QString titles[kMonthSeriesCount] = {QStringLiteral("حدپایین"), QStringLiteral("حداکثر روزانه"),
                                                      QStringLiteral("گراف سنسور"), QStringLiteral("حداقل روزانه"),
                                                      QStringLiteral("حد بالا")};
    for (int i = 0; i < kMonthSeriesCount; ++i) {
        series[i].name = names[i];
        series[i].title = titles[i];
    }
    valueAxisCaption = kInitialValueAxisCaption;
    dayAxisCaption = kCreditCaption;
}

void MonthChartContent::clearSeries()
{
    for (auto& s : series) s.clear();
}

void MonthTableContent::setCell(int col, int row, const QString& text)
{
    if (col < 0 || col >= kMaxCols || row < 0 || row >= kMaxRows) return;
    cells[col][row] = text;
}

const QStringList& monthNames()
{
    static const QStringList names = {
        QStringLiteral("(1) فروردین"), QStringLiteral("(2) اردیبهشت"), QStringLiteral("(3) خرداد "),
        QStringLiteral("(4) تیر"),     QStringLiteral("(5) مرداد "),   QStringLiteral("(6) شهریور"),
        QStringLiteral("(7) مهر "),    QStringLiteral("(8) آبان "),    QStringLiteral("(9) آذر "),
        QStringLiteral("(10) دی "),    QStringLiteral("(11) بهمن "),   QStringLiteral("(12) اسفند"),
    };
    return names;
}

bool isValidPeriod(int hours)
{
    return hours == 1 || hours == 3 || hours == 6 || hours == 12 || hours == 24;
}

void InitTableGrid(MonthTableContent& table, int period, int days, int month)
{
    if (!isValidPeriod(period))
        throw TermivoError(QStringLiteral("The averaging period must be 1, 3, 6, 12 or 24 hours, not %1.").arg(period));
    days = std::clamp(days, 0, MonthTableContent::kMaxRows - 1);
    const int periods = 24 / period;
    table.rowCount = days + 1;
    table.colCount = periods + 3;
    for (auto& col : table.cells)
        for (auto& c : col) c.clear();
    table.setCell(0, 0, QStringLiteral("Day\\Hour"));
    table.setCell(periods + 1, 0, QStringLiteral(" Min"));
    table.setCell(periods + 2, 0, QStringLiteral(" Max"));
    for (int k = 1; k <= periods; ++k) table.setCell(k, 0, QStringLiteral("  ") + QString::number(k * period));
    for (int d = 1; d <= days; ++d) table.setCell(0, d, QStringLiteral("  %1/%2").arg(month).arg(d));
}

const ReportYear& emptyReportYear()
{
    static const auto empty = [] {
        auto year = std::make_unique<ReportYear>();
        std::memset(year->hourValue, 0, sizeof year->hourValue);
        std::memset(year->hourValid, 0, sizeof year->hourValid);
        return year;
    }();
    return *empty;
}

void setLimitLines(MonthChartContent& chart, const ReportHeaderFields& header)
{
    setLimitLines(chart, headerMonthLimits(header));
}

void setLimitLines(MonthChartContent& chart, const MonthLimits& limits)
{
    auto& lower = chart.series[kSeriesLowerLimit];
    auto& upper = chart.series[kSeriesUpperLimit];
    lower.clear();
    upper.clear();
    const LimitStep& first = limits.steps.front();
    lower.add(0, first.lower);
    upper.add(0, first.upper);
    for (qsizetype i = 1; i < limits.steps.size(); ++i) {
        const LimitStep& was = limits.steps[i - 1];
        const LimitStep& now = limits.steps[i];
        const double x = now.from.day + now.from.hour / 24.0;
        if (now.lower != was.lower) {
            lower.add(x, was.lower);
            lower.add(x, now.lower);
        }
        if (now.upper != was.upper) {
            upper.add(x, was.upper);
            upper.add(x, now.upper);
        }
    }
    lower.add(32, limits.last().lower);
    upper.add(32, limits.last().upper);
}

std::optional<double> periodAverage(const ReportYear& year, int month, int day, int start, int period)
{
    double sum = 0;
    int bad = 0;
    for (int k = start; k < start + period; ++k) {
        if (k > 23 || year.hourValid[month][day][k] == 0) {
            ++bad;
            continue;
        }
        sum += year.hourValue[month][day][k];
    }
    if (bad >= period) return std::nullopt;
    return sum / (period - bad);
}

MonthView buildMonthView(const ReportYear& year, int month, const MonthViewOptions& options)
{
    const int P = options.period;
    const double L = year.header.lowLimit;
    if (!isValidPeriod(P))
        throw TermivoError(QStringLiteral("The averaging period must be 1, 3, 6, 12 or 24 hours, not %1.").arg(P));
    const bool known = month >= 1 && month <= 12;

    MonthView view;
    MonthChartContent& chart = view.chart;
    if (options.limits)
        setLimitLines(chart, *options.limits);
    else
        setLimitLines(chart, year.header);
    auto& dayMax = chart.series[kSeriesDayMax];
    auto& sensor = chart.series[kSeriesSensor];
    auto& dayMin = chart.series[kSeriesDayMin];
    sensor.addNull(1, L);

    const int days = (month >= 1 && month <= 6) ? 31 : 30;
    MonthTableContent& table = view.table;
    InitTableGrid(table, P, days, month);
    QList<double>& averages = view.periodAverages;
    const int periods = 24 / P;
    if (known) {
        averages.reserve(days * periods);
        sensor.points.reserve(1 + days * periods);
    }

    for (int d = 1; known && d <= days; ++d) {
        double lo = kNoDayMin;
        double hi = kNoDayMax;
        for (int h = 0; h <= 23; h += P) {
            const int e = h + P;
            const double x = d + e / 24.0;
            const std::optional<double> average = periodAverage(year, month, d, h, P);
            if (!average) {
                sensor.addNull(x, L);
                continue;
            }
            const double avg = *average;
            averages.append(avg);
            sensor.add(x, avg);
            table.setCell(e / P, d, cellNumber(avg));
            if (lo < kNoDayMax) {
                lo = avg;
                hi = avg;
            }
            lo = std::min(lo, avg);
            hi = std::max(hi, avg);
        }
        if (options.showMinMax && lo > kNoDayMax) {
            const double rlo = roundTenths(lo);
            const double rhi = roundTenths(hi);
            dayMin.add(d + 0.5, rlo, formatFixed(rlo, 1));
            dayMax.add(d + 0.5, rhi, formatFixed(rhi, 1));
            table.setCell(periods + 1, d, cellNumber(lo));
            table.setCell(periods + 2, d, cellNumber(hi));
        }
    }

    QStringList& foot = chart.foot;
    const int n = int(averages.size());
    if (n > 1 && options.showMeanSD) foot << MonthStats(averages, n) << QString();
    const QString name = known ? monthNames()[month - 1] : QString();
    foot << QStringLiteral("تاریخ : ") + name + QStringLiteral(" ماه سال  ") + options.yearText +
                QStringLiteral("                 امضاء");
    if (known) foot << year.remarks[month];
    return view;
}

QString MonthStats(const QList<double>& values, int n)
{
    n = std::min(n, int(values.size()));
    if (n < 2) return QString();
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += values[i];
    const double mean = sum / n;
    double sq = 0;
    for (int i = 0; i < n; ++i) sq += (values[i] - mean) * (values[i] - mean);
    const double sd = std::sqrt(sq / (n - 1));
    // A mean of 0 has no CV. The period averages are tenths summed in floating point, so
    // a mean that is zero but for rounding (0.1 + 0.2 - 0.3) counts as 0 too.
    double largest = 0;
    for (int i = 0; i < n; ++i) largest = std::max(largest, std::abs(values[i]));
    const bool zeroMean = std::abs(mean) <= largest * 1e-12;
    const QString cv = zeroMean ? QStringLiteral("---") : formatFixed(sd / mean, 2);
    return QStringLiteral("Mean = %1 ,  SD = %2  ,  CV = %3")
        .arg(formatFixed(zeroMean ? 0.0 : mean, 2), formatFixed(sd, 2), cv);
}

QString valueAxisCaption(const QString& devType, const QString& sensorType, const QString& name)
{
    const QString upper = name.toUpper();
    const bool devH = devType == QLatin1String("H");
    QString caption = kTemperatureCaption;
    if (devH && upper.contains(QLatin1String("RH"))) caption = kHumidityCaption;
    if (sensorType == QLatin1String("H")) caption = kHumidityCaption;
    if (devH && upper.contains(QLatin1String("HUMID"))) caption = kHumidityCaption;
    if (devH && name.contains(QStringLiteral("رطوبت"))) caption = kHumidityCaption;
    if (sensorType == QLatin1String("p")) caption = kPressureCaption;
    if (sensorType == QLatin1String("h")) caption = kHumidityCaption;
    if (sensorType == QLatin1String("M")) caption = kTemperatureCaption;
    if (sensorType == QLatin1String("V")) caption = kVoltageCaption;
    if (sensorType == QLatin1String("S")) caption = kPpmCaption;
    return caption;
}

QString sensorNameOfFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

QStringList chartTitle(const QStringList& comments, const QString& name)
{
    QStringList title = comments;
    title << QStringLiteral("Sensor Name : %1 ").arg(name);
    return title;
}

QStringList monthTableLines(const MonthTableContent& table)
{
    QStringList lines;
    for (int r = 0; r < table.rowCount; ++r) {
        QString line;
        for (int c = 0; c < table.colCount; ++c) {
            line += table.cell(c, r);
            line += QLatin1Char(',');
        }
        lines << line;
    }
    return lines;
}

void saveMonthTableText(const QString& path, const MonthTableContent& table)
{
    // The exported table is Windows-1256 with best fit, as statistics programs read it.
    writeBytesAtomically(path, encodeTextFile(monthTableLines(table), TextEncoding::Ansi));
}

ReportHeaderFields headerFieldsOf(const Chart_rec& rec)
{
    return {rec.SenNumber, rec.Dev_Type, rec.Sensor_Type, rec.hys1L, rec.hys1H, rec.LogTime.wYear, rec.LogTime.wMonth};
}

void showYearInRecord(const ReportYear& year, Chart_rec& rec)
{
    const ReportHeaderFields& f = year.header;
    rec.SenNumber = f.senNumber;
    rec.Dev_Type = f.devType;
    rec.Sensor_Type = f.sensorType;
    rec.hys1L = f.lowLimit;
    rec.hys1H = f.highLimit;
    rec.LogTime.wYear = static_cast<uint16_t>(f.logYear);
    rec.LogTime.wMonth = static_cast<uint16_t>(f.logMonth);
    rec.StMon = year.firstMonth;
    rec.EndMon = year.lastMonth;
    if (year.lastLineMonth != 0) rec.Curr_Mon = year.lastLineMonth;
    if (year.lastLineYear) rec.Curr_Year = *year.lastLineYear;
}
