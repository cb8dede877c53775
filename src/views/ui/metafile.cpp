#include "views/ui/metafile.h"

#include <qcustomplot.h>

#include "platform/ui/wmfpaintengine.h"

QByteArray chartMetafile(QCustomPlot* chart, QSize size)
{
    if (!size.isValid() || size.isEmpty()) size = chart->size();
    WmfPaintDevice device(size);
    {
        QCPPainter painter(&device);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        chart->toPainter(&painter, size.width(), size.height());
    }
    chart->replot();
    return device.metafile();
}
