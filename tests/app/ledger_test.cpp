#include "app/ledger.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/calendar.h"
#include "app/records.h"
#include "app/registry.h"
#include "platform/errors.h"
#include "platform/textfile.h"
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
    const auto notes = loadRegistry(state());
    EXPECT_TRUE(notes.errors.isEmpty());
    const Sensor_Rec& a2 = state().DevList[0].Sensor[2];
    EXPECT_EQ(a2.Last_ref.wYear, 99);
    EXPECT_EQ(a2.Last_ref.wMonth, 12);
    EXPECT_EQ(a2.Last_ref.wDay, 29);
    EXPECT_EQ(a2.Last_ref.wHour, 23);
    EXPECT_EQ(a2.Last_ref.wMinute, 59);
    EXPECT_EQ(a2.ID, "A");
    // Channel 0 of A has no line: today (0/1/1) at hour 1.
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wYear, 0);
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wHour, 1);
    EXPECT_EQ(state().DevList[1].Sensor[1].Last_ref.wHour, 5);
}

TEST_F(LedgerTest, BadLinesAreSkippedAndReported)
{
    writeLines(path("Last_refresh.txt"),
               {kLedgerHeader, "A,T,x,0,99,1,1,1,1,", ",T,0,0,99,1,1,1,1,", "A,T,7,0,99,1,1,1,1,", "A,T,0,0,99,1,1,",
                "A,T,0,0,99,13,1,1,1,", "A,T,0,0,98,7,1", "A,T,0,0,97,2,3,4,5,"});
    const auto notes = loadRegistry(state());
    EXPECT_EQ(notes.errors.size(), 4);  // non-numeric channel, two lines without hour and minute, month 13
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wYear, 97);
    EXPECT_EQ(state().DevList[0].Sensor[0].Last_ref.wMonth, 2);
}

TEST_F(LedgerTest, SaveWritesOneLinePerNamedChannelAndEitherSpellingIsOneFile)
{
    writeLines(path("Last_refresh.txt"), {kLedgerHeader, "A,T,0,0,98,7,1,1,1,"});
    loadRegistry(state());
    state().DevList[0].Sensor[0].Last_ref.wDay = 9;
    state().DevList[0].Sensor[0].Visit = true;  // read in this run
    SaveLastRefresh(state());
    EXPECT_EQ(QDir(root()).entryList({"*.txt"}, QDir::Files, QDir::Name),
              (QStringList{"DeviceStatus.txt", "Last_refresh.txt"}));
    EXPECT_EQ(readLines(ledgerPath(state().Prog.RootDir)),
              (QStringList{kLedgerHeader, "A,T,0,0,98,7,9,1,1,", "A,T,2,0,0,1,1,1,45,", "B,H,1,0,0,1,1,1,45,"}));
}

TEST_F(LedgerTest, ResetGivesEveryNamedChannelOneDateAndYearChangeIsAnnounced)
{
    loadRegistry(state());
    ResetLastRefresh(state(), 98, 7, 1, state().journal);
    EXPECT_EQ(readLines(path("last_refresh.txt")),
              (QStringList{kLedgerHeader, "A,T,0,0,98,7,1,1,1,", "A,T,2,0,98,7,1,1,1,", "B,H,1,0,98,7,1,1,1,"}));
    state().YearChanged = 1;
    struct Lines : MessageLogSink
    {
        QStringList lines;
        void addLine(const QString& line) override { lines << line; }
    } log;
    state().messageLog = &log;
    SaveLastRefresh(state());
    state().messageLog = nullptr;
    EXPECT_EQ(log.lines, QStringList{kYearChangedText});
    EXPECT_EQ(readLines(path("last_refresh.txt")).size(), 4);
}

TEST_F(LedgerTest, FindDeviceByIdIsExactAndFirstWins)
{
    loadRegistry(state());
    EXPECT_EQ(FindDeviceByID(state(), "A"), 0);
    EXPECT_EQ(FindDeviceByID(state(), "a"), -1);
    EXPECT_EQ(FindDeviceByID(state(), "C"), 2);
    state().DevLast = -1;
    EXPECT_EQ(FindDeviceByID(state(), "A"), -1);
}

TEST_F(LedgerTest, RegistryWithoutNamedChannelsGivesOnlyTheHeader)
{
    writeLines(path("DeviceStatus.txt"), {"device  =Bare,COM2,,,,,C,T,serial,"});
    loadRegistry(state());
    SaveLastRefresh(state());
    EXPECT_EQ(readLines(ledgerPath(state().Prog.RootDir)), QStringList{kLedgerHeader});
}

// A run writes the ledger as a merge into the one on disk: only the channels it read
// move; every other line stays as it was, also lines it cannot read, and lines of
// devices the registry no longer (or not yet) lists.
TEST_F(LedgerTest, SaveMovesOnlyTheChannelsReadAndKeepsEveryOtherLine)
{
    writeLines(path("DeviceStatus.txt"),
               {"device  =One,127.0.0.2,t0,,t2,,A,T,lan,", "device  =Two,COM1,,h1,,,B,H,serial,",
                "device  =Short,COM2,x,,", "device  =Three,COM3,k0,k1,,,K,T,serial,"});
    const QStringList old{kLedgerHeader,         "A,T,0,0,99,7,1,1,1,", "A,T,2,0,99,13,1,1,1,", "Z,T,0,0,98,1,1,1,1,",
                          "B,H,1,0,99,7,2,3,4,", "garbage line",        "A,T,0,0,99,6,1,1,1,"};
    writeLines(path("Last_refresh.txt"), old);
    const RegistryLoadNotes notes = loadRegistry(state());
    // The short device line, the unreadable month and the garbage line are reported.
    ASSERT_EQ(notes.skippedLines.size(), 3) << notes.skippedLines.join('\n').toStdString();
    EXPECT_TRUE(notes.skippedLines[0].contains("DeviceStatus.txt, line 3")) << notes.skippedLines[0].toStdString();
    EXPECT_TRUE(notes.skippedLines[1].contains("A,T,2,0,99,13,1,1,1,"));
    EXPECT_TRUE(notes.skippedLines[2].contains("garbage line"));
    EXPECT_TRUE(ledgerPositionUnknown(state(), "A", 2));
    EXPECT_FALSE(ledgerPositionUnknown(state(), "A", 0));
    EXPECT_EQ(takeUnreportedSkippedLines(state()).size(), 3);
    EXPECT_TRUE(takeUnreportedSkippedLines(state()).isEmpty());  // once after each load
    EXPECT_EQ(lastSkippedLineCount(state()), 3);

    // Channel A0 and K0 were read in this run; B1, A2 and K1 were not.
    state().DevList[0].Sensor[0].Last_ref = state().DevList[0].Sensor[0].Now_ref;
    state().DevList[0].Sensor[0].Visit = true;
    state().DevList[2].Sensor[0].Visit = true;
    SaveLastRefresh(state());
    const QStringList now = readLines(ledgerPath(state().Prog.RootDir));
    const QString a0 = QStringLiteral("A,T,0,0,0,1,1,9,45,");
    EXPECT_EQ(now, (QStringList{kLedgerHeader, a0, "A,T,2,0,99,13,1,1,1,", "Z,T,0,0,98,1,1,1,1,", "B,H,1,0,99,7,2,3,4,",
                                "garbage line", "K,T,0,0,0,1,1,1,45,", "K,T,1,0,0,1,1,1,45,"}));
}

TEST_F(LedgerTest, AnEmptyOrMissingRegistryLeavesTheLedgerAsItIs)
{
    const QStringList old{kLedgerHeader, "A,T,0,0,99,7,1,1,1,", "B,H,1,0,99,7,2,3,4,"};
    writeLines(path("Last_refresh.txt"), old);
    for (const QStringList& registry : {QStringList{}, QStringList{"timeout = 500,500,500"}}) {
        writeLines(path("DeviceStatus.txt"), registry);
        loadRegistry(state());
        SaveLastRefresh(state());
        EXPECT_EQ(readLines(ledgerPath(state().Prog.RootDir)), old);
    }
}

// Every registry the reader accepts gives a ledger that reads back to the same
// positions: an empty type, IDs of any character, names the code page lacks.
TEST_F(LedgerTest, EveryAcceptedRegistryShapeRoundTrips)
{
    const struct
    {
        const char* name;
        QString line;
    } shapes[] = {
        {"empty type", "device  =E,COM1,s0,,,,E,,lan,"},
        {"long ID and type", "device  =L,COM1,s0,,,,LONG,TYPE,lan,"},
        {"blank ID", "device  =B,COM1,s0,,,, ,T,lan,"},
        {"Persian ID", QStringLiteral("device  =P,COM1,s0,,,,\u067E,\u06CC,lan,")},
        {"ID outside the code page", QStringLiteral("device  =G,COM1,s0,,,,\u03A9,T,lan,")},
        {"ID beyond 16 bits", QStringLiteral("device  =S,COM1,s0,,,,\U0001F600x,T,lan,")},
        {"upper-case keyword, ten fields", "Device =U,COM1,,,,s3,U,T,lan"},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.name);
        QFile::remove(ledgerPath(state().Prog.RootDir));
        writeFileBytes(path("DeviceStatus.txt"), encodeTextFile({shape.line}, TextEncoding::Utf8));
        const RegistryLoadNotes notes = loadRegistry(state());
        ASSERT_EQ(state().DevLast, 0);
        EXPECT_TRUE(notes.skippedLines.isEmpty());
        int named = 0;
        for (int s = 0; s < 4; ++s) {
            Sensor_Rec& c = state().DevList[0].Sensor[s];
            if (c.Name.isEmpty()) continue;
            ++named;
            c.Last_ref.wYear = 98;
            c.Last_ref.wMonth = 11;
            c.Last_ref.wDay = uint16_t(20 + s);
            c.Visit = true;
        }
        ASSERT_EQ(named, 1);
        SaveLastRefresh(state());
        const RegistryLoadNotes again = loadRegistry(state());
        EXPECT_TRUE(again.skippedLines.isEmpty()) << again.skippedLines.join('\n').toStdString();
        for (int s = 0; s < 4; ++s) {
            const Sensor_Rec& c = state().DevList[0].Sensor[s];
            if (c.Name.isEmpty()) continue;
            EXPECT_EQ(c.Last_ref.wYear, 98);
            EXPECT_EQ(c.Last_ref.wMonth, 11);
            EXPECT_EQ(c.Last_ref.wDay, 20 + s);
        }
    }
}

// A ledger that is a FIFO is refused, not read (which would hang); one that is a
// link out of the root folder is neither read nor written through.
TEST_F(LedgerTest, ALedgerThatIsAFifoOrALinkOutOfTheRootIsRefused)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("last_refresh.txt")).constData(), 0600), 0);
    EXPECT_THROW(loadRegistry(state()), FileError);
    EXPECT_THROW(SaveLastRefresh(state()), FileError);
    QFile::remove(path("last_refresh.txt"));

    QTemporaryDir outside;
    const QString victim = outside.filePath("ledger.txt");
    writeLines(victim, {kLedgerHeader, "A,T,0,0,99,7,1,1,1,"});
    const QByteArray before = readFileBytes(victim);
    QFile::link(victim, path("Last_refresh.txt"));
    try {
        loadRegistry(state());
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_TRUE(e.text().contains("Last_refresh.txt")) << e.text().toStdString();
    }
    state().DevLast = 0;
    state().DevList[0].Sensor[0].Visit = true;
    EXPECT_THROW(SaveLastRefresh(state()), FileError);
    EXPECT_EQ(readFileBytes(victim), before);
}

}  // namespace
