// The communication and progress windows show what the link reports.
#include <functional>
#include <limits>
#include <utility>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "app/programstate.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"
#include "link/ui/form_wait2.h"
#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/windowsfixture.h"

namespace {

class LinkWindows : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        openWindows();
        comm = commWindow();
    }
    void TearDown() override
    {
        WindowsFixture::TearDown();
        link().reset();
    }
    TForm_Comm* comm = nullptr;
};

TEST_F(LinkWindows, ControlsCarryTheirNames)
{
    for (const char* name : {"Memo_Send", "Memo_Rx", "Memo_Json", "Memo1", "Button2", "StatusBar1", "PageControl2",
                             "TabSheet8", "TabSendResive"})
        EXPECT_NE(comm->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
    for (const char* name :
         {"Label_Cnt", "Label_Status", "Label_port", "ProgressBar1", "ProgressBarAll", "Memo_report", "BtnOk"})
        EXPECT_NE(progressWindow()->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(progressWindow()->windowTitle(), "Reading ");
    EXPECT_EQ(progressWindow()->Label_Cnt->text(), "0,0");
    EXPECT_EQ(comm->StatusBar1->currentMessage(), "Ready");
    EXPECT_EQ(comm->Timer1.interval(), 3000);
    EXPECT_FALSE(comm->Timer1.isActive());
}

TEST_F(LinkWindows, ExchangeShowsTheFrameAndPortAndCancelRaisesStopFlag)
{
    DevSim sim;
    ASSERT_TRUE(sim.start(QStringLiteral("device id=a link=COM1 fault=silence\n"), root()));
    Device_Rec dev;
    dev.ID = QStringLiteral("a");
    dev.IP = QStringLiteral("COM1");
    state().Prog.Header = QStringLiteral("Lab");
    progressWindow()->show();
    EXPECT_EQ(progressWindow()->Label_Header->text(), "Header:Lab");
    // Cancel during the wait ends it and closes the window.
    QTimer::singleShot(150, [this] { progressWindow()->BtnOk->click(); });
    EXPECT_EQ(link().Write2Dev(QStringLiteral("ASenPara(0,1)"), dev), "Time Out");
    EXPECT_TRUE(state().stop.requested());
    EXPECT_FALSE(progressWindow()->isVisible());
    EXPECT_EQ(comm->Memo_Send->toPlainText().split('\n').first(), "A{SenPara(0,1):108,a}#");
    EXPECT_EQ(progressWindow()->Label_port->text(), "COM1");
    // The status line ends on what the exchange came to, not on "Sending..." or a
    // "Ready" that no reply earned: here the stop.
    EXPECT_EQ(comm->StatusBar1->currentMessage(), linktext::kStoppedStatus);
}

// The same Cancel during the wait for a network reply, with a time-out far longer than
// the test waits: the wait ends, and nothing more is sent. Were the Cancel not heeded,
// the emulator would be stopped after 20 s, which ends the wait with a link error.
// The status line shows what the last exchange came to, whatever came before it: a
// reply, no reply, a link that could not be opened. Never "Sending..." after it.
TEST_F(LinkWindows, TheStatusLineEndsOnTheOutcomeOfTheLastExchange)
{
    DevSim sim;
    const QString good = DevSim::lanAddress(1), silent = DevSim::lanAddress(2), gone = DevSim::lanAddress(3);
    ASSERT_TRUE(sim.start(
        QStringLiteral("pace off\ndevice id=a link=%1\ndevice id=b link=%2 fault=silence\n").arg(good, silent),
        root()));
    changeLinkSettings(link(), [](LinkSettings& s) {
        s.replyWaitMs = 100;
        s.connectWaitMs = 300;
        s.tries = 1;
        s.lanReadTimeoutMs = 100;
    });
    struct Case
    {
        QString id, ip, status;
        bool throws;
    };
    const Case cases[] = {
        {"a", good, linktext::kReadyStatus, false},      {"b", silent, linktext::kNoAnswerStatus, false},
        {"a", good, linktext::kReadyStatus, false},      {"c", gone, linktext::kLinkFailedStatus, true},
        {"b", silent, linktext::kNoAnswerStatus, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id.toStdString());
        Device_Rec dev;
        dev.ID = c.id;
        dev.IP = c.ip;
        bool threw = false;
        try {
            link().Write2Dev(QStringLiteral("ASenPara(0,1)"), dev);
        } catch (const std::exception&) {
            threw = true;
        }
        EXPECT_EQ(threw, c.throws);
        EXPECT_EQ(comm->StatusBar1->currentMessage(), c.status);
    }
}

TEST_F(LinkWindows, CancelEndsTheWaitForANetworkReply)
{
    DevSim sim;
    const QString ip = DevSim::lanAddress(1);
    ASSERT_TRUE(sim.start(QStringLiteral("device id=a link=%1 fault=silence\n").arg(ip), root()));
    Device_Rec dev;
    dev.ID = QStringLiteral("a");
    dev.IP = ip;
    changeLinkSettings(link(), [](LinkSettings& s) {
        s.replyWaitMs = 600000;
        s.tries = 5;
    });
    progressWindow()->show();
    QTimer cancel;
    cancel.setInterval(10);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (sim.requests().isEmpty()) return;
        cancel.stop();
        progressWindow()->BtnOk->click();
    });
    cancel.start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] { sim.stop(); });
    watchdog.start(20000);
    QString reply = QStringLiteral("-");
    EXPECT_NO_THROW(reply = link().Write2Dev(QStringLiteral("ASenPara(0,1)"), dev));
    EXPECT_EQ(reply, "");
    EXPECT_TRUE(state().stop.requested());
    EXPECT_FALSE(progressWindow()->isVisible());
    EXPECT_EQ(sim.requests().size(), 1);
}

TEST_F(LinkWindows, PanesAreEmptiedPastTheirLineLimits)
{
    struct Case
    {
        QPlainTextEdit* memo;
        int limit;
    };
    const Case cases[] = {{comm->Memo_Send, kTrafficPaneLineLimit},
                          {comm->Memo_Rx, kTrafficPaneLineLimit},
                          {progressWindow()->Memo_report, kReportPaneLineLimit}};
    for (const Case& c : cases) {
        QStringList lines;
        for (int i = 0; i < c.limit; ++i) lines << QString::number(i);
        c.memo->setPlainText(lines.join('\n'));
        EXPECT_EQ(c.memo->blockCount(), c.limit);
        c.memo->appendPlainText(QStringLiteral("one more"));
        EXPECT_TRUE(c.memo->toPlainText().isEmpty()) << c.memo->objectName().toStdString();
    }
}

// Long lines are bounded too: no pane holds much more than its character limit,
// the search answers' pane included.
TEST_F(LinkWindows, PanesAreEmptiedPastTheirCharacterLimit)
{
    const QString line(128 * 1024, QLatin1Char('x'));
    const std::pair<QPlainTextEdit*, std::function<void()>> panes[] = {
        {comm->Memo_Send, [&] { comm->Memo_Send->appendPlainText(line); }},
        {comm->Memo_Rx, [&] { comm->Memo_Rx->appendPlainText(line); }},
        {comm->Memo_Json, [&] { link().observer().jsonLine(line); }},
        {progressWindow()->Memo_report, [&] { progressWindow()->Memo_report->appendPlainText(line); }},
    };
    for (const auto& [memo, append] : panes) {
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);  // laying out wrapped long lines only costs time here
        int most = 0;
        for (int i = 0; i < 10; ++i) {
            append();
            most = std::max(most, memo->document()->characterCount());
        }
        EXPECT_LE(most, kPaneCharacterLimit + line.size() + 1) << memo->objectName().toStdString();
        EXPECT_FALSE(memo->toPlainText().isEmpty());
    }
}

// Time-outs up to the largest number the settings file can give do not overflow the
// wait arithmetic: the device's reply is still awaited and taken.
TEST_F(LinkWindows, HugeTimeOutsStillWaitForTheReply)
{
    DevSim sim;
    const QString ip = DevSim::lanAddress(5);
    ASSERT_TRUE(sim.start(QStringLiteral("device id=a link=%1\ndevice id=b link=COM1\n").arg(ip), root(),
                          {QStringLiteral("--no-pace")}));
    changeLinkSettings(link(), [](LinkSettings& s) {
        s.tries = 1;
        s.replyWaitMs = s.connectWaitMs = std::numeric_limits<int>::max();
        s.serialReplyTimeoutMs = std::numeric_limits<int>::max();
    });
    for (const QString& address : {ip, QStringLiteral("COM1")}) {
        Device_Rec d;
        d.ID = address == ip ? QStringLiteral("a") : QStringLiteral("b");
        d.IP = address;
        const QString reply = link().Write2Dev(QStringLiteral("ASenPara(0,0)"), d);
        EXPECT_TRUE(reply.contains(QLatin1String("SenPara(0,")))
            << address.toStdString() << ": " << reply.toStdString();
    }
}

}  // namespace
