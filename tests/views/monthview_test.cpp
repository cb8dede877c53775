// The month chart drawn with QCustomPlot and the table widget, on the offscreen platform.
#include "views/ui/monthview.h"

#include <cmath>

#include <QTableWidget>
#include <qcustomplot.h>

#include "platform/bidi.h"
#include "reports/loader.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/month.h"

namespace {

class MonthViewTest : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        MonthViewOptions options;
        options.showMinMax = true;
        view = buildMonthView(loadReportYear({reportHeader(), fullDayT(7, 1, 20), dayLineT(7, 3, {21, 22, 23})}), 7,
                              options);
        view.chart.title = chartTitle({QStringLiteral("آزمایشگاه")}, QStringLiteral("A1_Temp"));
        view.chart.valueAxisCaption = valueAxisCaption(QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("A1"));
    }
    MonthView view;
};

TEST_F(MonthViewTest, ChartShowsTheContent)
{
    QCustomPlot chart;
    chart.resize(900, 600);
    for (int pass = 0; pass < 2; ++pass) {  // drawing twice gives the same chart
        renderMonthChart(&chart, view.chart);
        ASSERT_EQ(chart.graphCount(), kMonthSeriesCount);
        for (int i = 0; i < kMonthSeriesCount; ++i) {
            EXPECT_EQ(chart.graph(i)->name(), view.chart.series[i].title);
            EXPECT_EQ(chart.graph(i)->dataCount(), view.chart.series[i].points.size());
        }
        const auto sensor = chart.graph(kSeriesSensor)->data();
        EXPECT_TRUE(std::isnan(sensor->at(0)->value));  // the null start point
        EXPECT_DOUBLE_EQ(sensor->at(1)->value, 20);     // day 1, 00:00-03:00
        EXPECT_TRUE(std::isnan(sensor->at(9)->value));  // day 2 has no readings
        EXPECT_EQ(chart.graph(kSeriesSensor)->pen().width(), 2);
        EXPECT_EQ(chart.graph(kSeriesLowerLimit)->pen().style(), Qt::DotLine);
        EXPECT_EQ(chart.graph(kSeriesUpperLimit)->pen().color(), QColor(Qt::red));
        EXPECT_EQ(chart.graph(kSeriesDayMin)->scatterStyle().shape(), QCPScatterStyle::ssDiamond);
        EXPECT_EQ(chart.graph(kSeriesDayMax)->scatterStyle().shape(), QCPScatterStyle::ssCircle);
        EXPECT_EQ(chart.graph(kSeriesDayMax)->lineStyle(), QCPGraph::lsNone);
        EXPECT_EQ(chart.itemCount(), 4);  // two labelled days, minimum and maximum
        EXPECT_EQ(chart.xAxis->range(), QCPRange(1, 32));
        EXPECT_EQ(chart.xAxis->label(), kCreditCaption);
        EXPECT_EQ(chart.yAxis->label(), kTemperatureCaption);
        EXPECT_LE(chart.yAxis->range().lower, 18);  // the lower limit is in view
        EXPECT_GE(chart.yAxis->range().upper, 26);
        QStringList texts;
        for (int i = 0; i < chart.plotLayout()->elementCount(); ++i)
            if (auto* t = qobject_cast<QCPTextElement*>(chart.plotLayout()->elementAt(i))) texts << t->text();
        EXPECT_TRUE(texts.contains(bidi::display(view.chart.title.join(QLatin1Char('\n')))));
        EXPECT_TRUE(texts.contains(bidi::display(view.chart.foot.join(QLatin1Char('\n')))));
    }
}

TEST_F(MonthViewTest, BackgroundPictureCoversThePanel)
{
    QPixmap picture(40, 30);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(path(QStringLiteral("back.png"))));
    QCustomPlot chart;
    chart.resize(400, 300);
    renderMonthChart(&chart, view.chart);
    EXPECT_TRUE(chart.background().isNull());
    view.chart.backgroundPicture = path(QStringLiteral("back.png"));
    renderMonthChart(&chart, view.chart);
    EXPECT_FALSE(chart.background().isNull());
    EXPECT_EQ(chart.toPixmap(400, 300).toImage().pixelColor(2, 2), QColor(Qt::darkGreen));  // a corner of the panel
    view.chart.backgroundPicture = path(QStringLiteral("missing.png"));  // a missing picture: no background, no message
    renderMonthChart(&chart, view.chart);
    EXPECT_TRUE(chart.background().isNull());
}

TEST_F(MonthViewTest, TableIsEditableAndReadBackAsEdited)
{
    QTableWidget table;
    renderMonthTable(&table, view.table);
    EXPECT_EQ(table.rowCount(), 31);
    EXPECT_EQ(table.columnCount(), 11);
    EXPECT_EQ(table.item(1, 1)->text(), QStringLiteral("  20.0"));
    EXPECT_TRUE(table.item(1, 1)->flags() & Qt::ItemIsEditable);
    table.item(2, 1)->setText(QStringLiteral("  door open"));
    const MonthTableContent back = tableContentOf(&table);
    EXPECT_EQ(back.rowCount, 31);
    EXPECT_EQ(back.cell(1, 2), QStringLiteral("  door open"));
    EXPECT_EQ(back.cell(0, 0), QStringLiteral("Day\\Hour"));
}

}  // namespace
