// Builders of report file lines for tests: headers, day lines from values, comments.
#pragma once

#include <cmath>
#include <limits>
#include <vector>

#include <QString>
#include <QStringList>

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// A header whose fields split at ",", "(" and ")" give: 3 device type, 5 sensor
// number, 6 sensor type, 7 lower limit, 8 upper limit, 11 year, 12 month.
QString reportHeader(const QString& devType = QStringLiteral("H"), const QString& sensorType = QStringLiteral("T"),
                     const QString& lower = QStringLiteral("18"), const QString& upper = QStringLiteral("26"));
// The two-character code of a value of a "T" sensor (r / 10 - 100); NaN gives "??".
QString hourCodeT(double value);
// A day line "month,day,codes,year,extra" for a "T" sensor; hours past the given
// values are missing.
QString dayLineT(int month, int day, const std::vector<double>& hours, const QString& year = QStringLiteral("3"));
// A day line whose 24 hours all hold value.
QString fullDayT(int month, int day, double value);
