// The desktop's look under its Windows names: system colours from Qt's palette, a few
// metrics, the decoration fonts, and the 3-D edges, frame controls and focus rectangles that
// self-drawn controls use. Edges and focus rectangles are drawn pixel by pixel as Windows
// draws them; frame controls (buttons, scroll and drop arrows) are drawn by the Qt style, so
// that they look like the desktop's own.

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/gbk.h"
#include "platform/gdi_qt.h"

namespace {

QPalette Palette() {
    tessel::platform::EnsureApplication();
    return QGuiApplication::palette();
}

QStyle* Style() {
    tessel::platform::EnsureApplication();
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
               ? QApplication::style()
               : nullptr;
}

COLORREF FromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

// The face name of a Qt family in GBK, cut to what a LOGFONT holds without splitting a
// two-byte character.
void CopyFaceName(const QString& family, char (&szFace)[LF_FACESIZE]) {
    const std::string gbk = tessel::platform::Utf8ToGbk(family.toStdString());
    std::size_t n = 0;
    while (n < gbk.size()) {
        const auto lead = static_cast<unsigned char>(gbk[n]);
        const std::size_t nChar = lead >= 0x81 && lead <= 0xFE && n + 1 < gbk.size() ? 2 : 1;
        if (n + nChar > LF_FACESIZE - 1) break;
        n += nChar;
    }
    std::memset(szFace, 0, LF_FACESIZE);
    std::memcpy(szFace, gbk.data(), n);
}

LOGFONT LogFontOf(const QFont& font) {
    LOGFONT lf;
    int nPixels = font.pixelSize();
    if (nPixels <= 0) {
        // Fonts given in points: their pixel size on the primary screen.
        const QScreen* pScreen = QGuiApplication::primaryScreen();
        const double dDpi = pScreen != nullptr ? pScreen->logicalDotsPerInchY() : 96.0;
        nPixels = static_cast<int>(std::lround(font.pointSizeF() * dDpi / 72.0));
    }
    lf.lfHeight = -std::max(nPixels, 1);
    lf.lfWeight = std::clamp(static_cast<int>(font.weight()), 100, 900);
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    CopyFaceName(font.family(), lf.lfFaceName);
    return lf;
}

// The painter of a context's surface with its state saved; drawing happens in device pixels.
class StylePainter {
  public:
    explicit StylePainter(DCData* pData) : m_p(pData != nullptr ? pData->BeginDraw() : nullptr) {
        if (m_p != nullptr) m_p->save();
    }
    ~StylePainter() {
        if (m_p != nullptr) m_p->restore();
    }
    StylePainter(const StylePainter&) = delete;
    StylePainter& operator=(const StylePainter&) = delete;
    QPainter* operator->() const { return m_p; }
    QPainter* get() const { return m_p; }

  private:
    QPainter* m_p;
};

// One edge of DrawEdge: the colour of its top and left lines and of its bottom and right
// lines (-1: not drawn).
struct EdgeColours {
    int nTopLeft = -1;
    int nBottomRight = -1;
};

EdgeColours OuterColours(unsigned nEdge) {
    if ((nEdge & BDR_RAISEDOUTER) != 0) return {COLOR_3DLIGHT, COLOR_3DDKSHADOW};
    if ((nEdge & BDR_SUNKENOUTER) != 0) return {COLOR_3DSHADOW, COLOR_3DHILIGHT};
    return {};
}

EdgeColours InnerColours(unsigned nEdge) {
    if ((nEdge & BDR_RAISEDINNER) != 0) return {COLOR_3DHILIGHT, COLOR_3DSHADOW};
    if ((nEdge & BDR_SUNKENINNER) != 0) return {COLOR_3DDKSHADOW, COLOR_3DLIGHT};
    return {};
}

// Draws one edge on the sides in nFlags of a device rectangle: the top and left lines
// first, the bottom and right ones over them (so they own the corners they share).
void DrawEdgeLines(QPainter* p, const QRect& rc, const EdgeColours& colours, unsigned nFlags) {
    if (rc.width() <= 0 || rc.height() <= 0) return;
    const QColor tl = tessel::platform::ToQColor(GetSysColor(colours.nTopLeft));
    const QColor br = tessel::platform::ToQColor(GetSysColor(colours.nBottomRight));
    const int l = rc.left(), t = rc.top(), r = rc.left() + rc.width(), b = rc.top() + rc.height();
    if ((nFlags & BF_TOP) != 0) p->fillRect(QRect(l, t, r - l, 1), tl);
    if ((nFlags & BF_LEFT) != 0) p->fillRect(QRect(l, t, 1, b - t), tl);
    if ((nFlags & BF_BOTTOM) != 0) p->fillRect(QRect(l, b - 1, r - l, 1), br);
    if ((nFlags & BF_RIGHT) != 0) p->fillRect(QRect(r - 1, t, 1, b - t), br);
}

// Shrinks a device rectangle by one pixel on the sides in nFlags.
QRect Inset(const QRect& rc, unsigned nFlags) {
    return rc.adjusted((nFlags & BF_LEFT) != 0 ? 1 : 0, (nFlags & BF_TOP) != 0 ? 1 : 0,
                       (nFlags & BF_RIGHT) != 0 ? -1 : 0, (nFlags & BF_BOTTOM) != 0 ? -1 : 0);
}

}  // namespace

// --- Colours, metrics and fonts --------------------------------------------------------------

COLORREF GetSysColor(int nIndex) {
    const QPalette palette = Palette();
    switch (nIndex) {
        case COLOR_WINDOW:
            return FromQColor(palette.color(QPalette::Active, QPalette::Base));
        case COLOR_WINDOWTEXT:
            return FromQColor(palette.color(QPalette::Active, QPalette::Text));
        case COLOR_HIGHLIGHT:
            return FromQColor(palette.color(QPalette::Active, QPalette::Highlight));
        case COLOR_HIGHLIGHTTEXT:
            return FromQColor(palette.color(QPalette::Active, QPalette::HighlightedText));
        case COLOR_BTNFACE:
            return FromQColor(palette.color(QPalette::Active, QPalette::Button));
        case COLOR_BTNSHADOW:
            return FromQColor(palette.color(QPalette::Active, QPalette::Dark));
        case COLOR_GRAYTEXT:
            return FromQColor(palette.color(QPalette::Disabled, QPalette::Text));
        case COLOR_BTNTEXT:
            return FromQColor(palette.color(QPalette::Active, QPalette::ButtonText));
        case COLOR_BTNHIGHLIGHT:
            return FromQColor(palette.color(QPalette::Active, QPalette::Light));
        case COLOR_3DDKSHADOW:
            return FromQColor(palette.color(QPalette::Active, QPalette::Shadow));
        case COLOR_3DLIGHT:
            return FromQColor(palette.color(QPalette::Active, QPalette::Midlight));
        case COLOR_INFOTEXT:
            return FromQColor(palette.color(QPalette::Active, QPalette::ToolTipText));
        case COLOR_INFOBK:
            return FromQColor(palette.color(QPalette::Active, QPalette::ToolTipBase));
        default:
            return RGB(0, 0, 0);
    }
}

int GetSystemMetrics(int nIndex) {
    tessel::platform::EnsureApplication();
    switch (nIndex) {
        case SM_CXSCREEN:
        case SM_CYSCREEN: {
            const QScreen* pScreen = QGuiApplication::primaryScreen();
            if (pScreen == nullptr) return 0;
            const QRect rc = pScreen->geometry();
            return nIndex == SM_CXSCREEN ? rc.width() : rc.height();
        }
        case SM_CXVSCROLL: {
            const QStyle* pStyle = Style();
            return pStyle != nullptr ? pStyle->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
        }
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        default:
            return 0;
    }
}

BOOL SystemParametersInfo(UINT uiAction, UINT /*uiParam*/, void* pvParam, UINT /*fWinIni*/) {
    if (uiAction != SPI_GETNONCLIENTMETRICS || pvParam == nullptr) return FALSE;
    tessel::platform::EnsureApplication();
    auto* pMetrics = static_cast<NONCLIENTMETRICS*>(pvParam);
    const LOGFONT lf = LogFontOf(QGuiApplication::font());
    pMetrics->lfCaptionFont = lf;
    pMetrics->lfMenuFont = lf;
    pMetrics->lfStatusFont = lf;
    pMetrics->lfMessageFont = lf;
    return TRUE;
}

// --- Edges, frame controls and focus rectangles ------------------------------------------------

bool CDC::DrawEdge(CRect* pRect, unsigned nEdge, unsigned nFlags) {
    if (pRect == nullptr) return false;
    const EdgeColours outer = OuterColours(nEdge);
    const EdgeColours inner = InnerColours(nEdge);
    const unsigned nSides = nFlags & BF_RECT;
    {
        StylePainter p(m_pData.get());
        if (p.get() != nullptr) {
            QRect rc = m_pData->ToDeviceRect(pRect->left, pRect->top, pRect->right, pRect->bottom);
            if (outer.nTopLeft >= 0) {
                DrawEdgeLines(p.get(), rc, outer, nSides);
                rc = Inset(rc, nSides);
            }
            if (inner.nTopLeft >= 0) DrawEdgeLines(p.get(), rc, inner, nSides);
        }
    }
    if ((nFlags & BF_ADJUST) != 0) {
        // One pixel per edge drawn, on each side drawn.
        const int n = (outer.nTopLeft >= 0 ? 1 : 0) + (inner.nTopLeft >= 0 ? 1 : 0);
        if ((nSides & BF_LEFT) != 0) pRect->left += n;
        if ((nSides & BF_TOP) != 0) pRect->top += n;
        if ((nSides & BF_RIGHT) != 0) pRect->right -= n;
        if ((nSides & BF_BOTTOM) != 0) pRect->bottom -= n;
    }
    return true;
}

bool CDC::DrawFrameControl(CRect* pRect, unsigned nType, unsigned nState) {
    if (pRect == nullptr || (nType != DFC_SCROLL && nType != DFC_BUTTON)) return false;
    if (nType == DFC_BUTTON && (nState & 0x1F) != DFCS_BUTTONPUSH) return false;
    QStyle* pStyle = Style();
    StylePainter p(m_pData.get());
    if (p.get() == nullptr) return false;
    const QRect rc = m_pData->ToDeviceRect(pRect->left, pRect->top, pRect->right, pRect->bottom);
    if (rc.isEmpty()) return true;

    const bool bPushed = (nState & DFCS_PUSHED) != 0;
    const bool bInactive = (nState & DFCS_INACTIVE) != 0;
    const bool bFlat = (nState & DFCS_FLAT) != 0;
    QStyleOptionButton option;
    option.rect = rc;
    option.palette = Palette();
    option.state = QStyle::State_Raised;
    if (!bInactive) option.state |= QStyle::State_Enabled;
    if (bPushed) option.state = (option.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    if (bFlat) option.features |= QStyleOptionButton::Flat;

    // The face: the style's button panel, or for flat controls the face colour in a thin
    // shadow frame.
    p->fillRect(rc, option.palette.color(QPalette::Button));
    if (bFlat) {
        const QColor shadow = option.palette.color(QPalette::Dark);
        p->fillRect(QRect(rc.left(), rc.top(), rc.width(), 1), shadow);
        p->fillRect(QRect(rc.left(), rc.bottom(), rc.width(), 1), shadow);
        p->fillRect(QRect(rc.left(), rc.top(), 1, rc.height()), shadow);
        p->fillRect(QRect(rc.right(), rc.top(), 1, rc.height()), shadow);
        if (bPushed) p->fillRect(rc.adjusted(1, 1, -1, -1), option.palette.color(QPalette::Mid));
    } else if (pStyle != nullptr) {
        pStyle->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, p.get(), nullptr);
    } else {
        CRect rcEdge = *pRect;
        DrawEdge(&rcEdge, bPushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
    if (nType == DFC_BUTTON) return true;

    QStyle::PrimitiveElement arrow = QStyle::PE_IndicatorArrowDown;
    switch (nState & 0x1F) {
        case DFCS_SCROLLUP:
            arrow = QStyle::PE_IndicatorArrowUp;
            break;
        case DFCS_SCROLLLEFT:
            arrow = QStyle::PE_IndicatorArrowLeft;
            break;
        case DFCS_SCROLLRIGHT:
            arrow = QStyle::PE_IndicatorArrowRight;
            break;
        default:  // DFCS_SCROLLDOWN, DFCS_SCROLLCOMBOBOX
            break;
    }
    QStyleOption arrowOption;
    arrowOption.rect = rc.adjusted(2, 2, -2, -2);
    // A pushed arrow moves down and right by a pixel, as the desktop's do.
    if (bPushed) arrowOption.rect.translate(1, 1);
    arrowOption.palette = option.palette;
    arrowOption.state = bInactive ? QStyle::State_None : QStyle::State_Enabled;
    if (pStyle != nullptr && !arrowOption.rect.isEmpty()) {
        // Fusion and others take the arrow colour from the button text of the state.
        pStyle->drawPrimitive(arrow, &arrowOption, p.get(), nullptr);
    }
    return true;
}

void CDC::DrawFocusRect(const CRect* pRect) {
    if (pRect == nullptr) return;
    const QRect rc = m_pData->ToDeviceRect(pRect->left, pRect->top, pRect->right, pRect->bottom);
    if (rc.width() <= 0 || rc.height() <= 0) return;
    const QRegion visible = m_pData->VisibleRegion();
    QImage* pImage = m_pData->Image();
    if (pImage == nullptr) return;
    // Every other pixel of the frame, inverted; each frame pixel once, so that the same call
    // again brings the pixels back. The pixels are logical: on a surface of more pixels than
    // logical pixels, each one's block of image pixels is inverted.
    const tessel::platform::Surface& surface = *m_pData->state.pSurface;
    const bool bBlocks = surface.Ratio() != 1.0;
    auto invert = [&](int x, int y) {
        if (((x + y) & 1) != 0 || !visible.contains(QPoint(x, y))) return;
        if (!bBlocks) {
            auto* pLine = reinterpret_cast<QRgb*>(pImage->scanLine(y));
            pLine[x] ^= 0x00FFFFFFu;
            return;
        }
        const QRect block = surface.PixelRect(QRect(x, y, 1, 1)) & pImage->rect();
        for (int py = block.top(); py <= block.bottom(); ++py) {
            auto* pLine = reinterpret_cast<QRgb*>(pImage->scanLine(py));
            for (int px = block.left(); px <= block.right(); ++px)
                pLine[px] ^= 0x00FFFFFFu;
        }
    };
    const int l = rc.left(), t = rc.top(), r = rc.left() + rc.width() - 1,
              b = rc.top() + rc.height() - 1;
    for (int x = l; x <= r; ++x) {
        invert(x, t);
        if (b != t) invert(x, b);
    }
    for (int y = t + 1; y < b; ++y) {
        invert(l, y);
        if (r != l) invert(r, y);
    }
}

void CDC::Draw3dRect(const CRect& rc, COLORREF crTopLeft, COLORREF crBottomRight) {
    StylePainter p(m_pData.get());
    if (p.get() == nullptr) return;
    const QRect device = m_pData->ToDeviceRect(rc.left, rc.top, rc.right, rc.bottom);
    const int x = device.left(), y = device.top(), cx = device.width(), cy = device.height();
    if (cx <= 0 || cy <= 0) return;
    // As MFC draws it: the top and left lines stop a pixel short, the bottom and right ones
    // take the corners.
    const QColor tl = tessel::platform::ToQColor(crTopLeft);
    const QColor br = tessel::platform::ToQColor(crBottomRight);
    p->fillRect(QRect(x, y, cx - 1, 1), tl);
    p->fillRect(QRect(x, y, 1, cy - 1), tl);
    p->fillRect(QRect(x + cx - 1, y, 1, cy), br);
    p->fillRect(QRect(x, y + cy - 1, cx, 1), br);
}
