// One-shot commands to a device: the clock, the alarm, erasing its log, USSD and
// top-up codes, and the preset command texts. Texts as handed to the exchange,
// which frames them.
#pragma once

#include <functional>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "app/records.h"

class AuditJournal;

namespace maintenance {

// The line put under every reply in the reply pane (25 hyphens).
extern const QString kReplySeparator;

// "yy,m,d,0,h,mi,s" without leading zeros.
QString clockText(const _SYSTEMTIME& t);
// "yy/m/d_0_h:mi:s", the computer's clock as the settings page shows it.
QString clockDisplay(const _SYSTEMTIME& t);

QString clockSetCommand(const _SYSTEMTIME& t);
QString alarmStopCommand();
QString eraseCommand();
// A USSD code goes out with every "#" written "$"; a top-up code as typed.
QString ussdCommand(const QString& code);
QString topUpCommand(const QString& code);
// Whether code holds anything to top up with (blanks alone do not).
bool hasTopUpCode(const QString& code);

// Whether a clock-set reply confirms the new clock.
bool clockConfirmed(const QString& reply);
// Whether the answer to the erase question is exactly "yes".
bool eraseConfirmed(const QString& answer);

// Sends a command text to the chosen device and answers its reply.
using CommandExchange = std::function<QString(const QString&)>;

// The journalled commands: each entry is written before its command goes out (a
// journal that cannot take it throws JournalError and nothing is sent); device is
// the chosen device's ID.
struct ClockSetResult
{
    QString reply;
    bool confirmed = false;
    bool replyJournalled = true;  // false: the second entry could not be written
};
// The clock set: a device.clock entry without "confirmed" before the command, and one
// with it once the reply is in (an exchange that fails with an error: false, and the
// error goes on).
ClockSetResult setDeviceClock(AuditJournal& journal, const QString& device, const _SYSTEMTIME& t,
                              const CommandExchange& exchange);
// The alarm stop and the erase (confirmation: the answer typed to the erase
// question): one entry each, before the command; their replies are only shown.
QString stopDeviceAlarm(AuditJournal& journal, const QString& device, const CommandExchange& exchange);
QString eraseDeviceLog(AuditJournal& journal, const QString& device, const QString& confirmation,
                       const CommandExchange& exchange);

// The preset command texts of the typed-command list, the last two empty.
const QStringList& presetCommands();

// Texts of the commands shown to the user.
extern const QString kClockSet;     // the clock was set
extern const QString kEraseTitle;   // the erase question's title
extern const QString kErasePrompt;  // ... and its prompt
extern const QString kEraseSent;    // shown before the erase goes out
extern const QString kNoTopUpCode;  // an empty top-up code, refused before anything is sent
// The erase question's prompt with the device it is about.
QString erasePrompt(const Device_Rec& device);

}  // namespace maintenance
