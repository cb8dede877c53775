// Builders of report file lines for tests: headers, day lines from values, comments.
#pragma once

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include <QDateTime>
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

// Journals in root's audit journal what the program writes when a report file's limits
// change: the file at path adopted as it stood (its lines under header before) at
// adoptedAt, then its header rewritten to after at changedAt.
void journalHeaderChange(const QString& root, const QString& path, const QString& before, const QString& after,
                         const QDateTime& adoptedAt, const QDateTime& changedAt);

// A fleet's year for the benchmarks: 51 devices of 4 channels, each channel a report
// file of year 5 (365 days) in root's folder "5" whose hour h of day number n holds
// hourValue(device, channel, n, h) (kMissing for none), with the header's sensor type
// sensorType(channel) and the limits 2 and 8; the registry (after registryHead) names
// them with one-character IDs that stay distinct in any letter case.
void writeFleetYear(const QString& root, const QStringList& registryHead,
                    const std::function<QString(int channel)>& sensorType,
                    const std::function<double(int device, int channel, int dayNumber, int hour)>& hourValue);
