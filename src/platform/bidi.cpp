#include "platform/bidi.h"

#include <QStringList>

namespace bidi {

namespace {

bool isMark(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2066 && u <= 0x2069) || (u >= 0x202A && u <= 0x202E);
}

bool isRightToLeft(QChar c)
{
    const QChar::Direction d = c.direction();
    return d == QChar::DirR || d == QChar::DirAL;
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// Letters and digits that read left to right start and end a run.
bool isLeftToRightCore(QChar c)
{
    return c.isDigit() || (c.isLetter() && c.direction() == QChar::DirL);
}

bool isSign(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('+') || c == QChar(0x2212);
}

}  // namespace

QString leftToRight(const QString& text)
{
    return kLri + text + kPdi;
}

QString rightToLeft(const QString& text)
{
    return kRli + text + kPdi;
}

QString linesInOwnDirection(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (!line.isEmpty()) line = kFsi + line + kPdi;
    return lines.join(QLatin1Char('\n'));
}

QString isolateRuns(const QString& text)
{
    for (QChar c : text)
        if (isMark(c)) return text;
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        const bool signed_ =
            isSign(c) && i + 1 < n && text[i + 1].isDigit() && (i == 0 || !isLeftToRightCore(text[i - 1]));
        if (!signed_ && !isLeftToRightCore(c)) {
            out += c;
            ++i;
            continue;
        }
        // The run goes on over everything that is not right to left, and ends at its
        // last letter, digit or percent sign.
        qsizetype end = i + 1;  // one past the run's last character
        for (qsizetype j = i + 1; j < n && !isRightToLeft(text[j]) && !isLineBreak(text[j]); ++j)
            if (isLeftToRightCore(text[j]) || text[j] == QLatin1Char('%')) end = j + 1;
        out += leftToRight(text.mid(i, end - i));
        i = end;
    }
    return out;
}

QString display(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.isEmpty()) continue;
        bool rtl = false;
        for (QChar c : line) {
            if (isRightToLeft(c)) {
                rtl = true;
                break;
            }
            if (c.direction() == QChar::DirL) break;
        }
        const QString runs = isolateRuns(line);
        line = rtl ? rightToLeft(runs) : leftToRight(runs);
    }
    return lines.join(QLatin1Char('\n'));
}

QString withoutMarks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!isMark(c)) out += c;
    return out;
}

}  // namespace bidi
