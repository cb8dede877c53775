#include "link/replies.h"

#include <limits>
#include <nlohmann/json.hpp>

#include <QCoreApplication>

#include "app/fields.h"
#include "link/framing.h"
#include "platform/convert.h"

QStringList replyFields(const QString& reply)
{
    return splitDelimited(reply, u":,()\"", kReplyParts);
}

int FindNumber(const QString& s1)
{
    qint64 value = 0;
    bool any = false;
    for (const QChar c : s1) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) continue;
        any = true;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            throw ConvertError(QCoreApplication::translate("Termivo", "'%1' is not a valid integer value").arg(s1));
    }
    return any ? int(value) : -1;
}

namespace {

using ordered_json = nlohmann::ordered_json;

// Parses the whole text as one JSON value and answers the object member `outer` of it.
ordered_json innerObject(const QString& text, const char* outer)
{
    const QByteArray bytes = asciiBytes(text);
    ordered_json doc = ordered_json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (doc.is_discarded())
        throw ReplyError(QCoreApplication::translate("Termivo", "Invalid JSON reply: %1").arg(text.left(200)));
    if (!doc.is_object()) throw ReplyError(QCoreApplication::translate("Termivo", "The reply is not a JSON object"));
    const auto it = doc.find(outer);
    if (it == doc.end()) throw ReplyError(QStringLiteral("The reply has no member \"%1\"").arg(QLatin1String(outer)));
    if (!it->is_object())
        throw ReplyError(QStringLiteral("The member \"%1\" of the reply is not an object").arg(QLatin1String(outer)));
    return *it;
}

// A member's value as text: strings as they are, numbers as written, anything else
// as its JSON text.
QString valueText(const ordered_json& v)
{
    if (v.is_string()) return QString::fromStdString(v.get<std::string>());
    return QString::fromStdString(v.dump());
}

}  // namespace

bool JSon2DateTime(const QString& s1, _SYSTEMTIME& t1)
{
    const ordered_json inner = innerObject(s1, "GetTimeDate");
    for (const auto& [key, value] : inner.items()) {
        uint16_t* field = nullptr;
        if (key == "Day")
            field = &t1.wDay;
        else if (key == "Month")
            field = &t1.wMonth;
        else if (key == "Year")
            field = &t1.wYear;
        else if (key == "Hour")
            field = &t1.wHour;
        else if (key == "Minute")
            field = &t1.wMinute;
        if (!field) continue;
        const QString text = valueText(value);
        int n = 0;
        try {
            n = strToInt(text);
        } catch (const ConvertError&) {
            throw ReplyError(QCoreApplication::translate("Termivo", "'%1' is not a valid integer value").arg(text));
        }
        if (n < 0 || n > 65535)
            throw ReplyError(QCoreApplication::translate("Termivo", "'%1' is out of range for a date field").arg(text));
        *field = uint16_t(n);
    }
    return true;
}

bool JSon2Online(const QString& sOnline, QString& st1, QString& st2, QString& st3, QString& st4, QString& Alarm2,
                 QString& Memerr, QString& ID2)
{
    const ordered_json inner = innerObject(sOnline, "GetTemp");
    for (const auto& [key, value] : inner.items()) {
        QString* out = nullptr;
        if (key == "Sensor0")
            out = &st1;
        else if (key == "Sensor1")
            out = &st2;
        else if (key == "Sensor2")
            out = &st3;
        else if (key == "Sensor3")
            out = &st4;
        else if (key == "Alarm")
            out = &Alarm2;
        else if (key == "MemErr")
            out = &Memerr;
        else if (key == "ID")
            out = &ID2;
        if (out) *out = valueText(value);
    }
    return true;
}

std::optional<QString> ussdAnswer(const QString& reply)
{
    const qsizetype p = reply.indexOf(QLatin1String("\"Resp\""));
    if (p < 0 || reply.size() - (p + 1) <= 15) return std::nullopt;
    // The value runs from the 8th character after the opening quote of "Resp" to two
    // characters before the first "}}"; a reply without "}}" after it gives no text.
    const qsizetype q = reply.indexOf(QLatin1String("}}"));
    if (q <= p) return QString();
    return reply.mid(p + 8, qMax<qsizetype>(0, q - p - 9));
}
