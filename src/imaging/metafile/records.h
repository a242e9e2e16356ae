#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

// Enhanced metafiles (EMF) and placeable Windows metafiles (WMF) decoded into one list of
// typed drawing records. Pure C++: bytes in, records out; nothing here draws. Every read is
// bounded by the record that holds it, counts are checked against record sizes before
// anything is allocated, and a record that does not hold what it claims is dropped.
namespace tessel::metafile {

struct PointL {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const PointL&) const = default;
};

struct SizeL {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    bool operator==(const SizeL&) const = default;
};

struct RectL {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const RectL&) const = default;
};

inline constexpr std::size_t kEmfHeaderCopyBytes = 100;

// The enhanced-metafile header. A placeable WMF gets one made up for it (see
// DecodePlaceableWmf).
struct EmfHeader {
    RectL rclBounds;  // device units of the reference device
    RectL rclFrame;   // 0.01 mm
    std::uint32_t nBytes = 0;
    std::uint32_t nRecords = 0;
    std::uint16_t nHandles = 0;
    std::uint32_t nPalEntries = 0;
    SizeL szlDevice;       // reference device, pixels
    SizeL szlMillimeters;  // reference device, millimetres
    SizeL szlMicrometers;  // reference device, micrometres; zero when the header lacks it
    // The first 100 bytes of the header record, zero-filled when the record is shorter.
    std::array<std::uint8_t, kEmfHeaderCopyBytes> bytes{};

    std::int32_t Width() const { return rclBounds.right - rclBounds.left; }
    std::int32_t Height() const { return rclBounds.bottom - rclBounds.top; }
};

// Object indices with this bit set name stock objects; the low bits are the stock number.
inline constexpr std::uint32_t kStockObjectBit = 0x80000000u;
enum StockObject : std::uint32_t {
    kWhiteBrush = 0,
    kLtGrayBrush = 1,
    kGrayBrush = 2,
    kDkGrayBrush = 3,
    kBlackBrush = 4,
    kNullBrush = 5,
    kWhitePen = 6,
    kBlackPen = 7,
    kNullPen = 8,
    kOemFixedFont = 10,
    kAnsiFixedFont = 11,
    kAnsiVarFont = 12,
    kSystemFont = 13,
    kDeviceDefaultFont = 14,
    kSystemFixedFont = 16,
    kDefaultGuiFont = 17,
};

// Mapping modes.
enum MapMode : std::int32_t {
    kMmText = 1,
    kMmLoMetric = 2,
    kMmHiMetric = 3,
    kMmLoEnglish = 4,
    kMmHiEnglish = 5,
    kMmTwips = 6,
    kMmIsotropic = 7,
    kMmAnisotropic = 8,
};

// Pen styles (low four bits of the style) and brush styles.
inline constexpr std::uint32_t kPenStyleMask = 0x0F;
inline constexpr std::uint32_t kPenNull = 5;
inline constexpr std::uint32_t kBrushSolid = 0;
inline constexpr std::uint32_t kBrushNull = 1;
inline constexpr std::uint32_t kBrushHatched = 2;

// Text output options and alignment flags.
inline constexpr std::uint32_t kTextOpaque = 0x0002;
inline constexpr std::uint32_t kTextClipped = 0x0004;
inline constexpr std::uint32_t kAlignRight = 0x0002;
inline constexpr std::uint32_t kAlignCenter = 0x0006;
inline constexpr std::uint32_t kAlignBottom = 0x0008;
inline constexpr std::uint32_t kAlignBaseline = 0x0018;

enum class PolyKind {
    kPolygon,
    kPolyline,
    kPolyBezier,
    kPolyBezierTo,  // from the current position
    kPolylineTo,    // from the current position
    kPolyPolygon,
    kPolyPolyline,
};

// 16-bit point forms are widened; the poly-poly forms carry one count per figure, adding up
// to the number of points.
struct PolyRecord {
    PolyKind nKind = PolyKind::kPolygon;
    std::vector<PointL> points;
    std::vector<std::uint32_t> counts;
};

enum class ShapeKind { kRectangle, kEllipse, kRoundRect, kArc, kChord, kPie };

struct ShapeRecord {
    ShapeKind nKind = ShapeKind::kRectangle;
    RectL rcBox;
    SizeL szCorner;  // round rectangles: width and height of the corner ellipse
    PointL ptStart;  // arcs, chords and pies: the radials' end points
    PointL ptEnd;
};

struct MoveToRecord {
    PointL pt;
};

struct LineToRecord {
    PointL pt;
};

enum class PathOp { kBegin, kEnd, kCloseFigure, kFill, kStroke, kStrokeAndFill };

struct PathRecord {
    PathOp nOp = PathOp::kBegin;
};

struct PenRecord {
    std::uint32_t nIndex = 0;
    std::uint32_t nStyle = 0;
    std::int32_t nWidth = 0;  // logical units; 0 draws one pixel wide
    std::uint32_t crColor = 0;
};

struct BrushRecord {
    std::uint32_t nIndex = 0;
    std::uint32_t nStyle = kBrushSolid;
    std::uint32_t crColor = 0;
    std::uint32_t nHatch = 0;
};

// The face name comes as UTF-16 from an EMF and as 8-bit text from a WMF; one of the two is
// filled.
struct FontRecord {
    std::uint32_t nIndex = 0;
    std::int32_t lfHeight = 0;  // logical units
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::u16string strFaceWide;
    std::string strFaceAnsi;
};

// An object this reader does not draw (palettes, regions, pattern brushes). It still takes
// its index, so that whatever held the index before is gone.
struct OtherObjectRecord {
    std::uint32_t nIndex = 0;
};

struct SelectRecord {
    std::uint32_t nIndex = 0;
};

struct DeleteRecord {
    std::uint32_t nIndex = 0;
};

// Text at a reference point: UTF-16 (bWide) or 8-bit characters in the system code page.
struct TextRecord {
    PointL ptRef;
    std::uint32_t nOptions = 0;
    RectL rcClip;  // the opaque or clipping rectangle, when nOptions asks for one
    bool bWide = false;
    std::u16string strWide;
    std::string strAnsi;
};

enum class MappingOp { kWindowExt, kWindowOrg, kViewportExt, kViewportOrg };

struct MappingRecord {
    MappingOp nOp = MappingOp::kWindowExt;
    PointL pt;  // an origin, or an extent as (cx, cy)
};

enum class StateOp { kMapMode, kTextColor, kBkColor, kBkMode, kPolyFillMode, kTextAlign };

struct StateRecord {
    StateOp nOp = StateOp::kMapMode;
    std::uint32_t nValue = 0;
};

struct SaveDCRecord {};

struct RestoreDCRecord {
    std::int32_t nSaved = -1;  // negative: relative to the newest saved state
};

enum class ClipOp { kIntersect, kExclude };

struct ClipRecord {
    ClipOp nOp = ClipOp::kIntersect;
    RectL rc;
};

// A device-independent bitmap checked whole: the bit depth is 1, 4, 8, 16, 24 or 32, the
// pixels are uncompressed (or 16/32-bit with colour masks), and every row is present.
struct Dib {
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;  // positive: rows stored bottom up
    std::uint16_t nBitCount = 0;
    std::uint32_t nCompression = 0;  // 0 plain, 3 colour masks
    // Colour table (blue, green, red, reserved bytes packed little-endian) or, with colour
    // masks, the red, green and blue masks.
    std::vector<std::uint32_t> colors;
    std::vector<std::uint8_t> bits;  // rows padded to four bytes, exactly height rows
};

inline constexpr std::int32_t kMaxDibSide = 16384;

// A block of pixels from a bitmap (or, without one, a pattern fill with the current brush)
// into a destination rectangle.
struct BitBlockRecord {
    RectL rcDest;  // left, top and width, height as right, bottom
    RectL rcSrc;   // same layout, in pixels of the bitmap
    // The source's y counts from the top row (a copy from a context holding the bitmap)
    // rather than in the bitmap's own row order.
    bool bSourceFromTop = false;
    std::uint32_t dwRop = 0;
    std::optional<Dib> dib;
};

struct EofRecord {};

using Record = std::variant<PolyRecord, ShapeRecord, MoveToRecord, LineToRecord, PathRecord,
                            PenRecord, BrushRecord, FontRecord, OtherObjectRecord, SelectRecord,
                            DeleteRecord, TextRecord, MappingRecord, StateRecord, SaveDCRecord,
                            RestoreDCRecord, ClipRecord, BitBlockRecord, EofRecord>;

// How record coordinates reach the picture: the mapping in force before the first record,
// and the rectangle (in the mapping's device units) that is stretched over the destination.
struct Playback {
    std::int32_t nMapMode = kMmText;
    PointL ptWindowOrg;
    SizeL szWindowExt{1, 1};
    PointL ptViewportOrg;
    SizeL szViewportExt{1, 1};
    double dFrameLeft = 0;
    double dFrameTop = 0;
    double dFrameRight = 0;
    double dFrameBottom = 0;
    double dPixelsPerMmX = 96 / 25.4;  // for the metric and English mapping modes
    double dPixelsPerMmY = 96 / 25.4;
};

struct Picture {
    EmfHeader header;
    Playback playback;
    std::vector<Record> records;
    std::size_t nSkipped = 0;  // records that were unknown, not drawn, or did not hold together
};

// Reads an enhanced metafile. Fails unless the data starts with a whole header record with
// the EMF signature. Records are read up to the end-of-file record or the header's byte count;
// a record whose size runs past the end, is under 8 or not a multiple of 4 ends the reading,
// and what came before it is kept.
std::optional<Picture> DecodeEmf(std::span<const std::uint8_t> data);

// Reads a placeable Windows metafile: the 22-byte placeable header (key and checksum are not
// checked), the 18-byte standard header, then the records, as many as the standard header's
// size in words covers and the data holds. The picture is the bounding box: its extents are
// right - left and bottom - top of the 16-bit box taken as unsigned values, and the window
// starts as that box (records may set it again). The made-up header's bounds and frame are
// (0, 0, extent x, extent y). Fails when the headers are short, the standard header is not a
// 9-word header of type 1 or 2, or an extent is not positive. A file without the placeable
// header is not read.
std::optional<Picture> DecodePlaceableWmf(std::span<const std::uint8_t> data);

}  // namespace tessel::metafile
