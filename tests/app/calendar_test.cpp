#include "app/calendar.h"

#include <gtest/gtest.h>

namespace {

struct ShamsiCase
{
    int gy, gm, gd;
    int year, month, day;
};

class Date2ShamsiTest : public ::testing::TestWithParam<ShamsiCase>
{
};

TEST_P(Date2ShamsiTest, GivesTheFixedArithmeticDate)
{
    const auto c = GetParam();
    const _SYSTEMTIME t = Date2Shamsi(QDate(c.gy, c.gm, c.gd), QDateTime(QDate(2026, 1, 1), QTime(13, 14, 15, 16)));
    EXPECT_EQ(t.wYear, c.year);
    EXPECT_EQ(t.wMonth, c.month);
    EXPECT_EQ(t.wDay, c.day);
    // Time fields come from the clock, not from the date.
    EXPECT_EQ(t.wHour, 13);
    EXPECT_EQ(t.wMinute, 14);
    EXPECT_EQ(t.wSecond, 15);
    EXPECT_EQ(t.wMilliseconds, 16);
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

TEST(DayNumbers, RoundTripOverTheWholeYear)
{
    struct
    {
        int month, day, num;
    } cases[] = {{1, 1, 1}, {6, 31, 186}, {7, 1, 187}, {12, 30, 366}, {2, 1, 32}};
    for (const auto& c : cases) {
        EXPECT_EQ(MonthDay2Num(c.month, c.day), c.num);
        int m = 0, d = 0;
        Num2MonthDay(c.num, m, d);
        EXPECT_EQ(m, c.month);
        EXPECT_EQ(d, c.day);
    }
    for (int n = 1; n <= 366; ++n) {
        int m = 0, d = 0;
        Num2MonthDay(n, m, d);
        ASSERT_GE(d, 1);
        ASSERT_LE(d, daysInShamsiMonth(m));
        ASSERT_EQ(MonthDay2Num(m, d), n);
    }
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
