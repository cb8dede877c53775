// A full year of one channel (366 day lines, a hundred comment lines): reading and
// loading it, drawing one month as content, and rendering that content with
// QCustomPlot into a pixmap, each measured on its own. Runs on Qt's offscreen
// platform unless another is set.
#include "views/month.h"

#include <benchmark/benchmark.h>
#include <cmath>

#include <QApplication>
#include <QPixmap>
#include <QTableWidget>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "app/records.h"
#include "platform/dialogs.h"
#include "platform/textfile.h"
#include "reports/loader.h"
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

void prepare()
{
    static SilentDialogs quiet;
    setDialogs(&quiet);
    CurChart.Avr_Hour = 3;
}

void BM_LoadYearLines(benchmark::State& state)
{
    prepare();
    const QStringList lines = fullYear();
    for (auto _ : state) {
        LoadReportFile(lines);
        benchmark::DoNotOptimize(HourValue[7][15][3]);
    }
    state.counters["lines"] = lines.size();
}

void BM_ReadAndLoadYearFile(benchmark::State& state)
{
    prepare();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("A1_Temp.rep"));
    writeTextFile(path, fullYear());
    for (auto _ : state) {
        LoadReportFile(readTextFile(path).lines);
        benchmark::DoNotOptimize(HourValue[7][15][3]);
    }
}

void BM_DrawMonthContent(benchmark::State& state)
{
    prepare();
    LoadReportFile(fullYear());
    CurChart.Avr_Hour = static_cast<int>(state.range(0));
    for (auto _ : state) {
        DrawMonth(MonthChart, 6, true, true);
        benchmark::DoNotOptimize(PeriodAvg.size());
    }
}

void BM_LoadAndDrawMonthContent(benchmark::State& state)
{
    prepare();
    const QStringList lines = fullYear();
    for (auto _ : state) {
        LoadReportFile(lines);
        DrawMonth(MonthChart, CurChart.Curr_Mon, true, true);
        benchmark::DoNotOptimize(PeriodAvg.size());
    }
}

void BM_RenderMonthChart(benchmark::State& state)
{
    prepare();
    LoadReportFile(fullYear());
    CurChart.Avr_Hour = static_cast<int>(state.range(0));
    DrawMonth(MonthChart, 6, true, true);
    MonthChart.title = chartTitle({QStringLiteral("آزمایشگاه")}, QStringLiteral("A1_Temp"));
    QCustomPlot chart;
    chart.resize(1280, 720);
    for (auto _ : state) {
        // Sets the chart from the content and replots it into the view's pixmap buffer.
        renderMonthChart(&chart, MonthChart);
        benchmark::DoNotOptimize(chart.graph(kSeriesSensor)->dataCount());
    }
}

// The drawn chart painted into a new QPixmap (as a picture export does).
void BM_MonthChartToPixmap(benchmark::State& state)
{
    prepare();
    LoadReportFile(fullYear());
    CurChart.Avr_Hour = static_cast<int>(state.range(0));
    DrawMonth(MonthChart, 6, true, true);
    QCustomPlot chart;
    chart.resize(1280, 720);
    renderMonthChart(&chart, MonthChart);
    for (auto _ : state) {
        const QPixmap pixmap = chart.toPixmap(1280, 720);
        benchmark::DoNotOptimize(pixmap.cacheKey());
    }
}

void BM_RenderMonthTable(benchmark::State& state)
{
    prepare();
    LoadReportFile(fullYear());
    CurChart.Avr_Hour = 1;
    DrawMonth(MonthChart, 6, true, true);
    QTableWidget table;
    for (auto _ : state) {
        renderMonthTable(&table, MonthTable);
        benchmark::DoNotOptimize(table.rowCount());
    }
}

}  // namespace

BENCHMARK(BM_LoadYearLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadAndLoadYearFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawMonthContent)->Arg(1)->Arg(3)->Arg(24)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAndDrawMonthContent)->Unit(benchmark::kMicrosecond);
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
