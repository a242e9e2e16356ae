// Shapes, lines and paths, outlined with the context's pen and filled with its brush.
//
// Coordinates are taken to device pixels first, then the shape is built there by GDI's rules:
// a box from (x1, y1) to (x2, y2) covers the pixels x1 .. x2 - 1 and y1 .. y2 - 1, so its
// outline runs through the last pixels inside (a box one pixel smaller, stroked by a one-pixel
// pen that draws to the right of and below its line); without a pen the fill covers that
// smaller box only. Drawing is never smoothed.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/gdi.h"
#include "platform/gdi_qt.h"

namespace {

QRectF OutlineBox(const QRect& device) {
    return QRectF(device.left(), device.top(), device.width() - 1, device.height() - 1);
}

// The box of a shape, with an inside-frame pen's width taken off so the outline stays inside.
QRectF ShapeBox(const DCData& dc, int x1, int y1, int x2, int y2) {
    QRectF box = OutlineBox(dc.ToDeviceRect(x1, y1, x2, y2));
    if (dc.state.pen.nStyle == PS_INSIDEFRAME) {
        const int nWidth = dc.MakePen().width();
        if (nWidth > 1) {
            const double d = std::min({nWidth / 2.0, box.width() / 2, box.height() / 2});
            box.adjust(d, d, -d, -d);
        }
    }
    return box;
}

Qt::FillRule FillRule(const DCData& dc) {
    return dc.state.nPolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
}

// A path for a pen one logical pixel wide on a surface of more pixels than logical pixels,
// so that the line covers the logical pixels a one-pixel line covers at ratio one: those to
// the right of and below the mathematical line, from an open figure's first point up to, and
// not including, its last. The path runs through the centres of the logical pixels, and an
// open figure of straight lines starts half a pixel step earlier and ends half a step
// earlier.
QPainterPath OnPixelCentres(const QPainterPath& path) {
    QPainterPath centred = path.translated(0.5, 0.5);
    const int nCount = centred.elementCount();
    // Half a pixel step from a to b along the line's longer axis.
    auto halfStep = [](QPointF a, QPointF b) {
        const QPointF d = b - a;
        const double dLonger = std::max(std::abs(d.x()), std::abs(d.y()));
        return dLonger > 0 ? d * (0.5 / dLonger) : QPointF();
    };
    for (int nStart = 0; nStart < nCount;) {
        int nEnd = nStart + 1;
        while (nEnd < nCount && !centred.elementAt(nEnd).isMoveTo())
            ++nEnd;
        if (nEnd - nStart >= 2) {
            const QPainterPath::Element first = centred.elementAt(nStart);
            const QPainterPath::Element second = centred.elementAt(nStart + 1);
            const QPainterPath::Element last = centred.elementAt(nEnd - 1);
            const QPainterPath::Element before = centred.elementAt(nEnd - 2);
            if (QPointF(first) != QPointF(last) && second.isLineTo() && last.isLineTo()) {
                const QPointF start = QPointF(first) - halfStep(first, second);
                const QPointF end = QPointF(last) - halfStep(before, last);
                centred.setElementPositionAt(nStart, start.x(), start.y());
                centred.setElementPositionAt(nEnd - 1, end.x(), end.y());
            }
        }
        nStart = nEnd;
    }
    return centred;
}

// Draws a device path with the brush (when bFill) and the pen (when bStroke), or adds it to the
// path being recorded.
bool DrawShape(DCData& dc, QPainterPath path, bool bFill, bool bStroke) {
    if (dc.bPathOpen) {
        dc.path.addPath(path);
        return true;
    }
    QPainter* p = dc.BeginDraw();
    if (p == nullptr) return false;
    path.setFillRule(FillRule(dc));
    if (bFill && !dc.state.brush.bNull)
        p->fillPath(path, tessel::platform::ToQColor(dc.state.brush.cr));
    if (bStroke && dc.state.pen.nStyle != PS_NULL) {
        const QPen pen = dc.MakePen();
        if (dc.Ratio() != 1.0 && pen.widthF() == 1.0)
            p->strokePath(OnPixelCentres(path), pen);
        else
            p->strokePath(path, pen);
    }
    return true;
}

QPolygonF DevicePoints(const DCData& dc, const CPoint* pPoints, int nCount) {
    QPolygonF polygon;
    polygon.reserve(nCount);
    for (int i = 0; i < nCount; ++i)
        polygon.append(dc.ToDevice(pPoints[i].x, pPoints[i].y));
    return polygon;
}

enum class ArcKind { kArc, kChord, kPie };

// An elliptic arc from the radial line through ptStart to the one through ptEnd,
// counter-clockwise; the same two lines give the whole ellipse.
bool DrawArc(DCData& dc, const CRect& rc, CPoint ptStart, CPoint ptEnd, ArcKind kind) {
    const QRectF box = ShapeBox(dc, rc.left, rc.top, rc.right, rc.bottom);
    const double a = box.width() / 2, b = box.height() / 2;
    if (a <= 0 || b <= 0) return true;
    const QPointF centre = box.center();
    // Qt places arcs by the ellipse's parametric angle, counter-clockwise on the screen.
    auto angle = [&](CPoint pt) {
        const QPointF p = dc.ToDeviceF(pt.x, pt.y) - centre;
        return std::atan2(-p.y() / b, p.x() / a) * 180 / std::numbers::pi;
    };
    const double dStart = angle(ptStart);
    double dSweep = angle(ptEnd) - dStart;
    if (dSweep <= 0) dSweep += 360;
    QPainterPath path;
    if (kind == ArcKind::kPie)
        path.moveTo(centre);
    else
        path.arcMoveTo(box, dStart);
    path.arcTo(box, dStart, dSweep);
    if (kind != ArcKind::kArc) path.closeSubpath();
    return DrawShape(dc, path, kind != ArcKind::kArc, true);
}

}  // namespace

void CDC::FillRect(const CRect& rc, CBrush* pBrush) {
    if (pBrush == nullptr || !pBrush->IsValid() || pBrush->m_bNull) return;
    QPainter* p = m_pData->BeginDraw();
    if (p == nullptr) return;
    p->fillRect(m_pData->ToDeviceRect(rc.left, rc.top, rc.right, rc.bottom),
                tessel::platform::ToQColor(pBrush->m_cr));
}

// Like MFC's, which paints through the background colour: the context keeps cr as its
// background colour afterwards.
void CDC::FillSolidRect(const CRect& rc, COLORREF cr) {
    SetBkColor(cr);
    QPainter* p = m_pData->BeginDraw();
    if (p == nullptr) return;
    p->fillRect(m_pData->ToDeviceRect(rc.left, rc.top, rc.right, rc.bottom),
                tessel::platform::ToQColor(cr));
}

bool CDC::Rectangle(int x1, int y1, int x2, int y2) {
    QPainterPath path;
    path.addRect(ShapeBox(*m_pData, x1, y1, x2, y2));
    return DrawShape(*m_pData, path, true, true);
}

bool CDC::Ellipse(int x1, int y1, int x2, int y2) {
    QPainterPath path;
    path.addEllipse(ShapeBox(*m_pData, x1, y1, x2, y2));
    return DrawShape(*m_pData, path, true, true);
}

bool CDC::RoundRect(int x1, int y1, int x2, int y2, int nWidth, int nHeight) {
    const auto& state = m_pData->state;
    QPainterPath path;
    path.addRoundedRect(ShapeBox(*m_pData, x1, y1, x2, y2), std::abs(nWidth * state.dScaleX) / 2,
                        std::abs(nHeight * state.dScaleY) / 2);
    return DrawShape(*m_pData, path, true, true);
}

bool CDC::Arc(const CRect& rc, CPoint ptStart, CPoint ptEnd) {
    return DrawArc(*m_pData, rc, ptStart, ptEnd, ArcKind::kArc);
}

bool CDC::Chord(const CRect& rc, CPoint ptStart, CPoint ptEnd) {
    return DrawArc(*m_pData, rc, ptStart, ptEnd, ArcKind::kChord);
}

bool CDC::Pie(const CRect& rc, CPoint ptStart, CPoint ptEnd) {
    return DrawArc(*m_pData, rc, ptStart, ptEnd, ArcKind::kPie);
}

bool CDC::Polygon(const CPoint* pPoints, int nCount) {
    if (pPoints == nullptr || nCount < 2) return false;
    QPainterPath path;
    path.addPolygon(DevicePoints(*m_pData, pPoints, nCount));
    path.closeSubpath();
    return DrawShape(*m_pData, path, true, true);
}

bool CDC::PolyPolygon(const CPoint* pPoints, const int* pCounts, int nPolygons) {
    if (pPoints == nullptr || pCounts == nullptr || nPolygons <= 0) return false;
    QPainterPath path;
    for (int i = 0; i < nPolygons; ++i) {
        if (pCounts[i] < 2) return false;
        path.addPolygon(DevicePoints(*m_pData, pPoints, pCounts[i]));
        path.closeSubpath();
        pPoints += pCounts[i];
    }
    return DrawShape(*m_pData, path, true, true);
}

bool CDC::Polyline(const CPoint* pPoints, int nCount) {
    if (pPoints == nullptr || nCount < 2) return false;
    QPainterPath path;
    path.addPolygon(DevicePoints(*m_pData, pPoints, nCount));
    return DrawShape(*m_pData, path, false, true);
}

bool CDC::PolyBezier(const CPoint* pPoints, int nCount) {
    if (pPoints == nullptr || nCount < 4 || (nCount - 1) % 3 != 0) return false;
    const QPolygonF points = DevicePoints(*m_pData, pPoints, nCount);
    QPainterPath path(points[0]);
    for (int i = 1; i + 2 < nCount; i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    return DrawShape(*m_pData, path, false, true);
}

CPoint CDC::MoveTo(int x, int y) {
    DCData& dc = *m_pData;
    if (dc.bPathOpen) dc.path.moveTo(dc.ToDevice(x, y));
    return std::exchange(dc.state.ptCurrent, CPoint(x, y));
}

bool CDC::LineTo(int x, int y) {
    DCData& dc = *m_pData;
    const CPoint from = std::exchange(dc.state.ptCurrent, CPoint(x, y));
    const QPointF start = dc.ToDevice(from.x, from.y);
    if (dc.bPathOpen) {
        // Continue the figure when it ends where the line starts.
        if (dc.path.elementCount() == 0 || dc.path.currentPosition() != start)
            dc.path.moveTo(start);
        dc.path.lineTo(dc.ToDevice(x, y));
        return true;
    }
    QPainterPath path(start);
    path.lineTo(dc.ToDevice(x, y));
    return DrawShape(dc, path, false, true);
}

bool CDC::BeginPath() {
    DCData& dc = *m_pData;
    dc.bPathOpen = true;
    dc.bPathReady = false;
    dc.path = QPainterPath();
    return true;
}

bool CDC::EndPath() {
    DCData& dc = *m_pData;
    if (!dc.bPathOpen) return false;
    dc.bPathOpen = false;
    dc.bPathReady = true;
    return true;
}

bool CDC::CloseFigure() {
    if (!m_pData->bPathOpen) return false;
    m_pData->path.closeSubpath();
    return true;
}

namespace {

// Draws the recorded path and discards it.
bool DrawPath(DCData& dc, bool bFill, bool bStroke) {
    if (!dc.bPathReady) return false;
    dc.bPathReady = false;
    return DrawShape(dc, std::exchange(dc.path, QPainterPath()), bFill, bStroke);
}

}  // namespace

bool CDC::FillPath() {
    return DrawPath(*m_pData, true, false);
}
bool CDC::StrokePath() {
    return DrawPath(*m_pData, false, true);
}
bool CDC::StrokeAndFillPath() {
    return DrawPath(*m_pData, true, true);
}
