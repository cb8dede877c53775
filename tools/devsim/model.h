// The emulated devices' recorded data, generated deterministically from a seed. Kept
// apart from the emulator's transport (and from the program's core) so that tests can
// compute what a device holds and compare downloaded report files with it.
#pragma once

#include <cstdint>

#include <QString>

namespace devsim {

// A day of the Solar Hijri calendar as the devices count it: two-digit year, month
// 1..12, day 1..31 (months 1..6 of 31 days, 7..11 of 30, Esfand of 29 or 30).
struct LogDay
{
    int yy = 0;
    int month = 0;
    int day = 0;
};

// What a device has recorded for a day: hours 0..hours-1 exist (hours 24 for a past
// day, the current hour + 1 for today, 0 for a day outside the log).
struct LogSpan
{
    LogDay first;      // first recorded day
    LogDay today;      // the device's current day
    int hourNow = 23;  // the device's current hour
};

// The day number within the year (1..366).
int dayNumber(int month, int day);
// Days compare by (year, day number).
int compareDays(const LogDay& a, const LogDay& b);

// The raw number (0..3599) the sensor recorded in that hour, or -1 for a gap. The
// sensor type letter decides the value's scale (as the report files read it back).
int rawReading(uint32_t seed, const QString& deviceId, int sensor, QChar letter, const LogDay& d, int hour);

// The 48 code characters of a day: two base-60 digits per hour (character code minus
// 60), "??" for an hour without a reading. Hours outside the span are "??"; a day
// outside the span is all "??".
QString dayCodes(uint32_t seed, const QString& deviceId, int sensor, QChar letter, const LogDay& d,
                 const LogSpan& span);
// The number of hours of the day that hold a reading.
int recordedHours(const QString& codes);

// The value a raw number stands for, by the sensor type letter.
double valueOfRaw(QChar letter, int raw);
// The current reading of a sensor as the device reports it online.
QString onlineText(uint32_t seed, const QString& deviceId, int sensor, QChar letter, const LogDay& d, int hour);

}  // namespace devsim
