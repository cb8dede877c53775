#include "widgets/ui/chartframe.h"

#include <limits>

#include <qcustomplot.h>

ChartFrame layOutChartFrame(QCustomPlot* chart, const QString& titleName, const QString& footName,
                            const QFont& textFont)
{
    auto* layout = chart->plotLayout();
    auto* axisRect = chart->axisRect();
    layout->take(axisRect);
    layout->simplify();

    ChartFrame frame;
    frame.title = new QCPTextElement(chart, QString(), textFont);
    frame.title->setObjectName(titleName);
    frame.title->setTextColor(Qt::black);
    frame.legendRow = new QCPLayoutGrid;
    frame.foot = new QCPTextElement(chart, QString(), textFont);
    frame.foot->setObjectName(footName);
    frame.foot->setTextColor(Qt::black);

    layout->addElement(0, 0, frame.title);
    layout->addElement(1, 0, frame.legendRow);
    layout->addElement(2, 0, axisRect);
    layout->addElement(3, 0, frame.foot);
    layout->setRowStretchFactor(0, 0.001);
    layout->setRowStretchFactor(1, 0.001);
    layout->setRowStretchFactor(3, 0.001);

    chart->legend->setVisible(true);
    frame.legendRow->addElement(0, 0, chart->legend);
    chart->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    chart->legend->setWrap(5);
    chart->legend->setBorderPen(QPen(Qt::gray));
    return frame;
}

QCPTextElement* chartText(const QCustomPlot* chart, const QString& name)
{
    for (int i = 0; i < chart->plotLayout()->elementCount(); ++i) {
        auto* t = qobject_cast<QCPTextElement*>(chart->plotLayout()->elementAt(i));
        if (t && t->objectName() == name) return t;
    }
    return nullptr;
}

void setDayAxis(QCPAxis* axis)
{
    axis->setRange(1, 32);
    QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
    ticker->setTickStep(1);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    axis->setTicker(ticker);
}

void setSeries(QCPGraph* g, const ChartSeries& series)
{
    QVector<double> xs, ys;
    xs.reserve(series.points.size());
    ys.reserve(series.points.size());
    for (const auto& p : series.points) {
        xs << p.x;
        ys << (p.isNull ? std::numeric_limits<double>::quiet_NaN() : p.y);
    }
    g->setData(xs, ys, true);
    g->setName(series.title);
}
