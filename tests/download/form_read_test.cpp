// The download dialog: one device of the device list, a span of months, files named
// after the chosen path, and the main window showing what was downloaded.
#include "download/ui/form_read.h"

#include <gtest/gtest.h>
#include <optional>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "app/records.h"
#include "config/ui/devicenamespage.h"
#include "config/ui/maintenancepages.h"
#include "download/monthspan.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"
#include "link/ui/form_wait2.h"
#include "platform/bidi.h"
#include "support/devsim.h"
#include "support/fixtures.h"
#include "support/scriptedlink.h"
#include "support/windowsfixture.h"
#include "views/ui/form1.h"
#include "views/ui/form_message.h"

namespace {

class FormReadTest : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        setProgramNowForTests(fixedTestNow());
        link().reset();
    }
    void TearDown() override
    {
        link().setTransportFactory({});  // the transports go before the script
        closeWindows();
        sim.stop();
        link().reset();
        WindowsFixture::TearDown();
    }
    // A LAN device with two named sensors and two years of logs, registered, and the dialog shown.
    void open(const QString& sensorNames = QStringLiteral("Room,Hum"))
    {
        lan = DevSim::lanAddress(61);
        ASSERT_TRUE(sim.start(
            "seed 5\ndevice id=a link=" + lan + " sensors=T,H,-,- since=800 clock-at=" + fixedTestNowText() + "\n",
            root()));
        writeLines(path("DeviceStatus.txt"), {"device  =Lab," + lan + "," + sensorNames + ",,,a,T,lan,"});
        openWindows({});
        changeLinkSettings(link(), [&](LinkSettings& s) { s.tries = 1; });
        downloadDialog()->show();
    }
    void choose(int device, int from, int to)
    {
        downloadDialog()->ComboBox1->setCurrentIndex(device);
        downloadDialog()->CB_Year->setCurrentIndex(lastYear);
        downloadDialog()->From_ComboBox->setCurrentIndex(from - 1);
        downloadDialog()->To_ComboBox->setCurrentIndex(to - 1);
    }
    // The (month, day) pairs of the day requests for a sensor.
    QList<QPair<int, int>> daysAsked(int sensor)
    {
        QList<QPair<int, int>> out;
        for (const QString& r : sim.requests("\"Day\":\"")) {
            const QStringList f = r.section("\"Day\":\"", 1).section('"', 0, 0).split(',');
            if (f.value(1).toInt() == sensor) out << qMakePair(f.value(2).toInt(), f.value(3).toInt());
        }
        return out;
    }

    // The registry's device played by the script (which records what it was sent), and the dialog shown.
    void openScripted(const QString& registryLine)
    {
        writeLines(path("DeviceStatus.txt"), {registryLine});
        openWindows({});
        link().setTransportFactory(script.factory());
        changeLinkSettings(link(), [&](LinkSettings& s) { s.tries = 1; });
        downloadDialog()->show();
    }

    DevSim sim;
    LinkScript script;
    QString lan;
    QTemporaryDir elsewhere;  // a folder outside the root folder
    const int lastYear = (Date2Shamsi(fixedTestNow().date(), programNow(), ShamsiCalendar::Official).wYear + 99) % 100;
};

TEST_F(FormReadTest, ShowsTheDeviceListAndTheYear)
{
    open();
    EXPECT_EQ(downloadDialog()->windowTitle(), " داده برداری از دستگاه  ");
    ASSERT_EQ(downloadDialog()->ComboBox1->count(), 1);
    // One left-to-right unit, so that its last comma stays last.
    EXPECT_EQ(downloadDialog()->ComboBox1->itemText(0), bidi::leftToRight("Lab," + lan + ",Room,Hum,,,a,T,lan,"));
    EXPECT_EQ(downloadDialog()->CB_Year->count(), 100);
    EXPECT_EQ(downloadDialog()->CB_Year->currentIndex(),
              Date2Shamsi(programNow().date(), programNow(), ShamsiCalendar::Official).wYear);
    EXPECT_EQ(downloadDialog()->From_ComboBox->count(), 12);
    EXPECT_EQ(downloadDialog()->To_ComboBox->count(), 13);
    EXPECT_EQ(downloadDialog()->To_ComboBox->itemText(2), "(3) خرداد ");
}

TEST_F(FormReadTest, AMonthSpanGoesIntoFilesNamedAfterTheChosenPathAndIsShown)
{
    open();
    choose(0, 1, 2);
    const QString prefix = elsewhere.path() + "/abc";
    dlg.expect(Kind::SaveFile, "", prefix);
    downloadDialog()->Btn_read->click();

    for (int sensor : {0, 1}) {
        const QList<QPair<int, int>> days = daysAsked(sensor);
        ASSERT_EQ(days.size(), 62) << sensor;
        EXPECT_EQ(days.first(), qMakePair(1, 1));
        EXPECT_EQ(days.last(), qMakePair(2, 31));
    }
    EXPECT_EQ(readLines(prefix + "a1_Room.rep").size(), 1 + 62);
    EXPECT_TRUE(QFileInfo::exists(prefix + "a2_Hum.rep"));
    EXPECT_EQ(mainWindow()->CurChart.FileName, prefix + "a1_Room.rep");
    EXPECT_TRUE(QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());  // no year folder made
    EXPECT_FALSE(downloadDialog()->isVisible());
    EXPECT_FALSE(progressWindow()->isVisible());
    EXPECT_EQ(progressWindow()->ProgressBarAll->maximum(), 3);
    EXPECT_TRUE(state().SelDevice.IP.isEmpty());

    // The dialog's run is journalled in the root folder, its files by their absolute paths.
    const JournalScan scan = scanJournal(journalPath(root()));
    ASSERT_EQ(scan.lines.size(), 4U);
    const auto details = [&](int i) { return (*scan.lines[size_t(i)].entry)["details"]; };
    EXPECT_EQ(details(0), (nlohmann::ordered_json{{"run", "dialog"}, {"devices", 1}}));
    EXPECT_EQ(details(1)["file"], QDir::cleanPath(prefix + "a1_Room.rep").toStdString());
    EXPECT_EQ(details(2)["channel"], 2);
    EXPECT_EQ(details(3),
              (nlohmann::ordered_json{{"run", "dialog"}, {"devicesRead", 1}, {"devicesFailed", 0}, {"status", "ok"}}));
}

// The user waits for the dialog's download: a device that cannot be reached is told
// in a box, and nothing is written.
TEST_F(FormReadTest, AnUnreachableDeviceIsToldInABox)
{
    const QString nobody = DevSim::lanAddress(62);
    openScripted("device  =Lab," + nobody + ",Room,,,,a,T,lan,");
    script.refused << nobody;
    choose(0, 1, 1);
    dlg.expect(Kind::SaveFile, "", elsewhere.path() + "/n")
        .expect(Kind::Message, linktext::cannotConnect(nobody))
        .expect(Kind::Message, "نتوانستم با این دستگاه ارتباط برقرار کنم");
    downloadDialog()->Btn_read->click();
    EXPECT_TRUE(script.events().contains("open-failed " + nobody));
    EXPECT_TRUE(script.requests().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(elsewhere.path() + "/na1_Room.rep"));
}

TEST_F(FormReadTest, ASpanFromMonthTenToMonthTwoRunsToTheEndOfTheYear)
{
    open("Room,");
    choose(0, 10, 2);
    dlg.expect(Kind::SaveFile, "", elsewhere.path() + "/w");
    downloadDialog()->Btn_read->click();
    const QList<QPair<int, int>> days = daysAsked(0);
    ASSERT_EQ(days.size(), 90);
    EXPECT_EQ(days.first(), qMakePair(10, 1));
    EXPECT_EQ(days.last(), qMakePair(12, 30));
    EXPECT_EQ(mainWindow()->CurChart.FileName, elsewhere.path() + "/wa1_Room.rep");
}

TEST_F(FormReadTest, NoDeviceNoMonthOrACancelledFileDialogRunNothing)
{
    lan = DevSim::lanAddress(61);
    openScripted("device  =Lab," + lan + ",Room,Hum,,,a,T,lan,");
    commWindow()->setExpertAccess(true);
    state().SelDevice.IP = lan;
    dlg.expect(Kind::Message, "لطفا دستگاه را انتخاب کنید");
    downloadDialog()->Btn_read->click();
    // The communication window's link and expert access are forgotten first.
    EXPECT_TRUE(state().SelDevice.IP.isEmpty());
    EXPECT_TRUE(link().linkPending());
    EXPECT_FALSE(commWindow()->GroupBoxDeviceCommands->expertAccess());
    choose(0, 1, 1);
    dlg.expect(Kind::SaveFile, "", std::nullopt);
    downloadDialog()->Btn_read->click();
    downloadDialog()->To_ComboBox->setCurrentIndex(-1);
    dlg.expect(Kind::SaveFile, "", elsewhere.path() + "/n").expect(Kind::Message, "لطفا ماه را انتخاب کنید ");
    downloadDialog()->Btn_read->click();
    EXPECT_TRUE(script.requests().isEmpty());
    EXPECT_TRUE(script.events().isEmpty());
    EXPECT_TRUE(downloadDialog()->isVisible());
}

TEST_F(FormReadTest, ASensorNameThatClimbsOutIsRefusedAndNothingIsShown)
{
    open("../../evil,");
    choose(0, 1, 1);
    dlg.expect(Kind::SaveFile, "", elsewhere.path() + "/sub/x")
        .expect(Kind::Message, "نتوانستم با این دستگاه ارتباط برقرار کنم");
    downloadDialog()->Btn_read->click();
    EXPECT_TRUE(sim.requests("\"Day\"").isEmpty());
    EXPECT_EQ(messageWindow()->lines().size(), 1);
    EXPECT_TRUE(QDir(elsewhere.path()).entryList(QDir::Files).isEmpty());
}

// The dialog refills the device list from the registry: opened from the menu while the
// list holds unsaved edits, it first asks whether to save them, drop them or go back.
TEST_F(FormReadTest, UnsavedDeviceListEditsAreSavedDroppedOrKeptAsAnswered)
{
    const QString kQuestion = QStringLiteral("تغییرات فهرست دستگاه ها ذخیره نشده است");
    const QString registry = QStringLiteral("device  =Lab,127.0.0.61,Room,,,,a,T,lan,");
    writeLines(path("DeviceStatus.txt"), {registry});
    openWindows({});
    commWindow()->show();
    QTableWidget* grid = commWindow()->TabSheet1->StringGrid1;
    // Opens the dialog from the menu; the device list it showed, or nothing when it did not open.
    const auto openFromMenu = [&]() -> std::optional<QStringList> {
        std::optional<QStringList> items;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!downloadDialog()->isVisible()) return;
            items = QStringList();
            for (int i = 0; i < downloadDialog()->ComboBox1->count(); ++i)
                *items << bidi::withoutMarks(downloadDialog()->ComboBox1->itemText(i));
            poll.stop();
            downloadDialog()->reject();
        });
        poll.start(0);
        mainWindow()->AllData1->trigger();
        return items;
    };
    const auto editName = [&](const QString& name) { grid->item(0, 0)->setText(name); };

    EXPECT_EQ(openFromMenu(), QStringList{"Lab,127.0.0.61,Room,,,,a,T,lan,"});  // nothing to ask

    // Back: the dialog stays closed, the edit stays in the list page, brought forward.
    editName("Cold room");
    commWindow()->PageControl1->setCurrentIndex(0);
    dlg.expect(Kind::Choice, kQuestion, QStringLiteral("بازگشت به فهرست دستگاه ها"));
    EXPECT_EQ(openFromMenu(), std::nullopt);
    EXPECT_EQ(grid->item(0, 0)->text(), "Cold room");
    EXPECT_EQ(commWindow()->PageControl1->currentWidget(), commWindow()->TabSheet1);
    // A save the list refuses (one ID twice on one connection) says why and goes back too.
    commWindow()->TabSheet1->BitBtnAddDev->click();
    grid->item(1, 6)->setText("a");
    dlg.expect(Kind::Choice, kQuestion, QStringLiteral("ذخیره تغییرات"))
        .expect(Kind::Message, QStringLiteral("دو دستگاه نمی توانند یک آی دی داشته باشند "));
    EXPECT_EQ(openFromMenu(), std::nullopt);
    EXPECT_EQ(readLines(path("DeviceStatus.txt")), QStringList{registry});

    // Dropped: the dialog lists the registry's devices as they were.
    dlg.expect(Kind::Choice, kQuestion, QStringLiteral("نادیده گرفتن تغییرات"));
    EXPECT_EQ(openFromMenu(), QStringList{"Lab,127.0.0.61,Room,,,,a,T,lan,"});
    EXPECT_EQ(readLines(path("DeviceStatus.txt")), QStringList{registry});

    // Saved: the registry holds the edit and the dialog lists it.
    editName("Cold room");
    dlg.expect(Kind::Choice, kQuestion, QStringLiteral("ذخیره تغییرات"))
        .expect(Kind::Message, QStringLiteral("تغییرات ذخیره شد "));
    EXPECT_EQ(openFromMenu(), QStringList{"Cold room,127.0.0.61,Room,,,,a,T,lan,"});
    EXPECT_EQ(readLines(path("DeviceStatus.txt")), QStringList{"device  =Cold room,127.0.0.61,Room,,,,a,T,lan,"});
}

TEST(MonthSpan, DeviceOfARowAndItsSpan)
{
    const Device_Rec d = monthSpanDevice({"Lab", "Com3", "T", "", "P", "", "b", "T", "wire"}, 4, 6, 7);
    EXPECT_EQ(d.IP, "Com3");
    EXPECT_EQ(d.ID, "b");
    EXPECT_TRUE(d.Name.isEmpty());
    EXPECT_EQ(d.Sensor[2].Name, "P");
    EXPECT_EQ(d.Sensor[0].Last_ref.wYear, 4);
    EXPECT_EQ(d.Sensor[0].Last_ref.wMonth, 6);
    EXPECT_EQ(d.Sensor[0].Last_ref.wDay, 1);
    EXPECT_EQ(d.Sensor[0].Now_ref.wMonth, 7);
    EXPECT_EQ(d.Sensor[0].Now_ref.wDay, 30);
    EXPECT_EQ(monthSpanDevice({}, 4, 1, 6).Sensor[1].Now_ref.wDay, 31);
    EXPECT_EQ(monthSpanDevice({}, 4, 1, 13).Sensor[1].Now_ref.wDay, 30);  // the empty last entry
}

TEST_F(FormReadTest, TheEmptyLastEntryOfTheToListAsksForDaysPastTheYearsEnd)
{
    ASSERT_TRUE(sim.start(
        "seed 5\npace off\ndevice id=e link=COM3 sensors=T,-,-,- since=800 clock-at=" + fixedTestNowText() + "\n",
        root()));
    writeLines(path("DeviceStatus.txt"), {"device  =Lab,Com3,Room,,,,e,T,wire,"});
    openWindows({});
    changeLinkSettings(link(), [&](LinkSettings& s) { s.tries = 1; });
    downloadDialog()->show();
    choose(0, 12, 13);
    EXPECT_EQ(downloadDialog()->To_ComboBox->currentText(), "");
    dlg.expect(Kind::SaveFile, "", elsewhere.path() + "/y")
        .expect(Kind::Message, "نتوانستم با این دستگاه ارتباط برقرار کنم");
    downloadDialog()->Btn_read->click();
    const QList<QPair<int, int>> days = daysAsked(0);
    ASSERT_EQ(days.size(), 31);  // month 12, then day 367 as month 13, day 1
    EXPECT_EQ(days.last(), qMakePair(13, 1));
}

}  // namespace
