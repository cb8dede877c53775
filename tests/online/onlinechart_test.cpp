// The online chart's content: which lines, which points, which texts; and the
// report years it is drawn from.
#include "online/onlinechart.h"

#include <cmath>
#include <gtest/gtest.h>

#include "app/records.h"
#include "support/fixtures.h"
#include "support/reportlines.h"

namespace {

std::shared_ptr<const ReportYear> yearOf(const QStringList& days)
{
    return std::make_shared<ReportYear>(loadReportYear(QStringList{reportHeader()} + days));
}

// n named sensors spread over devices of four channels, chart indices 0..n-1.
QList<OnlineChannel> registryOf(int n, std::vector<Device_Rec>& devices)
{
    devices.assign((n + 3) / 4 + 1, Device_Rec{});
    for (int i = 0; i < n; ++i) {
        Device_Rec& d = devices[i / 4];
        d.ID = QStringLiteral("d%1").arg(i / 4);
        d.Sensor[i % 4].Name = QStringLiteral("S%1").arg(i);
        d.Sensor[i % 4].ChartIndex = i;
    }
    return onlineChannels(devices.data(), int(devices.size()) - 1);
}

TEST(OnlineChart, NoNamedSensorShowsNoLineButTheMonth)
{
    const OnlineChartContent c = onlineChartContent({}, {}, 98, 9);
    for (bool on : c.active) EXPECT_FALSE(on);
    EXPECT_EQ(c.foot, "Date: 98 / 9");
    EXPECT_EQ(c.title, QStringLiteral("سیستم یکپارچه مانیتورینگ  "));
}

TEST(OnlineChart, ThirtyLinesAreDrawnAndTheThirtyFirstSensorIsLeftOut)
{
    std::vector<Device_Rec> devices;
    const QList<OnlineChannel> channels = registryOf(33, devices);
    ASSERT_EQ(channels.size(), 30);
    OnlineYears years;
    for (const auto& ch : channels) years[ch.chartIndex] = yearOf({fullDayT(7, 1, 20)});
    const OnlineChartContent c = onlineChartContent(channels, years, 3, 7);
    for (int n = 0; n < 30; ++n) {
        EXPECT_TRUE(c.active[n]) << n;
        EXPECT_EQ(c.series[n].title, QStringLiteral("S%1").arg(n));
        // Every line that is on is drawn, the thirtieth too.
        EXPECT_EQ(c.series[n].points[1].y, 20) << n;
    }
    EXPECT_FALSE(c.active[30]);
    EXPECT_TRUE(c.series[30].points.isEmpty());
}

TEST(OnlineChart, ASensorPastTheLinesSkipsTheRestOfItsDevice)
{
    Device_Rec devices[2];
    devices[0].Sensor[0] = {};
    devices[0].Sensor[0].Name = "A";
    devices[0].Sensor[0].ChartIndex = 30;
    devices[0].Sensor[1].Name = "B";
    devices[0].Sensor[1].ChartIndex = 3;
    devices[1].Sensor[2].Name = "C";
    devices[1].Sensor[2].ChartIndex = 4;
    const QList<OnlineChannel> channels = onlineChannels(devices, 1);
    ASSERT_EQ(channels.size(), 1);
    EXPECT_EQ(channels[0].name, "C");
    EXPECT_EQ(channels[0].sensor, 2);
}

TEST(OnlineChart, ThreeHourBlocksOverTheMonthsDays)
{
    ChartSeries s;
    // Month 6: 31 days, the last point at x = 32; month 7: 30 days, up to 31.
    fillOnlineLine(s, *yearOf({fullDayT(6, 31, 20)}), 6);
    ASSERT_EQ(s.points.size(), 1 + 31 * 8);
    EXPECT_TRUE(s.points[0].isNull);
    EXPECT_EQ(s.points[0].x, 1);
    EXPECT_DOUBLE_EQ(s.points.last().x, 32);
    EXPECT_FALSE(s.points.last().isNull);
    fillOnlineLine(s, *yearOf({fullDayT(7, 30, 20)}), 7);
    ASSERT_EQ(s.points.size(), 1 + 30 * 8);
    EXPECT_DOUBLE_EQ(s.points.last().x, 31);

    // A day with hours 0..2 only: one point at d + 0.125, then breaks for the day.
    fillOnlineLine(s, *yearOf({dayLineT(8, 5, {20, 21, 25})}), 8);
    const int first = 1 + 4 * 8;
    EXPECT_DOUBLE_EQ(s.points[first].x, 5.125);
    EXPECT_FALSE(s.points[first].isNull);
    EXPECT_NEAR(s.points[first].y, 22, 1e-9);
    for (int b = 1; b < 8; ++b) EXPECT_TRUE(s.points[first + b].isNull) << b;

    // Invalid hours are left out of the mean, not counted as 0.
    fillOnlineLine(s, *yearOf({dayLineT(8, 1, {kMissing, 30, kMissing})}), 8);
    EXPECT_NEAR(s.points[1].y, 30, 1e-9);
}

class OnlineYearsTest : public RootFixture
{
};

TEST_F(OnlineYearsTest, MissingFilesHaveNoYearAndBadLinesKeepWhatWasRead)
{
    Device_Rec devices[1];
    devices[0].ID = "a";
    const char* names[] = {"Good", "Missing", "Broken", "Header"};
    for (int k = 0; k < 4; ++k) {
        devices[0].Sensor[k].Name = names[k];
        devices[0].Sensor[k].ChartIndex = k;
    }
    writeLines(path("3/a1_Good.rep"), {reportHeader(), fullDayT(7, 1, 20)});
    writeLines(path("3/a3_Broken.rep"), {reportHeader(), fullDayT(7, 1, 21),
                                         "x,2," + QString(48, QLatin1Char('P')) + ",3,0", fullDayT(7, 3, 21)});
    writeLines(path("3/a4_Header.rep"), {"a,b,c,T,e,1,T,low,26,j,k,3,7", fullDayT(7, 1, 22)});
    QStringList problems, unreadable;
    const OnlineYears years = loadOnlineYears(root(), 3, onlineChannels(devices, 0), &problems, &unreadable);
    EXPECT_EQ(years.count(1), 0u);
    ASSERT_EQ(years.count(0), 1u);
    EXPECT_EQ(years.at(0)->path, path("3/a1_Good.rep"));
    ASSERT_EQ(years.count(2), 1u);
    EXPECT_EQ(years.at(2)->hourValid[7][1][0], 1);
    EXPECT_EQ(years.at(2)->hourValid[7][3][0], 0);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith(path("3/a3_Broken.rep")));
    EXPECT_EQ(unreadable, QStringList{path("3/a4_Header.rep")});
    EXPECT_EQ(years.at(3)->hourValid[7][1][0], 1);  // the days are read all the same
}

}  // namespace
