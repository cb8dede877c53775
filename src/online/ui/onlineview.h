// Draws the online chart content with QCustomPlot: 31 lines in their fixed look,
// title, foot, value axis caption, the legend of the switched-on lines.
#pragma once

#include "online/onlinechart.h"

class QCustomPlot;

// Draws content into chart (graphs 0..30 are the lines of chart indices 0..30). Can
// be called again with new content.
void renderOnlineChart(QCustomPlot* chart, const OnlineChartContent& content);
// Sets chart up and draws it once with sample content, then empty (every line off):
// what the first drawing of a process would otherwise pay for is paid here, at the
// window's creation.
void prepareOnlineChart(QCustomPlot* chart);
// Sets the legend title of line n (a switched-on line only) and redraws.
void setOnlineLineTitle(QCustomPlot* chart, int n, const QString& title);
// The legend title of line n (empty for a line that is off).
QString onlineLineTitle(const QCustomPlot* chart, int n);
// The foot text shown.
QString onlineFootText(const QCustomPlot* chart);
