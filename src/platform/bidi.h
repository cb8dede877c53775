// Mixed Persian and left-to-right text for right-to-left windows.
//
// The Unicode bidirectional algorithm orders a run of numbers or Latin letters by its
// neighbours, so a right-to-left line shows "-20" as "20-", the stamp "98/9/12 14:5" as
// "14:5 98/9/12" and "Lab,Com1," with its last comma first. These helpers wrap such runs
// in directional isolates (U+2066..U+2069), so that each reads as written. The marks are
// for display only: a text written to a file or sent to a device never carries them, and
// withoutMarks() takes them off a text read back from the screen.
#pragma once

#include <QString>

namespace bidi {

constexpr QChar kLri{0x2066};  // left-to-right isolate
constexpr QChar kRli{0x2067};  // right-to-left isolate
constexpr QChar kFsi{0x2068};  // first-strong isolate
constexpr QChar kPdi{0x2069};  // end of an isolate

// The text as one left-to-right unit: a number, a date, an ID, an address, a device
// line, or a text whose words stand in left-to-right order.
QString leftToRight(const QString& text);
// The text as one right-to-left unit.
QString rightToLeft(const QString& text);
// Each line as a unit of its own direction, taken from its first letter (a line
// without letters is left to right), whatever the direction of the lines around it.
QString linesInOwnDirection(const QString& text);
// A Persian text with every left-to-right run in it (Latin words, numbers with their
// sign, dates, times, IDs, addresses) isolated. A text that already holds isolates is
// returned as it is.
QString isolateRuns(const QString& text);
// A text for a right-to-left window, line by line: each line as a unit in the
// direction of its first letter (a line without letters, left to right), with its
// left-to-right runs isolated. This is the one to use for a text built from parts.
QString display(const QString& text);
// The text without directional isolates and embeddings.
QString withoutMarks(const QString& text);

}  // namespace bidi
