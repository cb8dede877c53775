#include "link/linkkind.h"

namespace {
// The longest serial port text ("COM255").
constexpr qsizetype kLongestSerialText = 6;
}  // namespace

bool isSerialLinkText(const QString& link)
{
    return link.size() <= kLongestSerialText;
}

bool isNetworkLinkText(const QString& link)
{
    return !isSerialLinkText(link);
}

bool namesComPort(const QString& link)
{
    return link.toUpper().contains(QLatin1String("COM"));
}

bool hasDottedAddress(const QString& link)
{
    return link.contains(QLatin1Char('.'));
}
