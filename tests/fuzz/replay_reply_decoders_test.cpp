// Replays the committed corpus of the reply decoders' fuzz target.
#include <gtest/gtest.h>

#include "support/fixtures.h"

#define TERMIVO_FUZZ_REPLAY
#include "../../fuzz/fuzz_reply_decoders.cpp"

TEST(FuzzCorpus, ReplyDecoders)
{
    replayCorpus(QStringLiteral("reply_decoders"), fuzzReplyDecoders);
}
