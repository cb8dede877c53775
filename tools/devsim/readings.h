// What an emulated device's reading reply and clock say, beyond the generated
// readings: fixed sensor texts (a disconnected sensor reads 150.0 or -150.0), a
// reply naming another ID, a reply without its alarm member, a clock fixed at a
// given moment.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace devsim {

struct ReadingConfig
{
    QStringList texts;          // readings=T0,T1,T2,T3: fixed texts; an empty one is generated
    QString replyId;            // reading-id=ID: the ID the reply names (empty: the device's own)
    bool withoutAlarm = false;  // reading-alarm=none: the reply has no "Alarm" member
    QDateTime clockAt;          // clock-at=YYYY-MM-DDTHH:MM[:SS]: the device clock stands at that moment

    // The text of sensor k: the fixed one when given, otherwise generated.
    QString textFor(int k, const QString& generated) const;
};

// Applies a readings key of a device line; false for a key that is not one of them
// or a bad value.
bool setReadingKey(ReadingConfig& r, const QString& key, const QString& value);
bool isReadingKey(const QString& key);

}  // namespace devsim
