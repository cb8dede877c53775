// An unattended download or a parameter send killed at any moment never leaves a
// truncated report file or ledger: each file is either as it was or complete. The
// audit journal is written before each report file is replaced, so the check then
// finds nothing, or only writes whose entry went out and whose file was never replaced;
// the next run reads those days again and the check finds nothing at all.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>
#include <signal.h>

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "app/ledger.h"
#include "support/devsim.h"
#include "support/fixtures.h"

namespace {

// A whole report file: CR LF after every line, a header, then day lines of 48 codes
// (or comment lines).
bool isWholeReport(const QByteArray& bytes, QString* why)
{
    if (!bytes.endsWith("\r\n")) return *why = "does not end with CR LF", false;
    const QList<QByteArray> lines = bytes.left(bytes.size() - 2).split('\n');
    static const QRegularExpression day(QStringLiteral("^\\d{1,2},\\d{1,2},.{48},\\d+,.*\\r$"));
    for (int i = 0; i < lines.size(); ++i) {
        const QString l = QString::fromLatin1(lines[i]) + (i + 1 < lines.size() ? QString() : QStringLiteral("\r"));
        if (!l.endsWith('\r')) return *why = "a line without CR", false;
        if (i > 0 && !l.contains("Comment") && !day.match(l).hasMatch())
            return *why = QStringLiteral("line %1 is not a whole day line: %2").arg(i).arg(l), false;
    }
    return true;
}

bool isWholeLedger(const QByteArray& bytes, QString* why)
{
    if (!bytes.endsWith("\r\n")) return *why = "does not end with CR LF", false;
    const QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines[0] != kLedgerHeader) return *why = "no header", false;
    for (const QString& l : lines.mid(1))
        if (l.count(',') != 9) return *why = "bad line " + l, false;
    return true;
}

class KillTest : public RootFixture
{
protected:
    // "--verify": nothing found, or only writes cut short between their entry and their
    // rename (at most one for each file: one writer in flight per file), and journal
    // lines cut off by the kill (a write of more than a page can stop at a page boundary
    // when the process is killed; its change was not made, since a file is replaced only
    // after its entry is on disk).
    void expectOnlyUnfinishedWrites(int round)
    {
        const ProgramRun check = runTermivo({"--verify", "--root", root(), "--format", "json"});
        ASSERT_TRUE(check.code == 0 || check.code == 1) << round << ": " << check.err.toStdString();
        const auto doc = nlohmann::json::parse(check.out.toStdString(), nullptr, false);
        ASSERT_TRUE(doc.is_object()) << check.out.toStdString();
        QSet<QString> files;
        for (const auto& f : doc["findings"]) {
            if (f["note"].get<bool>()) continue;
            const QString file = QString::fromStdString(f.value("file", std::string()));
            if (f["kind"] == "torn-last-line" || f["kind"] == "damaged-line") continue;
            EXPECT_EQ(f["kind"], "unfinished-write") << "round " << round << ": " << f.dump();
            EXPECT_FALSE(files.contains(file)) << "round " << round << ": two for " << file.toStdString();
            files.insert(file);
        }
    }
};

TEST_F(KillTest, KilledRunsLeaveEveryFileAsBeforeOrWhole)
{
    DevSim sim;
    QStringList fleet{"seed 11"};
    QStringList registry;
    for (int n = 1; n <= 3; ++n) {
        const QString a = DevSim::lanAddress(20 + n);
        const QChar id('A' + n - 1);
        fleet << QStringLiteral("device id=%1 link=%2 sensors=T,H,T,T clock-at=%3").arg(id).arg(a, fixedTestNowText());
        registry << QStringLiteral("device  =D%1,%2,s1,s2,s3,s4,%3,T,lan,").arg(n).arg(a).arg(id);
    }
    ASSERT_TRUE(sim.start(fleet.join('\n') + '\n', root())) << sim.output().toStdString();
    // No "parallel" line: the three devices are read side by side, as by default.
    writeLines(path("DeviceStatus.txt"), QStringList{"timeout = 500,100,300"} + registry);
    // The runs, and the devices, see the same fixed moment.
    const _SYSTEMTIME from = Date2Shamsi(fixedTestNow().date().addDays(-40), fixedTestNow(), ShamsiCalendar::Official);
    QStringList ledger{kLedgerHeader};
    for (int n = 0; n < 3; ++n)
        for (int s = 0; s < 4; ++s)
            ledger << QStringLiteral("%1,T,%2,0,%3,%4,%5,1,1,")
                          .arg(QChar('A' + n))
                          .arg(s)
                          .arg(from.wYear)
                          .arg(from.wMonth)
                          .arg(from.wDay);

    const QString program = QStringLiteral(TERMIVO_BINARY_DIR "/termivo");
    // A run asks 12 channels for their header and 41 days: 504 requests. Each round
    // kills the run after a random number of them (past the last one: while the last
    // files and the ledger are written, or after the run ended). Every third round
    // kills a parameter send instead, which carries new limits into the headers of
    // device A's report files once the device confirms them.
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> killAfter(1, 520);
    std::uniform_int_distribution<int> sendKillAfterMs(0, 40);
    int killedWhileRunning = 0;
    for (int round = 0; round < 15; ++round) {
        const bool send = round % 3 == 2;
        writeLines(path("last_refresh.txt"), ledger);  // every round has days to read
        const auto before = recordFiles(root());
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TERMIVO_NOW"), fixedTestNowText());
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        if (send) {
            const int target = sim.requests().size() + 2;  // the full read, then the send
            run.start(program, {"--set-params", "A", QStringLiteral("S0.Max1=%1").arg(40 + round), "--root", root()});
            ASSERT_TRUE(run.waitForStarted());
            for (int polls = 0; polls < 6000 && sim.requests().size() < target; ++polls)
                if (run.waitForFinished(5)) break;
            run.waitForFinished(sendKillAfterMs(rng));
        } else {
            const int target = sim.requests().size() + killAfter(rng);
            run.start(program, {"--download-all", "--root", root()});
            ASSERT_TRUE(run.waitForStarted());
            for (int polls = 0; polls < 6000 && sim.requests().size() < target; ++polls)
                if (run.waitForFinished(5)) break;
        }
        if (run.state() == QProcess::Running) {
            ::kill(static_cast<pid_t>(run.processId()), SIGKILL);
            run.waitForFinished();
            if (!send) ++killedWhileRunning;
        }
        const auto after = recordFiles(root());
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (before.value(it.key()) == it.value() || it.key().endsWith(kJournalFileName)) continue;
            QString why;
            const bool whole =
                it.key().endsWith(".txt") ? isWholeLedger(it.value(), &why) : isWholeReport(it.value(), &why);
            EXPECT_TRUE(whole) << it.key().toStdString() << ": " << why.toStdString();
        }
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            EXPECT_TRUE(after.contains(it.key())) << it.key().toStdString() << " disappeared";
        expectOnlyUnfinishedWrites(round);
    }
    EXPECT_GT(killedWhileRunning, 6);

    // A send and a run that are not killed write again whatever was cut short: the
    // records match the journal.
    ASSERT_EQ(runTermivo({"--set-params", "A", "S0.Max1=39", "--root", root()}).code, 0);
    writeLines(path("last_refresh.txt"), ledger);
    const ProgramRun last = runTermivo({"--download-all", "--root", root()});
    ASSERT_EQ(last.code, 0) << last.err.toStdString();
    // Journal lines cut off by a kill are accepted as such.
    const ProgramRun check = runTermivo({"--verify", "--adopt", "--root", root()});
    EXPECT_EQ(check.code, 0) << check.out.toStdString() << check.err.toStdString();
}

}  // namespace
