#include "model.h"

#include <cmath>

namespace devsim {

namespace {

uint64_t mix(uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

uint64_t idHash(const QString& id)
{
    uint64_t h = 1469598103934665603ULL;
    for (const QChar c : id) {
        h ^= c.unicode();
        h *= 1099511628211ULL;
    }
    return h;
}

uint64_t hashOf(uint32_t seed, const QString& id, int sensor, const LogDay& d, int hour)
{
    uint64_t h = mix(seed ^ idHash(id));
    h = mix(h ^ uint64_t(sensor + 1) * 0x100000001b3ULL);
    h = mix(h ^ uint64_t(d.yy * 400 + dayNumber(d.month, d.day)));
    return mix(h ^ uint64_t(hour + 7));
}

// The physical value of the hour, before scaling to the raw number.
double physical(QChar letter, uint64_t h, int hour, int dayNum)
{
    const double noise = double(h % 1000) / 1000.0 - 0.5;  // -0.5 .. 0.5
    const double daily = std::sin((hour - 9) * M_PI / 12.0);
    const double season = std::sin(dayNum * M_PI / 183.0);
    switch (letter.unicode()) {
        case 'H':
        case 'h':
            return 45.0 + 12.0 * daily - 5.0 * season + 2.0 * noise;
        case 'V':
            return 12.0 + 0.4 * noise;
        case 'p':
            return 101.3 + 1.5 * daily + noise;  // kPa
        case 'S':
            return 420.0 + 60.0 * daily + 20.0 * noise;
        case 'K':
            return 21.0 + 4.0 * daily + noise;
        default:
            return 21.0 + 4.0 * daily + 6.0 * season + noise;  // temperatures
    }
}

int rawOfValue(QChar letter, double v)
{
    double r = 0;
    switch (letter.unicode()) {
        case 'P':
            r = (v + 200.0) * 10.0;
            break;
        case 'T':
        case 'D':
        case 't':
        case 'H':
        case 'i':
        case 'M':
        case 'h':
            r = (v + 100.0) * 10.0;
            break;
        case 'K':
        case 'V':
        case 'S':
            r = v + 100.0;
            break;
        case 'p':
            r = v * 100.0 - 8600.0;
            break;
        default:
            r = v;
    }
    const int raw = int(std::lround(r));
    return raw < 0 ? 0 : (raw > 3599 ? 3599 : raw);
}

}  // namespace

int dayNumber(int month, int day)
{
    return month < 7 ? (month - 1) * 31 + day : (month - 7) * 30 + 186 + day;
}

int compareDays(const LogDay& a, const LogDay& b)
{
    if (a.yy != b.yy) return a.yy < b.yy ? -1 : 1;
    const int na = dayNumber(a.month, a.day), nb = dayNumber(b.month, b.day);
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

int rawReading(uint32_t seed, const QString& deviceId, int sensor, QChar letter, const LogDay& d, int hour)
{
    // Whole days missing now and then, and single hours more often.
    if (hashOf(seed, deviceId, sensor, d, -1) % 41 == 0) return -1;
    const uint64_t h = hashOf(seed, deviceId, sensor, d, hour);
    if ((h >> 20) % 23 == 0) return -1;
    return rawOfValue(letter, physical(letter, h, hour, dayNumber(d.month, d.day)));
}

QString dayCodes(uint32_t seed, const QString& deviceId, int sensor, QChar letter, const LogDay& d, const LogSpan& span)
{
    int hours = 0;
    if (compareDays(d, span.first) >= 0 && compareDays(d, span.today) <= 0)
        hours = compareDays(d, span.today) == 0 ? span.hourNow + 1 : 24;
    QString codes;
    codes.reserve(48);
    for (int hour = 0; hour < 24; ++hour) {
        const int raw = hour < hours ? rawReading(seed, deviceId, sensor, letter, d, hour) : -1;
        if (raw < 0) {
            codes += QStringLiteral("??");
        } else {
            codes += QChar(60 + raw / 60);
            codes += QChar(60 + raw % 60);
        }
    }
    return codes;
}

int recordedHours(const QString& codes)
{
    int n = 0;
    for (int i = 0; i + 1 < codes.size(); i += 2)
        if (codes.mid(i, 2) != QLatin1String("??")) ++n;
    return n;
}

double valueOfRaw(QChar letter, int raw)
{
    const double r = raw;
    switch (letter.unicode()) {
        case 'P':
            return r / 10 - 200;
        case 'T':
        case 'D':
        case 't':
        case 'H':
        case 'i':
        case 'M':
        case 'h':
            return r / 10 - 100;
        case 'K':
        case 'V':
        case 'S':
            return r - 100;
        case 'p':
            return (r + 8600) / 100;
        default:
            return r;
    }
}

QString onlineText(uint32_t seed, const QString& deviceId, int sensor, QChar letter, const LogDay& d, int hour)
{
    int raw = rawReading(seed, deviceId, sensor, letter, d, hour);
    if (raw < 0) raw = rawReading(seed, deviceId, sensor, letter, d, (hour + 1) % 24);
    if (raw < 0) raw = rawOfValue(letter, 20.0);
    return QString::number(valueOfRaw(letter, raw), 'f', 1);
}

}  // namespace devsim
