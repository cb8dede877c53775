#include "platform/convert.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include <QCoreApplication>
#include <QLocale>

#include "platform/errors.h"

int strToInt(const QString& s)
{
    // Delphi-style: leading blanks are tolerated, trailing characters are not.
    QString t = s;
    int i = 0;
    while (i < t.size() && t[i] == QLatin1Char(' ')) ++i;
    t = t.mid(i);
    bool ok = false;
    qlonglong v = 0;
    if (!t.isEmpty() && (t[0].isDigit() || ((t[0] == '-' || t[0] == '+') && t.size() > 1 && t[1].isDigit()))) {
        bool digitsOnly = true;
        for (int k = 1; k < t.size(); ++k)
            if (!t[k].isDigit() || t[k].unicode() > 127) digitsOnly = false;
        if (digitsOnly && t[0].unicode() < 128) v = t.toLongLong(&ok);
    }
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throw ConvertError(QCoreApplication::translate("Termivo", "'%1' is not a valid integer value").arg(s));
    return static_cast<int>(v);
}

QChar decimalSeparator()
{
    const QString d = QLocale().decimalPoint();
    return d.isEmpty() ? QChar('.') : d[0];
}

double strToFloat(const QString& s)
{
    // Files hold a point whatever the regional settings; the regional separator and
    // the Arabic decimal separator (which Persian settings use) are read too.
    const QString t = s.trimmed();
    const QChar sep = decimalSeparator();
    QString norm;
    norm.reserve(t.size());
    bool bad = t.isEmpty();
    for (QChar c : t) {
        if (c == sep || c == QLatin1Char('.') || c == kArabicDecimalSeparator) {
            norm += QLatin1Char('.');
        } else if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == 'e' || c == 'E') {
            norm += c;
        } else {
            bad = true;
            break;
        }
    }
    bool ok = false;
    double v = bad ? 0.0 : QLocale::c().toDouble(norm, &ok);
    if (bad || !ok || !std::isfinite(v))
        throw ConvertError(QCoreApplication::translate("Termivo", "'%1' is not a valid floating point value").arg(s));
    return v;
}

QString formatFixed(double v, int decimals)
{
    // As C's printf: the exact binary value rounded, ties to even (20.25 -> "20.2").
    std::array<char, 400> buf;
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
    QString s =
        r.ec == std::errc() ? QString::fromLatin1(buf.data(), r.ptr - buf.data()) : QString::number(v, 'f', decimals);
    const QChar sep = decimalSeparator();
    if (sep != QLatin1Char('.')) s.replace(QLatin1Char('.'), sep);
    return s;
}
