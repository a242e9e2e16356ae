#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "imaging/metafile/byte_view.h"
#include "imaging/metafile/records.h"

namespace tessel::metafile {

namespace {

using detail::ByteView;

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kSmallestHeader = 88;
constexpr std::uint32_t kHeaderWithMicrometers = 108;

// Record types.
enum : std::uint32_t {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetViewportOrgEx = 12,
    kEof = 14,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kMoveToEx = 27,
    kExcludeClipRect = 29,
    kIntersectClipRect = 30,
    kSaveDC = 33,
    kRestoreDC = 34,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kCreatePalette = 49,
    kLineTo = 54,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kBitBlt = 76,
    kStretchBlt = 77,
    kStretchDIBits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kCreateMonoBrush = 93,
    kCreateDibPatternBrushPt = 94,
    kExtCreatePen = 95,
};

class RecordReader {
  public:
    explicit RecordReader(std::span<const std::uint8_t> rec) : m_v(rec) {}

    std::optional<Record> Read(std::uint32_t nType) {
        switch (nType) {
            case kPolyBezier:
                return Poly(PolyKind::kPolyBezier, 8);
            case kPolygon:
                return Poly(PolyKind::kPolygon, 8);
            case kPolyline:
                return Poly(PolyKind::kPolyline, 8);
            case kPolyBezierTo:
                return Poly(PolyKind::kPolyBezierTo, 8);
            case kPolylineTo:
                return Poly(PolyKind::kPolylineTo, 8);
            case kPolyBezier16:
                return Poly(PolyKind::kPolyBezier, 4);
            case kPolygon16:
                return Poly(PolyKind::kPolygon, 4);
            case kPolyline16:
                return Poly(PolyKind::kPolyline, 4);
            case kPolyBezierTo16:
                return Poly(PolyKind::kPolyBezierTo, 4);
            case kPolylineTo16:
                return Poly(PolyKind::kPolylineTo, 4);
            case kPolyPolyline:
                return PolyPoly(PolyKind::kPolyPolyline, 8);
            case kPolyPolygon:
                return PolyPoly(PolyKind::kPolyPolygon, 8);
            case kPolyPolyline16:
                return PolyPoly(PolyKind::kPolyPolyline, 4);
            case kPolyPolygon16:
                return PolyPoly(PolyKind::kPolyPolygon, 4);
            case kSetWindowExtEx:
                return Mapping(MappingOp::kWindowExt);
            case kSetWindowOrgEx:
                return Mapping(MappingOp::kWindowOrg);
            case kSetViewportExtEx:
                return Mapping(MappingOp::kViewportExt);
            case kSetViewportOrgEx:
                return Mapping(MappingOp::kViewportOrg);
            case kEof:
                return EofRecord{};
            case kSetMapMode:
                return State(StateOp::kMapMode);
            case kSetBkMode:
                return State(StateOp::kBkMode);
            case kSetPolyFillMode:
                return State(StateOp::kPolyFillMode);
            case kSetTextAlign:
                return State(StateOp::kTextAlign);
            case kSetTextColor:
                return State(StateOp::kTextColor);
            case kSetBkColor:
                return State(StateOp::kBkColor);
            case kMoveToEx:
                if (!Holds(16)) return std::nullopt;
                return MoveToRecord{Point(8)};
            case kLineTo:
                if (!Holds(16)) return std::nullopt;
                return LineToRecord{Point(8)};
            case kExcludeClipRect:
            case kIntersectClipRect:
                if (!Holds(24)) return std::nullopt;
                return ClipRecord{nType == kExcludeClipRect ? ClipOp::kExclude : ClipOp::kIntersect,
                                  Rect(8)};
            case kSaveDC:
                return SaveDCRecord{};
            case kRestoreDC:
                if (!Holds(12)) return std::nullopt;
                return RestoreDCRecord{m_v.I32(8)};
            case kSelectObject:
                if (!Holds(12)) return std::nullopt;
                return SelectRecord{m_v.U32(8)};
            case kDeleteObject:
                if (!Holds(12)) return std::nullopt;
                return DeleteRecord{m_v.U32(8)};
            case kCreatePen:
                if (!Holds(28)) return std::nullopt;
                return PenRecord{m_v.U32(8), m_v.U32(12), m_v.I32(16), m_v.U32(24)};
            case kExtCreatePen:
                return ExtPen();
            case kCreateBrushIndirect:
                if (!Holds(24)) return std::nullopt;
                return BrushRecord{m_v.U32(8), m_v.U32(12), m_v.U32(16), m_v.U32(20)};
            case kCreatePalette:
            case kCreateMonoBrush:
            case kCreateDibPatternBrushPt:
                if (!Holds(12)) return std::nullopt;
                return OtherObjectRecord{m_v.U32(8)};
            case kExtCreateFontIndirectW:
                return Font();
            case kEllipse:
                return Shape(ShapeKind::kEllipse);
            case kRectangle:
                return Shape(ShapeKind::kRectangle);
            case kRoundRect:
                return Shape(ShapeKind::kRoundRect);
            case kArc:
                return Shape(ShapeKind::kArc);
            case kChord:
                return Shape(ShapeKind::kChord);
            case kPie:
                return Shape(ShapeKind::kPie);
            case kBeginPath:
                return PathRecord{PathOp::kBegin};
            case kEndPath:
                return PathRecord{PathOp::kEnd};
            case kCloseFigure:
                return PathRecord{PathOp::kCloseFigure};
            case kFillPath:
                return PathRecord{PathOp::kFill};
            case kStrokeAndFillPath:
                return PathRecord{PathOp::kStrokeAndFill};
            case kStrokePath:
                return PathRecord{PathOp::kStroke};
            case kExtTextOutA:
                return Text(false);
            case kExtTextOutW:
                return Text(true);
            case kBitBlt:
                return BitBlt(false);
            case kStretchBlt:
                return BitBlt(true);
            case kStretchDIBits:
                return StretchDIBits();
            default:
                return std::nullopt;
        }
    }

  private:
    bool Holds(std::uint64_t n) const { return m_v.Has(0, n); }
    PointL Point(std::size_t o) const { return {m_v.I32(o), m_v.I32(o + 4)}; }
    PointL Point16(std::size_t o) const { return {m_v.I16(o), m_v.I16(o + 2)}; }
    RectL Rect(std::size_t o) const {
        return {m_v.I32(o), m_v.I32(o + 4), m_v.I32(o + 8), m_v.I32(o + 12)};
    }

    std::optional<Record> Mapping(MappingOp nOp) const {
        if (!Holds(16)) return std::nullopt;
        return MappingRecord{nOp, Point(8)};
    }

    std::optional<Record> State(StateOp nOp) const {
        if (!Holds(12)) return std::nullopt;
        return StateRecord{nOp, m_v.U32(8)};
    }

    // Points of nUnit bytes (8 or 4) from nOffset; false when they are not all in the record.
    bool ReadPoints(std::uint64_t nOffset, std::uint64_t nCount, std::uint64_t nUnit,
                    std::vector<PointL>& points) const {
        if (!m_v.Has(nOffset, nCount * nUnit)) return false;
        points.reserve(static_cast<std::size_t>(nCount));
        for (std::uint64_t i = 0; i < nCount; ++i) {
            const std::size_t o = static_cast<std::size_t>(nOffset + i * nUnit);
            points.push_back(nUnit == 8 ? Point(o) : Point16(o));
        }
        return true;
    }

    // Bounds (16 bytes), count, points.
    std::optional<Record> Poly(PolyKind nKind, std::uint64_t nUnit) const {
        if (!Holds(28)) return std::nullopt;
        const std::uint32_t nCount = m_v.U32(24);
        PolyRecord poly{nKind, {}, {}};
        if (nCount == 0 || !ReadPoints(28, nCount, nUnit, poly.points)) return std::nullopt;
        return poly;
    }

    // Bounds, figure count, point count, the figures' point counts, points.
    std::optional<Record> PolyPoly(PolyKind nKind, std::uint64_t nUnit) const {
        if (!Holds(32)) return std::nullopt;
        const std::uint64_t nPolys = m_v.U32(24);
        const std::uint64_t nPoints = m_v.U32(28);
        if (nPolys == 0 || !m_v.Has(32, nPolys * 4) || !m_v.Has(32 + nPolys * 4, nPoints * nUnit))
            return std::nullopt;
        PolyRecord poly{nKind, {}, {}};
        std::uint64_t nTotal = 0;
        poly.counts.reserve(static_cast<std::size_t>(nPolys));
        for (std::uint64_t i = 0; i < nPolys; ++i) {
            const std::uint32_t n = m_v.U32(static_cast<std::size_t>(32 + 4 * i));
            nTotal += n;
            poly.counts.push_back(n);
        }
        if (nTotal != nPoints) return std::nullopt;
        ReadPoints(32 + nPolys * 4, nPoints, nUnit, poly.points);
        return poly;
    }

    std::optional<Record> Shape(ShapeKind nKind) const {
        ShapeRecord shape{nKind, {}, {}, {}, {}};
        if (!Holds(24)) return std::nullopt;
        shape.rcBox = Rect(8);
        if (nKind == ShapeKind::kRoundRect) {
            if (!Holds(32)) return std::nullopt;
            shape.szCorner = {m_v.I32(24), m_v.I32(28)};
        } else if (nKind == ShapeKind::kArc || nKind == ShapeKind::kChord ||
                   nKind == ShapeKind::kPie) {
            if (!Holds(40)) return std::nullopt;
            shape.ptStart = Point(24);
            shape.ptEnd = Point(32);
        }
        return shape;
    }

    // Index, then the bitmap's offset and size, the bits' offset and size, then the pen:
    // style, width, brush style, colour, hatch. Only solid-coloured pens are drawn as such;
    // a pen with a pattern brush is drawn in its colour.
    std::optional<Record> ExtPen() const {
        if (!Holds(52)) return std::nullopt;
        const std::uint32_t nBrushStyle = m_v.U32(36);
        std::uint32_t nStyle = m_v.U32(28);
        if (nBrushStyle == kBrushNull) nStyle = (nStyle & ~kPenStyleMask) | kPenNull;
        return PenRecord{m_v.U32(8), nStyle, m_v.I32(32), m_v.U32(40)};
    }

    // Index, then the wide LOGFONT: five 32-bit fields, eight bytes, 32 UTF-16 face units.
    std::optional<Record> Font() const {
        if (!Holds(12 + 92)) return std::nullopt;
        FontRecord font;
        font.nIndex = m_v.U32(8);
        font.lfHeight = m_v.I32(12);
        font.lfWidth = m_v.I32(16);
        font.lfEscapement = m_v.I32(20);
        font.lfOrientation = m_v.I32(24);
        font.lfWeight = m_v.I32(28);
        font.lfItalic = m_v.U8(32);
        font.lfUnderline = m_v.U8(33);
        font.lfStrikeOut = m_v.U8(34);
        font.lfCharSet = m_v.U8(35);
        for (std::size_t i = 0; i < 32; ++i) {
            const char16_t c = m_v.U16(40 + 2 * i);
            if (c == 0) break;
            font.strFaceWide.push_back(c);
        }
        return font;
    }

    // Bounds, graphics mode, x and y scale, then the text: reference point, character count,
    // offset of the characters (from the record's start), options, rectangle, offset of the
    // spacing array.
    std::optional<Record> Text(bool bWide) const {
        if (!Holds(76)) return std::nullopt;
        TextRecord text;
        text.ptRef = Point(36);
        const std::uint64_t nChars = m_v.U32(44);
        const std::uint64_t nOffset = m_v.U32(48);
        text.nOptions = m_v.U32(52);
        text.rcClip = Rect(56);
        text.bWide = bWide;
        const std::uint64_t nUnit = bWide ? 2 : 1;
        if (nChars > 0 && (nOffset < 8 || !m_v.Has(nOffset, nChars * nUnit))) return std::nullopt;
        const std::size_t o = static_cast<std::size_t>(nOffset);
        for (std::size_t i = 0; i < nChars; ++i) {
            if (bWide)
                text.strWide.push_back(static_cast<char16_t>(m_v.U16(o + 2 * i)));
            else
                text.strAnsi.push_back(static_cast<char>(m_v.U8(o + i)));
        }
        return text;
    }

    // A bitmap given by offsets into the record; nInfo == 0 means none.
    bool ReadBitmap(std::size_t nAt, BitBlockRecord& block) const {
        const std::uint32_t nInfoOffset = m_v.U32(nAt);
        const std::uint32_t nInfoSize = m_v.U32(nAt + 4);
        const std::uint32_t nBitsOffset = m_v.U32(nAt + 8);
        const std::uint32_t nBitsSize = m_v.U32(nAt + 12);
        if (nInfoSize == 0) return true;
        if (!m_v.Has(nInfoOffset, nInfoSize) || !m_v.Has(nBitsOffset, nBitsSize)) return false;
        block.dib =
            detail::ReadDib(m_v.Sub(nInfoOffset, nInfoSize), m_v.Sub(nBitsOffset, nBitsSize));
        return block.dib.has_value();
    }

    // Bounds, destination x, y, cx, cy, raster operation, source x, y, source transform (24
    // bytes), background colour, colour usage, bitmap offsets and sizes; the stretching form
    // adds the source cx, cy.
    std::optional<Record> BitBlt(bool bStretch) const {
        if (!Holds(bStretch ? 108 : 100)) return std::nullopt;
        BitBlockRecord block;
        block.rcDest = Rect(24);
        block.dwRop = m_v.U32(40);
        block.rcSrc = {m_v.I32(44), m_v.I32(48), block.rcDest.right, block.rcDest.bottom};
        block.bSourceFromTop = true;
        if (bStretch) {
            block.rcSrc.right = m_v.I32(100);
            block.rcSrc.bottom = m_v.I32(104);
        }
        if (!ReadBitmap(84, block)) return std::nullopt;
        return block;
    }

    // Bounds, destination x, y, source x, y, cx, cy, bitmap offsets and sizes, colour usage,
    // raster operation, destination cx, cy.
    std::optional<Record> StretchDIBits() const {
        if (!Holds(80)) return std::nullopt;
        BitBlockRecord block;
        block.rcDest = {m_v.I32(24), m_v.I32(28), m_v.I32(72), m_v.I32(76)};
        block.rcSrc = Rect(32);
        block.dwRop = m_v.U32(68);
        if (!ReadBitmap(48, block) || !block.dib) return std::nullopt;
        return block;
    }

    ByteView m_v;
};

void ReadHeader(const ByteView& v, std::uint32_t nSize, EmfHeader& h) {
    auto rect = [&](std::size_t o) {
        return RectL{v.I32(o), v.I32(o + 4), v.I32(o + 8), v.I32(o + 12)};
    };
    h.rclBounds = rect(8);
    h.rclFrame = rect(24);
    h.nBytes = v.U32(48);
    h.nRecords = v.U32(52);
    h.nHandles = v.U16(56);
    h.nPalEntries = v.U32(68);
    h.szlDevice = {v.I32(72), v.I32(76)};
    h.szlMillimeters = {v.I32(80), v.I32(84)};
    if (nSize >= kHeaderWithMicrometers) h.szlMicrometers = {v.I32(100), v.I32(104)};
    const std::uint32_t nCopy = std::min<std::uint32_t>(nSize, kEmfHeaderCopyBytes);
    for (std::uint32_t i = 0; i < nCopy; ++i)
        h.bytes[i] = v.U8(i);
}

// The frame in pixels of the reference device; the bounds when the frame or the reference
// device's size is missing.
void SetFrame(const EmfHeader& h, Playback& p) {
    const RectL& f = h.rclFrame;
    double dPerHundredthX = 0;  // pixels per 0.01 mm
    double dPerHundredthY = 0;
    if (h.szlMicrometers.cx > 0 && h.szlMicrometers.cy > 0) {
        dPerHundredthX = 10.0 * h.szlDevice.cx / h.szlMicrometers.cx;
        dPerHundredthY = 10.0 * h.szlDevice.cy / h.szlMicrometers.cy;
    } else if (h.szlMillimeters.cx > 0 && h.szlMillimeters.cy > 0) {
        dPerHundredthX = h.szlDevice.cx / (100.0 * h.szlMillimeters.cx);
        dPerHundredthY = h.szlDevice.cy / (100.0 * h.szlMillimeters.cy);
    }
    if (dPerHundredthX > 0 && dPerHundredthY > 0) {
        p.dPixelsPerMmX = dPerHundredthX * 100;
        p.dPixelsPerMmY = dPerHundredthY * 100;
    }
    if (f.right > f.left && f.bottom > f.top && dPerHundredthX > 0 && dPerHundredthY > 0) {
        p.dFrameLeft = f.left * dPerHundredthX;
        p.dFrameTop = f.top * dPerHundredthY;
        p.dFrameRight = f.right * dPerHundredthX;
        p.dFrameBottom = f.bottom * dPerHundredthY;
    } else {
        p.dFrameLeft = h.rclBounds.left;
        p.dFrameTop = h.rclBounds.top;
        p.dFrameRight = h.rclBounds.right;
        p.dFrameBottom = h.rclBounds.bottom;
    }
}

}  // namespace

std::optional<Picture> DecodeEmf(std::span<const std::uint8_t> data) {
    const ByteView v(data);
    if (!v.Has(0, kSmallestHeader)) return std::nullopt;
    const std::uint32_t nHeaderSize = v.U32(4);
    if (v.U32(0) != kHeader || v.U32(40) != kEmfSignature || nHeaderSize < kSmallestHeader ||
        !v.Has(0, nHeaderSize))
        return std::nullopt;

    Picture picture;
    ReadHeader(v, nHeaderSize, picture.header);
    SetFrame(picture.header, picture.playback);

    std::uint64_t nEnd = data.size();
    if (picture.header.nBytes >= nHeaderSize && picture.header.nBytes < nEnd)
        nEnd = picture.header.nBytes;
    std::uint64_t nOffset = nHeaderSize;
    while (nEnd - nOffset >= 8) {
        const std::uint32_t nType = v.U32(static_cast<std::size_t>(nOffset));
        const std::uint32_t nSize = v.U32(static_cast<std::size_t>(nOffset + 4));
        if (nSize < 8 || nSize % 4 != 0 || nSize > nEnd - nOffset) break;
        std::optional<Record> record = RecordReader(v.Sub(nOffset, nSize)).Read(nType);
        if (record)
            picture.records.push_back(std::move(*record));
        else
            ++picture.nSkipped;
        nOffset += nSize;
        if (nType == kEof) break;
    }
    return picture;
}

}  // namespace tessel::metafile
