// The maintenance command texts and the device clock text from the program's calendar.
#include "config/maintenance.h"

#include <gtest/gtest.h>

#include "app/calendar.h"
#include "platform/bidi.h"
#include "support/fixtures.h"

namespace {

using namespace maintenance;

TEST(MaintenanceTexts, ClockTextFollowsTheCalendarAcrossMidnightAndNowruz)
{
    const struct
    {
        QDateTime now;
        const char* text;
        const char* display;
    } cases[] = {
        {QDateTime(QDate(2020, 1, 25), QTime(14, 3, 27)), "98,11,5,0,14,3,27", "98/11/5_0_14:3:27"},
        {QDateTime(QDate(2019, 3, 22), QTime(9, 5, 7)), "98,1,2,0,9,5,7", "98/1/2_0_9:5:7"},
        // The last second of a day and the first of the next.
        {QDateTime(QDate(2023, 10, 22), QTime(23, 59, 59)), "2,7,30,0,23,59,59", "2/7/30_0_23:59:59"},
        {QDateTime(QDate(2023, 10, 23), QTime(0, 0, 0)), "2,8,1,0,0,0,0", "2/8/1_0_0:0:0"},
        // The last moment of 1402 and Nowruz of 1403.
        {QDateTime(QDate(2024, 3, 19), QTime(23, 59, 59)), "2,12,29,0,23,59,59", "2/12/29_0_23:59:59"},
        {QDateTime(QDate(2024, 3, 20), QTime(0, 0, 1)), "3,1,1,0,0,0,1", "3/1/1_0_0:0:1"},
        // 1399 ends and 1400 begins: the year's two digits go round to 0.
        {QDateTime(QDate(2021, 3, 21), QTime(0, 0, 0)), "0,1,1,0,0,0,0", "0/1/1_0_0:0:0"},
    };
    for (const auto& c : cases) {
        const _SYSTEMTIME t = clockOf(c.now, ShamsiCalendar::Official);
        EXPECT_EQ(clockText(t), c.text) << c.now.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(clockDisplay(t), c.display);
    }
    EXPECT_EQ(clockSetCommand(clockOf(cases[0].now, ShamsiCalendar::Official)),
              "ASetFullPara(\"TimeDate\":{\"Set\":\"98,11,5,0,14,3,27\"})");
}

TEST(MaintenanceTexts, CommandTexts)
{
    EXPECT_EQ(alarmStopCommand(), "ASetFullPara(\"ChangeStat\":{\"Alarm\":\"Disable\"})");
    EXPECT_EQ(eraseCommand(), "ASetFullPara(\"Erase\":{\"Log\":\"\"})");
    EXPECT_EQ(ussdCommand("*555*1*2#"), "ASetFullPara(\"USSDResp\":{\"Code\":\"*555*1*2$\"})");
    EXPECT_EQ(ussdCommand("#1#2"), "ASetFullPara(\"USSDResp\":{\"Code\":\"$1$2\"})");
    EXPECT_EQ(topUpCommand("*140*1234#"), "ASetFullPara(\"USSDResp\":{\"Charge\":\"*140*1234#\"})");
    EXPECT_EQ(kReplySeparator, QString(25, '-'));
    const QStringList& p = presetCommands();
    ASSERT_EQ(p.size(), 15);
    EXPECT_EQ(p[0], "ASetFullPara(\"GetTemp\":{\"Online\":\"\"})");
    EXPECT_EQ(p[5], "AGetFullPara(\"Test\":{\"AlarmPhone\":\"Disable\"})");
    EXPECT_EQ(p[12], "ASetFullPara(\"USSDResp\":{\"USSD\":\"Read\"})");
    EXPECT_TRUE(p[13].isEmpty() && p[14].isEmpty());
}

TEST(MaintenanceTexts, OnlyALowerCaseYesConfirmsTheErase)
{
    EXPECT_TRUE(eraseConfirmed("yes"));
    for (const char* a : {"Yes", " yes", "yes ", "YES", "", "y"}) EXPECT_FALSE(eraseConfirmed(a)) << a;
    Device_Rec d;
    d.Name = "Cold room";
    d.ID = "a";
    d.IP = "127.0.0.11";
    EXPECT_TRUE(erasePrompt(d).startsWith(bidi::leftToRight(kErasePrompt)));
    EXPECT_TRUE(erasePrompt(d).contains("Cold room ID=a 127.0.0.11"));
}

}  // namespace
