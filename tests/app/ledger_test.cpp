#include "app/ledger.h"

#include <gtest/gtest.h>

#include <QDir>

#include "app/calendar.h"
#include "app/records.h"
#include "app/registry.h"
#include "support/fixtures.h"

namespace {

class LedgerTest : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        setProgramNowForTests(QDateTime(QDate(2021, 3, 21), QTime(9, 45)));
        writeLines(path("DeviceStatus.txt"),
                   {"device  =One,127.0.0.2,t0,,t2,,A,T,lan,", "device  =Two,COM1,,h1,,,B,H,serial,",
                    "device  =Bare,COM2,,,,,C,T,serial,"});
    }
};

TEST_F(LedgerTest, LinesMoveTheirChannelsAndOthersKeepTheLoadDefault)
{
    writeLines(path("Last_refresh.txt"),
               {kLedgerHeader, "A,T,2,0,99,12,29,23,59,", "Z,T,0,0,98,1,1,1,1,", "B,H,1,0,0,1,1,5,6,"});
    const auto notes = loadRegistry();
    EXPECT_TRUE(notes.errors.isEmpty());
    const Sensor_Rec& a2 = DevList[0].Sensor[2];
    EXPECT_EQ(a2.Last_ref.wYear, 99);
    EXPECT_EQ(a2.Last_ref.wMonth, 12);
    EXPECT_EQ(a2.Last_ref.wDay, 29);
    EXPECT_EQ(a2.Last_ref.wHour, 23);
    EXPECT_EQ(a2.Last_ref.wMinute, 59);
    EXPECT_EQ(a2.ID, "A");
    // Channel 0 of A has no line: today (0/1/1) at hour 1.
    EXPECT_EQ(DevList[0].Sensor[0].Last_ref.wYear, 0);
    EXPECT_EQ(DevList[0].Sensor[0].Last_ref.wHour, 1);
    EXPECT_EQ(DevList[1].Sensor[1].Last_ref.wHour, 5);
}

TEST_F(LedgerTest, BadLinesAreSkippedAndReported)
{
    writeLines(path("Last_refresh.txt"),
               {kLedgerHeader, "A,T,x,0,99,1,1,1,1,", ",T,0,0,99,1,1,1,1,", "A,T,7,0,99,1,1,1,1,", "A,T,0,0,99,1,1,",
                "A,T,0,0,99,13,1,1,1,", "A,T,0,0,98,7,1", "A,T,0,0,97,2,3,4,5,"});
    const auto notes = loadRegistry();
    EXPECT_EQ(notes.errors.size(), 4);  // non-numeric channel, two lines without hour and minute, month 13
    EXPECT_EQ(DevList[0].Sensor[0].Last_ref.wYear, 97);
    EXPECT_EQ(DevList[0].Sensor[0].Last_ref.wMonth, 2);
}

TEST_F(LedgerTest, SaveWritesOneLinePerNamedChannelAndEitherSpellingIsOneFile)
{
    writeLines(path("Last_refresh.txt"), {kLedgerHeader, "A,T,0,0,98,7,1,1,1,"});
    loadRegistry();
    DevList[0].Sensor[0].Last_ref.wDay = 9;
    SaveLastRefresh();
    EXPECT_EQ(QDir(root()).entryList({"*.txt"}, QDir::Files, QDir::Name),
              (QStringList{"DeviceStatus.txt", "Last_refresh.txt"}));
    EXPECT_EQ(readLines(ledgerPath()),
              (QStringList{kLedgerHeader, "A,T,0,0,98,7,9,1,1,", "A,T,2,0,0,1,1,1,45,", "B,H,1,0,0,1,1,1,45,"}));
}

TEST_F(LedgerTest, ResetGivesEveryNamedChannelOneDateAndYearChangeIsAnnounced)
{
    loadRegistry();
    ResetLastRefresh(98, 7, 1);
    EXPECT_EQ(readLines(path("last_refresh.txt")),
              (QStringList{kLedgerHeader, "A,T,0,0,98,7,1,1,1,", "A,T,2,0,98,7,1,1,1,", "B,H,1,0,98,7,1,1,1,"}));
    YearChanged = 1;
    dlg.expect(Kind::Message, "سال عوض شده است لطفا برنامه را بسته و مجددا باز کنید  ");
    SaveLastRefresh();
    EXPECT_EQ(readLines(path("last_refresh.txt")).size(), 4);
}

TEST_F(LedgerTest, FindDeviceByIdIsExactAndFirstWins)
{
    loadRegistry();
    EXPECT_EQ(FindDeviceByID("A"), 0);
    EXPECT_EQ(FindDeviceByID("a"), -1);
    EXPECT_EQ(FindDeviceByID("C"), 2);
    DevLast = -1;
    EXPECT_EQ(FindDeviceByID("A"), -1);
}

TEST_F(LedgerTest, RegistryWithoutNamedChannelsGivesOnlyTheHeader)
{
    writeLines(path("DeviceStatus.txt"), {"device  =Bare,COM2,,,,,C,T,serial,"});
    loadRegistry();
    SaveLastRefresh();
    EXPECT_EQ(readLines(ledgerPath()), QStringList{kLedgerHeader});
}

}  // namespace
