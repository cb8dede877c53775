// The device list editor's rules and the registry save, on real files.
#include "config/devicelist.h"

#include <gtest/gtest.h>

#include <QFile>

#include "app/ledger.h"
#include "app/registry.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "support/fixtures.h"

namespace {

using namespace devicelist;

DeviceRow row(const QString& id, const QString& link, const QString& name = QStringLiteral("Lab"))
{
    return {name,      link, QStringLiteral("T1"), QStringLiteral("H1"), QStringLiteral("P1"),
            QString(), id,   QStringLiteral("T"),  QStringLiteral("lan")};
}

TEST(DeviceListRules, NewRowCopiesTheLastRowWithTheNextId)
{
    EXPECT_EQ(newRow({}), (DeviceRow{"Device", "Com1", "Sensor1", "Sensor2", "", "", "x", "T", "Wireless"}));
    // A last row without an ID (deleted) also gives the fresh defaults.
    EXPECT_EQ(newRow({row("", "")})[Id], "x");
    const DeviceRow copied = newRow({row("a", "Com1")});
    EXPECT_EQ(copied, (DeviceRow{"Lab", "Com1", "Sensor1", "Sensor2", "P1", "", "b", "T", "lan"}));
    EXPECT_EQ(newRow({row("x", "Com1")})[Id], "x");   // the fresh ID is copied as it is
    EXPECT_EQ(newRow({row("ab", "Com1")})[Id], "b");  // one character, from the first
}

TEST(DeviceListRules, NextIdSkipsSeparatorsFrameCharactersAndIdsOnTheSameConnection)
{
    const struct
    {
        QString id;
        QList<DeviceRow> others;
        QString next;
    } cases[] = {
        {"a", {}, "b"},
        {"9", {}, ";"},                                    // ":" separates registry fields
        {"'", {}, "*"},                                    // "(" and ")" too
        {"z", {}, "|"},                                    // "{" opens a frame
        {"b", {row("c", "Com1"), row("d", "Com1")}, "e"},  // taken on this connection
        {"b", {row("c", "Com2")}, "c"},                    // taken on another connection only
        {"`", {row("A", "Com1")}, "b"},                    // "a" would share "A"'s report files
        {"9", {row(";", "Com1")}, "<"},
        {"~", {}, "!"},  // round to the start of printable ASCII
    };
    for (const auto& c : cases) {
        QList<DeviceRow> rows = c.others;
        rows.prepend(row(c.id, "Com1"));
        EXPECT_EQ(nextDeviceId(c.id, "Com1", rows), c.next) << c.id.toStdString();
    }
}

TEST(DeviceListRules, DuplicatesAreSameIdOnSameConnection)
{
    EXPECT_EQ(findDuplicateRow({row("a", "Com1"), row("a", "Com2")}), 0);
    EXPECT_EQ(findDuplicateRow({row("a", "Com1"), row("b", "Com1"), row("b", "Com1"), row("a", "Com1")}),
              4);  // i before j
    EXPECT_EQ(findDuplicateRow({row("", "Com1"), row("", "Com1")}), 0);
    // The reader keeps an ID's first character only, so "ab" and "a" are one device.
    EXPECT_EQ(findDuplicateRow({row("ab", "Com1"), row("a", "Com1")}), 2);
    // A fresh row added after a fresh row repeats "x" on "Com1".
    const QList<DeviceRow> fresh{newRow({})};
    EXPECT_EQ(findDuplicateRow({fresh[0], newRow(fresh)}), 2);
}

TEST(DeviceListRules, CellsWithSeparatorsAreNamedByRowColumnAndCharacter)
{
    EXPECT_FALSE(findBadCell({row("a", "Com1"), row("", "Com:1")}));  // a row without ID is not written
    const auto bad = findBadCell({row("a", "Com1"), row("b", "127.0.0.1", "Lab (north)")});
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->row, 2);
    EXPECT_EQ(bad->column, 0);
    EXPECT_EQ(bad->character, QChar('('));
    EXPECT_TRUE(badCellMessage(*bad).contains("ردیف 2"));
    EXPECT_TRUE(badCellMessage(*bad).contains("\"Device Name\""));
    EXPECT_TRUE(badCellMessage(*bad).contains("\"(\""));
    const auto lineBreak = findBadCell({row("a", "Com1", "two\nlines")});
    ASSERT_TRUE(lineBreak);
    EXPECT_TRUE(badCellMessage(*lineBreak).contains("U+000a"));
    for (const char* c : {"=", ":", ",", ")", "\r"}) EXPECT_TRUE(findBadCell({row(c, "Com1")})) << c;
}

TEST(DeviceListRules, PeriodStartTexts)
{
    using O = PeriodStart::Outcome;
    const struct
    {
        const char *y, *m, *d;
        O outcome;
        int year;
    } cases[] = {
        {"1402", "12", "31", O::Ok, 2},
        {"1403", "1", "1", O::Ok, 3},
        {"5", "6", "7", O::Ok, 5},
        {"سال", "1", "1", O::NotNumbers, 0},
        {"1402", "ماه", "1", O::NotNumbers, 0},
        {"1402", "1", "1.5", O::NotNumbers, 0},
        {"-3", "1", "1", O::NotNumbers, 0},
        {"1402", "1", "0", O::OutOfRange, 0},
        {"1402", "13", "1", O::OutOfRange, 0},
        {"1402", "1", "32", O::OutOfRange, 0},
    };
    for (const auto& c : cases) {
        const PeriodStart p = parsePeriodStart(QString::fromUtf8(c.y), QString::fromUtf8(c.m), QString::fromUtf8(c.d));
        EXPECT_EQ(p.outcome, c.outcome) << c.y << " " << c.m << " " << c.d;
        if (c.outcome == O::Ok) {
            EXPECT_EQ(p.year, c.year);
        }
    }
}

class RegistrySaveTest : public RootFixture
{
protected:
    QString file() const { return path("DeviceStatus.txt"); }
};

TEST_F(RegistrySaveTest, SaveKeepsSettingsLinesAndTheirOrderAndReplacesEveryDeviceLine)
{
    const QStringList before{"Timeout = 800,900,1000",
                             "device  =Old,Com1,T,,,,a,T,wire,",
                             "  device =Indented,Com2,T,,,,b,T,wire,",
                             "comment1 = North wing",
                             "Device =Capital,Com3,T,,,,c,T,wire,",
                             "DEVICE=short,",
                             "online = 0"};
    writeFileBytes(file(), encodeTextFile(before, TextEncoding::Utf16LE));
    const QList<DeviceRow> rows{{"Lab", "Com1", "T1", "H1", "", "", "a", "T", "Wireless"},
                                row("", "Com9"),  // deleted: not written
                                {"", "", "", "", "", "", "q", "", ""}};

    const SaveResult r = saveRegistryRows(file(), rows, state().journal);

    EXPECT_EQ(r.outcome, SaveOutcome::Saved);
    const TextFile after = readTextFile(file());
    EXPECT_EQ(after.encoding, TextEncoding::Utf16LE);
    EXPECT_EQ(after.lines, (QStringList{"Timeout = 800,900,1000", "comment1 = North wing", "online = 0",
                                        "device  =Lab,Com1,T1,H1,,,a,T,Wireless,", "device  =,,,,,,q,,,"}));
    // The reader takes back what the grid held.
    loadRegistry(state());
    ASSERT_EQ(state().DevLast, 1);
    EXPECT_EQ(rowOf(state().DevList[0]), (DeviceRow{"Lab", "Com1", "T1", "H1", "", "", "a", "T", "wireless"}));
    EXPECT_EQ(state().DevList[1].ID, "q");
    EXPECT_EQ(state().Prog.TimeOut3, 1000);
}

TEST_F(RegistrySaveTest, SaveKeepsAWindowsCodePageFileInItsCodePageAndMakesAMissingFile)
{
    writeLines(file(), {"header = آزمایشگاه"});
    saveRegistryRows(file(), {{"اتاق سرد", "Com1", "دما", "", "", "", "a", "T", "lan"}}, state().journal);
    const QByteArray bytes = readFileBytes(file());
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(decodeTextFile(bytes).lines.last(), "device  =اتاق سرد,Com1,دما,,,,a,T,lan,");

    QFile::remove(file());
    saveRegistryRows(file(), {row("a", "Com1")}, state().journal);
    EXPECT_EQ(readLines(file()), QStringList{deviceLine(row("a", "Com1"))});
}

// "ی" (Farsi Yeh, what Persian keyboards type) and Persian digits have no byte in
// Windows-1256: a registry that holds them becomes UTF-8 with its mark rather than
// changing letters, since a sensor name names its report file.
TEST_F(RegistrySaveTest, ACodePageFileBecomesUtf8WhenACellHoldsALetterTheCodePageLacks)
{
    writeLines(file(), {"header = انبار"});
    const DeviceRow persian{"انبار ۲", "Com1", "یخچال", "", "", "", "a", "T", "lan"};
    saveRegistryRows(file(), {persian}, state().journal);
    const TextFile after = readTextFile(file());
    EXPECT_EQ(after.encoding, TextEncoding::Utf8);
    EXPECT_EQ(after.lines, (QStringList{"header = انبار", deviceLine(persian)}));
    loadRegistry(state());
    EXPECT_EQ(state().DevList[0].Sensor[0].Name, QStringLiteral("یخچال"));
    EXPECT_EQ(state().DevList[0].Name, QStringLiteral("انبار ۲"));
}

TEST_F(RegistrySaveTest, RefusedSavesWriteNothing)
{
    const QByteArray before = encodeTextFile({"online = 0", "device  =Old,Com1,T,,,,a,T,wire,"}, TextEncoding::Utf8);
    writeFileBytes(file(), before);
    const SaveResult dup =
        saveRegistryRows(file(), {row("a", "Com1"), row("a", "Com2"), row("a", "Com1")}, state().journal);
    EXPECT_EQ(dup.outcome, SaveOutcome::Duplicate);
    EXPECT_EQ(dup.duplicateRow, 3);
    const SaveResult bad = saveRegistryRows(file(), {row("a", "Com1", "A,B")}, state().journal);
    EXPECT_EQ(bad.outcome, SaveOutcome::BadCell);
    EXPECT_EQ(readFileBytes(file()), before);
}

TEST_F(RegistrySaveTest, AFullDiskLeavesTheOldFile)
{
    const QByteArray before = encodeTextFile({"online = 0", "device  =Old,Com1,T,,,,a,T,wire,"}, TextEncoding::Ansi);
    writeFileBytes(file(), before);
    QList<DeviceRow> many;
    for (int i = 0; i < 40; ++i) many << row(QString(QChar('A' + i)), "Com1", QString(200, 'n'));
    {
        FileSizeLimit limit(256);
        EXPECT_THROW(saveRegistryRows(file(), many, state().journal), FileError);
    }
    EXPECT_EQ(readFileBytes(file()), before);
}

TEST_F(RegistrySaveTest, AReadOnlyFolderLeavesTheOldFile)
{
    const QByteArray before = encodeTextFile({"online = 0", "device  =Old,Com1,T,,,,a,T,wire,"}, TextEncoding::Ansi);
    writeFileBytes(file(), before);
    QFile::setPermissions(root(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFile f(root() + "probe"); f.open(QIODevice::WriteOnly)) {
        QFile::setPermissions(root(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        GTEST_SKIP() << "running with rights over any folder";
    }
    EXPECT_THROW(saveRegistryRows(file(), {row("z", "Com1")}, state().journal), FileError);
    QFile::setPermissions(root(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(readFileBytes(file()), before);
}

}  // namespace
