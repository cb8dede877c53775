#include "views/tableprint.h"

#include <cmath>

namespace {
constexpr int kBand = 200;       // 20 mm at top and bottom
constexpr int kRowPitch = 50;    // 5 mm
constexpr int kHeaderY = -130;   // 13 mm from the top
constexpr int kFootAbove = 150;  // 15 mm above the bottom
constexpr int kHeaderHeight = 48;
constexpr int kTextHeight = 36;
constexpr int kBandRuleWidth = 5;
constexpr int kGridRuleWidth = 2;
constexpr int kLeft = 100;
constexpr int kFirstRowY = 210;
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

QList<PrintedPage> layoutTablePages(const PrintedGrid& grid, const QStringList& lines, const QString& footLine, int W,
                                    int H, const std::function<int(const QString&, int)>& textWidth)
{
    QList<PrintedPage> pages;
    const int rowCount = static_cast<int>(grid.rows.size());
    const int N = tableRowsPerPage(H);
    if (N <= 0) return pages;
    const int P = rowCount / N + (rowCount % N != 0 ? 1 : 0);
    const QString header = tablePageHeader(lines);
    const int cols = grid.columnCount();
    for (int p = 1; p <= P; ++p) {
        PrintedPage page;
        page.texts.append({W / 2 - textWidth(header, kHeaderHeight) / 2, kHeaderY, kHeaderHeight, header});
        page.rules.append({0, -kBand, W, -kBand, kBandRuleWidth});
        page.rules.append({0, -H + kBand, W, -H + kBand, kBandRuleWidth});
        page.texts.append({W / 2 - textWidth(footLine, kTextHeight) / 2, -H + kFootAbove, kTextHeight, footLine});
        int y = kFirstRowY;
        for (int k = 1; k <= N; ++k) {
            const int r = (p - 1) * N + k - 1;
            if (r >= rowCount) continue;
            int x = kLeft;
            for (int c = 0; c < cols; ++c) {
                page.texts.append({x, -y, kTextHeight, grid.cell(c, r)});
                x += 2 * grid.columnWidths[c];
            }
            y += kRowPitch;
            page.rules.append({kLeft, -y + 2, x, -y + 2, kGridRuleWidth});
        }
        int x = kLeft;
        for (int c = 0; c <= cols; ++c) {
            page.rules.append({x, -kBand, x, -y, kGridRuleWidth});
            x += 2 * (c < cols ? grid.columnWidths[c] : grid.defaultColumnWidth);
        }
        pages.append(page);
    }
    return pages;
}
