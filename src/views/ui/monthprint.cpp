#include "views/ui/monthprint.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPdfWriter>
#include <QPrinter>
#include <QTableWidget>
#include <qcustomplot.h>

#include "platform/errors.h"

namespace {

QFont printFont(int height)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(height);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

int textWidthTenths(const QString& text, int height)
{
    return static_cast<int>(QFontMetricsF(printFont(height)).horizontalAdvance(text));
}

// 0.1 mm units, x to the right, y upwards, origin at the printable area's top left.
void setMetricMapping(QPainter& painter, const QPagedPaintDevice& device)
{
    painter.setWorldTransform(QTransform::fromScale(device.logicalDpiX() / 254.0, -device.logicalDpiY() / 254.0));
}

// Text under a flipped y axis would come out upside down: it is drawn upright, its top
// left corner at the point.
void drawUprightText(QPainter& painter, const PrintedText& t)
{
    if (t.text.isEmpty()) return;
    const QFont f = printFont(t.height);
    painter.save();
    painter.setFont(f);
    painter.translate(t.x, t.y);
    painter.scale(1, -1);
    painter.drawText(QPointF(0, QFontMetricsF(f).ascent()), t.text);
    painter.restore();
}

void beginOn(QPainter& painter, QPaintDevice* device)
{
    if (!painter.begin(device))
        throw FileError(QCoreApplication::translate("Termivo", "The printer cannot start printing."));
}

}  // namespace

QPrinter& programPrinter()
{
    // At the screen's resolution: the chart's fonts are sized for the screen. Made once
    // and never destroyed: a static object would be destroyed after the application
    // object, which the printer's engine still needs then.
    // NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): a function's own static, not a global
    static QPrinter* printer = new QPrinter(QPrinter::ScreenResolution);
    return *printer;
}

PrintedGrid printedGridOf(const QTableWidget* table)
{
    PrintedGrid g;
    g.defaultColumnWidth = table->horizontalHeader()->defaultSectionSize();
    for (int c = 0; c < table->columnCount(); ++c) g.columnWidths << table->columnWidth(c);
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem* item = table->item(r, c);
            row << (item ? item->text() : QString());
        }
        g.rows << row;
    }
    return g;
}

int pageWidthTenths(const QPagedPaintDevice& device)
{
    return pageTenthsOfMm(device.pageLayout().fullRect(QPageLayout::Millimeter).width());
}

int pageHeightTenths(const QPagedPaintDevice& device)
{
    return pageTenthsOfMm(device.pageLayout().fullRect(QPageLayout::Millimeter).height());
}

void paintTablePage(QPainter& painter, const QPagedPaintDevice& device, const PrintedPage& page)
{
    painter.save();
    setMetricMapping(painter, device);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const PrintedRule& r : page.rules) {
        painter.setPen(QPen(Qt::black, r.width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QLine(r.x1, r.y1, r.x2, r.y2));
    }
    painter.setPen(Qt::black);
    for (const PrintedText& t : page.texts) drawUprightText(painter, t);
    painter.restore();
}

void paintChartPage(QCPPainter& painter, const QPagedPaintDevice& device, QCustomPlot* chart)
{
    const QRectF area(0, 0, device.width(), device.height());
    const QRectF target =
        area.adjusted(area.width() * 0.02, area.height() * 0.02, -area.width() * 0.02, -area.height() * 0.02);
    const int cw = std::max(1, chart->width());
    const int ch = std::max(1, chart->height());
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / cw, target.height() / ch);  // stretched: proportions not kept
    chart->toPainter(&painter, cw, ch);
    painter.restore();
}

void PrintTable(QPrinter& printer, const QTableWidget* grid, const QStringList& lines, const QString& footLine,
                QPageLayout::Orientation orientation)
{
    printer.setPageOrientation(orientation);
    printer.setDocName(lines.value(0));
    QPainter painter;
    beginOn(painter, &printer);
    const QList<PrintedPage> pages = layoutTablePages(printedGridOf(grid), lines, footLine, pageWidthTenths(printer),
                                                      pageHeightTenths(printer), textWidthTenths);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0) printer.newPage();
        paintTablePage(painter, printer, pages[p]);
    }
    painter.end();
}

void printChart(QPrinter& printer, QCustomPlot* chart, const QString& jobTitle)
{
    printer.setDocName(jobTitle);
    QCPPainter painter;
    beginOn(painter, &printer);
    painter.setMode(QCPPainter::pmVectorized);
    paintChartPage(painter, printer, chart);
    painter.end();
    chart->replot();
}

QByteArray monthPdf(QCustomPlot* chart, const QTableWidget* table, const QStringList& lines, const QString& footLine)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(chart->logicalDpiY());  // the chart's fonts are sized for the screen
        writer.setTitle(lines.value(0));
        writer.setCreator(QStringLiteral("Termivo"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageOrientation(QPageLayout::Landscape);
        QCPPainter painter;
        beginOn(painter, &writer);
        painter.setMode(QCPPainter::pmVectorized);
        paintChartPage(painter, writer, chart);
        writer.setPageOrientation(QPageLayout::Portrait);
        const QList<PrintedPage> pages = layoutTablePages(
            printedGridOf(table), lines, footLine, pageWidthTenths(writer), pageHeightTenths(writer), textWidthTenths);
        for (const PrintedPage& page : pages) {
            writer.newPage();
            paintTablePage(painter, writer, page);
        }
        painter.end();
    }
    chart->replot();
    return bytes;
}
