#include "online/ui/onlineview.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <qcustomplot.h>

namespace {

const char* kSetUpProperty = "termivoOnlineChart";
const QString kTitleName = QStringLiteral("termivoOnlineTitle");
const QString kFootName = QStringLiteral("termivoOnlineFoot");

QCPTextElement* namedText(const QCustomPlot* chart, const QString& name)
{
    for (int i = 0; i < chart->plotLayout()->elementCount(); ++i) {
        auto* t = qobject_cast<QCPTextElement*>(chart->plotLayout()->elementAt(i));
        if (t && t->objectName() == name) return t;
    }
    return nullptr;
}

QFont pixelFont(int px, bool bold)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void setUp(QCustomPlot* chart)
{
    if (chart->property(kSetUpProperty).toBool()) return;
    chart->setProperty(kSetUpProperty, true);
    chart->clearGraphs();
    chart->setInteractions(QCP::iSelectPlottables);  // clicks on a line; no panning or zooming

    auto* layout = chart->plotLayout();
    auto* axisRect = chart->axisRect();
    layout->take(axisRect);
    layout->simplify();
    auto* title = new QCPTextElement(chart, QString(), pixelFont(16, true));
    title->setObjectName(kTitleName);
    title->setTextColor(Qt::red);
    auto* legendRect = new QCPLayoutGrid;
    auto* foot = new QCPTextElement(chart, QString(), pixelFont(16, true));
    foot->setObjectName(kFootName);
    foot->setTextColor(Qt::black);
    // The month buttons sit on the chart's bottom corners and the print button in the middle.
    foot->setMargins(QMargins(12, 4, 12, 36));
    layout->addElement(0, 0, title);
    layout->addElement(1, 0, legendRect);
    layout->addElement(2, 0, axisRect);
    layout->addElement(3, 0, foot);
    layout->setRowStretchFactor(0, 0.001);
    layout->setRowStretchFactor(1, 0.001);
    layout->setRowStretchFactor(3, 0.001);

    chart->legend->setVisible(true);
    legendRect->addElement(0, 0, chart->legend);
    chart->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    chart->legend->setWrap(5);
    chart->legend->setFont(pixelFont(12, false));
    chart->legend->setBrush(QBrush(QColor(255, 255, 255, 220)));
    chart->legend->setBorderPen(QPen(Qt::gray));

    for (int n = 0; n < kOnlineSeriesCount; ++n) {
        QCPGraph* g = chart->addGraph();
        const OnlineLineStyle s = onlineLineStyle(n);
        QPen pen(s.defaultColour ? QColor(Qt::darkGray) : QColor::fromRgb(s.rgb), s.width, s.style);
        g->setPen(pen);
        g->setLineStyle(QCPGraph::lsLine);
        g->setScatterStyle(QCPScatterStyle::ssNone);
        g->setName(QStringLiteral("Series%1").arg(n + 1));
        g->setVisible(false);
        g->removeFromLegend();
    }

    chart->xAxis->setRange(1, 32);
    QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
    ticker->setTickStep(1);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    chart->xAxis->setTicker(ticker);
    chart->xAxis->grid()->setPen(QPen(QColor(170, 170, 170), 0, Qt::DashLine));
    chart->yAxis->grid()->setPen(QPen(QColor(170, 170, 170), 0, Qt::DashLine));
    chart->yAxis->setLabelColor(Qt::darkGreen);
    chart->yAxis->setLabelFont(pixelFont(13, true));
}

}  // namespace

void renderOnlineChart(QCustomPlot* chart, const OnlineChartContent& content)
{
    setUp(chart);
    bool found = false;
    QCPRange range;
    for (int n = 0; n < kOnlineSeriesCount && n < chart->graphCount(); ++n) {
        QCPGraph* g = chart->graph(n);
        const ChartSeries& s = content.series[n];
        QVector<double> xs, ys;
        xs.reserve(s.points.size());
        ys.reserve(s.points.size());
        for (const auto& p : s.points) {
            xs << p.x;
            ys << (p.isNull ? std::numeric_limits<double>::quiet_NaN() : p.y);
        }
        g->setData(xs, ys, true);
        const bool on = content.active[n];
        g->setVisible(on);
        g->setName(s.title);
        if (on)
            g->addToLegend();
        else
            g->removeFromLegend();
        bool ok = false;
        const QCPRange r = on ? g->getValueRange(ok) : QCPRange();
        if (!ok) continue;
        range = found ? QCPRange(std::min(range.lower, r.lower), std::max(range.upper, r.upper)) : r;
        found = true;
    }
    if (auto* t = namedText(chart, kTitleName)) t->setText(content.title);
    if (auto* f = namedText(chart, kFootName)) f->setText(content.foot);
    chart->yAxis->setLabel(content.valueAxisCaption);
    chart->xAxis->setRange(1, 32);
    if (!found) range = QCPRange(0, 40);
    // The lines keep 3 % of the plot's height free above and below.
    const double margin = std::max(0.5, (range.upper - range.lower) * 0.03 / 0.94);
    chart->yAxis->setRange(range.lower - margin, range.upper + margin);
    chart->replot();
}

void setOnlineLineTitle(QCustomPlot* chart, int n, const QString& title)
{
    if (n < 0 || n >= chart->graphCount() || !chart->graph(n)->visible()) return;
    chart->graph(n)->setName(title);
    chart->replot(QCustomPlot::rpQueuedReplot);
}

QString onlineLineTitle(const QCustomPlot* chart, int n)
{
    if (n < 0 || n >= chart->graphCount() || !chart->graph(n)->visible()) return {};
    return chart->graph(n)->name();
}

QString onlineFootText(const QCustomPlot* chart)
{
    const QCPTextElement* f = namedText(chart, kFootName);
    return f ? f->text() : QString();
}
