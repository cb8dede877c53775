// Replays the committed corpus of the registry and ledger fuzz target.
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "support/fixtures.h"

#define TERMIVO_FUZZ_REPLAY
// The fuzz target's source itself, so that its entry point runs here on the corpus.
#include "../../fuzz/fuzz_registry_ledger.cpp"  // NOLINT(bugprone-suspicious-include)

TEST(FuzzCorpus, RegistryLedger)
{
    replayCorpus(QStringLiteral("registry_ledger"), fuzzRegistryLedger);
    setDialogs(nullptr);
}
