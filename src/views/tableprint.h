// The printed table pages as plain arithmetic: where every text and every rule of a
// page goes, in 0.1 mm units with x to the right and y upwards from the top left
// corner of the printable area (so points on the page have negative y). The window
// library draws the result on a printer or a PDF page.
#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

struct PrintedText
{
    int x = 0;  // top left corner of the text
    int y = 0;
    int height = 0;  // font height
    QString text;
};

struct PrintedRule
{
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int width = 0;  // pen width
};

struct PrintedPage
{
    QList<PrintedText> texts;
    QList<PrintedRule> rules;
};

// A text grid as it is shown: rows of cells (row 0 the heading row) and the columns'
// screen widths in pixels.
struct PrintedGrid
{
    QList<QStringList> rows;
    QList<int> columnWidths;
    int defaultColumnWidth = 64;

    int columnCount() const { return static_cast<int>(columnWidths.size()); }
    QString cell(int col, int row) const;
};

// The page's size in 0.1 mm from its physical size in millimetres, truncated to whole
// millimetres first.
int pageTenthsOfMm(double millimetres);
// Table rows on a page of height H: the 20 mm bands at top and bottom, 5 mm a row.
int tableRowsPerPage(int H);
// The header line of every page: each line preceded by five blanks, all joined.
QString tablePageHeader(const QStringList& lines);

// The same for printing on a right-to-left page: the first line at the right, each
// line in the direction of its own first letter.
QString printedHeader(const QStringList& lines);

// The pages of grid on a page W x H (0.1 mm): the header centred 13 mm from the top,
// rules 20 mm from the top and the bottom, footLine centred 15 mm above the bottom,
// and the table right to left like the screen, its right edge 10 mm from the page's,
// its top 22 mm down: rows 5 mm apart with a rule above and under each, columns as
// wide as on the screen (a pixel is 0.2 mm) or as their widest text, texts at their
// cell's right.
// textWidth gives a text's width in 0.1 mm at a font height.
QList<PrintedPage> layoutTablePages(const PrintedGrid& grid, const QStringList& lines, const QString& footLine, int W,
                                    int H, const std::function<int(const QString&, int)>& textWidth);
