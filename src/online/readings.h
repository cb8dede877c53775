// The live readings of the online view: the reading reply decoded with its
// disconnection and alarm marks, the legend title of a channel, and the device
// clock check with its message log lines.
#pragma once

#include <optional>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "app/records.h"

// The commands of the poll.
extern const QString kReadingCommand;  // current readings of the four sensors
extern const QString kClockCommand;    // the device's date and time
// The text of a disconnected sensor and the mark of a sensor in alarm.
extern const QString kDisconnectedText;
extern const QString kAlarmMark;

// One reading reply: the four sensors' texts as shown (marks included) and what
// they mean.
struct DeviceReading
{
    QString id;
    QString texts[4];  // "D.C." for a disconnected sensor; "(Alarm)" appended in alarm
    QString raw[4];    // the texts as the device sent them
    bool disconnected[4] = {};
    bool alarm[4] = {};
    int alarmBits = 0;
};

// A sensor text whose number is the disconnection value, +150 or -150 (1150 or
// 21.50 are readings).
bool isDisconnectedText(const QString& text);
// The number of a reading text (the device writes "." whatever the locale); nothing
// for a text that is not a number.
std::optional<double> readingValue(const QString& text);
// Decodes a reading reply. Nothing when "GetTemp" does not occur after the first
// character, or the reply is not the reading object, or its "Alarm" is missing or
// not an integer.
std::optional<DeviceReading> decodeReading(const QString& reply);

// The legend title of a channel with a reading: ID, sensor number 1..4, "_", name,
// " : ", text (for example a2_Freezer : -18.5(Alarm)).
QString readingTitle(const QString& id, int sensor0to3, const QString& name, const QString& text);

// Compares the device's clock in a time reply with the computer's at now (Solar
// Hijri date in the calendar given, hour and minute; they agree when the date is the
// same and the minutes of the day differ by less than 90). The four message log
// lines of a mismatch, the computer's date followed by the name of its calendar, and
// the device's by the other calendar's name when it is today's date in that one;
// nothing when the clocks agree or the reply gives no date (fields it does not name
// count as 0).
std::optional<QStringList> clockMismatchLines(const QString& reply, const QString& id, const QDateTime& now,
                                              ShamsiCalendar calendar);
