#include "online/ui/onlineview.h"

#include <algorithm>
#include <cmath>

#include <qcustomplot.h>

#include "online/readings.h"
#include "widgets/ui/chartframe.h"

namespace {

const char* const kSetUpProperty = "termivoOnlineChart";
const QString kTitleName = QStringLiteral("termivoOnlineTitle");
const QString kFootName = QStringLiteral("termivoOnlineFoot");

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
    // Thirty lines of up to 3 pixels: drawn without antialiasing and as fast polylines,
    // as the month chart's lines look on screen anyway.
    chart->setNotAntialiasedElements(QCP::aePlottables);
    chart->setPlottingHint(QCP::phFastPolylines, true);

    const ChartFrame frame = layOutChartFrame(chart, kTitleName, kFootName, pixelFont(16, true));
    frame.title->setTextColor(Qt::red);
    // The month buttons sit on the chart's bottom corners and the print button in the middle.
    frame.foot->setMargins(QMargins(12, 4, 12, 36));
    chart->legend->setFont(pixelFont(12, false));
    chart->legend->setBrush(QBrush(QColor(255, 255, 255, 220)));

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

    setDayAxis(chart->xAxis);
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
        setSeries(g, content.series[n]);
        const bool on = content.active[n];
        g->setVisible(on);
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
    if (auto* t = chartText(chart, kTitleName)) t->setText(content.title);
    if (auto* f = chartText(chart, kFootName)) f->setText(content.foot);
    chart->yAxis->setLabel(content.valueAxisCaption);
    chart->xAxis->setRange(1, 32);
    if (!found) range = QCPRange(0, 40);
    // The lines keep 3 % of the plot's height free above and below.
    const double margin = std::max(0.5, (range.upper - range.lower) * 0.03 / 0.94);
    chart->yAxis->setRange(range.lower - margin, range.upper + margin);
    chart->replot();
}

void prepareOnlineChart(QCustomPlot* chart)
{
    // A drawing of every line with points and a legend title of the kind the poll
    // gives, under the title and foot of a month, at the size the chart has now: the
    // fonts, the shaping of the Persian and Latin texts, the paint buffers and the
    // line drawing are made ready here instead of in the first drawing the user waits for.
    OnlineChartContent sample;
    sample.foot = onlineFoot(0, 1);
    for (int n = 0; n < kOnlineSeriesCount; ++n) {
        ChartSeries& s = sample.series[n];
        s.name = QStringLiteral("Series%1").arg(n + 1);
        if (n >= kOnlineShownLines) continue;
        sample.active[n] = true;
        s.title = readingTitle(QStringLiteral("A"), n % 4, QStringLiteral("Sensor"), QStringLiteral("-18.5(Alarm)"));
        for (int b = 0; b < 31 * 8; ++b) {
            const double x = 1 + (b + 1) / 8.0;
            if (b % 17 == 0)
                s.addNull(x, 4);
            else
                s.add(x, 20 + (b * 7 + n) % 13);
        }
    }
    renderOnlineChart(chart, sample);
    renderOnlineChart(chart, OnlineChartContent{});
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
    const QCPTextElement* f = chartText(chart, kFootName);
    return f ? f->text() : QString();
}
