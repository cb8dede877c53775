// A standard Windows Metafile (".wmf", not the enhanced format) as a paint device:
// whatever paints on it (a chart view, any QPainter) is recorded as WMF records
// behind a placeable header: pens, brushes, fonts, polylines, polygons, rectangles,
// ellipses, text in code page 1256 with the Arabic character set, and pictures as
// device-independent bitmaps. Gradients are written as their first colour and
// transparency is dropped: the format has neither.
#pragma once

#include <memory>

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

class WmfPaintEngine;

class WmfPaintDevice : public QPaintDevice
{
public:
    // size: the picture's size in pixels at 96 dots per inch.
    explicit WmfPaintDevice(const QSize& size);
    ~WmfPaintDevice() override;
    WmfPaintDevice(const WmfPaintDevice&) = delete;
    WmfPaintDevice& operator=(const WmfPaintDevice&) = delete;

    QPaintEngine* paintEngine() const override;
    // The whole metafile, once the painter has ended.
    QByteArray metafile() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<WmfPaintEngine> m_engine;
};
