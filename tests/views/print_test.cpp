// Printing the month view to PDF: table pages in 0.1 mm units, the chart stretched on
// a landscape page, the print set-up dialog; checked by where poppler finds the words.
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPrinter>
#include <QTabWidget>
#include <QTableWidget>

#include "app/calendar.h"
#include "app/records.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "support/windowsfixture.h"
#include "views/exportprint_support.h"
#include "views/month.h"
#include "views/tableprint.h"
#include "views/ui/form1.h"
#include "views/ui/monthprint.h"

namespace {

class PrintTest : public WindowsFixture
{
protected:
    void TearDown() override
    {
        closeWindows();
        WindowsFixture::TearDown();
    }
    // A grid of rows x 3 columns, cell text "r<row>c<col>", 64 pixels a column.
    static void fillGrid(QTableWidget& t, int rows)
    {
        t.setRowCount(rows);
        t.setColumnCount(3);
        t.horizontalHeader()->setMinimumSectionSize(20);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 3; ++c) t.setItem(r, c, new QTableWidgetItem(QStringLiteral("r%1c%2").arg(r).arg(c)));
        for (int c = 0; c < 3; ++c) t.setColumnWidth(c, 64);
    }
    // xMm: the word's left edge, or its right edge when rightEdge is set.
    void expectAt(const PdfText& pdf, int page, const QString& word, double xMm, double yMm, bool rightEdge = false)
    {
        SCOPED_TRACE(word.toStdString() + " on page " + std::to_string(page));
        const QList<PdfWord> found = pdf.find(page, word);
        ASSERT_EQ(found.size(), 1);
        EXPECT_NEAR((rightEdge ? found[0].box.right() : found[0].box.left()) / kPointsPerMm, xMm, 0.6);
        // poppler's box starts above the text's top by part of the font's height
        EXPECT_NEAR(found[0].box.top() / kPointsPerMm, yMm, 1.6);
    }
};

TEST_F(PrintTest, TablePagesOnA4Portrait)
{
    for (int rows : {32, 60}) {
        SCOPED_TRACE(rows);
        QTableWidget grid;
        fillGrid(grid, rows);
        QPrinter printer(QPrinter::ScreenResolution);
        const QString out = path(QStringLiteral("table%1.pdf").arg(rows));
        printer.setOutputFileName(out);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        printer.setPageOrientation(QPageLayout::Landscape);  // the table's own orientation wins
        PrintTable(printer, &grid, {"LabA", "RoomB"}, "FootLine", QPageLayout::Portrait);

        const PdfText pdf = pdfWords(out);
        ASSERT_EQ(pdf.pages.size(), rows == 32 ? 1 : 2);
        for (int p = 0; p < pdf.pages.size(); ++p) {
            EXPECT_NEAR(pdf.pages[p].width / kPointsPerMm, 210, 0.5);
            EXPECT_NEAR(pdf.pages[p].height / kPointsPerMm, 297, 0.5);
            // The same header (centred, 13 mm down) and foot line (15 mm above the bottom) on every page.
            const QList<PdfWord> a = pdf.find(p, "LabA");
            const QList<PdfWord> b = pdf.find(p, "RoomB");
            ASSERT_EQ(a.size(), 1);
            ASSERT_EQ(b.size(), 1);
            // Right to left, centred with the five blanks that precede each line (4.8 mm
            // font: width in 0.1 mm).
            QFont f(QStringLiteral("Tahoma"));
            f.setPixelSize(48);
            const double blanks = QFontMetricsF(f).horizontalAdvance(QStringLiteral("     ")) / 10;
            EXPECT_LT(b[0].box.right(), a[0].box.left());
            EXPECT_NEAR((b[0].box.left() / kPointsPerMm + a[0].box.right() / kPointsPerMm + blanks) / 2, 105, 1);
            EXPECT_NEAR(a[0].box.top() / kPointsPerMm, 13, 1.6);
            expectAt(pdf, p, "FootLine", pdf.find(p, "FootLine").value(0).box.left() / kPointsPerMm, 282);
        }
        // Right to left: rows 5 mm apart from 21.8 mm down, the first column's right rule
        // 10 mm from the page's right edge, columns 12.8 mm wide or as wide as their
        // widest text and 3 mm, texts 1.5 mm from their column's right rule.
        QFont cellFont(QStringLiteral("Tahoma"));
        cellFont.setPixelSize(36);
        QList<double> right{200};
        for (int c = 0; c < 3; ++c) {
            double w = 12.8;
            for (int r = 0; r < rows; ++r)
                w = std::max(
                    w, QFontMetricsF(cellFont).horizontalAdvance(QStringLiteral("r%1c%2").arg(r).arg(c)) / 10 + 3);
            right << right.last() - w;
        }
        const auto at = [&](int c) { return right[c] - 1.5; };
        expectAt(pdf, 0, "r0c0", at(0), 21.8, true);
        expectAt(pdf, 0, "r1c2", at(2), 26.8, true);
        expectAt(pdf, 0, "r31c1", at(1), 21.8 + 31 * 5, true);
        // Exactly 5 mm from row to row.
        EXPECT_NEAR(pdf.find(0, "r31c0").value(0).box.top() - pdf.find(0, "r0c0").value(0).box.top(),
                    31 * 5 * kPointsPerMm, 0.1);
        if (rows == 60) {
            expectAt(pdf, 0, "r50c0", at(0), 21.8 + 50 * 5, true);  // 51 rows a page
            expectAt(pdf, 1, "r51c0", at(0), 21.8, true);
            expectAt(pdf, 1, "r59c2", at(2), 21.8 + 8 * 5, true);
            int second = 0;
            for (const PdfWord& w : pdf.words) second += w.page == 1 && w.text.endsWith("c0");
            EXPECT_EQ(second, 9);
        }
    }
}

TEST_F(PrintTest, TableLayoutArithmetic)
{
    EXPECT_EQ(pageTenthsOfMm(297.0), 2970);
    EXPECT_EQ(pageTenthsOfMm(209.99999999), 2100);
    EXPECT_EQ(pageTenthsOfMm(215.9), 2150);  // Letter: truncated to whole millimetres
    EXPECT_EQ(tableRowsPerPage(2970), 51);
    EXPECT_EQ(tableRowsPerPage(2100), 34);

    PrintedGrid g;
    g.columnWidths = {40, 100};
    g.defaultColumnWidth = 70;
    g.rows = {{"Day\\Hour", "b"}, {"c", "d"}};
    const auto width = [](const QString& t, int) { return static_cast<int>(t.size()) * 10; };
    const QList<PrintedPage> pages = layoutTablePages(g, {}, QString(), 2100, 2970, width);
    ASSERT_EQ(pages.size(), 1);
    // No title line: an empty header still centred, and the page still printed.
    EXPECT_EQ(pages[0].texts[0].text, QString());
    EXPECT_EQ(pages[0].texts[0].x, 1050);
    // Right to left from 10 mm inside the right edge: the first column widened for its
    // heading (8 letters, 80, and 2 x 15 to the rules), the second as on the screen.
    QList<int> columnRuleXs;
    for (const PrintedRule& r : pages[0].rules)
        if (r.x1 == r.x2) columnRuleXs << r.x1;
    EXPECT_EQ(columnRuleXs, QList<int>({2000, 1890, 1690}));
    EXPECT_EQ(pages[0].rules.last().y1, -220);  // from the table's top rule, 2 mm under the band's
    EXPECT_EQ(pages[0].rules.last().y2, -320);  // down to under the second row
    // Texts at their cell's right, 1.5 mm from the rule; the heading clear of the next column.
    const auto text = [&](const QString& t) {
        for (const PrintedText& p : pages[0].texts)
            if (p.text == t) return p;
        return PrintedText{};
    };
    EXPECT_EQ(text("Day\\Hour").x, 2000 - 15 - 80);
    EXPECT_EQ(text("b").x, 1890 - 15 - 10);
    EXPECT_EQ(text("d").y, -268);
    EXPECT_EQ(tablePageHeader({"A", "B"}), "     A     B");
}

TEST_F(PrintTest, MainWindowPrintsTheActivePageThroughTheSetUpDialog)
{
    setProgramNowForTests(QDateTime(QDate(2024, 12, 31), QTime(10, 0)));
    writeLines(path("DeviceStatus.txt"), {"Comment0 = HeadingLine"});
    openWindows({});
    writeLines(path("3/A1_Temp.rep"), {reportHeader(), fullDayT(7, 1, 20), fullDayT(7, 2, 22)});
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("3/A1_Temp.rep")));

    // Chart page: landscape offered, the chart stretched inside 2 % margins.
    mainWindow()->PageControl1->setCurrentWidget(mainWindow()->TabChart);
    PrintSetup chart;
    chart.outputFile = path("chart.pdf");
    chart.landscape = true;
    dlg.expectPrintSetup(chart);
    mainWindow()->Print1->trigger();
    EXPECT_TRUE(dlg.lastPrintSetupShown().landscape);
    PdfText pdf = pdfWords(chart.outputFile);
    ASSERT_EQ(pdf.pages.size(), 1);
    EXPECT_GT(pdf.pages[0].width, pdf.pages[0].height);
    const QList<PdfWord> heading = pdf.find(0, "HeadingLine");
    ASSERT_EQ(heading.size(), 1);
    EXPECT_NEAR((heading[0].box.left() + heading[0].box.right()) / 2, pdf.pages[0].width / 2, 20);
    EXPECT_FALSE(pdf.find(0, "A1_Temp").isEmpty());

    // Table page: portrait whatever the dialog chose; the header is the chart's title.
    mainWindow()->PageControl1->setCurrentWidget(mainWindow()->TabTable);
    PrintSetup table = chart;
    table.outputFile = path("table.pdf");
    dlg.expectPrintSetup(table);
    mainWindow()->Print1->trigger();
    pdf = pdfWords(table.outputFile);
    ASSERT_EQ(pdf.pages.size(), 1);
    EXPECT_LT(pdf.pages[0].width, pdf.pages[0].height);
    EXPECT_EQ(pdf.find(0, "HeadingLine").size(), 1);
    EXPECT_EQ(pdf.find(0, "Day\\Hour").size(), 1);
    EXPECT_EQ(pdf.find(0, "7/2").size(), 1);

    // Cancelled: nothing printed. The devices page prints nothing.
    dlg.expectPrintSetup(std::nullopt);
    table.outputFile = path("none.pdf");
    mainWindow()->Print1->trigger();
    mainWindow()->PageControl1->setCurrentWidget(mainWindow()->TabSheet1);
    dlg.expectPrintSetup(table);
    mainWindow()->Print1->trigger();
    EXPECT_FALSE(QFileInfo::exists(path("none.pdf")));
}

TEST_F(PrintTest, SaveAsTextAppendsTxtAndWritesTheShownCells)
{
    openWindows({});
    writeLines(path("3/A1_Temp.rep"), {reportHeader(), fullDayT(7, 1, 20)});
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("3/A1_Temp.rep")));
    mainWindow()->SG_Table->item(1, 1)->setText("edited");  // the grid is editable: its cells are written

    dlg.expect(Kind::SaveFile, QStringLiteral("ذخیره به صورت متن "), path("x.txt"));
    mainWindow()->SaveAsTextFile1->trigger();
    const QStringList lines = readLines(path("x.txt.txt"));
    ASSERT_EQ(lines.size(), 31);
    for (const QString& l : lines) EXPECT_TRUE(l.endsWith(',')) << l.toStdString();
    EXPECT_TRUE(lines[1].startsWith("  7/1,edited,"));
    EXPECT_TRUE(readFileBytes(path("x.txt.txt")).contains("\r\n"));

    dlg.expect(Kind::SaveFile, QString(), std::nullopt);
    mainWindow()->SaveAsTextFile1->trigger();
    EXPECT_FALSE(QFileInfo::exists(path(".txt")));
}

}  // namespace

namespace {

TEST_F(PrintTest, SaveAsPictureAppendsWmf)
{
    openWindows({});
    writeLines(path("3/A1_Temp.rep"), {reportHeader(), fullDayT(7, 1, 20)});
    ASSERT_TRUE(mainWindow()->OpenMyFile(path("3/A1_Temp.rep")));
    dlg.expect(Kind::SaveFile, QStringLiteral("ذخیره به صورت عکس "), path("july"));
    mainWindow()->SaveasBitmap1->trigger();
    const QByteArray wmf = readFileBytes(path("july.wmf"));
    ASSERT_GT(wmf.size(), 22);
    EXPECT_EQ(wmf.left(4), QByteArray("\xD7\xCD\xC6\x9A", 4));  // the placeable header's key
    const ToolRun r = runTool(QStringLiteral("wmf2svg"), {QStringLiteral("-o"), path("july.svg"), path("july.wmf")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, QString());
    EXPECT_TRUE(readFileBytes(path("july.svg")).contains(">Sensor<"));  // the title, a text run of its own

    dlg.expect(Kind::SaveFile, QString(), std::nullopt);
    mainWindow()->SaveasBitmap1->trigger();
    EXPECT_FALSE(QFileInfo::exists(path(".wmf")));
}

}  // namespace
