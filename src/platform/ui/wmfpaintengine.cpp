#include "platform/ui/wmfpaintengine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>
#include <QtEndian>

#include "platform/bidi.h"
#include "platform/textfile.h"

namespace {

constexpr int kDpi = 96;

// Record functions of the metafile format.
enum : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DELETEOBJECT = 0x01F0,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_POLYPOLYGON = 0x0538,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHDIB = 0x0F43,
};

constexpr uint16_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5;
constexpr uint16_t BS_SOLID = 0, BS_NULL = 1;
constexpr uint16_t TRANSPARENT = 1;
constexpr uint16_t MM_ANISOTROPIC = 8;
constexpr uint16_t ALTERNATE = 1, WINDING = 2;
constexpr uint16_t TA_BASELINE = 24;
constexpr uint8_t ARABIC_CHARSET = 178;
constexpr uint32_t SRCCOPY = 0x00CC0020;

class Params
{
public:
    void u16(uint16_t v) { m_words.push_back(v); }
    void i16(int v) { u16(static_cast<uint16_t>(static_cast<int16_t>(std::clamp(v, -32768, 32767)))); }
    void u32(uint32_t v)
    {
        u16(static_cast<uint16_t>(v & 0xFFFF));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void colour(const QColor& c) { u32(uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16); }
    // Bytes, padded with a zero to a whole number of words.
    void bytes(const QByteArray& b)
    {
        for (qsizetype i = 0; i < b.size(); i += 2) {
            const uint8_t lo = static_cast<uint8_t>(b[i]);
            const uint8_t hi = i + 1 < b.size() ? static_cast<uint8_t>(b[i + 1]) : 0;
            u16(static_cast<uint16_t>(lo | hi << 8));
        }
    }
    const std::vector<uint16_t>& words() const { return m_words; }

private:
    std::vector<uint16_t> m_words;
};

uint16_t penStyle(const QPen& pen)
{
    if (pen.style() == Qt::NoPen || pen.color().alpha() == 0) return PS_NULL;
    switch (pen.style()) {
        case Qt::DashLine:
        case Qt::CustomDashLine:
            return PS_DASH;
        case Qt::DotLine:
            return PS_DOT;
        case Qt::DashDotLine:
            return PS_DASHDOT;
        case Qt::DashDotDotLine:
            return PS_DASHDOTDOT;
        default:
            return PS_SOLID;
    }
}

QColor brushColour(const QBrush& b)
{
    if (const QGradient* g = b.gradient()) {
        const QGradientStops stops = g->stops();
        return stops.isEmpty() ? QColor(Qt::white) : stops.first().second;
    }
    return b.color();
}

bool brushIsNull(const QBrush& b)
{
    if (b.style() == Qt::NoBrush) return true;
    return !b.gradient() && b.color().alpha() == 0;
}

// A 24-bit bottom-up device-independent bitmap of image, drawn over white.
QByteArray dib(const QImage& source)
{
    QImage img(source.size(), QImage::Format_RGB888);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.drawImage(0, 0, source);
    }
    const int w = img.width();
    const int h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    QByteArray out;
    out.reserve(40 + stride * h);
    auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto put16 = [&out](uint16_t v) {
        out.append(static_cast<char>(v & 0xFF));
        out.append(static_cast<char>(v >> 8));
    };
    put32(40);
    put32(static_cast<uint32_t>(w));
    put32(static_cast<uint32_t>(h));
    put16(1);
    put16(24);
    put32(0);  // no compression
    put32(static_cast<uint32_t>(stride * h));
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    for (int y = h - 1; y >= 0; --y) {
        const uchar* line = img.constScanLine(y);
        QByteArray row(stride, '\0');
        for (qsizetype x = 0; x < w; ++x) {
            row[3 * x] = static_cast<char>(line[3 * x + 2]);
            row[3 * x + 1] = static_cast<char>(line[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(line[3 * x]);
        }
        out.append(row);
    }
    return out;
}

}  // namespace

class WmfPaintEngine : public QPaintEngine
{
public:
    explicit WmfPaintEngine(const QSize& size) : QPaintEngine(QPaintEngine::AllFeatures), m_size(size)
    {
        // Logical units per pixel: as fine as 16-bit coordinates allow, at most 15 (1440 a inch).
        m_unit = std::clamp(32000 / std::max({1, size.width(), size.height()}), 1, 15);
    }

    bool begin(QPaintDevice*) override
    {
        m_records.clear();
        m_slots.clear();
        m_maxObjects = 0;
        m_maxRecord = 0;
        m_pen = QPen();
        m_brush = QBrush();
        m_font = QFont();
        m_transform = QTransform();
        m_penObject = m_brushObject = m_fontObject = -1;
        m_penDirty = m_brushDirty = m_fontDirty = true;
        m_textColour = QColor();
        m_clipSaved = false;
        m_fillMode = 0;

        Params mm;
        mm.u16(MM_ANISOTROPIC);
        record(META_SETMAPMODE, mm);
        Params org;
        org.i16(0);
        org.i16(0);
        record(META_SETWINDOWORG, org);
        Params ext;
        ext.i16(m_size.height() * m_unit);
        ext.i16(m_size.width() * m_unit);
        record(META_SETWINDOWEXT, ext);
        setTextModes();
        return true;
    }

    bool end() override
    {
        if (m_clipSaved) restoreClip();
        for (int* object : {&m_penObject, &m_brushObject, &m_fontObject}) {
            if (*object >= 0) deleteObject(*object);
            *object = -1;
        }
        record(META_EOF, Params());
        return true;
    }

    void updateState(const QPaintEngineState& newState) override
    {
        const DirtyFlags f = newState.state();
        if (f & DirtyTransform) m_transform = newState.transform();
        if (f & DirtyPen) {
            m_pen = newState.pen();
            m_penDirty = true;
        }
        if (f & DirtyBrush) {
            m_brush = newState.brush();
            m_brushDirty = true;
        }
        if (f & DirtyFont) {
            m_font = newState.font();
            m_fontDirty = true;
        }
        if (f & DirtyTransform) m_fontDirty = true;  // size and angle follow the transform
        if (f & (DirtyClipEnabled | DirtyClipRegion | DirtyClipPath)) updateClip(newState);
    }

    void drawPath(const QPainterPath& path) override
    {
        const QList<QPolygonF> polygons = path.toSubpathPolygons(m_transform);
        if (polygons.isEmpty()) return;
        if (brushIsNull(m_brush)) {
            for (const QPolygonF& p : polygons) polyline(p);
            return;
        }
        selectPenAndBrush();
        setFillMode(path.fillRule() == Qt::WindingFill ? WINDING : ALTERNATE);
        Params params;
        params.u16(static_cast<uint16_t>(polygons.size()));
        for (const QPolygonF& p : polygons) params.u16(static_cast<uint16_t>(p.size()));
        for (const QPolygonF& p : polygons) addPoints(params, p);
        record(META_POLYPOLYGON, params);
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        QPolygonF poly;
        for (int i = 0; i < count; ++i) poly << m_transform.map(points[i]);
        if (mode == PolylineMode) {
            polyline(poly);
            return;
        }
        selectPenAndBrush();
        setFillMode(mode == WindingMode ? WINDING : ALTERNATE);
        Params params;
        params.u16(static_cast<uint16_t>(poly.size()));
        addPoints(params, poly);
        record(META_POLYGON, params);
    }

    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            polyline(QPolygonF{m_transform.map(lines[i].p1()), m_transform.map(lines[i].p2())});
    }

    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            if (!m_transform.isRotating()) {
                boxRecord(META_RECTANGLE, m_transform.mapRect(rects[i]));
            } else {
                QPainterPath p;
                p.addRect(rects[i]);
                drawPath(p);
            }
        }
    }

    void drawEllipse(const QRectF& r) override
    {
        if (!m_transform.isRotating()) {
            boxRecord(META_ELLIPSE, m_transform.mapRect(r));
        } else {
            QPainterPath p;
            p.addEllipse(r);
            drawPath(p);
        }
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QString text = bidi::withoutMarks(item.text());
        if (text.isEmpty() || m_pen.style() == Qt::NoPen) return;
        const QFont font = item.font();
        if (font != m_font) {
            m_font = font;
            m_fontDirty = true;
        }
        selectFont();
        if (m_textColour != m_pen.color()) {
            m_textColour = m_pen.color();
            Params c;
            c.colour(m_textColour);
            record(META_SETTEXTCOLOR, c);
        }
        const QPointF at = m_transform.map(p);
        const QByteArray bytes = toAnsi(text);
        Params params;
        params.i16(unit(at.y()));
        params.i16(unit(at.x()));
        params.i16(static_cast<int>(bytes.size()));
        params.u16(0);  // no options: readers reorder right-to-left text themselves
        params.bytes(bytes);
        record(META_EXTTEXTOUT, params);
    }

    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override
    {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override
    {
        const QImage part = image.copy(sr.toAlignedRect());
        if (part.isNull()) return;
        const QRectF target = m_transform.mapRect(r);
        Params params;
        params.u32(SRCCOPY);
        params.u16(0);  // DIB_RGB_COLORS
        params.i16(part.height());
        params.i16(part.width());
        params.i16(0);
        params.i16(0);
        params.i16(unit(target.height()));
        params.i16(unit(target.width()));
        params.i16(unit(target.top()));
        params.i16(unit(target.left()));
        params.bytes(dib(part));
        record(META_STRETCHDIB, params);
    }

    Type type() const override { return QPaintEngine::User; }

    QByteArray metafile() const
    {
        QByteArray out;
        auto put16 = [&out](uint16_t v) {
            out.append(static_cast<char>(v & 0xFF));
            out.append(static_cast<char>(v >> 8));
        };
        // Placeable header: key, handle, bounding box, units per inch, reserved, checksum.
        std::vector<uint16_t> ph{0xCDD7,
                                 0x9AC6,
                                 0,
                                 0,
                                 0,
                                 static_cast<uint16_t>(m_size.width() * m_unit),
                                 static_cast<uint16_t>(m_size.height() * m_unit),
                                 static_cast<uint16_t>(kDpi * m_unit),
                                 0,
                                 0};
        uint16_t checksum = 0;
        for (uint16_t w : ph) checksum ^= w;
        for (uint16_t w : ph) put16(w);
        put16(checksum);

        uint32_t total = 9;
        for (const auto& r : m_records) total += static_cast<uint32_t>(r.size());
        put16(1);       // memory metafile
        put16(9);       // header words
        put16(0x0300);  // version
        put16(static_cast<uint16_t>(total & 0xFFFF));
        put16(static_cast<uint16_t>(total >> 16));
        put16(static_cast<uint16_t>(std::max(m_maxObjects, 1)));
        put16(static_cast<uint16_t>(m_maxRecord & 0xFFFF));
        put16(static_cast<uint16_t>(m_maxRecord >> 16));
        put16(0);
        for (const auto& r : m_records)
            for (uint16_t w : r) put16(w);
        return out;
    }

private:
    int unit(double pixels) const { return static_cast<int>(std::lround(pixels * m_unit)); }

    void record(uint16_t function, const Params& params)
    {
        const uint32_t size = static_cast<uint32_t>(3 + params.words().size());
        std::vector<uint16_t> r;
        r.reserve(size);
        r.push_back(static_cast<uint16_t>(size & 0xFFFF));
        r.push_back(static_cast<uint16_t>(size >> 16));
        r.push_back(function);
        r.insert(r.end(), params.words().begin(), params.words().end());
        m_maxRecord = std::max(m_maxRecord, size);
        m_records.push_back(std::move(r));
    }

    void addPoints(Params& params, const QPolygonF& poly) const
    {
        for (const QPointF& p : poly) {
            params.i16(unit(p.x()));
            params.i16(unit(p.y()));
        }
    }

    void boxRecord(uint16_t function, const QRectF& r)
    {
        selectPenAndBrush();
        Params params;
        params.i16(unit(r.bottom()));
        params.i16(unit(r.right()));
        params.i16(unit(r.top()));
        params.i16(unit(r.left()));
        record(function, params);
    }

    void polyline(const QPolygonF& poly)
    {
        if (poly.size() < 2 || penStyle(m_pen) == PS_NULL) return;
        selectPenAndBrush();
        for (qsizetype start = 0; start + 1 < poly.size(); start += 8000) {
            const QPolygonF part = poly.mid(start, 8001);
            Params params;
            params.u16(static_cast<uint16_t>(part.size()));
            addPoints(params, part);
            record(META_POLYLINE, params);
        }
    }

    void setFillMode(uint16_t mode)
    {
        if (mode == m_fillMode) return;
        m_fillMode = mode;
        Params p;
        p.u16(mode);
        record(META_SETPOLYFILLMODE, p);
    }

    int createObject(uint16_t function, const Params& params)
    {
        auto free = std::find(m_slots.begin(), m_slots.end(), false);
        int index;
        if (free == m_slots.end()) {
            m_slots.push_back(true);
            index = static_cast<int>(m_slots.size()) - 1;
        } else {
            *free = true;
            index = static_cast<int>(free - m_slots.begin());
        }
        m_maxObjects = std::max(m_maxObjects, static_cast<int>(m_slots.size()));
        record(function, params);
        return index;
    }

    void selectObject(int index)
    {
        Params p;
        p.u16(static_cast<uint16_t>(index));
        record(META_SELECTOBJECT, p);
    }

    void deleteObject(int index)
    {
        Params p;
        p.u16(static_cast<uint16_t>(index));
        record(META_DELETEOBJECT, p);
        m_slots[index] = false;
    }

    // Creates and selects the new object, then deletes the old one.
    void replaceObject(int& current, uint16_t function, const Params& params)
    {
        const int old = current;
        current = createObject(function, params);
        selectObject(current);
        if (old >= 0) deleteObject(old);
    }

    double transformScale() const { return std::sqrt(std::abs(m_transform.determinant())); }

    void selectPenAndBrush()
    {
        if (m_penDirty) {
            m_penDirty = false;
            const uint16_t style = penStyle(m_pen);
            // Broken lines are drawn one pixel wide: wider ones come out solid.
            int width = 0;
            if (style == PS_SOLID && !m_pen.isCosmetic() && m_pen.widthF() > 0)
                width = unit(m_pen.widthF() * transformScale());
            else if (style == PS_SOLID && m_pen.widthF() > 1)
                width = unit(m_pen.widthF());
            Params p;
            p.u16(style);
            p.i16(width);
            p.i16(0);
            p.colour(m_pen.color());
            replaceObject(m_penObject, META_CREATEPENINDIRECT, p);
        }
        if (m_brushDirty) {
            m_brushDirty = false;
            Params p;
            p.u16(brushIsNull(m_brush) ? BS_NULL : BS_SOLID);
            p.colour(brushColour(m_brush));
            p.u16(0);
            replaceObject(m_brushObject, META_CREATEBRUSHINDIRECT, p);
        }
    }

    void selectFont()
    {
        if (!m_fontDirty) return;
        m_fontDirty = false;
        const double pixels = m_font.pixelSize() > 0 ? m_font.pixelSize() : m_font.pointSizeF() * kDpi / 72.0;
        const double angle = std::atan2(m_transform.m12(), m_transform.m11()) * 180 / M_PI;
        Params p;
        p.i16(-std::max(1, unit(pixels * transformScale())));  // character height
        p.i16(0);
        p.i16(static_cast<int>(std::lround(-angle * 10)));  // escapement, counterclockwise
        p.i16(static_cast<int>(std::lround(-angle * 10)));
        p.i16(m_font.bold() ? 700 : 400);
        p.u16(static_cast<uint16_t>((m_font.italic() ? 1 : 0) | (m_font.underline() ? 1 : 0) << 8));
        p.u16(static_cast<uint16_t>((m_font.strikeOut() ? 1 : 0) | ARABIC_CHARSET << 8));
        p.u16(0);  // output and clip precision
        p.u16(0);  // quality, pitch and family
        // The face name field is read whole (32 bytes) by some readers.
        QByteArray face = toAnsi(m_font.family()).left(31);
        face.append(QByteArray(32 - face.size(), '\0'));
        p.bytes(face);
        replaceObject(m_fontObject, META_CREATEFONTINDIRECT, p);
    }

    // Text without a background box, placed by its baseline.
    void setTextModes()
    {
        Params bk;
        bk.u16(TRANSPARENT);
        record(META_SETBKMODE, bk);
        Params align;
        align.u16(TA_BASELINE);
        record(META_SETTEXTALIGN, align);
    }

    void restoreClip()
    {
        Params p;
        p.i16(-1);
        record(META_RESTOREDC, p);
        m_clipSaved = false;
        // Some readers do not keep the text settings across a restore: set them again.
        setTextModes();
        // The saved state had other objects selected: select the current ones again.
        for (int object : {m_penObject, m_brushObject, m_fontObject})
            if (object >= 0) selectObject(object);
        m_fillMode = 0;
        m_textColour = QColor();
    }

    void updateClip(const QPaintEngineState& clipState)
    {
        if (m_clipSaved) restoreClip();
        if (!clipState.isClipEnabled() || clipState.clipOperation() == Qt::NoClip) return;
        QRectF box;
        if (clipState.state() & DirtyClipPath)
            box = clipState.clipPath().boundingRect();
        else
            box = clipState.clipRegion().boundingRect();
        if (box.isEmpty()) box = QRectF(0, 0, 0, 0);
        box = m_transform.mapRect(box);
        Params save;
        record(META_SAVEDC, save);
        m_clipSaved = true;
        Params p;
        p.i16(unit(box.bottom()));
        p.i16(unit(box.right()));
        p.i16(unit(box.top()));
        p.i16(unit(box.left()));
        record(META_INTERSECTCLIPRECT, p);
    }

    QSize m_size;
    int m_unit = 1;
    std::vector<std::vector<uint16_t>> m_records;
    std::vector<bool> m_slots;
    int m_maxObjects = 0;
    uint32_t m_maxRecord = 0;
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    QTransform m_transform;
    int m_penObject = -1;
    int m_brushObject = -1;
    int m_fontObject = -1;
    bool m_penDirty = true;
    bool m_brushDirty = true;
    bool m_fontDirty = true;
    QColor m_textColour;
    bool m_clipSaved = false;
    uint16_t m_fillMode = 0;
};

WmfPaintDevice::WmfPaintDevice(const QSize& size) : m_size(size), m_engine(std::make_unique<WmfPaintEngine>(size)) {}

WmfPaintDevice::~WmfPaintDevice() = default;

QPaintEngine* WmfPaintDevice::paintEngine() const
{
    return m_engine.get();
}

QByteArray WmfPaintDevice::metafile() const
{
    return m_engine->metafile();
}

int WmfPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return static_cast<int>(m_size.width() * 25.4 / kDpi);
        case PdmHeightMM:
            return static_cast<int>(m_size.height() * 25.4 / kDpi);
        case PdmNumColors:
            return 0xFFFFFF;
        case PdmDepth:
            return 24;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kDpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        default:
            return 0;
    }
}
