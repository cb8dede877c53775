// Compliance figures of one channel and one Solar Hijri month, from the hourly values
// of its report year and the two limits of its header: how many hours were expected
// and recorded, the minimum, maximum and mean with when they happened, the hours out
// of limits, the excursions, and the mean kinetic temperature. Every figure is over
// single hours (no averaging). The month view's panel and "termivo --report" only
// present them.
#pragma once

#include <optional>

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include "app/calendar.h"
#include "reports/loader.h"
#include "views/month.h"

// ΔH/R of the mean kinetic temperature, in kelvin (ΔH = 83.144 kJ/mol).
inline constexpr double kMktActivationOverR = 10000.0;
// 0 °C in kelvin.
inline constexpr double kZeroCelsiusInKelvin = 273.15;

// A maximal run of consecutive recorded hours on the same side of the limits.
struct Excursion
{
    enum Side { Low, High };
    Side side = High;
    MonthHour first;
    MonthHour last;
    int hours = 0;
    double extreme = 0;  // the lowest value of a low run, the highest of a high one
};

struct ComplianceOptions
{
    // The shortest excursion listed, in hours; shorter ones still count in the hours
    // below and above.
    int minExcursionHours = 1;
    // How many of the month's hours are expected, from its first hour on: -1 for
    // every hour (a month that is over); for the running month, the hours up to and
    // with the current one. Hours past them are not looked at.
    int expectedHours = -1;
    // The limits of the month's hours (monthLimitsOf); none: the header's all month.
    std::optional<MonthLimits> limits;
};

struct MonthCompliance
{
    int month = 0;
    int days = 0;
    int hoursExpected = 0;
    int hoursRecorded = 0;
    std::optional<double> completenessPercent;  // none when no hour is expected
    std::optional<double> min, max, mean;       // none when no hour is recorded
    MonthHour minAt, maxAt;                     // the first hour of the minimum and of the maximum
    bool hasLimits = false;                     // the header gave readable limits
    double lowerLimit = 0;                      // the limits at the month's end
    double upperLimit = 0;
    MonthLimits limits;           // the limits of its hours: one step when they held all month
    int hoursBelow = 0;           // strictly below the lower limit in force (0 without limits)
    int hoursAbove = 0;           // strictly above the upper limit in force
    QList<Excursion> excursions;  // those at least minExcursionHours long, in time order
    std::optional<double> mkt;    // temperature channels with a recorded hour only
};

// The number of days of Solar Hijri month 1..12 of year yy (as the year folders name it,
// taken near now's year) in the calendar given.
int complianceMonthDays(int yy, int month, const QDateTime& now, ShamsiCalendar calendar);
// True for the sensor type letters that measure a temperature (the letters of the
// report file's type table that do: P, T, D, t, K, i and M); an unknown letter is none.
bool isTemperatureSensorType(const QString& letter);
// The mean kinetic temperature in °C of values in °C; none for no value.
std::optional<double> meanKineticTemperature(const QList<double>& celsius);

// The figures of month 1..12 of year, a month of days days (complianceMonthDays). Each
// hour is judged against the limits in force on it.
MonthCompliance computeMonthCompliance(const ReportYear& year, int month, int days, const ComplianceOptions& options);

// The limits of the hours of month yy/month (yy as the year folders name the year,
// taken near now's year) of year, from its limits history, else its header.
MonthLimits monthLimitsOf(const ReportYear& year, int yy, int month, const QDateTime& now, ShamsiCalendar calendar);

// The excursions as bands of the month chart, on its day axis (hour h of day d spans
// d + h/24 .. d + (h+1)/24), each on the side of the limit it crossed, cut where that
// limit changed so that each piece reaches from the limit in force.
QList<ChartBand> excursionBands(const MonthCompliance& figures);

// How many hours of month yy/month are expected at the moment now: every hour of a
// month that is over, the hours up to and with now's hour in the running month, and
// none of a month still to come.
int expectedHoursAt(int yy, int month, const QDateTime& now, ShamsiCalendar calendar);
// The four-digit Solar Hijri year of yy (as the year folders name it) near now's year,
// by the calendar's rule for two-digit years.
int fullShamsiYear(int yy, const QDateTime& now, ShamsiCalendar calendar);
// The Gregorian date of Solar Hijri yy/month/day (yy as the year folders name it,
// taken near now's year) in the calendar given; invalid for a day it lacks.
QDate gregorianOfShamsi(int yy, int month, int day, const QDateTime& now, ShamsiCalendar calendar);
