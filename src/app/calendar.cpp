#include "app/calendar.h"

#include <cstdio>

#include <QCalendar>

namespace {
QDateTime g_fixedNow;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): the clock override for tests

// The moment a run is told to take as "now" through TERMIVO_NOW=YYYY-MM-DDTHH:MM[:SS]
// (local time), read once; an unreadable value is said once on standard error and the
// computer's clock is used.
QDateTime environmentNow()
{
    static const QDateTime fixed = [] {
        const QString text = qEnvironmentVariable("TERMIVO_NOW");
        if (text.isEmpty()) return QDateTime();
        QDateTime t = parseProgramNow(text);
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
        QDateTime t = QDateTime::fromString(text.trimmed(), QLatin1String(format));
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

namespace {

// The fixed arithmetic: the year begins on day 80 of the Gregorian year 621 years
// after it (day 80 counted from January 1 of that year) and its months fill up the
// days until day 79 of the Gregorian year after.
ShamsiDate arithmeticToShamsi(const QDate& date)
{
    static const int kGregorianMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int gy = date.year();
    const int gm = date.month();
    const int gd = date.day();
    int n = gd;
    for (int m = 1; m < gm; ++m) n += kGregorianMonth[m - 1];
    const bool leap = (gy % 4 == 0 && gy % 100 != 0) || gy % 400 == 0;
    if (leap && gm > 2) n += 1;

    ShamsiDate r;
    if (n <= 79) {
        n += ((gy - 1) % 4 == 0) ? 11 : 10;
        r.year = gy - 622;
        if (n % 30 == 0) {
            r.month = n / 30 + 9;
            r.day = 30;
        } else {
            r.month = n / 30 + 10;
            r.day = n % 30;
        }
    } else {
        r.year = gy - 621;
        n -= 79;
        if (n <= 186) {
            if (n % 31 == 0) {
                r.month = n / 31;
                r.day = 31;
            } else {
                r.month = n / 31 + 1;
                r.day = n % 31;
            }
        } else {
            n -= 186;
            if (n % 30 == 0) {
                r.month = n / 30 + 6;
                r.day = 30;
            } else {
                r.month = n / 30 + 7;
                r.day = n % 30;
            }
        }
    }
    return r;
}

QDate arithmeticFromShamsi(const ShamsiDate& date)
{
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > (date.month <= 6 ? 31 : 30)) return {};
    // Day 80 of the Gregorian year plus the day of the Solar Hijri year; the
    // arithmetic's own Gregorian leap rule may move it by a day, so the nearest day
    // that converts back to the date is taken (none for a day the year lacks).
    const QDate guess = QDate(date.year + 621, 1, 1).addDays(79 + MonthDay2Num(date.month, date.day) - 1);
    for (const int offset : {0, -1, 1, -2, 2}) {
        const QDate d = guess.addDays(offset);
        if (arithmeticToShamsi(d) == date) return d;
    }
    return {};
}

const QCalendar& jalali()
{
    static const QCalendar calendar(QCalendar::System::Jalali);
    return calendar;
}

}  // namespace

QString calendarName(ShamsiCalendar calendar)
{
    return calendar == ShamsiCalendar::Arithmetic ? QStringLiteral("arithmetic") : QStringLiteral("official");
}

std::optional<ShamsiCalendar> calendarNamed(const QString& text)
{
    for (const ShamsiCalendar c : {ShamsiCalendar::Official, ShamsiCalendar::Arithmetic})
        if (text.trimmed().compare(calendarName(c), Qt::CaseInsensitive) == 0) return c;
    return std::nullopt;
}

ShamsiDate toShamsi(const QDate& date, ShamsiCalendar calendar)
{
    if (calendar == ShamsiCalendar::Arithmetic) return arithmeticToShamsi(date);
    const QCalendar::YearMonthDay p = jalali().partsFromDate(date);
    return ShamsiDate{p.year, p.month, p.day};
}

QDate fromShamsi(const ShamsiDate& date, ShamsiCalendar calendar)
{
    if (calendar == ShamsiCalendar::Arithmetic) return arithmeticFromShamsi(date);
    return jalali().dateFromParts(date.year, date.month, date.day);
}

int daysInShamsiMonth(int year, int month, ShamsiCalendar calendar)
{
    if (month < 1 || month > 12) return 0;
    if (calendar == ShamsiCalendar::Official) return jalali().daysInMonth(month, year);
    if (month < 12) return month <= 6 ? 31 : 30;
    return arithmeticFromShamsi(ShamsiDate{year, 12, 30}).isValid() ? 30 : 29;
}

int daysInShamsiYear(int year, ShamsiCalendar calendar)
{
    return 6 * 31 + 5 * 30 + daysInShamsiMonth(year, 12, calendar);
}

int fullShamsiYear(int twoDigitYear, int nearYear)
{
    // The year ending in twoDigitYear among nearYear - 49 .. nearYear + 50.
    const int back = ((nearYear - twoDigitYear) % 100 + 100) % 100;
    return back <= 49 ? nearYear - back : nearYear + (100 - back);
}

_SYSTEMTIME clockOf(const QDateTime& now, ShamsiCalendar calendar)
{
    // One reading of the clock gives both the date and the time, so that a command
    // sent at midnight never pairs one day's date with the next day's time.
    return Date2Shamsi(now.date(), now, calendar);
}

_SYSTEMTIME Date2Shamsi(const QDate& date, const QDateTime& now, ShamsiCalendar calendar)
{
    _SYSTEMTIME r;
    const QDate nd = now.date();
    const QTime nt = now.time();
    r.wDayOfWeek = static_cast<uint16_t>(nd.dayOfWeek() % 7);  // Sunday = 0
    r.wHour = static_cast<uint16_t>(nt.hour());
    r.wMinute = static_cast<uint16_t>(nt.minute());
    r.wSecond = static_cast<uint16_t>(nt.second());
    r.wMilliseconds = static_cast<uint16_t>(nt.msec());
    const ShamsiDate d = toShamsi(date, calendar);
    r.wYear = static_cast<uint16_t>(((d.year % 100) + 100) % 100);
    r.wMonth = static_cast<uint16_t>(d.month);
    r.wDay = static_cast<uint16_t>(d.day);
    return r;
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
