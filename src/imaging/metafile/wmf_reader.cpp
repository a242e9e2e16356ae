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

constexpr std::size_t kPlaceableBytes = 22;
constexpr std::size_t kStandardBytes = 18;
constexpr std::uint16_t kStandardWords = 9;

// Record functions.
enum : std::uint16_t {
    kEof = 0x0000,
    kSaveDC = 0x001E,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetPolyFillMode = 0x0106,
    kRestoreDC = 0x0127,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDeleteObject = 0x01F0,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kPatBlt = 0x061D,
    kRoundRect = 0x061C,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kDibStretchBlt = 0x0B41,
    kStretchDib = 0x0F43,
    // Objects that are not drawn but take a slot of the object table.
    kCreatePalette = 0x00F7,
    kDibCreatePatternBrush = 0x0142,
    kCreatePatternBrush = 0x01F9,
    kCreateRegion = 0x06FF,
};

// The metafile's object table: a new object takes the lowest free slot.
class ObjectTable {
  public:
    explicit ObjectTable(std::size_t nSlots) : m_used(nSlots, false) {}
    std::optional<std::uint32_t> Take() {
        for (std::size_t i = 0; i < m_used.size(); ++i) {
            if (!m_used[i]) {
                m_used[i] = true;
                return static_cast<std::uint32_t>(i);
            }
        }
        return std::nullopt;
    }
    void Free(std::uint32_t nSlot) {
        if (nSlot < m_used.size()) m_used[nSlot] = false;
    }

  private:
    std::vector<bool> m_used;
};

// One record: its size in words, the function, then 16-bit parameters, which GDI calls
// store last argument first.
class RecordReader {
  public:
    RecordReader(std::span<const std::uint8_t> rec, ObjectTable& objects)
        : m_v(rec), m_objects(objects) {}

    std::optional<Record> Read(std::uint16_t nFunction) {
        switch (nFunction) {
            case kSaveDC:
                return SaveDCRecord{};
            case kRestoreDC:
                if (!Params(1)) return std::nullopt;
                return RestoreDCRecord{P(0)};
            case kSetBkMode:
                return State(StateOp::kBkMode);
            case kSetMapMode:
                return State(StateOp::kMapMode);
            case kSetPolyFillMode:
                return State(StateOp::kPolyFillMode);
            case kSetTextAlign:
                return State(StateOp::kTextAlign);
            case kSetBkColor:
                return Color(StateOp::kBkColor);
            case kSetTextColor:
                return Color(StateOp::kTextColor);
            case kSetWindowOrg:
                return Mapping(MappingOp::kWindowOrg);
            case kSetWindowExt:
                return Mapping(MappingOp::kWindowExt);
            case kSetViewportOrg:
                return Mapping(MappingOp::kViewportOrg);
            case kSetViewportExt:
                return Mapping(MappingOp::kViewportExt);
            case kMoveTo:
                if (!Params(2)) return std::nullopt;
                return MoveToRecord{{P(1), P(0)}};
            case kLineTo:
                if (!Params(2)) return std::nullopt;
                return LineToRecord{{P(1), P(0)}};
            case kSelectObject:
                if (!Params(1)) return std::nullopt;
                return SelectRecord{U(0)};
            case kDeleteObject:
                if (!Params(1)) return std::nullopt;
                m_objects.Free(U(0));
                return DeleteRecord{U(0)};
            case kCreatePenIndirect:
                return Pen();
            case kCreateBrushIndirect:
                return Brush();
            case kCreateFontIndirect:
                return Font();
            case kCreatePalette:
            case kDibCreatePatternBrush:
            case kCreatePatternBrush:
            case kCreateRegion:
                if (std::optional<std::uint32_t> slot = m_objects.Take())
                    return OtherObjectRecord{*slot};
                return std::nullopt;
            case kPolygon:
                return Poly(PolyKind::kPolygon);
            case kPolyline:
                return Poly(PolyKind::kPolyline);
            case kPolyPolygon:
                return PolyPolygon();
            case kRectangle:
                return Shape(ShapeKind::kRectangle);
            case kEllipse:
                return Shape(ShapeKind::kEllipse);
            case kRoundRect:
                return Shape(ShapeKind::kRoundRect);
            case kArc:
                return Shape(ShapeKind::kArc);
            case kChord:
                return Shape(ShapeKind::kChord);
            case kPie:
                return Shape(ShapeKind::kPie);
            case kIntersectClipRect:
            case kExcludeClipRect:
                if (!Params(4)) return std::nullopt;
                return ClipRecord{
                    nFunction == kExcludeClipRect ? ClipOp::kExclude : ClipOp::kIntersect,
                    {P(3), P(2), P(1), P(0)}};
            case kTextOut:
                return TextOut();
            case kExtTextOut:
                return ExtTextOut();
            case kPatBlt:
                return PatBlt();
            case kDibBitBlt:
                return DibBitBlt();
            case kDibStretchBlt:
                return DibStretchBlt();
            case kStretchDib:
                return StretchDib();
            default:
                return std::nullopt;
        }
    }

  private:
    static constexpr std::size_t kParams = 6;  // parameters start after size and function

    std::uint64_t ParamBytes() const { return m_v.Size() - kParams; }
    bool Params(std::uint64_t n) const { return ParamBytes() >= n * 2; }
    std::int32_t P(std::size_t i) const { return m_v.I16(kParams + 2 * i); }
    std::uint32_t U(std::size_t i) const { return m_v.U16(kParams + 2 * i); }
    std::uint32_t U32(std::size_t i) const { return m_v.U32(kParams + 2 * i); }

    std::optional<Record> State(StateOp nOp) const {
        if (!Params(1)) return std::nullopt;
        return StateRecord{nOp, U(0)};
    }
    std::optional<Record> Color(StateOp nOp) const {
        if (!Params(2)) return std::nullopt;
        return StateRecord{nOp, U32(0)};
    }
    std::optional<Record> Mapping(MappingOp nOp) const {
        if (!Params(2)) return std::nullopt;
        return MappingRecord{nOp, {P(1), P(0)}};
    }

    // Style, width as a point (x used), colour.
    std::optional<Record> Pen() {
        if (!Params(5)) return std::nullopt;
        std::optional<std::uint32_t> slot = m_objects.Take();
        if (!slot) return std::nullopt;
        return PenRecord{*slot, U(0), P(1), U32(3)};
    }

    // Style, colour, hatch.
    std::optional<Record> Brush() {
        if (!Params(4)) return std::nullopt;
        std::optional<std::uint32_t> slot = m_objects.Take();
        if (!slot) return std::nullopt;
        return BrushRecord{*slot, U(0), U32(1), U(3)};
    }

    // Height, width, escapement, orientation, weight, then italic, underline, strike-out,
    // character set and four more bytes, then the face name, which may be cut short.
    std::optional<Record> Font() {
        if (!Params(9)) return std::nullopt;
        std::optional<std::uint32_t> slot = m_objects.Take();
        if (!slot) return std::nullopt;
        FontRecord font;
        font.nIndex = *slot;
        font.lfHeight = P(0);
        font.lfWidth = P(1);
        font.lfEscapement = P(2);
        font.lfOrientation = P(3);
        font.lfWeight = P(4);
        font.lfItalic = m_v.U8(kParams + 10);
        font.lfUnderline = m_v.U8(kParams + 11);
        font.lfStrikeOut = m_v.U8(kParams + 12);
        font.lfCharSet = m_v.U8(kParams + 13);
        for (std::size_t i = kParams + 18; i < m_v.Size() && i < kParams + 18 + 32; ++i) {
            const std::uint8_t c = m_v.U8(i);
            if (c == 0) break;
            font.strFaceAnsi.push_back(static_cast<char>(c));
        }
        return font;
    }

    bool ReadPoints(std::size_t nFirstParam, std::uint64_t nCount,
                    std::vector<PointL>& points) const {
        if (!Params(nFirstParam + 2 * nCount)) return false;
        points.reserve(static_cast<std::size_t>(nCount));
        for (std::size_t i = 0; i < nCount; ++i)
            points.push_back({P(nFirstParam + 2 * i), P(nFirstParam + 2 * i + 1)});
        return true;
    }

    std::optional<Record> Poly(PolyKind nKind) const {
        if (!Params(1)) return std::nullopt;
        PolyRecord poly{nKind, {}, {}};
        if (U(0) == 0 || !ReadPoints(1, U(0), poly.points)) return std::nullopt;
        return poly;
    }

    // Figure count, the figures' point counts, the points.
    std::optional<Record> PolyPolygon() const {
        if (!Params(1)) return std::nullopt;
        const std::size_t nPolys = U(0);
        if (nPolys == 0 || !Params(1 + nPolys)) return std::nullopt;
        PolyRecord poly{PolyKind::kPolyPolygon, {}, {}};
        std::uint64_t nTotal = 0;
        for (std::size_t i = 0; i < nPolys; ++i) {
            poly.counts.push_back(U(1 + i));
            nTotal += U(1 + i);
        }
        if (!ReadPoints(1 + nPolys, nTotal, poly.points)) return std::nullopt;
        return poly;
    }

    // Optional end and start points (arcs), the corner (round rectangles), then bottom,
    // right, top, left.
    std::optional<Record> Shape(ShapeKind nKind) const {
        std::size_t nExtra = 0;
        if (nKind == ShapeKind::kRoundRect) nExtra = 2;
        if (nKind == ShapeKind::kArc || nKind == ShapeKind::kChord || nKind == ShapeKind::kPie)
            nExtra = 4;
        if (!Params(nExtra + 4)) return std::nullopt;
        ShapeRecord shape{
            nKind, {P(nExtra + 3), P(nExtra + 2), P(nExtra + 1), P(nExtra)}, {}, {}, {}};
        if (nExtra == 2) shape.szCorner = {P(1), P(0)};
        if (nExtra == 4) {
            shape.ptEnd = {P(1), P(0)};
            shape.ptStart = {P(3), P(2)};
        }
        return shape;
    }

    // Length, the characters (padded to a whole word), y, x.
    std::optional<Record> TextOut() const {
        if (!Params(1)) return std::nullopt;
        const std::uint64_t nLength = U(0);
        const std::uint64_t nWords = (nLength + 1) / 2;
        if (!Params(1 + nWords + 2)) return std::nullopt;
        TextRecord text;
        for (std::size_t i = 0; i < nLength; ++i)
            text.strAnsi.push_back(static_cast<char>(m_v.U8(kParams + 2 + i)));
        const std::size_t nAfter = static_cast<std::size_t>(1 + nWords);
        text.ptRef = {P(nAfter + 1), P(nAfter)};
        return text;
    }

    // y, x, length, options, the rectangle when the options ask for one, the characters.
    // The spacing array after them is not used.
    std::optional<Record> ExtTextOut() const {
        if (!Params(4)) return std::nullopt;
        TextRecord text;
        text.ptRef = {P(1), P(0)};
        const std::uint64_t nLength = U(2);
        text.nOptions = U(3);
        std::size_t nAt = 4;
        if (text.nOptions & (kTextOpaque | kTextClipped)) {
            if (!Params(8)) return std::nullopt;
            text.rcClip = {P(4), P(5), P(6), P(7)};
            nAt = 8;
        }
        if (ParamBytes() - 2 * nAt < nLength) return std::nullopt;
        for (std::size_t i = 0; i < nLength; ++i)
            text.strAnsi.push_back(static_cast<char>(m_v.U8(kParams + 2 * nAt + i)));
        return text;
    }

    // A packed bitmap (header, colour table, bits) from parameter nFirst to the record's end.
    bool ReadBitmap(std::size_t nFirst, BitBlockRecord& block) const {
        const std::uint64_t nOffset = kParams + 2 * nFirst;
        std::span<const std::uint8_t> packed = m_v.Sub(nOffset, m_v.Size() - nOffset);
        std::optional<detail::DibLayout> layout = detail::ReadDibInfo(packed);
        if (!layout) return false;
        block.dib =
            detail::ReadDib(packed, packed.subspan(static_cast<std::size_t>(std::min<std::uint64_t>(
                                        layout->nInfoBytes, packed.size()))));
        return block.dib.has_value();
    }

    // Raster operation, height, width, y, x.
    std::optional<Record> PatBlt() const {
        if (!Params(6)) return std::nullopt;
        BitBlockRecord block;
        block.dwRop = U32(0);
        block.rcDest = {P(5), P(4), P(3), P(2)};
        return block;
    }

    // Raster operation, source y, x, then height, width, y, x of the destination, then the
    // bitmap; without one, a reserved word stands before the destination.
    std::optional<Record> DibBitBlt() const {
        BitBlockRecord block;
        block.dwRop = U32(0);
        if (m_v.Size() == kParams + 2 * 9) {
            block.rcDest = {P(8), P(7), P(6), P(5)};
            return block;
        }
        if (!Params(8)) return std::nullopt;
        block.rcDest = {P(7), P(6), P(5), P(4)};
        block.rcSrc = {P(3), P(2), P(5), P(4)};
        block.bSourceFromTop = true;
        if (!ReadBitmap(8, block)) return std::nullopt;
        return block;
    }

    // Raster operation, source height, width, y, x, destination height, width, y, x, then
    // the bitmap; without one, a reserved word stands before the destination.
    std::optional<Record> DibStretchBlt() const {
        BitBlockRecord block;
        block.dwRop = U32(0);
        if (m_v.Size() == kParams + 2 * 11) {
            block.rcDest = {P(10), P(9), P(8), P(7)};
            return block;
        }
        if (!Params(10)) return std::nullopt;
        block.rcSrc = {P(5), P(4), P(3), P(2)};
        block.rcDest = {P(9), P(8), P(7), P(6)};
        block.bSourceFromTop = true;
        if (!ReadBitmap(10, block)) return std::nullopt;
        return block;
    }

    // Raster operation, colour usage, source height, width, y, x, destination height,
    // width, y, x, the bitmap.
    std::optional<Record> StretchDib() const {
        if (!Params(11)) return std::nullopt;
        BitBlockRecord block;
        block.dwRop = U32(0);
        block.rcSrc = {P(6), P(5), P(4), P(3)};
        block.rcDest = {P(10), P(9), P(8), P(7)};
        if (!ReadBitmap(11, block)) return std::nullopt;
        return block;
    }

    ByteView m_v;
    ObjectTable& m_objects;
};

}  // namespace

std::optional<Picture> DecodePlaceableWmf(std::span<const std::uint8_t> data) {
    const ByteView v(data);
    if (!v.Has(0, kPlaceableBytes + kStandardBytes)) return std::nullopt;
    const std::int32_t nLeft = v.I16(6);
    const std::int32_t nTop = v.I16(8);
    const std::int32_t nExtX = v.U16(10) - v.U16(6);
    const std::int32_t nExtY = v.U16(12) - v.U16(8);
    const std::uint16_t nType = v.U16(22);
    const std::uint16_t nHeaderWords = v.U16(24);
    const std::uint64_t nMetafileBytes = 2ull * v.U32(28);
    const std::uint16_t nObjects = v.U16(32);
    if ((nType != 1 && nType != 2) || nHeaderWords != kStandardWords || nExtX <= 0 || nExtY <= 0 ||
        nMetafileBytes < kStandardBytes)
        return std::nullopt;

    Picture picture;
    EmfHeader& h = picture.header;
    // The bounding box's extents are taken as hundredths of a millimetre, as the conversion to
    // an enhanced metafile reads them; the picture's size is what they make in pixels of a
    // 96-dots-per-inch screen (at least one pixel).
    h.rclFrame = {0, 0, nExtX, nExtY};
    h.rclBounds = {0, 0, std::max(1, (nExtX * 96 + 1270) / 2540),
                   std::max(1, (nExtY * 96 + 1270) / 2540)};
    h.nHandles = static_cast<std::uint16_t>(std::min(nObjects + 1, 0xFFFF));
    h.szlDevice = {nExtX, nExtY};
    h.szlMillimeters = {std::max(1, nExtX / 100), std::max(1, nExtY / 100)};
    h.szlMicrometers = {nExtX * 10, nExtY * 10};

    Playback& p = picture.playback;
    p.nMapMode = kMmAnisotropic;
    p.ptWindowOrg = {nLeft, nTop};
    p.szWindowExt = {nExtX, nExtY};
    p.szViewportExt = {nExtX, nExtY};
    p.dFrameRight = nExtX;
    p.dFrameBottom = nExtY;
    p.dPixelsPerMmX = p.dPixelsPerMmY = 100;

    ObjectTable objects(nObjects);
    const std::uint64_t nEnd =
        kPlaceableBytes + std::min<std::uint64_t>(nMetafileBytes, data.size() - kPlaceableBytes);
    std::uint64_t nOffset = kPlaceableBytes + kStandardBytes;
    while (nEnd - nOffset >= 6) {
        const std::uint64_t nSize = 2ull * v.U32(static_cast<std::size_t>(nOffset));
        const std::uint16_t nFunction = v.U16(static_cast<std::size_t>(nOffset + 4));
        if (nSize < 6 || nSize > nEnd - nOffset) break;
        if (nFunction == kEof) {
            picture.records.push_back(EofRecord{});
            break;
        }
        std::optional<Record> record = RecordReader(v.Sub(nOffset, nSize), objects).Read(nFunction);
        if (record)
            picture.records.push_back(std::move(*record));
        else
            ++picture.nSkipped;
        nOffset += nSize;
    }
    h.nRecords =
        static_cast<std::uint32_t>(std::min<std::size_t>(picture.records.size() + 1, 0xFFFFFFFFu));

    // The first 100 bytes of the header record this picture would have as an enhanced
    // metafile.
    auto put = [&](std::size_t o, std::uint32_t n) {
        for (int i = 0; i < 4; ++i)
            h.bytes[o + i] = static_cast<std::uint8_t>(n >> (8 * i));
    };
    put(0, 1);
    put(4, static_cast<std::uint32_t>(kEmfHeaderCopyBytes));
    put(16, static_cast<std::uint32_t>(nExtX));
    put(20, static_cast<std::uint32_t>(nExtY));
    put(32, static_cast<std::uint32_t>(nExtX));
    put(36, static_cast<std::uint32_t>(nExtY));
    put(40, 0x464D4520);
    put(44, 0x10000);
    put(52, h.nRecords);
    put(56, h.nHandles);
    put(72, static_cast<std::uint32_t>(h.szlDevice.cx));
    put(76, static_cast<std::uint32_t>(h.szlDevice.cy));
    put(80, static_cast<std::uint32_t>(h.szlMillimeters.cx));
    put(84, static_cast<std::uint32_t>(h.szlMillimeters.cy));
    return picture;
}

}  // namespace tessel::metafile
