// Decoding of device replies: the field splitter, the digit collector and the two
// decoders of structured (JSON) replies. Replies are untrusted input: nothing here
// writes past its arrays, and the JSON decoders fail with an error (ReplyError) on
// anything that is not the expected object.
#pragma once

#include <array>
#include <optional>

#include <QString>
#include <QStringList>

#include "app/records.h"
#include "platform/errors.h"

// A reply that cannot be decoded.
class ReplyError : public TermivoError
{
public:
    using TermivoError::TermivoError;
};

constexpr int kReplyParts = 51;  // entries 0..50

// The fields of a reply: cut at every ":" "," "(" ")" and double quote; field 0 is the
// text before the first delimiter. At most kReplyParts fields: characters of fields
// beyond entry 50 are dropped. A field the reply does not reach reads as empty
// through value().
QStringList replyFields(const QString& reply);

// The decimal value of all digits of s1 in order; -1 when there is none. Throws
// ConvertError when the value does not fit a signed 32-bit integer.
int FindNumber(const QString& s1);

// {"GetTimeDate":{"Year":..,"Month":..,"Day":..,"Hour":..,"Minute":..}}: sets the
// named fields of t1 in document order (fields not named keep their value). The
// whole text must be that one object; anything else throws ReplyError (fields set
// before the failing member keep their new values). Answers true.
bool JSon2DateTime(const QString& s1, _SYSTEMTIME& t1);

// {"GetTemp":{"Sensor0".."Sensor3","Alarm","MemErr","ID"}}: copies the members as
// texts; outputs whose member is missing keep their text. Throws ReplyError like
// JSon2DateTime. Answers true.
bool JSon2Online(const QString& sOnline, QString& st1, QString& st2, QString& st3, QString& st4, QString& Alarm2,
                 QString& Memerr, QString& ID2);

// The operator's answer in a reply to the USSD read command: the value of "Resp"
// between its quotes, up to the first "}}". Nothing when the reply holds no answer
// (no "Resp", or 15 characters or fewer after it).
std::optional<QString> ussdAnswer(const QString& reply);
