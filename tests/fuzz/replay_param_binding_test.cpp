// Replays the committed corpus of the parameter binding's fuzz target.
#include <gtest/gtest.h>

#include "support/fixtures.h"

#define TERMIVO_FUZZ_REPLAY
#include "../../fuzz/fuzz_param_binding.cpp"  // NOLINT(bugprone-suspicious-include): replays the fuzz target

TEST(FuzzCorpus, ParamBinding)
{
    replayCorpus(QStringLiteral("param_binding"), fuzzParamBinding);
}
