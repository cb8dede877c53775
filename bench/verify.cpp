// termivo --verify over a full fleet: 51 devices of 4 channels, each with a year file of
// 365 days, and a journal of one daily download per file for the year (74,460 entries,
// written through the journal's own writer), checked whole: the journal read and its
// chain checked, the entries replayed, every report file read and compared. The root
// lies in /dev/shm when there is one: the writer syncs every entry to disk, which
// would make building the journal take minutes on a disk and says nothing about the check.
#include "reports/verify.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/auditjournal.h"
#include "platform/textfile.h"
#include "reports/reportjournal.h"
#include "support/reportlines.h"

namespace {

QTemporaryDir& fleetRoot()
{
    static QTemporaryDir dir(
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/termivo-verify-XXXXXX") : QString());
    static const bool written = [] {
        writeFleetYear(
            dir.path(), {QStringLiteral("comment = Verify benchmark")}, [](int) { return QStringLiteral("T"); },
            [](int d, int ch, int n, int h) {
                return (h + n + ch + d) % 41 == 0 ? kMissing : 5 + 2.5 * std::sin(h / 3.8);
            });
        const QString root = dir.path() + QLatin1Char('/');
        JournalIdentity who;
        who.user = QStringLiteral("lab");
        QDateTime at(QDate(2026, 3, 21), QTime(23, 0), Qt::OffsetFromUTC, 12600);
        who.now = [&at] { return at; };
        AuditJournal journal(root, who);
        std::vector<std::pair<QString, ReportDigest>> files;
        for (const QString& key : yearFolderReportFiles(root))
            files.emplace_back(key, digestReportLines(readTextFile(root + key).lines));
        for (int day = 0; day < 365; ++day) {
            for (const auto& [key, digest] : files) {
                if (day >= int(digest.days.size())) continue;
                nlohmann::ordered_json details{{"file", key.toStdString()},
                                               {"device", key.mid(2, 1).toStdString()},
                                               {"channel", key.mid(3, 1).toInt()},
                                               {"created", day == 0}};
                // The file's digests before and after each write, as the writer records
                // them (each write's "before" is the last one's "after").
                const QString& name = key;  // clang 14 cannot capture a structured binding
                auto state = [&name](int n) { return sha256Hex((name + QString::number(n)).toUtf8()).toStdString(); };
                details["before"] = state(day);
                if (day == 0)
                    details["header"] = digest.header.toStdString();
                else
                    details["headerSha"] = lineDigest(digest.header).toStdString();
                details["days"] = dayDigestsJson({digest.days[size_t(day)]});
                details["after"] = state(day + 1);
                journal.append(QStringLiteral("report.download"), details);
            }
            at = at.addDays(1);
        }
        return true;
    }();
    (void)written;
    return dir;
}

void BM_VerifyFleet(benchmark::State& state)
{
    const QString root = fleetRoot().path() + QLatin1Char('/');
    // The CPU time of every thread of the process: the journal is read on several.
    auto processCpu = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    };
    const double cpuBefore = processCpu();
    for (auto _ : state) {
        const VerifyResult r = verifyRoot(root);
        if (r.status() != kVerifyMatches) state.SkipWithError("the fleet's files do not match their journal");
        state.counters["files"] = double(r.files.size());
        state.counters["entries"] = r.journalLines;
    }
    state.counters["process_cpu_s"] = (processCpu() - cpuBefore) / double(state.iterations());
}

void BM_ScanJournal(benchmark::State& state)
{
    const QString root = fleetRoot().path() + QLatin1Char('/');
    for (auto _ : state) benchmark::DoNotOptimize(scanJournal(journalPath(root)));
}

void BM_ReplayEntries(benchmark::State& state)
{
    const QString root = fleetRoot().path() + QLatin1Char('/');
    const JournalScan scan = scanJournal(journalPath(root));
    for (auto _ : state) benchmark::DoNotOptimize(replayReportEntries(scan));
}

void BM_DigestFiles(benchmark::State& state)
{
    const QString root = fleetRoot().path() + QLatin1Char('/');
    const QStringList keys = yearFolderReportFiles(root);
    for (auto _ : state)
        for (const QString& key : keys) benchmark::DoNotOptimize(digestReportLines(readTextFile(root + key).lines));
}

void BM_CompareFiles(benchmark::State& state)
{
    const QString root = fleetRoot().path() + QLatin1Char('/');
    const JournalScan scan = scanJournal(journalPath(root));
    const auto journalled = replayReportEntries(scan);
    const QStringList keys = yearFolderReportFiles(root);
    for (auto _ : state)
        for (const QString& key : keys)
            benchmark::DoNotOptimize(compareReportFile(key, readTextFile(root + key).lines, &journalled.at(key)));
}

}  // namespace

BENCHMARK(BM_VerifyFleet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanJournal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DigestFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareFiles)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
