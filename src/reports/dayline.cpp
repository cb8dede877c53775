#include "reports/dayline.h"

#include "app/fields.h"
#include "platform/convert.h"
#include "reports/reportfile.h"

std::optional<DayLine> parseDayLine(const QString& line)
{
    if (isCommentLine(line) || line.size() < kMinDayLineLength) return std::nullopt;
    if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r'))) return std::nullopt;
    QStringList f = splitDelimited(line, u",()");
    if (f.size() < 3) return std::nullopt;
    DayLine d;
    d.month = strToInt(f[0]);
    d.day = strToInt(f[1]);
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31) return std::nullopt;
    d.codes = f[2];
    if (f.size() > 3) d.year = f[3];
    if (f.size() > 4) d.extra = f.mid(4);
    return d;
}

QString formatDayLine(const DayLine& day)
{
    QStringList f{QString::number(day.month), QString::number(day.day), day.codes};
    if (day.year || !day.extra.isEmpty()) f << day.year.value_or(QString());
    f << day.extra;
    return f.join(QLatin1Char(','));
}
