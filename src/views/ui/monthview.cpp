#include "views/ui/monthview.h"

#include <cmath>

#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QPixmap>
#include <QRadialGradient>
#include <QTableWidget>
#include <qcustomplot.h>

#include "platform/bidi.h"
#include "platform/errors.h"
#include "widgets/ui/chartframe.h"

namespace {

const char* const kSetUpProperty = "termivoMonthChart";
const QString kLabelName = QStringLiteral("termivoPointLabel");
const QString kTitleName = QStringLiteral("termivoTitle");
const QString kFootName = QStringLiteral("termivoFoot");
const QString kBandName = QStringLiteral("termivoBand");

QFont chartFont(int points, bool bold = false)
{
    QFont f(QStringLiteral("Tahoma"), points);
    f.setBold(bold);
    return f;
}

void styleGraph(QCPGraph* g, int index)
{
    switch (index) {
        case kSeriesLowerLimit:
            g->setPen(QPen(Qt::blue, 1, Qt::DotLine));
            g->setLineStyle(QCPGraph::lsLine);
            break;
        case kSeriesDayMax:
            g->setPen(QPen(Qt::black));
            g->setLineStyle(QCPGraph::lsNone);
            g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::black), QBrush(Qt::black), 7));
            break;
        case kSeriesSensor:
            g->setPen(QPen(Qt::black, 2));
            g->setLineStyle(QCPGraph::lsLine);
            break;
        case kSeriesDayMin:
            g->setPen(QPen(Qt::blue));
            g->setLineStyle(QCPGraph::lsNone);
            g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDiamond, QPen(Qt::blue), QBrush(Qt::blue), 8));
            break;
        case kSeriesUpperLimit:
            g->setPen(QPen(Qt::red, 1, Qt::DotLine));
            g->setLineStyle(QCPGraph::lsLine);
            break;
        default:
            break;
    }
}

// Lays the chart out once: title, legend, axis rect, foot; five graphs.
void setUp(QCustomPlot* chart)
{
    if (chart->property(kSetUpProperty).toBool()) return;
    chart->setProperty(kSetUpProperty, true);
    chart->clearGraphs();
    chart->clearItems();
    chart->setInteractions(QCP::iSelectPlottables);  // clicks on a series; no panning or zooming

    const ChartFrame frame = layOutChartFrame(chart, kTitleName, kFootName, chartFont(10, true));
    frame.foot->setTextFlags(Qt::AlignRight | Qt::AlignVCenter);
    // The month buttons of the main window sit on the chart's bottom corners: the foot
    // (date line, signature and remarks) stays clear of them.
    frame.foot->setMargins(QMargins(12, 4, 12, 40));
    chart->plotLayout()->setRowSpacing(2);
    frame.legendRow->setMargins(QMargins(0, 0, 0, 0));
    chart->legend->setFont(chartFont(9));
    chart->legend->setBrush(QBrush(QColor(255, 255, 255, 200)));
    frame.legendRow->setOuterRect(QRect());

    for (int i = 0; i < kMonthSeriesCount; ++i) styleGraph(chart->addGraph(), i);

    setDayAxis(chart->xAxis);
    chart->xAxis->grid()->setPen(QPen(QColor(140, 140, 140), 0, Qt::DashLine));
    chart->yAxis->grid()->setPen(QPen(QColor(170, 170, 170), 0, Qt::DashLine));
    chart->xAxis->setLabelColor(Qt::blue);
    chart->xAxis->setLabelFont(chartFont(8));
    chart->yAxis->setLabelColor(Qt::red);
    chart->yAxis->setLabelFont(chartFont(11, true));
    chart->axisRect()->setBackground(Qt::NoBrush);
}

void addLabels(QCustomPlot* chart, const ChartSeries& s, const QColor& background, bool above)
{
    for (const auto& p : s.points) {
        if (p.isNull || p.label.isEmpty()) continue;
        auto* t = new QCPItemText(chart);
        t->setObjectName(kLabelName);
        t->position->setType(QCPItemPosition::ptPlotCoords);
        t->position->setCoords(p.x, p.y);
        t->setPositionAlignment(Qt::AlignHCenter | (above ? Qt::AlignBottom : Qt::AlignTop));
        t->setText(p.label);
        t->setFont(chartFont(7));
        t->setBrush(QBrush(background));
        t->setPen(QPen(Qt::gray));
        t->setPadding(QMargins(1, 0, 1, 0));
        t->setClipToAxisRect(false);
    }
}

// Hours out of limits: pale red above the upper limit, pale blue below the lower one,
// from the limit line to the edge of the plot, behind the series.
void addBands(QCustomPlot* chart, const QList<ChartBand>& bands)
{
    for (const ChartBand& b : bands) {
        auto* r = new QCPItemRect(chart);
        r->setObjectName(kBandName);
        r->setLayer(QStringLiteral("background"));
        r->setPen(Qt::NoPen);
        r->setBrush(b.above ? QColor(255, 80, 80, 70) : QColor(80, 120, 255, 70));
        for (QCPItemPosition* p : {r->topLeft, r->bottomRight}) {
            p->setAxes(chart->xAxis, chart->yAxis);
            p->setAxisRect(chart->axisRect());
            p->setTypeX(QCPItemPosition::ptPlotCoords);
        }
        // The edge of the plot on the band's side (axis rect ratio 0 is the top), and the limit.
        QCPItemPosition* edge = b.above ? r->topLeft : r->bottomRight;
        QCPItemPosition* atLimit = b.above ? r->bottomRight : r->topLeft;
        edge->setTypeY(QCPItemPosition::ptAxisRectRatio);
        atLimit->setTypeY(QCPItemPosition::ptPlotCoords);
        r->topLeft->setCoords(b.from, b.above ? 0.0 : b.limit);
        r->bottomRight->setCoords(b.to, b.above ? b.limit : 1.0);
    }
}

}  // namespace

void renderMonthChart(QCustomPlot* chart, const MonthChartContent& content)
{
    setUp(chart);

    // Panel: light yellow, a gradient from the centre to white; the picture over the
    // whole panel when there is one.
    QPixmap picture;
    if (!content.backgroundPicture.isEmpty() && QFileInfo::exists(content.backgroundPicture))
        picture.load(content.backgroundPicture);
    if (!picture.isNull()) {
        chart->setBackground(picture, true, Qt::IgnoreAspectRatio);
    } else {
        chart->setBackground(QPixmap());
        QRadialGradient gradient(QPointF(0.5, 0.5), 0.75);
        gradient.setCoordinateMode(QGradient::ObjectBoundingMode);  // follows the panel's size
        gradient.setColorAt(0, QColor(255, 255, 200));
        gradient.setColorAt(1, Qt::white);
        chart->setBackground(QBrush(gradient));
    }

    for (int i = 0; i < kMonthSeriesCount && i < chart->graphCount(); ++i)
        setSeries(chart->graph(i), content.series[i]);

    QList<QCPAbstractItem*> old;
    for (int i = 0; i < chart->itemCount(); ++i)
        if (chart->item(i)->objectName() == kLabelName || chart->item(i)->objectName() == kBandName)
            old << chart->item(i);
    for (auto* item : old) chart->removeItem(item);
    addBands(chart, content.bands);
    addLabels(chart, content.series[kSeriesDayMax], QColor(224, 255, 255), true);
    addLabels(chart, content.series[kSeriesDayMin], Qt::white, false);

    if (auto* t = chartText(chart, kTitleName)) {
        t->setText(bidi::display(content.title.join(QLatin1Char('\n'))));
        t->setVisible(!content.title.isEmpty());
    }
    if (auto* f = chartText(chart, kFootName)) {
        f->setText(bidi::display(content.foot.join(QLatin1Char('\n'))));
        f->setVisible(!content.foot.isEmpty());
    }
    chart->xAxis->setLabel(content.dayAxisCaption);
    chart->yAxis->setLabel(content.valueAxisCaption);
    chart->xAxis->setRange(1, 32);

    bool found = false;
    QCPRange range;
    for (int i = 0; i < chart->graphCount(); ++i) {
        bool ok = false;
        const QCPRange r = chart->graph(i)->getValueRange(ok);
        if (!ok) continue;
        range = found ? QCPRange(std::min(range.lower, r.lower), std::max(range.upper, r.upper)) : r;
        found = true;
    }
    if (!found) range = QCPRange(0, 40);
    const double margin = std::max(1.0, (range.upper - range.lower) * 0.08);
    chart->yAxis->setRange(range.lower - margin, range.upper + margin);
    chart->replot();
}

void renderMonthTable(QTableWidget* table, const MonthTableContent& content)
{
    table->clear();
    // 64 pixels a column: the printed table gives each pixel 0.2 mm, so that the default
    // three-hour table fits an A4 page.
    table->horizontalHeader()->setMinimumSectionSize(20);
    table->horizontalHeader()->setDefaultSectionSize(64);
    table->setRowCount(content.rowCount);
    table->setColumnCount(content.colCount);
    table->horizontalHeader()->setVisible(false);
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::AllEditTriggers);
    for (int r = 0; r < content.rowCount; ++r) {
        for (int c = 0; c < content.colCount; ++c) {
            auto* item = new QTableWidgetItem(content.cell(c, r));
            if (r == 0 || c == 0) {
                item->setBackground(QColor(230, 230, 230));
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
            }
            table->setItem(r, c, item);
        }
    }
}

MonthTableContent tableContentOf(const QTableWidget* table)
{
    MonthTableContent t;
    t.rowCount = std::min(table->rowCount(), MonthTableContent::kMaxRows);
    t.colCount = std::min(table->columnCount(), MonthTableContent::kMaxCols);
    for (int r = 0; r < t.rowCount; ++r)
        for (int c = 0; c < t.colCount; ++c)
            if (const auto* item = table->item(r, c)) t.setCell(c, r, item->text());
    return t;
}

void requireReadablePicture(const QString& path)
{
    QImageReader reader(path);
    if (reader.read().isNull())
        throw FileError(QCoreApplication::translate("Termivo", "Cannot load the picture \"%1\". %2")
                            .arg(path, reader.errorString()));
}
