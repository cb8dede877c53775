// The month as content: table grid, period averages, daily minimum and maximum, the
// statistics line, the foot, captions and the text export.
#include "views/month.h"

#include <cmath>

#include "app/records.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/loader.h"
#include "support/fixtures.h"
#include "support/reportlines.h"

namespace {

class MonthTest : public RootFixture
{
protected:
    // Loads a header with lower limit 18 and upper limit 26 and the given lines, and
    // builds the month of the last day line.
    void draw(const QStringList& days, int period, bool minMax = true, bool meanSD = true)
    {
        year = loadReportYear(QStringList{reportHeader()} + days);
        build(year.lastLineMonth, period, minMax, meanSD);
    }
    void build(int month, int period, bool minMax = true, bool meanSD = true)
    {
        MonthViewOptions o;
        o.period = period;
        o.showMinMax = minMax;
        o.showMeanSD = meanSD;
        o.yearText = year.lastLineYear.value_or(QString());
        view = buildMonthView(year, month, o);
    }
    const QList<ChartPoint>& points(int series) const { return view.chart.series[series].points; }

    ReportYear year;
    MonthView view;
};

TEST_F(MonthTest, TableGridForEachPeriod)
{
    struct Case
    {
        int period;
        int cols;
        const char* firstHour;
    };
    const Case cases[] = {{1, 27, "  1"}, {3, 11, "  3"}, {6, 7, "  6"}, {12, 5, "  12"}, {24, 4, "  24"}};
    MonthTableContent table;
    for (const auto& c : cases) {
        InitTableGrid(table, c.period, 31, 7);
        EXPECT_EQ(table.colCount, c.cols);
        EXPECT_EQ(table.rowCount, 32);
        EXPECT_EQ(table.cell(0, 0), QStringLiteral("Day\\Hour"));
        EXPECT_EQ(table.cell(1, 0), QString::fromLatin1(c.firstHour));
        EXPECT_EQ(table.cell(c.cols - 2, 0), QStringLiteral(" Min"));
        EXPECT_EQ(table.cell(c.cols - 1, 0), QStringLiteral(" Max"));
        EXPECT_EQ(table.cell(0, 31), QStringLiteral("  7/31"));
    }
    EXPECT_THROW(InitTableGrid(table, 5, 30, 7), TermivoError);
}

// The month view is built from the year alone: the limit lines come from its header,
// and another year's month leaves the first one's view as it was.
TEST_F(MonthTest, LimitLinesComeFromTheYearsHeader)
{
    draw({fullDayT(7, 1, 20)}, 3);
    const auto& lower = points(kSeriesLowerLimit);
    const auto& upper = points(kSeriesUpperLimit);
    ASSERT_EQ(lower.size(), 2);
    ASSERT_EQ(upper.size(), 2);
    EXPECT_EQ(lower[0].x, 0);
    EXPECT_EQ(lower[1].x, 32);
    EXPECT_DOUBLE_EQ(lower[1].y, 18);
    EXPECT_DOUBLE_EQ(upper[0].y, 26);

    // The record the main window keeps for a shown year.
    Chart_rec rec;
    rec.Curr_Mon = 4;
    rec.Curr_Year = QStringLiteral("2");
    showYearInRecord(year, rec);
    EXPECT_DOUBLE_EQ(rec.hys1L, 18);
    EXPECT_EQ(rec.StMon, 7);
    EXPECT_EQ(rec.EndMon, 7);
    EXPECT_EQ(rec.Curr_Mon, 7);
    EXPECT_EQ(rec.Curr_Year, QStringLiteral("3"));
    EXPECT_EQ(headerFieldsOf(rec).lowLimit, 18);
    // A year without day lines leaves the shown month and year text as they were.
    showYearInRecord(loadReportYear({reportHeader()}), rec);
    EXPECT_EQ(rec.StMon, 13);
    EXPECT_EQ(rec.EndMon, 0);
    EXPECT_EQ(rec.Curr_Mon, 7);
    EXPECT_EQ(rec.Curr_Year, QStringLiteral("3"));
}

TEST_F(MonthTest, PeriodAveragesGapsAndDailyExtremes)
{
    // Day 1: hours 0..2 = 20, 21, missing (3-hour average 20.5), hours 3..5 = 24; the
    // rest missing. Day 2 all missing. Day 3 all 22.
    draw({dayLineT(7, 1, {20, 21, kMissing, 24, 24, 24}), fullDayT(7, 3, 22)}, 3);
    const auto& s = points(kSeriesSensor);
    ASSERT_EQ(s.size(), 1 + 30 * 8);
    EXPECT_TRUE(s[0].isNull);
    EXPECT_EQ(s[0].x, 1);
    EXPECT_EQ(s[0].y, 18);
    EXPECT_FALSE(s[1].isNull);
    EXPECT_DOUBLE_EQ(s[1].x, 1.125);
    EXPECT_DOUBLE_EQ(s[1].y, 20.5);
    EXPECT_DOUBLE_EQ(s[2].x, 1.25);
    EXPECT_DOUBLE_EQ(s[2].y, 24);
    EXPECT_TRUE(s[3].isNull);
    for (int k = 9; k <= 16; ++k) EXPECT_TRUE(s[k].isNull) << k;  // day 2
    EXPECT_DOUBLE_EQ(s[16].x, 3);

    EXPECT_EQ(view.table.rowCount, 31);
    EXPECT_EQ(view.table.cell(1, 1), QStringLiteral("  20.5"));
    EXPECT_EQ(view.table.cell(2, 1), QStringLiteral("  24.0"));
    EXPECT_EQ(view.table.cell(3, 1), QString());
    EXPECT_EQ(view.table.cell(9, 1), QStringLiteral("  20.5"));
    EXPECT_EQ(view.table.cell(10, 1), QStringLiteral("  24.0"));
    for (int c = 1; c <= 10; ++c) EXPECT_EQ(view.table.cell(c, 2), QString()) << c;

    // Daily points at d + 0.5, only for days with a valid period.
    ASSERT_EQ(points(kSeriesDayMin).size(), 2);
    EXPECT_DOUBLE_EQ(points(kSeriesDayMin)[0].x, 1.5);
    EXPECT_DOUBLE_EQ(points(kSeriesDayMin)[0].y, 20.5);
    EXPECT_EQ(points(kSeriesDayMin)[0].label, QStringLiteral("20.5"));
    EXPECT_DOUBLE_EQ(points(kSeriesDayMax)[0].y, 24);
    EXPECT_DOUBLE_EQ(points(kSeriesDayMax)[1].x, 3.5);
    EXPECT_EQ(view.periodAverages.size(), 2 + 8);
}

TEST_F(MonthTest, DailyExtremesRoundHalvesToEvenAndCellsKeepTheAverage)
{
    // Type "K" (r - 100): whole values, so 6-hour averages of 0, 0, 0, 1 and of
    // 0, 1, 1, 1 are exactly 0.25 and 0.75.
    auto code = [](int v) { return QString(QChar(60 + (v + 100) / 60)) + QChar(60 + (v + 100) % 60); };
    QString codes = code(0).repeated(3) + code(1) + QStringLiteral("????") + code(0) + code(1).repeated(3) +
                    QStringLiteral("????") + QStringLiteral("??").repeated(12);
    year = loadReportYear(
        {reportHeader(QStringLiteral("T"), QStringLiteral("K")), QStringLiteral("1,1,%1,3,0").arg(codes)});
    build(1, 6);
    ASSERT_EQ(points(kSeriesDayMin).size(), 1);
    EXPECT_DOUBLE_EQ(points(kSeriesDayMin)[0].y, 0.2);
    EXPECT_DOUBLE_EQ(points(kSeriesDayMax)[0].y, 0.8);
    EXPECT_EQ(points(kSeriesDayMin)[0].label, QStringLiteral("0.2"));
    // The table shows the unrounded day extremes with one decimal, rounded as C does:
    // the same texts as the chart's labels.
    EXPECT_EQ(view.table.cell(5, 1), QStringLiteral("  0.2"));
    EXPECT_EQ(view.table.cell(6, 1), QStringLiteral("  0.8"));
    EXPECT_EQ(points(kSeriesDayMax)[0].label, QStringLiteral("0.8"));
}

TEST_F(MonthTest, PeriodsAndMonthLengths)
{
    struct Case
    {
        int month;
        int period;
        int days;
        int pointsPerDay;
    };
    const Case cases[] = {{1, 1, 31, 24}, {6, 3, 31, 8}, {7, 6, 30, 4}, {12, 12, 30, 2}, {7, 24, 30, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.month * 100 + c.period);
        QStringList days;
        for (int d = 1; d <= c.days; ++d) days << fullDayT(c.month, d, 20);
        draw(days, c.period);
        EXPECT_EQ(view.table.rowCount, c.days + 1);
        EXPECT_EQ(view.table.colCount, 24 / c.period + 3);
        EXPECT_EQ(view.periodAverages.size(), c.days * c.pointsPerDay);
        EXPECT_EQ(points(kSeriesSensor).size(), 1 + c.days * c.pointsPerDay);
        EXPECT_DOUBLE_EQ(points(kSeriesSensor).last().x, c.days + 1.0);
        EXPECT_EQ(points(kSeriesDayMax).size(), c.days);
    }
}

TEST_F(MonthTest, WithoutMinMaxTheDailySeriesAndColumnsStayEmpty)
{
    draw({fullDayT(7, 1, 20)}, 3, false);
    EXPECT_TRUE(points(kSeriesDayMin).isEmpty());
    EXPECT_TRUE(points(kSeriesDayMax).isEmpty());
    EXPECT_EQ(view.table.cell(9, 1), QString());
    EXPECT_EQ(view.table.cell(10, 1), QString());
    EXPECT_EQ(view.table.cell(8, 1), QStringLiteral("  20.0"));
}

TEST_F(MonthTest, StatisticsLine)
{
    struct Case
    {
        std::vector<double> values;
        const char* text;
    };
    const Case cases[] = {
        {{20, 22, 24}, "Mean = 22.00 ,  SD = 2.00  ,  CV = 0.09"},
        {{-1, 1}, "Mean = 0.00 ,  SD = 1.41  ,  CV = ---"},
        {{5, 5}, "Mean = 5.00 ,  SD = 0.00  ,  CV = 0.00"},
        {{0.1, 0.2, -0.3}, "Mean = 0.00 ,  SD = 0.26  ,  CV = ---"},
        {{0, 0}, "Mean = 0.00 ,  SD = 0.00  ,  CV = ---"},
        {{0.3, -0.1, -0.2}, "Mean = 0.00 ,  SD = 0.26  ,  CV = ---"},
        {{0.01, 0}, "Mean = 0.01 ,  SD = 0.01  ,  CV = 1.41"},
        {{-10, -30}, "Mean = -20.00 ,  SD = 14.14  ,  CV = -0.71"},
    };
    for (const auto& c : cases) {
        const QList<double> values(c.values.begin(), c.values.end());
        EXPECT_EQ(MonthStats(values, values.size()), QString::fromLatin1(c.text));
    }
}

TEST_F(MonthTest, FootLines)
{
    // One valid period: no statistics line even when it is asked for.
    draw({dayLineT(8, 2, {20}), QStringLiteral("Comment,8,3/8/2 9:15:calibrated")}, 3);
    const QString date = QStringLiteral("تاریخ : (8) آبان  ماه سال  3                 امضاء");
    EXPECT_EQ(view.chart.foot, (QStringList{date, QStringLiteral("3/8/2 9:15:calibrated")}));

    draw({dayLineT(8, 2, {20, 20, 20, 22, 22, 22, 24, 24, 24})}, 3);
    EXPECT_EQ(view.chart.foot,
              (QStringList{QStringLiteral("Mean = 22.00 ,  SD = 2.00  ,  CV = 0.09"), QString(), date}));
    build(8, 3, true, false);
    EXPECT_EQ(view.chart.foot, QStringList{date});
}

TEST_F(MonthTest, AFileWithoutDaysDrawsAnEmptyMonth)
{
    draw({}, 3);
    EXPECT_EQ(points(kSeriesSensor).size(), 1);
    EXPECT_TRUE(view.periodAverages.isEmpty());
    EXPECT_EQ(view.table.rowCount, 31);
    EXPECT_EQ(view.table.cell(0, 30), QStringLiteral("  0/30"));
    EXPECT_THROW(build(1, 0), TermivoError);
}

TEST(MonthCaptions, ValueAxisCaptionRules)
{
    struct Case
    {
        const char* dev;
        const char* type;
        const char* name;
        const QString& caption;
    };
    const Case cases[] = {
        {"T", "T", "A1_Temp", kTemperatureCaption},
        {"H", "T", "A2_rh", kHumidityCaption},
        {"T", "T", "A2_RH", kTemperatureCaption},
        {"T", "H", "A1_x", kHumidityCaption},
        {"H", "T", "B1_Humidity", kHumidityCaption},
        {"H", "T", "B1_رطوبت اتاق", kHumidityCaption},
        {"h", "T", "B1_RH", kTemperatureCaption},
        {"H", "p", "B1_RH", kPressureCaption},
        {"T", "h", "x", kHumidityCaption},
        {"H", "M", "B1_RH", kTemperatureCaption},
        {"T", "V", "x", kVoltageCaption},
        {"T", "S", "x", kPpmCaption},
        {"T", "s", "x", kTemperatureCaption},
    };
    for (const auto& c : cases)
        EXPECT_EQ(valueAxisCaption(QString::fromUtf8(c.dev), QString::fromUtf8(c.type), QString::fromUtf8(c.name)),
                  c.caption)
            << c.dev << " " << c.type << " " << c.name;
}

TEST(MonthCaptions, TitleAndSensorName)
{
    EXPECT_EQ(sensorNameOfFile(QStringLiteral("/r/3/A1_Temp.rep")), QStringLiteral("A1_Temp"));
    EXPECT_EQ(chartTitle({QStringLiteral("Lab 2")}, QStringLiteral("A1_Temp")),
              (QStringList{QStringLiteral("Lab 2"), QStringLiteral("Sensor Name : A1_Temp ")}));
}

TEST_F(MonthTest, SaveAsTextWritesEveryCellFollowedByAComma)
{
    MonthTableContent table;
    InitTableGrid(table, 24, 2, 1);
    table.setCell(1, 1, QStringLiteral("  20.5"));
    table.setCell(3, 2, QStringLiteral("یک"));  // an edited cell, Farsi Yeh included
    saveMonthTableText(path(QStringLiteral("t.txt")), table);
    QByteArray expected("Day\\Hour,  24, Min, Max,\r\n  1/1,  20.5,,,\r\n  1/2,,,");
    expected += toAnsi(QStringLiteral("یک")) + ",\r\n";
    EXPECT_EQ(readFileBytes(path(QStringLiteral("t.txt"))), expected);
    EXPECT_EQ(toAnsi(QStringLiteral("ی")), QByteArray("\xED"));
}

}  // namespace
