#include "views/ui/form1.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "app/records.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"
#include "link/ui/form_wait2.h"
#include "reports/loader.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "support/windowsfixture.h"
#include "views/month.h"

namespace {

class Form1Test : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        setProgramNowForTests(QDateTime(QDate(2024, 12, 31), QTime(10, 0)));  // Solar Hijri 1403: folder "3"
    }
    void TearDown() override
    {
        closeWindows();
        WindowsFixture::TearDown();
    }
    // A report file of the current year with full days of the given months.
    QString writeReport(const QString& name, const QList<int>& months, double value = 20)
    {
        QStringList lines{reportHeader()};
        for (int m : months)
            for (int d = 1; d <= 3; ++d) lines << fullDayT(m, d, value + d);
        writeLines(path("3/" + name), lines);
        return path("3/" + name);
    }
    void start(const QStringList& registry)
    {
        writeLines(path("DeviceStatus.txt"), registry);
        openWindows({});
    }
    QString chartCaption() const { return mainWindow()->PageControl1->tabText(0); }
};

TEST_F(Form1Test, DevicePanelClicksGoByRole)
{
    QStringList reg;
    for (int i = 1; i <= 5; ++i)
        reg << QStringLiteral("device  =D%1,COM%1,a%1,b%1,,,%2,T,serial,").arg(i).arg(QChar('A' + i - 1));
    start(reg);
    writeReport("E2_b5.rep", {7, 8});

    QTest::mouseClick(mainWindow()->findChild<QLineEdit*>("LE_D5_S2"), Qt::LeftButton);
    EXPECT_EQ(mainWindow()->CurChart.FileName, path("3/E2_b5.rep"));
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 8);
    EXPECT_EQ(chartCaption(), QStringLiteral(" منحنی : E2_b5"));
    EXPECT_EQ(mainWindow()->PageControl1->tabText(1), QStringLiteral(" جدول : E2_b5"));
    EXPECT_EQ(mainWindow()->PageControl1->currentWidget(), mainWindow()->TabChart);

    QTest::mouseClick(mainWindow()->findChild<QLineEdit*>("LE_D5_IP"), Qt::LeftButton);  // nothing
    dlg.expect(Kind::Message, QStringLiteral("اطلاعات گراف یافت نشد "));
    QTest::mouseClick(mainWindow()->findChild<QLineEdit*>("LE_D5_S3"), Qt::LeftButton);  // unnamed channel

    dlg.expect(Kind::Message, QStringLiteral("امکان باز شدن این پورت وجود ندارد"));  // no COM5 here
    QTest::mouseClick(mainWindow()->findChild<QPushButton*>("Button5"), Qt::LeftButton);
    EXPECT_EQ(state().SelDevice.IP, "COM5");
    EXPECT_EQ(state().SelDevice.ID, "E");
    EXPECT_TRUE(commWindow()->isVisible());
}

// The fields' hint says "right-click to show the curve": a right-click opens the
// curve and no edit menu; the label of the address field reads "ID&IP".
TEST_F(Form1Test, RightClickOpensTheCurveAndTheAddressLabelReadsIdAndIp)
{
    start({"device  =D1,COM1,a1,b1,,,A,T,serial,"});
    writeReport("A2_b1.rep", {7});
    mainWindow()->show();
    mainWindow()->PageControl1->setCurrentWidget(mainWindow()->TabSheet1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow()));
    QLineEdit* field = mainWindow()->findChild<QLineEdit*>("LE_D1_S2");
    bool menu = false;
    QTimer::singleShot(200, [&] {  // an edit menu opened with exec() waits for this
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menu = true;
            popup->close();
        }
    });
    // A right-click as the window system delivers it: press, context menu request, release.
    QTest::mousePress(field, Qt::RightButton);
    QContextMenuEvent request(QContextMenuEvent::Mouse, field->rect().center(),
                              field->mapToGlobal(field->rect().center()));
    QApplication::sendEvent(field, &request);
    if (QWidget* popup = QApplication::activePopupWidget()) {  // one opened with popup()
        menu = true;
        popup->close();
    }
    QTest::mouseRelease(field, Qt::RightButton);
    EXPECT_FALSE(menu);
    EXPECT_EQ(mainWindow()->CurChart.FileName, path("3/A2_b1.rep"));
    EXPECT_EQ(mainWindow()->PageControl1->currentWidget(), mainWindow()->TabChart);

    // The label next to LE_D1_IP draws exactly as the plain text "ID&IP".
    QLabel* label = nullptr;
    for (QLabel* l : mainWindow()->GB_DeviceName[0]->findChildren<QLabel*>())
        if (l->text().startsWith("ID")) label = l;
    ASSERT_TRUE(label);
    QLabel plain(QStringLiteral("ID&IP"));
    plain.setTextFormat(Qt::PlainText);
    plain.setFont(label->font());
    plain.setLayoutDirection(label->layoutDirection());
    plain.setPalette(label->palette());
    plain.resize(label->size());
    plain.setAlignment(label->alignment());
    EXPECT_EQ(label->grab().toImage(), plain.grab().toImage());
}

TEST_F(Form1Test, SensorSteppingForwardAndBack)
{
    start({"device  =One,COM1,s00,,s02,,A,T,serial,", "device  =Two,COM2,,s11,,,B,T,serial,"});
    writeReport("A1_s00.rep", {1});
    writeReport("A3_s02.rep", {2});
    writeReport("B2_s11.rep", {3});
    auto shown = [this] { return QFileInfo(mainWindow()->CurChart.FileName).fileName(); };

    mainWindow()->NextSenClick();
    EXPECT_EQ(shown(), "A1_s00.rep");
    mainWindow()->NextSenClick();
    EXPECT_EQ(shown(), "A3_s02.rep");
    mainWindow()->NextSenClick();
    EXPECT_EQ(shown(), "B2_s11.rep");
    dlg.expect(Kind::Message, QStringLiteral("این گراف مربوط به آخرین سنسور است"));
    mainWindow()->NextSenClick();
    EXPECT_EQ(mainWindow()->NavDevice, 1);
    EXPECT_EQ(mainWindow()->NavSensor, 2);

    mainWindow()->BackSenClick();
    EXPECT_EQ(shown(), "B2_s11.rep");
    mainWindow()->BackSenClick();
    EXPECT_EQ(shown(), "A3_s02.rep");
    mainWindow()->BackSenClick();
    EXPECT_EQ(shown(), "A1_s00.rep");
    dlg.expect(Kind::Message, QStringLiteral("این گراف مربوط به اولین سنسور است"));
    mainWindow()->BackSenClick();
}

TEST_F(Form1Test, MonthSteppingStopsAtTheFilesMonths)
{
    start({});
    // Before any file: the grid for 3-hour periods and 30 days, the first caption.
    EXPECT_EQ(mainWindow()->SG_Table->rowCount(), 31);
    EXPECT_EQ(mainWindow()->SG_Table->columnCount(), 11);
    EXPECT_EQ(mainWindow()->monthView().table.cell(0, 30), QStringLiteral("  0/30"));
    EXPECT_EQ(mainWindow()->monthView().chart.valueAxisCaption, kInitialValueAxisCaption);
    // Stepping draws an empty month, nothing is read outside the tables.
    mainWindow()->Btn_BackClick();
    mainWindow()->Btn_NextClick();
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 0);
    EXPECT_FALSE(mainWindow()->shownYear());

    ASSERT_TRUE(mainWindow()->OpenMyFile(writeReport("A1_x.rep", {3, 4, 5})));
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 5);
    mainWindow()->Btn_NextClick();
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 5);
    mainWindow()->LastMonth1->trigger();
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 4);
    mainWindow()->Btn_BackClick();
    mainWindow()->Btn_BackClick();
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 3);
    EXPECT_EQ(mainWindow()->SG_Table->rowCount(), 32);  // month 3 has 31 days
}

TEST_F(Form1Test, PeriodItemsAndDisplayToggles)
{
    start({});
    ASSERT_TRUE(mainWindow()->OpenMyFile(writeReport("A1_x.rep", {7})));
    EXPECT_EQ(mainWindow()->SG_Table->columnCount(), 11);  // three hours: 8 periods, day, min, max
    mainWindow()->Avrage6Hour1->trigger();
    EXPECT_EQ(mainWindow()->CurChart.Avr_Hour, 6);
    for (QAction* a : {mainWindow()->Avrage1hour1, mainWindow()->Avrage3Hour1, mainWindow()->Avrage12Hour1,
                       mainWindow()->Avrage1day})
        EXPECT_FALSE(a->isChecked());
    EXPECT_TRUE(mainWindow()->Avrage6Hour1->isChecked());
    EXPECT_EQ(mainWindow()->SG_Table->columnCount(), 7);
    EXPECT_EQ(mainWindow()->SG_Table->rowCount(), 31);  // month 7 has 30 days

    EXPECT_TRUE(mainWindow()->monthView().chart.series[kSeriesDayMax].points.isEmpty());
    mainWindow()->ShowMinMax1->trigger();
    EXPECT_TRUE(mainWindow()->ShowMinMax1->isChecked());
    EXPECT_EQ(mainWindow()->monthView().chart.series[kSeriesDayMax].points.size(), 3);
    mainWindow()->ShowMinMax1->trigger();
    EXPECT_TRUE(mainWindow()->monthView().chart.series[kSeriesDayMax].points.isEmpty());

    // The file came from a click, not the open dialog: only the check mark changes.
    const QStringList foot = mainWindow()->monthView().chart.foot;
    mainWindow()->ShowMeanSD1->trigger();
    EXPECT_FALSE(mainWindow()->ShowMeanSD1->isChecked());
    EXPECT_EQ(mainWindow()->monthView().chart.foot, foot);
}

TEST_F(Form1Test, ResizeTo800x600)
{
    start({});
    mainWindow()->resize(800, 600);
    mainWindow()->FormResize();
    EXPECT_EQ(mainWindow()->PageControl1->size(), QSize(790, 500));
    EXPECT_EQ(mainWindow()->SG_Table->size(), QSize(780, 400));
    EXPECT_EQ(mainWindow()->Chart1->size(), QSize(750, 450));
    EXPECT_EQ(mainWindow()->Btn_Back->geometry().bottom() + 1, 450);
    EXPECT_EQ(mainWindow()->Btn_Next->geometry().right() + 1, mainWindow()->Chart1->geometry().right() + 1);
    EXPECT_EQ(mainWindow()->Btn_NextTable->pos(), mainWindow()->Btn_Next->pos());
}

TEST_F(Form1Test, DroppedFilesAndFilesThatAreNotReports)
{
    start({});
    const QString good = writeReport("A1_x.rep", {7});
    dlg.expect(Kind::Message, QStringLiteral(" please select just 1 file"));
    mainWindow()->AcceptFiles({good, good});
    EXPECT_TRUE(mainWindow()->CurChart.FileName.isEmpty());
    mainWindow()->AcceptFiles({good});
    EXPECT_EQ(mainWindow()->CurChart.FileName, good);
    EXPECT_EQ(mainWindow()->OpenDialogChart.FileName, good);
    const QStringList table = monthTableLines(mainWindow()->monthView().table);

    writeFileBytes(path("junk.bin"), QByteArray("\x01\x02 not a report\xff", 16));
    dlg.expect(Kind::Error, "is not a report file");
    EXPECT_FALSE(mainWindow()->OpenMyFile(path("junk.bin")));
    dlg.expect(Kind::Error, "missing.rep");
    EXPECT_FALSE(mainWindow()->OpenMyFile(path("missing.rep")));
    EXPECT_EQ(mainWindow()->CurChart.FileName, good);
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 7);
    EXPECT_EQ(chartCaption(), QStringLiteral(" منحنی : A1_x"));
    EXPECT_EQ(monthTableLines(mainWindow()->monthView().table), table);
    mainWindow()->Btn_BackClick();  // the previous year is still loaded
    EXPECT_EQ(monthTableLines(mainWindow()->monthView().table), table);
}

TEST_F(Form1Test, ShowOpensTheFirstDevicesSerialPort)
{
    // COM7 links to a pseudo-terminal under dosdevices/: the port opens.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    QDir().mkpath(path("dosdevices"));
    ASSERT_TRUE(QFile::link(QString::fromLocal8Bit(::ptsname(master)), path("dosdevices/com7")));
    start({"device  =One,com7,t,,,,A,T,serial,"});
    mainWindow()->FormShow();
    EXPECT_TRUE(link().MSComm1().PortOpen());
    EXPECT_EQ(link().MSComm1().CommPort(), 7);
    EXPECT_EQ(progressWindow()->Label_port->text(), "com7");
    link().MSComm1().setPortOpen(false);
    ::close(master);
}

TEST_F(Form1Test, ShowReportsASerialPortThatCannotOpen)
{
    QDir().mkpath(path("dosdevices"));
    ASSERT_TRUE(QFile::link(path("nowhere/ttyX"), path("dosdevices/com9")));
    start({"device  =One,Com9,t,,,,A,T,serial,"});
    dlg.expect(Kind::Message, QStringLiteral("امکان باز شدن این پورت وجود ندارد COM9\r"
                                             "نرم افزار دیگری از این پورت استفاده میکند؟\r"
                                             "یا شماره پورت سریال تغییر پیدا کرده است؟"));
    mainWindow()->FormShow();
    EXPECT_FALSE(link().MSComm1().PortOpen());
    EXPECT_EQ(progressWindow()->Label_port->text(), "Com9");
}

TEST_F(Form1Test, OnlineButtonWithoutLedgerAsksForThePeriod)
{
    start({});
    dlg.expect(Kind::Message, QStringLiteral("لطفا ابتدی دوره را مشخص نمایید"));
    mainWindow()->BtnShowOnlineClick();
    EXPECT_TRUE(commWindow()->isVisible());
}

// A handler's error reaches the standard error box through its connection; the view
// stays as it was and the window goes on.
TEST_F(Form1Test, AHandlersErrorIsShownAndTheWindowGoesOn)
{
    start({});
    ASSERT_TRUE(mainWindow()->OpenMyFile(writeReport("A1_x.rep", {7})));
    const QStringList table = monthTableLines(mainWindow()->monthView().table);
    mainWindow()->CurChart.Avr_Hour = 5;
    dlg.expect(Kind::Error, "not 5");
    mainWindow()->Btn_Back->click();
    EXPECT_EQ(monthTableLines(mainWindow()->monthView().table), table);
    mainWindow()->Avrage3Hour1->trigger();
    EXPECT_EQ(monthTableLines(mainWindow()->monthView().table), table);
    EXPECT_EQ(mainWindow()->CurChart.Avr_Hour, 3);
}

// The header message comes from the opening; the file still opens with the fields
// read before the bad number (the limit lines too), the rest as the file shown before.
TEST_F(Form1Test, AnUnreadableHeaderIsToldAndTheFileOpens)
{
    start({});
    ASSERT_TRUE(mainWindow()->OpenMyFile(writeReport("A1_x.rep", {7})));
    QStringList lines{QStringLiteral("SenPara,1,1,X,0,3,H,2.5,high,0,0,5,10,")};
    lines << fullDayT(8, 1, 20);
    writeLines(path("3/A2_y.rep"), lines);
    dlg.expect(Kind::Message, kHeaderUnreadableMessage);
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("3/A2_y.rep")));
    EXPECT_EQ(mainWindow()->CurChart.Dev_Type, QStringLiteral("X"));
    EXPECT_DOUBLE_EQ(mainWindow()->CurChart.hys1L, 2.5);
    EXPECT_DOUBLE_EQ(mainWindow()->CurChart.hys1H, 26);  // from the file shown before
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 8);
    const auto& lower = mainWindow()->monthView().chart.series[kSeriesLowerLimit].points;
    ASSERT_EQ(lower.size(), 2);
    EXPECT_DOUBLE_EQ(lower[1].y, 2.5);
    EXPECT_DOUBLE_EQ(mainWindow()->monthView().chart.series[kSeriesUpperLimit].points[0].y, 26);

    // A bad day line after the bad header: the message, then the error; nothing changes.
    lines << QStringLiteral("x,2,%1,3,0").arg(QString(48, QLatin1Char('P')));
    writeLines(path("3/A3_z.rep"), lines);
    const auto shown = mainWindow()->shownYear();
    dlg.expect(Kind::Message, kHeaderUnreadableMessage).expect(Kind::Error, QString());
    EXPECT_FALSE(mainWindow()->OpenMyFile(path("3/A3_z.rep")));
    EXPECT_EQ(mainWindow()->shownYear(), shown);
    EXPECT_EQ(mainWindow()->CurChart.FileName, path("3/A2_y.rep"));
}

// Two channels' years are loaded and their months built while the main window shows a
// third file: the window's year and view stay as they were, and each month is its own.
TEST_F(Form1Test, TwoChannelsMonthsBuiltBesideTheShownFile)
{
    start({});
    ASSERT_TRUE(mainWindow()->OpenMyFile(writeReport("A1_main.rep", {7, 8}, 10)));
    mainWindow()->ShowMinMax1->trigger();
    const auto shownYear = mainWindow()->shownYear();
    const Chart_rec shownRecord = mainWindow()->CurChart;
    const QStringList shownTable = monthTableLines(mainWindow()->monthView().table);
    const QStringList shownFoot = mainWindow()->monthView().chart.foot;
    const QList<double> shownAverages = mainWindow()->monthView().periodAverages;
    const int shownPoints = mainWindow()->monthView().chart.series[kSeriesSensor].points.size();

    // Channel one: humidity limits 30..60, month 2 at 40 on day 1 with a remark.
    const ReportYear one = loadReportYear({reportHeader(QStringLiteral("H"), QStringLiteral("H"), "30", "60"),
                                           fullDayT(2, 1, 40), QStringLiteral("Comment,2,3/2/1 8:0:door")});
    // Channel two: months 2 and 3, day 5 of month 2 with hours 0..2 at 21, 22, missing.
    const ReportYear two = loadReportYear({reportHeader(QStringLiteral("T"), QStringLiteral("T"), "15", "25"),
                                           dayLineT(2, 5, {21, 22, kMissing}), fullDayT(3, 1, 24)});
    MonthViewOptions options;
    options.period = 3;
    options.showMinMax = true;
    options.yearText = QStringLiteral("3");
    const MonthView first = buildMonthView(one, 2, options);
    const MonthView second = buildMonthView(two, 2, options);

    EXPECT_EQ(first.periodAverages, QList<double>(8, 40.0));
    EXPECT_EQ(first.chart.series[kSeriesLowerLimit].points[0].y, 30);
    EXPECT_EQ(first.chart.series[kSeriesUpperLimit].points[1].y, 60);
    EXPECT_EQ(first.chart.series[kSeriesSensor].points[0].y, 30);  // the null point stands on the lower limit
    EXPECT_EQ(first.table.cell(0, 1), QStringLiteral("  2/1"));
    EXPECT_EQ(first.table.cell(1, 1), QStringLiteral("  40.0"));
    EXPECT_EQ(first.chart.foot.last(), QStringLiteral("3/2/1 8:0:door"));
    EXPECT_EQ(first.chart.foot[2], QStringLiteral("تاریخ : (2) اردیبهشت ماه سال  3                 امضاء"));

    EXPECT_EQ(second.periodAverages, QList<double>{21.5});
    EXPECT_EQ(second.chart.series[kSeriesLowerLimit].points[0].y, 15);
    EXPECT_EQ(second.table.cell(1, 5), QStringLiteral("  21.5"));
    EXPECT_EQ(second.table.cell(1, 1), QString());
    ASSERT_EQ(second.chart.series[kSeriesDayMax].points.size(), 1);
    EXPECT_DOUBLE_EQ(second.chart.series[kSeriesDayMax].points[0].x, 5.5);
    EXPECT_EQ(second.chart.foot.size(), 1);  // one average: no statistics line, no remark

    // The main window still shows its own file, and draws it again unchanged.
    EXPECT_EQ(mainWindow()->shownYear(), shownYear);
    EXPECT_EQ(mainWindow()->CurChart.FileName, shownRecord.FileName);
    EXPECT_EQ(mainWindow()->CurChart.Curr_Mon, 8);
    EXPECT_DOUBLE_EQ(mainWindow()->CurChart.hys1L, shownRecord.hys1L);
    EXPECT_EQ(monthTableLines(mainWindow()->monthView().table), shownTable);
    mainWindow()->LastMonth1->trigger();
    mainWindow()->NextMonth1->trigger();
    EXPECT_EQ(monthTableLines(mainWindow()->monthView().table), shownTable);
    EXPECT_EQ(mainWindow()->monthView().chart.foot, shownFoot);
    EXPECT_EQ(mainWindow()->monthView().periodAverages, shownAverages);
    EXPECT_EQ(mainWindow()->monthView().chart.series[kSeriesSensor].points.size(), shownPoints);
    EXPECT_EQ(mainWindow()->SG_Table->item(1, 1)->text(), QStringLiteral("  11.0"));
}

}  // namespace
