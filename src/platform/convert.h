// Text to number conversions with the program's error texts.
#pragma once

#include <QString>

// Decimal integer, optionally signed, surrounding blanks not allowed; throws ConvertError.
int strToInt(const QString& s);
// The decimal separator of Persian regional settings (U+066B).
constexpr QChar kArabicDecimalSeparator = QChar(0x066B);

// Decimal number with a point, the decimal separator of the user's regional settings
// or the Arabic decimal separator; throws ConvertError.
double strToFloat(const QString& s);
// Formats a number with the regional decimal separator, rounded as printf("%.*f") in C.
QString formatFixed(double v, int decimals);
// The regional decimal separator (the default QLocale: the system's unless set).
QChar decimalSeparator();
