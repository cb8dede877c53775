#include "readings.h"

namespace devsim {

QString ReadingConfig::textFor(int k, const QString& generated) const
{
    const QString fixed = texts.value(k);
    return fixed.isEmpty() ? generated : fixed;
}

bool isReadingKey(const QString& key)
{
    return key == QLatin1String("readings") || key == QLatin1String("reading-id") ||
           key == QLatin1String("reading-alarm") || key == QLatin1String("clock-at");
}

bool setReadingKey(ReadingConfig& r, const QString& key, const QString& value)
{
    if (key == QLatin1String("readings")) {
        r.texts = value.split(QLatin1Char(','));
        return r.texts.size() <= 4;
    }
    if (key == QLatin1String("reading-id")) {
        r.replyId = value;
        return true;
    }
    if (key == QLatin1String("reading-alarm")) {
        r.withoutAlarm = value == QLatin1String("none");
        return r.withoutAlarm || value == QLatin1String("yes");
    }
    if (key == QLatin1String("clock-at")) {
        r.clockAt = QDateTime::fromString(value, Qt::ISODate);
        return r.clockAt.isValid();
    }
    return false;
}

}  // namespace devsim
