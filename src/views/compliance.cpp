#include "views/compliance.h"

#include <algorithm>
#include <cmath>

#include "app/calendar.h"
#include "reports/reportfile.h"

namespace {

// The four-digit Solar Hijri year of now.
int fullShamsiYearOfNow(const QDateTime& now, ShamsiCalendar calendar)
{
    return toShamsi(now.date(), calendar).year;
}

}  // namespace

int fullShamsiYear(int yy, const QDateTime& now, ShamsiCalendar calendar)
{
    return fullShamsiYear(yy, fullShamsiYearOfNow(now, calendar));
}

int complianceMonthDays(int yy, int month, const QDateTime& now, ShamsiCalendar calendar)
{
    return daysInShamsiMonth(fullShamsiYear(yy, now, calendar), month, calendar);
}

bool isTemperatureSensorType(const QString& letter)
{
    const std::optional<SensorTypeRule> rule = findSensorTypeRule(letter);
    return rule && rule->quantity == SensorQuantity::Temperature;
}

std::optional<double> meanKineticTemperature(const QList<double>& celsius)
{
    if (celsius.isEmpty()) return std::nullopt;
    // ln((1/n) Σ exp(-a/Tᵢ)) summed from its largest term, which keeps the sum in
    // range at any temperature.
    const double a = kMktActivationOverR;
    double top = -HUGE_VAL;
    for (double c : celsius) top = std::max(top, -a / (c + kZeroCelsiusInKelvin));
    double sum = 0;
    for (double c : celsius) sum += std::exp(-a / (c + kZeroCelsiusInKelvin) - top);
    const double logMean = top + std::log(sum / double(celsius.size()));
    return a / -logMean - kZeroCelsiusInKelvin;
}

MonthCompliance computeMonthCompliance(const ReportYear& year, int month, int days, const ComplianceOptions& options)
{
    MonthCompliance c;
    c.month = month;
    if (month < 1 || month > 12) return c;
    c.days = days;
    const int monthHours = c.days * 24;
    c.hoursExpected = options.expectedHours < 0 ? monthHours : std::min(options.expectedHours, monthHours);
    c.hasLimits = year.headerRead;
    c.limits = options.limits ? *options.limits : headerMonthLimits(year.header);
    c.lowerLimit = c.limits.last().lower;
    c.upperLimit = c.limits.last().upper;
    const bool temperature = isTemperatureSensorType(year.header.sensorType);

    double sum = 0;
    QList<double> values;
    if (temperature) values.reserve(c.hoursExpected);
    std::optional<Excursion> run;
    auto endRun = [&] {
        if (run && run->hours >= options.minExcursionHours) c.excursions.append(*run);
        run.reset();
    };
    for (int i = 0; i < c.hoursExpected; ++i) {
        const MonthHour at{i / 24 + 1, i % 24};
        if (year.hourValid[month][at.day][at.hour] == 0) {
            endRun();
            continue;
        }
        const double v = year.hourValue[month][at.day][at.hour];
        ++c.hoursRecorded;
        sum += v;
        if (temperature) values.append(v);
        if (!c.min || v < *c.min) {
            c.min = v;
            c.minAt = at;
        }
        if (!c.max || v > *c.max) {
            c.max = v;
            c.maxAt = at;
        }
        if (!c.hasLimits) continue;
        const LimitStep& limits = c.limits.at(at);
        const bool below = v < limits.lower;
        const bool above = v > limits.upper;
        c.hoursBelow += below;
        c.hoursAbove += above;
        if (!below && !above) {
            endRun();
            continue;
        }
        const Excursion::Side side = below ? Excursion::Low : Excursion::High;
        if (run && run->side != side) endRun();
        if (!run) {
            run = Excursion{side, at, at, 0, v};
        }
        run->last = at;
        ++run->hours;
        run->extreme = side == Excursion::Low ? std::min(run->extreme, v) : std::max(run->extreme, v);
    }
    endRun();
    if (c.hoursExpected > 0) c.completenessPercent = 100.0 * c.hoursRecorded / c.hoursExpected;
    if (c.hoursRecorded > 0) c.mean = sum / c.hoursRecorded;
    if (temperature) c.mkt = meanKineticTemperature(values);
    return c;
}

MonthLimits monthLimitsOf(const ReportYear& year, int yy, int month, const QDateTime& now, ShamsiCalendar calendar)
{
    if (year.limitsHistory.empty()) return headerMonthLimits(year.header);
    return monthLimits(year.limitsHistory, year.header, fullShamsiYear(yy, now, calendar), month, calendar);
}

QList<ChartBand> excursionBands(const MonthCompliance& figures)
{
    auto x = [](const MonthHour& h) { return h.day + h.hour / 24.0; };
    QList<ChartBand> bands;
    for (const Excursion& e : figures.excursions) {
        const bool above = e.side == Excursion::High;
        const MonthHour end{e.last.day, e.last.hour + 1};
        auto limitOf = [above](const LimitStep& s) { return above ? s.upper : s.lower; };
        MonthHour from = e.first;
        double limit = limitOf(figures.limits.at(from));
        for (const LimitStep& step : figures.limits.steps) {
            if (step.from <= e.first || !(step.from <= e.last) || limitOf(step) == limit) continue;
            bands.append({x(from), x(step.from), above, limit});
            from = step.from;
            limit = limitOf(step);
        }
        bands.append({x(from), x(end), above, limit});
    }
    return bands;
}

int expectedHoursAt(int yy, int month, const QDateTime& now, ShamsiCalendar calendar)
{
    const _SYSTEMTIME today = clockOf(now, calendar);
    const int full = fullShamsiYear(yy, now, calendar);
    const int current = fullShamsiYearOfNow(now, calendar);
    if (full < current || (full == current && month < today.wMonth)) return -1;
    if (full > current || month > today.wMonth) return 0;
    return (today.wDay - 1) * 24 + today.wHour + 1;
}

QDate gregorianOfShamsi(int yy, int month, int day, const QDateTime& now, ShamsiCalendar calendar)
{
    return fromShamsi({fullShamsiYear(yy, now, calendar), month, day}, calendar);
}
