#include "devices.h"

#include <QRegularExpression>

#include "app/calendar.h"
#include "link/framing.h"
#include "params.h"

namespace devsim {

using ordered_json = nlohmann::ordered_json;

namespace {

std::string s(const QString& t)
{
    return t.toStdString();
}

QString wire(const ordered_json& j)
{
    return QStringLiteral("$") + QString::fromStdString(j.dump()) + QLatin1Char('#');
}

LogDay toLogDay(const _SYSTEMTIME& t)
{
    return LogDay{t.wYear, t.wMonth, t.wDay};
}

// The first "value" of a quoted key in a command body: "key":"value".
QString quotedValue(const QString& body, const QString& key)
{
    const QRegularExpression re(QStringLiteral("\"%1\"\\s*:\\s*\"([^\"]*)\"").arg(QRegularExpression::escape(key)));
    const QRegularExpressionMatch m = re.match(body);
    return m.hasMatch() ? m.captured(1) : QString();
}

}  // namespace

Device::Device(const DeviceConfig& config, uint32_t seed)
    : m_config(config),
      m_seed(seed),
      m_params(initialParameters(config)),
      m_clockOffsetSecs(qint64(config.clockOffsetMin) * 60)
{
}

ShamsiCalendar Device::calendar() const
{
    return m_config.arithmeticCalendar ? ShamsiCalendar::Arithmetic : ShamsiCalendar::Official;
}

bool Device::hasDay(const LogDay& d) const
{
    const int year = fullShamsiYear(d.yy, toShamsi(clock().date(), calendar()).year);
    return d.day >= 1 && d.day <= daysInShamsiMonth(year, d.month, calendar());
}

QDateTime Device::clock() const
{
    const QDateTime base =
        m_config.readings.clockAt.isValid() ? m_config.readings.clockAt : QDateTime::currentDateTime();
    return base.addSecs(m_clockOffsetSecs);
}

LogSpan Device::span() const
{
    const QDateTime now = clock();
    LogSpan sp;
    sp.today = toLogDay(Date2Shamsi(now.date(), now, calendar()));
    sp.hourNow = now.time().hour();
    sp.first = m_erased ? m_erasedDay : toLogDay(Date2Shamsi(now.date().addDays(-m_config.sinceDays), now, calendar()));
    return sp;
}

QString Device::codesOf(int sensor, const LogDay& d) const
{
    const QChar l = m_config.letter(sensor);
    // A day the calendar lacks was never logged.
    if (l == QLatin1Char('-') || !hasDay(d)) return QString(48, QLatin1Char('?'));
    return dayCodes(m_seed, m_config.id, sensor, l, d, span());
}

QString Device::header(int sensor) const
{
    const QChar l = m_config.letter(sensor);
    const LogSpan sp = span();
    if (sensor < 0 || sensor > 3 || l == QLatin1Char('-'))
        return buildSummedReply(QStringLiteral("SenPara(0,0,%1,0,%2,-,0,0,0,0,%3,%4)")
                                    .arg(m_config.type)
                                    .arg(sensor)
                                    .arg(sp.today.yy)
                                    .arg(sp.today.month),
                                m_config.id);
    const ordered_json& g = m_params["Main"][s(QStringLiteral("S%1").arg(sensor))];
    auto num = [](const ordered_json& v) {
        return v.is_number() ? QString::number(v.get<double>(), 'f', 1) : QStringLiteral("0.0");
    };
    return buildSummedReply(QStringLiteral("SenPara(0,1,%1,1,%2,%3,%4,%5,60,0,%6,%7,0,0,0)")
                                .arg(m_config.type)
                                .arg(sensor)
                                .arg(l)
                                .arg(num(g.value("Min1", ordered_json())))
                                .arg(num(g.value("Max1", ordered_json())))
                                .arg(sp.first.yy)
                                .arg(sp.first.month),
                            m_config.id);
}

QString Device::dayLog(const QString& body, int sensorShift) const
{
    const QStringList f = quotedValue(body, QStringLiteral("Day")).split(QLatin1Char(','));
    bool ok[4] = {false, false, false, false};
    const int yy = f.value(0).toInt(&ok[0]), sensor = f.value(1).toInt(&ok[1]);
    const int month = f.value(2).toInt(&ok[2]), day = f.value(3).toInt(&ok[3]);
    if (f.size() != 4 || !ok[0] || !ok[1] || !ok[2] || !ok[3] || sensor < 0 || sensor > 3 || month < 1 || month > 12 ||
        day < 1 || day > 31)
        return wire({{"GetLog", {{"Error", "Bad day"}}}});
    const QString codes = codesOf(sensor, LogDay{yy, month, day});
    const QString item = QStringLiteral("%1,%2,%3,%4,%5,%6")
                             .arg(f.value(0))
                             .arg(recordedHours(codes))
                             .arg(sensor + sensorShift)
                             .arg(month)
                             .arg(day)
                             .arg(codes);
    // The codes go out as they are (a backslash among them is not escaped).
    return QStringLiteral("${\"GetLog\":{\"Day\":\"") + item + QStringLiteral("\"}}#");
}

QString Device::online() const
{
    const QDateTime now = clock();
    const LogDay today = toLogDay(Date2Shamsi(now.date(), now, calendar()));
    ordered_json t = ordered_json::object();
    for (int k = 0; k < 4; ++k) {
        const QChar l = m_config.letter(k);
        t[s(QStringLiteral("Sensor%1").arg(k))] = s(m_config.readings.textFor(
            k, l == QLatin1Char('-') ? QStringLiteral("150.0")
                                     : onlineText(m_seed, m_config.id, k, l, today, now.time().hour())));
    }
    if (!m_config.readings.withoutAlarm) t["Alarm"] = s(QString::number(m_config.alarm));
    t["MemErr"] = "0";
    t["ID"] = s(m_config.readings.replyId.isEmpty() ? m_config.id : m_config.readings.replyId);
    return wire({{"GetTemp", t}});
}

QString Device::timeDate() const
{
    const QDateTime now = clock();
    const _SYSTEMTIME t = Date2Shamsi(now.date(), now, calendar());
    return wire({{"GetTimeDate",
                  {{"Year", s(QStringLiteral("%1").arg(t.wYear, 2, 10, QLatin1Char('0')))},
                   {"Month", s(QString::number(t.wMonth))},
                   {"Day", s(QString::number(t.wDay))},
                   {"Hour", s(QString::number(now.time().hour()))},
                   {"Minute", s(QString::number(now.time().minute()))}}}});
}

std::optional<QString> Device::answer(const QString& body, int sensorShift, const QString& fault)
{
    static const QRegularExpression senPara(QStringLiteral("^SenPara\\(0,(-?\\d+)\\)$"));
    if (const QRegularExpressionMatch m = senPara.match(body); m.hasMatch()) return header(m.captured(1).toInt());
    if (body == QLatin1String("GetFullPara()")) {
        if (std::optional<QString> faulty = faultyFullSet(m_params, fault)) return faulty;
        return wire(m_params);
    }
    auto has = [&](const char* t) { return body.contains(QLatin1String(t)); };
    if (has("\"GetLog\"") && has("\"Day\"")) return dayLog(body, sensorShift);
    if (has("\"GetTemp\"")) return online();
    if (has("\"GetFullStat\"")) return wire(statusSet(m_config));
    if (has("\"TimeDate\"")) {
        const QString set = quotedValue(body, QStringLiteral("Set"));
        if (set.isEmpty()) return timeDate();
        // "yy,month,day,0,hour,minute,second": the device's clock is set to that time.
        const QStringList f = set.split(QLatin1Char(','));
        if (f.size() >= 6) {
            // The offset is kept from the clock the device runs on (clock-at= when given).
            const QDateTime now =
                m_config.readings.clockAt.isValid() ? m_config.readings.clockAt : QDateTime::currentDateTime();
            const int year = fullShamsiYear(f[0].toInt(), toShamsi(now.date(), calendar()).year);
            const QDate date = fromShamsi(ShamsiDate{year, f[1].toInt(), f[2].toInt()}, calendar());
            if (date.isValid())
                m_clockOffsetSecs = now.secsTo(QDateTime(date, QTime(f[4].toInt(), f[5].toInt(), f.value(6).toInt())));
        }
        return wire({{"TimeDate", {{"Set", "OK"}}}});
    }
    if (has("\"ChangeStat\"")) {
        if (quotedValue(body, QStringLiteral("Alarm")) == QLatin1String("Disable")) m_config.alarm = 0;
        return wire({{"ChangeStat", {{"Alarm", s(quotedValue(body, QStringLiteral("Alarm")))}}}});
    }
    if (has("\"Erase\"")) {
        m_erased = true;
        m_erasedDay = span().today;
        return wire({{"Erase", {{"Log", "OK"}}}});
    }
    if (has("\"USSDResp\"")) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (has("\"Read\"") || quotedValue(body, QStringLiteral("Charge")) == QLatin1String("Read") ||
            quotedValue(body, QStringLiteral("USSD")) == QLatin1String("Read")) {
            ++m_ussdReads;
            const bool ready = m_ussdReadyAt >= 0 &&
                               (m_config.ussdPolls > 0 ? m_ussdReads >= m_config.ussdPolls : now >= m_ussdReadyAt);
            return wire({{"USSDResp", {{"Resp", ready ? s(m_config.ussd) : std::string()}}}});
        }
        if (has("\"Reset\"")) {
            m_ussdReadyAt = -1;
            return wire({{"USSDResp", {{"Reset", "OK"}}}});
        }
        m_ussdReadyAt = now + m_config.ussdDelayMs;
        m_ussdReads = 0;
        return wire({{"USSDResp", {{"Code", "Sent"}}}});
    }
    if (has("\"Main\"")) {
        // A lost confirmation: the text is not applied and no "SetResp" comes.
        if (fault == QLatin1String("noconfirm")) return wire({{"Busy", {{"Main", "Later"}}}});
        if (!applyChangeText(m_params, body)) return wire({{"Error", {{"Main", "Cannot read the change text"}}}});
        return wire({{"SetResp", {{"Main", "OK"}}}});
    }
    if (has("\"BroadCast\"")) return searchReply();
    return wire({{"Error", "Unknown command"}});
}

QString Device::searchReply() const
{
    // What the device itself holds: its parameter set as changed by the program.
    const ordered_json& main = m_params["Main"];
    const ordered_json& base = main["BaseParam"];
    const ordered_json& lan = main["LAN"];
    ordered_json reply = {{"ID", base.value("ID", s(m_config.id))},
                          {"Name", base.value("Name", std::string())},
                          {"IP", lan.value("SIP", s(m_config.link))},
                          {"MAC", lan.value("MAC", std::string())},
                          {"Port", lan.value("Port", 54321)}};
    for (int k = 0; k < 4; ++k) {
        const std::string g = s(QStringLiteral("S%1").arg(k));
        reply[g] = main[g].value("Name", std::string());
    }
    return wire({{"BroadCast", reply}});
}

}  // namespace devsim
