// Reading replies with their disconnection and alarm marks, and the device clock check.
#include "online/readings.h"

#include <gtest/gtest.h>

#include "app/calendar.h"
#include "support/fixtures.h"

namespace {

QString readingReply(const QString& s0, const QString& s1, const QString& s2, const QString& s3, const QString& alarm,
                     const QString& id = QStringLiteral("a"))
{
    QString members = QStringLiteral("\"Sensor0\":\"%1\",\"Sensor1\":\"%2\",\"Sensor2\":\"%3\",\"Sensor3\":\"%4\",")
                          .arg(s0, s1, s2, s3);
    if (!alarm.isNull()) members += QStringLiteral("\"Alarm\":\"%1\",").arg(alarm);
    return QStringLiteral("{\"GetTemp\":{%1\"MemErr\":\"0\",\"ID\":\"%2\"}}").arg(members, id);
}

TEST(Readings, MarksDisconnectedSensorsByTheirNumberAndAlarmsByTheirBit)
{
    struct Case
    {
        const char* what;
        QStringList sensors;
        QString alarm;
        QStringList shown;
    };
    const Case cases[] = {
        {"plain", {"21.5", "45.0", "-18.5", "3.3"}, "0", {"21.5", "45.0", "-18.5", "3.3"}},
        {"disconnected, no alarm", {"150.0", "-150.0", "150", "15.0"}, "0", {"D.C.", "D.C.", "D.C.", "15.0"}},
        {"disconnected in alarm", {"150.0", "20.0", "20.0", "20.0"}, "1", {"D.C.(Alarm)", "20.0", "20.0", "20.0"}},
        // 10 = bits 1 and 3: the second and fourth sensors.
        {"alarm 10", {"1", "2", "3", "4"}, "10", {"1", "2(Alarm)", "3", "4(Alarm)"}},
        // A CO2 sensor in ppm and a humidity of 21.50 are readings, not disconnections.
        {"150 inside a number", {"1150", "21.50", "150.5", "-1500"}, "0", {"1150", "21.50", "150.5", "-1500"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = decodeReading(readingReply(c.sensors[0], c.sensors[1], c.sensors[2], c.sensors[3], c.alarm));
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->id, "a");
        for (int k = 0; k < 4; ++k) EXPECT_EQ(r->texts[k], c.shown[k]) << k;
    }
}

TEST(Readings, RepliesThatAreNotReadingsAreDroppedWhole)
{
    const QString good = readingReply("1", "2", "3", "4", "0");
    EXPECT_TRUE(decodeReading("$" + good).has_value());  // the leading "$" becomes a blank
    const QString bad[] = {
        readingReply("1", "2", "3", "4", QString()),  // no "Alarm"
        readingReply("1", "2", "3", "4", ""),         // empty "Alarm"
        readingReply("1", "2", "3", "4", "x1"),       // not a number
        QString(),
        "Time Out",
        "GetTemp {\"GetTemp\":{}}",  // "GetTemp" at the first character
        good.left(good.size() - 1),  // cut short
        "{\"GetTemp\":[1,2]}",       // not an object
    };
    for (const QString& b : bad) EXPECT_FALSE(decodeReading(b).has_value()) << b.toStdString();
}

TEST(Readings, LegendTitle)
{
    EXPECT_EQ(readingTitle("a", 1, "Freezer", "-18.5(Alarm)"), "a2_Freezer : -18.5(Alarm)");
}

// The computer's clock: 2024-08-01 12:00 is Solar Hijri 1403/5/11.
TEST(Readings, ClockCheck)
{
    const QDateTime now(QDate(2024, 8, 1), QTime(12, 0, 30));
    auto reply = [](int y, int m, int d, int h, int min) {
        return QStringLiteral(
                   "{\"GetTimeDate\":{\"Year\":\"%1\",\"Month\":\"%2\",\"Day\":\"%3\",\"Hour\":\"%4\","
                   "\"Minute\":\"%5\"}}")
            .arg(y, 2, 10, QLatin1Char('0'))
            .arg(m)
            .arg(d)
            .arg(h)
            .arg(min);
    };
    struct Case
    {
        const char* what;
        QString reply;
        bool mismatch;
    };
    const Case cases[] = {
        {"same minute", reply(3, 5, 11, 12, 0), false},
        {"89 minutes behind", reply(3, 5, 11, 10, 31), false},
        {"90 minutes behind", reply(3, 5, 11, 10, 30), true},
        {"89 minutes ahead", reply(3, 5, 11, 13, 29), false},
        {"90 minutes ahead", reply(3, 5, 11, 13, 30), true},
        {"another day", reply(3, 5, 12, 12, 0), true},
        {"another month", reply(3, 6, 11, 12, 0), true},
        {"another year", reply(4, 5, 11, 12, 0), true},
        {"no answer", "", false},
        {"time out", "Time Out", false},
        {"no GetTimeDate", "{\"Other\":{}}", false},
        // Fields the reply does not name count as 0: no date is a mismatch.
        {"only the time", "{\"GetTimeDate\":{\"Hour\":\"12\",\"Minute\":\"0\"}}", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto lines = clockMismatchLines(c.reply, "b", now, ShamsiCalendar::Official);
        EXPECT_EQ(lines.has_value(), c.mismatch);
    }
    const auto lines = clockMismatchLines(reply(3, 5, 11, 10, 30), "b", now, ShamsiCalendar::Official);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, (QStringList{QStringLiteral(" ساعت وتاریخ کامپیوتر و دستگاه با هم مغایرت دارد Device ID =b"),
                                   "PC Date    :3/5/11 12:0 (official calendar)", "Device Date:3/5/11 10:30", ""}));
}

// On 2029-03-20 (1408/1/1, the arithmetic's 1407/12/30) the clock check dates the
// computer's clock in the program's calendar and names it, and names the other
// calendar for a device whose date is today's in that one.
TEST(ClockCheck, NamesTheCalendars)
{
    const QDateTime now(QDate(2029, 3, 20), QTime(12, 0));
    auto reply = [](const char* date) {
        const QStringList f = QString::fromLatin1(date).split('/');
        return QStringLiteral(
                   "{\"GetTimeDate\":{\"Year\":\"%1\",\"Month\":\"%2\",\"Day\":\"%3\",\"Hour\":\"12\","
                   "\"Minute\":\"0\"}}")
            .arg(f[0], f[1], f[2]);
    };
    const struct
    {
        ShamsiCalendar program;
        const char* device;
        QStringList dateLines;  // empty: the clocks agree
    } cases[] = {
        {ShamsiCalendar::Official, "08/1/1", {}},
        {ShamsiCalendar::Official,
         "07/12/30",
         {"PC Date    :8/1/1 12:0 (official calendar)", "Device Date:7/12/30 12:0 (arithmetic calendar)"}},
        {ShamsiCalendar::Arithmetic, "07/12/30", {}},
        {ShamsiCalendar::Arithmetic,
         "08/1/1",
         {"PC Date    :7/12/30 12:0 (arithmetic calendar)", "Device Date:8/1/1 12:0 (official calendar)"}},
        // A date of neither calendar gets no second name.
        {ShamsiCalendar::Official, "08/1/2", {"PC Date    :8/1/1 12:0 (official calendar)", "Device Date:8/1/2 12:0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(calendarName(c.program).toStdString() + " " + c.device);
        const auto lines = clockMismatchLines(reply(c.device), "E", now, c.program);
        ASSERT_EQ(lines.has_value(), !c.dateLines.isEmpty());
        if (lines) {
            EXPECT_EQ(lines->mid(1, 2), c.dateLines);
        }
    }
}

}  // namespace
