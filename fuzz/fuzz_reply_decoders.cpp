// Feeds arbitrary replies to the reply decoders: the trimmer, the checksum test, the
// field splitter, the digit collector, the JSON decoders and the USSD answer reader.
// None may crash, overflow or write past its arrays; failures are errors.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "link/framing.h"
#include "link/replies.h"

int fuzzReplyDecoders(const uint8_t* data, size_t size)
{
    const QString reply = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString body = CleanStr(reply);
    if (body.size() > reply.size()) std::abort();
    const int sum = CheckSum(body);
    if (sum < -1 || sum > 255) std::abort();

    SplitReply(body);
    qsizetype kept = 0;
    for (const QString& part : ReplyParts) kept += part.size();
    if (kept > body.size()) std::abort();

    try {
        FindNumber(body);
    } catch (const ConvertError&) {
    }
    try {
        _SYSTEMTIME t;
        JSon2DateTime(body, t);
    } catch (const ReplyError&) {
    }
    try {
        QString s[7];
        JSon2Online(body, s[0], s[1], s[2], s[3], s[4], s[5], s[6]);
    } catch (const ReplyError&) {
    }
    if (const auto answer = ussdAnswer(reply); answer && answer->size() > reply.size()) std::abort();
    return 0;
}

#ifndef TERMIVO_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzReplyDecoders(data, size);
}
#endif
