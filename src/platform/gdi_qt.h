#pragma once

// The Qt side of the drawing objects of gdi.h. Only the platform's own .cpp files include this
// header; nothing above the platform layer sees a Qt type.

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPoint>
#include <QRawFont>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/gdi.h"

namespace tessel::platform {

// 0xAARRGGBB pixels of a 32-bit image from and to the red-low COLORREF layout.
constexpr QRgb ToRgb(COLORREF cr) {
    return 0xFF000000u | (static_cast<QRgb>(GetRValue(cr)) << 16) |
           (static_cast<QRgb>(GetGValue(cr)) << 8) | static_cast<QRgb>(GetBValue(cr));
}
constexpr COLORREF ToColorRef(QRgb rgb) {
    return RGB(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
               static_cast<int>(rgb & 0xFF));
}
inline QColor ToQColor(COLORREF cr) {
    return QColor::fromRgb(ToRgb(cr));
}

// GBK bytes as a Qt string.
QString GbkToQString(const char* pText, int nLength);

// The pixels of a surface for a logical coordinate at a pixel ratio: the coordinate times the
// ratio, rounded. Edges of rectangles are mapped so, which keeps neighbouring rectangles
// neighbours.
inline int ToPixel(int n, double dRatio) {
    return dRatio == 1.0 ? n : static_cast<int>(std::floor(n * dRatio + 0.5));
}
// The pixel ratio a surface of a screen or a window of that ratio gets: never below one, so
// that a logical pixel always has at least one pixel of its own.
inline double SurfaceRatio(double dScreenRatio) {
    return dScreenRatio > 1.0 ? dScreenRatio : 1.0;
}
// A new 32-bit image for a logical size at a pixel ratio (null when too large).
QImage MakeSurfaceImage(QSize logical, double dRatio);
// Sets the pixels of a rectangle of a 32-bit image (within the image) to one value.
inline void FillPixels(QImage& image, const QRect& rc, QRgb rgb) {
    const QRect inside = rc & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        auto* pRow = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(pRow + inside.left(), pRow + inside.left() + inside.width(), rgb);
    }
}

// A 32-bit image that contexts draw into: a bitmap's pixels, or a window's backing image.
// Shared by the bitmap object and every context that has it selected or saved, so a context
// never outlives the pixels it points at. Whoever touches the pixels directly calls Pixels()
// first, which ends the painter that the drawing calls begin lazily.
//
// On a high-density screen the surface of a window, and every bitmap made compatible with a
// context of it, has the screen's pixel ratio (image.devicePixelRatio()): its image has that
// many pixels a side for every logical pixel, and its painter draws in logical coordinates.
// Everything the contexts offer stays logical; what reads or writes pixels one by one maps
// logical pixels to blocks of image pixels with PixelRect.
struct Surface {
    QImage image;
    CBitmap* pOwner = nullptr;  // null once the bitmap object lets go of it, or for windows
    std::unique_ptr<QPainter> pPainter;
    std::optional<QRegion> painterClip;  // the painter's clipping region (DCData::BeginDraw)

    ~Surface() { EndPainting(); }
    QPainter* Painter();
    void EndPainting();
    QImage& Pixels() {
        EndPainting();
        return image;
    }
    double Ratio() const { return image.devicePixelRatio(); }
    QSize LogicalSize() const {
        return Ratio() == 1.0 ? image.size() : image.deviceIndependentSize().toSize();
    }
    QRect LogicalRect() const { return QRect(QPoint(0, 0), LogicalSize()); }
    // The image pixels a logical rectangle covers.
    QRect PixelRect(const QRect& rc) const {
        const double r = Ratio();
        if (r == 1.0) return rc;
        const int l = ToPixel(rc.left(), r), t = ToPixel(rc.top(), r);
        return QRect(l, t, ToPixel(rc.left() + rc.width(), r) - l,
                     ToPixel(rc.top() + rc.height(), r) - t);
    }
    QRegion PixelRegion(const QRegion& region) const {
        if (Ratio() == 1.0) return region;
        QRegion pixels;
        for (const QRect& rc : region)
            pixels += PixelRect(rc);
        return pixels;
    }
};

// One glyph of a character as Qt shapes the character on its own: the font it comes from (an
// index into the face's fonts), its index in that font, and its place relative to the pen
// position on the baseline.
struct PlacedGlyph {
    quint32 nIndex = 0;
    int nFont = 0;
    QPointF offset;
};

// How TextOut draws one character: from the glyphs [nFirst, nFirst + nCount) of the face's
// glyph list, or, for control and formatting characters, with QPainter::drawText on its own.
struct CharGlyphs {
    bool bKnown = false;  // looked up
    bool bDrawText = false;
    std::uint32_t nFirst = 0;
    std::uint32_t nCount = 0;
};

// A font as the contexts use it: the Qt font, its measures in whole pixels, and the advances
// of characters. Characters are placed one by one at whole-pixel advances, so the width of a
// string is the sum of the widths of its characters, as the editor (which sums word widths)
// expects and as TextOut draws. The glyphs of each character are looked up once, with the
// font Qt itself would pick for it, so that TextOut draws a whole string in a few glyph runs
// and yet exactly as drawing its characters one at a time would.
struct FontFace {
    bool bChineseFace = false;  // stands in for a Chinese Windows face (see MakeQFont)
    QFont font;
    QFont glyphFont;  // font without underline and strike-out: TextOut draws those lines whole
    QFontMetricsF metrics;
    int nAscent = 0;
    int nDescent = 0;
    int nInternalLeading = 0;
    int nExternalLeading = 0;
    int nEscapement = 0;  // tenths of a degree, counter-clockwise
    int nUnderlineY = 0;  // from the top of the cell
    int nStrikeOutY = 0;
    int nLineWidth = 1;

    explicit FontFace(const LOGFONT& lf);
    int Height() const { return nAscent + nDescent; }
    // The advance of one character (a code point).
    int Advance(char32_t ch) const {
        if (ch < m_asciiAdvances.size() && m_asciiAdvances[ch] >= 0) return m_asciiAdvances[ch];
        return LookUpAdvance(ch);
    }
    int Width(const QString& text) const;
    // The width of GBK text.
    int Width(const char* pGbk, int nLength) const;

    // The glyphs of one character, and the fonts and glyph list they point into.
    const CharGlyphs& Glyphs(char32_t ch) const;
    const PlacedGlyph* GlyphList() const { return m_glyphList.data(); }
    const QRawFont& RawFont(int nFont) const { return m_rawFonts[nFont]; }

    // The pixels that glyph nGlyph of the glyph list touches when drawn with its pen position
    // at (0, 0) on the baseline, with no transformation; not to be relied on when bUsable is
    // false (the glyph is too large to keep, or where it leaves ink could not be told for
    // certain). text.cpp.
    struct Ink {
        bool bKnown = false;
        bool bUsable = false;
        QRect box;
        // Row by row over the box: all ones where the glyph touches the pixel, else zero.
        std::vector<QRgb> touched;
        // The pixels GlyphPixels gave last, and for which colours.
        QImage lastPixels;
        QRgb lastText = 0;
        QRgb lastUnder = 0;
    };
    const Ink& GlyphInk(std::uint32_t nGlyph) const;
    // What the ink box of a usable glyph holds once the glyph is drawn in colour text on
    // pixels all of colour under (32-bit pixels with full alpha). text.cpp.
    const QImage& GlyphPixels(std::uint32_t nGlyph, QRgb text, QRgb under) const;

  private:
    int LookUpAdvance(char32_t ch) const;
    int MeasureAdvance(char32_t ch) const;
    CharGlyphs ShapeCharacter(char32_t ch) const;

    struct PixelsKey {
        std::uint32_t nGlyph;
        QRgb text;
        QRgb under;
        bool operator==(const PixelsKey&) const = default;
    };
    struct PixelsKeyHash {
        size_t operator()(const PixelsKey& key) const {
            return std::hash<std::uint64_t>()((std::uint64_t{key.text} << 32 | key.under) ^
                                              (std::uint64_t{key.nGlyph} * 0x9E3779B97F4A7C15u));
        }
    };
    mutable std::vector<Ink> m_inks;  // by glyph list index
    mutable std::unordered_map<PixelsKey, QImage, PixelsKeyHash> m_glyphPixels;
    mutable qsizetype m_nKeptBytes = 0;

    mutable std::array<int, 128> m_asciiAdvances;  // -1 until measured
    mutable std::unordered_map<char32_t, int> m_otherAdvances;
    mutable std::array<CharGlyphs, 128> m_asciiGlyphs;
    mutable std::unordered_map<char32_t, CharGlyphs> m_otherGlyphs;
    mutable std::vector<PlacedGlyph> m_glyphList;
    mutable std::vector<QRawFont> m_rawFonts;
};

// The face for a LOGFONT. The editor makes a font for every piece of text it measures, so
// recently used faces (and the advances they have measured) are kept, until the application
// object goes away.
std::shared_ptr<const FontFace> FaceFor(const LOGFONT& lf);

// The Qt font for a LOGFONT: face-name substitutions, size, weight and style (fonts.cpp).
// *pbChineseFace, when given, tells whether the font stands in for a Chinese Windows face;
// such a face is one em tall, so FontFace takes its vertical measures from the em rather
// than from the substitute.
QFont MakeQFont(const LOGFONT& lf, bool* pbChineseFace = nullptr);

struct PenValue {
    int nStyle = PS_SOLID;
    int nWidth = 1;
    COLORREF cr = 0;
};
struct BrushValue {
    bool bNull = false;
    COLORREF cr = RGB(255, 255, 255);
};

// Everything SaveDC keeps and RestoreDC brings back.
struct DCState {
    CFont* pFont = nullptr;  // null: the default font
    std::shared_ptr<const FontFace> pFace;
    CPen* pPen = nullptr;  // null: a black pen one pixel wide
    PenValue pen;
    CBrush* pBrush = nullptr;  // null: a white brush
    BrushValue brush;
    CPalette* pPalette = nullptr;
    std::shared_ptr<Surface> pSurface;  // the selected bitmap's, or the window's

    COLORREF crText = RGB(0, 0, 0);
    COLORREF crBk = RGB(255, 255, 255);
    int nBkMode = OPAQUE;
    int nPolyFillMode = ALTERNATE;
    CPoint ptCurrent;  // logical, for MoveTo and LineTo

    QPoint ptViewportOrg;
    double dScaleX = 1.0, dScaleY = 1.0, dOffsetX = 0.0, dOffsetY = 0.0;
    std::optional<QRegion> clip;  // device coordinates; none: the whole surface
};

// Decodes a device-independent bitmap into a top-down 32-bit image. The header is validated
// and nothing outside what it describes is read: the colour table (after biSize bytes) and
// DibStride(width, bits) * |height| bytes of pixels. pPalette resolves DIB_PAL_COLORS
// indices. A null image when the header describes nothing this layer draws.
QImage DecodeDib(const BITMAPINFO* pInfo, const void* pBits, unsigned nUsage,
                 const CPalette* pPalette);

}  // namespace tessel::platform

// The objects gdi.h declares, outside the namespace as there.

struct BitmapData {
    std::shared_ptr<tessel::platform::Surface> pSurface;
};

struct FontData {
    std::shared_ptr<const tessel::platform::FontFace> pFace;
};

struct DCData {
    bool bCreated = false;
    bool bMemory = false;  // memory contexts select bitmaps; window contexts have their surface
    // The pixel ratio of the context a memory context was made compatible with (1 for none).
    double dCompatibleRatio = 1.0;
    tessel::platform::DCState state;
    std::vector<tessel::platform::DCState> saved;

    std::shared_ptr<const tessel::platform::FontFace> pDefaultFace;  // made on first use

    bool bPathOpen = false;   // between BeginPath and EndPath
    bool bPathReady = false;  // ended and not yet filled or stroked
    QPainterPath path;        // device coordinates

    // Logical to device coordinates; whole-pixel results are rounded as GDI rounds them.
    // Device coordinates are the pixels of the window or bitmap, logical ones on a surface of
    // a high-density screen (the surface's painter and PixelRect map them to image pixels).
    QPointF ToDeviceF(double x, double y) const {
        return {x * state.dScaleX + state.dOffsetX + state.ptViewportOrg.x(),
                y * state.dScaleY + state.dOffsetY + state.ptViewportOrg.y()};
    }
    // Device pixels are kept within +-2^29, far outside any surface, so that nothing built
    // from coordinates that come from files can overflow.
    QPoint ToDevice(double x, double y) const;
    // A logical rectangle's corners in device space, normalised.
    QRect ToDeviceRect(int x1, int y1, int x2, int y2) const;

    const tessel::platform::FontFace& Face();
    QImage* Image() { return state.pSurface ? &state.pSurface->Pixels() : nullptr; }
    // The pixel ratio of what the context draws into: its surface's, or for a memory context
    // without a bitmap, that of the context it was made compatible with. Bitmaps made
    // compatible with the context get it.
    double Ratio() const { return state.pSurface ? state.pSurface->Ratio() : dCompatibleRatio; }
    // The surface's painter, reset to device coordinates, no smoothing and the clipping
    // region; null without a surface.
    QPainter* BeginDraw();
    // The clipping region clipped to the surface, in device coordinates.
    QRegion VisibleRegion() const;
    QPen MakePen() const;
};
