// The settings page's conversations with the emulator as a real device: full read,
// status read, send and confirmation, and the limits carried into the report files.
#include "app/calendar.h"
#include "config/paramsession.h"
#include "link/link_fixture.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"

namespace {

class Session : public LinkFixture
{
protected:
    void startDevice(const QString& extra = QString())
    {
        // A device started again on the same address is reached over a new connection.
        sim.stop();
        link.reset();
        ip = DevSim::lanAddress(1);
        startSim(QStringLiteral("device id=A link=%1 name=Lab1 sensors=T,H,-,- names=Room,Hum %2\n").arg(ip, extra));
        dev = device("A", ip);
    }
    ParamExchange exchange()
    {
        return [this](const QString& cmd) { return link.Write2Dev(cmd, dev); };
    }
    bool read() { return readFullSet(sheet, exchange(), obs, clock(), false); }
    SendOutcome send() { return sendChanges(sheet, exchange(), obs, root(), clock(), false, state().journal); }
    // A report file of the current year for channel n (1..4).
    QString reportPath(int n, const QString& name)
    {
        return reportFilePath(root(), Date2Shamsi(now.date(), now, ShamsiCalendar::Official).wYear, "A", n, name);
    }

    QString ip;
    Device_Rec dev;
    ParameterSheet sheet;
    QDateTime now{QDate(2020, 1, 25), QTime(14, 3, 27)};  // 98/11/5 14:03
    _SYSTEMTIME clock() const { return clockOf(now, ShamsiCalendar::Official); }
};

TEST_F(Session, ReadEditSendReadAgainShowsTheNewValues)
{
    startDevice();
    ASSERT_TRUE(read());
    EXPECT_EQ(sheet.clockText, "98/11/5_0_14:3:0");
    EXPECT_TRUE(sheet.loaded);
    EXPECT_EQ(sheet.text("LE_BaseParam_Name"), "Lab1");
    EXPECT_EQ(sheet.text("LE_S0_Max1"), "50.5");
    EXPECT_EQ(sheet.cell("LE_GSM_AlarmType")->index, 1);
    EXPECT_EQ(obs.json.mid(1), QStringList{"This ctrl not defined:LE_LAN_DNS"});
    EXPECT_EQ(obs.status.last(), "Ready");  // one casing for every "ready" of the status line

    sheet.edit("LE_BaseParam_Name", "Lab2");
    sheet.edit("LE_S1_Max1", "85.5");
    sheet.pick("LE_GSM_Wait4Con", 3);
    sheet.edit("LE_Station_Password", "new pass:1");
    const SendOutcome o = send();
    ASSERT_EQ(o.result, SendResult::Confirmed) << o.reply.toStdString();
    EXPECT_EQ(o.command,
              "ASetFullPara(\"Main\":{\"BaseParam\":{\"Name\":\"Lab2\",},\"S1\":{\"Max1\":85.5,},"
              "\"Station\":{\"Password\":\"new pass:1\",},"
              "\"GSM\":{\"Wait4Con\":3,})");
    EXPECT_EQ(obs.json.mid(obs.json.size() - 3, 2), (QStringList{o.command, sheettext::kSeparatorLine}));
    EXPECT_EQ(obs.status.last(), "Ready");

    ParameterSheet again;
    ASSERT_TRUE(readFullSet(again, exchange(), obs, clock(), false));
    EXPECT_EQ(again.text("LE_BaseParam_Name"), "Lab2");
    EXPECT_EQ(again.text("LE_S1_Max1"), "85.5");
    EXPECT_EQ(again.cell("LE_GSM_Wait4Con")->index, 3);
    EXPECT_EQ(again.text("LE_Station_Password"), "new pass:1");
    EXPECT_EQ(again.text("LE_S0_Max1"), "50.5");

    // A second send without a new edit sends an empty change text.
    EXPECT_EQ(send().command, "ASetFullPara(\"Main\":{})");
}

TEST_F(Session, FullAndStatusReadsOverASerialLine)
{
    startSim(QStringLiteral("device id=S link=COM1 name=Serial sensors=T,-,-,-\n"), {"--no-pace"});
    dev = device("S", "COM1");
    ASSERT_TRUE(read());
    EXPECT_EQ(sheet.text("LE_BaseParam_Name"), "Serial");
    EXPECT_EQ(sheet.text("LE_LAN_Enable"), "0");
    ASSERT_TRUE(readStatusSet(sheet, exchange(), obs, false));
    EXPECT_EQ(sheet.text("LE_GSM_Level"), "4");
}

TEST_F(Session, StatusReadFillsTheStatusControls)
{
    startDevice();
    ASSERT_TRUE(readStatusSet(sheet, exchange(), obs, false));
    EXPECT_EQ(sheet.text("LE_BaseParam_Version"), "2.7.1");
    EXPECT_EQ(sheet.text("LE_GSM_IMEI"), "350000000000001");
    EXPECT_EQ(sheet.text("LE_Station_Signal"), "-61");
    EXPECT_FALSE(sheet.loaded);
    EXPECT_EQ(sim.requests(), QStringList{"A{SetFullPara(\"GetFullStat\":{\"\":\"\"}):1,A}#"});
}

TEST_F(Session, FaultyFullSetsTakeTheErrorPath)
{
    struct Case
    {
        const char* fault;
        bool bound;
        const char* message;
    } cases[] = {
        {"notjson", false, "پاسخی از دستگاه"},
        {"nomain", false, "پاسخی از دستگاه"},
        {"reorder", true, nullptr},
        {"badindex", true, nullptr},
        {"raw fault-text=${\"Busy\":1}#", false, "اشکال در ارتباط"},  // no "BaseParam": still loaded
        {"silence", false, "پاسخی از دستگاه"},                        // an empty reply
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        startDevice(QStringLiteral("fault=%1").arg(QLatin1String(c.fault)));
        changeLinkSettings(link, [](LinkSettings& s) {
            s.replyWaitMs = 20;
            s.lanReadTimeoutMs = 20;
        });
        sheet = ParameterSheet();
        if (c.message) dlg.expect(Kind::Message, QString::fromUtf8(c.message));
        EXPECT_EQ(read(), c.bound);
        EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
        dlg.clear();
        if (QLatin1String(c.fault) == QLatin1String("badindex")) {
            EXPECT_EQ(sheet.cell("LE_BaseParam_AlarmPeriod")->index, -1);
            EXPECT_EQ(sheet.cell("LE_GSM_AlarmType")->index, -1);
            EXPECT_EQ(sheet.text("LE_BaseParam_Name"), "Lab1");
        }
        const bool commFault = c.message && QString::fromUtf8(c.message) == sheettext::kCommFault;
        EXPECT_EQ(sheet.loaded, c.bound || commFault);
        if (!c.bound) {
            EXPECT_EQ(obs.status.last(), "Error");
            EXPECT_EQ(sheet.text("LE_BaseParam_Name"), "");
        }
    }
}

TEST_F(Session, GroupsInAnotherOrderGiveTheChangeTextInThatOrder)
{
    startDevice("fault=reorder");
    ASSERT_TRUE(read());
    EXPECT_EQ(sheet.cell("LE_BaseParam_AlarmPeriod")->index, 2);
    sheet.edit("LE_BaseParam_Name", "Lab9");
    sheet.edit("LE_GSM_Number2", "0935");
    for (int n : {2, 3}) sheet.edit(QStringLiteral("LE_S%1_Max1").arg(n), "1");
    EXPECT_EQ(send().command,
              "ASetFullPara(\"Main\":{\"GSM\":{\"Number2\":\"0935\",},\"S3\":{\"Max1\":1,},"
              "\"S2\":{\"Max1\":1,},\"BaseParam\":{\"Name\":\"Lab9\",})");
}

TEST_F(Session, LimitsReachTheReportHeadersOnlyAfterConfirmation)
{
    const int yy = Date2Shamsi(now.date(), now, ShamsiCalendar::Official).wYear;
    const QString header = QStringLiteral("SenPara(0,1,TH,1,0,T,-20.0,50.5,60,0,3,5,0,0,0):66,A");
    const QStringList room{header, "6,20,day", "Comment,6,kept"};
    const QStringList hum{QStringLiteral("SenPara(0,1,TH,1,1,H,20.0,80.0,60,0,3,5,0,0,0):70,A"), "6,20,day"};
    auto lay = [&] {
        writeLines(reportPath(1, "Room"), room);
        writeFileBytes(reportPath(2, "Hum"), encodeTextFile(hum, TextEncoding::Utf8));
        writeLines(reportFilePath(root(), yy - 1, "A", 1, "Room"), room);  // last year: never touched
    };
    auto edit = [&] {
        sheet = ParameterSheet();
        ASSERT_TRUE(read());
        sheet.edit("LE_S0_Max1", "45");
        sheet.edit("LE_S1_Name", "Hum");  // a name alone changes no file
    };

    // The device does not confirm: nothing is written.
    startDevice("fault=noconfirm");
    lay();
    edit();
    dlg.expect(Kind::Message, sheettext::kNotConfirmed);
    EXPECT_EQ(send().result, SendResult::NotConfirmed);
    EXPECT_EQ(readLines(reportPath(1, "Room")), room);

    // The validation refuses: nothing is sent, nothing is written.
    startDevice();
    edit();
    sheet.edit("LE_S0_Min1", "46");
    dlg.expect(Kind::Message, sheettext::kMinBelowMax);
    EXPECT_EQ(send().result, SendResult::Refused);
    EXPECT_TRUE(sim.requests("Main").isEmpty());
    EXPECT_EQ(readLines(reportPath(1, "Room")), room);
    EXPECT_TRUE(sheet.limitsChanged(0));  // the marks stay

    // Confirmed: exactly the changed channels' files of the current year.
    sheet.edit("LE_S0_Min1", "-5.5");
    const SendOutcome o = send();
    ASSERT_EQ(o.result, SendResult::Confirmed);
    EXPECT_EQ(o.carried.rewritten, QStringList{reportPath(1, "Room")});
    QStringList expected = room;
    expected[0] = QStringLiteral("SenPara(0,1,TH,1,0,T,-5.5,45,60,0,3,5,0,0,0):66,A");
    EXPECT_EQ(readLines(reportPath(1, "Room")), expected);
    EXPECT_EQ(decodeTextFile(readFileBytes(reportPath(2, "Hum"))).lines, hum);
    EXPECT_EQ(readLines(reportFilePath(root(), yy - 1, "A", 1, "Room")), room);
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
}

TEST_F(Session, AShortHeaderIsNamedAndLeftAsItWas)
{
    startDevice();
    const QStringList lines{"SenPara,1,2", "6,20,day"};
    writeFileBytes(reportPath(2, "Hum"), encodeTextFile(lines, TextEncoding::Utf16LE));
    ASSERT_TRUE(read());
    sheet.edit("LE_S1_Min1", "10");
    // The send tells the caller, which shows it (the settings page) or prints it.
    const SendOutcome o = send();
    EXPECT_EQ(o.result, SendResult::Confirmed);
    EXPECT_EQ(carryOverMessages(o.carried), QStringList{shortHeaderMessage(reportPath(2, "Hum"))});
    EXPECT_EQ(decodeTextFile(readFileBytes(reportPath(2, "Hum"))).lines, lines);
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
}

TEST_F(Session, AChangeTextTheDeviceCannotReadIsRefusedWithoutSetResp)
{
    startDevice();
    ASSERT_TRUE(read());
    for (const QString& cmd : {QStringLiteral("ASetFullPara(\"Main\":{\"S0\":{\"Max1\":abc,})"),
                               QStringLiteral("ASetFullPara(\"Main\":{\"Nope\":{\"Max1\":1,})"),
                               QStringLiteral("ASetFullPara(\"Main\":{\"S0\":{\"Name\":\"a\\\"b\",})")}) {
        const QString reply = link.Write2Dev(cmd, dev);
        EXPECT_FALSE(reply.contains("SetResp")) << cmd.toStdString();
    }
    ParameterSheet again;
    ASSERT_TRUE(readFullSet(again, exchange(), obs, clock(), false));
    EXPECT_EQ(again.text("LE_S0_Max1"), "50.5");
    EXPECT_EQ(again.text("LE_S0_Name"), "Room");
}

TEST_F(Session, AStoredReplyWithoutParametersStopsTheSendBeforeAnythingGoesOut)
{
    startDevice();
    sheet.loaded = true;
    sheet.lastReply = "Time Out";
    for (int n : {0, 1, 2, 3}) {
        sheet.edit(QStringLiteral("LE_S%1_Min1").arg(n), "0");
        sheet.edit(QStringLiteral("LE_S%1_Max1").arg(n), "1");
        sheet.edit(QStringLiteral("LE_S%1_MinP").arg(n), "0");
        sheet.edit(QStringLiteral("LE_S%1_MaxP").arg(n), "1");
        sheet.edit(QStringLiteral("LE_S%1_Calibrate").arg(n), "0");
    }
    dlg.expect(Kind::Message, "JSON");
    EXPECT_EQ(send().result, SendResult::NotBuilt);
    EXPECT_TRUE(sheet.anyChanged());
    EXPECT_TRUE(sim.requests().isEmpty());
}

}  // namespace
