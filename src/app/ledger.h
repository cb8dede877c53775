// The refresh ledger "Last_refresh.txt": for every named channel, the Solar Hijri
// date and time up to which its log has been downloaded.
#pragma once

#include <QString>
#include <QStringList>

#include "app/records.h"

inline const QString kLedgerHeader = QStringLiteral("Device,Type,BeginSen,EndSen,year,Month,Day,Hour,Minute");

// The ledger file: "Last_refresh.txt" and "last_refresh.txt" name the same file.
QString ledgerPath();
bool ledgerExists();

// Applies one ledger line through the working record work. Returns false when the
// line was ignored (too few fields, an empty ID or type, a channel outside 0..3);
// throws ConvertError on a bad number or a date outside the calendar.
bool ParseRefreshLine(const QString& line, Sensor_Rec& work);
int FindDeviceByID(const QString& text);

// Reads the ledger into DevList; returns the conversion errors of skipped lines.
// Throws FileError when the file exists but cannot be read.
QStringList loadLedger();

// The ledger lines for the registry, each channel's date given by dateOf.
QStringList ledgerLines(const _SYSTEMTIME* fixedDate);
void SaveLastRefresh();
void ResetLastRefresh(int year, int month, int day);
