#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include "app/programstate.h"
#include "app/records.h"
#include "app/rootdir.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "support/windowsfixture.h"
#include "views/ui/form1.h"

namespace {

class Form1StartupTest : public WindowsFixture
{
protected:
    void TearDown() override
    {
        closeWindows();
        WindowsFixture::TearDown();
    }
    QLineEdit* edit(const QString& name) { return mainWindow()->findChild<QLineEdit*>(name); }
    QGroupBox* box(int n) { return mainWindow()->findChild<QGroupBox*>(QStringLiteral("GB_DeviceName%1").arg(n)); }
};

TEST_F(Form1StartupTest, NineDevicesFillEightBoxesInRegistryOrder)
{
    QStringList lines{"timeout = 1000,2000,3000"};
    for (int i = 1; i <= 9; ++i)
        lines << QStringLiteral("device  =Dev%1,127.0.0.%1,s%1a,,s%1c,,%2,T,lan,").arg(i).arg(QChar('A' + i - 1));
    writeLines(path("DeviceStatus.txt"), lines);
    openWindows({});
    EXPECT_EQ(state().Prog.RootDir, root());
    EXPECT_EQ(state().DevLast, 8);
    EXPECT_EQ(state().Prog.TimeOut3, 3000);
    EXPECT_EQ(mainWindow()->CurChart.Avr_Hour, 3);
    EXPECT_EQ(mainWindow()->NavSensor, -1);
    for (int n = 1; n <= 8; ++n) {
        ASSERT_TRUE(box(n));
        EXPECT_FALSE(box(n)->isHidden());
        EXPECT_EQ(box(n)->title(), QStringLiteral("Device:Dev%1").arg(n));
        EXPECT_EQ(edit(QStringLiteral("LE_D%1_S1").arg(n))->text(), QStringLiteral("s%1a").arg(n));
        EXPECT_EQ(edit(QStringLiteral("LE_D%1_S2").arg(n))->text(), QString());
        EXPECT_EQ(edit(QStringLiteral("LE_D%1_IP").arg(n))->text(),
                  QStringLiteral("%1,127.0.0.%2").arg(QChar('A' + n - 1)).arg(n));
        EXPECT_EQ(edit(QStringLiteral("LE_D%1_S3").arg(n))->toolTip(), QString::number(n) + "3");
    }
    EXPECT_FALSE(box(9));
}

TEST_F(Form1StartupTest, NoRegistryLeavesEveryBoxHiddenAndARefillHidesRemovedDevices)
{
    openWindows({});
    EXPECT_EQ(state().DevLast, -1);
    EXPECT_EQ(state().Prog.TotalDev, -1);
    for (int n = 1; n <= 8; ++n) EXPECT_TRUE(box(n)->isHidden());

    writeLines(path("DeviceStatus.txt"), {"device  =One,COM1,a,,,,A,T,serial,", "device  =Two,COM2,b,,,,B,T,serial,"});
    mainWindow()->FormCreate();
    EXPECT_FALSE(box(2)->isHidden());
    // The start-up leaves nothing of the file shown before or of the sensor stepping.
    mainWindow()->CurChart.Avr_Hour = 24;
    mainWindow()->CurChart.FileName = path("3/A1_Freezer.rep");
    mainWindow()->NavSensor = 2;
    writeLines(path("DeviceStatus.txt"), {"device  =One,COM1,a,,,,A,T,serial,"});
    mainWindow()->FormCreate();
    EXPECT_EQ(mainWindow()->NavSensor, -1);
    EXPECT_EQ(mainWindow()->CurChart.Avr_Hour, 3);
    EXPECT_TRUE(mainWindow()->CurChart.FileName.isEmpty());
    EXPECT_EQ(state().Prog.TotalDev, 0);
    EXPECT_TRUE(box(2)->isHidden());
    EXPECT_EQ(edit("LE_D2_S1")->text(), QString());
}

TEST_F(Form1StartupTest, ABadSettingIsShownAndStartUpGoesOn)
{
    writeLines(path("DeviceStatus.txt"), {"refresh = soon", "device  =One,COM1,a,,,,A,T,serial,"});
    dlg.expect(Kind::Error, "'soon' is not a valid integer value");
    openWindows({});
    EXPECT_EQ(state().DevLast, 0);
    EXPECT_FALSE(box(1)->isHidden());
    EXPECT_EQ(mainWindow()->CurChart.Avr_Hour, 3);
}

// A start-up stopped early by an unreadable picture or registry still leaves the
// defaults: the month commands work on a file opened afterwards.
TEST_F(Form1StartupTest, AStartUpStoppedEarlyLeavesTheDefaults)
{
    struct Case
    {
        const char* what;
        void (*prepare)(const QString& root);
        const char* error;
    };
    const Case cases[] = {
        {"picture that cannot be read",
         [](const QString& root) {
             writeFileBytes(root + "bg.bmp", "not a picture");
             writeLines(root + "DeviceStatus.txt", {"picfile = " + root + "bg.bmp"});
         },
         "bg.bmp"},
        {"registry that cannot be read", [](const QString& root) { QDir().mkpath(root + "DeviceStatus.txt"); },
         "DeviceStatus.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString r = dir.path() + "/";
        resetProgramState();  // as a fresh process
        setRootDirOverride(dir.path());
        c.prepare(r);
        QStringList lines{reportHeader()};
        for (int m = 6; m <= 7; ++m) lines << fullDayT(m, 1, 20);
        writeLines(r + "3/A1_Temp.rep", lines);

        dlg.expect(Kind::Error, c.error);
        openWindows({});
        EXPECT_EQ(mainWindow()->CurChart.Avr_Hour, 3);
        ASSERT_TRUE(mainWindow()->OpenMyFile(r + "3/A1_Temp.rep"));
        mainWindow()->LastMonth1Click();
        EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 6);
        EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
        closeWindows();
        dlg.clear();
    }
}

}  // namespace
