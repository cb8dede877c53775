// The limits of a report file through time: the journal's headers placed on the hours of
// a month, the month chart's limit lines stepping where they changed, and the compliance
// figures judging each hour against the limits then in force.
#include <tuple>
#include <vector>

#include <QFile>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "platform/textfile.h"
#include "reports/limitshistory.h"
#include "reports/reportjournal.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/compliance.h"
#include "views/month.h"

namespace {

// Month 1405/3 (31 days, year folder 5), complete at the tests' fixed moment.
constexpr int kYear = 1405;
constexpr int kMonth = 3;

QDateTime localTime(int month, int day, int hour, int minute = 0)
{
    return QDateTime(fromShamsi({kYear, month, day}, ShamsiCalendar::Official), QTime(hour, minute));
}

QDateTime monthHour(int day, int hour, int minute = 0)
{
    return localTime(kMonth, day, hour, minute);
}

using Step = std::tuple<int, int, double, double>;  // from day, from hour, lower, upper

std::vector<Step> stepsOf(const MonthLimits& limits)
{
    std::vector<Step> steps;
    for (const LimitStep& s : limits.steps) steps.emplace_back(s.from.day, s.from.hour, s.lower, s.upper);
    return steps;
}

TEST(LimitsHistoryTest, EachChangeHoldsFromTheFirstHourThatStartsAtOrAfterIt)
{
    const QDateTime early = localTime(1, 1, 0);
    const QDateTime two = monthHour(10, 14);
    struct Case
    {
        const char* name;
        LimitsHistory history;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"on the hour", {{early, 18, 26}, {two, 19, 23}}, {{1, 0, 18, 26}, {10, 14, 19, 23}}},
        {"within an hour", {{early, 18, 26}, {monthHour(10, 14, 30), 19, 23}}, {{1, 0, 18, 26}, {10, 15, 19, 23}}},
        {"the same moment at another offset",
         {{early, 18, 26}, {two.toOffsetFromUtc(two.offsetFromUtc() - 5 * 3600), 19, 23}},
         {{1, 0, 18, 26}, {10, 14, 19, 23}}},
        {"only the upper limit, then back",
         {{early, 18, 26}, {two, 18, 23}, {monthHour(20, 0), 18, 26}},
         {{1, 0, 18, 26}, {10, 14, 18, 23}, {20, 0, 18, 26}}},
        {"before the month", {{early, 18, 26}, {localTime(2, 31, 23), 19, 23}}, {{1, 0, 19, 23}}},
        {"after the month", {{early, 18, 26}, {localTime(4, 1, 0), 19, 23}}, {{1, 0, 18, 26}}},
        {"the first header holds before it",
         {{monthHour(5, 0), 18, 26}, {two, 19, 23}},
         {{1, 0, 18, 26}, {10, 14, 19, 23}}},
        {"a clock set back: the later entry wins from its time",
         {{early, 18, 26}, {monthHour(20, 0), 19, 23}, {monthHour(15, 0), 20, 24}},
         {{1, 0, 18, 26}, {15, 0, 20, 24}}},
    };
    ReportHeaderFields header;
    header.lowLimit = -1;
    header.highLimit = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(stepsOf(monthLimits(c.history, header, kYear, kMonth, ShamsiCalendar::Official)), c.steps);
    }
    EXPECT_EQ(stepsOf(monthLimits({}, header, kYear, kMonth, ShamsiCalendar::Official)),
              (std::vector<Step>{{1, 0, -1, 1}}));
}

TEST(LimitsHistoryTest, OnlyReadableHeadersCountAndUnchangedLimitsAreNoHistory)
{
    const QString old = reportHeader();
    const QString changed =
        reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("19"), QStringLiteral("23"));
    JournalledReport file;
    file.headers = {{monthHour(1, 0), old, 1},
                    {monthHour(2, 0), QStringLiteral("SenPara,1,1"), 2},
                    {QDateTime(), changed, 3},
                    {monthHour(3, 0), old, 4}};
    EXPECT_TRUE(limitsHistoryOf(file).empty());
    file.headers.push_back({monthHour(4, 0), changed, 5});
    const LimitsHistory history = limitsHistoryOf(file);
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[1].since, monthHour(3, 0));
    EXPECT_EQ(history[2].lower, 19);
    EXPECT_EQ(history[2].upper, 23);
}

// A file whose limits went from 18 .. 26 to 19 .. 23 on 5/3/10 at 14:00, as its header
// now says. Every hour holds 22 but: 24 on 3/5 03:00 (within the old limits); on 3/10
// 18.5 at 12:00 and 17 at 13:00 (below 18 only at 13:00), 17 at 14:00 and 18.5 at 15:00
// (below 19), 24 at 16:00; 24 on 3/12 08:00.
class LimitsJournalTest : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        file = path(QStringLiteral("5/A1_Temp.rep"));
        QStringList lines{newHeader};
        for (int d = 1; d <= 31; ++d) {
            std::vector<double> hours(24, 22);
            if (d == 5) hours[3] = 24;
            if (d == 10) hours[12] = 18.5, hours[13] = 17, hours[14] = 17, hours[15] = 18.5, hours[16] = 24;
            if (d == 12) hours[8] = 24;
            lines << dayLineT(kMonth, d, hours, QStringLiteral("5"));
        }
        writeLines(file, lines);
    }

    ReportYear loaded() const
    {
        ReportYear year = loadReportYear(readTextFile(file).lines);
        year.limitsHistory = readLimitsHistory(root(), file);
        return year;
    }
    static MonthView view(const ReportYear& year, std::optional<MonthLimits> limits)
    {
        MonthViewOptions o;
        o.period = 1;
        o.showMinMax = true;
        o.yearText = QStringLiteral("5");
        o.limits = std::move(limits);
        return buildMonthView(year, kMonth, o);
    }
    static MonthLimits limitsOf(const ReportYear& year)
    {
        return monthLimitsOf(year, 5, kMonth, fixedTestNow(), ShamsiCalendar::Official);
    }
    static MonthCompliance figures(const ReportYear& year, std::optional<MonthLimits> limits)
    {
        ComplianceOptions o;
        o.limits = std::move(limits);
        return computeMonthCompliance(year, kMonth, 31, o);
    }
    static std::vector<std::pair<double, double>> points(const MonthView& v, int series)
    {
        std::vector<std::pair<double, double>> p;
        for (const ChartPoint& c : v.chart.series[series].points) p.emplace_back(c.x, c.y);
        return p;
    }

    const QString oldHeader = reportHeader();
    const QString newHeader =
        reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("19"), QStringLiteral("23"));
    QString file;
};

TEST_F(LimitsJournalTest, LimitLinesStepAndHoursAreJudgedByTheLimitsInForce)
{
    journalHeaderChange(root(), file, oldHeader, newHeader, localTime(1, 1, 0), monthHour(10, 14));
    const ReportYear year = loaded();
    ASSERT_EQ(year.limitsHistory.size(), 2u);
    const MonthLimits limits = limitsOf(year);

    const MonthView v = view(year, limits);
    const double x = 10 + 14 / 24.0;
    EXPECT_EQ(points(v, kSeriesLowerLimit),
              (std::vector<std::pair<double, double>>{{0, 18}, {x, 18}, {x, 19}, {32, 19}}));
    EXPECT_EQ(points(v, kSeriesUpperLimit),
              (std::vector<std::pair<double, double>>{{0, 26}, {x, 26}, {x, 23}, {32, 23}}));

    const MonthCompliance c = figures(year, limits);
    EXPECT_EQ(c.hoursBelow, 3);
    EXPECT_EQ(c.hoursAbove, 2);
    EXPECT_EQ(c.lowerLimit, 19);  // at the month's end
    EXPECT_EQ(c.upperLimit, 23);
    ASSERT_EQ(c.excursions.size(), 3);
    EXPECT_EQ(c.excursions[0].first, (MonthHour{10, 13}));
    EXPECT_EQ(c.excursions[0].hours, 3);  // one run across the change
    // The low run's band reaches from the lower limit of each of its hours.
    const QList<ChartBand> bands = excursionBands(c);
    ASSERT_EQ(bands.size(), 4);
    EXPECT_DOUBLE_EQ(bands[0].from, 10 + 13 / 24.0);
    EXPECT_DOUBLE_EQ(bands[0].to, x);
    EXPECT_EQ(bands[0].limit, 18);
    EXPECT_DOUBLE_EQ(bands[1].from, x);
    EXPECT_DOUBLE_EQ(bands[1].to, 10 + 16 / 24.0);
    EXPECT_EQ(bands[1].limit, 19);
    EXPECT_FALSE(bands[1].above);
    EXPECT_EQ(bands[2].limit, 23);
    EXPECT_TRUE(bands[2].above);

    // An earlier month lies wholly under the first limits.
    const MonthLimits earlier = monthLimitsOf(year, 5, 2, fixedTestNow(), ShamsiCalendar::Official);
    EXPECT_EQ(stepsOf(earlier), (std::vector<Step>{{1, 0, 18, 26}}));
}

// Without a journal, with one that names only the file's adoption, and with one whose
// change is another file's, the month is drawn and judged by the header as it always was.
TEST_F(LimitsJournalTest, NoJournalledChangeDrawsAndCountsByTheHeader)
{
    for (int setup = 0; setup < 3; ++setup) {
        SCOPED_TRACE(setup);
        QFile::remove(journalPath(root()));
        if (setup == 1) {
            AuditJournal journal(root());
            ReportDigest adopted;
            adopted.header = newHeader;
            journal.append(QStringLiteral("report.adopt"),
                           reportAdoptDetails(journalFileKey(root(), file), kAdoptAtFirstWrite, adopted));
        }
        if (setup == 2)
            journalHeaderChange(root(), path(QStringLiteral("5/A2_Temp.rep")), oldHeader, newHeader, localTime(1, 1, 0),
                                monthHour(10, 14));
        const ReportYear year = loaded();
        EXPECT_TRUE(year.limitsHistory.empty());

        const MonthView asAlways = view(year, std::nullopt);
        const MonthView withLimits = view(year, limitsOf(year));
        for (int s = 0; s < kMonthSeriesCount; ++s) {
            ASSERT_EQ(asAlways.chart.series[s].points.size(), withLimits.chart.series[s].points.size());
            for (qsizetype i = 0; i < asAlways.chart.series[s].points.size(); ++i) {
                const ChartPoint& a = asAlways.chart.series[s].points[i];
                const ChartPoint& b = withLimits.chart.series[s].points[i];
                EXPECT_TRUE(a.x == b.x && a.y == b.y && a.isNull == b.isNull && a.label == b.label) << s << ' ' << i;
            }
        }
        EXPECT_EQ(points(withLimits, kSeriesUpperLimit), (std::vector<std::pair<double, double>>{{0, 23}, {32, 23}}));
        EXPECT_EQ(asAlways.chart.foot, withLimits.chart.foot);
        EXPECT_EQ(monthTableLines(asAlways.table), monthTableLines(withLimits.table));

        for (const MonthCompliance& c : {figures(year, std::nullopt), figures(year, limitsOf(year))}) {
            EXPECT_EQ(c.hoursBelow, 4);
            EXPECT_EQ(c.hoursAbove, 3);
            EXPECT_FALSE(c.limits.changed());
        }
    }
}

}  // namespace
