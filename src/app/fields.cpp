#include "app/fields.h"

QStringList splitDelimited(const QString& text, QStringView delimiters, int maxFields)
{
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (delimiters.contains(text[i])) {
            out.append(text.mid(start, i - start));
            start = i + 1;
            if (maxFields > 0 && out.size() >= maxFields) return out;
        }
    }
    out.append(text.mid(start));
    return out;
}

QString firstChar(const QString& text)
{
    if (text.size() >= 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate()) return text.left(2);
    return text.left(1);
}
