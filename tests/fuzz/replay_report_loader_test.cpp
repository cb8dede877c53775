// Replays the committed corpus of the report loader's fuzz target.
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "support/fixtures.h"

#define TERMIVO_FUZZ_REPLAY
#include "../../fuzz/fuzz_report_loader.cpp"  // NOLINT(bugprone-suspicious-include): replays the fuzz target

TEST(FuzzCorpus, ReportLoader)
{
    replayCorpus(QStringLiteral("report_loader"), fuzzReportLoader);
    setDialogs(nullptr);
}
