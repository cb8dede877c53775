// Solar Hijri calendar of the program (a fixed arithmetic conversion, which the
// stored year folders and the devices go by) and the day numbering of the year.
#pragma once

#include <QDate>
#include <QDateTime>

#include "app/records.h"

// Gregorian date to Solar Hijri year (last two digits), month and day; the time
// fields come from the computer's clock at the moment of the call.
_SYSTEMTIME Date2Shamsi(const QDate& date);
// The same with the clock time given (for callers and tests that fix "now").
_SYSTEMTIME Date2Shamsi(const QDate& date, const QDateTime& now);
// The moment as the device's clock takes it: two-digit Solar Hijri year, month and
// day, the hour, minute and second of now, all from that one reading of the clock.
_SYSTEMTIME clockOf(const QDateTime& now);

// Days in a Solar Hijri month as the program counts them: 31 for months 1..6, 30 for 7..12.
int daysInShamsiMonth(int month);
// Day of the Solar Hijri year (1..366) of month m, day d; Num2MonthDay is its inverse.
int MonthDay2Num(int month, int day);
void Num2MonthDay(int num, int& month, int& day);

// The clock of the program: the current local date and time, or the moment named by
// the environment variable TERMIVO_NOW (a scripted run that must see a fixed date).
// Tests may fix it.
QDateTime programNow();
// "YYYY-MM-DDTHH:MM" or "YYYY-MM-DDTHH:MM:SS" as a local time; invalid when it is neither.
QDateTime parseProgramNow(const QString& text);
void setProgramNowForTests(const QDateTime& fixed);  // an invalid value restores the real clock
