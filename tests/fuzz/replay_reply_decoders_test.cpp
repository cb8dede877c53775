// Replays the committed corpus of the reply decoders' fuzz target.
#include <gtest/gtest.h>

#include "support/fixtures.h"

#define TERMIVO_FUZZ_REPLAY
// The fuzz target's source itself, so that its entry point runs here on the corpus.
#include "../../fuzz/fuzz_reply_decoders.cpp"  // NOLINT(bugprone-suspicious-include)

TEST(FuzzCorpus, ReplyDecoders)
{
    replayCorpus(QStringLiteral("reply_decoders"), fuzzReplyDecoders);
}
