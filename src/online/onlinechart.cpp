#include "online/onlinechart.h"

#include <limits>

#include <QFileInfo>

#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"

const QString kOnlineChartTitle = QStringLiteral("سیستم یکپارچه مانیتورینگ  ");
const QString kOnlineValueAxisCaption = QStringLiteral("Temprature('C)& Humidity(%RH)");

OnlineLineStyle onlineLineStyle(int n)
{
    struct Row
    {
        quint32 rgb;
        int width;
        Qt::PenStyle style;
    };
    // 0xFFFFFFFF: the chart's default colour.
    static const Row rows[21] = {
        {0xFF0000, 2, Qt::SolidLine},      {0x008000, 2, Qt::SolidLine}, {0x800000, 2, Qt::SolidLine},
        {0x3C3CFF, 2, Qt::SolidLine},      {0x00FF00, 2, Qt::SolidLine}, {0x000000, 2, Qt::SolidLine},
        {0xFF00FF, 2, Qt::SolidLine},      {0x008080, 2, Qt::SolidLine}, {0x5151FF, 2, Qt::SolidLine},
        {0xFF5B5B, 3, Qt::SolidLine},      {0x800040, 2, Qt::SolidLine}, {0x6C6C00, 3, Qt::SolidLine},
        {0x800080, 2, Qt::SolidLine},      {0x804000, 3, Qt::DashLine},  {0x00FFFF, 2, Qt::SolidLine},
        {0xFF8000, 2, Qt::SolidLine},      {0x6FD52B, 1, Qt::SolidLine}, {0xFF0000, 1, Qt::DashDotLine},
        {0x0000FF, 1, Qt::DashDotDotLine}, {0xFFFFFFFF, 1, Qt::DotLine}, {0x00FF00, 1, Qt::DotLine},
    };
    OnlineLineStyle s;
    if (n < 0 || n >= kOnlineSeriesCount) return s;
    if (n >= 21) return s;  // red, 1 pixel, solid
    const Row& r = rows[n];
    s.defaultColour = r.rgb == 0xFFFFFFFF;
    s.rgb = s.defaultColour ? 0 : r.rgb;
    s.width = r.width;
    s.style = r.style;
    return s;
}

QList<OnlineChannel> onlineChannels(const Device_Rec* devices, int last)
{
    QList<OnlineChannel> out;
    for (int i = 0; i <= last && i < kOnlineRegistryScan; ++i) {
        for (int j = 0; j < 4; ++j) {
            const Sensor_Rec& s = devices[i].Sensor[j];
            if (s.Name.isEmpty()) continue;
            if (s.ChartIndex >= kOnlineShownLines) break;  // the rest of this device has no line either
            if (s.ChartIndex < 0) continue;
            out << OnlineChannel{i, j, devices[i].ID, s.Name, s.ChartIndex};
        }
    }
    return out;
}

QString onlineFoot(int yy, int month)
{
    return QStringLiteral("Date: %1 / %2").arg(yy).arg(month);
}

void fillOnlineLine(ChartSeries& series, const ReportYear& year, int month, int period)
{
    series.clear();
    series.addNull(1, 4);
    if (month < 1 || month > 12 || period < 1) return;
    const int days = month < 7 ? 31 : 30;
    for (int d = 1; d <= days; ++d) {
        for (int h = 0; h <= 23; h += period) {
            const double x = d + double(h + period) / 24;
            if (const std::optional<double> average = periodAverage(year, month, d, h, period))
                series.add(x, *average);
            else
                series.addNull(x, 4);
        }
    }
}

OnlineChartContent onlineChartContent(const QList<OnlineChannel>& channels, const OnlineYears& years, int yy, int month)
{
    OnlineChartContent c;
    c.foot = onlineFoot(yy, month);
    for (int n = 0; n < kOnlineSeriesCount; ++n) c.series[n].name = QStringLiteral("Series%1").arg(n + 1);
    for (const OnlineChannel& ch : channels) {
        const int n = ch.chartIndex;
        if (n < 0 || n >= kOnlineShownLines) continue;
        c.active[n] = true;
        c.series[n].title = ch.name;
        const auto it = years.find(n);
        if (it != years.end() && it->second) fillOnlineLine(c.series[n], *it->second, month);
    }
    return c;
}

OnlineYears loadOnlineYears(const QString& root, int yy, int month, const QList<OnlineChannel>& channels,
                            QStringList* problems, QStringList* unreadableHeaders)
{
    OnlineYears years;
    for (const OnlineChannel& ch : channels) {
        QString path;
        try {
            path = reportFilePath(root, yy, ch.deviceId, ch.sensor + 1, ch.name);
        } catch (const ReportPathError& e) {
            if (problems) *problems << e.text();
            continue;
        }
        if (!QFileInfo::exists(path)) continue;
        QStringList lines;
        try {
            lines = readTextFile(path).lines;
        } catch (const std::exception& e) {
            if (problems) *problems << path + QStringLiteral(" : ") + errorText(e);
            continue;
        }
        auto year = std::make_shared<ReportYear>();
        year->path = path;
        try {
            loadReportYear(*year, lines, month);
        } catch (const std::exception& e) {
            // What was read before the bad line is drawn; the other channels go on.
            if (problems) *problems << path + QStringLiteral(" : ") + errorText(e);
        }
        if (year->headerUnreadable && unreadableHeaders) *unreadableHeaders << path;
        years[ch.chartIndex] = std::move(year);
    }
    return years;
}
