#include "views/tableprint.h"

#include <algorithm>
#include <cmath>

#include "platform/bidi.h"

namespace {
constexpr int kBand = 200;       // 20 mm at top and bottom
constexpr int kRowPitch = 50;    // 5 mm
constexpr int kHeaderY = -130;   // 13 mm from the top
constexpr int kFootAbove = 150;  // 15 mm above the bottom
constexpr int kHeaderHeight = 48;
constexpr int kTextHeight = 36;
constexpr int kBandRuleWidth = 5;
constexpr int kGridRuleWidth = 2;
constexpr int kMargin = 100;    // 10 mm beside the table
constexpr int kTableTop = 220;  // 2 mm under the top band's rule
constexpr int kTextAbove = 2;   // a text's top above its row's top: the letters sit in the middle of the row
constexpr int kCellPad = 15;    // 1.5 mm between a text and its column's rules

int tableRight(int W)
{
    return W - kMargin;
}
}  // namespace

QString PrintedGrid::cell(int col, int row) const
{
    if (row < 0 || row >= rows.size()) return {};
    const QStringList& r = rows[row];
    return col >= 0 && col < r.size() ? r[col] : QString();
}

int pageTenthsOfMm(double millimetres)
{
    // A size of 209.9999 mm from a rounded device size is 210 mm.
    return static_cast<int>(std::floor(millimetres + 1e-6)) * 10;
}

int tableRowsPerPage(int H)
{
    return (H - kBand - kBand) / kRowPitch;
}

QString tablePageHeader(const QStringList& lines)
{
    QString header;
    for (const QString& l : lines) header += QStringLiteral("     ") + l;
    return header;
}

QString printedHeader(const QStringList& lines)
{
    QStringList own;
    for (const QString& l : lines) own << bidi::linesInOwnDirection(l);
    const QString header = tablePageHeader(own);
    return header.isEmpty() ? header : bidi::rightToLeft(header);
}

QList<PrintedPage> layoutTablePages(const PrintedGrid& grid, const QStringList& lines, const QString& footLine, int W,
                                    int H, const std::function<int(const QString&, int)>& textWidth)
{
    QList<PrintedPage> pages;
    const int rowCount = static_cast<int>(grid.rows.size());
    const int N = tableRowsPerPage(H);
    if (N <= 0) return pages;
    const int P = rowCount / N + (rowCount % N != 0 ? 1 : 0);
    const QString header = printedHeader(lines);
    const int cols = grid.columnCount();
    // Each column as wide as on the screen (a pixel is 0.2 mm), and wider where one of
    // its texts needs it, so that no text runs into the next column.
    QList<int> widths;
    for (int c = 0; c < cols; ++c) {
        int w = 2 * grid.columnWidths[c];
        for (int r = 0; r < rowCount; ++r) w = std::max(w, textWidth(grid.cell(c, r), kTextHeight) + 2 * kCellPad);
        widths << w;
    }
    for (int p = 1; p <= P; ++p) {
        PrintedPage page;
        page.texts.append({W / 2 - textWidth(header, kHeaderHeight) / 2, kHeaderY, kHeaderHeight, header});
        page.rules.append({0, -kBand, W, -kBand, kBandRuleWidth});
        page.rules.append({0, -H + kBand, W, -H + kBand, kBandRuleWidth});
        page.texts.append({W / 2 - textWidth(footLine, kTextHeight) / 2, -H + kFootAbove, kTextHeight, footLine});
        // Right to left like the screen: the first column at the right.
        int left = tableRight(W);
        for (int c = 0; c < cols; ++c) left -= widths[c];
        page.rules.append({left, -kTableTop, tableRight(W), -kTableTop, kGridRuleWidth});
        int y = kTableTop;
        for (int k = 1; k <= N; ++k) {
            const int r = (p - 1) * N + k - 1;
            if (r >= rowCount) continue;
            int right = tableRight(W);
            for (int c = 0; c < cols; ++c) {
                const QString text = grid.cell(c, r);
                page.texts.append(
                    {right - kCellPad - textWidth(text, kTextHeight), -(y - kTextAbove), kTextHeight, text});
                right -= widths[c];
            }
            y += kRowPitch;
            page.rules.append({right, -y, tableRight(W), -y, kGridRuleWidth});
        }
        int x = tableRight(W);
        for (int c = 0; c <= cols; ++c) {
            page.rules.append({x, -kTableTop, x, -y, kGridRuleWidth});
            if (c < cols) x -= widths[c];
        }
        pages.append(page);
    }
    return pages;
}
