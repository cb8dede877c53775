// The online chart as content: one line per named channel of the registry (up to
// 30), each the shown month of the channel's report year averaged over 3-hour
// blocks, the days 1..32 on the x axis. The QCustomPlot view only draws it
// (online/ui/onlineview.h); tests check the content.
#pragma once

#include <map>
#include <memory>

#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

#include "app/records.h"
#include "reports/loader.h"
#include "views/month.h"

constexpr int kOnlineSeriesCount = 31;   // lines for chart indices 0..30
constexpr int kOnlineShownLines = 30;    // lines switched on, titled and drawn: chart indices 0..29
constexpr int kOnlineRegistryScan = 31;  // registry entries 0..30 take part
constexpr int kOnlineBlockHours = 3;

extern const QString kOnlineChartTitle;
extern const QString kOnlineValueAxisCaption;

// The fixed look of line n (0..30).
struct OnlineLineStyle
{
    quint32 rgb = 0xFF0000;      // 0xRRGGBB
    bool defaultColour = false;  // the chart's own colour instead of rgb
    int width = 1;
    Qt::PenStyle style = Qt::SolidLine;
};
OnlineLineStyle onlineLineStyle(int chartIndex);

// A channel that has a line: registry entry, sensor, its name and chart index.
struct OnlineChannel
{
    int device = 0;
    int sensor = 0;  // 0..3
    QString deviceId;
    QString name;
    int chartIndex = 0;
};
// The channels with a line, in registry order: named sensors of entries 0..30 (up to
// last) whose chart index is 29 or less; after a sensor with a higher index the rest
// of its device is skipped.
QList<OnlineChannel> onlineChannels(const Device_Rec* devices, int last);

struct OnlineChartContent
{
    ChartSeries series[kOnlineSeriesCount];
    bool active[kOnlineSeriesCount] = {};
    QString title = kOnlineChartTitle;
    QString foot;  // "Date: yy / m"
    QString valueAxisCaption = kOnlineValueAxisCaption;
};

// The report years of the channels, by chart index (a channel without a file has none).
using OnlineYears = std::map<int, std::shared_ptr<const ReportYear>>;

// "Date: %d / %d".
QString onlineFoot(int yy, int month);
// The points of one line: month of year averaged over blocks of period hours; a
// leading null point at x = 1, then one point per block at its end (d + (h + P) / 24),
// a null point where the block has no valid hour. 31 days for months 1..6, 30 after.
void fillOnlineLine(ChartSeries& series, const ReportYear& year, int month, int period = kOnlineBlockHours);
// The chart for month yy/month: every channel's line switched on and titled with its
// name; lines of channels with a loaded year filled from it.
OnlineChartContent onlineChartContent(const QList<OnlineChannel>& channels, const OnlineYears& years, int yy,
                                      int month);

// Loads the report years of the channels for year yy from root: a missing file gives
// no year; a file that cannot be read or stops at a bad line is listed in problems
// (a partly read year keeps what was read before the bad line); a header that could
// not be read is listed in unreadableHeaders.
OnlineYears loadOnlineYears(const QString& root, int yy, const QList<OnlineChannel>& channels,
                            QStringList* problems = nullptr, QStringList* unreadableHeaders = nullptr);
