// Draws the month chart content with QCustomPlot and the table content into a
// table widget.
#pragma once

#include "views/month.h"

class QCustomPlot;
class QTableWidget;

// Draws content into chart: the five series (dotted blue and red limit lines, the
// 2-pixel black sensor line broken at null points, black circles and blue diamonds
// with value labels), title, foot, axis captions, legend at the top, day axis 1..32
// with a dashed grid, automatic value axis, light-yellow panel and the optional
// background picture over the whole panel. Can be called again with new content.
void renderMonthChart(QCustomPlot* chart, const MonthChartContent& content);
// Fills the grid: row and column counts, every cell (editable), row 0 and column 0 as
// headings.
void renderMonthTable(QTableWidget* table, const MonthTableContent& content);
// Reads the cells of the grid back (the user may have edited them), for export and
// printing.
MonthTableContent tableContentOf(const QTableWidget* table);
// Throws FileError with the picture reader's own error text when path is not a
// picture that can be read.
void requireReadablePicture(const QString& path);
