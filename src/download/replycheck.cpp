#include "download/replycheck.h"

#include <QStringList>

#include "app/fields.h"
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

std::optional<int> number(const QString& text)
{
    if (!isDecimal(text, 4)) return std::nullopt;
    return text.toInt();
}

bool areHourCodes(const QString& codes)
{
    if (codes.size() != kCodeCount) return false;
    for (const QChar c : codes)
        if (c.unicode() < 60 || c.unicode() > 119) return false;  // base-60 digits; "?" is 63
    return true;
}

}  // namespace

bool isSensorHeader(const QString& reply)
{
    const QStringList f = replyFields(reply);
    return !hasControlCharacter(reply) && f.value(0).trimmed().endsWith(QLatin1String("SenPara")) &&
           f.value(2) == QLatin1String("1") && splitDelimited(reply, u":,()\"").size() >= 13;
}

DayLine DayReply::dayLine() const
{
    return DayLine{month, day, codes, year, {extra}};
}

bool DayReply::holdsNoReading() const
{
    for (const QChar c : codes)
        if (c != QLatin1Char('?')) return false;
    return true;
}

std::optional<DayReply> parseDayReply(const QString& reply)
{
    if (hasControlCharacter(reply)) return std::nullopt;
    const QStringList f = replyFields(reply);
    if (f.value(1) != QLatin1String("GetLog") || f.value(4) != QLatin1String("Day")) return std::nullopt;
    const std::optional<int> sensor = number(f.value(9));
    const std::optional<int> month = number(f.value(10).trimmed());
    const std::optional<int> day = number(f.value(11).trimmed());
    if (!sensor || !month || !day || !areHourCodes(f.value(12)) || !isDecimal(f.value(7), 4) ||
        !isDecimal(f.value(8), 2))
        return std::nullopt;
    return DayReply{*sensor, *month, *day, f.value(12), f.value(7), f.value(8)};
}
