// Solar Hijri calendar of the program and the day numbering of the year.
//
// The program dates by the official calendar (Qt's Jalali calendar), or, when the
// settings line "calendar = arithmetic" asks for it (Prog.calendar), by the fixed
// arithmetic of earlier versions, which some devices' clocks still follow. The two
// disagree for whole years: the arithmetic gives Esfand 30 to the years that begin in a
// Gregorian leap year, so it is a day ahead all through 1371 and a day behind all
// through 1408, 1412 and 1416.
//
// Dates are stored with two-digit years; a two-digit year stands for the year ending
// in those digits that lies at most 49 years before today's or 50 after it (the rule
// by which the download tells an earlier year's span from a clock gone wrong).
#pragma once

#include <optional>

#include <QDate>
#include <QDateTime>
#include <QString>

#include "app/records.h"

// A Solar Hijri date with its whole year (1405, not 5).
struct ShamsiDate
{
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const ShamsiDate&) const = default;
};

// "official" or "arithmetic": the calendar's name in the settings line and in messages.
QString calendarName(ShamsiCalendar calendar);
// The calendar a settings value names (any letter case, blanks around it); nothing
// for any other text.
std::optional<ShamsiCalendar> calendarNamed(const QString& text);

// Gregorian date to Solar Hijri date in the calendar.
ShamsiDate toShamsi(const QDate& date, ShamsiCalendar calendar);
// The Gregorian date of a Solar Hijri date; invalid when the calendar has no such day
// (Esfand 30 of a common year, month 13, day 32).
QDate fromShamsi(const ShamsiDate& date, ShamsiCalendar calendar);
// Days in month 1..12 of a year (29 or 30 for Esfand), and in the year (365 or 366).
int daysInShamsiMonth(int year, int month, ShamsiCalendar calendar);
int daysInShamsiYear(int year, ShamsiCalendar calendar);
// The whole year a two-digit year stands for, near the whole year nearYear.
int fullShamsiYear(int twoDigitYear, int nearYear);

// Gregorian date to Solar Hijri year (last two digits), month and day in the calendar
// given (the program's is the settings' calendar); the time fields come from now.
_SYSTEMTIME Date2Shamsi(const QDate& date, const QDateTime& now, ShamsiCalendar calendar);
// The moment as the device's clock takes it: two-digit Solar Hijri year, month and
// day, the hour, minute and second of now, all from that one reading of the clock,
// in the calendar given.
_SYSTEMTIME clockOf(const QDateTime& now, ShamsiCalendar calendar);

// Day numbers of the year, the same in both calendars: months 1..6 of 31 days, 7..11
// of 30 and Esfand of 29 or 30, so day 366 is Esfand 30 and exists only in the years
// that have it (daysInShamsiYear). MonthDay2Num gives the day of the year (1..366) of
// month m, day d; Num2MonthDay is its inverse.
int MonthDay2Num(int month, int day);
void Num2MonthDay(int num, int& month, int& day);

// The clock of the program: the current local date and time, or the moment named by
// the environment variable TERMIVO_NOW (a scripted run that must see a fixed date).
// Tests may fix it.
QDateTime programNow();
// "YYYY-MM-DDTHH:MM" or "YYYY-MM-DDTHH:MM:SS" as a local time; invalid when it is neither.
QDateTime parseProgramNow(const QString& text);
void setProgramNowForTests(const QDateTime& fixed);  // an invalid value restores the real clock
