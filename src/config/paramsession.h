// The conversations of the settings page with a device, over a parameter sheet: the
// full read, the status read and the send of the changes. The exchange is passed in
// (the communication window's Write2Dev for the chosen device); what the reply pane
// and the status bar show goes to a LinkObserver, and so do the messages for the
// person (LinkObserver::message: a box on the settings page, standard error without
// windows).
#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

#include "app/auditjournal.h"
#include "config/headerlimits.h"
#include "config/paramsheet.h"
#include "link/linkobserver.h"

// Sends a command text to the chosen device and answers its reply.
using ParamExchange = std::function<QString(const QString&)>;

namespace paramcmd {
extern const QString kReadAll;     // "AGetFullPara()"
extern const QString kReadStatus;  // "ASetFullPara("GetFullStat":{"":""})"
// "ASetFullPara("Main":{" + change text + "})"
QString changes(const QString& changeText);
}  // namespace paramcmd

// The computer's clock (clockOf) as the full read shows it: yy/m/d_0_h:m:0.
QString sheetClockText(const _SYSTEMTIME& clock);

// The full read (BtnReadAllDataClick) at the computer's clock (clockOf). True when the
// reply was bound.
bool readFullSet(ParameterSheet& sheet, const ParamExchange& exchange, LinkObserver& out, const _SYSTEMTIME& clock,
                 bool expert);
// The status read (Button4Click): silent on every failure. True when bound.
bool readStatusSet(ParameterSheet& sheet, const ParamExchange& exchange, LinkObserver& out, bool expert);

enum class SendResult {
    Refused,       // the validation failed: nothing sent, marks kept
    NotBuilt,      // the stored reply holds no parameter set: nothing sent, marks kept
    NotConfirmed,  // sent, the reply has no "SetResp"
    Confirmed,     // sent and confirmed; changed limits carried into the report files
};

struct SendOutcome
{
    SendResult result = SendResult::Refused;
    QString command;
    QString reply;
    CarryOverResult carried;
};

// The parameters whose values never reach the journal (the device's passwords): an
// entry names them as changed, with "***" for both values.
bool isSecretParameter(const QString& name);  // "GROUP.KEY"
// The "changes" of a params.send entry: {"name","old","new"} for each, secrets masked.
nlohmann::ordered_json journalledChanges(const QList<ParamChange>& changes);

// What the user is told when a command went to the device, journalled, but the entry
// of its reply could not be written to the journal at journalPath.
QString replyNotJournalledMessage(const QString& journalPath);

// The send (BtnSendSettingJsonClick): validation, the change text, the exchange, the
// confirmation rule and, after confirmation only, the changed limits into the header
// lines of the report files of clock's year (clockOf) under root. An exchange that fails with
// an error throws (the marks are already cleared). What the carry-over met is in
// carried for the caller to tell (carryOverMessages).
// The journal gets a params.send entry before the changes go out (without
// "confirmed"; a journal that cannot take it throws JournalError, nothing is sent and
// the marks stay), and another with "confirmed" once the reply is in, before the
// outcome is shown (a failure of that one is told through out; the send goes on).
SendOutcome sendChanges(ParameterSheet& sheet, const ParamExchange& exchange, LinkObserver& out, const QString& root,
                        const _SYSTEMTIME& clock, bool expert, AuditJournal& journal);
