// The device chooser of the settings page against the emulator. A small stand-in
// for the parameter sheet reads the device's parameter set into the sheet's named
// fields, as the sheet does.
#include "link/chooser.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <tuple>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "config/comm_window_support.h"
#include "config/ui/devicenamespage.h"
#include "config/ui/maintenancepages.h"
#include "link/ui/devicechooser.h"

namespace {

class ChooserTest : public CommWindowFixture
{
protected:
    void open(const QString& fleet, const QStringList& registry)
    {
        startSim(fleet);
        openCommWindow(registry);
        changeLinkSettings(link(), [&](LinkSettings& s) { s.tries = 1; });
        for (const char* name :
             {"LE_BaseParam_Name", "LE_BaseParam_ID", "LE_S0_Name", "LE_S1_Name", "LE_S2_Name", "LE_S3_Name"}) {
            auto* e = new QLineEdit(commWindow());
            e->setObjectName(QLatin1String(name));
        }
        chooser()->setSheetHooks({[this] {
                                      for (QLineEdit* e : commWindow()->findChildren<QLineEdit*>(
                                               QRegularExpression("^LE_(BaseParam_(Name|ID)|S\\d_Name)$")))
                                          e->clear();
                                  },
                                  [this] { readSheet(); },
                                  {},
                                  [this] { commWindow()->setExpertAccess(false); }});
    }
    void readSheet()
    {
        ++reads;
        const QString reply = link().Write2Dev("AGetFullPara()", state().SelDevice);
        const auto j = nlohmann::ordered_json::parse(reply.toStdString(), nullptr, false);
        if (j.is_discarded()) return;
        auto set = [this](const char* name, const nlohmann::ordered_json& v) {
            commWindow()
                ->findChild<QLineEdit*>(QLatin1String(name))
                ->setText(QString::fromStdString(v.is_string() ? v.get<std::string>() : std::string()));
        };
        const auto& m = j["Main"];
        set("LE_BaseParam_Name", m["BaseParam"]["Name"]);
        set("LE_BaseParam_ID", m["BaseParam"]["ID"]);
        for (int k = 0; k < 4; ++k)
            set(QStringLiteral("LE_S%1_Name").arg(k).toLatin1().constData(),
                m[QStringLiteral("S%1").arg(k).toStdString()]["Name"]);
    }
    DeviceChooser* chooser() const { return commWindow()->PanelChooser; }
    DeviceNamesPage* list() const { return commWindow()->TabSheet1; }
    void pick(int index)
    {
        chooser()->t();
        chooser()->Cb_Com_net->setCurrentIndex(index);
        emit chooser()->Cb_Com_net->activated(index);
    }
    int reads = 0;
};

TEST_F(ChooserTest, ItemsAreTheListsRowsThenOtherItems)
{
    EXPECT_EQ(chooserItems({{"Lab", "Com1", "T", "", "", "", "a", "T", "wire"}}),
              (QStringList{"Lab,Com1,T,,,,a,T,wire,", "موارد دیگر"}));
    EXPECT_EQ(reportedRow({"Lab", {"T", "H", "", ""}, "e"}, "3", std::nullopt),
              (QStringList{"Lab", "Com3", "T", "H", "", "", "e", "T", "1"}));
    EXPECT_EQ(reportedRow({"Lab", {}, "e"}, "Com12", std::nullopt).value(1), "Com12");
    // A listed row keeps its link as written and its own type and medium; only empty
    // cells (a row emptied by deletion) are filled.
    const QList<std::tuple<QStringList, QString, QString>> listed{
        {{"Old", "3", "", "", "", "", "e", "H", "lan"}, "H", "lan"},
        {{"Old", "3", "", "", "", "", "e", "", "Wireless"}, "T", "Wireless"},
        {QStringList(9, QString()), "T", "1"},
    };
    for (const auto& [row, type, media] : listed) {
        const QStringList out = reportedRow({"Lab", {}, "e"}, "3", row);
        EXPECT_EQ(out.mid(6), (QStringList{"e", type, media})) << row.join(',').toStdString();
        EXPECT_EQ(out.value(1), "3");
    }
}

TEST_F(ChooserTest, ARegisteredDeviceIsReadAndItsRowTakesWhatItReported)
{
    const QString lan = DevSim::lanAddress(71);
    open("device id=a link=" + lan + " \"name=Cold room\" sensors=T,H,-,- names=Freezer,Hum\n",
         {"device  =Old name," + lan + ",S1,,,,a,T,lan,"});
    commWindow()->setExpertAccess(true);
    pick(0);
    EXPECT_EQ(chooser()->Cb_Com_net->count(), 2);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(state().SelDevice.ID, "a");
    EXPECT_EQ(state().SelDevice.IP, lan);
    EXPECT_FALSE(commWindow()->GroupBoxDeviceCommands->expertAccess());
    EXPECT_EQ(list()->rows(), (QList<QStringList>{{"Cold room", lan, "Freezer", "Hum", "", "", "a", "T", "lan"}}));
    // The save writes the row's own medium back, not a "1" from the chooser.
    dlg.expect(Kind::Message, QStringLiteral("تغییرات ذخیره شد "));
    list()->BtnSaveSoft->click();
    EXPECT_EQ(readLines(path("DeviceStatus.txt")),
              QStringList{"device  =Cold room," + lan + ",Freezer,Hum,,,a,T,lan,"});
}

TEST_F(ChooserTest, ANewSerialPortAndANewAddressAreAppended)
{
    const QString lan = DevSim::lanAddress(72);
    open(
        "pace off\ndevice id=e link=COM3 name=Warehouse sensors=T,-,-,- names=North\n"
        "device id=b link=" +
            lan + " name=Hall sensors=T,-,-,- names=Air\n",
        {"device  =Lab,Com1,T,,,,a,T,wire,"});
    dlg.expect(Kind::Input, kNewLinkHint, "3").expect(Kind::Input, "For Example a", "e");
    pick(1);
    EXPECT_EQ(list()->rows().value(1), (QStringList{"Warehouse", "Com3", "North", "", "", "", "e", "T", "1"}));
    EXPECT_EQ(state().SelDevice.IP, "3");

    dlg.expect(Kind::Input, "For Example[", lan).expect(Kind::Input, "For Example a", "b");
    pick(2);
    EXPECT_EQ(list()->rows().value(2), (QStringList{"Hall", lan, "Air", "", "", "", "b", "T", "1"}));
    EXPECT_EQ(reads, 2);
}

TEST_F(ChooserTest, CancelledOrTypedOrUnreachableChoicesReadNothing)
{
    const QString lan = DevSim::lanAddress(73);
    const QString nobody = DevSim::lanAddress(74);
    open("device id=a link=" + lan + "\n", {"device  =Lab," + nobody + ",T,,,,a,T,lan,"});
    // A cancelled first box asks nothing more; typing into the box asks too.
    dlg.expect(Kind::Input, "For Example[", std::nullopt);
    pick(1);
    dlg.expect(Kind::Input, "For Example[", std::nullopt);
    QTest::keyClicks(chooser()->Cb_Com_net->lineEdit(), "x");
    EXPECT_TRUE(state().SelDevice.IP.isEmpty());
    // A registered device that nobody answers at: the link's message, no read.
    dlg.expect(Kind::Message, linktext::cannotConnect(nobody));
    pick(0);
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(link().linkPending());
    EXPECT_EQ(list()->rows().size(), 1);
}

TEST_F(ChooserTest, HostileReportedFieldsReachTheListButNotTheRegistry)
{
    const QString lan = DevSim::lanAddress(75);
    open("device id=a link=" + lan + " \"name=Room (north), 2:" + QString(300, 'z') + "\" sensors=T,-,-,- names=T1\n",
         {"online = 0", "device  =Lab," + lan + ",T,,,,a,T,lan,"});
    const QByteArray before = readFileBytes(path("DeviceStatus.txt"));
    pick(0);
    EXPECT_TRUE(list()->rows()[0][0].startsWith("Room (north)"));
    dlg.expect(Kind::Message, "ردیف 1 ستون \"Device Name\" نویسه \"(\"");
    list()->BtnSaveSoft->click();
    EXPECT_EQ(readFileBytes(path("DeviceStatus.txt")), before);
}

}  // namespace
