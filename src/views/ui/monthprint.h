// Printing the month view: the chart stretched on one landscape page, the table as
// pages laid out in 0.1 mm units. Pages go to a printer or to a PDF document.
#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QStringList>

#include "views/tableprint.h"

class QCPPainter;
class QCustomPlot;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QTableWidget;

// The program's printer: its orientation stays set from one print job to the next.
QPrinter& programPrinter();

// The cells and screen column widths of a table widget.
PrintedGrid printedGridOf(const QTableWidget* table);
// The page layout of a printer or PDF page in 0.1 mm (the physical size, truncated to
// whole millimetres).
int pageWidthTenths(const QPagedPaintDevice& device);
int pageHeightTenths(const QPagedPaintDevice& device);

// Draws one laid-out table page on painter, which paints on a page of device.
void paintTablePage(QPainter& painter, const QPagedPaintDevice& device, const PrintedPage& page);
// Draws the whole chart stretched into the page inside margins of 2 % on each side.
void paintChartPage(QCPPainter& painter, const QPagedPaintDevice& device, QCustomPlot* chart);

// The table pages of grid with the header lines and the foot line, in the given
// orientation, as one print job titled by the first line. Throws FileError when the
// printer cannot start.
void PrintTable(QPrinter& printer, const QTableWidget* grid, const QStringList& lines, const QString& footLine,
                QPageLayout::Orientation orientation);
// The chart on one page (in the printer's orientation).
void printChart(QPrinter& printer, QCustomPlot* chart, const QString& jobTitle);

// One PDF document: the chart on a landscape A4 page, then the table pages (portrait),
// exactly as they are printed.
QByteArray monthPdf(QCustomPlot* chart, const QTableWidget* table, const QStringList& lines, const QString& footLine);
