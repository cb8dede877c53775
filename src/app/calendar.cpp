#include "app/calendar.h"

#include <cstdio>

namespace {
QDateTime g_fixedNow;

// The moment a run is told to take as "now" through TERMIVO_NOW=YYYY-MM-DDTHH:MM[:SS]
// (local time), read once; an unreadable value is said once on standard error and the
// computer's clock is used.
QDateTime environmentNow()
{
    static const QDateTime fixed = [] {
        const QString text = qEnvironmentVariable("TERMIVO_NOW");
        if (text.isEmpty()) return QDateTime();
        const QDateTime t = parseProgramNow(text);
        if (!t.isValid())
            std::fprintf(stderr, "termivo: TERMIVO_NOW=\"%s\" is not YYYY-MM-DDTHH:MM; the computer's clock is used\n",
                         text.toLocal8Bit().constData());
        return t;
    }();
    return fixed;
}
}  // namespace

QDateTime parseProgramNow(const QString& text)
{
    for (const char* format : {"yyyy-MM-dd'T'HH:mm", "yyyy-MM-dd'T'HH:mm:ss"}) {
        const QDateTime t = QDateTime::fromString(text.trimmed(), QLatin1String(format));
        if (t.isValid()) return t;
    }
    return QDateTime();
}

QDateTime programNow()
{
    if (g_fixedNow.isValid()) return g_fixedNow;
    const QDateTime fromEnvironment = environmentNow();
    return fromEnvironment.isValid() ? fromEnvironment : QDateTime::currentDateTime();
}
void setProgramNowForTests(const QDateTime& fixed)
{
    g_fixedNow = fixed;
}

_SYSTEMTIME Date2Shamsi(const QDate& date)
{
    return Date2Shamsi(date, programNow());
}

_SYSTEMTIME clockOf(const QDateTime& now)
{
    // One reading of the clock gives both the date and the time, so that a command
    // sent at midnight never pairs one day's date with the next day's time.
    return Date2Shamsi(now.date(), now);
}

_SYSTEMTIME Date2Shamsi(const QDate& date, const QDateTime& now)
{
    _SYSTEMTIME r;
    const QDate nd = now.date();
    const QTime nt = now.time();
    r.wYear = static_cast<uint16_t>(nd.year());
    r.wMonth = static_cast<uint16_t>(nd.month());
    r.wDayOfWeek = static_cast<uint16_t>(nd.dayOfWeek() % 7);  // Sunday = 0
    r.wDay = static_cast<uint16_t>(nd.day());
    r.wHour = static_cast<uint16_t>(nt.hour());
    r.wMinute = static_cast<uint16_t>(nt.minute());
    r.wSecond = static_cast<uint16_t>(nt.second());
    r.wMilliseconds = static_cast<uint16_t>(nt.msec());

    static const int kGregorianMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int gy = date.year();
    const int gm = date.month();
    const int gd = date.day();
    int n = gd;
    for (int m = 1; m < gm; ++m) n += kGregorianMonth[m - 1];
    const bool leap = (gy % 4 == 0 && gy % 100 != 0) || gy % 400 == 0;
    if (leap && gm > 2) n += 1;

    int jy = 0;
    int jm = 0;
    int jd = 0;
    if (n <= 79) {
        n += ((gy - 1) % 4 == 0) ? 11 : 10;
        jy = gy - 622;
        if (n % 30 == 0) {
            jm = n / 30 + 9;
            jd = 30;
        } else {
            jm = n / 30 + 10;
            jd = n % 30;
        }
    } else {
        jy = gy - 621;
        n -= 79;
        if (n <= 186) {
            if (n % 31 == 0) {
                jm = n / 31;
                jd = 31;
            } else {
                jm = n / 31 + 1;
                jd = n % 31;
            }
        } else {
            n -= 186;
            if (n % 30 == 0) {
                jm = n / 30 + 6;
                jd = 30;
            } else {
                jm = n / 30 + 7;
                jd = n % 30;
            }
        }
    }
    r.wYear = static_cast<uint16_t>(((jy % 100) + 100) % 100);
    r.wMonth = static_cast<uint16_t>(jm);
    r.wDay = static_cast<uint16_t>(jd);
    return r;
}

int daysInShamsiMonth(int month)
{
    return month <= 6 ? 31 : 30;
}

int MonthDay2Num(int month, int day)
{
    if (month <= 6) return (month - 1) * 31 + day;
    return 6 * 31 + (month - 7) * 30 + day;
}

void Num2MonthDay(int num, int& month, int& day)
{
    if (num <= 6 * 31) {
        month = (num - 1) / 31 + 1;
        day = (num - 1) % 31 + 1;
    } else {
        const int rest = num - 6 * 31;
        month = (rest - 1) / 30 + 7;
        day = (rest - 1) % 30 + 1;
    }
}
