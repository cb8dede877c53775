// Persian regional settings, whose decimal separator is U+066B, end to end: an
// unattended download from the emulator and the batch export run as processes under
// LANG=fa_IR.UTF-8, and the main window opens the downloaded file with the Persian
// numbers of the same settings.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QLocale>
#include <QTableWidget>

#include "app/calendar.h"
#include "app/ledger.h"
#include "app/records.h"
#include "platform/convert.h"
#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/windowsfixture.h"
#include "views/ui/form1.h"

namespace {

class PersianLocaleTest : public WindowsFixture
{
protected:
    void TearDown() override
    {
        closeWindows();
        QLocale::setDefault(QLocale::c());
        sim.stop();
        WindowsFixture::TearDown();
    }
    struct Run
    {
        int code = -1;
        QString out;
    };
    Run runPersian(const QStringList& args)
    {
        // An empty LC_ALL, LC_NUMERIC or LANGUAGE counts as unset: LANG alone decides.
        const ProgramRun r =
            runTermivo(args, {.env = {{"LC_ALL", ""}, {"LC_NUMERIC", ""}, {"LANGUAGE", ""}, {"LANG", "fa_IR.UTF-8"}},
                              .timeoutMs = 120000,
                              .mergeOutput = true});
        return {r.code, r.out};
    }
    DevSim sim;
};

TEST_F(PersianLocaleTest, DownloadOpenAndExportUnderPersianSettings)
{
    const QString address = DevSim::lanAddress(31);
    ASSERT_TRUE(sim.start(
        QStringLiteral("seed 5\ndevice id=A link=%1 sensors=T,-,-,- clock-at=%2\n").arg(address, fixedTestNowText()),
        root()))
        << sim.output().toStdString();
    writeLines(path("DeviceStatus.txt"),
               {"timeout = 500,200,300", QStringLiteral("device  =Cold room,%1,Freezer,,,,A,T,lan,").arg(address)});
    const _SYSTEMTIME from = Date2Shamsi(fixedTestNow().date().addDays(-3), fixedTestNow());
    writeLines(
        path("last_refresh.txt"),
        {kLedgerHeader, QStringLiteral("A,T,0,0,%1,%2,%3,1,1,").arg(from.wYear).arg(from.wMonth).arg(from.wDay)});

    const Run download = runPersian({"--download-all", "--root", root()});
    ASSERT_EQ(download.code, 0) << download.out.toStdString();
    // The run read to the moment it was given, and the ledger says so.
    const _SYSTEMTIME now = Date2Shamsi(fixedTestNow().date(), fixedTestNow());
    EXPECT_EQ(readLines(path("last_refresh.txt")).value(1), QStringLiteral("A,T,0,0,%1,%2,%3,%4,%5,")
                                                                .arg(now.wYear)
                                                                .arg(now.wMonth)
                                                                .arg(now.wDay)
                                                                .arg(now.wHour)
                                                                .arg(now.wMinute));
    QDirIterator it(root(), {"A1_Freezer.rep"}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(it.hasNext());
    const QString rep = it.next();
    const QStringList header = readLines(rep).value(0).split(QRegularExpression(QStringLiteral("[,()]")));
    ASSERT_GT(header.size(), 12);
    EXPECT_EQ(header[7], QStringLiteral("-20.0"));  // as the device sends it
    EXPECT_EQ(header[8], QStringLiteral("50.5"));

    // The main window under the same settings: no message, the file's limits, Persian numbers on screen.
    QLocale::setDefault(QLocale(QLocale::Persian, QLocale::Iran));
    openWindows({});
    ASSERT_TRUE(mainWindow()->OpenMyFile(rep));
    EXPECT_EQ(mainWindow()->CurChart.hys1L, -20.0);
    EXPECT_EQ(mainWindow()->CurChart.hys1H, 50.5);
    bool persianCell = false;
    for (int r = 1; r < mainWindow()->SG_Table->rowCount(); ++r)
        if (const QTableWidgetItem* item = mainWindow()->SG_Table->item(r, 1))
            persianCell = persianCell || item->text().contains(kArabicDecimalSeparator);
    EXPECT_TRUE(persianCell);

    // The batch export: the code page has no byte for U+066B, so the file holds points.
    const QString out = path("table.txt");
    const Run exported = runPersian({"--export-table", rep, "--minmax", "--out", out});
    ASSERT_EQ(exported.code, 0) << exported.out.toStdString();
    const QByteArray bytes = readFileBytes(out);
    EXPECT_FALSE(bytes.contains('?')) << bytes.constData();
    QLocale::setDefault(QLocale::c());
    const QStringList lines = readLines(out);
    ASSERT_GT(lines.size(), 2);
    int numbers = 0;
    for (const QString& line : lines.mid(1)) {
        const QStringList cells = line.split(QLatin1Char(','));
        for (const QString& cell : cells.mid(1)) {
            if (cell.trimmed().isEmpty() || cell.trimmed() == QLatin1String("-")) continue;
            EXPECT_NO_THROW(strToFloat(cell)) << cell.toStdString();
            EXPECT_TRUE(cell.contains(QLatin1Char('.'))) << cell.toStdString();
            ++numbers;
        }
    }
    EXPECT_GT(numbers, 3);
}

}  // namespace
