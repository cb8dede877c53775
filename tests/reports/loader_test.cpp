// The report file loader: codes, header, day and comment lines, and what a load
// leaves in the tables, CurChart and the month chart's limit lines.
#include "reports/loader.h"

#include <cmath>

#include "app/records.h"
#include "platform/errors.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/month.h"

namespace {

class LoaderTest : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        MonthChart = MonthChartContent();
    }
};

TEST_F(LoaderTest, Code2ValueFollowsTheSensorType)
{
    struct Case
    {
        const char* type;
        const char* code;
        double value;
    };
    const Case cases[] = {
        {"T", "<<", -100.0}, {"T", "w<", 254.0}, {"T", "@F", -75}, {"p", "<<", 86.0}, {"P", "<<", -200},
        {"K", "=<", -40},    {"S", "=<", -40},   {"V", "<F", -90}, {"x", "=<", 60},   {"T", "??", -300},
        {"p", "??", -300},   {"", "??", -300},   {"H", "ZZ", 83},  {"h", "ZZ", 83},
    };
    for (const auto& c : cases) {
        CurChart.Sensor_Type = QString::fromLatin1(c.type);
        EXPECT_DOUBLE_EQ(Code2Value(QString::fromLatin1(c.code)), c.value) << c.type << " " << c.code;
    }
    CurChart.Sensor_Type = QStringLiteral("T");
    EXPECT_TRUE(std::isnan(Code2Value(QStringLiteral("<"))));
    EXPECT_TRUE(std::isnan(Code2Value(QStringLiteral("<<<"))));
}

TEST(SplitPara1, CutsAtEveryDelimiterAndKeepsEmptyFields)
{
    EXPECT_EQ(SplitPara1(QStringLiteral("a(b,c)d"), QStringLiteral(",()")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitPara1(QStringLiteral("a,,b,"), QStringLiteral(",")), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(SplitPara1(QString(), QStringLiteral(",")), QStringList{QString()});
}

TEST_F(LoaderTest, ReadsHeaderDaysAndComments)
{
    CurChart.Curr_Mon = 5;
    LoadReportFile(
        {reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("18.5"), QStringLiteral("26")),
         dayLineT(7, 1, {20.5, kMissing, 200, -100, 159.9, 160}, QStringLiteral("98")),
         QStringLiteral("Comment,7,98/7/3 10:5:door opened, alarm"), fullDayT(8, 31, 21.25),
         QStringLiteral("Comment,8,note")});
    EXPECT_EQ(CurChart.Dev_Type, QStringLiteral("H"));
    EXPECT_EQ(CurChart.Sensor_Type, QStringLiteral("T"));
    EXPECT_EQ(CurChart.SenNumber, 1);
    EXPECT_DOUBLE_EQ(CurChart.hys1L, 18.5);
    EXPECT_DOUBLE_EQ(CurChart.hys1H, 26);
    EXPECT_EQ(CurChart.LogTime.wYear, 3);
    EXPECT_EQ(CurChart.LogTime.wMonth, 7);
    EXPECT_EQ(CurChart.StMon, 7);
    EXPECT_EQ(CurChart.EndMon, 8);
    EXPECT_EQ(CurChart.Curr_Mon, 8);
    EXPECT_EQ(CurChart.Curr_Year, QStringLiteral("3"));

    const int valid[] = {1, 0, 0, 1, 1, 0};
    const double value[] = {20.5, 0, 0, -100, 159.9, 0};
    for (int h = 0; h < 6; ++h) {
        EXPECT_EQ(HourValid[7][1][h], valid[h]) << h;
        EXPECT_NEAR(HourValue[7][1][h], value[h], 1e-9) << h;
    }
    EXPECT_EQ(HourValid[7][1][6], 0);
    EXPECT_EQ(HourValid[7][2][0], 0);
    EXPECT_EQ(HourValid[8][31][23], 1);
    EXPECT_NEAR(HourValue[8][31][23], 21.3, 1e-9);  // codes hold tenths
    // The remark keeps its commas: everything after the month field.
    EXPECT_EQ(ChartComment[7], QStringList{QStringLiteral("98/7/3 10:5:door opened, alarm")});
    EXPECT_EQ(ChartComment[8], QStringList{QStringLiteral("note")});

    // The limit lines span the whole day axis; the other series are empty.
    const auto& lower = MonthChart.series[kSeriesLowerLimit].points;
    const auto& upper = MonthChart.series[kSeriesUpperLimit].points;
    ASSERT_EQ(lower.size(), 2);
    ASSERT_EQ(upper.size(), 2);
    EXPECT_EQ(lower[0].x, 0);
    EXPECT_EQ(lower[1].x, 32);
    EXPECT_DOUBLE_EQ(lower[1].y, 18.5);
    EXPECT_DOUBLE_EQ(upper[0].y, 26);
    EXPECT_TRUE(MonthChart.series[kSeriesSensor].points.isEmpty());
}

TEST_F(LoaderTest, AHeaderWithoutDaysLeavesEveryHourMissing)
{
    HourValid[3][3][3] = 1;
    CurChart.Curr_Mon = 5;
    ChartComment[4] << QStringLiteral("old");
    LoadReportFile({reportHeader()});
    EXPECT_EQ(CurChart.StMon, 13);
    EXPECT_EQ(CurChart.EndMon, 0);
    EXPECT_EQ(CurChart.Curr_Mon, 5);
    EXPECT_EQ(HourValid[3][3][3], 0);
    EXPECT_TRUE(ChartComment[4].isEmpty());
}

TEST_F(LoaderTest, TheLaterCopyOfADayWins)
{
    LoadReportFile({reportHeader(), fullDayT(7, 15, 20), dayLineT(7, 15, {kMissing, 25})});
    EXPECT_EQ(HourValid[7][15][0], 0);
    EXPECT_DOUBLE_EQ(HourValue[7][15][1], 25);
    EXPECT_EQ(HourValid[7][15][2], 0);
}

// Lines that have no place in the tables are skipped without touching them.
TEST_F(LoaderTest, SkipsLinesOutsideTheTables)
{
    const QString codes(48, QLatin1Char('P'));
    struct Case
    {
        const char* what;
        QString line;
    };
    const Case cases[] = {
        {"54 characters", fullDayT(7, 15, 20).left(54)},        {"month 0", QStringLiteral("0,1,%1,3,0").arg(codes)},
        {"month 13", QStringLiteral("13,1,%1,3,0").arg(codes)}, {"day 0", QStringLiteral("7,0,%1,3,0").arg(codes)},
        {"day 32", QStringLiteral("7,32,%1,3,0").arg(codes)},   {"month -1", QStringLiteral("-1,1,%1,3,0").arg(codes)},
        {"comment month 0", QStringLiteral("Comment,0,x")},     {"comment month 13", QStringLiteral("Comment,13,x")},
        {"comment without text", QStringLiteral("Comment,7")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CurChart.Curr_Mon = 4;
        const ReportLoadResult r = LoadReportFile({reportHeader(), c.line});
        EXPECT_EQ(r.dayLines, 0);
        EXPECT_EQ(r.skippedLines, 1);
        EXPECT_EQ(CurChart.Curr_Mon, 4);
        EXPECT_EQ(CurChart.StMon, 13);
        for (int m = 1; m <= 12; ++m) EXPECT_TRUE(ChartComment[m].isEmpty());
    }
}

TEST_F(LoaderTest, AShortCodesFieldLeavesTheMissingHoursMissing)
{
    // 20 codes and a long extra field: the line is long enough, its codes are not.
    const QString codes = fullDayT(7, 1, 20).section(QLatin1Char(','), 2, 2).left(41);
    HourValid[7][1][23] = 1;
    LoadReportFile({reportHeader(), QStringLiteral("7,1,%1,3,%2").arg(codes, QString(40, QLatin1Char('x')))});
    for (int h = 0; h < 20; ++h) EXPECT_EQ(HourValid[7][1][h], 1) << h;
    for (int h = 20; h < 24; ++h) EXPECT_EQ(HourValid[7][1][h], 0) << h;
}

TEST_F(LoaderTest, ErrorsStopTheLoadWhereTheyOccur)
{
    EXPECT_THROW(LoadReportFile({}), ListIndexError);
    const QStringList bad[] = {
        {reportHeader(), fullDayT(7, 1, 20), QStringLiteral("x,2,%1,3,0").arg(QString(48, QLatin1Char('P')))},
        {reportHeader(), fullDayT(7, 1, 20), QStringLiteral("7,2x,%1,3,0").arg(QString(48, QLatin1Char('P')))},
        {reportHeader(), fullDayT(7, 1, 20), QStringLiteral("Comment,seven,x")},
    };
    for (const auto& lines : bad) {
        EXPECT_THROW(LoadReportFile(lines), ConvertError);
        EXPECT_EQ(HourValid[7][1][0], 1);  // what was read before the bad line stays
        EXPECT_EQ(HourValid[7][2][0], 0);
    }
}

TEST_F(LoaderTest, HeaderRules)
{
    // 12 fields: not read, the old limits are drawn again.
    CurChart.hys1L = 5;
    CurChart.Sensor_Type = QStringLiteral("H");
    EXPECT_FALSE(ReadReportHeader(QStringLiteral("a,b,c,T,e,2,T,1,2,j,k,l")));
    EXPECT_EQ(CurChart.Sensor_Type, QStringLiteral("H"));
    ASSERT_EQ(MonthChart.series[kSeriesLowerLimit].points.size(), 2);
    EXPECT_DOUBLE_EQ(MonthChart.series[kSeriesLowerLimit].points[0].y, 5);

    // A header the limit editors rewrote (16 fields and a final comma) reads as before.
    EXPECT_TRUE(ReadReportHeader(QStringLiteral("a,b,c,D,e,2,T,1.5,30,j,k,4,9,n,o,p,")));
    EXPECT_EQ(CurChart.SenNumber, 2);
    EXPECT_DOUBLE_EQ(CurChart.hys1H, 30);
    EXPECT_EQ(CurChart.LogTime.wMonth, 9);

    // A bad upper limit: the message, the fields before it are set, the rest keep their values.
    dlg.expect(Kind::Message, kHeaderUnreadableMessage);
    EXPECT_FALSE(ReadReportHeader(QStringLiteral("a,b,c,X,e,3,H,2.5,high,j,k,5,10")));
    EXPECT_EQ(CurChart.Dev_Type, QStringLiteral("X"));
    EXPECT_EQ(CurChart.Sensor_Type, QStringLiteral("H"));
    EXPECT_DOUBLE_EQ(CurChart.hys1L, 2.5);
    EXPECT_DOUBLE_EQ(CurChart.hys1H, 30);
    EXPECT_EQ(CurChart.LogTime.wYear, 4);
    EXPECT_DOUBLE_EQ(MonthChart.series[kSeriesUpperLimit].points[1].y, 30);
}

}  // namespace
