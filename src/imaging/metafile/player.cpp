#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "imaging/metafile/metafile.h"
#include "imaging/metafile/records.h"
#include "imaging/metafile/wide_text.h"
#include "platform/gdi.h"

namespace tessel::metafile {

namespace {

// Device coordinates are kept inside this range, whatever the records hold.
constexpr double kCoordLimit = 1 << 22;
// Pens and fonts are drawn no larger than this many pixels.
constexpr double kLargestPen = 4096;
constexpr double kLargestFont = 4096;
// Saved states beyond this depth are not kept.
constexpr std::size_t kMaxSavedStates = 1024;
// A Bézier curve drawn piece by piece (from the current position) gets a straight piece
// per this many pixels of its control polygon, within the bounds below.
constexpr double kCurvePieceLength = 3;
constexpr int kMaxCurvePieces = 256;

constexpr COLORREF kColorMask = 0x00FFFFFF;  // drops the palette flags of a colour
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Mapping {
    std::int32_t nMode = kMmText;
    PointL ptWindowOrg;
    SizeL szWindowExt{1, 1};
    PointL ptViewportOrg;
    SizeL szViewportExt{1, 1};
};

struct PointD {
    double x = 0;
    double y = 0;
};

// The drawing state a metafile changes and SaveDC keeps.
struct State {
    Mapping map;
    PenRecord pen{0, PS_SOLID, 0, 0};
    BrushRecord brush{0, kBrushSolid, kWhite, 0};
    std::optional<FontRecord> font;  // none: the context's own font
    COLORREF crText = 0;
    COLORREF crBk = kWhite;
    int nBkMode = OPAQUE;
    int nPolyFillMode = ALTERNATE;
    std::uint32_t nTextAlign = 0;
    PointD ptCurrent;  // device
};

using Object = std::variant<std::monostate, PenRecord, BrushRecord, FontRecord>;

// Stock objects as descriptions; fonts keep the context's own size.
std::optional<Object> StockDescription(std::uint32_t nStock) {
    auto brush = [](COLORREF cr) { return BrushRecord{0, kBrushSolid, cr, 0}; };
    switch (nStock) {
        case kWhiteBrush:
            return brush(kWhite);
        case kLtGrayBrush:
            return brush(RGB(192, 192, 192));
        case kGrayBrush:
            return brush(RGB(128, 128, 128));
        case kDkGrayBrush:
            return brush(RGB(64, 64, 64));
        case kBlackBrush:
            return brush(RGB(0, 0, 0));
        case kNullBrush:
            return BrushRecord{0, kBrushNull, 0, 0};
        case kWhitePen:
            return PenRecord{0, PS_SOLID, 0, kWhite};
        case kBlackPen:
            return PenRecord{0, PS_SOLID, 0, 0};
        case kNullPen:
            return PenRecord{0, PS_NULL, 0, 0};
        case kOemFixedFont:
        case kAnsiFixedFont:
        case kAnsiVarFont:
        case kSystemFont:
        case kDeviceDefaultFont:
        case kSystemFixedFont:
        case kDefaultGuiFont:
            return FontRecord{};
        default:
            return std::nullopt;
    }
}

bool SameFont(const FontRecord& a, const FontRecord& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.strFaceWide == b.strFaceWide && a.strFaceAnsi == b.strFaceAnsi;
}

// A face name cut to what LOGFONT holds, never inside a two-byte character.
void CopyFaceName(const std::string& strFace, char (&szOut)[LF_FACESIZE]) {
    std::size_t n = 0;
    while (n < strFace.size() && strFace[n] != '\0') {
        const std::size_t nChar = static_cast<unsigned char>(strFace[n]) >= 0x80 ? 2 : 1;
        if (n + nChar > LF_FACESIZE - 1 || n + nChar > strFace.size()) break;
        n += nChar;
    }
    std::memcpy(szOut, strFace.data(), n);
    szOut[n] = '\0';
}

// A bitmap header with room for the largest colour table, laid out as BITMAPINFO.
struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};
static_assert(offsetof(DibInfo, colors) == offsetof(BITMAPINFO, bmiColors));

class Player {
  public:
    Player(const Picture& picture, CDC* pDC, const CRect& rc)
        : m_picture(picture), m_pDC(pDC), m_rc(rc) {
        const Playback& pb = picture.playback;
        m_state.map = {pb.nMapMode, pb.ptWindowOrg, pb.szWindowExt, pb.ptViewportOrg,
                       pb.szViewportExt};
        m_dFrameScaleX = rc.Width() / (pb.dFrameRight - pb.dFrameLeft);
        m_dFrameScaleY = rc.Height() / (pb.dFrameBottom - pb.dFrameTop);
        UpdateTransform();
        m_pDC->SetPolyFillMode(m_state.nPolyFillMode);
    }

    void Run() {
        for (const Record& record : m_picture.records) {
            if (std::holds_alternative<EofRecord>(record)) break;
            std::visit([this](const auto& r) { Apply(r); }, record);
        }
    }

  private:
    // --- Coordinates -------------------------------------------------------------------

    void UpdateTransform() {
        const Mapping& m = m_state.map;
        const Playback& pb = m_picture.playback;
        double dScaleX = 1;
        double dScaleY = 1;
        auto metric = [&](double dMm) {
            dScaleX = pb.dPixelsPerMmX * dMm;
            dScaleY = -pb.dPixelsPerMmY * dMm;
        };
        switch (m.nMode) {
            case kMmLoMetric:
                metric(0.1);
                break;
            case kMmHiMetric:
                metric(0.01);
                break;
            case kMmLoEnglish:
                metric(0.254);
                break;
            case kMmHiEnglish:
                metric(0.0254);
                break;
            case kMmTwips:
                metric(25.4 / 1440);
                break;
            case kMmIsotropic:
            case kMmAnisotropic:
                dScaleX = static_cast<double>(m.szViewportExt.cx) / m.szWindowExt.cx;
                dScaleY = static_cast<double>(m.szViewportExt.cy) / m.szWindowExt.cy;
                if (m.nMode == kMmIsotropic) {
                    const double d = std::min(std::abs(dScaleX), std::abs(dScaleY));
                    dScaleX = std::copysign(d, dScaleX);
                    dScaleY = std::copysign(d, dScaleY);
                }
                break;
            default:
                break;
        }
        m_dScaleX = dScaleX * m_dFrameScaleX;
        m_dScaleY = dScaleY * m_dFrameScaleY;
        m_dOffsetX = m_rc.left + (m.ptViewportOrg.x - m.ptWindowOrg.x * dScaleX -
                                  m_picture.playback.dFrameLeft) *
                                     m_dFrameScaleX;
        m_dOffsetY = m_rc.top + (m.ptViewportOrg.y - m.ptWindowOrg.y * dScaleY -
                                 m_picture.playback.dFrameTop) *
                                    m_dFrameScaleY;
    }

    PointD MapF(PointL pt) const {
        return {pt.x * m_dScaleX + m_dOffsetX, pt.y * m_dScaleY + m_dOffsetY};
    }
    static int Round(double d) {
        return static_cast<int>(std::lround(std::clamp(d, -kCoordLimit, kCoordLimit)));
    }
    static CPoint Round(PointD pt) { return {Round(pt.x), Round(pt.y)}; }
    CPoint Map(PointL pt) const { return Round(MapF(pt)); }
    CRect MapRect(const RectL& rc) const {
        const CPoint a = Map({rc.left, rc.top});
        const CPoint b = Map({rc.right, rc.bottom});
        CRect out(a.x, a.y, b.x, b.y);
        out.NormalizeRect();
        return out;
    }
    const std::vector<CPoint>& MapPoints(const std::vector<PointL>& points) {
        m_points.clear();
        for (const PointL& pt : points)
            m_points.push_back(Map(pt));
        return m_points;
    }

    // --- Drawing objects ---------------------------------------------------------------

    void UsePen() {
        const PenRecord& p = m_state.pen;
        int nStyle = static_cast<int>(p.nStyle & kPenStyleMask);
        if (nStyle > PS_INSIDEFRAME) nStyle = PS_SOLID;  // user-defined and alternate styles
        const double dWidth = std::abs(p.nWidth * m_dScaleX);
        const int nWidth = static_cast<int>(std::lround(std::clamp(dWidth, 1.0, kLargestPen)));
        m_pen.CreatePen(nStyle, nWidth, p.crColor & kColorMask);
        m_pDC->SelectObject(&m_pen);
    }

    // Hatched and pattern brushes are drawn in their colour.
    void UseBrush() {
        const BrushRecord& b = m_state.brush;
        if (b.nStyle == kBrushNull)
            m_brush.CreateNullBrush();
        else
            m_brush.CreateSolidBrush(b.crColor & kColorMask);
        m_pDC->SelectObject(&m_brush);
    }

    static int ScaleFontSize(std::int32_t n, double dScale) {
        if (n == 0) return 0;
        double d = std::clamp(std::abs(n * dScale), 1.0, kLargestFont);
        const int nSize = static_cast<int>(std::lround(d));
        return n < 0 ? -nSize : nSize;
    }

    // Without a font of the metafile's, the stock font: the context's default, not whatever
    // the caller had selected.
    void UseFont() {
        if (!m_state.font) {
            m_pDC->SelectObject(static_cast<CFont*>(nullptr));
            return;
        }
        const FontRecord& f = *m_state.font;
        const int nHeight = ScaleFontSize(f.lfHeight, m_dScaleY);
        const int nWidth = ScaleFontSize(f.lfWidth, m_dScaleX);
        if (!m_bFontMade || !SameFont(f, m_madeFont) || nHeight != m_nMadeHeight ||
            nWidth != m_nMadeWidth) {
            LOGFONT lf;
            lf.lfHeight = nHeight;
            lf.lfWidth = nWidth;
            lf.lfEscapement = f.lfEscapement;
            lf.lfOrientation = f.lfOrientation;
            lf.lfWeight = std::clamp(f.lfWeight, 0, 1000);
            if (lf.lfWeight == 0) lf.lfWeight = FW_NORMAL;
            lf.lfItalic = f.lfItalic;
            lf.lfUnderline = f.lfUnderline;
            lf.lfStrikeOut = f.lfStrikeOut;
            lf.lfCharSet = f.lfCharSet;
            CopyFaceName(f.strFaceWide.empty() ? f.strFaceAnsi : Utf16ToGbk(f.strFaceWide),
                         lf.lfFaceName);
            m_font.CreateFontIndirect(&lf);
            m_madeFont = f;
            m_nMadeHeight = nHeight;
            m_nMadeWidth = nWidth;
            m_bFontMade = true;
        }
        m_pDC->SelectObject(&m_font);
    }

    void Select(std::uint32_t nIndex) {
        std::optional<Object> object;
        if (nIndex & kStockObjectBit) {
            object = StockDescription(nIndex & ~kStockObjectBit);
        } else if (auto it = m_objects.find(nIndex); it != m_objects.end()) {
            object = it->second;
        }
        if (!object) return;
        if (const auto* pPen = std::get_if<PenRecord>(&*object)) m_state.pen = *pPen;
        if (const auto* pBrush = std::get_if<BrushRecord>(&*object)) m_state.brush = *pBrush;
        if (const auto* pFont = std::get_if<FontRecord>(&*object)) {
            if (pFont->lfHeight == 0 && pFont->strFaceWide.empty() && pFont->strFaceAnsi.empty())
                m_state.font.reset();
            else
                m_state.font = *pFont;
        }
    }

    // --- Records -----------------------------------------------------------------------

    void Apply(const PolyRecord& r) {
        switch (r.nKind) {
            case PolyKind::kPolygon:
                if (r.points.size() < 2) return;
                UsePen();
                UseBrush();
                m_pDC->Polygon(MapPoints(r.points).data(), static_cast<int>(r.points.size()));
                return;
            case PolyKind::kPolyline:
                if (r.points.size() < 2) return;
                UsePen();
                m_pDC->Polyline(MapPoints(r.points).data(), static_cast<int>(r.points.size()));
                return;
            case PolyKind::kPolyBezier: {
                const std::size_t n = (r.points.size() - 1) / 3 * 3 + 1;
                if (n < 4) return;
                UsePen();
                m_pDC->PolyBezier(MapPoints(r.points).data(), static_cast<int>(n));
                return;
            }
            case PolyKind::kPolyBezierTo:
                UsePen();
                for (std::size_t i = 0; i + 3 <= r.points.size(); i += 3)
                    CurveTo(MapF(r.points[i]), MapF(r.points[i + 1]), MapF(r.points[i + 2]));
                return;
            case PolyKind::kPolylineTo:
                UsePen();
                for (const PointL& pt : r.points)
                    LineTo(MapF(pt));
                return;
            case PolyKind::kPolyPolygon: {
                UsePen();
                UseBrush();
                std::vector<int> counts(r.counts.begin(), r.counts.end());
                m_pDC->PolyPolygon(MapPoints(r.points).data(), counts.data(),
                                   static_cast<int>(counts.size()));
                return;
            }
            case PolyKind::kPolyPolyline: {
                UsePen();
                const std::vector<CPoint>& points = MapPoints(r.points);
                std::size_t nAt = 0;
                for (std::uint32_t nCount : r.counts) {
                    if (nCount >= 2) m_pDC->Polyline(points.data() + nAt, static_cast<int>(nCount));
                    nAt += nCount;
                }
                return;
            }
        }
    }

    void LineTo(PointD pt) {
        const CPoint dev = Round(pt);
        m_pDC->LineTo(dev.x, dev.y);
        m_state.ptCurrent = pt;
    }

    // A cubic Bézier from the current position, drawn as straight pieces so that it stays
    // part of the figure being drawn (inside a path, too).
    void CurveTo(PointD c1, PointD c2, PointD end) {
        const PointD start = m_state.ptCurrent;
        const double dLength = std::hypot(c1.x - start.x, c1.y - start.y) +
                               std::hypot(c2.x - c1.x, c2.y - c1.y) +
                               std::hypot(end.x - c2.x, end.y - c2.y);
        const int nPieces = static_cast<int>(
            std::clamp(std::ceil(dLength / kCurvePieceLength), 1.0, double{kMaxCurvePieces}));
        for (int i = 1; i <= nPieces; ++i) {
            const double t = static_cast<double>(i) / nPieces;
            const double u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            LineTo({a * start.x + b * c1.x + c * c2.x + d * end.x,
                    a * start.y + b * c1.y + c * c2.y + d * end.y});
        }
        m_state.ptCurrent = end;
    }

    void Apply(const ShapeRecord& r) {
        const CRect rc = MapRect(r.rcBox);
        UsePen();
        if (r.nKind != ShapeKind::kArc) UseBrush();
        switch (r.nKind) {
            case ShapeKind::kRectangle:
                m_pDC->Rectangle(rc);
                return;
            case ShapeKind::kEllipse:
                m_pDC->Ellipse(rc.left, rc.top, rc.right, rc.bottom);
                return;
            case ShapeKind::kRoundRect:
                m_pDC->RoundRect(rc.left, rc.top, rc.right, rc.bottom,
                                 Round(std::abs(r.szCorner.cx * m_dScaleX)),
                                 Round(std::abs(r.szCorner.cy * m_dScaleY)));
                return;
            case ShapeKind::kArc:
                m_pDC->Arc(rc, Map(r.ptStart), Map(r.ptEnd));
                return;
            case ShapeKind::kChord:
                m_pDC->Chord(rc, Map(r.ptStart), Map(r.ptEnd));
                return;
            case ShapeKind::kPie:
                m_pDC->Pie(rc, Map(r.ptStart), Map(r.ptEnd));
                return;
        }
    }

    void Apply(const MoveToRecord& r) {
        m_state.ptCurrent = MapF(r.pt);
        const CPoint dev = Round(m_state.ptCurrent);
        m_pDC->MoveTo(dev.x, dev.y);
    }

    void Apply(const LineToRecord& r) {
        UsePen();
        LineTo(MapF(r.pt));
    }

    void Apply(const PathRecord& r) {
        switch (r.nOp) {
            case PathOp::kBegin:
                m_pDC->BeginPath();
                return;
            case PathOp::kEnd:
                m_pDC->EndPath();
                return;
            case PathOp::kCloseFigure:
                m_pDC->CloseFigure();
                return;
            case PathOp::kFill:
                UseBrush();
                m_pDC->FillPath();
                return;
            case PathOp::kStroke:
                UsePen();
                m_pDC->StrokePath();
                return;
            case PathOp::kStrokeAndFill:
                UsePen();
                UseBrush();
                m_pDC->StrokeAndFillPath();
                return;
        }
    }

    void Apply(const PenRecord& r) { m_objects[r.nIndex] = r; }
    void Apply(const BrushRecord& r) { m_objects[r.nIndex] = r; }
    void Apply(const FontRecord& r) { m_objects[r.nIndex] = r; }
    void Apply(const OtherObjectRecord& r) { m_objects[r.nIndex] = std::monostate{}; }
    void Apply(const SelectRecord& r) { Select(r.nIndex); }
    void Apply(const DeleteRecord& r) { m_objects.erase(r.nIndex); }

    void Apply(const TextRecord& r) {
        const std::string strText = r.bWide ? Utf16ToGbk(r.strWide) : r.strAnsi;
        const CRect rcText = MapRect(r.rcClip);
        if (r.nOptions & kTextOpaque) m_pDC->FillSolidRect(rcText, m_state.crBk);
        if (strText.empty()) return;

        UseFont();
        m_pDC->SetTextColor(m_state.crText);
        m_pDC->SetBkColor(m_state.crBk);
        m_pDC->SetBkMode(m_state.nBkMode);
        CPoint pt = Map(r.ptRef);
        const std::uint32_t nAlign = m_state.nTextAlign;
        if ((nAlign & kAlignCenter) == kAlignCenter)
            pt.x -= m_pDC->GetTextExtent(strText).cx / 2;
        else if (nAlign & kAlignRight)
            pt.x -= m_pDC->GetTextExtent(strText).cx;
        if (nAlign & kAlignBottom) {
            TEXTMETRIC tm;
            m_pDC->GetTextMetrics(&tm);
            pt.y -= (nAlign & kAlignBaseline) == kAlignBaseline ? tm.tmAscent : tm.tmHeight;
        }

        const bool bClip = (r.nOptions & kTextClipped) != 0;
        const int nSaved = bClip ? m_pDC->SaveDC() : 0;
        if (bClip) m_pDC->IntersectClipRect(rcText);
        m_pDC->TextOut(pt.x, pt.y, strText);
        if (bClip) m_pDC->RestoreDC(nSaved);
    }

    void Apply(const MappingRecord& r) {
        Mapping& m = m_state.map;
        const bool bScalable = m.nMode == kMmIsotropic || m.nMode == kMmAnisotropic;
        switch (r.nOp) {
            case MappingOp::kWindowOrg:
                m.ptWindowOrg = r.pt;
                break;
            case MappingOp::kViewportOrg:
                m.ptViewportOrg = r.pt;
                break;
            case MappingOp::kWindowExt:
                if (!bScalable || r.pt.x == 0 || r.pt.y == 0) return;
                m.szWindowExt = {r.pt.x, r.pt.y};
                break;
            case MappingOp::kViewportExt:
                if (!bScalable || r.pt.x == 0 || r.pt.y == 0) return;
                m.szViewportExt = {r.pt.x, r.pt.y};
                break;
        }
        UpdateTransform();
    }

    void Apply(const StateRecord& r) {
        switch (r.nOp) {
            case StateOp::kMapMode:
                if (r.nValue < kMmText || r.nValue > kMmAnisotropic) return;
                m_state.map.nMode = static_cast<std::int32_t>(r.nValue);
                UpdateTransform();
                return;
            case StateOp::kTextColor:
                m_state.crText = r.nValue & kColorMask;
                return;
            case StateOp::kBkColor:
                m_state.crBk = r.nValue & kColorMask;
                return;
            case StateOp::kBkMode:
                if (r.nValue == TRANSPARENT || r.nValue == OPAQUE)
                    m_state.nBkMode = static_cast<int>(r.nValue);
                return;
            case StateOp::kPolyFillMode:
                if (r.nValue == ALTERNATE || r.nValue == WINDING) {
                    m_state.nPolyFillMode = static_cast<int>(r.nValue);
                    m_pDC->SetPolyFillMode(m_state.nPolyFillMode);
                }
                return;
            case StateOp::kTextAlign:
                m_state.nTextAlign = r.nValue;
                return;
        }
    }

    void Apply(const SaveDCRecord&) {
        if (m_saved.size() >= kMaxSavedStates) return;
        m_saved.push_back({m_state, m_pDC->SaveDC()});
    }

    void Apply(const RestoreDCRecord& r) {
        const std::int64_t nDepth = static_cast<std::int64_t>(m_saved.size());
        const std::int64_t nTarget = r.nSaved < 0 ? nDepth + r.nSaved : std::int64_t{r.nSaved} - 1;
        if (nTarget < 0 || nTarget >= nDepth) return;
        Saved& saved = m_saved[static_cast<std::size_t>(nTarget)];
        m_pDC->RestoreDC(saved.nContext);
        m_state = saved.state;
        m_saved.resize(static_cast<std::size_t>(nTarget));
        m_pDC->SetPolyFillMode(m_state.nPolyFillMode);
        UpdateTransform();
    }

    void Apply(const ClipRecord& r) {
        const CRect rc = MapRect(r.rc);
        if (r.nOp == ClipOp::kIntersect)
            m_pDC->IntersectClipRect(rc);
        else
            m_pDC->ExcludeClipRect(rc);
    }

    void Apply(const BitBlockRecord& r) {
        // Destination corners (x, y) and (x + cx, y + cy), kept in their order so that a
        // negative size still mirrors.
        const PointD a = MapF({r.rcDest.left, r.rcDest.top});
        const PointD b =
            MapF({static_cast<std::int32_t>(std::clamp<std::int64_t>(
                      std::int64_t{r.rcDest.left} + r.rcDest.right, INT32_MIN, INT32_MAX)),
                  static_cast<std::int32_t>(std::clamp<std::int64_t>(
                      std::int64_t{r.rcDest.top} + r.rcDest.bottom, INT32_MIN, INT32_MAX))});
        const CPoint p = Round(a);
        const int nWidth = Round(b.x) - p.x;
        const int nHeight = Round(b.y) - p.y;
        if (!r.dib) {
            UseBrush();
            m_pDC->PatBlt(p.x, p.y, nWidth, nHeight, r.dwRop);
            return;
        }
        const Dib& dib = *r.dib;
        DibInfo info;
        info.header.biWidth = dib.nWidth;
        info.header.biHeight = dib.nHeight;
        info.header.biBitCount = dib.nBitCount;
        info.header.biCompression = dib.nCompression;
        info.header.biSizeImage = static_cast<std::uint32_t>(dib.bits.size());
        const std::size_t nColors = std::min<std::size_t>(dib.colors.size(), 256);
        if (dib.nBitCount <= 8) info.header.biClrUsed = static_cast<std::uint32_t>(nColors);
        for (std::size_t i = 0; i < nColors; ++i) {
            const std::uint32_t c = dib.colors[i];
            info.colors[i] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                              static_cast<unsigned char>(c >> 16),
                              static_cast<unsigned char>(c >> 24)};
        }

        int ySrc = r.rcSrc.top;
        if (r.bSourceFromTop && dib.nHeight > 0)
            ySrc = static_cast<int>(std::clamp<std::int64_t>(
                std::int64_t{dib.nHeight} - r.rcSrc.top - r.rcSrc.bottom, INT32_MIN, INT32_MAX));
        m_pDC->StretchDIBits(p.x, p.y, nWidth, nHeight, r.rcSrc.left, ySrc, r.rcSrc.right,
                             r.rcSrc.bottom, dib.bits.data(),
                             reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, r.dwRop);
    }

    void Apply(const EofRecord&) {}

    struct Saved {
        State state;
        int nContext = 0;
    };

    const Picture& m_picture;
    CDC* m_pDC;
    CRect m_rc;
    double m_dFrameScaleX = 1;
    double m_dFrameScaleY = 1;
    double m_dScaleX = 1;
    double m_dScaleY = 1;
    double m_dOffsetX = 0;
    double m_dOffsetY = 0;

    State m_state;
    std::vector<Saved> m_saved;
    std::unordered_map<std::uint32_t, Object> m_objects;
    std::vector<CPoint> m_points;

    CPen m_pen;
    CBrush m_brush;
    CFont m_font;
    FontRecord m_madeFont;
    int m_nMadeHeight = 0;
    int m_nMadeWidth = 0;
    bool m_bFontMade = false;
};

}  // namespace

std::optional<Metafile> Metafile::FromEmfBytes(std::span<const std::uint8_t> data) {
    std::optional<Picture> picture = DecodeEmf(data);
    if (!picture) return std::nullopt;
    return Metafile(std::move(*picture));
}

std::optional<Metafile> Metafile::FromPlaceableWmfBytes(std::span<const std::uint8_t> data) {
    std::optional<Picture> picture = DecodePlaceableWmf(data);
    if (!picture) return std::nullopt;
    return Metafile(std::move(*picture));
}

void Metafile::Play(CDC* pDC, const CRect& rc) const {
    const Playback& pb = m_pPicture->playback;
    if (pDC == nullptr || rc.IsRectEmpty() || !(pb.dFrameRight > pb.dFrameLeft) ||
        !(pb.dFrameBottom > pb.dFrameTop))
        return;
    const int nSaved = pDC->SaveDC();
    pDC->IntersectClipRect(rc);
    {
        Player player(*m_pPicture, pDC, rc);
        player.Run();
        // The context lets go of the player's pens, brushes and fonts before they go.
        pDC->RestoreDC(nSaved);
    }
}

}  // namespace tessel::metafile
