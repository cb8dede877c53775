// The device names page and the period start box of the communication window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QTableWidget>

#include "app/ledger.h"
#include "app/registry.h"
#include "comm_window_support.h"
#include "config/ui/devicenamespage.h"
#include "config/ui/periodstartbox.h"
#include "platform/textfile.h"
#include "views/about.h"
#include "views/annotations.h"
#include "views/ui/form1.h"

namespace {

const QString kSaved = QStringLiteral("تغییرات ذخیره شد ");
const QString kDuplicate = QStringLiteral("دو دستگاه نمی توانند یک آی دی داشته باشند ");
const QString kPickId = QStringLiteral("ابتدا آی دی دستگاه را برای حذف شدن انتخاب کنید ");

class DeviceNamesWindow : public CommWindowFixture
{
protected:
    DeviceNamesPage* page() const { return commWindow()->TabSheet1; }
    QTableWidget* grid() const { return page()->StringGrid1; }
    void select(int gridRow, int column) { grid()->setCurrentCell(gridRow - 1, column); }
    void edit(int gridRow, int column, const QString& text) { grid()->item(gridRow - 1, column)->setText(text); }
};

TEST_F(DeviceNamesWindow, PagesInOrderAndTheGridOfTheRegistry)
{
    const QString lan = DevSim::lanAddress(41);
    openCommWindow(
        {"device  =Cold room," + lan + ",Freezer,Fridge,,,A,T,lan,", "device  =Store,Com2,Hall,,,,B,T,wire,"});
    EXPECT_EQ(commWindow()->windowTitle(), "Communication");
    EXPECT_EQ(commWindow()->PageControl1->currentWidget(), page());  // the first opening
    const QStringList tabs{commWindow()->PageControl1->tabText(0), commWindow()->PageControl1->tabText(1),
                           commWindow()->PageControl1->tabText(2)};
    EXPECT_EQ(tabs, (QStringList{"ارسال و دریافت ", "نام  دستگاهها ", " Zentor8 تنظیمات"}));
    ASSERT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(grid()->horizontalHeaderItem(8)->text(), "Media");
    EXPECT_EQ(page()->rows()[0], (DeviceRow{"Cold room", lan, "Freezer", "Fridge", "", "", "A", "T", "lan"}));
    // Edits that were not saved are gone when the window is shown again.
    edit(1, 0, "Edited");
    commWindow()->hide();
    commWindow()->show();
    EXPECT_EQ(cell(1, 0), "Cold room");
}

TEST_F(DeviceNamesWindow, AddEditDeleteAndSaveKeepTheSettingsAndTheEncodingAndReloadTheMainWindow)
{
    const QString lan = DevSim::lanAddress(42);
    const QStringList before{"Timeout = 800,900,1000", "device  =Cold room," + lan + ",Freezer,Fridge,,,A,T,lan,",
                             "comment1 = North wing", "Device  =Store," + lan + ",Hall,,,,B,T,lan,", "online = 0"};
    writeFileBytes(path("DeviceStatus.txt"), encodeTextFile(before, TextEncoding::Utf8));
    openCommWindow({});

    page()->BitBtnAddDev->click();  // a copy of Store with the next ID
    ASSERT_EQ(grid()->rowCount(), 3);
    EXPECT_EQ(page()->rows()[2], (DeviceRow{"Store", lan, "Sensor1", "Sensor2", "", "", "C", "T", "lan"}));
    edit(3, 0, "Incubator");
    select(1, 6);  // Cold room's ID
    page()->BtnDeleteDevice->click();
    EXPECT_EQ(page()->rows()[0], DeviceRow(9, QString()));
    dlg.expect(Kind::Message, kSaved);
    page()->BtnSaveSoft->click();

    const TextFile after = readTextFile(path("DeviceStatus.txt"));
    EXPECT_EQ(after.encoding, TextEncoding::Utf8);
    EXPECT_EQ(after.lines, (QStringList{"Timeout = 800,900,1000", "comment1 = North wing", "online = 0",
                                        "device  =Store," + lan + ",Hall,,,,B,T,lan,",
                                        "device  =Incubator," + lan + ",Sensor1,Sensor2,,,C,T,lan,"}));
    ASSERT_EQ(state().DevLast, 1);
    EXPECT_EQ(state().DevList[1].Name, "Incubator");
    EXPECT_EQ(state().Prog.TimeOut3, 1000);
    EXPECT_EQ(mainWindow()->GB_DeviceName[1]->title(), "Device:Incubator");
    EXPECT_FALSE(mainWindow()->GB_DeviceName[2]->isVisibleTo(mainWindow()));
}

// A registry saved by a Linux editor keeps its bare line feeds through every writer of
// the file (the device list, a setting, the heading); a new registry gets CR LF.
TEST_F(DeviceNamesWindow, ARegistryKeepsItsLineEndsThroughEverySave)
{
    const QString lan = DevSim::lanAddress(46);
    writeFileBytes(path("DeviceStatus.txt"),
                   ("online = 0\ndevice  =Cold room," + lan + ",Freezer,,,,A,T,lan,\n").toUtf8());
    openCommWindow({});
    page()->BitBtnAddDev->click();
    dlg.expect(Kind::Message, kSaved);
    page()->BtnSaveSoft->click();
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(path("bg.png")));
    dlg.expect(Kind::OpenFile, QString(), path("bg.png"));
    mainWindow()->backimage1->trigger();  // writes the setting "picfile"
    saveHeadingLines(state().Prog.RootDir, {"North wing"}, state().journal);
    const QByteArray bytes = readFileBytes(path("DeviceStatus.txt"));
    EXPECT_FALSE(bytes.contains('\r'));
    const QStringList lines = QString::fromUtf8(bytes).split('\n');
    EXPECT_EQ(lines.mid(0, 5), (QStringList{"online = 0", "device  =Cold room," + lan + ",Freezer,,,,A,T,lan,",
                                            "device  =Cold room," + lan + ",Sensor1,Sensor2,,,B,T,lan,",
                                            "picfile = " + path("bg.png"), "Comment0 = North wing"}));

    QFile::remove(path("DeviceStatus.txt"));
    dlg.expect(Kind::Message, kSaved);
    page()->BtnSaveSoft->click();
    EXPECT_TRUE(readFileBytes(path("DeviceStatus.txt"))
                    .startsWith("device  =Cold room," + lan.toUtf8() + ",Freezer,,,,A,T,lan,\r\n"));
}

TEST_F(DeviceNamesWindow, EmptyRegistryFreshRowsAndTheDuplicateRule)
{
    openCommWindow({"online = 0"});
    EXPECT_EQ(grid()->rowCount(), 0);
    page()->BitBtnAddDev->click();
    page()->BitBtnAddDev->click();
    EXPECT_EQ(page()->rows()[0], (DeviceRow{"Device", "Com1", "Sensor1", "Sensor2", "", "", "x", "T", "Wireless"}));
    EXPECT_EQ(page()->rows()[1][6], "x");
    EXPECT_EQ(page()->FindDuplicateID(), 2);
    dlg.expect(Kind::Message, kDuplicate);
    page()->BtnSaveSoft->click();
    EXPECT_EQ(readLines(path("DeviceStatus.txt")), QStringList{"online = 0"});
    // The same ID on another connection is another device.
    edit(2, 1, DevSim::lanAddress(43));
    dlg.expect(Kind::Message, kSaved);
    page()->BtnSaveSoft->click();
    EXPECT_EQ(readLines(path("DeviceStatus.txt")).size(), 3);
}

TEST_F(DeviceNamesWindow, DeleteNeedsAnIdCellSelectedLast)
{
    const QString lan = DevSim::lanAddress(44);
    openCommWindow({"device  =Cold room," + lan + ",Freezer,,,,A,T,lan,"});
    dlg.expect(Kind::Message, kPickId);
    page()->BtnDeleteDevice->click();
    select(1, 6);
    select(1, 2);  // another column after the ID cell
    dlg.expect(Kind::Message, kPickId);
    page()->BtnDeleteDevice->click();
    EXPECT_EQ(cell(1, 0), "Cold room");
    select(1, 6);
    page()->BtnDeleteDevice->click();
    page()->BtnDeleteDevice->click();  // the same row again
    EXPECT_EQ(cell(1, 6), "");
    EXPECT_EQ(page()->SelRow, 1);
}

TEST_F(DeviceNamesWindow, ACellWithASeparatorOrAFailedWriteKeepsTheFileAndTheGrid)
{
    const QString lan = DevSim::lanAddress(45);
    openCommWindow({"online = 0", "device  =Cold room," + lan + ",Freezer,,,,A,T,lan,"});
    const QByteArray before = readFileBytes(path("DeviceStatus.txt"));
    edit(1, 2, "Freezer:2");
    dlg.expect(Kind::Message, "ردیف 1 ستون \"Sensor1\" نویسه \":\"");
    page()->BtnSaveSoft->click();
    EXPECT_EQ(readFileBytes(path("DeviceStatus.txt")), before);
    EXPECT_EQ(cell(1, 2), "Freezer:2");

    edit(1, 2, QString(4000, 'n'));
    dlg.expect(Kind::Error, "");
    {
        FileSizeLimit limit(1024);
        page()->BtnSaveSoft->click();
    }
    EXPECT_EQ(readFileBytes(path("DeviceStatus.txt")), before);
    EXPECT_EQ(cell(1, 2).size(), 4000);
    EXPECT_EQ(state().DevList[0].Sensor[0].Name, "Freezer");
}

TEST_F(DeviceNamesWindow, PeriodStartRewritesTheLedgerForEveryNamedSensor)
{
    const QString lan = DevSim::lanAddress(46);
    openCommWindow({"device  =Cold room," + lan + ",Freezer,,Top,,A,T,lan,"});
    PeriodStartBox* box = commWindow()->GroupBoxPeriod;
    EXPECT_EQ(box->CB_Year->currentText(), "سال");
    EXPECT_EQ(box->CB_Year->count(), 21);
    dlg.expect(Kind::Message, "لطفا اطلاعات را درست وارد کنید");
    box->Button3->click();
    box->CB_Year->setEditText("1402");
    box->CB_Mon->setEditText("12");
    box->CB_Day->setEditText("0");
    box->Button3->click();  // day 0: nothing, silently
    EXPECT_FALSE(ledgerExists(state().Prog.RootDir));

    box->CB_Day->setEditText("31");
    // A desktop without a program for folders: the last message names the folder.
    desktop.launches = false;
    dlg.expect(Kind::Message, "لطفا در صورت وجود پوشه سال جاری")
        .expect(Kind::Message, "تغییرات ذخیره شد لطفا برنامه را بسته")
        .expect(Kind::Message, programFolderNotOpenedMessage(root()));
    box->Button3->click();
    EXPECT_EQ(readLines(ledgerPath(state().Prog.RootDir)),
              (QStringList{kLedgerHeader, "A,T,0,0,2,12,31,1,1,", "A,T,2,0,2,12,31,1,1,"}));
    EXPECT_EQ(desktop.opened, QStringList{root()});
    EXPECT_FALSE(commWindow()->isVisible());
}

}  // namespace
