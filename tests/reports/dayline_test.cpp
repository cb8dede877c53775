// The one reader of report day lines, shared by the loader and the report writer.
#include "reports/dayline.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "support/fixtures.h"

namespace {

const QString kCodes = QStringLiteral("<<==>>??") + QString(40, QLatin1Char('S'));

TEST(DayLine, ReadsTheFieldsOfADayOrNothing)
{
    struct Case
    {
        const char* what;
        QString line;
        bool isDay;
        int month = 0, day = 0;
        QString codes = {};
        std::optional<QString> year = {};
        QStringList extra = {};
    };
    const QString pad(60, QLatin1Char('x'));
    const Case cases[] = {
        {"a line the download writes", "5,3," + kCodes + ",3,24", true, 5, 3, kCodes, "3", {"24"}},
        {"extra fields are kept", "12,30," + kCodes + ",04,24,a,b", true, 12, 30, kCodes, "04", {"24", "a", "b"}},
        {"parentheses cut fields too", "1,31," + kCodes + "(3)24", true, 1, 31, kCodes, "3", {"24"}},
        {"blanks before the numbers", " 5,  3," + kCodes + ",3,24", true, 5, 3, kCodes, "3", {"24"}},
        {"no year field", "7,1," + kCodes + "<<<", true, 7, 1, kCodes + "<<<", std::nullopt, {}},
        {"a short codes field is still a day", "7,2,<<<<,3," + pad, true, 7, 2, "<<<<", "3", {pad}},
        {"empty codes", "7,3,,3," + pad, true, 7, 3, "", "3", {pad}},
        // A control character inside the codes is a code like any other: the loader
        // finds no valid value in it and marks that hour missing.
        {"a tab among the codes", "7,4,\t" + kCodes.mid(1) + ",3,24", true, 7, 4, "\t" + kCodes.mid(1), "3", {"24"}},
        {"shorter than 55 characters", "5,3," + kCodes.left(40) + ",3,24", false},
        {"fewer than three fields", "5;3;" + kCodes + ";3;24", false},
        {"month 0", "0,3," + kCodes + ",3,24", false},
        {"month 13", "13,3," + kCodes + ",3,24", false},
        {"day 0", "5,0," + kCodes + ",3,24", false},
        {"day 32", "5,32," + kCodes + ",3,24", false},
        {"a negative day", "5,-1," + kCodes + ",3,24", false},
        {"a comment line", "Comment,5,1/5/3 10:5:" + pad, false},
        {"a forged second line", "5,3," + kCodes + "\n5,4," + kCodes + ",3,24", false},
        {"a carriage return", "5,3," + kCodes + ",3\r,24", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<DayLine> d = parseDayLine(c.line);
        ASSERT_EQ(d.has_value(), c.isDay);
        if (!d) continue;
        EXPECT_EQ(d->month, c.month);
        EXPECT_EQ(d->day, c.day);
        EXPECT_EQ(d->codes, c.codes);
        EXPECT_EQ(d->year, c.year);
        EXPECT_EQ(d->extra, c.extra);
    }
}

// A month or day that is not an integer is a damaged file: the loader reports it.
TEST(DayLine, AMonthOrDayThatIsNoIntegerIsAConversionError)
{
    for (const QString& line : {"x,3," + kCodes + ",3,24", "5,3a," + kCodes + ",3,24", "5 ,3," + kCodes + ",3,24",
                                "5,3 ," + kCodes + ",3,24", ",3," + kCodes + ",3,24", "5,0x3," + kCodes + ",3,24"}) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_THROW(parseDayLine(line), ConvertError);
    }
}

TEST(DayLine, AComposedLineReadsBackAsTheSameDay)
{
    const DayLine days[] = {
        {5, 3, kCodes, QStringLiteral("3"), {QStringLiteral("24")}},
        {12, 30, kCodes, QStringLiteral("04"), {QStringLiteral("7"), QStringLiteral("z")}},
        {1, 1, kCodes + "<<<", std::nullopt, {}},
    };
    for (const DayLine& d : days) {
        const QString line = formatDayLine(d);
        const std::optional<DayLine> back = parseDayLine(line);
        ASSERT_TRUE(back) << line.toStdString();
        EXPECT_EQ(back->month, d.month);
        EXPECT_EQ(back->day, d.day);
        EXPECT_EQ(back->codes, d.codes);
        EXPECT_EQ(back->year, d.year);
        EXPECT_EQ(back->extra, d.extra);
    }
    EXPECT_EQ(formatDayLine(days[0]), "5,3," + kCodes + ",3,24");
}

}  // namespace
