#include "download/replycheck.h"

#include "link/replies.h"

namespace {

constexpr int kCodeCount = 48;

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    return false;
}

// A decimal number of 1 to maxDigits digits, nothing else.
bool isDecimal(const QString& text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits) return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

bool isNumber(const QString& text, int value)
{
    return isDecimal(text, 4) && text.toInt() == value;
}

bool areHourCodes(const QString& codes)
{
    if (codes.size() != kCodeCount) return false;
    for (const QChar c : codes)
        if (c.unicode() < 60 || c.unicode() > 119) return false;  // base-60 digits; "?" is 63
    return true;
}

int fieldCount(const QString& reply)
{
    int n = 1;
    for (const QChar c : reply)
        if (c == QLatin1Char(':') || c == QLatin1Char(',') || c == QLatin1Char('(') || c == QLatin1Char(')') ||
            c == QLatin1Char('"'))
            ++n;
    return n;
}

}  // namespace

bool isSensorHeader(const QString& reply)
{
    SplitReply(reply);
    return !hasControlCharacter(reply) && ReplyParts[0].trimmed().endsWith(QLatin1String("SenPara")) &&
           ReplyParts[2] == QLatin1String("1") && fieldCount(reply) >= 13;
}

bool isDayReply(const QString& reply, int sensor, int month, int day)
{
    SplitReply(reply);
    return !hasControlCharacter(reply) && ReplyParts[1] == QLatin1String("GetLog") &&
           ReplyParts[4] == QLatin1String("Day") && isNumber(ReplyParts[9], sensor) &&
           isNumber(ReplyParts[10].trimmed(), month) && isNumber(ReplyParts[11].trimmed(), day) &&
           areHourCodes(ReplyParts[12]) && isDecimal(ReplyParts[7], 4) && isDecimal(ReplyParts[8], 2);
}
