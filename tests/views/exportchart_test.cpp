// The month chart as a metafile (read back by libwmf's wmf2svg) and termivo
// --export-chart in its three formats, run as a real process without a display.
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <qcustomplot.h>

#include "app/records.h"
#include "platform/textfile.h"
#include "reports/loader.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/exportprint_support.h"
#include "views/month.h"
#include "views/ui/metafile.h"
#include "views/ui/monthview.h"

namespace {

const QString kFixture = QStringLiteral(TERMIVO_SOURCE_DIR "/tests/data/reports/A1_Temp.rep");

struct SvgText
{
    QPointF at;
    bool rotated = false;
    QString text;
};

struct SvgPolyline
{
    QList<QPointF> points;
    QString style;
};

struct Svg
{
    QSizeF size;
    QRectF background;  // the first rectangle: the chart's whole panel
    QList<SvgText> texts;
    QList<SvgPolyline> polylines;
};

// The parts of wmf2svg's output the checks need; its text bytes are the metafile's
// Windows-1256 bytes.
Svg parseSvg(const QByteArray& bytes)
{
    const QString s = fromAnsi(bytes);
    Svg svg;
    const auto size = QRegularExpression(QStringLiteral("<svg width=\"([\\d.]+)\" height=\"([\\d.]+)\"")).match(s);
    svg.size = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    const auto rect =
        QRegularExpression(
            QStringLiteral("<rect x=\"([-\\d.]+)\" y=\"([-\\d.]+)\" width=\"([\\d.]+)\" height=\"([\\d.]+)\""))
            .match(s);
    svg.background = QRectF(rect.captured(1).toDouble(), rect.captured(2).toDouble(), rect.captured(3).toDouble(),
                            rect.captured(4).toDouble());
    static const QRegularExpression text(
        QStringLiteral("<text[^>]*transform=\"matrix\\(([^)]*)\\)\"\\s*>([^<]*)</text>"));
    for (auto it = text.globalMatch(s); it.hasNext();) {
        const auto m = it.next();
        const QStringList mx = m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        svg.texts << SvgText{QPointF(mx.value(4).toDouble(), mx.value(5).toDouble()), mx.value(0).toDouble() < 0.5,
                             m.captured(2)};
    }
    static const QRegularExpression line(QStringLiteral("<polyline points=\"([^\"]*)\"\\s*style=\"([^\"]*)\""));
    for (auto it = line.globalMatch(s); it.hasNext();) {
        const auto m = it.next();
        SvgPolyline p;
        p.style = m.captured(2);
        for (const QString& xy : m.captured(1).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
            const QStringList v = xy.split(QLatin1Char(','));
            if (v.size() == 2) p.points << QPointF(v[0].toDouble(), v[1].toDouble());
        }
        svg.polylines << p;
    }
    return svg;
}

QString joined(const QList<SvgText>& texts, bool rotated)
{
    QString out;
    for (const SvgText& t : texts)
        if (t.rotated == rotated) out += t.text;
    return out;
}

class ExportChartTest : public RootFixture
{
protected:
    ToolRun termivo(const QStringList& args)
    {
        const ProgramRun r = runTermivo(args);
        return {r.code, QString(), r.err};
    }
    Svg convert(const QString& wmf)
    {
        const QString svgPath = wmf + QStringLiteral(".svg");
        const ToolRun r = runTool(QStringLiteral("wmf2svg"), {QStringLiteral("-o"), svgPath, wmf});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.err, QString()) << "wmf2svg warned";
        return parseSvg(readFileBytes(svgPath));
    }
};

// The metafile of the fixture month holds the title, the axis captions, every point of
// the sensor's line and the limit lines where the screen has them.
TEST_F(ExportChartTest, MetafileReadBackByLibwmf)
{
    MonthViewOptions options;
    options.showMinMax = true;
    MonthView view = buildMonthView(loadReportYear(readTextFile(kFixture).lines), 7, options);
    MonthChartContent& content = view.chart;
    content.title = chartTitle({QStringLiteral("Lab QC")}, QStringLiteral("A1_Temp"));
    content.valueAxisCaption = kTemperatureCaption;
    QCustomPlot chart;
    chart.resize(1000, 600);
    chart.setViewport(QRect(0, 0, 1000, 600));  // a widget never shown gets no resize event
    renderMonthChart(&chart, content);
    writeFileBytes(path("chart.wmf"), chartMetafile(&chart));
    const Svg svg = convert(path("chart.wmf"));
    // wmf2svg scales the picture to its own size: the panel's rectangle gives the scale.
    ASSERT_GT(svg.background.width(), 0);
    const double sx = svg.background.width() / 1000, sy = svg.background.height() / 600;
    const QPointF origin = svg.background.topLeft();
    const auto onScreen = [&](const QPointF& v) {
        return QPointF((v.x() - origin.x()) / sx, (v.y() - origin.y()) / sy);
    };

    const QString horizontal = joined(svg.texts, false);
    EXPECT_TRUE(horizontal.contains("Sensor Name : A1_Temp")) << horizontal.toStdString();
    EXPECT_TRUE(horizontal.contains("Lab QC"));
    EXPECT_TRUE(horizontal.contains("Mean = 22.04"));
    EXPECT_TRUE(horizontal.contains(fromAnsi(toAnsi(kCreditCaption)).simplified().left(10)));
    EXPECT_EQ(joined(svg.texts, true), fromAnsi(toAnsi(kTemperatureCaption)));  // the value axis, turned
    for (const SvgText& t : svg.texts) {
        if (t.text != "Sensor") continue;
        EXPECT_LT(onScreen(t.at).y(), chart.axisRect()->top());  // above the plot, where the title is
    }

    // Every valid point of the sensor's line is a vertex of a black polyline.
    QList<QPointF> black;
    for (const SvgPolyline& p : svg.polylines)
        if (p.style.contains("stroke:black")) black << p.points;
    QCPGraph* sensor = chart.graph(kSeriesSensor);
    int checked = 0;
    for (const ChartPoint& pt : content.series[kSeriesSensor].points) {
        if (pt.isNull) continue;
        const QPointF screen(sensor->keyAxis()->coordToPixel(pt.x), sensor->valueAxis()->coordToPixel(pt.y));
        const bool found = std::any_of(black.begin(), black.end(), [&](const QPointF& v) {
            const QPointF d = onScreen(v) - screen;
            return std::abs(d.x()) < 1.5 && std::abs(d.y()) < 1.5;
        });
        EXPECT_TRUE(found) << pt.x << " " << pt.y;
        ++checked;
    }
    EXPECT_GT(checked, 200);

    // The dotted limit lines: blue at 18, red at 26, across the axis.
    for (const auto& limit : {std::pair{"stroke:blue", 18.0}, std::pair{"stroke:red", 26.0}}) {
        const char* const colour = limit.first;  // a plain local: lambdas capture no structured binding in clang 14
        const double value = limit.second;
        const double y = sensor->valueAxis()->coordToPixel(value);
        const bool found = std::any_of(svg.polylines.begin(), svg.polylines.end(), [&](const SvgPolyline& p) {
            return p.style.contains(colour) && p.points.size() == 2 && std::abs(p.points[0].y() / sy - y) < 1.5 &&
                   std::abs(p.points[1].y() / sy - y) < 1.5 && p.points[1].x() / sx >= chart.axisRect()->right() - 1;
        });
        EXPECT_TRUE(found) << colour;
    }
}

// The background picture goes into the metafile as a device-independent bitmap.
TEST_F(ExportChartTest, MetafileCarriesTheBackgroundPicture)
{
    QImage picture(16, 8, QImage::Format_ARGB32);
    picture.fill(QColor(200, 40, 40));
    ASSERT_TRUE(picture.save(path("bg.png")));
    MonthChartContent content;
    content.backgroundPicture = path("bg.png");
    QCustomPlot chart;
    chart.resize(400, 300);
    chart.setViewport(QRect(0, 0, 400, 300));
    renderMonthChart(&chart, content);
    const QByteArray wmf = chartMetafile(&chart);
    writeFileBytes(path("bg.wmf"), wmf);
    EXPECT_TRUE(wmf.contains(QByteArray("\x43\x0F", 2))) << "a StretchDIB record";
    const Svg read = convert(path("bg.wmf"));
    EXPECT_GT(read.background.width(), 0);
    EXPECT_TRUE(readFileBytes(path("bg.wmf.svg")).contains("<image"));
}

TEST_F(ExportChartTest, ExportsTheThreeFormats)
{
    const QString rep = path("A1_Temp.rep");
    ASSERT_TRUE(QFile::copy(kFixture, rep));

    ToolRun r = termivo({"--export-chart", rep, "--month", "7", "--minmax", "--out", path("july.png")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(QImage(path("july.png")).size(), QSize(1200, 700));

    r = termivo({"--export-chart", rep, "--month", "7", "--out", path("july.wmf")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(joined(convert(path("july.wmf")).texts, false).contains("Sensor Name : A1_Temp"));

    // PDF: the chart page (landscape), then the table pages as printed (portrait).
    r = termivo({"--export-chart", rep, "--month", "7", "--period", "6", "--out", path("july.pdf")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const PdfText pdf = pdfWords(path("july.pdf"));
    ASSERT_EQ(pdf.pages.size(), 2);
    EXPECT_GT(pdf.pages[0].width, pdf.pages[0].height);
    EXPECT_LT(pdf.pages[1].width, pdf.pages[1].height);
    EXPECT_FALSE(pdf.find(0, "A1_Temp").isEmpty());
    const QList<PdfWord> day = pdf.find(1, "7/30");
    ASSERT_EQ(day.size(), 1);
    // Right to left: the day column at the right, its text 1.5 mm inside the rule that
    // stands 10 mm from the page's right edge.
    EXPECT_NEAR(day[0].box.right() / kPointsPerMm, 210 - 10 - 1.5, 0.6);
    EXPECT_NEAR(day[0].box.top() / kPointsPerMm, 21.8 + 30 * 5, 1.6);
    EXPECT_EQ(pdf.find(1, "Max").size(), 1);
}

TEST_F(ExportChartTest, BadInputsWriteNothing)
{
    const QString rep = path("A1_Temp.rep");
    ASSERT_TRUE(QFile::copy(kFixture, rep));
    writeLines(path("noheader.rep"), {"7,1,abc"});
    const QString out = path("out.png");
    const QList<std::pair<QStringList, int>> cases{
        {{"--export-chart", rep, "--out", path("out.jpg")}, 2},
        {{"--export-chart", rep, "--out", path("out")}, 2},
        {{"--export-chart", rep}, 2},
        {{"--export-chart", rep, "--month", "13", "--out", out}, 2},
        {{"--export-chart", rep, "--period", "5", "--out", out}, 2},
        {{"--export-chart", rep, "--bogus", "--out", out}, 2},
        {{"--export-chart", path("missing.rep"), "--out", out}, 1},
        {{"--export-chart", path("noheader.rep"), "--out", out}, 1},
        {{"--export-chart", rep, "--out", path("no/such/folder/out.pdf")}, 1},
    };
    for (const auto& [args, code] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const ToolRun r = termivo(args);
        EXPECT_EQ(r.code, code);
        EXPECT_TRUE(r.err.startsWith("termivo: ")) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    EXPECT_FALSE(QFileInfo::exists(path("out.jpg")));
}

}  // namespace
