#include "link/chooser.h"

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

QStringList reportedRow(const ReportedDevice& d, const QString& link, bool newDevice)
{
    const QString shownLink = newDevice && link.size() < 4 ? QStringLiteral("Com") + link : link;
    return {d.name,       shownLink, d.sensors[0],        d.sensors[1],       d.sensors[2],
            d.sensors[3], d.id,      QStringLiteral("T"), QStringLiteral("1")};
}
