// Device contexts: creation, selection, colours and modes, coordinates, clipping and the
// state stack. Text is in text.cpp.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/gdi.h"
#include "platform/gdi_qt.h"

using tessel::platform::BrushValue;
using tessel::platform::FontFace;
using tessel::platform::PenValue;
using tessel::platform::ToQColor;

QPoint DCData::ToDevice(double x, double y) const {
    static constexpr double kLimit = 1 << 29;
    const QPointF p = ToDeviceF(x, y);
    auto round = [](double d) {
        return static_cast<int>(std::clamp(std::floor(d + 0.5), -kLimit, kLimit));
    };
    return {round(p.x()), round(p.y())};
}

QRect DCData::ToDeviceRect(int x1, int y1, int x2, int y2) const {
    const QPoint a = ToDevice(x1, y1);
    const QPoint b = ToDevice(x2, y2);
    const int l = std::min(a.x(), b.x()), t = std::min(a.y(), b.y());
    return {l, t, std::max(a.x(), b.x()) - l, std::max(a.y(), b.y()) - t};
}

const FontFace& DCData::Face() {
    if (state.pFace) return *state.pFace;
    if (!pDefaultFace) pDefaultFace = tessel::platform::FaceFor(LOGFONT());
    return *pDefaultFace;
}

QPainter* DCData::BeginDraw() {
    if (!state.pSurface) return nullptr;
    QPainter* p = state.pSurface->Painter();
    if (p == nullptr) return nullptr;
    // Another context may share the surface's painter: set everything a drawing call uses,
    // where it is not so already (each change makes Qt's raster engine work out its state
    // anew).
    if (!p->transform().isIdentity()) p->resetTransform();
    const QPainter::RenderHints hints = p->renderHints();
    if (hints.testFlag(QPainter::Antialiasing)) p->setRenderHint(QPainter::Antialiasing, false);
    if (!hints.testFlag(QPainter::TextAntialiasing))
        p->setRenderHint(QPainter::TextAntialiasing, true);
    if (p->compositionMode() != QPainter::CompositionMode_SourceOver)
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (p->opacity() != 1.0) p->setOpacity(1.0);
    if (p->pen().style() != Qt::NoPen) p->setPen(Qt::NoPen);
    if (p->brush().style() != Qt::NoBrush) p->setBrush(Qt::NoBrush);
    // The clipping region is set with no transformation, so it stays in device coordinates.
    tessel::platform::Surface& surface = *state.pSurface;
    if (state.clip) {
        if (!surface.painterClip || *surface.painterClip != *state.clip) {
            p->setClipRegion(*state.clip);
            surface.painterClip = *state.clip;
        }
    } else if (surface.painterClip) {
        p->setClipping(false);
        surface.painterClip.reset();
    }
    return p;
}

QRegion DCData::VisibleRegion() const {
    if (!state.pSurface) return {};
    const QRegion whole(state.pSurface->LogicalRect());
    return state.clip ? whole.intersected(*state.clip) : whole;
}

QPen DCData::MakePen() const {
    const PenValue& pen = state.pen;
    QPen qpen(ToQColor(pen.cr));
    const double dScale = (std::abs(state.dScaleX) + std::abs(state.dScaleY)) / 2;
    const int nWidth = static_cast<int>(std::lround(pen.nWidth * dScale));
    if (nWidth > 1) {
        // Geometric pens: round ends and joins, and solid whatever the style, as in GDI.
        qpen.setWidth(nWidth);
        qpen.setCapStyle(Qt::RoundCap);
        qpen.setJoinStyle(Qt::RoundJoin);
        return qpen;
    }
    // One-pixel lines leave out their last pixel (flat caps), as GDI's lines do. On a surface
    // of more pixels than logical pixels the line is one logical pixel wide (a cosmetic pen
    // would be one image pixel wide); DrawShape puts it on the centres of logical pixels.
    if (Ratio() != 1.0)
        qpen.setWidthF(1.0);
    else
        qpen.setWidth(0);
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    switch (pen.nStyle) {
        case PS_DASH:
            qpen.setDashPattern({18, 6});
            break;
        case PS_DOT:
            qpen.setDashPattern({3, 3});
            break;
        case PS_DASHDOT:
            qpen.setDashPattern({9, 6, 3, 6});
            break;
        case PS_DASHDOTDOT:
            qpen.setDashPattern({9, 3, 3, 3, 3, 3});
            break;
        default:
            break;
    }
    return qpen;
}

namespace {

// Far beyond any surface: the clipping region before a context has one, and no bitmap yet.
const QRect kEverywhere(-(1 << 28), -(1 << 28), 1 << 29, 1 << 29);

int RegionKind(const QRegion& region) {
    if (region.isEmpty()) return NULLREGION;
    return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

CDC::CDC() : m_pData(std::make_unique<DCData>()) {}

CDC::~CDC() {
    DeleteDC();
}

// The context keeps the pixel ratio of pDC (a window's on a high-density screen) for the
// bitmaps made compatible with it.
bool CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_pData->bCreated) return false;
    const double dRatio = pDC != nullptr ? pDC->m_pData->Ratio() : 1.0;
    *m_pData = DCData();
    m_pData->bCreated = true;
    m_pData->bMemory = true;
    m_pData->dCompatibleRatio = dRatio;
    return true;
}

void CDC::DeleteDC() {
    if (m_pData->state.pSurface) m_pData->state.pSurface->EndPainting();
    *m_pData = DCData();
}

CFont* CDC::SelectObject(CFont* pFont) {
    if (pFont != nullptr && !pFont->IsValid()) return nullptr;
    auto& state = m_pData->state;
    CFont* pOld = state.pFont;
    state.pFont = pFont;
    state.pFace = pFont != nullptr ? pFont->Data()->pFace : nullptr;
    return pOld;
}

CPen* CDC::SelectObject(CPen* pPen) {
    if (pPen != nullptr && !pPen->IsValid()) return nullptr;
    auto& state = m_pData->state;
    CPen* pOld = state.pPen;
    state.pPen = pPen;
    // The values are copied: a selected pen is never changed, and may be destroyed first.
    state.pen = pPen != nullptr ? PenValue{pPen->m_nStyle, pPen->m_nWidth, pPen->m_cr} : PenValue();
    return pOld;
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    if (pBrush != nullptr && !pBrush->IsValid()) return nullptr;
    auto& state = m_pData->state;
    CBrush* pOld = state.pBrush;
    state.pBrush = pBrush;
    state.brush = pBrush != nullptr ? BrushValue{pBrush->m_bNull, pBrush->m_cr} : BrushValue();
    return pOld;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    if (!m_pData->bMemory || (pBitmap != nullptr && !pBitmap->IsValid())) return nullptr;
    auto& state = m_pData->state;
    CBitmap* pOld = GetCurrentBitmap();
    if (state.pSurface) state.pSurface->EndPainting();
    state.pSurface = pBitmap != nullptr ? pBitmap->Data()->pSurface : nullptr;
    return pOld;
}

CPalette* CDC::SelectPalette(CPalette* pPalette, bool /*bForceBackground*/) {
    return std::exchange(m_pData->state.pPalette, pPalette);
}

// On a true-colour surface there is nothing to map; the count of entries is reported as
// mapped, as a palette device would after realising a fresh palette.
int CDC::RealizePalette() {
    const CPalette* pPalette = m_pData->state.pPalette;
    return pPalette != nullptr && pPalette->IsValid() ? pPalette->GetEntryCount() : 0;
}

CBitmap* CDC::GetCurrentBitmap() const {
    const auto& pSurface = m_pData->state.pSurface;
    return pSurface ? pSurface->pOwner : nullptr;
}

COLORREF CDC::SetTextColor(COLORREF cr) {
    return std::exchange(m_pData->state.crText, cr);
}
COLORREF CDC::GetTextColor() const {
    return m_pData->state.crText;
}
COLORREF CDC::SetBkColor(COLORREF cr) {
    return std::exchange(m_pData->state.crBk, cr);
}
COLORREF CDC::GetBkColor() const {
    return m_pData->state.crBk;
}

int CDC::SetBkMode(int nMode) {
    if (nMode != TRANSPARENT && nMode != OPAQUE) return 0;
    return std::exchange(m_pData->state.nBkMode, nMode);
}
int CDC::GetBkMode() const {
    return m_pData->state.nBkMode;
}

void CDC::SetPolyFillMode(int nMode) {
    if (nMode == ALTERNATE || nMode == WINDING) m_pData->state.nPolyFillMode = nMode;
}

CPoint CDC::SetViewportOrg(int x, int y) {
    const QPoint old = std::exchange(m_pData->state.ptViewportOrg, QPoint(x, y));
    return {old.x(), old.y()};
}

CPoint CDC::GetViewportOrg() const {
    const QPoint& org = m_pData->state.ptViewportOrg;
    return {org.x(), org.y()};
}

void CDC::SetWorldScale(double dScaleX, double dScaleY, double dOffsetX, double dOffsetY) {
    auto& state = m_pData->state;
    // A zero or non-finite scale would put everything at one point or nowhere.
    if (!std::isfinite(dScaleX) || !std::isfinite(dScaleY) || dScaleX == 0 || dScaleY == 0 ||
        !std::isfinite(dOffsetX) || !std::isfinite(dOffsetY)) {
        return;
    }
    state.dScaleX = dScaleX;
    state.dScaleY = dScaleY;
    state.dOffsetX = dOffsetX;
    state.dOffsetY = dOffsetY;
}

void CDC::ResetWorldScale() {
    SetWorldScale(1.0, 1.0, 0.0, 0.0);
}

// Clipping regions are kept in device coordinates: a later change of origin or scale does not
// move them.
int CDC::ExcludeClipRect(const CRect& rc) {
    auto& state = m_pData->state;
    const QRegion base = state.clip ? *state.clip : QRegion(kEverywhere);
    state.clip = base.subtracted(m_pData->ToDeviceRect(rc.left, rc.top, rc.right, rc.bottom));
    return RegionKind(state.pSurface ? m_pData->VisibleRegion() : *state.clip);
}

int CDC::IntersectClipRect(const CRect& rc) {
    auto& state = m_pData->state;
    const QRect device = m_pData->ToDeviceRect(rc.left, rc.top, rc.right, rc.bottom);
    state.clip = state.clip ? state.clip->intersected(device) : QRegion(device);
    return RegionKind(state.pSurface ? m_pData->VisibleRegion() : *state.clip);
}

int CDC::SaveDC() {
    m_pData->saved.push_back(m_pData->state);
    return static_cast<int>(m_pData->saved.size());
}

// nSavedDC > 0 names a level that SaveDC returned; a negative one counts back from the most
// recent save (-1). The levels above the restored one are dropped.
bool CDC::RestoreDC(int nSavedDC) {
    auto& saved = m_pData->saved;
    const int nLevel = nSavedDC < 0 ? static_cast<int>(saved.size()) + 1 + nSavedDC : nSavedDC;
    if (nLevel <= 0 || nLevel > static_cast<int>(saved.size())) return false;
    auto& state = m_pData->state;
    if (state.pSurface && state.pSurface != saved[nLevel - 1].pSurface)
        state.pSurface->EndPainting();
    state = std::move(saved[nLevel - 1]);
    saved.resize(nLevel - 1);
    return true;
}
