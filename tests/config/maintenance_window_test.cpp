// The maintenance commands of the communication window against the emulator.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/calendar.h"
#include "comm_window_support.h"
#include "config/maintenance.h"
#include "config/ui/maintenancepages.h"
#include "download/download.h"
#include "platform/eventpump.h"
#include "support/scriptedlink.h"

namespace {

using namespace maintenance;

class MaintenanceWindow : public CommWindowFixture
{
protected:
    // One LAN device, registered and chosen.
    void openOn(const QString& extraKeys = QString())
    {
        lan = DevSim::lanAddress(51);
        startSim("device id=a link=" + lan + " \"name=Cold room\" sensors=T,H,-,- alarm=3 " + extraKeys + "\n");
        openCommWindow({"device  =Cold room," + lan + ",Freezer,Fridge,,,a,T,lan,"});
        state().SelDevice.ID = "a";
        state().SelDevice.IP = lan;
        changeLinkSettings(link(), [&](LinkSettings& s) { s.tries = 1; });
    }
    DeviceCommandsPanel* commands() const { return commWindow()->GroupBoxDeviceCommands; }
    OperatorPanel* operatorPanel() const { return commWindow()->PanelOperator; }
    RepliesPage* replies() const { return commWindow()->TabSheet8; }
    QStringList jsonLines() const { return commWindow()->Memo_Json->toPlainText().split('\n'); }
    // Sends a typed command and answers its reply.
    QString typed(const QString& command)
    {
        replies()->CBManualSend->setEditText(command);
        replies()->BtnSendJson->click();
        return commWindow()->Memo_Json->toPlainText();
    }
    QString lan;
    LinkScript script;  // scripted devices; it outlives the link's transports (reset in TearDown)
};

TEST_F(MaintenanceWindow, ClockSetSendsTheCalendarsClockAndTheDeviceKeepsIt)
{
    openOn("clock-at=" + fixedTestNowText());  // a device whose clock stands still keeps the time it is set to
    setProgramNowForTests(QDateTime(QDate(2024, 3, 20), QTime(0, 0, 1)));  // Nowruz 1403
    dlg.expect(Kind::Message, kClockSet);
    commands()->Button10->click();
    EXPECT_EQ(commands()->LE_BaseParam_TimeDate->text(), "3/1/1_0_0:0:1");
    EXPECT_EQ(sim.requests("TimeDate").value(0), "A{SetFullPara(\"TimeDate\":{\"Set\":\"3,1,1,0,0,0,1\"}):1,a}#");
    EXPECT_EQ(jsonLines(), (QStringList{"{\"TimeDate\":{\"Set\":\"OK\"}}", kReplySeparator}));
    // The device's clock now reads the first minutes of 1403.
    EXPECT_TRUE(typed(presetCommands()[2]).contains("\"Year\":\"03\",\"Month\":\"1\",\"Day\":\"1\",\"Hour\":\"0\""))
        << commWindow()->Memo_Json->toPlainText().toStdString();
}

// The same clock set over a scripted device whose confirmation comes in two late
// parts: the panel waits for the whole reply and shows it once, then the separator.
TEST_F(MaintenanceWindow, AClockConfirmationInPartsIsShownWhole)
{
    openCommWindow({"device  =Cold room,127.0.0.51,Freezer,Fridge,,,a,T,lan,"});
    link().setTransportFactory(script.factory());
    changeLinkSettings(link(), [](LinkSettings& s) {
        s.lanReadTimeoutMs = 300;
        s.tries = 1;
        s.replyWaitMs = 0;
    });
    state().SelDevice.ID = "a";
    state().SelDevice.IP = "127.0.0.51";
    script.respond([](const LinkScript::Request&) {
        return LinkScript::chunks({"$" + QStringLiteral(R"({"TimeDate":)"), QStringLiteral(R"({"Set":"OK"}}#)")}, 40);
    });
    setProgramNowForTests(QDateTime(QDate(2024, 3, 20), QTime(0, 0, 1)));  // Nowruz 1403
    dlg.expect(Kind::Message, kClockSet);
    commands()->Button10->click();
    ASSERT_EQ(script.requests().size(), 1);
    EXPECT_EQ(script.requests()[0].frame, "A{SetFullPara(\"TimeDate\":{\"Set\":\"3,1,1,0,0,0,1\"}):1,a}#");
    EXPECT_EQ(jsonLines(), (QStringList{"{\"TimeDate\":{\"Set\":\"OK\"}}", kReplySeparator}));
}

TEST_F(MaintenanceWindow, AlarmStopAndPresetsGoOutExactly)
{
    openOn();
    ASSERT_TRUE(typed(presetCommands()[0]).contains("\"Alarm\":\"3\""));
    commands()->BitBtn1->click();
    EXPECT_EQ(sim.requests("ChangeStat").value(0), "A{SetFullPara(\"ChangeStat\":{\"Alarm\":\"Disable\"}):1,a}#");
    EXPECT_EQ(jsonLines().last(), kReplySeparator);
    EXPECT_TRUE(typed(presetCommands()[0]).contains("\"Alarm\":\"0\""));
    // A preset that begins with "AGetFullPara(" goes out so; the pane holds only its reply.
    replies()->CBManualSend->setCurrentIndex(5);
    replies()->BtnSendJson->click();
    EXPECT_EQ(sim.requests("AlarmPhone").value(0), "A{GetFullPara(\"Test\":{\"AlarmPhone\":\"Disable\"}):1,a}#");
    EXPECT_EQ(jsonLines().size(), 1);
    replies()->Button12->click();
    EXPECT_TRUE(commWindow()->Memo_Json->toPlainText().isEmpty());
    // Closing the window closes the LAN link it used and stops the answer poll.
    ASSERT_TRUE(link().lanConnected());
    commWindow()->Timer1.start();
    commWindow()->close();
    EXPECT_FALSE(link().lanConnected());
    EXPECT_FALSE(commWindow()->Timer1.isActive());
}

TEST_F(MaintenanceWindow, WithoutADeviceTheExchangeSaysSoAndTheLinesAreStillAdded)
{
    openOn();
    state().SelDevice = Device_Rec();
    dlg.expect(Kind::Message, linktext::kChooseDevice);
    commands()->BitBtn1->click();
    EXPECT_EQ(jsonLines().last(), kReplySeparator);
    EXPECT_TRUE(sim.requests().isEmpty());
}

TEST_F(MaintenanceWindow, EraseNeedsTheExpertAccessAndAYesThatNamesTheDevice)
{
    // The program and the device stand at the same moment.
    setProgramNowForTests(fixedTestNow());
    openOn("clock-at=" + fixedTestNowText());
    auto recordedHours = [&](int daysBack) {
        const _SYSTEMTIME d = Date2Shamsi(programNow().date().addDays(-daysBack));
        const QString reply = typed(dayRequest(d.wYear, 0, d.wMonth, d.wDay));
        return reply.section(',', 1, 1).toInt();
    };
    int before = 0;
    for (int back = 1; back <= 5; ++back) before += recordedHours(back);
    ASSERT_GT(before, 0);

    EXPECT_FALSE(commands()->btnClearAllFile->isEnabled());
    commands()->btnClearAllFileClick();  // locked: nothing is asked, nothing sent
    commWindow()->setExpertAccess(true);
    EXPECT_TRUE(commands()->btnClearAllFile->isEnabled());
    for (const std::optional<QString>& answer : {std::optional<QString>("Yes"), std::optional<QString>(" yes"),
                                                 std::optional<QString>(""), std::optional<QString>()})
        dlg.expect(Kind::Input, "Cold room ID=a " + lan, answer);
    for (int i = 0; i < 4; ++i) commands()->btnClearAllFile->click();
    EXPECT_TRUE(sim.requests("Erase").isEmpty());

    dlg.expect(Kind::Input, "Cold room ID=a " + lan, "yes").expect(Kind::Message, kEraseSent);
    commands()->btnClearAllFile->click();
    EXPECT_EQ(sim.requests("Erase"), QStringList{"A{SetFullPara(\"Erase\":{\"Log\":\"\"}):1,a}#"});
    EXPECT_EQ(jsonLines().last(), kReplySeparator);
    int after = 0;
    for (int back = 1; back <= 5; ++back) after += recordedHours(back);
    EXPECT_EQ(after, 0);

    commWindow()->setExpertAccess(false);
    EXPECT_FALSE(commands()->btnClearAllFile->isEnabled());
}

TEST_F(MaintenanceWindow, UssdAnswerArrivesThroughThePoll)
{
    openOn("ussd-polls=3 \"ussd=Credit 12500 Rials, thank you\"");
    commWindow()->Timer1.setInterval(20);
    EXPECT_EQ(operatorPanel()->EditSentToOperator->text(), "*555*1*2#");
    operatorPanel()->EditSentToOperator->setText("*555*#1#");
    operatorPanel()->BtnSentToOperator->click();
    EXPECT_TRUE(commWindow()->Timer1.isActive());
    ASSERT_TRUE(waitUntil([this] { return !commWindow()->Timer1.isActive(); }, 20000));
    EXPECT_EQ(commWindow()->Memo1->toPlainText(), "Credit 12500 Rials, thank you");
    EXPECT_EQ(commWindow()->ussdPoll().pollCount(), 3);
    const QStringList ussd = sim.requests("USSDResp");
    ASSERT_EQ(ussd.size(), 5);
    EXPECT_EQ(ussd[0], "A{SetFullPara(\"USSDResp\":{\"Code\":\"*555*$1$\"}):1,a}#");
    EXPECT_EQ(ussd[4], "A{SetFullPara(\"USSDResp\":{\"Reset\":\"\"}):1,a}#");

    // An empty (or blank) top-up code is refused: nothing sent, no poll started.
    for (const QString& code : {QString(), QStringLiteral("   ")}) {
        operatorPanel()->EditCode->setText(code);
        dlg.expect(Kind::Message, kNoTopUpCode);
        operatorPanel()->BtnEtebar->click();
        EXPECT_FALSE(commWindow()->Timer1.isActive());
    }
    EXPECT_TRUE(sim.requests("Charge").isEmpty());

    // A top-up code goes out as typed, and its answer joins the first.
    operatorPanel()->EditCode->setText("*140*1234");
    operatorPanel()->BtnEtebar->click();
    ASSERT_TRUE(waitUntil([this] { return !commWindow()->Timer1.isActive(); }, 20000));
    EXPECT_EQ(sim.requests("Charge").value(0), "A{SetFullPara(\"USSDResp\":{\"Charge\":\"*140*1234\"}):1,a}#");
    EXPECT_EQ(commWindow()->Memo1->toPlainText().split('\n').size(), 2);
    // A "#" in it is not replaced (and ends the frame on the wire, so the device hears a broken frame).
    commWindow()->Timer1.setInterval(60000);
    operatorPanel()->EditCode->setText("*140*#");
    operatorPanel()->BtnEtebar->click();
    EXPECT_TRUE(commWindow()->Memo_Send->toPlainText().contains("{\"Charge\":\"*140*#\"}):1,a}#"));
}

TEST_F(MaintenanceWindow, ReadAgainAfterTenPollsPollsOnceMore)
{
    openOn("ussd-polls=50");
    commWindow()->Timer1.setInterval(10);
    operatorPanel()->BtnSentToOperator->click();
    ASSERT_TRUE(waitUntil([this] { return !commWindow()->Timer1.isActive(); }, 30000));
    EXPECT_EQ(commWindow()->ussdPoll().pollCount(), 10);
    operatorPanel()->Button1->click();
    ASSERT_TRUE(waitUntil([this] { return !commWindow()->Timer1.isActive(); }, 20000));
    EXPECT_EQ(commWindow()->ussdPoll().pollCount(), 11);
    EXPECT_EQ(sim.requests("\"Read\"").size(), 11);
    EXPECT_TRUE(commWindow()->Memo1->toPlainText().isEmpty());
}

TEST_F(MaintenanceWindow, DeviceSearchShowsTheRequestOnceAndTheDevicesOwnFields)
{
    openOn();
    typed("ASetFullPara(\"Main\":{\"BaseParam\":{\"Name\":\"Renamed\"}})");
    commWindow()->deviceSearch().setSearchAddress(QHostAddress(DevSim::searchAddress()));
    replies()->Button2->click();
    const QString mine = "\"IP\":\"" + lan + "\"";
    ASSERT_TRUE(waitUntil([&] { return commWindow()->Memo_Json->toPlainText().contains(mine); }, 5000));
    sleepPumping(200);
    const QStringList lines = jsonLines();
    EXPECT_EQ(lines.filter(mine).size(), 1);
    EXPECT_TRUE(lines.filter(mine).value(0).contains("\"ID\":\"a\",\"Name\":\"Renamed\""));
    EXPECT_TRUE(lines.filter(mine).value(0).contains("\"S0\":\"Sensor1\""));
}

}  // namespace
