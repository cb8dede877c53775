#include "app/calendar.h"

#include <gtest/gtest.h>

#include "app/registry.h"
#include "platform/errors.h"

namespace {

struct ShamsiCase
{
    int gy, gm, gd;
    int year, month, day;
};

class Date2ShamsiTest : public ::testing::TestWithParam<ShamsiCase>
{
};

// These dates are the same in both calendars.
TEST_P(Date2ShamsiTest, GivesTheDateOfBothCalendars)
{
    const auto c = GetParam();
    for (const ShamsiCalendar cal : {ShamsiCalendar::Official, ShamsiCalendar::Arithmetic}) {
        SCOPED_TRACE(calendarName(cal).toStdString());
        const _SYSTEMTIME t =
            Date2Shamsi(QDate(c.gy, c.gm, c.gd), QDateTime(QDate(2026, 1, 1), QTime(13, 14, 15, 16)), cal);
        EXPECT_EQ(t.wYear, c.year);
        EXPECT_EQ(t.wMonth, c.month);
        EXPECT_EQ(t.wDay, c.day);
        // Time fields come from the clock, not from the date.
        EXPECT_EQ(t.wHour, 13);
        EXPECT_EQ(t.wMinute, 14);
        EXPECT_EQ(t.wSecond, 15);
        EXPECT_EQ(t.wMilliseconds, 16);
    }
}

INSTANTIATE_TEST_SUITE_P(Dates, Date2ShamsiTest,
                         ::testing::Values(ShamsiCase{2020, 3, 19, 98, 12, 29}, ShamsiCase{2020, 3, 20, 99, 1, 1},
                                           ShamsiCase{2021, 3, 20, 99, 12, 30}, ShamsiCase{2021, 3, 21, 0, 1, 1},
                                           ShamsiCase{2020, 1, 1, 98, 10, 11}, ShamsiCase{2019, 9, 23, 98, 7, 1},
                                           // month ends of the first and second half, year 1403 stored as 3
                                           ShamsiCase{2024, 9, 21, 3, 6, 31}, ShamsiCase{2024, 9, 22, 3, 7, 1},
                                           ShamsiCase{2024, 12, 31, 3, 10, 11}, ShamsiCase{2026, 12, 10, 5, 9, 19},
                                           // leap day and the day after
                                           ShamsiCase{2024, 2, 29, 2, 12, 10}, ShamsiCase{2024, 3, 1, 2, 12, 11}));

TEST(Date2Shamsi, SameDateAtTwoTimesKeepsTheDate)
{
    const QDate d(2021, 6, 1);
    const auto a = Date2Shamsi(d, QDateTime(QDate(2021, 6, 1), QTime(1, 2, 3)));
    const auto b = Date2Shamsi(d, QDateTime(QDate(2021, 6, 1), QTime(22, 40, 9)));
    EXPECT_EQ(a.wYear, b.wYear);
    EXPECT_EQ(a.wMonth, b.wMonth);
    EXPECT_EQ(a.wDay, b.wDay);
    EXPECT_NE(a.wHour, b.wHour);
}

// Nowruz (1 Farvardin) and the length of the years 1395..1420 in the official
// calendar, as published; the arithmetic takes its leap years from the Gregorian
// year each one begins in, and so starts 1408, 1412 and 1416 a day late (and 1409,
// 1413, 1417 a day early).
TEST(Calendar, NowruzAndYearLengthsOf1395To1420)
{
    const struct
    {
        int year;
        QDate nowruz;
        int days;
        QDate arithmeticNowruz;
        int arithmeticDays;
    } cases[] = {
        {1395, {2016, 3, 20}, 366, {2016, 3, 20}, 366}, {1396, {2017, 3, 21}, 365, {2017, 3, 21}, 365},
        {1397, {2018, 3, 21}, 365, {2018, 3, 21}, 365}, {1398, {2019, 3, 21}, 365, {2019, 3, 21}, 365},
        {1399, {2020, 3, 20}, 366, {2020, 3, 20}, 366}, {1400, {2021, 3, 21}, 365, {2021, 3, 21}, 365},
        {1401, {2022, 3, 21}, 365, {2022, 3, 21}, 365}, {1402, {2023, 3, 21}, 365, {2023, 3, 21}, 365},
        {1403, {2024, 3, 20}, 366, {2024, 3, 20}, 366}, {1404, {2025, 3, 21}, 365, {2025, 3, 21}, 365},
        {1405, {2026, 3, 21}, 365, {2026, 3, 21}, 365}, {1406, {2027, 3, 21}, 365, {2027, 3, 21}, 365},
        {1407, {2028, 3, 20}, 365, {2028, 3, 20}, 366}, {1408, {2029, 3, 20}, 366, {2029, 3, 21}, 365},
        {1409, {2030, 3, 21}, 365, {2030, 3, 21}, 365}, {1410, {2031, 3, 21}, 365, {2031, 3, 21}, 365},
        {1411, {2032, 3, 20}, 365, {2032, 3, 20}, 366}, {1412, {2033, 3, 20}, 366, {2033, 3, 21}, 365},
        {1413, {2034, 3, 21}, 365, {2034, 3, 21}, 365}, {1414, {2035, 3, 21}, 365, {2035, 3, 21}, 365},
        {1415, {2036, 3, 20}, 365, {2036, 3, 20}, 366}, {1416, {2037, 3, 20}, 366, {2037, 3, 21}, 365},
        {1417, {2038, 3, 21}, 365, {2038, 3, 21}, 365}, {1418, {2039, 3, 21}, 365, {2039, 3, 21}, 365},
        {1419, {2040, 3, 20}, 365, {2040, 3, 20}, 366}, {1420, {2041, 3, 20}, 366, {2041, 3, 21}, 365},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.year);
        const struct
        {
            ShamsiCalendar cal;
            QDate nowruz;
            int days;
        } both[] = {{ShamsiCalendar::Official, c.nowruz, c.days},
                    {ShamsiCalendar::Arithmetic, c.arithmeticNowruz, c.arithmeticDays}};
        for (const auto& b : both) {
            SCOPED_TRACE(calendarName(b.cal).toStdString());
            EXPECT_EQ(fromShamsi({c.year, 1, 1}, b.cal), b.nowruz);
            EXPECT_EQ(toShamsi(b.nowruz, b.cal), (ShamsiDate{c.year, 1, 1}));
            EXPECT_EQ(toShamsi(b.nowruz.addDays(-1), b.cal),
                      (ShamsiDate{c.year - 1, 12, daysInShamsiMonth(c.year - 1, 12, b.cal)}));
            EXPECT_EQ(daysInShamsiYear(c.year, b.cal), b.days);
            EXPECT_EQ(daysInShamsiMonth(c.year, 12, b.cal), b.days - 336);
            EXPECT_EQ(fromShamsi({c.year, 12, 30}, b.cal).isValid(), b.days == 366);
            // The day numbers of the year are its days, one after the other.
            for (int n = 1; n <= b.days; ++n) {
                int m = 0, d = 0;
                Num2MonthDay(n, m, d);
                ASSERT_EQ(MonthDay2Num(m, d), n);
                ASSERT_LE(d, daysInShamsiMonth(c.year, m, b.cal));
                ASSERT_EQ(fromShamsi({c.year, m, d}, b.cal), b.nowruz.addDays(n - 1)) << m << "/" << d;
            }
        }
    }
}

// 2029-03-20: Nowruz 1408 in the official calendar, the last day of 1407 in the
// arithmetic one, stored and sent as 8/1/1 or 7/12/30; "calendar = arithmetic" in
// the settings brings the arithmetic back, and the program's conversions follow it.
TEST(Calendar, TheSettingsLineChoosesTheCalendar)
{
    const QDate nowruz1408(2029, 3, 20);
    const QDateTime at(nowruz1408, QTime(9, 0));
    const _SYSTEMTIME official = Date2Shamsi(nowruz1408, at, ShamsiCalendar::Official);
    EXPECT_EQ(official.wYear, 8);
    EXPECT_EQ(official.wMonth, 1);
    EXPECT_EQ(official.wDay, 1);
    const _SYSTEMTIME arithmetic = Date2Shamsi(nowruz1408, at, ShamsiCalendar::Arithmetic);
    EXPECT_EQ(arithmetic.wYear, 7);
    EXPECT_EQ(arithmetic.wMonth, 12);
    EXPECT_EQ(arithmetic.wDay, 30);

    const struct
    {
        const char* line;  // "" for no line
        ShamsiCalendar expected;
        bool unreadable;
    } lines[] = {{"", ShamsiCalendar::Official, false},
                 {"calendar = arithmetic", ShamsiCalendar::Arithmetic, false},
                 {"Calendar=Arithmetic ", ShamsiCalendar::Arithmetic, false},
                 {"calendar = official", ShamsiCalendar::Official, false},
                 {"calendar = julian", ShamsiCalendar::Official, true},
                 {"calendar =", ShamsiCalendar::Official, true}};
    for (const auto& l : lines) {
        SCOPED_TRACE(l.line);
        program_rec prog;
        bool threw = false;
        if (*l.line) {
            try {
                ParseSettingLine(QString::fromUtf8(l.line), prog);
            } catch (const ConvertError& e) {
                threw = true;
                EXPECT_TRUE(e.text().contains(QString::fromUtf8(l.line).trimmed())) << e.text().toStdString();
            }
        }
        EXPECT_EQ(threw, l.unreadable);
        EXPECT_EQ(prog.calendar, l.expected);
        const _SYSTEMTIME t = Date2Shamsi(nowruz1408, at, prog.calendar);
        const _SYSTEMTIME c = clockOf(at, prog.calendar);
        const _SYSTEMTIME& want = l.expected == ShamsiCalendar::Official ? official : arithmetic;
        EXPECT_EQ(t.wYear, want.wYear);
        EXPECT_EQ(t.wDay, want.wDay);
        EXPECT_EQ(c.wYear, want.wYear);
        EXPECT_EQ(c.wDay, want.wDay);
    }
}

// A two-digit year is the year ending in those digits from 49 years before the
// year it is read near to 50 years after it.
TEST(Calendar, TwoDigitYearsAreReadNearAYear)
{
    EXPECT_EQ(fullShamsiYear(5, 1405), 1405);
    EXPECT_EQ(fullShamsiYear(4, 1405), 1404);
    EXPECT_EQ(fullShamsiYear(99, 1405), 1399);
    EXPECT_EQ(fullShamsiYear(56, 1405), 1356);
    EXPECT_EQ(fullShamsiYear(55, 1405), 1455);
    EXPECT_EQ(fullShamsiYear(98, 1401), 1398);
    EXPECT_EQ(fullShamsiYear(1, 1399), 1401);
}

}  // namespace

// The moment a scripted run names in TERMIVO_NOW: minutes, or seconds too, and nothing else.
TEST(ProgramNow, ReadsTheMomentARunIsGiven)
{
    EXPECT_EQ(parseProgramNow("2026-07-01T10:30"), QDateTime(QDate(2026, 7, 1), QTime(10, 30)));
    EXPECT_EQ(parseProgramNow("2026-07-01T10:30:15"), QDateTime(QDate(2026, 7, 1), QTime(10, 30, 15)));
    for (const char* bad : {"", "2026-07-01", "2026-13-01T10:30", "2026-07-01 10:30", "yesterday", "10:30"})
        EXPECT_FALSE(parseProgramNow(bad).isValid()) << bad;
}
