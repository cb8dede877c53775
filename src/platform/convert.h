// Text to number conversions with the program's error texts.
#pragma once

#include <QString>

// Decimal integer, optionally signed, surrounding blanks not allowed; throws ConvertError.
int strToInt(const QString& s);
// Decimal number with the decimal separator of the user's regional settings; throws ConvertError.
double strToFloat(const QString& s);
// Formats a number with the regional decimal separator, as printf("%.*f").
QString formatFixed(double v, int decimals);
// The regional decimal separator (QLocale::system()).
QChar decimalSeparator();
