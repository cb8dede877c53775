// The device chooser of the settings page: its items (the device list's rows and
// "other items"), and the device list row written from what a device reported.
#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

inline const QString kOtherItems = QStringLiteral("موارد دیگر");
// The hint of the input box that asks for a new port or LAN address (only shown).
inline const QString kNewLinkHint = QStringLiteral("For Example[ 192.168.1.10 or Com1]");

// One item per device list row (its cells, each followed by ","), then "موارد دیگر".
QStringList chooserItems(const QList<QStringList>& rows);

// What a device reported in its parameter set.
struct ReportedDevice
{
    QString name;
    QString sensors[4];
    QString id;
};

// The device list row of a device read through the chooser: name, link, the four
// sensor names and ID as reported, then the type and medium of the row the device was
// picked from (listedRow); "T" and "1" stand only where that row has none, and for a
// new device (no listedRow), whose link of fewer than 4 characters is a port number
// and gets "Com" in front. The device does not report its type and medium, so a
// row's own ("lan", "Wireless") are kept.
QStringList reportedRow(const ReportedDevice& d, const QString& link, const std::optional<QStringList>& listedRow);
