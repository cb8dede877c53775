#include "support/reportlines.h"

QString reportHeader(const QString& devType, const QString& sensorType, const QString& lower, const QString& upper)
{
    return QStringLiteral("SenPara,1,1,%1,0,1,%2,%3,%4,0,0,3,7,0,0,0,").arg(devType, sensorType, lower, upper);
}

QString hourCodeT(double value)
{
    if (std::isnan(value)) return QStringLiteral("??");
    const int r = static_cast<int>(std::lround((value + 100) * 10));
    return QString(QChar(60 + r / 60)) + QChar(60 + r % 60);
}

QString dayLineT(int month, int day, const std::vector<double>& hours, const QString& year)
{
    QString codes;
    for (int h = 0; h < 24; ++h) codes += hourCodeT(h < int(hours.size()) ? hours[h] : kMissing);
    return QStringLiteral("%1,%2,%3,%4,0").arg(month).arg(day).arg(codes, year);
}

QString fullDayT(int month, int day, double value)
{
    return dayLineT(month, day, std::vector<double>(24, value));
}
