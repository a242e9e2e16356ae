// Text: drawing, measuring, and the GBK decoding both share.
//
// Characters are placed one by one at whole-pixel advances (FontFace). TextOut draws the
// glyphs of a string in glyph runs, one for each stretch of characters whose glyphs come from
// the same font, at exactly the places where drawing each character on its own would put
// them; shaping a character is done once per face and character, not once per drawing.

#include "platform/text.h"

#include <QCoreApplication>
#include <QGlyphRun>
#include <QList>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/gbk.h"
#include "platform/gdi.h"
#include "platform/gdi_qt.h"

namespace tessel::platform {
namespace {

constexpr int kLeadCount = 0xFE - 0x81 + 1;
constexpr int kTrailCount = 0xFE - 0x40 + 1;
constexpr char32_t kUnknown = 0;
constexpr char32_t kRejected = 0xFFFFFFFF;

// Every two-byte character decoded so far: kUnknown until it is first met. Relaxed atomics
// are enough: two threads decoding the same pair store the same value.
std::atomic<char32_t> g_pairs[kLeadCount * kTrailCount];

// The code points of well-formed UTF-8.
std::u32string Utf8CodePoints(std::string_view utf8) {
    std::u32string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int nLength = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t ch = nLength == 1 ? b : b & (0x7F >> nLength);
        for (int k = 1; k < nLength && i + k < utf8.size(); ++k)
            ch = (ch << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(ch);
        i += nLength;
    }
    return out;
}

char32_t DecodePair(unsigned char lead, unsigned char trail) {
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    const std::u32string chars = Utf8CodePoints(GbkToUtf8(std::string_view(bytes, 2)));
    return chars.size() == 1 ? chars[0] : kRejected;
}

// Where TextOut puts its cell: (x, y) is the top left of the text cell. Under a world scale
// the glyphs are scaled but never mirrored; an escapement turns the text about that corner.
QTransform TextTransform(const DCData& dc, const FontFace& face, int x, int y) {
    const QPointF origin = dc.ToDeviceF(x, y);
    QTransform transform;
    transform.translate(origin.x(), origin.y());
    transform.scale(std::abs(dc.state.dScaleX), std::abs(dc.state.dScaleY));
    if (face.nEscapement != 0) transform.rotate(-face.nEscapement / 10.0);
    return transform;
}

// Draws the characters with one drawText each.
void DrawCharacters(QPainter* p, const FontFace& face, const std::u32string& text) {
    p->setFont(face.glyphFont);
    int nX = 0;
    for (char32_t ch : text) {
        p->drawText(QPointF(nX, face.nAscent), QString::fromUcs4(&ch, 1));
        nX += face.Advance(ch);
    }
}

// Four pixels at a time.
using Pixels4 = QRgb __attribute__((vector_size(16)));
Pixels4 Load4(const QRgb* p) {
    Pixels4 four;
    std::memcpy(&four, p, sizeof four);
    return four;
}

// Glyphs at most this many pixels wide and high keep their pixels (FontFace::GlyphPixels).
constexpr int kMaxInkSide = 160;
// Fonts from this pixel size up are drawn by Qt as outlines rather than from its glyph cache.
constexpr int kMaxCachedPixelSize = 64;
// Bytes of kept pixels per face, at most: past that they are dropped and kept anew.
constexpr qsizetype kMaxKeptBytes = qsizetype{2} << 20;

// Glyphs drawn on their own, into one image and with one painter kept for all of them
// (dropped with the application object, as fonts are).
class Scratch {
  public:
    explicit Scratch(QImage::Format format) : m_format(format) {}

    // One glyph drawn into a new image covering box (relative to the pen position on the
    // baseline), all of whose pixels are under at first, with the painter set up as
    // DCData::BeginDraw and TextOut set theirs.
    QImage Draw(const FontFace& face, const PlacedGlyph& glyph, const QRect& box, QRgb text,
                QRgb under) {
        if (box.width() > m_image.width() || box.height() > m_image.height()) {
            m_pPainter.reset();
            m_image = QImage(std::max(box.width(), 128), std::max(box.height(), 128), m_format);
            if (m_image.isNull()) return QImage();
            auto pPainter = std::make_unique<QPainter>();
            if (!pPainter->begin(&m_image)) return QImage();
            pPainter->setRenderHint(QPainter::Antialiasing, false);
            pPainter->setRenderHint(QPainter::TextAntialiasing, true);
            m_pPainter = std::move(pPainter);
            m_text.reset();
        }
        const QRect area(QPoint(0, 0), box.size());
        m_pPainter->setCompositionMode(QPainter::CompositionMode_Source);
        m_pPainter->fillRect(area, QColor::fromRgba(under));
        m_pPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (m_text != text) m_pPainter->setPen(QColor::fromRgba(text));
        m_text = text;
        QGlyphRun run;
        run.setRawFont(face.RawFont(glyph.nFont));
        run.setGlyphIndexes({glyph.nIndex});
        run.setPositions({glyph.offset - QPointF(box.topLeft())});
        m_pPainter->drawGlyphRun(QPointF(), run);
        return m_image.copy(area);
    }

  private:
    QImage::Format m_format;
    QImage m_image;
    std::unique_ptr<QPainter> m_pPainter;
    std::optional<QRgb> m_text;
};

// Glyphs as TextOut's surfaces get them (32-bit RGB), and glyphs on transparent pixels, which
// Qt blends without gamma correction: any coverage at all leaves a pixel that is not zero.
Scratch* g_pSurfaceScratch = nullptr;
Scratch* g_pCoverageScratch = nullptr;

void DropScratch() {
    delete g_pSurfaceScratch;
    delete g_pCoverageScratch;
    g_pSurfaceScratch = g_pCoverageScratch = nullptr;
}

QImage DrawGlyphAlone(const FontFace& face, const PlacedGlyph& glyph, const QRect& box, QRgb text,
                      QRgb under, bool bCoverage = false) {
    if (g_pSurfaceScratch == nullptr) {
        if (QCoreApplication::instance() == nullptr) {
            return Scratch(bCoverage ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32)
                .Draw(face, glyph, box, text, under);
        }
        g_pSurfaceScratch = new Scratch(QImage::Format_RGB32);
        g_pCoverageScratch = new Scratch(QImage::Format_ARGB32_Premultiplied);
        qAddPostRoutine(DropScratch);
    }
    return (bCoverage ? g_pCoverageScratch : g_pSurfaceScratch)
        ->Draw(face, glyph, box, text, under);
}

// Glyphs drawn straight into the pixels of a surface, where that gives what Qt's raster
// engine would draw. Blending a glyph's partly covered pixels (gamma-corrected) is most of
// the cost of drawing text, and a pixel's result depends only on its coverage, the text
// colour and the pixel's own colour. So where every pixel a glyph touches has one colour,
// the glyph's pixels, drawn once by Qt on that colour, are copied in; otherwise Qt draws it.
class DirectGlyphs {
  public:
    // Null when the context's drawing allows no copying: a transformation other than a
    // move by whole pixels, a font Qt draws as outlines, or a surface in another format, of
    // another pixel ratio, or shared with a copy of its image.
    static std::optional<DirectGlyphs> For(DCData& dc, const QTransform& transform,
                                           const FontFace& face) {
        if (transform.type() > QTransform::TxTranslate) return std::nullopt;
        const QPointF origin(transform.dx(), transform.dy());
        if (origin.x() != std::floor(origin.x()) || origin.y() != std::floor(origin.y()))
            return std::nullopt;
        if (face.font.pixelSize() >= kMaxCachedPixelSize) return std::nullopt;
        QImage& image = dc.state.pSurface->image;
        if (image.format() != QImage::Format_RGB32 || image.devicePixelRatio() != 1.0 ||
            !image.isDetached()) {
            return std::nullopt;
        }
        return DirectGlyphs(dc, image, origin.toPoint());
    }

    void SetColours(QRgb text, std::optional<QRgb> background) {
        m_text = text;
        m_background = background;
    }

    // Copies glyph nGlyph of the face's glyph list with its pen position at pen (relative to
    // the cell origin) into the surface; false when Qt has to draw it.
    bool Draw(const FontFace& face, std::uint32_t nGlyph, QPoint pen) {
        const FontFace::Ink& ink = face.GlyphInk(nGlyph);
        if (!ink.bUsable) return false;
        const QRect box = ink.box.translated(m_origin + pen);
        if (box.isEmpty()) return true;
        // The parts of the box inside the clipping region and the surface.
        QRect one;
        QRegion parts;
        const QRect* pFirst = &one;
        const QRect* pEnd = &one;
        if (!m_visible) {
            one = box & m_visibleRect;
            if (!one.isEmpty()) ++pEnd;
        } else {
            parts = m_visible->intersected(box);
            pFirst = parts.begin();
            pEnd = parts.end();
        }
        if (pFirst == pEnd) return true;  // nothing of it shows
        const QRgb under = m_background ? *m_background
                                        : reinterpret_cast<const QRgb*>(
                                              m_image.constScanLine(pFirst->top()))[pFirst->left()];
        // Only the pixels the glyph touches need to be of that colour.
        for (const QRect* pRect = pFirst; pRect != pEnd; ++pRect) {
            if (!IsUniform(*pRect, box, ink.touched.data(), under)) return false;
        }
        const QImage& pixels = face.GlyphPixels(nGlyph, m_text, under);
        if (pixels.isNull()) return false;
        for (const QRect* pRect = pFirst; pRect != pEnd; ++pRect) {
            for (int y = pRect->top(); y <= pRect->bottom(); ++y) {
                const int nOffset = (y - box.top()) * box.width() + (pRect->left() - box.left());
                const auto* pIn =
                    reinterpret_cast<const QRgb*>(pixels.constScanLine(y - box.top()));
                CopyTouched(RowStart(y) + pRect->left(), pIn + (pRect->left() - box.left()),
                            ink.touched.data() + nOffset, pRect->width());
            }
        }
        return true;
    }

  private:
    DirectGlyphs(DCData& dc, QImage& image, QPoint origin)
        : m_image(image),
          m_pBits(image.bits()),
          m_nStride(image.bytesPerLine()),
          m_origin(origin),
          m_visibleRect(image.rect()) {
        // The clipping region, unless it leaves a single rectangle.
        if (dc.state.clip) {
            QRegion visible = dc.VisibleRegion();
            if (visible.rectCount() <= 1)
                m_visibleRect = visible.boundingRect();
            else
                m_visible = std::move(visible);
        }
    }

    QRgb* RowStart(int y) const { return reinterpret_cast<QRgb*>(m_pBits + y * m_nStride); }

    // Whether the pixels of rect (within box) that the glyph touches are all of one colour.
    bool IsUniform(const QRect& rect, const QRect& box, const QRgb* pTouched, QRgb colour) const {
        const Pixels4 colours = {colour, colour, colour, colour};
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const QRgb* pRow = RowStart(y) + rect.left();
            const QRgb* pMask =
                pTouched + (y - box.top()) * box.width() + (rect.left() - box.left());
            Pixels4 differ4 = {};
            int x = 0;
            for (; x + 4 <= rect.width(); x += 4)
                differ4 |= (Load4(pRow + x) ^ colours) & Load4(pMask + x);
            QRgb differ = differ4[0] | differ4[1] | differ4[2] | differ4[3];
            for (; x < rect.width(); ++x)
                differ |= (pRow[x] ^ colour) & pMask[x];
            if (differ != 0) return false;
        }
        return true;
    }

    // Copies the pixels the glyph touches.
    static void CopyTouched(QRgb* pOut, const QRgb* pIn, const QRgb* pMask, int nCount) {
        int x = 0;
        for (; x + 4 <= nCount; x += 4) {
            const Pixels4 mask = Load4(pMask + x);
            const Pixels4 result = (Load4(pIn + x) & mask) | (Load4(pOut + x) & ~mask);
            std::memcpy(pOut + x, &result, sizeof result);
        }
        for (; x < nCount; ++x)
            pOut[x] = (pIn[x] & pMask[x]) | (pOut[x] & ~pMask[x]);
    }

    QImage& m_image;
    uchar* m_pBits;
    qsizetype m_nStride;
    QPoint m_origin;
    QRect m_visibleRect;               // what shows, unless m_visible is set
    std::optional<QRegion> m_visible;  // what shows, of more than one rectangle
    QRgb m_text = 0;
    std::optional<QRgb> m_background;
};

// Draws the characters' glyphs, in the order of the characters: copied in by pDirect where
// it can, otherwise in glyph runs, and characters that have no glyphs of their own with
// drawText.
void DrawGlyphRuns(QPainter* p, const FontFace& face, const char* pText, int nLength,
                   DirectGlyphs* pDirect) {
    QList<quint32> indexes;
    QList<QPointF> positions;
    int nRunFont = -1;
    auto flush = [&] {
        if (indexes.isEmpty()) return;
        QGlyphRun run;
        run.setRawFont(face.RawFont(nRunFont));
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        p->drawGlyphRun(QPointF(), run);
        indexes.clear();
        positions.clear();
    };
    bool bFontSet = false;
    int nX = 0;
    ForEachGbkCharacter(pText, nLength, [&](char32_t ch) {
        const CharGlyphs& glyphs = face.Glyphs(ch);
        if (glyphs.bDrawText) {
            flush();
            if (!bFontSet) p->setFont(face.glyphFont);
            bFontSet = true;
            p->drawText(QPointF(nX, face.nAscent), QString::fromUcs4(&ch, 1));
        } else {
            const QPoint pen(nX, face.nAscent);
            for (std::uint32_t i = glyphs.nFirst; i < glyphs.nFirst + glyphs.nCount; ++i) {
                if (pDirect != nullptr) {
                    flush();  // the copy looks at what is drawn before it
                    if (pDirect->Draw(face, i, pen)) continue;
                }
                const PlacedGlyph& glyph = face.GlyphList()[i];
                if (glyph.nFont != nRunFont) {
                    flush();
                    nRunFont = glyph.nFont;
                }
                indexes.append(glyph.nIndex);
                positions.append(QPointF(pen) + glyph.offset);
            }
        }
        nX += face.Advance(ch);
    });
    flush();
}

bool DrawText(DCData& dc, int x, int y, const char* szText, int nLength, bool bGlyphRuns) {
    if (nLength < 0 || (szText == nullptr && nLength > 0)) return false;
    const FontFace& face = dc.Face();
    const QTransform transform = TextTransform(dc, face, x, y);

    if (dc.bPathOpen) {
        QPainterPath glyphs;
        int nX = 0;
        ForEachGbkCharacter(szText, nLength, [&](char32_t ch) {
            glyphs.addText(QPointF(nX, face.nAscent), face.glyphFont, QString::fromUcs4(&ch, 1));
            nX += face.Advance(ch);
        });
        dc.path.addPath(transform.map(glyphs));
        return true;
    }

    QPainter* p = dc.BeginDraw();
    if (p == nullptr) return false;
    p->setTransform(transform);
    const int nWidth = face.Width(szText, nLength);
    if (dc.state.nBkMode == OPAQUE)
        p->fillRect(QRect(0, 0, nWidth, face.Height()), ToQColor(dc.state.crBk));
    const QColor textColour = ToQColor(dc.state.crText);
    p->setPen(textColour);
    if (bGlyphRuns) {
        std::optional<DirectGlyphs> direct = DirectGlyphs::For(dc, transform, face);
        if (direct) {
            direct->SetColours(ToRgb(dc.state.crText), dc.state.nBkMode == OPAQUE
                                                           ? std::optional(ToRgb(dc.state.crBk))
                                                           : std::nullopt);
        }
        DrawGlyphRuns(p, face, szText, nLength, direct ? &*direct : nullptr);
    } else {
        // As TextOut drew before it drew glyph runs: one drawText per character.
        DrawCharacters(p, face, DecodeGbk(szText, nLength));
    }
    if (face.font.underline())
        p->fillRect(QRect(0, face.nUnderlineY, nWidth, face.nLineWidth), textColour);
    if (face.font.strikeOut())
        p->fillRect(QRect(0, face.nStrikeOutY, nWidth, face.nLineWidth), textColour);
    return true;
}

}  // namespace

namespace {

// Whether every pixel of an image of a glyph drawn on pixels of colour under that the glyph
// does not touch (touched, row by row) is still of that colour.
bool OnlyTouchedChange(const QImage& pixels, const std::vector<QRgb>& touched, QRgb under) {
    const QRgb* pTouched = touched.data();
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* pRow = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x, ++pTouched) {
            if (*pTouched == 0 && pRow[x] != under) return false;
        }
    }
    return true;
}

}  // namespace

const FontFace::Ink& FontFace::GlyphInk(std::uint32_t nGlyph) const {
    if (m_inks.size() <= nGlyph) m_inks.resize(m_glyphList.size());
    Ink& ink = m_inks[nGlyph];
    if (ink.bKnown) return ink;
    ink.bKnown = true;
    // The glyph drawn in white on transparent pixels changes every pixel it covers at all.
    // The margin around its outline's bounds takes in smoothing; a glyph that reaches the
    // edge of it anyway is left to Qt.
    const PlacedGlyph& glyph = m_glyphList[nGlyph];
    const QRectF bounds = RawFont(glyph.nFont).boundingRect(glyph.nIndex).translated(glyph.offset);
    const int nMargin = std::max(4, font.pixelSize() / 4);
    const QRect probeBox = bounds.toAlignedRect().adjusted(-nMargin, -nMargin, nMargin, nMargin);
    if (probeBox.width() > kMaxInkSide || probeBox.height() > kMaxInkSide) return ink;
    const QImage probe = DrawGlyphAlone(*this, glyph, probeBox, 0xFFFFFFFFu, 0, true);
    if (probe.isNull()) return ink;
    const int nWidth = probe.width(), nHeight = probe.height();
    int nLeft = nWidth, nTop = nHeight, nRight = -1, nBottom = -1;
    for (int y = 0; y < nHeight; ++y) {
        const auto* pRow = reinterpret_cast<const QRgb*>(probe.constScanLine(y));
        for (int x = 0; x < nWidth; ++x) {
            if (pRow[x] == 0) continue;
            nLeft = std::min(nLeft, x);
            nRight = std::max(nRight, x);
            nTop = std::min(nTop, y);
            nBottom = std::max(nBottom, y);
        }
    }
    if (nRight >= 0) {
        if (nLeft == 0 || nTop == 0 || nRight == nWidth - 1 || nBottom == nHeight - 1) return ink;
        ink.box =
            QRect(QPoint(nLeft, nTop), QPoint(nRight, nBottom)).translated(probeBox.topLeft());
        ink.touched.reserve(static_cast<size_t>(ink.box.width()) * ink.box.height());
        for (int y = nTop; y <= nBottom; ++y) {
            const auto* pRow = reinterpret_cast<const QRgb*>(probe.constScanLine(y));
            for (int x = nLeft; x <= nRight; ++x)
                ink.touched.push_back(pRow[x] == 0 ? 0 : ~QRgb{0});
        }
    }
    ink.bUsable = true;
    return ink;
}

const QImage& FontFace::GlyphPixels(std::uint32_t nGlyph, QRgb text, QRgb under) const {
    GlyphInk(nGlyph);
    Ink& ink = m_inks[nGlyph];
    if (!ink.lastPixels.isNull() && ink.lastText == text && ink.lastUnder == under)
        return ink.lastPixels;
    const PixelsKey key{nGlyph, text, under};
    auto it = m_glyphPixels.find(key);
    if (it == m_glyphPixels.end()) {
        QImage pixels = DrawGlyphAlone(*this, m_glyphList[nGlyph], ink.box, text, under);
        // Nothing the glyph leaves may lie outside the pixels it was found to touch: should
        // it, the glyph is left to Qt from now on.
        if (!pixels.isNull() && !OnlyTouchedChange(pixels, ink.touched, under)) {
            ink.bUsable = false;
            pixels = QImage();
        }
        if (m_nKeptBytes + pixels.sizeInBytes() > kMaxKeptBytes) {
            m_glyphPixels.clear();
            for (Ink& other : m_inks)
                other.lastPixels = QImage();
            m_nKeptBytes = 0;
        }
        m_nKeptBytes += pixels.sizeInBytes();
        it = m_glyphPixels.emplace(key, std::move(pixels)).first;
    }
    ink.lastPixels = it->second;
    ink.lastText = text;
    ink.lastUnder = under;
    return ink.lastPixels;
}

char32_t GbkPair(unsigned char lead, unsigned char trail) {
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F) return 0;
    std::atomic<char32_t>& slot = g_pairs[(lead - 0x81) * kTrailCount + (trail - 0x40)];
    char32_t ch = slot.load(std::memory_order_relaxed);
    if (ch == kUnknown) {
        ch = DecodePair(lead, trail);
        slot.store(ch, std::memory_order_relaxed);
    }
    return ch == kRejected ? 0 : ch;
}

std::u32string DecodeGbk(const char* pText, int nLength) {
    std::u32string text;
    if (pText == nullptr || nLength <= 0) return text;
    text.reserve(nLength);
    ForEachGbkCharacter(pText, nLength, [&](char32_t ch) { text.push_back(ch); });
    return text;
}

bool TextOutPerCharacter(CDC& dc, int x, int y, const char* szText, int nLength) {
    return DrawText(*dc.Data(), x, y, szText, nLength, false);
}

}  // namespace tessel::platform

using tessel::platform::FontFace;

bool CDC::TextOut(int x, int y, const char* szText, int nLength) {
    return tessel::platform::DrawText(*m_pData, x, y, szText, nLength, true);
}

CSize CDC::GetTextExtent(const char* szText, int nLength) const {
    const FontFace& face = m_pData->Face();
    if (nLength < 0 || (szText == nullptr && nLength > 0)) return {0, face.Height()};
    return {face.Width(szText, nLength), face.Height()};
}

// Codes are taken as Unicode code points, so single bytes from 0x80 up are Latin-1
// characters: in GBK text they are lead bytes and have no width of their own.
bool CDC::GetCharWidth(unsigned nFirst, unsigned nLast, int* pWidths) const {
    if (pWidths == nullptr || nFirst > nLast || nLast > 0xFFFF) return false;
    const FontFace& face = m_pData->Face();
    for (unsigned code = nFirst; code <= nLast; ++code)
        pWidths[code - nFirst] = face.Advance(code);
    return true;
}

bool CDC::GetTextMetrics(TEXTMETRIC* pMetrics) const {
    if (pMetrics == nullptr) return false;
    const FontFace& face = m_pData->Face();
    const int nPixelSize = face.font.pixelSize();
    pMetrics->tmHeight = face.Height();
    pMetrics->tmAscent = face.nAscent;
    pMetrics->tmDescent = face.nDescent;
    pMetrics->tmInternalLeading = face.nInternalLeading;
    pMetrics->tmExternalLeading = face.nExternalLeading;
    // A Chinese face's Latin letters are half an em wide, its characters a whole em.
    pMetrics->tmAveCharWidth = face.bChineseFace
                                   ? nPixelSize / 2
                                   : static_cast<int>(std::lround(face.metrics.averageCharWidth()));
    pMetrics->tmMaxCharWidth =
        face.bChineseFace ? nPixelSize : static_cast<int>(std::lround(face.metrics.maxWidth()));
    return true;
}
