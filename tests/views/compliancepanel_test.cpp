// The main window's compliance page, offscreen: the figures of the month on show in
// Persian, the excursions listed and shaded on the chart, a click on one bringing the
// table to its first day, and the shortest excursion listed.
#include "views/ui/compliancepanel.h"

#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "app/ui/application.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "support/windowsfixture.h"
#include "views/month.h"
#include "views/ui/form1.h"

namespace {

class CompliancePageTest : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        setProgramNowForTests(QDateTime(QDate(2024, 12, 31), QTime(10, 0)));  // 1403/10/11 10:00
        installPersianTranslations(*qApp);
        writeLines(path("DeviceStatus.txt"), {"timeout = 500,200,300"});
        openWindows({});
    }
    void TearDown() override
    {
        closeWindows();
        removePersianTranslations(*qApp);
        WindowsFixture::TearDown();
    }
    QString figure(const char* name) const
    {
        return mainWindow()->TabCompliance->figureLabel(QLatin1String(name))->text();
    }
    int bands() const
    {
        int n = 0;
        for (int i = 0; i < mainWindow()->Chart1->itemCount(); ++i)
            n += mainWindow()->Chart1->item(i)->objectName() == QLatin1String("termivoBand");
        return n;
    }
};

// Month 7 of 1403: 22 °C but three hours at 30 on 7/5, an hour at 10 on 7/25 and two
// missing hours on 7/20.
TEST_F(CompliancePageTest, FiguresExcursionsAndTheirDayInTheTable)
{
    QStringList lines{reportHeader()};
    for (int d = 1; d <= 30; ++d) {
        std::vector<double> hours(24, 22);
        if (d == 5) hours[10] = hours[11] = hours[12] = 30;
        if (d == 20) hours[0] = hours[1] = kMissing;
        if (d == 25) hours[3] = 10;
        lines << dayLineT(7, d, hours);
    }
    writeLines(path("3/A1_Temp.rep"), lines);
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("3/A1_Temp.rep")));

    CompliancePanel* panel = mainWindow()->TabCompliance;
    EXPECT_EQ(mainWindow()->PageControl1->tabText(mainWindow()->PageControl1->indexOf(panel)),
              QStringLiteral("انطباق با حدود"));
    EXPECT_EQ(mainWindow()->PageControl1->indexOf(panel),
              mainWindow()->PageControl1->indexOf(mainWindow()->TabTable) + 1);
    EXPECT_EQ(panel->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(figure("LB_HoursExpected"), "720");
    EXPECT_EQ(figure("LB_HoursRecorded"), "718");
    EXPECT_EQ(figure("LB_Completeness"), "99.7%");
    EXPECT_EQ(figure("LB_Minimum"), QStringLiteral("10.0 در 7/25  03:00"));
    EXPECT_EQ(figure("LB_Maximum"), QStringLiteral("30.0 در 7/5  10:00"));
    EXPECT_EQ(figure("LB_Limits"), QStringLiteral("از 18.0 تا 26.0"));
    EXPECT_EQ(figure("LB_HoursBelow"), "1");
    EXPECT_EQ(figure("LB_HoursAbove"), "3");
    EXPECT_FALSE(figure("LB_Mkt").isEmpty());

    QTableWidget* list = panel->excursionList();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(0, 0)->text(), QStringLiteral("بالای حد بالا"));
    EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("7/5  10:00"));
    EXPECT_EQ(list->item(0, 2)->text(), QStringLiteral("7/5  12:00"));
    EXPECT_EQ(list->item(0, 3)->text(), "3");
    EXPECT_EQ(list->item(1, 0)->text(), QStringLiteral("زیر حد پایین"));
    EXPECT_EQ(bands(), 2);

    // A click on the second excursion: the table, with day 25 current.
    mainWindow()->PageControl1->setCurrentWidget(panel);
    emit list->cellClicked(1, 2);
    EXPECT_EQ(mainWindow()->PageControl1->currentWidget(), mainWindow()->TabTable);
    EXPECT_EQ(mainWindow()->SG_Table->currentRow(), 25);

    // Two hours at least: the one-hour excursion leaves the list and the chart, not the counts.
    panel->minExcursionBox()->setValue(2);
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(bands(), 1);
    EXPECT_EQ(figure("LB_HoursBelow"), "1");
}

// The journal says the limits went from 18 .. 26 to 20 .. 24 on 1403/7/15 at 12:00: the
// chart's limit lines step there, 25 °C on 7/5 is within the limits of its hour and on
// 7/20 above them, and the page names both limits; month 6 is drawn with the old ones.
TEST_F(CompliancePageTest, LimitsChangedWithinTheMonth)
{
    const QString file = path("3/A1_Temp.rep");
    const QString changed =
        reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("20"), QStringLiteral("24"));
    QStringList lines{changed};
    for (int d = 1; d <= 30; ++d) {
        std::vector<double> hours(24, 22);
        if (d == 5 || d == 20) hours[10] = 25;
        lines << dayLineT(7, d, hours);
    }
    writeLines(file, lines);
    auto local = [](int month, int day, int hour) {
        return QDateTime(fromShamsi({1403, month, day}, ShamsiCalendar::Official), QTime(hour, 0));
    };
    journalHeaderChange(root(), file, reportHeader(), changed, local(1, 1, 0), local(7, 15, 12));
    ASSERT_TRUE(mainWindow()->OpenMyFile(file));

    EXPECT_EQ(figure("LB_Limits"), QStringLiteral("از 18.0 تا 26.0\nاز 7/15  12:00: از 20.0 تا 24.0"));
    EXPECT_EQ(figure("LB_HoursAbove"), "1");
    EXPECT_EQ(bands(), 1);
    const QCPGraph* upper = mainWindow()->Chart1->graph(kSeriesUpperLimit);
    ASSERT_EQ(upper->dataCount(), 4);
    EXPECT_DOUBLE_EQ(upper->data()->at(1)->key, 15.5);
    EXPECT_EQ(upper->data()->at(1)->value, 26);
    EXPECT_EQ(upper->data()->at(2)->value, 24);

    mainWindow()->CurChart.Curr_Mon = 6;
    mainWindow()->redraw();
    const QCPGraph* lower = mainWindow()->Chart1->graph(kSeriesLowerLimit);
    ASSERT_EQ(lower->dataCount(), 2);
    EXPECT_EQ(lower->data()->at(1)->value, 18);
}

// The running month 10 expects its hours up to 10:00 of its eleventh day; a humidity
// channel has no MKT, and a header without readable limits says so.
TEST_F(CompliancePageTest, RunningMonthHumidityAndNoLimits)
{
    QStringList lines{
        reportHeader(QStringLiteral("H"), QStringLiteral("H"), QStringLiteral("x"), QStringLiteral("60"))};
    for (int d = 1; d <= 11; ++d) lines << dayLineT(10, d, std::vector<double>(d == 11 ? 11 : 24, 45));
    writeLines(path("3/A2_Hum.rep"), lines);
    dlg.expect(Kind::Message, kHeaderUnreadableMessage);
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("3/A2_Hum.rep")));
    EXPECT_EQ(figure("LB_HoursExpected"), QString::number(10 * 24 + 11));
    EXPECT_EQ(figure("LB_Completeness"), "100.0%");
    EXPECT_EQ(figure("LB_Mkt"), QStringLiteral("برای این کانال یا این ماه ندارد"));
    EXPECT_EQ(figure("LB_Limits"), QStringLiteral("سرآیند فایل حدود خوانایی ندارد"));
    EXPECT_EQ(figure("LB_HoursAbove"), "");
    EXPECT_EQ(mainWindow()->TabCompliance->excursionList()->rowCount(), 0);
    EXPECT_EQ(bands(), 0);
}

}  // namespace
