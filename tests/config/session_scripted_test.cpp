// The settings page's conversations over scripted devices: a link that drops in the
// middle of the send, and a late parameter set that must not be taken for the status.
#include "app/calendar.h"
#include "config/paramsession.h"
#include "link/link_fixture.h"
#include "support/scriptedlink.h"

namespace {

// A parameter set that passes the validation: every channel with its limits.
QString fullSet()
{
    QString s = QStringLiteral(R"({"Main":{"BaseParam":{"Name":"Lab1","ID":"A"})");
    for (int n = 0; n < 4; ++n)
        s += QStringLiteral(R"(,"S%1":{"Name":"","Min1":-20,"Max1":50,"MinP":-30,"MaxP":60,"Calibrate":0})").arg(n);
    return s + QStringLiteral("}}");
}
const QString kStatusSet = QStringLiteral(R"({"FullStat":{"BaseParam":{"Version":"2.7.1"}}})");

class ScriptedSession : public LinkFixture
{
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        link.setTransportFactory(script.factory());
        changeLinkSettings(link, [](LinkSettings& s) {
            s.tries = 1;
            s.replyWaitMs = 0;
            s.lanReadTimeoutMs = 300;
        });
        dev = device("A", DevSim::lanAddress(1));
    }
    ParamExchange exchange()
    {
        return [this](const QString& cmd) { return link.Write2Dev(cmd, dev); };
    }

    LinkScript script;
    Device_Rec dev;
    ParameterSheet sheet;
    QDateTime now{QDate(2020, 1, 25), QTime(14, 3, 27)};
    _SYSTEMTIME clock() const { return clockOf(now, ShamsiCalendar::Official); }
};

// The link drops after the changes went out: the send ends with the link error after
// the command line, without the separator and the reply; the marks are gone, so a
// second send carries no change. The next read connects again.
TEST_F(ScriptedSession, ALinkDroppedDuringTheSendEndsItAfterTheCommand)
{
    script.respond([](const LinkScript::Request& r) {
        if (r.command.startsWith(QLatin1String("ASetFullPara(\"Main\""))) return LinkScript::dropAfter(50);
        return LinkScript::reply(fullSet(), 20);
    });
    ASSERT_TRUE(readFullSet(sheet, exchange(), obs, clock(), false));
    sheet.edit("LE_BaseParam_Name", "Lab2");
    EXPECT_THROW(sendChanges(sheet, exchange(), obs, root(), clock(), false, state().journal), LinkError);
    EXPECT_EQ(obs.json.last(), "ASetFullPara(\"Main\":{\"BaseParam\":{\"Name\":\"Lab2\",},})");
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();

    ParameterSheet again;
    ASSERT_TRUE(readFullSet(again, exchange(), obs, clock(), false));
    EXPECT_EQ(script.events().filter("open ").size(), 2);
    EXPECT_EQ(sheet.bind(sheet.lastReply, "Main", BindMode::Build, false).changeText, "");
}

// The parameter set comes after the read gave up and lies waiting when the status is
// read: the status read takes its own reply, and no parameter of the late set is shown.
TEST_F(ScriptedSession, ALateParameterSetIsNotTakenForTheStatus)
{
    script.respond([](const LinkScript::Request& r) {
        if (r.command == paramcmd::kReadAll) return LinkScript::reply(fullSet(), 1000);
        return LinkScript::reply(kStatusSet, 20);
    });
    dlg.expect(Kind::Message, sheettext::kNoReply);
    EXPECT_FALSE(readFullSet(sheet, exchange(), obs, clock(), false));
    EXPECT_EQ(obs.json, QStringList{"ERR>"});
    script.elapse(2000);
    ASSERT_TRUE(readStatusSet(sheet, exchange(), obs, false));
    EXPECT_EQ(sheet.text("LE_BaseParam_Version"), "2.7.1");
    EXPECT_EQ(sheet.text("LE_BaseParam_Name"), "");
    EXPECT_EQ(obs.json, QStringList{kStatusSet});
}

}  // namespace
