// The report file loader: codes, header, day and comment lines, and the year a load
// gives (hours, validity, header, remarks, where the day lines ran).
#include "reports/loader.h"

#include <cmath>
#include <memory>

#include "platform/errors.h"
#include "support/fixtures.h"
#include "support/reportlines.h"

namespace {

// A year is large (two tables of 13 x 32 x 24): tests keep it on the heap.
std::unique_ptr<ReportYear> load(const QStringList& lines, const ReportHeaderFields& start = {})
{
    auto year = std::make_unique<ReportYear>();
    year->header = start;
    loadReportYear(*year, lines);
    return year;
}

TEST(ReportLoader, CodeValueFollowsTheSensorType)
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
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(codeValue(QString::fromLatin1(c.type), QString::fromLatin1(c.code)), c.value)
            << c.type << " " << c.code;
    EXPECT_TRUE(std::isnan(codeValue(QStringLiteral("T"), QStringLiteral("<"))));
    EXPECT_TRUE(std::isnan(codeValue(QStringLiteral("T"), QStringLiteral("<<<"))));
}

TEST(SplitPara1, CutsAtEveryDelimiterAndKeepsEmptyFields)
{
    EXPECT_EQ(SplitPara1(QStringLiteral("a(b,c)d"), QStringLiteral(",()")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitPara1(QStringLiteral("a,,b,"), QStringLiteral(",")), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(SplitPara1(QString(), QStringLiteral(",")), QStringList{QString()});
}

TEST(ReportLoader, ReadsHeaderDaysAndComments)
{
    const auto year =
        load({reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("18.5"), QStringLiteral("26")),
              dayLineT(7, 1, {20.5, kMissing, 200, -100, 159.9, 160}, QStringLiteral("98")),
              QStringLiteral("Comment,7,98/7/3 10:5:door opened, alarm"), fullDayT(8, 31, 21.25),
              QStringLiteral("Comment,8,note")});
    const ReportHeaderFields& h = year->header;
    EXPECT_TRUE(year->headerRead);
    EXPECT_FALSE(year->headerUnreadable);
    EXPECT_EQ(h.devType, QStringLiteral("H"));
    EXPECT_EQ(h.sensorType, QStringLiteral("T"));
    EXPECT_EQ(h.senNumber, 1);
    EXPECT_DOUBLE_EQ(h.lowLimit, 18.5);
    EXPECT_DOUBLE_EQ(h.highLimit, 26);
    EXPECT_EQ(h.logYear, 3);
    EXPECT_EQ(h.logMonth, 7);
    EXPECT_EQ(year->firstMonth, 7);
    EXPECT_EQ(year->lastMonth, 8);
    EXPECT_EQ(year->lastLineMonth, 8);
    EXPECT_EQ(year->lastLineYear, QStringLiteral("3"));
    EXPECT_EQ(year->dayLines, 2);

    const int valid[] = {1, 0, 0, 1, 1, 0};
    const double value[] = {20.5, 0, 0, -100, 159.9, 0};
    for (int hour = 0; hour < 6; ++hour) {
        EXPECT_EQ(year->hourValid[7][1][hour], valid[hour]) << hour;
        EXPECT_NEAR(year->hourValue[7][1][hour], value[hour], 1e-9) << hour;
    }
    EXPECT_EQ(year->hourValid[7][1][6], 0);
    EXPECT_EQ(year->hourValid[7][2][0], 0);
    EXPECT_EQ(year->hourValid[8][31][23], 1);
    EXPECT_NEAR(year->hourValue[8][31][23], 21.3, 1e-9);  // codes hold tenths
    // The remark keeps its commas: everything after the month field.
    EXPECT_EQ(year->remarks[7], QStringList{QStringLiteral("98/7/3 10:5:door opened, alarm")});
    EXPECT_EQ(year->remarks[8], QStringList{QStringLiteral("note")});
}

TEST(ReportLoader, AHeaderWithoutDaysLeavesEveryHourMissing)
{
    auto year = std::make_unique<ReportYear>();
    year->hourValid[3][3][3] = 1;
    year->remarks[4] << QStringLiteral("old");
    year->lastLineMonth = 5;
    loadReportYear(*year, {reportHeader()});
    EXPECT_EQ(year->firstMonth, 13);
    EXPECT_EQ(year->lastMonth, 0);
    EXPECT_EQ(year->lastLineMonth, 0);
    EXPECT_FALSE(year->lastLineYear);
    EXPECT_EQ(year->hourValid[3][3][3], 0);
    EXPECT_TRUE(year->remarks[4].isEmpty());
}

TEST(ReportLoader, TheLaterCopyOfADayWins)
{
    const auto year = load({reportHeader(), fullDayT(7, 15, 20), dayLineT(7, 15, {kMissing, 25})});
    EXPECT_EQ(year->hourValid[7][15][0], 0);
    EXPECT_DOUBLE_EQ(year->hourValue[7][15][1], 25);
    EXPECT_EQ(year->hourValid[7][15][2], 0);
}

// Lines that have no place in the tables are skipped without touching them.
TEST(ReportLoader, SkipsLinesOutsideTheTables)
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
        const auto year = load({reportHeader(), c.line});
        EXPECT_EQ(year->dayLines, 0);
        EXPECT_EQ(year->skippedLines, 1);
        EXPECT_EQ(year->lastLineMonth, 0);
        EXPECT_EQ(year->firstMonth, 13);
        for (int m = 1; m <= 12; ++m) EXPECT_TRUE(year->remarks[m].isEmpty());
    }
}

TEST(ReportLoader, AShortCodesFieldLeavesTheMissingHoursMissing)
{
    // 20 codes and a long extra field: the line is long enough, its codes are not.
    const QString codes = fullDayT(7, 1, 20).section(QLatin1Char(','), 2, 2).left(41);
    auto year = std::make_unique<ReportYear>();
    year->hourValid[7][1][23] = 1;
    loadReportYear(*year, {reportHeader(), QStringLiteral("7,1,%1,3,%2").arg(codes, QString(40, QLatin1Char('x')))});
    for (int h = 0; h < 20; ++h) EXPECT_EQ(year->hourValid[7][1][h], 1) << h;
    for (int h = 20; h < 24; ++h) EXPECT_EQ(year->hourValid[7][1][h], 0) << h;
}

TEST(ReportLoader, ErrorsStopTheLoadWhereTheyOccur)
{
    auto year = std::make_unique<ReportYear>();
    EXPECT_THROW(loadReportYear(*year, {}), ListIndexError);
    const QStringList bad[] = {
        {reportHeader(), fullDayT(7, 1, 20), QStringLiteral("x,2,%1,3,0").arg(QString(48, QLatin1Char('P')))},
        {reportHeader(), fullDayT(7, 1, 20), QStringLiteral("7,2x,%1,3,0").arg(QString(48, QLatin1Char('P')))},
        {reportHeader(), fullDayT(7, 1, 20), QStringLiteral("Comment,seven,x")},
    };
    for (const auto& lines : bad) {
        EXPECT_THROW(loadReportYear(*year, lines), ConvertError);
        EXPECT_EQ(year->hourValid[7][1][0], 1);  // what was read before the bad line stays
        EXPECT_EQ(year->hourValid[7][2][0], 0);
    }
}

TEST(ReportLoader, HeaderRules)
{
    ReportHeaderFields start;
    start.lowLimit = 5;
    start.sensorType = QStringLiteral("H");

    // 12 fields: not read, the starting fields stay.
    auto year = load({QStringLiteral("a,b,c,T,e,2,T,1,2,j,k,l")}, start);
    EXPECT_FALSE(year->headerRead);
    EXPECT_FALSE(year->headerUnreadable);
    EXPECT_EQ(year->header.sensorType, QStringLiteral("H"));
    EXPECT_DOUBLE_EQ(year->header.lowLimit, 5);

    // A header the limit editors rewrote (16 fields and a final comma) reads as before.
    year = load({QStringLiteral("a,b,c,D,e,2,T,1.5,30,j,k,4,9,n,o,p,")}, start);
    EXPECT_TRUE(year->headerRead);
    EXPECT_EQ(year->header.senNumber, 2);
    EXPECT_DOUBLE_EQ(year->header.highLimit, 30);
    EXPECT_EQ(year->header.logMonth, 9);

    // A bad upper limit: unreadable, the fields before it are set, the rest keep their values.
    start = year->header;
    year = load({QStringLiteral("a,b,c,X,e,3,H,2.5,high,j,k,5,10")}, start);
    EXPECT_FALSE(year->headerRead);
    EXPECT_TRUE(year->headerUnreadable);
    EXPECT_EQ(year->header.devType, QStringLiteral("X"));
    EXPECT_EQ(year->header.sensorType, QStringLiteral("H"));
    EXPECT_DOUBLE_EQ(year->header.lowLimit, 2.5);
    EXPECT_DOUBLE_EQ(year->header.highLimit, 30);
    EXPECT_EQ(year->header.logYear, 4);
}

}  // namespace
