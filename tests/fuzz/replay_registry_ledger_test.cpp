// Replays the committed corpus of the registry and ledger fuzz target.
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "support/fixtures.h"

#define TERMIVO_FUZZ_REPLAY
#include "../../fuzz/fuzz_registry_ledger.cpp"

TEST(FuzzCorpus, RegistryLedger)
{
    replayCorpus(QStringLiteral("registry_ledger"), fuzzRegistryLedger);
    setDialogs(nullptr);
}
