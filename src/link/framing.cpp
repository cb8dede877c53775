#include "link/framing.h"

int CheckSum(const QString& s)
{
    if (s.size() < 3) return -1;
    int sum = s.at(0) == QLatin1Char('$') ? 0 : 36;
    qsizetype i = 0;
    for (; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char(':')) break;
        sum += c.unicode();
        if (sum >= 256) sum -= 255;
    }
    if (i >= s.size()) return sum;
    const qsizetype start = i + 1;
    qsizetype end = s.indexOf(QLatin1Char(','), start);
    if (end < 0) end = s.size();
    return QStringView(s).mid(start, end - start) == QString::number(sum) ? 0 : 1;
}

QString CleanStr(const QString& s1)
{
    qsizetype end = s1.indexOf(QLatin1Char('#'));
    if (end < 0) end = s1.size();
    if (end == 0) return {};
    const qsizetype dollar = s1.lastIndexOf(QLatin1Char('$'), end - 1);  // -1 when there is none
    return s1.mid(dollar + 1, end - dollar - 1);
}

QByteArray asciiBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) bytes.append(c.unicode() < 128 ? char(c.unicode()) : '?');
    return bytes;
}

QString buildFrame(const QString& command, const QString& deviceId)
{
    const QString head = QStringLiteral("A{") + command.mid(1);
    return head + QStringLiteral(":%1,%2}#").arg(CheckSum(head)).arg(deviceId);
}

QString buildSummedReply(const QString& payload, const QString& tail)
{
    const QString body = QStringLiteral("$") + payload;
    return body + QStringLiteral(":%1,%2#").arg(CheckSum(body)).arg(tail);
}
