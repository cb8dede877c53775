// A full year of one channel (366 day lines, a hundred comment lines): reading and
// loading it, drawing one month as content, its compliance figures, and rendering that
// content with QCustomPlot into a pixmap, each measured on its own. Runs on Qt's
// offscreen platform unless another is set.
#include "views/month.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

#include <QApplication>
#include <QPixmap>
#include <QTableWidget>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "platform/textfile.h"
#include "reports/loader.h"
#include "views/compliance.h"
#include "views/ui/monthview.h"

namespace {

QString code(double v)
{
    const int r = static_cast<int>(std::lround((v + 100) * 10));
    return QString(QChar(60 + r / 60)) + QChar(60 + r % 60);
}

// 366 day lines (the whole year, months of 31 and 30 days and one day more), with a
// few missing hours, and a hundred comment lines spread over the months.
QStringList fullYear()
{
    QStringList lines{QStringLiteral("SenPara,1,1,H,0,1,T,18,26,0,0,3,1,0,0,0,")};
    int comments = 0;
    for (int n = 1; n <= 366; ++n) {
        int month = 0, day = 0;
        Num2MonthDay(std::min(n, 365), month, day);
        if (n == 366) day = 31;  // the leap day stands on its own line
        QString codes;
        for (int h = 0; h < 24; ++h)
            codes += (h + n) % 17 == 0 ? QStringLiteral("??") : code(22 + 4 * std::sin(h / 3.8) + (n % 7) * 0.1);
        lines << QStringLiteral("%1,%2,%3,3,0").arg(month).arg(day).arg(codes);
        if (n % 4 == 0 && comments < 100) {
            lines << QStringLiteral("Comment,%1,3/%1/%2 10:5:sensor checked").arg(month).arg(day);
            ++comments;
        }
    }
    while (comments++ < 100) lines << QStringLiteral("Comment,12,3/12/30 9:0:year closed");
    return lines;
}

MonthViewOptions options(int period)
{
    MonthViewOptions o;
    o.period = period;
    o.showMinMax = true;
    return o;
}

void BM_LoadYearLines(benchmark::State& state)
{
    const QStringList lines = fullYear();
    auto year = std::make_unique<ReportYear>();
    for (auto _ : state) {
        loadReportYear(*year, lines);
        benchmark::DoNotOptimize(year->hourValue[7][15][3]);
    }
    state.counters["lines"] = double(lines.size());
}

void BM_ReadAndLoadYearFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("A1_Temp.rep"));
    writeTextFile(path, fullYear());
    auto year = std::make_unique<ReportYear>();
    for (auto _ : state) {
        loadReportYear(*year, readTextFile(path).lines);
        benchmark::DoNotOptimize(year->hourValue[7][15][3]);
    }
}

// Building one month's view from a loaded year.
void BM_DrawMonthContent(benchmark::State& state)
{
    const ReportYear year = loadReportYear(fullYear());
    const MonthViewOptions o = options(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const MonthView view = buildMonthView(year, 6, o);
        benchmark::DoNotOptimize(view.periodAverages.size());
    }
}

void BM_LoadAndDrawMonthContent(benchmark::State& state)
{
    const QStringList lines = fullYear();
    auto year = std::make_unique<ReportYear>();
    for (auto _ : state) {
        loadReportYear(*year, lines);
        const MonthView view = buildMonthView(*year, year->lastLineMonth, options(3));
        benchmark::DoNotOptimize(view.periodAverages.size());
    }
}

// The compliance figures of one month of a loaded year: one pass over its hours.
void BM_MonthCompliance(benchmark::State& state)
{
    ReportYear year = loadReportYear(fullYear());
    year.header.lowLimit = 19;  // the sample's daily swing crosses both limits
    year.header.highLimit = 25;
    for (auto _ : state) {
        const MonthCompliance c = computeMonthCompliance(year, 3, 6, {});
        benchmark::DoNotOptimize(c.mkt);
    }
}

MonthView sampleMonth(int period)
{
    const ReportYear year = loadReportYear(fullYear());
    MonthView view = buildMonthView(year, 6, options(period));
    view.chart.title = chartTitle({QStringLiteral("آزمایشگاه")}, QStringLiteral("A1_Temp"));
    return view;
}

void BM_RenderMonthChart(benchmark::State& state)
{
    const MonthView view = sampleMonth(static_cast<int>(state.range(0)));
    QCustomPlot chart;
    chart.resize(1280, 720);
    for (auto _ : state) {
        // Sets the chart from the content and replots it into the view's pixmap buffer.
        renderMonthChart(&chart, view.chart);
        benchmark::DoNotOptimize(chart.graph(kSeriesSensor)->dataCount());
    }
}

// The drawn chart painted into a new QPixmap (as a picture export does).
void BM_MonthChartToPixmap(benchmark::State& state)
{
    const MonthView view = sampleMonth(static_cast<int>(state.range(0)));
    QCustomPlot chart;
    chart.resize(1280, 720);
    renderMonthChart(&chart, view.chart);
    for (auto _ : state) {
        const QPixmap pixmap = chart.toPixmap(1280, 720);
        benchmark::DoNotOptimize(pixmap.cacheKey());
    }
}

void BM_RenderMonthTable(benchmark::State& state)
{
    const MonthView view = sampleMonth(1);
    QTableWidget table;
    for (auto _ : state) {
        renderMonthTable(&table, view.table);
        benchmark::DoNotOptimize(table.rowCount());
    }
}

}  // namespace

BENCHMARK(BM_LoadYearLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadAndLoadYearFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawMonthContent)->Arg(1)->Arg(3)->Arg(24)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAndDrawMonthContent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MonthCompliance)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderMonthChart)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MonthChartToPixmap)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderMonthTable)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Noto Sans Arabic"), QStringLiteral("Noto Sans")});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
