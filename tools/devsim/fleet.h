// The fleet an emulator run plays: read from a small text file and from flags.
//
//   # comment
//   seed 42
//   search 127.255.255.255
//   pace on|off
//   device id=a link=127.0.0.11 name=Lab1 sensors=T,H,-,- names=Room,Humidity
//   device id=b link=COM1 fault=silence fault-count=2
//
// Values may be quoted with double quotes. See termivo-devsim --help for every key.
#pragma once

#include <cstdint>

#include <QList>
#include <QString>
#include <QStringList>

#include "readings.h"

namespace devsim {

struct FaultConfig
{
    QString kind;    // empty: none
    int count = 0;   // affect the first count matching requests; 0: all
    QString match;   // only requests whose frame contains this text
    int ms = 50;     // delay of "slow", "late" and "vanish", gap of "split" and "chunks", pace of "endless"
    int gapMs = 50;  // gap of "late" between its two halves
    QString text;    // reply of "raw"; chunks of "chunks", separated by "|"
};

struct DeviceConfig
{
    QString id;
    QString link;  // 127.x.y.z or COMn
    QString name;
    QString type = QStringLiteral("TH");
    QString letters = QStringLiteral("TH--");  // sensor type letters, "-" for no sensor
    QStringList sensorNames;
    int alarm = 0;  // alarm bits of the online reply
    QString ussd = QStringLiteral("Your credit is 12500 Rials. Thank you");
    int ussdDelayMs = 2000;
    int ussdPolls = 0;                // the answer is ready at this read after a code (0: after ussdDelayMs)
    int sinceDays = 400;              // days of log before today
    int clockOffsetMin = 0;           // the device clock's offset from the computer's, minutes
    bool arithmeticCalendar = false;  // calendar=arithmetic: the clock and log follow the fixed arithmetic
    FaultConfig fault;
    ReadingConfig readings;  // fixed readings, reply ID, alarm member, fixed clock

    bool isLan() const { return link.contains(QLatin1Char('.')); }
    QChar letter(int sensor) const { return sensor < letters.size() ? letters.at(sensor) : QLatin1Char('-'); }
};

struct Fleet
{
    uint32_t seed = 1;
    QString searchAddress = QStringLiteral("127.255.255.255");
    bool pace = true;
    QList<DeviceConfig> devices;
};

// Parses a fleet text; throws std::runtime_error with the line number on a bad line.
Fleet parseFleet(const QString& text);
// The fault kinds the emulator plays.
const QStringList& faultKinds();
// Applies one "key=value" of a device line; false for an unknown key or a bad value
// (an unknown fault kind too).
bool setDeviceKey(DeviceConfig& d, const QString& key, const QString& value);
// Whether a text names an IPv4 address in 127.0.0.0/8.
bool isLoopbackAddress(const QString& text);

}  // namespace devsim
