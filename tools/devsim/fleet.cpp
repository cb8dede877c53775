#include "fleet.h"

#include <stdexcept>

#include <QHostAddress>

namespace devsim {

namespace {

// Splits a line at blanks; a double-quoted part keeps its blanks.
QStringList tokens(const QString& line)
{
    QStringList out;
    QString cur;
    bool quoted = false, any = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (c.isSpace() && !quoted) {
            if (any) out << cur;
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any) out << cur;
    return out;
}

bool toInt(const QString& v, int& out)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok) out = n;
    return ok;
}

}  // namespace

bool isLoopbackAddress(const QString& text)
{
    QHostAddress a;
    if (!a.setAddress(text) || a.protocol() != QAbstractSocket::IPv4Protocol) return false;
    return (a.toIPv4Address() >> 24) == 127;
}

const QStringList& faultKinds()
{
    static const QStringList kinds{
        QStringLiteral("silence"),     QStringLiteral("garbage"), QStringLiteral("badsum"),
        QStringLiteral("othersensor"), QStringLiteral("slow"),    QStringLiteral("split"),
        QStringLiteral("chunks"),      QStringLiteral("raw"),     QStringLiteral("drop"),
        QStringLiteral("message"),     QStringLiteral("late"),    QStringLiteral("linebreak"),
        QStringLiteral("endless"),     QStringLiteral("vanish"),  QStringLiteral("notjson"),
        QStringLiteral("nomain"),      QStringLiteral("reorder"), QStringLiteral("badindex"),
        QStringLiteral("noconfirm")};
    return kinds;
}

bool setDeviceKey(DeviceConfig& d, const QString& key, const QString& value)
{
    if (key == QLatin1String("id"))
        d.id = value;
    else if (key == QLatin1String("link"))
        d.link = value;
    else if (key == QLatin1String("name"))
        d.name = value;
    else if (key == QLatin1String("type"))
        d.type = value;
    else if (key == QLatin1String("sensors")) {
        QString letters;
        for (const QString& s : value.split(QLatin1Char(','))) letters += s.isEmpty() ? QLatin1Char('-') : s.at(0);
        d.letters = (letters + QStringLiteral("----")).left(4);
    } else if (key == QLatin1String("names"))
        d.sensorNames = value.split(QLatin1Char(','));
    else if (key == QLatin1String("alarm"))
        return toInt(value, d.alarm);
    else if (key == QLatin1String("ussd"))
        d.ussd = value;
    else if (key == QLatin1String("ussd-delay"))
        return toInt(value, d.ussdDelayMs);
    else if (key == QLatin1String("ussd-polls"))
        return toInt(value, d.ussdPolls);
    else if (key == QLatin1String("since"))
        return toInt(value, d.sinceDays);
    else if (key == QLatin1String("clock-offset"))
        return toInt(value, d.clockOffsetMin);
    else if (key == QLatin1String("calendar")) {
        if (value != QLatin1String("official") && value != QLatin1String("arithmetic")) return false;
        d.arithmeticCalendar = value == QLatin1String("arithmetic");
    } else if (key == QLatin1String("fault")) {
        if (!faultKinds().contains(value)) return false;
        d.fault.kind = value;
    } else if (key == QLatin1String("fault-gap"))
        return toInt(value, d.fault.gapMs);
    else if (key == QLatin1String("fault-count"))
        return toInt(value, d.fault.count);
    else if (key == QLatin1String("fault-match"))
        d.fault.match = value;
    else if (key == QLatin1String("fault-ms"))
        return toInt(value, d.fault.ms);
    else if (key == QLatin1String("fault-text"))
        d.fault.text = value;
    else if (isReadingKey(key))
        return setReadingKey(d.readings, key, value);
    else
        return false;
    return true;
}

Fleet parseFleet(const QString& text)
{
    Fleet fleet;
    int lineNo = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++lineNo;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList t = tokens(line);
        auto fail = [&](const QString& why) {
            throw std::runtime_error(QStringLiteral("fleet line %1: %2").arg(lineNo).arg(why).toStdString());
        };
        if (t.at(0) == QLatin1String("seed") && t.size() == 2) {
            bool ok = false;
            fleet.seed = t.at(1).toUInt(&ok);
            if (!ok) fail(QStringLiteral("bad seed"));
        } else if (t.at(0) == QLatin1String("search") && t.size() == 2) {
            fleet.searchAddress = t.at(1);
        } else if (t.at(0) == QLatin1String("pace") && t.size() == 2) {
            fleet.pace = t.at(1) != QLatin1String("off");
        } else if (t.at(0) == QLatin1String("device")) {
            DeviceConfig d;
            for (int i = 1; i < t.size(); ++i) {
                const qsizetype eq = t.at(i).indexOf(QLatin1Char('='));
                if (eq <= 0 || !setDeviceKey(d, t.at(i).left(eq), t.at(i).mid(eq + 1)))
                    fail(QStringLiteral("bad item '%1'").arg(t.at(i)));
            }
            if (d.id.isEmpty() || d.link.isEmpty()) fail(QStringLiteral("a device needs id= and link="));
            fleet.devices << d;
        } else {
            fail(QStringLiteral("unknown line"));
        }
    }
    return fleet;
}

}  // namespace devsim
