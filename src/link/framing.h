// The request frame, its checksum and the reply trimmer.
//
// A request goes out as "A{" + body + ":" + checksum + "," + device ID + "}#", where
// body is the command without its leading "A". A reply comes back as "$" + body + "#".
#pragma once

#include <QByteArray>
#include <QString>

// On a text without ":" the sum of its character codes (a leading "$" counted once,
// 36 added when it does not start with "$"), folded below 256 by subtracting 255 once
// whenever it reaches 256. On a text with ":" the test of the digits after the first
// ":" (up to the next "," or the end) against the sum of what stands before it: 0 when
// they match, 1 when not. Texts shorter than 3 characters give -1.
int CheckSum(const QString& s);

// The text between the last "$" before the first "#" and that "#" (everything up to
// "#" when there is no "$"; the whole text when there is no "#").
QString CleanStr(const QString& s1);

// The text as it travels on either link: 7-bit ASCII, "?" for any other character.
QByteArray asciiBytes(const QString& text);

// The frame of a command for a device: A{<command without its first character>:<sum>,<id>}#
QString buildFrame(const QString& command, const QString& deviceId);

// A summed reply as a device sends it: "$" + payload + ":" + sum + "," + tail + "#".
// The payload must not contain ":".
QString buildSummedReply(const QString& payload, const QString& tail);
