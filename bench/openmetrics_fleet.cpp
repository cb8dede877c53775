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
        const QString root = dir.path() + QLatin1Char('/');
        QDir().mkpath(root + QStringLiteral("5"));
        QStringList registry;
        for (int d = 0; d < 51; ++d) {
            // One character a device, as the registry takes IDs: A..Z, 0..9, then Arabic letters.
            const QString id = QString(d < 26   ? QChar(0x41 + d)
                                       : d < 36 ? QChar(0x30 + d - 26)
                                                : QChar(0x628 + d - 36));
            registry << QStringLiteral("device  =Store %1,127.0.0.%2,S1,S2,S3,S4,%3,T,lan,").arg(d).arg(d + 11).arg(id);
            for (int ch = 1; ch <= 4; ++ch) {
                QStringList lines{reportHeader(QStringLiteral("H"), ch == 4 ? QStringLiteral("H") : QStringLiteral("T"),
                                               QStringLiteral("2"), QStringLiteral("8"))};
                for (int n = 1; n <= 365; ++n) {
                    int month = 0, day = 0;
                    Num2MonthDay(n, month, day);
                    std::vector<double> hours(24);
                    for (int h = 0; h < 24; ++h)
                        hours[h] = (h + n + ch) % 41 == 0 ? kMissing : 5 + 2.5 * std::sin((h + d) / 3.8);
                    lines << dayLineT(month, day, hours, QStringLiteral("5"));
                }
                writeTextFile(root + QStringLiteral("5/%1%2_S%2.rep").arg(id).arg(ch), lines);
            }
        }
        writeTextFile(root + QStringLiteral("DeviceStatus.txt"), registry);
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
