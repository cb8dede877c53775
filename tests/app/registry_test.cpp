#include "app/registry.h"

#include <gtest/gtest.h>

#include <QDir>

#include "app/calendar.h"
#include "app/channelclash.h"
#include "app/ledger.h"
#include "app/records.h"
#include "platform/textfile.h"
#include "support/fixtures.h"

namespace {

class RegistryTest : public RootFixture
{
protected:
    void load(const QStringList& lines)
    {
        writeLines(path("DeviceStatus.txt"), lines);
        notes = loadRegistry(state());
    }
    RegistryLoadNotes notes;
};

TEST_F(RegistryTest, MissingFileGivesAnEmptyRegistryAndDefaults)
{
    notes = loadRegistry(state());
    EXPECT_EQ(DevLast, -1);
    EXPECT_EQ(Prog.TotalDev, -1);
    EXPECT_EQ(Prog.TimeOut1, 500);
    EXPECT_EQ(Prog.TimeOut2, 500);
    EXPECT_EQ(Prog.TimeOut3, 500);
    EXPECT_EQ(Prog.tryCnt, 3);
    EXPECT_TRUE(notes.errors.isEmpty());
}

TEST_F(RegistryTest, SettingsLinesSetTheirKeys)
{
    load({"Timeout = 1000, 2000 ,3000", "comment1 = Lab, north wing", "comment2 = ", "TryCnt = 5",
          "picfile = C:\\pics\\bg.bmp ", "textfile = a.txt ", "ver = 2.1", "header = Lab ", "refresh = 7", "online = 1",
          "timecheak = 1", "showyear = 1402"});
    EXPECT_EQ(Prog.TimeOut1, 1000);
    EXPECT_EQ(Prog.TimeOut2, 2000);
    EXPECT_EQ(Prog.TimeOut3, 3000);
    EXPECT_EQ(Prog.Comment, QStringList{"Lab"});
    EXPECT_EQ(Prog.tryCnt, 5);
    EXPECT_EQ(Prog.picFileName, "C:\\pics\\bg.bmp");  // the colon is no delimiter in settings
    EXPECT_EQ(Prog.textfilename, " a.txt ");
    EXPECT_EQ(Prog.ver, "2.1");
    EXPECT_EQ(Prog.Header, "Lab");
    EXPECT_EQ(Prog.refresh, 7);
    EXPECT_EQ(Prog.Online, 1);
    EXPECT_EQ(Prog.TIMECHEAK, 1);
    EXPECT_EQ(Prog.ShowYear, 1402);
    EXPECT_EQ(DevLast, -1);
}

TEST_F(RegistryTest, DeviceLinesFillTheRegistryWithConsecutiveChartIndexes)
{
    setProgramNowForTests(QDateTime(QDate(2020, 3, 20), QTime(15, 30)));
    load({"device  =Store 2,COM3,Cold room,Hall,,,B,T,wireless,",
          "device  =Lab,127.0.0.5,a,,b,c,AB,HX,LAN,extra,fields",
          "Comment0 = device room"});  // contains "device": read as a (short) device line, skipped
    ASSERT_EQ(DevLast, 1);
    EXPECT_EQ(Prog.TotalDev, 1);
    const Device_Rec& d0 = DevList[0];
    EXPECT_EQ(d0.Name, "Store 2");
    EXPECT_EQ(d0.IP, "COM3");
    EXPECT_EQ(d0.ID, "B");
    EXPECT_EQ(d0.SenType, "T");
    EXPECT_EQ(d0.Connection, "wireless");
    EXPECT_EQ(d0.Sensor[0].ChartIndex, 0);
    EXPECT_EQ(d0.Sensor[1].ChartIndex, 1);
    const Device_Rec& d1 = DevList[1];
    EXPECT_EQ(d1.ID, "A");  // first character only
    EXPECT_EQ(d1.SenType, "H");
    EXPECT_EQ(d1.Connection, "lan");
    EXPECT_EQ(d1.Sensor[0].ChartIndex, 2);
    EXPECT_EQ(d1.Sensor[2].ChartIndex, 3);
    EXPECT_EQ(d1.Sensor[3].ChartIndex, 4);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(d1.Sensor[s].SenNumber, s);
        // No ledger: the refresh starts today at hour 1 and runs to today.
        EXPECT_EQ(d1.Sensor[s].Last_ref.wYear, 99);
        EXPECT_EQ(d1.Sensor[s].Last_ref.wMonth, 1);
        EXPECT_EQ(d1.Sensor[s].Last_ref.wDay, 1);
        EXPECT_EQ(d1.Sensor[s].Last_ref.wHour, 1);
        EXPECT_EQ(d1.Sensor[s].Now_ref.wHour, 15);
        EXPECT_FALSE(d1.Sensor[s].Visit);
    }
}

TEST_F(RegistryTest, BadLinesAreSkippedAndTheRestStillLoads)
{
    // The address with a port would shift the sensors into the ID: "s4" would become a device "s".
    load({"timeout = 100,abc,300", "device  =Short,COM1,x,", "device  =NoId,COM1,x,,,,,T,lan,", "trycnt = many",
          "device  =Good,COM2,x,,,,G,T,lan,", "device  =Port,127.0.0.5:54321,s1,s2,s3,s4,P,T,lan,", "online = 1",
          "timeout = 1"});
    ASSERT_EQ(DevLast, 0);
    EXPECT_EQ(DevList[0].Name, "Good");
    EXPECT_EQ(DevList[0].Sensor[0].ChartIndex, 0);
    EXPECT_EQ(Prog.Online, 1);
    EXPECT_EQ(Prog.TimeOut1, 500);  // a line with a bad value is taken not at all
    EXPECT_EQ(Prog.tryCnt, 3);
    // One text per skipped line, in file order.
    ASSERT_EQ(notes.errors.size(), 6) << notes.errors.join('\n').toStdString();
    EXPECT_EQ(notes.errors[0], "'timeout = 100,abc,300': a time-out must be a whole number from 0 to 2147483647");
    EXPECT_EQ(notes.errors[1], "Device line \"device  =Short,COM1,x,\" skipped: it has fewer than ten fields.");
    EXPECT_TRUE(notes.errors[2].contains("NoId") && notes.errors[2].contains("no device ID"));
    EXPECT_TRUE(notes.errors[4].contains("54321") && notes.errors[4].contains("port"));
    EXPECT_EQ(notes.skippedDeviceLines, 3);
    dlg.allow(Kind::Error);
    reportRegistryNotes(notes);
    EXPECT_EQ(dlg.texts(Kind::Error).size(), 1);
}

// A time-out or a number of attempts that the link cannot use is refused with its
// line: the defaults stay, and the line is a skipped line of the load.
TEST_F(RegistryTest, UnusableTimeOutsAndAttemptsKeepTheDefaults)
{
    for (const char* line : {"timeout = 99999999999", "timeout = 300,99999999999,300", "timeout = 300,-1,300",
                             "timeout = 300,200", "trycnt = 0", "trycnt = -2", "trycnt = 99999999999", "trycnt = x"}) {
        SCOPED_TRACE(line);
        load({"device  =Good,COM2,x,,,,G,T,lan,", line});
        EXPECT_EQ(DevLast, 0);
        EXPECT_EQ(Prog.TimeOut1, 500);
        EXPECT_EQ(Prog.TimeOut2, 500);
        EXPECT_EQ(Prog.TimeOut3, 500);
        EXPECT_EQ(Prog.tryCnt, 3);
        ASSERT_EQ(notes.errors.size(), 1);
        EXPECT_TRUE(notes.errors[0].contains(QString::fromUtf8(line))) << notes.errors[0].toStdString();
        EXPECT_EQ(notes.skippedLines.filter(QStringLiteral("DeviceStatus.txt, line 2: \"%1\"").arg(line)).size(), 1)
            << notes.skippedLines.join('\n').toStdString();
    }
    load({"timeout = 0,0,0", "trycnt = 1"});  // the least values are taken
    EXPECT_EQ(Prog.TimeOut2, 0);
    EXPECT_EQ(Prog.tryCnt, 1);
    EXPECT_TRUE(notes.skippedLines.isEmpty());
}

TEST_F(RegistryTest, AtMost51DevicesWithOneMessage)
{
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines << QStringLiteral("device  =D%1,COM1,s,,,,%2,T,lan,").arg(i).arg(QChar(0x41 + i));
    load(lines);
    EXPECT_EQ(DevLast, 50);
    EXPECT_EQ(DevList[50].Name, "D50");
    EXPECT_EQ(notes.ignoredDeviceLines, 9);
    dlg.expect(Kind::Message, "51");
    reportRegistryNotes(notes);
}

TEST_F(RegistryTest, JunkFilesLoadWithoutHarm)
{
    QByteArray junk;
    for (int i = 0; i < 20000; ++i) junk.append(char((i * 7919) % 256));
    writeFileBytes(path("DeviceStatus.txt"), junk);
    EXPECT_NO_THROW(notes = loadRegistry(state()));
    EXPECT_LE(DevLast, 50);

    // A UTF-16 file with LF-only lines and a line of hundreds of fields.
    QString text =
        QStringLiteral("trycnt = 4\ndevice  =Big,COM1,") + QString(",x").repeated(400) + QStringLiteral("\n");
    QByteArray utf16("\xFF\xFE");
    utf16 += QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    writeFileBytes(path("DeviceStatus.txt"), utf16);
    notes = loadRegistry(state());
    EXPECT_EQ(Prog.tryCnt, 4);
    ASSERT_EQ(DevLast, 0);
    EXPECT_EQ(DevList[0].Name, "Big");
    EXPECT_EQ(DevList[0].ID, "x");
}

TEST_F(RegistryTest, SaveSettingReplacesTheFirstMatchOrAppendsInTheFileEncoding)
{
    SaveSetting(state().Prog.RootDir, "picfile", "x");  // no file: nothing is created
    EXPECT_FALSE(QFile::exists(path("DeviceStatus.txt")));

    const QStringList lines{"Comment10 = ten", "device  =A,COM1,s,,,,A,T,lan,", "Comment1 = one"};
    writeFileBytes(path("DeviceStatus.txt"), encodeTextFile(lines, TextEncoding::Utf16LE));
    SaveSetting(state().Prog.RootDir, "Comment1", "first");  // containment: the earlier Comment10 line matches
    SaveSetting(state().Prog.RootDir, "picfile", "");
    const TextFile f = readTextFile(path("DeviceStatus.txt"));
    EXPECT_EQ(f.encoding, TextEncoding::Utf16LE);
    EXPECT_EQ(f.lines,
              (QStringList{"Comment1 = first", "device  =A,COM1,s,,,,A,T,lan,", "Comment1 = one", "picfile = "}));
}

// A registry saved by a Linux editor: UTF-8 without a byte-order mark, lines ending
// in bare LFs; both are kept when a setting is written.
TEST_F(RegistryTest, Utf8WithoutAMarkIsReadAndWrittenBackAsUtf8)
{
    const QStringList lines{"device  =انبار شمالی,COM3,دما,رطوبت,,,B,T,wireless,", "comment1 = آزمایشگاه"};
    writeFileBytes(path("DeviceStatus.txt"), lines.join("\n").toUtf8() + "\n");
    notes = loadRegistry(state());
    ASSERT_EQ(DevLast, 0);
    EXPECT_EQ(DevList[0].Name, QStringLiteral("انبار شمالی"));
    EXPECT_EQ(DevList[0].Sensor[0].Name, QStringLiteral("دما"));
    EXPECT_EQ(Prog.Comment, QStringList{QStringLiteral("آزمایشگاه")});
    SaveSetting(state().Prog.RootDir, "picfile", "عکس.bmp");
    EXPECT_EQ(readFileBytes(path("DeviceStatus.txt")),
              (lines + QStringList{"picfile = عکس.bmp"}).join("\n").toUtf8() + "\n");
}

// Report files are found whatever the letter case of their names, so two channels
// whose IDs or sensor names differ only in case write one file: the later is reported
// and not downloaded, like an exact clash.
TEST_F(RegistryTest, ChannelsThatWouldShareAReportFileInAnyLetterCaseClash)
{
    const struct
    {
        const char* second;  // the second device line; the first is always "A" with "Room"
        int clashes;
    } cases[] = {
        {"device  =Two,127.0.0.21,Room,,,,A,T,lan,", 1},   // one ID on two connections
        {"device  =Two,127.0.0.21,Room,,,,a,T,lan,", 1},   // the ID in another case
        {"device  =Two,127.0.0.21,ROOM,,,,a,T,lan,", 1},   // both
        {"device  =Two,127.0.0.21,,Room,,,a,T,lan,", 0},   // another channel
        {"device  =Two,127.0.0.21,Room2,,,,a,T,lan,", 0},  // another name
        {"device  =Two,127.0.0.21,Room,,,,B,T,lan,", 0},   // another ID
    };
    for (const auto& c : cases) {
        load({"device  =One,127.0.0.20,Room,,,,A,T,lan,", c.second});
        EXPECT_EQ(notes.skippedLines.size(), c.clashes) << c.second;
        EXPECT_EQ(reportFileClash(state(), 1, 0), c.clashes > 0) << c.second;
    }
}

// A folder copied from Windows: "devicestatus.txt" is the registry, and settings are
// saved into it rather than into a second file.
TEST_F(RegistryTest, TheRegistryIsFoundWhateverTheLetterCaseOfItsName)
{
    writeLines(path("devicestatus.txt"), {"device  =Store,COM3,Cold,,,,B,T,wireless,"});
    notes = loadRegistry(state());
    EXPECT_EQ(DevLast, 0);
    SaveSetting(state().Prog.RootDir, "picfile", "bg.bmp");
    EXPECT_EQ(QDir(root()).entryList({"*.txt"}, QDir::Files), QStringList{"devicestatus.txt"});
    EXPECT_EQ(readLines(path("devicestatus.txt")).size(), 2);
}

// The calendar line dates the devices' refresh positions wherever it stands in the
// file; a later load without it, or with a value that names no calendar (reported),
// goes by the official calendar. 2029-03-20: 1408/1/1, the arithmetic's 1407/12/30.
TEST_F(RegistryTest, TheCalendarLineDatesTheDevicesWhereverItStands)
{
    setProgramNowForTests(QDateTime(QDate(2029, 3, 20), QTime(10, 30)));
    const QString device = "device  =One,127.0.0.1,Room,,,,A,T,lan,";
    const struct
    {
        const char* line;
        ShamsiCalendar calendar;
        int year, month, day;
        int errors;
    } cases[] = {{"calendar = arithmetic", ShamsiCalendar::Arithmetic, 7, 12, 30, 0},
                 {"", ShamsiCalendar::Official, 8, 1, 1, 0},
                 {"calendar = lunar", ShamsiCalendar::Official, 8, 1, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        load(*c.line ? QStringList{device, c.line} : QStringList{device});
        EXPECT_EQ(Prog.calendar, c.calendar);
        ASSERT_EQ(notes.errors.size(), c.errors);
        if (c.errors) {
            EXPECT_TRUE(notes.errors[0].contains(c.line)) << notes.errors[0].toStdString();
        }
        const Sensor_Rec& s = DevList[0].Sensor[0];
        EXPECT_EQ(s.Now_ref.wYear, c.year);
        EXPECT_EQ(s.Now_ref.wMonth, c.month);
        EXPECT_EQ(s.Now_ref.wDay, c.day);
        EXPECT_EQ(s.Last_ref.wYear, c.year);
        EXPECT_EQ(s.Last_ref.wDay, c.day);
        EXPECT_EQ(s.Last_ref.wHour, 1);
    }
}

}  // namespace
