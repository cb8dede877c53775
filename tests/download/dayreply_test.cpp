// The download's grammar of device replies: the sensor header and the day log, and
// the day line a good day reply becomes.
#include <gtest/gtest.h>

#include "download/replycheck.h"
#include "support/fixtures.h"

namespace {

const QString kCodes = QStringLiteral("<<==>>??ww") + QString(38, QLatin1Char('S'));

// The day log as a device sends it: fields 7 year, 8 hours recorded, 9 sensor,
// 10 month, 11 day, 12 codes.
QString dayReply(const QString& item)
{
    return QStringLiteral("{\"GetLog\":{\"Day\":\"") + item + QStringLiteral("\"}}");
}

TEST(DayReply, ReadsTheDayLogOrNothing)
{
    struct Case
    {
        const char* what;
        QString reply;
        bool isDay;
        int sensor = 0, month = 0, day = 0;
        QString year = {}, extra = {};
    };
    const Case cases[] = {
        {"a day log", dayReply("3,24,0,5,3," + kCodes), true, 0, 5, 3, "3", "24"},
        {"blanks around month and day", dayReply("03,7,2, 5 , 3 ," + kCodes), true, 2, 5, 3, "03", "7"},
        {"leading zeros", dayReply("1403,24,0003,05,09," + kCodes), true, 3, 5, 9, "1403", "24"},
        {"a field after the codes", dayReply("3,24,0,5,3," + kCodes + ",more"), true, 0, 5, 3, "3", "24"},
        {"empty", QString(), false},
        {"a time-out", QStringLiteral("Time Out"), false},
        {"another command", QStringLiteral("{\"GetLag\":{\"Day\":\"3,24,0,5,3,") + kCodes + "\"}}", false},
        {"no Day member", QStringLiteral("{\"GetLog\":{\"Dax\":\"3,24,0,5,3,") + kCodes + "\"}}", false},
        {"an error reply", QStringLiteral("{\"GetLog\":{\"Error\":\"Bad day\"}}"), false},
        {"47 codes", dayReply("3,24,0,5,3," + kCodes.left(47)), false},
        {"49 codes", dayReply("3,24,0,5,3," + kCodes + "<"), false},
        {"a code below '<'", dayReply("3,24,0,5,3,;" + kCodes.mid(1)), false},
        {"a code past 'w'", dayReply("3,24,0,5,3,x" + kCodes.mid(1)), false},
        {"a blank among the codes", dayReply("3,24,0,5,3, " + kCodes.mid(1)), false},
        {"a tab anywhere", dayReply("3,24,0,5,3," + kCodes) + "\t", false},
        {"a line break among the codes", dayReply("3,24,0,5,3," + kCodes.left(20) + "\n" + kCodes.mid(21)), false},
        {"a forged second day", dayReply("3,24,0,5,3," + kCodes + "\r\n5,4," + kCodes + ",3,24"), false},
        {"a five-digit year", dayReply("14030,24,0,5,3," + kCodes), false},
        {"three digits in field 8", dayReply("3,240,0,5,3," + kCodes), false},
        {"an empty field 8", dayReply("3,,0,5,3," + kCodes), false},
        {"a signed sensor", dayReply("3,24,+0,5,3," + kCodes), false},
        {"a blank beside the sensor", dayReply("3,24, 0,5,3," + kCodes), false},
        {"a month that is no number", dayReply("3,24,0,5a,3," + kCodes), false},
        {"a five-digit day", dayReply("3,24,0,5,00003," + kCodes), false},
        {"fields cut short", dayReply("3,24,0,5"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<DayReply> d = parseDayReply(c.reply);
        ASSERT_EQ(d.has_value(), c.isDay);
        if (!d) continue;
        EXPECT_EQ(d->sensor, c.sensor);
        EXPECT_EQ(d->month, c.month);
        EXPECT_EQ(d->day, c.day);
        EXPECT_EQ(d->codes, kCodes);
        EXPECT_EQ(d->year, c.year);
        EXPECT_EQ(d->extra, c.extra);
    }
}

TEST(DayReply, IsForTheRequestedSensorAndDayOnly)
{
    const std::optional<DayReply> d = parseDayReply(dayReply("3,24,1,5,3," + kCodes));
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->isFor(1, 5, 3));
    EXPECT_FALSE(d->isFor(0, 5, 3));  // a reply for another sensor
    EXPECT_FALSE(d->isFor(1, 5, 2));  // a late reply to the request before
    EXPECT_FALSE(d->isFor(1, 4, 3));
}

// The report line of a day: month, day, codes, year, field 8, and the loader reads
// it back as that day. Blanks the check allows around the month and day stay out of
// the line (the loader refuses a number followed by a blank).
TEST(DayReply, BecomesADayLineTheLoaderReads)
{
    for (const QString& item : {"3,24,0,5,3," + kCodes, "3,24,0,5 ,3 ," + kCodes, "3,24,0, 5, 3," + kCodes}) {
        const std::optional<DayReply> d = parseDayReply(dayReply(item));
        ASSERT_TRUE(d);
        const QString line = formatDayLine(d->dayLine());
        EXPECT_EQ(line, "5,3," + kCodes + ",3,24");
        const std::optional<DayLine> back = parseDayLine(line);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->month, 5);
        EXPECT_EQ(back->day, 3);
        EXPECT_EQ(back->codes, kCodes);
    }
}

TEST(SensorHeader, OnlyAConfirmingHeaderOfThirteenFieldsIsOne)
{
    const struct
    {
        const char* what;
        QString reply;
        bool isHeader;
    } cases[] = {
        {"the device's header", "SenPara(0,1,TH,1,0,T,-20.0,50.0,60,0,5,3,0,0,0):44,A", true},
        {"blanks before the command", "  SenPara(0,1,TH,1,0,T,-20.0,50.0,60,0,5,3", true},
        {"a sensor that is not stored", "SenPara(0,0,TH,0,1,-,0,0,0,0,5,3):40,A", false},
        {"twelve fields", "SenPara(0,1,TH,1,0,T,-20.0,50.0,60,0,5", false},
        {"the tail of a late header", ",TH,1,0,T,-20.0,50.0,60,0,5,3):44,A", false},
        {"another reply", "GetLog(0,1,TH,1,0,T,-20.0,50.0,60,0,5,3,0", false},
        {"a line break inside", "SenPara(0,1,TH,1,0,T,-20.0,50.0,60,0,5,3\n,0,0,0", false},
        {"a time-out", "Time Out", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isSensorHeader(c.reply), c.isHeader) << c.what;
}

}  // namespace
