#include "online/readings.h"

#include <cmath>

#include "app/calendar.h"
#include "link/replies.h"
#include "platform/convert.h"

const QString kReadingCommand = QStringLiteral("ASetFullPara(\"GetTemp\":{\"Online\":\"\"})");
const QString kClockCommand = QStringLiteral("ASetFullPara(\"TimeDate\":{\"Get\":\"\"})");
const QString kDisconnectedText = QStringLiteral("D.C.");
const QString kAlarmMark = QStringLiteral("(Alarm)");

namespace {
constexpr double kDisconnectedValue = 150.0;
}

std::optional<double> readingValue(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

bool isDisconnectedText(const QString& text)
{
    const std::optional<double> v = readingValue(text);
    return v && std::fabs(*v) == kDisconnectedValue;
}

std::optional<DeviceReading> decodeReading(const QString& reply)
{
    if (reply.indexOf(QLatin1String("GetTemp")) <= 0) return std::nullopt;
    QString text = reply;
    if (text.startsWith(QLatin1Char('$'))) text[0] = QLatin1Char(' ');
    DeviceReading r;
    QString alarm, memErr;
    try {
        JSon2Online(text, r.raw[0], r.raw[1], r.raw[2], r.raw[3], alarm, memErr, r.id);
        r.alarmBits = strToInt(alarm);
    } catch (const TermivoError&) {
        return std::nullopt;
    }
    for (int k = 0; k < 4; ++k) {
        r.disconnected[k] = isDisconnectedText(r.raw[k]);
        r.alarm[k] = (r.alarmBits >> k) & 1;
        r.texts[k] = r.disconnected[k] ? kDisconnectedText : r.raw[k];
        if (r.alarm[k]) r.texts[k] += kAlarmMark;
    }
    return r;
}

QString readingTitle(const QString& id, int sensor0to3, const QString& name, const QString& text)
{
    return id + QString::number(sensor0to3 + 1) + QLatin1Char('_') + name + QStringLiteral(" : ") + text;
}

std::optional<QStringList> clockMismatchLines(const QString& reply, const QString& id, const QDateTime& now,
                                              ShamsiCalendar calendar)
{
    const _SYSTEMTIME p = clockOf(now, calendar);
    _SYSTEMTIME v;  // fields the reply does not name stay 0
    try {
        JSon2DateTime(reply, v);
    } catch (const TermivoError&) {
        return std::nullopt;
    }
    const int pcMinutes = p.wHour * 60 + p.wMinute;
    const int devMinutes = v.wHour * 60 + v.wMinute;
    auto sameDate = [&v](const _SYSTEMTIME& t) {
        return v.wYear == t.wYear && v.wMonth == t.wMonth && v.wDay == t.wDay;
    };
    if (sameDate(p) && std::abs(pcMinutes - devMinutes) < 90) return std::nullopt;
    auto stamp = [](const _SYSTEMTIME& t) {
        return QStringLiteral("%1/%2/%3 %4:%5").arg(t.wYear).arg(t.wMonth).arg(t.wDay).arg(t.wHour).arg(t.wMinute);
    };
    auto named = [](ShamsiCalendar c) { return QStringLiteral(" (%1 calendar)").arg(calendarName(c)); };
    // A device whose date is today's in the other calendar goes by that calendar.
    const ShamsiCalendar other =
        calendar == ShamsiCalendar::Official ? ShamsiCalendar::Arithmetic : ShamsiCalendar::Official;
    const bool onOther = !sameDate(p) && sameDate(clockOf(now, other));
    return QStringList{
        QStringLiteral(" ساعت وتاریخ کامپیوتر و دستگاه با هم مغایرت دارد ") + QStringLiteral("Device ID =") + id,
        QStringLiteral("PC Date    :") + stamp(p) + named(calendar),
        QStringLiteral("Device Date:") + stamp(v) + (onOther ? named(other) : QString()), QString()};
}
