#include "config/paramsession.h"

#include <optional>

#include <QCoreApplication>
#include <QDir>

#include "app/calendar.h"
#include "link/devicelink.h"
#include "platform/errors.h"

namespace paramcmd {
const QString kReadAll = QStringLiteral("AGetFullPara()");
const QString kReadStatus = QStringLiteral("ASetFullPara(\"GetFullStat\":{\"\":\"\"})");
QString changes(const QString& changeText)
{
    return QStringLiteral("ASetFullPara(\"Main\":{") + changeText + QStringLiteral("})");
}
}  // namespace paramcmd

namespace {
void tell(const QStringList& messages, LinkObserver& out)
{
    for (const QString& m : messages) out.message(m);
}

void showBind(const BindOutcome& b, LinkObserver& out)
{
    for (const QString& line : b.undefinedLines) out.jsonLine(line);
    tell(b.messages, out);
}

const QString kSendKind = QStringLiteral("params.send");

nlohmann::ordered_json sendDetails(const QString& deviceId, std::optional<bool> confirmed,
                                   const QList<ParamChange>& changes)
{
    nlohmann::ordered_json d;
    d["device"] = deviceId.toStdString();
    if (confirmed) d["confirmed"] = *confirmed;
    d["changes"] = journalledChanges(changes);
    return d;
}

// The entry of a reply: the command is already with the device, so a journal that
// cannot take it is told and the work goes on.
void journalReply(AuditJournal& journal, const QString& kind, const nlohmann::ordered_json& details, LinkObserver& out)
{
    try {
        journal.append(kind, details);
    } catch (const JournalError&) {
        out.message(replyNotJournalledMessage(journal.path()));
    }
}
}  // namespace

bool isSecretParameter(const QString& name)
{
    // The access point's and the station's WiFi passwords, and the password of the
    // device's phone commands.
    static const QStringList secrets{QStringLiteral("AP.Password"), QStringLiteral("Station.Password"),
                                     QStringLiteral("GSM.ChangePass")};
    return secrets.contains(name);
}

nlohmann::ordered_json journalledChanges(const QList<ParamChange>& changes)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const ParamChange& c : changes) {
        const bool secret = isSecretParameter(c.name);
        list.push_back({{"name", c.name.toStdString()},
                        {"old", secret ? std::string("***") : c.oldValue.toStdString()},
                        {"new", secret ? std::string("***") : c.newValue.toStdString()}});
    }
    return list;
}

QString replyNotJournalledMessage(const QString& journalPath)
{
    return QCoreApplication::translate("Termivo",
                                       "The command was entered in the audit journal \"%1\" and sent, but the "
                                       "device's reply could not be entered after it.")
        .arg(QDir::toNativeSeparators(journalPath));
}

QString sheetClockText(const _SYSTEMTIME& t)
{
    return QStringLiteral("%1/%2/%3_%4_%5:%6:%7")
        .arg(t.wYear)
        .arg(t.wMonth)
        .arg(t.wDay)
        .arg(0)
        .arg(t.wHour)
        .arg(t.wMinute)
        .arg(0);
}

bool readFullSet(ParameterSheet& sheet, const ParamExchange& exchange, LinkObserver& out, const _SYSTEMTIME& clock,
                 bool expert)
{
    sheet.clockText = sheetClockText(clock);
    sheet.loaded = false;
    QString reply;
    try {
        reply = trimParamReply(exchange(paramcmd::kReadAll));
        if (reply.isEmpty()) throw ReplyError(QCoreApplication::translate("Termivo", "Empty reply"));
        out.clearJson();
        out.jsonLine(reply);
        sheet.controlNames.clear();
        bool bound = false;
        if (reply.contains(QLatin1String("BaseParam"))) {
            showBind(sheet.bind(reply, QStringLiteral("Main"), BindMode::Fill, expert), out);
            out.statusText(linktext::kReadyStatus);
            bound = true;
        } else {
            out.message(sheettext::kCommFault);
            out.statusText(QStringLiteral("Error"));
        }
        sheet.lastReply = reply;
        sheet.loaded = true;
        return bound;
    } catch (const std::exception&) {
        out.clearJson();
        out.jsonLine(QStringLiteral("ERR>") + reply);
        out.statusText(QStringLiteral("Error"));
        out.message(sheettext::kNoReply);
        return false;
    }
}

bool readStatusSet(ParameterSheet& sheet, const ParamExchange& exchange, LinkObserver& out, bool expert)
{
    try {
        const QString reply = trimParamReply(exchange(paramcmd::kReadStatus));
        if (reply.isEmpty()) return false;
        out.clearJson();
        out.jsonLine(reply);
        sheet.controlNames.clear();
        if (!reply.contains(QLatin1String("FullStat"))) return false;
        showBind(sheet.bind(reply, QStringLiteral("FullStat"), BindMode::Fill, expert), out);
        out.statusText(linktext::kReadyStatus);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

SendOutcome sendChanges(ParameterSheet& sheet, const ParamExchange& exchange, LinkObserver& out, const QString& root,
                        const _SYSTEMTIME& clock, bool expert, AuditJournal& journal)
{
    SendOutcome o;
    const QStringList problems = validationMessages(sheet);
    if (!problems.isEmpty()) {
        tell(problems, out);
        return o;
    }
    // The limits that go out now; they reach the report files only once confirmed.
    QList<ChannelLimits> limits;
    for (int n = 0; n < 4; ++n)
        if (sheet.limitsChanged(n))
            limits.append({n, sheet.text(QStringLiteral("LE_S%1_Name").arg(n)),
                           deviceNumberText(sheet.text(QStringLiteral("LE_S%1_Min1").arg(n))),
                           deviceNumberText(sheet.text(QStringLiteral("LE_S%1_Max1").arg(n)))});
    const QString deviceId = sheet.text(QStringLiteral("LE_BaseParam_ID"));

    const ParameterSheet unsent = sheet;  // the marks, should the journal refuse the send
    BindOutcome built;
    try {
        built = sheet.bind(sheet.lastReply, QStringLiteral("Main"), BindMode::Build, expert);
    } catch (const std::exception& e) {
        o.result = SendResult::NotBuilt;
        out.message(errorText(e));
        return o;
    }
    try {
        journal.append(kSendKind, sendDetails(deviceId, std::nullopt, built.changes));
    } catch (const JournalError&) {
        sheet = unsent;
        throw;
    }
    o.command = paramcmd::changes(built.changeText);
    out.jsonLine(o.command);
    try {
        o.reply = exchange(o.command);
    } catch (const std::exception&) {
        journalReply(journal, kSendKind, sendDetails(deviceId, false, built.changes), out);
        throw;
    }
    const bool confirmed = o.reply.contains(QLatin1String("SetResp"));
    journalReply(journal, kSendKind, sendDetails(deviceId, confirmed, built.changes), out);
    out.jsonLine(sheettext::kSeparatorLine);
    if (confirmed) {
        o.result = SendResult::Confirmed;
        out.statusText(linktext::kReadyStatus);
        if (!limits.isEmpty()) {
            o.carried = carryLimitsIntoReports(root, clock.wYear, deviceId, limits, journal);
        }
    } else {
        o.result = SendResult::NotConfirmed;
        out.message(sheettext::kNotConfirmed);
    }
    out.jsonLine(o.reply);
    return o;
}
