#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include "imaging/metafile/records.h"
#include "metafile_bytes.h"

namespace tessel::metafile {
namespace {

using test::Bytes;
using test::EmfBuilder;
using test::WmfBuilder;

template <typename T>
const T& At(const Picture& p, std::size_t i) {
    return std::get<T>(p.records.at(i));
}

TEST(EmfReader, ReadsTheHeaderAndSkipsWhatItDoesNotKnow) {
    EmfBuilder emf;
    emf.Rec(200, {1, 2, 3});                                                 // unknown
    emf.Raw(86, Bytes().I32s({0, 0, 9, 9, 3}).I16s({1, 2, 30, 40, -5, 6}));  // POLYGON16
    const std::vector<std::uint8_t> data = emf.Build(120, 80, 16);

    std::optional<Picture> p = DecodeEmf(data);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->header.rclBounds, (RectL{0, 0, 120, 80}));
    EXPECT_EQ(p->header.Width(), 120);
    EXPECT_EQ(p->header.nPalEntries, 16u);
    EXPECT_TRUE(std::equal(p->header.bytes.begin(), p->header.bytes.end(), data.begin()));
    EXPECT_EQ(p->nSkipped, 1u);
    ASSERT_EQ(p->records.size(), 2u);
    EXPECT_EQ(At<PolyRecord>(*p, 0).points, (std::vector<PointL>{{1, 2}, {30, 40}, {-5, 6}}));
    EXPECT_TRUE(std::holds_alternative<EofRecord>(p->records[1]));
    // The frame (0.01 mm) is mapped back to reference pixels.
    EXPECT_DOUBLE_EQ(p->playback.dFrameRight, 120);
}

TEST(EmfReader, RefusesWhatIsNotAnEnhancedMetafile) {
    std::vector<std::uint8_t> data = EmfBuilder().Build(10, 10);
    EXPECT_FALSE(DecodeEmf(std::span(data).first(87)));  // header cut short
    data[40] = 'X';                                      // signature
    EXPECT_FALSE(DecodeEmf(data));
    EXPECT_FALSE(DecodeEmf({}));
}

TEST(EmfReader, DropsRecordsThatDoNotHoldWhatTheyClaim) {
    EmfBuilder emf;
    emf.Rec(3, {0, 0, 0, 0, 1000, 1, 1, 2, 2});                          // 1000 points, room for 2
    emf.Rec(8, {0, 0, 0, 0, 2, 3, 2, 2, 0, 0, 1, 1, 2, 2});              // counts 2 + 2 != 3 points
    emf.Rec(84, {0, 0, 0, 0, 1, 0, 0, 5, 5, 4, 500, 0, 0, 0, 0, 0, 0});  // text past the end
    emf.Raw(84, Bytes()
                    .I32s({0, 0, 0, 0, 1, 0, 0, 5, 6, 2, 76, 0, 0, 0, 0, 0, 0})
                    .U16(u'h')
                    .U16(u'\x4E2D'));
    emf.Raw(81, test::StretchDibits(0, 0, 1, 2, 1));  // one of the bitmap's two rows
    emf.Raw(81, test::StretchDibits(3, 4, 10, 20));
    emf.Rec(43, {1, 2, 3, 4});
    std::optional<Picture> p = DecodeEmf(emf.Build(10, 10));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->nSkipped, 4u);
    ASSERT_EQ(p->records.size(), 4u);
    const TextRecord& text = At<TextRecord>(*p, 0);
    EXPECT_EQ(text.ptRef, (PointL{5, 6}));
    EXPECT_EQ(text.strWide, u"h\x4E2D");
    const BitBlockRecord& block = At<BitBlockRecord>(*p, 1);
    EXPECT_EQ(block.rcDest, (RectL{3, 4, 10, 20}));
    EXPECT_EQ(block.rcSrc, (RectL{0, 0, 1, 2}));
    ASSERT_TRUE(block.dib);
    EXPECT_EQ(block.dib->bits, (std::vector<std::uint8_t>{0xFF, 0, 0, 0, 0, 0, 0xFF, 0}));
    EXPECT_EQ(At<ShapeRecord>(*p, 2).rcBox, (RectL{1, 2, 3, 4}));

    // A record whose size runs past the data ends the reading; what came before stays.
    EmfBuilder cut;
    cut.Rec(43, {1, 2, 3, 4}).Rec(43, {5, 6, 7, 8});
    std::vector<std::uint8_t> data = cut.Build(10, 10);
    data.resize(108 + 24 + 12);
    p = DecodeEmf(data);
    ASSERT_TRUE(p);
    ASSERT_EQ(p->records.size(), 1u);
    EXPECT_EQ(At<ShapeRecord>(*p, 0).rcBox, (RectL{1, 2, 3, 4}));
}

TEST(WmfReader, ConvertsThroughThePlaceableHeader) {
    WmfBuilder wmf;
    wmf.Rec(0x02FA, {0, 2, 0, 0xFF, 0});                                     // pen -> slot 0
    wmf.Rec(0x02FC, {0, 0xFF00, 0, 0});                                      // brush -> slot 1
    wmf.Rec(0x01F0, {0});                                                    // slot 0 free again
    wmf.Rec(0x02FB, {-12, 0, 0, 0, 700, 0, 0, 0, 0, 0x7241, 0x6169, 0x6C});  // font -> slot 0
    wmf.Rec(0x041B, {40, 30, 20, 10});  // rectangle: bottom, right, top, left
    wmf.Rec(0x0538, {2, 3, 2, 0, 0, 5, 0, 5, 5, 1, 1, 2, 2});                    // two polygons
    wmf.Raw(0x0521, Bytes().U16(3).U8('a').U8('b').U8('c').U8(0).I16s({7, 6}));  // at (6, 7)
    std::optional<Picture> p = DecodePlaceableWmf(wmf.Build({100, 200, 1100, 700}, 2));
    ASSERT_TRUE(p);
    // The box's extents are hundredths of a millimetre: 10 mm by 5 mm at 96 dots per inch.
    EXPECT_EQ(p->header.Width(), 38);
    EXPECT_EQ(p->header.Height(), 19);
    EXPECT_EQ(p->header.rclFrame.right, 1000);
    EXPECT_EQ(p->playback.ptWindowOrg, (PointL{100, 200}));
    ASSERT_EQ(p->records.size(), 8u);
    EXPECT_EQ(At<PenRecord>(*p, 0).crColor, 0xFFu);
    EXPECT_EQ(At<BrushRecord>(*p, 1).nIndex, 1u);
    const FontRecord& font = At<FontRecord>(*p, 3);
    EXPECT_EQ(font.nIndex, 0u);
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.strFaceAnsi, "Arial");
    EXPECT_EQ(At<ShapeRecord>(*p, 4).rcBox, (RectL{10, 20, 30, 40}));
    EXPECT_EQ(At<PolyRecord>(*p, 5).counts, (std::vector<std::uint32_t>{3, 2}));
    EXPECT_EQ(At<PolyRecord>(*p, 5).points.back(), (PointL{2, 2}));
    EXPECT_EQ(At<TextRecord>(*p, 6).strAnsi, "abc");
    EXPECT_EQ(At<TextRecord>(*p, 6).ptRef, (PointL{6, 7}));

    // Box corners are taken as unsigned 16-bit values.
    p = DecodePlaceableWmf(WmfBuilder().Build({0, 0, -16384, 100}, 0));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->header.rclFrame.right, 49152);
    EXPECT_FALSE(DecodePlaceableWmf(WmfBuilder().Build({-10, 0, 10, 100}, 0)));
}

TEST(WmfReader, RefusesDamagedHeadersAndStopsAtDamagedRecords) {
    WmfBuilder wmf;
    wmf.Rec(0x041B, {4, 3, 2, 1});
    wmf.Rec(0x0324, {50, 1, 1, 2, 2});  // 50 points claimed, two there
    wmf.Rec(0x041B, {8, 7, 6, 5});
    std::vector<std::uint8_t> data = wmf.Build({0, 0, 100, 100}, 0);
    std::optional<Picture> p = DecodePlaceableWmf(data);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->nSkipped, 1u);
    EXPECT_EQ(p->records.size(), 3u);  // two rectangles and the end

    data[22 + 18] = 0xFF;  // the first record now runs past the end
    p = DecodePlaceableWmf(data);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->records.empty());

    // A standard metafile without the placeable header is not read.
    EXPECT_FALSE(DecodePlaceableWmf(std::span(data).subspan(22)));
    EXPECT_FALSE(DecodePlaceableWmf(std::span(data).first(39)));
    data[24] = 10;  // header size in words
    EXPECT_FALSE(DecodePlaceableWmf(data));
}

}  // namespace
}  // namespace tessel::metafile
