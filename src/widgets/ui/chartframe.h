// The frame that the month chart and the online chart share: a title row, a legend
// row, the axis rect and a foot row, the days 1..32 on the x axis, and series whose
// null points are gaps in the line.
#pragma once

#include <QFont>
#include <QString>

#include "views/month.h"

class QCPAxis;
class QCPGraph;
class QCPLayoutGrid;
class QCPTextElement;
class QCustomPlot;

struct ChartFrame
{
    QCPTextElement* title = nullptr;
    QCPLayoutGrid* legendRow = nullptr;  // holds the chart's legend
    QCPTextElement* foot = nullptr;
};

// Lays chart out as title, legend, axis rect and foot (the title and foot named
// titleName and footName, in the given fonts, text black); the legend is shown, filled
// columns first, five entries a row, on a light background with a grey border.
ChartFrame layOutChartFrame(QCustomPlot* chart, const QString& titleName, const QString& footName,
                            const QFont& textFont);
// The title or foot element named name; nullptr when the chart has none.
QCPTextElement* chartText(const QCustomPlot* chart, const QString& name);
// The day axis: 1..32 with a tick on every day.
void setDayAxis(QCPAxis* axis);
// The points of series into g, a null point as a gap, and its legend title.
void setSeries(QCPGraph* g, const ChartSeries& series);
