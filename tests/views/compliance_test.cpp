// Compliance figures of a month: hours expected and recorded, minimum, maximum and
// mean, hours out of limits, excursions and the mean kinetic temperature.
#include "views/compliance.h"

#include <memory>
#include <vector>

#include "app/calendar.h"
#include "support/fixtures.h"
#include "support/reportlines.h"

namespace {

// The days of month yy/month, the two-digit year taken near 1405.
int daysOf(int yy, int month)
{
    return complianceMonthDays(yy, month, QDateTime(QDate(2026, 12, 10), QTime(12, 0)), ShamsiCalendar::Official);
}

// A value's hours: 24 of value, with some hours changed.
std::vector<double> day(double value, std::initializer_list<std::pair<int, double>> changed = {})
{
    std::vector<double> hours(24, value);
    for (const auto& [h, v] : changed) hours[h] = v;
    return hours;
}

struct Fixture
{
    const char* name;
    QString header;
    int month;                                                     // 7 (30 days) or 1 (31 days)
    std::vector<std::pair<int, std::vector<double>>> changedDays;  // every other day holds 22 all day
    bool noDayLines = false;
    int minExcursion = 1;
    int expectedHours = -1;
    // Expected figures.
    int hoursExpected;
    int hoursRecorded;
    double min, max;
    MonthHour minAt, maxAt;
    bool hasLimits;
    int below, above;
    std::vector<Excursion> excursions;
    bool hasMkt;
};

std::unique_ptr<ReportYear> load(const Fixture& f)
{
    QStringList lines{f.header};
    const int days = f.month <= 6 ? 31 : 30;
    for (int d = 1; d <= days && !f.noDayLines; ++d) {
        std::vector<double> hours = day(22);
        for (const auto& [changed, values] : f.changedDays)
            if (changed == d) hours = values;
        lines << dayLineT(f.month, d, hours);
    }
    auto year = std::make_unique<ReportYear>();
    loadReportYear(*year, lines);
    return year;
}

using S = Excursion::Side;

TEST(ComplianceTest, MonthFixtures)
{
    const QString header = reportHeader();  // type T, limits 18 .. 26
    const double m = kMissing;
    const Fixture fixtures[] = {
        {"no excursion", header, 7, {}, false, 1, -1, 720, 720, 22, 22, {1, 0}, {1, 0}, true, 0, 0, {}, true},
        {"one high, one low",
         header,
         7,
         {{3, day(22, {{5, 27}, {6, 28}, {7, 27}})}, {10, day(22, {{0, 17}, {1, 16.5}})}},
         false,
         1,
         -1,
         720,
         720,
         16.5,
         28,
         {10, 1},
         {3, 6},
         true,
         2,
         3,
         {{S::High, {3, 5}, {3, 7}, 3, 28}, {S::Low, {10, 0}, {10, 1}, 2, 16.5}},
         true},
        {"a missing hour breaks a run",
         header,
         1,
         {{4, day(22, {{10, 30}, {11, 30}, {12, m}, {13, 31}})}},
         false,
         1,
         -1,
         744,
         743,
         22,
         31,
         {1, 0},
         {4, 13},
         true,
         0,
         3,
         {{S::High, {4, 10}, {4, 11}, 2, 30}, {S::High, {4, 13}, {4, 13}, 1, 31}},
         true},
        {"the shortest excursion filters the list, not the hours",
         header,
         1,
         {{4, day(22, {{10, 30}, {11, 30}, {12, m}, {13, 31}})}},
         false,
         2,
         -1,
         744,
         743,
         22,
         31,
         {1, 0},
         {4, 13},
         true,
         0,
         3,
         {{S::High, {4, 10}, {4, 11}, 2, 30}},
         true},
        {"a run crosses midnight; a change of side starts a new one",
         header,
         7,
         {{5, day(22, {{22, 27}, {23, 27.5}})}, {6, day(22, {{0, 26.1}, {1, 17.9}})}},
         false,
         1,
         -1,
         720,
         720,
         17.9,
         27.5,
         {6, 1},
         {5, 23},
         true,
         1,
         3,
         {{S::High, {5, 22}, {6, 0}, 3, 27.5}, {S::Low, {6, 1}, {6, 1}, 1, 17.9}},
         true},
        {"a run ends at the month's last hour; the limits themselves are inside",
         header,
         7,
         {{29, day(18)}, {30, day(26, {{20, 15}, {21, 14}, {22, 15}, {23, 16}})}},
         false,
         1,
         -1,
         720,
         720,
         14,
         26,
         {30, 21},
         {30, 0},
         true,
         4,
         0,
         {{S::Low, {30, 20}, {30, 23}, 4, 14}},
         true},
        {"all hours missing", header, 7, {}, true, 1, -1, 720, 0, 0, 0, {}, {}, true, 0, 0, {}, false},
        {"the running month: only the hours up to now",
         header,
         7,
         {{3, day(22, {{1, 40}, {2, 41}})}},
         false,
         1,
         50,
         50,
         50,
         22,
         40,
         {1, 0},
         {3, 1},
         true,
         0,
         1,
         {{S::High, {3, 1}, {3, 1}, 1, 40}},
         true},
        {"no readable limits in the header",
         reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("x"), QStringLiteral("26")),
         7,
         {{3, day(22, {{5, 40}})}},
         false,
         1,
         -1,
         720,
         720,
         22,
         40,
         {1, 0},
         {3, 5},
         false,
         0,
         0,
         {},
         true},
        {"humidity channel: no MKT",
         reportHeader(QStringLiteral("H"), QStringLiteral("H"), QStringLiteral("30"), QStringLiteral("60")),
         7,
         {},
         false,
         1,
         -1,
         720,
         720,
         22,
         22,
         {1, 0},
         {1, 0},
         true,
         720,
         0,
         {{S::Low, {1, 0}, {30, 23}, 720, 22}},
         false},
    };
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        const auto year = load(f);
        ComplianceOptions o;
        o.minExcursionHours = f.minExcursion;
        o.expectedHours = f.expectedHours;
        const MonthCompliance c = computeMonthCompliance(*year, f.month, daysOf(3, f.month), o);
        EXPECT_EQ(c.hoursExpected, f.hoursExpected);
        EXPECT_EQ(c.hoursRecorded, f.hoursRecorded);
        ASSERT_TRUE(c.completenessPercent.has_value());
        EXPECT_DOUBLE_EQ(*c.completenessPercent, 100.0 * f.hoursRecorded / f.hoursExpected);
        EXPECT_EQ(c.min.has_value(), f.hoursRecorded > 0);
        EXPECT_EQ(c.mean.has_value(), f.hoursRecorded > 0);
        if (f.hoursRecorded > 0) {
            EXPECT_NEAR(*c.min, f.min, 1e-9);
            EXPECT_NEAR(*c.max, f.max, 1e-9);
            EXPECT_EQ(c.minAt, f.minAt);
            EXPECT_EQ(c.maxAt, f.maxAt);
        }
        EXPECT_EQ(c.hasLimits, f.hasLimits);
        EXPECT_EQ(c.hoursBelow, f.below);
        EXPECT_EQ(c.hoursAbove, f.above);
        ASSERT_EQ(c.excursions.size(), qsizetype(f.excursions.size()));
        for (size_t i = 0; i < f.excursions.size(); ++i) {
            const Excursion& got = c.excursions[qsizetype(i)];
            const Excursion& want = f.excursions[i];
            EXPECT_EQ(got.side, want.side) << i;
            EXPECT_EQ(got.first, want.first) << i;
            EXPECT_EQ(got.last, want.last) << i;
            EXPECT_EQ(got.hours, want.hours) << i;
            EXPECT_NEAR(got.extreme, want.extreme, 1e-9) << i;
        }
        EXPECT_EQ(c.mkt.has_value(), f.hasMkt);
    }
}

TEST(ComplianceTest, MeanOfTheRecordedHours)
{
    // Two days of 20 and one of 23.5 over a month with every other day missing.
    QStringList lines{reportHeader()};
    lines << dayLineT(7, 1, day(20)) << dayLineT(7, 2, day(20)) << dayLineT(7, 9, day(23.5));
    const ReportYear year = loadReportYear(lines);
    const MonthCompliance c = computeMonthCompliance(year, 7, daysOf(3, 7), {});
    EXPECT_EQ(c.hoursRecorded, 72);
    EXPECT_NEAR(*c.completenessPercent, 10.0, 1e-9);
    EXPECT_NEAR(*c.mean, (20 + 20 + 23.5) / 3, 1e-9);
}

// The hand-worked cases: a constant gives that constant; 20 °C and 30 °C give
// 10000 / -ln((e^(-10000/293.15) + e^(-10000/303.15)) / 2) - 273.15 = 26.26 °C;
// extremes of the valid range stay finite.
TEST(ComplianceTest, MeanKineticTemperature)
{
    EXPECT_FALSE(meanKineticTemperature({}).has_value());
    EXPECT_NEAR(*meanKineticTemperature({5, 5, 5, 5}), 5.0, 1e-9);
    EXPECT_NEAR(*meanKineticTemperature({-20}), -20.0, 1e-9);
    EXPECT_NEAR(*meanKineticTemperature({20, 30}), 26.26, 0.005);
    EXPECT_NEAR(*meanKineticTemperature({2, 8}), 5.54, 0.005);
    const double wide = *meanKineticTemperature({-199.9, 159.9});
    EXPECT_TRUE(std::isfinite(wide));
    EXPECT_GT(wide, 100.0);

    // The month's MKT is over its single recorded hours.
    QStringList lines{reportHeader()};
    lines << dayLineT(1, 1, day(20, {{5, 30}}));
    const ReportYear year = loadReportYear(lines);
    EXPECT_NEAR(*computeMonthCompliance(year, 1, daysOf(3, 1), {}).mkt,
                *meanKineticTemperature(QList<double>(23, 20) << 30), 1e-9);
}

TEST(ComplianceTest, TemperatureLettersOfTheTypeTable)
{
    for (const char* t : {"P", "T", "D", "t", "K", "i", "M"})
        EXPECT_TRUE(isTemperatureSensorType(QString::fromLatin1(t))) << t;
    for (const char* t : {"H", "h", "p", "V", "S", "X", "", "TT"})
        EXPECT_FALSE(isTemperatureSensorType(QString::fromLatin1(t))) << t;
}

TEST(ComplianceTest, ExpectedHoursAndGregorianDatesFromTheClock)
{
    const QDateTime now(QDate(2026, 12, 10), QTime(20, 48));  // 1405/9/19 20:48
    const _SYSTEMTIME s = clockOf(now, ShamsiCalendar::Official);
    ASSERT_EQ(s.wYear, 5);
    ASSERT_EQ(s.wMonth, 9);
    ASSERT_EQ(s.wDay, 19);
    EXPECT_EQ(expectedHoursAt(5, 9, now, ShamsiCalendar::Official), 18 * 24 + 21);
    EXPECT_EQ(expectedHoursAt(5, 8, now, ShamsiCalendar::Official), -1);
    EXPECT_EQ(expectedHoursAt(4, 12, now, ShamsiCalendar::Official), -1);
    EXPECT_EQ(expectedHoursAt(99, 12, now, ShamsiCalendar::Official), -1);  // 1399
    EXPECT_EQ(expectedHoursAt(5, 10, now, ShamsiCalendar::Official), 0);
    EXPECT_EQ(expectedHoursAt(6, 1, now, ShamsiCalendar::Official), 0);

    EXPECT_EQ(gregorianOfShamsi(5, 9, 19, now, ShamsiCalendar::Official), QDate(2026, 12, 10));
    EXPECT_EQ(gregorianOfShamsi(5, 1, 1, now, ShamsiCalendar::Official), QDate(2026, 3, 21));
    EXPECT_EQ(gregorianOfShamsi(99, 12, 30, now, ShamsiCalendar::Official), QDate(2021, 3, 20));
    EXPECT_EQ(gregorianOfShamsi(3, 7, 1, now, ShamsiCalendar::Official), QDate(2024, 9, 22));
}

}  // namespace
