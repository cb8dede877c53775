// termivo --export-openmetrics over a full fleet: 51 devices of 4 channels (three
// temperature, one humidity), each with a year file of 365 days with a few missing
// hours (about 1.8 million samples), from reading the registry to the written file.
// The program's clock stands after the year.
#include <benchmark/benchmark.h>
#include <cmath>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/calendar.h"
#include "platform/textfile.h"
#include "support/reportlines.h"
#include "views/openmetricsexport.h"

namespace {

QTemporaryDir& fleetRoot()
{
    static QTemporaryDir dir;
    static const bool written = [] {
        writeFleetYear(
            dir.path(), {}, [](int ch) { return ch == 4 ? QStringLiteral("H") : QStringLiteral("T"); },
            [](int d, int ch, int n, int h) {
                return (h + n + ch) % 41 == 0 ? kMissing : 5 + 2.5 * std::sin((h + d) / 3.8);
            });
        return true;
    }();
    (void)written;
    return dir;
}

void BM_OpenMetricsYear(benchmark::State& state)
{
    const QString root = fleetRoot().path();
    setProgramNowForTests(QDateTime(QDate(2027, 4, 4), QTime(12, 0)));  // 1406/1/15
    const QString out = root + QStringLiteral("/history.om");
    const QStringList args{"--export-openmetrics", "--root", root, "--from", "5/1", "--to", "5/12", "--out", out};
    QString sink;
    QTextStream text(&sink);
    for (auto _ : state) {
        if (runExportOpenMetrics(args, text, text) != 0) state.SkipWithError("the export failed");
        text.flush();
        if (!sink.isEmpty()) state.SkipWithError(qPrintable(sink));
    }
    state.counters["MB"] = double(QFileInfo(out).size()) / 1e6;
    QFile written(out);
    qint64 lines = 0;
    if (written.open(QIODevice::ReadOnly))
        while (!written.atEnd()) lines += written.read(1 << 20).count('\n');
    state.counters["lines"] = double(lines);
    setProgramNowForTests({});
}

}  // namespace

BENCHMARK(BM_OpenMetricsYear)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
