// Delimiter-set splitting: a text is cut at every character of a given set; empty
// fields are kept, a delimiter at the end gives a final empty field, an empty text
// gives one empty field; there is no quoting.
#pragma once

#include <QString>
#include <QStringList>

// maxFields > 0 drops the fields beyond that count.
QStringList splitDelimited(const QString& text, QStringView delimiters, int maxFields = -1);

// The first character of text as a whole code point (a surrogate pair stays whole);
// empty for an empty text.
QString firstChar(const QString& text);
