// The all-devices run started from the main window: the online button downloads the
// fleet, the progress window shows the run and closes, a failed device goes to the
// message log window.
#include <functional>
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "app/calendar.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "app/registry.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"
#include "link/ui/form_wait2.h"
#include "online/ui/form_show.h"
#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/windowsfixture.h"
#include "views/ui/form1.h"
#include "views/ui/form_message.h"

namespace {

class DownloadWindowTest : public WindowsFixture
{
protected:
    void TearDown() override
    {
        closeWindows();
        sim.stop();
        link().reset();
        WindowsFixture::TearDown();
    }
    DevSim sim;
};

TEST_F(DownloadWindowTest, OnlineButtonDownloadsTheFleet)
{
    const QString good = DevSim::lanAddress(31);
    const QString bad = DevSim::lanAddress(32);
    ASSERT_TRUE(sim.start("device id=A link=" + good + " sensors=T,H,-,- clock-at=" + fixedTestNowText() +
                              "\ndevice id=B link=" + bad +
                              " sensors=T,-,-,- fault=othersensor clock-at=" + fixedTestNowText() + "\n",
                          root()));
    setProgramNowForTests(fixedTestNow());
    const _SYSTEMTIME from = Date2Shamsi(programNow().date().addDays(-2));
    writeLines(path("DeviceStatus.txt"),
               {"device  =Good," + good + ",Room,Hum,,,A,T,lan,", "device  =Bad," + bad + ",Hall,,,,B,T,lan,"});
    QStringList ledger{kLedgerHeader};
    for (const char* line : {"A,T,0", "A,T,1", "B,T,0"})
        ledger << QStringLiteral("%1,0,%2,%3,%4,1,1,")
                      .arg(QLatin1String(line))
                      .arg(from.wYear)
                      .arg(from.wMonth)
                      .arg(from.wDay);
    writeLines(path("last_refresh.txt"), ledger);
    openWindows({});
    changeLinkSettings(link(), [&](LinkSettings& s) { s.tries = 1; });
    const ShortReconnectPauses pauses;  // the failing device is retried without the program's pauses

    // The online window opens modally after the run: closed as soon as it shows.
    const OnlineWindowCloser closer(*this);
    mainWindow()->BtnShowOnlineClick();

    const QString year = QString::number(Date2Shamsi(programNow().date()).wYear) + "/";
    EXPECT_EQ(readLines(path(year + "A1_Room.rep")).size(), 4);
    EXPECT_EQ(readLines(path(year + "A2_Hum.rep")).size(), 4);
    EXPECT_FALSE(QFileInfo::exists(path(year + "B1_Hall.rep")));
    EXPECT_FALSE(progressWindow()->isVisible());
    EXPECT_EQ(progressWindow()->ProgressBarAll->maximum(), 3);
    // 1 + 1 for A, then 3 for B's failure, which passes the maximum: the bar stays full-ish.
    EXPECT_GE(progressWindow()->ProgressBarAll->value(), 2);
    EXPECT_TRUE(progressWindow()->Memo_report->toPlainText().contains("Error in read device with this ID:B"));
    // The failure names the device (name, ID, address) with the time.
    EXPECT_EQ(messageWindow()->lines(),
              QStringList{"1405/4/10 10:30:00 Bad (ID B, " + bad +
                          QStringLiteral("): نتوانستم با این دستگاه ارتباط بر قرار کنم Device ID =B")});
    EXPECT_EQ(commWindow()->windowTitle(), "Complete");
    // The status line tells the run's outcome.
    EXPECT_EQ(commWindow()->StatusBar1->currentMessage(), downloadOutcomeText(2, 1, false));
    // The ledger moved for A, and stayed for the failed B.
    EXPECT_TRUE(readLines(ledgerPath(state().Prog.RootDir))
                    .last()
                    .startsWith(QStringLiteral("B,T,0,0,%1,%2,%3,").arg(from.wYear).arg(from.wMonth).arg(from.wDay)));
}

// A Cancel is a stop by the user, not a failure of the device under way; and each run
// starts with an empty report list, not with the lines of the run before.
TEST_F(DownloadWindowTest, ACancelIsLoggedAsAStopAndEachRunStartsWithAnEmptyReport)
{
    const QString good = DevSim::lanAddress(34), bad = DevSim::lanAddress(35);
    ASSERT_TRUE(sim.start("pace off\ndevice id=A link=" + good + " sensors=T,-,-,- clock-at=" + fixedTestNowText() +
                              "\ndevice id=B link=" + bad + " sensors=T,-,-,- fault=othersensor\n",
                          root()));
    setProgramNowForTests(fixedTestNow());
    const _SYSTEMTIME from = Date2Shamsi(programNow().date().addDays(-5));
    writeLines(path("DeviceStatus.txt"),
               {"device  =Good," + good + ",Room,,,,A,T,lan,", "device  =Bad," + bad + ",Hall,,,,B,T,lan,"});
    const auto dueAgain = [&] {
        QStringList ledger{kLedgerHeader};
        for (const char* id : {"A", "B"})
            ledger << QStringLiteral("%1,T,0,0,%2,%3,%4,1,1,")
                          .arg(QLatin1String(id))
                          .arg(from.wYear)
                          .arg(from.wMonth)
                          .arg(from.wDay);
        writeLines(path("last_refresh.txt"), ledger);
        loadRegistry(state());
        state().stop.clear();
    };
    openWindows({});
    changeLinkSettings(link(), [&](LinkSettings& s) { s.tries = 1; });
    const ShortReconnectPauses pauses;

    dueAgain();
    windows().downloadAll();
    ASSERT_TRUE(progressWindow()->Memo_report->toPlainText().contains("Error in read device with this ID:B"));
    const QStringList firstRunLog = messageWindow()->lines();

    // The second run: Cancel once the good device has answered two days.
    dueAgain();
    QString reportAtStart;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (reportAtStart.isNull() && progressWindow()->Memo_report->toPlainText().contains("reading "))
            reportAtStart = progressWindow()->Memo_report->toPlainText();
        if (sim.requests("GetLog").size() >= 5 + 2 + 2 && progressWindow()->isVisible())
            progressWindow()->BtnOk->click();
    });
    const int before = int(sim.requests("GetLog").size());
    ASSERT_GE(before, 5);
    cancel.start(1);
    windows().downloadAll();
    cancel.stop();

    EXPECT_TRUE(state().stop.requested());
    EXPECT_FALSE(reportAtStart.contains("Error in read device with this ID:B")) << reportAtStart.toStdString();
    EXPECT_FALSE(reportAtStart.contains("Retrying")) << reportAtStart.toStdString();
    const QString report = progressWindow()->Memo_report->toPlainText();
    EXPECT_FALSE(report.contains("Error in read device")) << report.toStdString();
    EXPECT_TRUE(report.contains(kStoppedByUserText)) << report.toStdString();
    EXPECT_EQ(messageWindow()->lines().mid(0, firstRunLog.size()), firstRunLog);
    EXPECT_EQ(messageWindow()->lines().mid(firstRunLog.size()),
              QStringList{"1405/4/10 10:30:00 Good (ID A, " + good + "): " + kStoppedByUserText});
    EXPECT_EQ(commWindow()->StatusBar1->currentMessage(), kStoppedByUserText);
}

// The progress window belongs to the window that started the run, so that a click on
// that window during the download leaves it (and its Cancel) in front.
TEST_F(DownloadWindowTest, TheProgressWindowIsKeptInFrontOfTheWindowThatStartedTheRun)
{
    const QString a = DevSim::lanAddress(33);
    ASSERT_TRUE(sim.start("device id=A link=" + a + " sensors=T,-,-,- clock-at=" + fixedTestNowText() + "\n", root()));
    setProgramNowForTests(fixedTestNow());
    const _SYSTEMTIME from = Date2Shamsi(programNow().date().addDays(-1));
    writeLines(path("DeviceStatus.txt"), {"device  =Good," + a + ",Room,,,,A,T,lan,"});
    openWindows({});
    // The online window opens modally after the main window's run: closed as soon as it shows.
    const OnlineWindowCloser closer(*this);

    struct Case
    {
        const char* what;
        QWidget* starter;
        std::function<void()> start;
    };
    const Case cases[] = {
        {"main window's online button", mainWindow(), [this] { mainWindow()->BtnShowOnlineClick(); }},
        {"communication window's button", commWindow(), [this] { windows().downloadAll(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeLines(
            path("last_refresh.txt"),
            {kLedgerHeader, QStringLiteral("A,T,0,0,%1,%2,%3,1,1,").arg(from.wYear).arg(from.wMonth).arg(from.wDay)});
        loadRegistry(state());
        state().stop.clear();  // closing the online window of the case before stopped its work
        c.starter->show();
        c.starter->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.starter));
        QWindow* ownerSeen = nullptr;
        bool shown = false;
        // Clicked on the starting window while the run shows its progress.
        QObject::connect(progressWindow()->Memo_report, &QPlainTextEdit::textChanged, progressWindow(), [&] {
            if (shown) return;
            shown = progressWindow()->isVisible();
            QTest::mouseClick(c.starter, Qt::LeftButton);
            ownerSeen =
                progressWindow()->windowHandle() ? progressWindow()->windowHandle()->transientParent() : nullptr;
        });
        c.start();
        QObject::disconnect(progressWindow()->Memo_report, nullptr, progressWindow(), nullptr);
        EXPECT_TRUE(shown);
        EXPECT_EQ(ownerSeen, c.starter->windowHandle());
        c.starter->hide();
    }
}

}  // namespace
