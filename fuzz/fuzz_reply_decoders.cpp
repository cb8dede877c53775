// Feeds arbitrary replies to the reply decoders: the trimmer, the checksum test, the
// field splitter, the digit collector, the JSON decoders, the USSD answer reader and
// the download's header and day log checks. None may crash, overflow or write past its
// arrays; failures are errors. A day log the download accepts must become exactly one
// day line that reads back as the same day.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "download/replycheck.h"
#include "link/framing.h"
#include "link/replies.h"

int fuzzReplyDecoders(const uint8_t* data, size_t size)
{
    const QString reply = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString body = CleanStr(reply);
    if (body.size() > reply.size()) std::abort();
    const int sum = CheckSum(body);
    if (sum < -1 || sum > 255) std::abort();

    const QStringList parts = replyFields(body);
    if (parts.size() > kReplyParts) std::abort();
    qsizetype kept = 0;
    for (const QString& part : parts) kept += part.size();
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

    isSensorHeader(body);
    if (const auto day = parseDayReply(body)) {
        const QString line = formatDayLine(day->dayLine());
        if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r'))) std::abort();
        if (day->month >= 1 && day->month <= 12 && day->day >= 1 && day->day <= 31) {
            const auto back = parseDayLine(line);
            if (!back || back->month != day->month || back->day != day->day || back->codes != day->codes ||
                back->year != day->year)
                std::abort();
        }
    }
    return 0;
}

#ifndef TERMIVO_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzReplyDecoders(data, size);
}
#endif
