#include "config/maintenance.h"

#include <nlohmann/json.hpp>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "platform/bidi.h"

namespace maintenance {

const QString kReplySeparator = QStringLiteral("-------------------------");
const QString kClockSet = QStringLiteral("ساعت و تاریخ در دستگاه ثبت گردید");
const QString kEraseTitle = QStringLiteral("آیا میخواهید تمام داده ها را پاک کنید؟");
const QString kErasePrompt = QStringLiteral("را وارد کنید yes در صورت اطمینان کلمه");
const QString kEraseSent = QStringLiteral("دستور پاک شدن ارسال شد ");
const QString kNoTopUpCode = QStringLiteral("لطفا ابتدا کد شارژ را وارد کنید");

namespace {
// Year, month, day, hour, minute and second of t put into pattern's %1 .. %6.
QString clockFields(const QString& pattern, const _SYSTEMTIME& t)
{
    return pattern.arg(t.wYear).arg(t.wMonth).arg(t.wDay).arg(t.wHour).arg(t.wMinute).arg(t.wSecond);
}
}  // namespace

QString clockText(const _SYSTEMTIME& t)
{
    return clockFields(QStringLiteral("%1,%2,%3,0,%4,%5,%6"), t);
}

QString clockDisplay(const _SYSTEMTIME& t)
{
    return clockFields(QStringLiteral("%1/%2/%3_0_%4:%5:%6"), t);
}

QString clockSetCommand(const _SYSTEMTIME& t)
{
    return QStringLiteral("ASetFullPara(\"TimeDate\":{\"Set\":\"") + clockText(t) + QStringLiteral("\"})");
}

QString alarmStopCommand()
{
    return QStringLiteral("ASetFullPara(\"ChangeStat\":{\"Alarm\":\"Disable\"})");
}

QString eraseCommand()
{
    return QStringLiteral("ASetFullPara(\"Erase\":{\"Log\":\"\"})");
}

QString ussdCommand(const QString& code)
{
    QString c = code;
    c.replace(QLatin1Char('#'), QLatin1Char('$'));
    return QStringLiteral("ASetFullPara(\"USSDResp\":{\"Code\":\"") + c + QStringLiteral("\"})");
}

QString topUpCommand(const QString& code)
{
    return QStringLiteral("ASetFullPara(\"USSDResp\":{\"Charge\":\"") + code + QStringLiteral("\"})");
}

bool hasTopUpCode(const QString& code)
{
    return !code.trimmed().isEmpty();
}

bool clockConfirmed(const QString& reply)
{
    return reply.contains(QLatin1String("TimeDate"));
}

bool eraseConfirmed(const QString& answer)
{
    return answer == QLatin1String("yes");
}

ClockSetResult setDeviceClock(AuditJournal& journal, const QString& device, const _SYSTEMTIME& t,
                              const CommandExchange& exchange)
{
    const QString kind = QStringLiteral("device.clock");
    nlohmann::ordered_json details{{"device", device.toStdString()}, {"clock", clockText(t).toStdString()}};
    journal.append(kind, details);
    ClockSetResult r;
    // The reply's entry: the command is with the device already, so a journal that
    // cannot take it is told by the caller and the work goes on.
    auto journalReply = [&](bool confirmed) {
        details["confirmed"] = confirmed;
        try {
            journal.append(kind, details);
        } catch (const JournalError&) {
            r.replyJournalled = false;
        }
    };
    try {
        r.reply = exchange(clockSetCommand(t));
    } catch (const std::exception&) {
        journalReply(false);
        throw;
    }
    r.confirmed = clockConfirmed(r.reply);
    journalReply(r.confirmed);
    return r;
}

QString stopDeviceAlarm(AuditJournal& journal, const QString& device, const CommandExchange& exchange)
{
    journal.append(QStringLiteral("device.alarm-stop"), {{"device", device.toStdString()}});
    return exchange(alarmStopCommand());
}

QString eraseDeviceLog(AuditJournal& journal, const QString& device, const QString& confirmation,
                       const CommandExchange& exchange)
{
    journal.append(QStringLiteral("device.erase"),
                   {{"device", device.toStdString()}, {"confirmation", confirmation.toStdString()}});
    return exchange(eraseCommand());
}

const QStringList& presetCommands()
{
    static const QStringList presets{
        QStringLiteral("ASetFullPara(\"GetTemp\":{\"Online\":\"\"})"),
        QStringLiteral("ASetFullPara(\"GetLog\":{\"Month\":\"5,0,1,1\"})"),
        QStringLiteral("ASetFullPara(\"TimeDate\":{\"Get\":\"\"})"),
        QStringLiteral("ASetFullPara(\"GetLog\":{\"Day\":\"5,0,1,1\"})"),
        QStringLiteral("ASetFullPara(\"Test\":{\"AlarmPhone\":\"Enable\"})"),
        QStringLiteral("AGetFullPara(\"Test\":{\"AlarmPhone\":\"Disable\"})"),
        QStringLiteral("AGetFullPara(\"ChangeStat\":{\"Alarm\":\"Enable\"})"),
        QStringLiteral("AGetFullPara(\"ChangeStat\":{\"Alarm\":\"Disable\"})"),
        QStringLiteral("ASetFullPara(\"SystemReset\":{})"),
        QStringLiteral("ASetFullPara(\"USSDResp\":{\"Charge\":\"Reset\"})"),
        QStringLiteral("ASetFullPara(\"USSDResp\":{\"Charge\":\"Read\"})"),
        QStringLiteral("ASetFullPara(\"USSDResp\":{\"USSD\":\"Reset\"})"),
        QStringLiteral("ASetFullPara(\"USSDResp\":{\"USSD\":\"Read\"})"),
        QString(),
        QString(),
    };
    return presets;
}

QString erasePrompt(const Device_Rec& device)
{
    QString who = device.Name.isEmpty() ? QString() : device.Name + QLatin1Char(' ');
    who += QStringLiteral("ID=%1 %2").arg(device.ID, device.IP);
    // The prompt's words stand in left-to-right order: it is shown as a left-to-right unit.
    return bidi::leftToRight(kErasePrompt) + QLatin1Char('\r') + bidi::display(QStringLiteral("دستگاه: ") + who);
}

}  // namespace maintenance
