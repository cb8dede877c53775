#include "link/chooser.h"

namespace {
// The device list's columns of the type letter and the connection medium.
constexpr int kTypeColumn = 7;
constexpr int kMediaColumn = 8;
}  // namespace

QStringList chooserItems(const QList<QStringList>& rows)
{
    QStringList items;
    for (const QStringList& row : rows) {
        QString item;
        for (const QString& cell : row) item += cell + QLatin1Char(',');
        items << item;
    }
    items << kOtherItems;
    return items;
}

QStringList reportedRow(const ReportedDevice& d, const QString& link, const std::optional<QStringList>& listedRow)
{
    const bool newDevice = !listedRow.has_value();
    const QString shownLink = newDevice && link.size() < 4 ? QStringLiteral("Com") + link : link;
    const auto kept = [&](int column, const QString& fill) {
        const QString own = listedRow ? listedRow->value(column) : QString();
        return own.isEmpty() ? fill : own;
    };
    return {d.name,
            shownLink,
            d.sensors[0],
            d.sensors[1],
            d.sensors[2],
            d.sensors[3],
            d.id,
            kept(kTypeColumn, QStringLiteral("T")),
            kept(kMediaColumn, QStringLiteral("1"))};
}
