// What the download stores from a device's replies must be what it claims to be: a
// reply is untrusted text, and a line break or a stray field in it would put forged
// lines into a report file.
#pragma once

#include <optional>

#include <QString>

#include "reports/dayline.h"

// Whether reply is a sensor header confirming the sensor: "SenPara" before its first
// field, "1" as field 2, at least the 13 fields a report header needs, and no control
// character. Fields are cut as the reply splitter cuts them.
bool isSensorHeader(const QString& reply);

// A device's reply to the day request, its fields cut at every ":" "," "(" ")" and
// double quote and numbered from 0:
//   1 "GetLog", 4 "Day", 7 year, 8 the further field, 9 sensor, 10 month, 11 day, 12 codes.
struct DayReply
{
    int sensor = 0;
    int month = 0;
    int day = 0;
    QString codes;  // 48 hour codes
    QString year;   // field 7, the two-digit year as the device sent it
    QString extra;  // field 8
    bool isFor(int sensorNumber, int monthOfYear, int dayOfMonth) const
    {
        return sensor == sensorNumber && month == monthOfYear && day == dayOfMonth;
    }
    // The report file's line of this day: month, day, codes, year, the further field.
    DayLine dayLine() const;
    // Whether every hour's code is "??": the device holds no reading of the day.
    bool holdsNoReading() const;
};

// Reads reply as a day log with fields that a day line can hold: "GetLog" and "Day"
// in fields 1 and 4, the sensor as a decimal number of up to 4 digits in field 9, the
// month and day as such numbers (blanks around them allowed) in fields 10 and 11,
// exactly 48 code characters ("<" .. "w", "?" among them) in field 12, decimal
// numbers of up to 4 and 2 digits in fields 7 and 8, and no control character
// anywhere. Nothing for any other reply.
std::optional<DayReply> parseDayReply(const QString& reply);
