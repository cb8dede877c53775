// What the download stores from a device's replies must be what it claims to be: a
// reply is untrusted text, and a line break or a stray field in it would put forged
// lines into a report file.
#pragma once

#include <QString>

// Whether reply is a sensor header confirming the sensor: "SenPara" before its first
// field, "1" as field 2, at least the 13 fields a report header needs, and no control
// character. Leaves ReplyParts split from reply.
bool isSensorHeader(const QString& reply);
// Whether reply is the day log of sensor for month and day, with fields that a day
// line can hold: "GetLog" and "Day" in fields 1 and 4, the sensor, month and day as
// decimal numbers in fields 9, 10 and 11, exactly 48 code characters ("<" .. "w",
// "?" among them) in field 12, decimal numbers in fields 7 and 8, and no control
// character anywhere. Leaves ReplyParts split from reply.
bool isDayReply(const QString& reply, int sensor, int month, int day);
