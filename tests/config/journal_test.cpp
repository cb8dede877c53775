// The journal of the changes to devices, the registry and the settings: what each
// change enters, that no password reaches the journal, and that a journal that cannot
// be written stops the change.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "app/ledger.h"
#include "app/registry.h"
#include "comm_window_support.h"
#include "config/devicelist.h"
#include "config/expertaccess.h"
#include "config/maintenance.h"
#include "config/paramsession.h"
#include "config/ui/maintenancepages.h"
#include "link/link_fixture.h"
#include "platform/textfile.h"
#include "support/scriptedlink.h"
#include "views/annotations.h"

namespace {

using json = nlohmann::ordered_json;
using devicelist::registryLineChanges;

const QString kOldPassword = QStringLiteral("OldWifiPass");
const QString kNewPassword = QStringLiteral("NewWifiPass");
const QString kNewPhonePassword = QStringLiteral("Phone4321");

// A parameter set that passes the validation, with the device's passwords.
QString fullSet()
{
    QString s = QStringLiteral(R"({"Main":{"BaseParam":{"Name":"Lab1","ID":"A"})");
    for (int n = 0; n < 4; ++n)
        s += QStringLiteral(R"(,"S%1":{"Name":"","Min1":-20,"Max1":50,"MinP":-30,"MaxP":60,"Calibrate":0})").arg(n);
    s += QStringLiteral(R"(,"Station":{"Name":"lab-net","Password":"%1"})").arg(kOldPassword);
    s += QStringLiteral(R"(,"GSM":{"ChangePass":"1234"})");
    return s + QStringLiteral("}}");
}

// The details of the entries appended to the journal of root since it had lines.
QList<std::pair<QString, json>> entriesSince(const QString& root, qsizetype lines)
{
    QList<std::pair<QString, json>> out;
    const JournalScan scan = scanJournal(journalPath(root));
    EXPECT_EQ(scan.chainBreak, 0);
    for (qsizetype i = lines; i < qsizetype(scan.lines.size()); ++i) {
        const auto& e = scan.lines[size_t(i)].entry;
        if (e) out.append({QString::fromStdString((*e)["kind"].get<std::string>()), (*e)["details"]});
    }
    return out;
}

qsizetype journalLines(const QString& root)
{
    return qsizetype(scanJournal(journalPath(root)).lines.size());
}

TEST(RegistryLineChanges, PairsTheLinesOfOneDeviceAndCountsRepeatedLines)
{
    const QString a = "device  =Cold,Com1,T,,,,a,T,wire,";
    const QString a2 = "device  =Cold room,Com1,T,H,,,a,T,wire,";
    const QString aOnCom2 = "device  =Cold,Com2,T,,,,a,T,wire,";
    const QString b = "device  =Store,Com1,Hall,,,,b,T,wire,";
    const QString unreadable = "Device room 4";
    struct Case
    {
        const char* what;
        QStringList before, after;
        QStringList removed, added;
        QList<QPair<QString, QString>> changed;
    };
    const QList<Case> cases{
        {"nothing", {"online = 0", a, b}, {"online = 0", a, b}, {}, {}, {}},
        {"order only", {a, "online = 0", b}, {"online = 0", b, a}, {}, {}, {}},
        {"one device edited", {a, b}, {a2, b}, {}, {}, {{a, a2}}},
        {"removed and added", {a}, {b}, {a}, {b}, {}},
        {"same ID on another connection is another device", {a}, {aOnCom2}, {a}, {aOnCom2}, {}},
        {"a repeated line removed once", {a, a, b}, {a, b}, {a}, {}, {}},
        {"a line read as no device", {unreadable, a}, {a}, {unreadable}, {}, {}},
        {"two edits pair in order", {a, aOnCom2}, {aOnCom2 + "x", a2}, {}, {}, {{a, a2}, {aOnCom2, aOnCom2 + "x"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const devicelist::RegistryLineChanges r = registryLineChanges(c.before, c.after);
        EXPECT_EQ(r.removed, c.removed);
        EXPECT_EQ(r.added, c.added);
        EXPECT_EQ(r.changed, c.changed);
    }
}

class JournalledChanges : public LinkFixture
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
        writeLines(path("DeviceStatus.txt"),
                   {"picfile = ", "Comment0 = Old heading", "device  =Lab1," + dev.IP + ",T1,,,,A,T,lan,",
                    "device  =Store,Com2,Hall,,,,b,T,wire,"});
        loadRegistry(state());
    }
    maintenance::CommandExchange exchange()
    {
        return [this](const QString& cmd) { return link.Write2Dev(cmd, dev); };
    }
    // Reads the set and sends the changes made by edit.
    void sendParams(const std::function<void(ParameterSheet&)>& edit, bool expert)
    {
        ParameterSheet sheet;
        ASSERT_TRUE(readFullSet(sheet, exchange(), obs, clock(), expert));
        edit(sheet);
        sendChanges(sheet, exchange(), obs, root(), clock(), expert, state().journal);
    }
    _SYSTEMTIME clock() const { return clockOf(fixedTestNow(), ShamsiCalendar::Official); }

    LinkScript script;
    Device_Rec dev;
    bool confirmSends = true;
};

// Every change enters its entries, and the journal holds no password and no expert
// code anywhere.
TEST_F(JournalledChanges, EachChangeEntersItsKindAndDetails)
{
    script.respond([this](const LinkScript::Request& r) {
        if (r.command.startsWith(QLatin1String("AGetFullPara"))) return LinkScript::reply(fullSet());
        if (r.command.contains(QLatin1String("\"Main\"")))
            return LinkScript::reply(confirmSends ? R"({"SetResp":"OK"})" : "busy");
        if (r.command.contains(QLatin1String("TimeDate"))) return LinkScript::reply(R"({"TimeDate":{"Set":"OK"}})");
        return LinkScript::reply("{}");
    });
    const QString expertCode = expertAccessCode(fixedTestNow());
    const QString clockText = maintenance::clockText(clock());
    auto change = [](const char* name, const char* old, const char* now) {
        return json{{"name", name}, {"old", old}, {"new", now}};
    };
    const json nameAndPassword =
        json::array({change("BaseParam.Name", "Lab1", "Lab2"), change("S0.Max1", "50", "55.5"),
                     change("Station.Password", "***", "***"), change("GSM.ChangePass", "***", "***")});
    const json nameOnly = json::array({change("BaseParam.Name", "Lab1", "Lab3")});
    struct Case
    {
        const char* what;
        std::function<void()> change;
        QString kind;
        QList<json> details;  // of each entry, in order
    };
    const QList<Case> cases{
        {"parameters sent and confirmed, passwords masked",
         [&] {
             sendParams(
                 [&](ParameterSheet& s) {
                     s.edit("LE_BaseParam_Name", "Lab2");
                     s.edit("LE_S0_Max1", "55.5");
                     s.edit("LE_Station_Password", kNewPassword);
                     s.edit("LE_GSM_ChangePass", kNewPhonePassword);  // locked: the expert access
                 },
                 true);
         },
         "params.send",
         {json{{"device", "A"}, {"changes", nameAndPassword}},
          json{{"device", "A"}, {"confirmed", true}, {"changes", nameAndPassword}}}},
        {"parameters the device did not confirm",
         [&] {
             confirmSends = false;
             sendParams([](ParameterSheet& s) { s.edit("LE_BaseParam_Name", "Lab3"); }, false);
             EXPECT_TRUE(dlg.texts(Kind::Message).contains(sheettext::kNotConfirmed));
         },
         "params.send",
         {json{{"device", "A"}, {"changes", nameOnly}},
          json{{"device", "A"}, {"confirmed", false}, {"changes", nameOnly}}}},
        {"the registry saved",
         [&] {
             devicelist::saveRegistryRows(deviceStatusPath(root()),
                                          {{"Lab one", dev.IP, "T1", "", "", "", "A", "T", "lan"},
                                           {"New", "Com3", "T", "", "", "", "c", "T", "wire"}},
                                          state().journal);
         },
         "registry.save",
         {json{{"removed", json::array({"device  =Store,Com2,Hall,,,,b,T,wire,"})},
               {"added", json::array({"device  =New,Com3,T,,,,c,T,wire,"})},
               {"changed",
                json::array({json{{"old", ("device  =Lab1," + dev.IP + ",T1,,,,A,T,lan,").toStdString()},
                                  {"new", ("device  =Lab one," + dev.IP + ",T1,,,,A,T,lan,").toStdString()}}})}}}},
        {"the heading",
         [&] {
             saveHeadingLines(root(), {"North wing", "Room 2"}, state().journal);
         },
         "settings.heading",
         {json{{"old", json::array({"Old heading"})}, {"new", json::array({"North wing", "Room 2"})}}}},
        {"the background picture",
         [&] { savePicturePath(root(), "/pictures/bg.png", state().journal); },
         "settings.background",
         {json{{"old", ""}, {"new", "/pictures/bg.png"}}}},
        {"the period start",
         [&] { ResetLastRefresh(state(), 3, 1, 15, state().journal); },
         "ledger.period-start",
         {json{{"year", 3}, {"month", 1}, {"day", 15}}}},
        {"the device clock",
         [&] { EXPECT_TRUE(maintenance::setDeviceClock(state().journal, "A", clock(), exchange()).confirmed); },
         "device.clock",
         {json{{"device", "A"}, {"clock", clockText.toStdString()}},
          json{{"device", "A"}, {"clock", clockText.toStdString()}, {"confirmed", true}}}},
        {"the alarm stopped",
         [&] { maintenance::stopDeviceAlarm(state().journal, "A", exchange()); },
         "device.alarm-stop",
         {json{{"device", "A"}}}},
        {"the log erased",
         [&] { maintenance::eraseDeviceLog(state().journal, "A", "yes", exchange()); },
         "device.erase",
         {json{{"device", "A"}, {"confirmation", "yes"}}}},
    };
    dlg.allow(Kind::Message);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const qsizetype before = journalLines(root());
        c.change();
        const auto entries = entriesSince(root(), before);
        ASSERT_EQ(entries.size(), c.details.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].first, c.kind);
            EXPECT_EQ(entries[i].second, c.details[i]) << entries[i].second.dump();
        }
    }
    // The device took the new values; the journal never saw them, nor the code.
    ASSERT_TRUE(script.commands().filter(kNewPassword).size() == 1);
    QString allDetails;
    for (const auto& [kind, details] : entriesSince(root(), 0)) allDetails += QString::fromStdString(details.dump());
    for (const QString& secret : {kOldPassword, kNewPassword, kNewPhonePassword, QStringLiteral("1234"), expertCode})
        EXPECT_FALSE(allDetails.contains(secret)) << secret.toStdString();
    const QByteArray bytes = readFileBytes(journalPath(root()));
    for (const QString& secret : {kOldPassword, kNewPassword, kNewPhonePassword})
        EXPECT_FALSE(bytes.contains(secret.toUtf8())) << secret.toStdString();
}

// The journal is a folder: the registry save, the parameter send and the device
// commands stop before anything changes or goes out, and the marks stay for another try.
TEST_F(JournalledChanges, AJournalThatCannotBeWrittenStopsTheChange)
{
    script.respond([](const LinkScript::Request& r) {
        if (r.command.startsWith(QLatin1String("AGetFullPara"))) return LinkScript::reply(fullSet());
        return LinkScript::reply(R"({"SetResp":"OK"})");
    });
    ParameterSheet sheet;
    ASSERT_TRUE(readFullSet(sheet, exchange(), obs, clock(), false));
    sheet.edit("LE_BaseParam_Name", "Lab2");
    ASSERT_TRUE(QDir(root()).mkdir(kJournalFileName));
    const QByteArray registry = readFileBytes(path("DeviceStatus.txt"));
    const QByteArray ledger = readFileBytes(ledgerPath(root()));
    const qsizetype sent = script.requests().size();

    EXPECT_THROW(sendChanges(sheet, exchange(), obs, root(), clock(), false, state().journal), JournalError);
    EXPECT_TRUE(sheet.cell("LE_BaseParam_Name")->changed);
    EXPECT_THROW(maintenance::setDeviceClock(state().journal, "A", clock(), exchange()), JournalError);
    EXPECT_THROW(maintenance::stopDeviceAlarm(state().journal, "A", exchange()), JournalError);
    EXPECT_THROW(maintenance::eraseDeviceLog(state().journal, "A", "yes", exchange()), JournalError);
    EXPECT_EQ(script.requests().size(), sent);

    EXPECT_THROW(devicelist::saveRegistryRows(deviceStatusPath(root()), {{"X", "Com1", "T", "", "", "", "x", "T", "w"}},
                                              state().journal),
                 JournalError);
    EXPECT_THROW(saveHeadingLines(root(), {"New"}, state().journal), JournalError);
    EXPECT_THROW(savePicturePath(root(), "/bg.png", state().journal), JournalError);
    EXPECT_THROW(ResetLastRefresh(state(), 3, 1, 1, state().journal), JournalError);
    EXPECT_EQ(readFileBytes(path("DeviceStatus.txt")), registry);
    EXPECT_EQ(readFileBytes(ledgerPath(root())), ledger);
}

class JournalledWindows : public CommWindowFixture
{
protected:
    LinkScript script;  // outlives the link's transports (reset in TearDown)
};

// Through the window: the save and the clock button show the journal's message, the
// registry file stays as it was and the device hears nothing.
TEST_F(JournalledWindows, TheSaveAndTheClockButtonShowTheJournalsMessage)
{
    const QString lan = QStringLiteral("127.0.0.51");
    openCommWindow({"device  =Cold room," + lan + ",Freezer,Fridge,,,a,T,lan,"});
    link().setTransportFactory(script.factory());
    state().SelDevice.ID = "a";
    state().SelDevice.IP = lan;
    ASSERT_TRUE(QDir(root()).mkdir(kJournalFileName));
    const QByteArray registry = readFileBytes(path("DeviceStatus.txt"));

    DeviceNamesPage* names = commWindow()->TabSheet1;
    names->BtnAddNewDeviceClick();
    dlg.expect(Kind::Error, kJournalFileName);
    names->BtnSaveSoft->click();
    EXPECT_EQ(readFileBytes(path("DeviceStatus.txt")), registry);
    EXPECT_TRUE(names->hasUnsavedEdits());

    dlg.expect(Kind::Error, kJournalFileName);
    commWindow()->GroupBoxDeviceCommands->Button10->click();
    EXPECT_TRUE(script.requests().isEmpty());
}

}  // namespace
