// The main window's check of the report files against the audit journal, and the
// warning when an opened file differs from it.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QPlainTextEdit>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "platform/bidi.h"
#include "reports/reportjournal.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "support/windowsfixture.h"
#include "views/ui/form1.h"

namespace {

class VerifyWindowTest : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        setProgramNowForTests(QDateTime(QDate(2024, 12, 31), QTime(10, 0)));  // Solar Hijri 1403: folder "3"
        writeLines(path("DeviceStatus.txt"), {"device  =D1,COM1,a1,b1,,,A,T,serial,"});
        // A journalled file and one from before the journal.
        const QStringList lines{reportHeader(), fullDayT(3, 1, 20), fullDayT(3, 2, 21), fullDayT(3, 3, 22)};
        writeLines(path("3/A1_x.rep"), lines);
        writeLines(path("3/A2_y.rep"), lines);
        AuditJournal journal(root());
        journal.append(QStringLiteral("report.adopt"),
                       reportAdoptDetails(QStringLiteral("3/A1_x.rep"), kAdoptAtFirstWrite, digestReportLines(lines)));
        openWindows({});
    }
    void TearDown() override
    {
        closeWindows();
        setProgramNowForTests({});
        WindowsFixture::TearDown();
    }
    void tamper(const QString& name)
    {
        QStringList lines = readLines(path(name));
        lines[2] = fullDayT(3, 2, 30);
        writeLines(path(name), lines);
    }
    QDialog* findingsWindow() { return mainWindow()->findChild<QDialog*>(QStringLiteral("VerifyWindow")); }
};

TEST_F(VerifyWindowTest, TheMenuItemShowsTheFindingsOrThatAllMatch)
{
    QFile::remove(path("3/A2_y.rep"));
    dlg.expect(Kind::Message, QStringLiteral("هر 1 فایل گزارش با دفتر رویدادها یکی است."));
    mainWindow()->VerifyFiles1->trigger();
    EXPECT_EQ(findingsWindow(), nullptr);

    tamper("3/A1_x.rep");
    mainWindow()->VerifyFiles1->trigger();
    ASSERT_NE(findingsWindow(), nullptr);
    EXPECT_TRUE(findingsWindow()->isVisible());
    // The findings as they read, without the marks that keep their parts in order.
    const QString text =
        bidi::withoutMarks(findingsWindow()->findChild<QPlainTextEdit*>(QStringLiteral("VerifyText"))->toPlainText());
    EXPECT_EQ(text.count('\n'), 2) << text.toStdString();  // the day, then the summary
    EXPECT_TRUE(text.startsWith(QStringLiteral("3/A1_x.rep"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("3/2"))) << text.toStdString();
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
}

TEST_F(VerifyWindowTest, OpeningAFileThatDiffersWarnsOnceAndStillOpensTheMonth)
{
    tamper("3/A1_x.rep");
    tamper("3/A2_y.rep");  // not journalled: nothing to say
    dlg.expect(Kind::Message, QStringLiteral(": 3/2"));
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("3/A1_x.rep")));
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 3);
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("3/A2_y.rep")));
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
}

}  // namespace
