// termivo --report over a full fleet: 51 devices of 4 channels, each with a year file
// of 365 days (a daily swing inside its limits, an excursion a week and a few missing
// hours), for one month
// and for the whole year, in each text format, from reading the registry to writing
// the output. The program's clock stands after the year.
#include <benchmark/benchmark.h>
#include <cmath>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/calendar.h"
#include "app/rootdir.h"
#include "platform/textfile.h"
#include "support/reportlines.h"
#include "views/compliancereport.h"

namespace {

QTemporaryDir& fleetRoot()
{
    static QTemporaryDir dir;
    static const bool written = [] {
        writeFleetYear(
            dir.path(), {QStringLiteral("comment = Fleet benchmark")}, [](int) { return QStringLiteral("T"); },
            [](int d, int ch, int n, int h) {
                // A door left open: three hours above the limit, once a week.
                return (h + n + ch) % 41 == 0                  ? kMissing
                       : (n + d) % 7 == 0 && h >= 10 && h < 13 ? 9.5
                                                               : 5 + 2.5 * std::sin((h + d) / 3.8);
            });
        return true;
    }();
    (void)written;
    return dir;
}

void BM_FleetReport(benchmark::State& state, const char* format, bool wholeYear)
{
    const QString root = fleetRoot().path();
    setProgramNowForTests(QDateTime(QDate(2027, 4, 4), QTime(12, 0)));  // 1406/1/15
    const QString out = root + QStringLiteral("/out.") + QLatin1String(format);
    QStringList args{"--report", "--root", root, "--format", QLatin1String(format), "--out", out};
    args << (wholeYear ? QStringList{"--from", "5/1", "--to", "5/12"} : QStringList{"--month", "5/7"});
    QString sink;
    QTextStream text(&sink);
    for (auto _ : state) {
        const int status = runReport(args, text, text, nullptr);
        if (status != 0) state.SkipWithError("the report failed");
    }
    state.counters["channels"] = 204;
    setProgramNowForTests({});
}

}  // namespace

BENCHMARK_CAPTURE(BM_FleetReport, month_text, "text", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FleetReport, month_csv, "csv", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FleetReport, month_json, "json", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FleetReport, year_text, "text", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FleetReport, year_csv, "csv", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FleetReport, year_json, "json", true)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
