#include "imaging/decoders/gif_decoder.h"

#include <gtest/gtest.h>

#include "gif_writer.h"

namespace tessel::imaging {
namespace {

using test::Bytes;
using test::TestFrame;

// Pixels with runs, repeats and noise, below nColours.
std::vector<std::uint8_t> Pattern(int nWidth, int nHeight, int nColours) {
    std::vector<std::uint8_t> px(static_cast<std::size_t>(nWidth) * nHeight);
    std::uint32_t nSeed = 12345;
    for (std::size_t i = 0; i < px.size(); ++i) {
        nSeed = nSeed * 1103515245 + 12345;
        int x = static_cast<int>(i % nWidth), y = static_cast<int>(i / nWidth);
        px[i] = static_cast<std::uint8_t>((x / 37 + y) % 7 == 0 ? (nSeed >> 16) % nColours
                                                                : (x / 5 + y / 3) % nColours);
    }
    return px;
}

Bytes OneFrameGif(const TestFrame& frame, int nGlobalBits = 7, const char* szVersion = "89a") {
    Bytes file = test::GifHeader(frame.nWidth, frame.nHeight, nGlobalBits, szVersion);
    test::PutFrame(file, frame);
    file.push_back(';');
    return file;
}

void ExpectPixels(const GifFrame& frame, const std::vector<std::uint8_t>& px) {
    ASSERT_EQ(frame.dib.bits.size(), static_cast<std::size_t>(frame.dib.Stride()) * frame.nHeight);
    for (int y = 0; y < frame.nHeight; ++y) {
        for (int x = 0; x < frame.nWidth; ++x) {
            ASSERT_EQ(frame.dib.Index(x, y), px[y * frame.nWidth + x]) << x << "," << y;
        }
    }
}

TEST(GifDecoderTest, OnlyGif87aAndGif89aLoad) {
    TestFrame frame{.nWidth = 3, .nHeight = 2, .pixels = {1, 2, 3, 4, 5, 6}};
    for (const char* szVersion : {"87a", "89a"}) {
        auto gif = ReadGif(OneFrameGif(frame, 7, szVersion));
        ASSERT_TRUE(gif) << szVersion;
        EXPECT_EQ(gif->nVersion, szVersion[1] == '7' ? 87 : 89);
        ASSERT_EQ(gif->frames.size(), 1u);
        ExpectPixels(gif->frames[0], frame.pixels);
    }
    EXPECT_FALSE(ReadGif(OneFrameGif(frame, 7, "88a")));
    Bytes header = test::GifHeader(3, 2, 7);
    EXPECT_FALSE(ReadGif(Bytes(header.begin(), header.begin() + 12)));
    EXPECT_FALSE(ReadGif(Bytes(header.begin(), header.end() - 1)));  // global table cut short
    auto empty = ReadGif(header);                                    // no frame at all still loads
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->frames.empty());
}

TEST(GifDecoderTest, KeepsTheFirst128Frames) {
    Bytes file = test::GifHeader(4, 4, 1);
    for (int i = 0; i < 200; ++i) {
        test::PutFrame(file,
                       {.nLeft = i % 3, .nWidth = 1, .nHeight = 1, .pixels = {1}, .nMinBits = 2});
    }
    file.push_back(';');
    auto gif = ReadGif(file);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->frames.size(), 128u);
    EXPECT_EQ(gif->frames[127].nLeft, 127 % 3);
    EXPECT_EQ(gif->nWidth, 4);
    EXPECT_EQ(gif->ColourCount(), 4);
}

TEST(GifDecoderTest, DepthFollowsTheColourTableAndInterlacedRowsLandInPlace) {
    // 11 rows reach every interlace pass; the widths make packed rows end mid-byte.
    for (bool bInterlaced : {false, true}) {
        for (auto [nTableBits, nBitCount] : {std::pair{0, 1}, {1, 4}, {3, 4}, {4, 8}, {7, 8}}) {
            int nColours = 2 << nTableBits;
            TestFrame frame{.nWidth = 13,
                            .nHeight = 11,
                            .pixels = Pattern(13, 11, nColours),
                            .nLocalBits = nTableBits,
                            .bInterlaced = bInterlaced};
            auto gif = ReadGif(OneFrameGif(frame));
            ASSERT_TRUE(gif);
            ASSERT_EQ(gif->frames.size(), 1u);
            const GifFrame& f = gif->frames[0];
            EXPECT_EQ(f.IsInterlaced(), bInterlaced);
            EXPECT_EQ(f.dib.BitCount(), nBitCount);
            EXPECT_EQ(f.dib.Stride() % 4, 0);
            EXPECT_EQ(gif->ColourCount(), nColours);
            const std::uint32_t i = frame.pixels[0];  // test tables: entry i is (i, 255 - i, i / 2)
            EXPECT_EQ(f.dib.Pixel(0, 0), i | (255 - i) << 8 | (i / 2) << 16);
            ExpectPixels(f, frame.pixels);
        }
    }
}

TEST(GifDecoderTest, WideStreamsDecodeWhateverTheClearCodes) {
    for (int nClearEvery : {0, 5, 4000}) {
        TestFrame frame{.nWidth = 1000,
                        .nHeight = 40,
                        .pixels = Pattern(1000, 40, 256),
                        .nClearEvery = nClearEvery};
        auto gif = ReadGif(OneFrameGif(frame));
        ASSERT_TRUE(gif);
        ASSERT_EQ(gif->frames.size(), 1u);
        ExpectPixels(gif->frames[0], frame.pixels);
    }
    std::optional<GifImage> gif;
    // Long strings reused far below where they were made: bands that come back every 128
    // rows (at 16 colours, so rows are gathered a byte per pixel before being packed).
    TestFrame bands{.nWidth = 1000, .nHeight = 300, .nLocalBits = 3};
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 1000; ++x)
            bands.pixels.push_back((x / (y / 64 % 2 ? 30 : 50) + y / 64) % 16);
    }
    gif = ReadGif(OneFrameGif(bands));
    ASSERT_TRUE(gif);
    ExpectPixels(gif->frames.at(0), bands.pixels);
    // One colour throughout: strings of thousands of pixels run over many rows.
    TestFrame flat{.nWidth = 1000, .nHeight = 300, .pixels = std::vector<std::uint8_t>(300000, 9)};
    gif = ReadGif(OneFrameGif(flat));
    ASSERT_TRUE(gif);
    ExpectPixels(gif->frames.at(0), flat.pixels);
}

TEST(GifDecoderTest, CodeSizeOutsideTwoToEightSkipsOnlyThatFrame) {
    for (int nMinBits : {1, 9}) {
        Bytes file = test::GifHeader(2, 2, 0);
        test::PutFrame(file,
                       {.nWidth = 2, .nHeight = 2, .pixels = {1, 0, 0, 1}, .nMinBits = nMinBits});
        test::PutFrame(
            file, {.nLeft = 1, .nWidth = 2, .nHeight = 2, .pixels = {1, 1, 0, 0}, .nMinBits = 2});
        auto gif = ReadGif(file);
        ASSERT_TRUE(gif);
        ASSERT_EQ(gif->frames.size(), 1u) << nMinBits;
        EXPECT_EQ(gif->frames[0].nLeft, 1);
        ExpectPixels(gif->frames[0], {1, 1, 0, 0});
    }
}

TEST(GifDecoderTest, ControlRecordBelongsToTheNextFrame) {
    Bytes file = test::GifHeader(2, 1, 1);
    file.insert(file.end(), {'!', 0xFE, 3, 'a', ',', ';', 0});  // a comment with block bytes
    file.insert(file.end(), {0x00, 0x42});                      // stray bytes are skipped
    test::PutControl(file, 0x05, 300, 3);
    test::PutFrame(file, {.nWidth = 2, .nHeight = 1, .pixels = {3, 1}, .nMinBits = 2});
    test::PutFrame(file, {.nWidth = 2, .nHeight = 1, .pixels = {3, 1}, .nMinBits = 2});
    auto gif = ReadGif(file);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->frames.size(), 2u);
    const GifFrame& f = gif->frames[0];
    EXPECT_TRUE(f.IsTransparent());
    EXPECT_EQ(f.TransparentIndex(), 3);
    EXPECT_EQ(f.control.nDelay, 300);
    EXPECT_EQ(f.control.nFlags, 0x05);
    EXPECT_FALSE(gif->frames[1].IsTransparent());
}

TEST(GifDecoderTest, DamagedDataKeepsWhatWasDecoded) {
    TestFrame frame{.nWidth = 200, .nHeight = 50, .pixels = Pattern(200, 50, 256)};
    Bytes whole = OneFrameGif(frame);
    // Cut in the middle of the data: the pixels up to the cut are there, all after it 0.
    for (std::size_t nCut : {whole.size() / 2, whole.size() / 2 + 1, whole.size() / 2 + 2}) {
        auto gif = ReadGif(Bytes(whole.begin(), whole.begin() + nCut));
        ASSERT_TRUE(gif);
        ASSERT_EQ(gif->frames.size(), 1u);
        const DibImage& cut = gif->frames[0].dib;
        int i = 0;
        while (i < 200 * 50 && cut.Index(i % 200, i / 200) == frame.pixels[i])
            ++i;
        EXPECT_GT(i, 200 * 10);
        for (; i < 200 * 50; ++i)
            ASSERT_EQ(cut.Index(i % 200, i / 200), 0) << nCut << ": " << i;
    }

    // A code past the table ends the frame; the next frame still loads.
    Bytes file = test::GifHeader(4, 1, 1);
    file.insert(file.end(), {',', 0, 0, 0, 0, 4, 0, 1, 0, 0, 2, 2, 0xCC, 0x01, 0});
    test::PutFrame(file, {.nWidth = 4, .nHeight = 1, .pixels = {2, 2, 2, 3}, .nMinBits = 2});
    auto gif = ReadGif(file);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->frames.size(), 2u);
    ExpectPixels(gif->frames[0], {1, 0, 0, 0});  // codes clear, 1, then 7 of an empty table
    ExpectPixels(gif->frames[1], {2, 2, 2, 3});
}

TEST(GifDecoderTest, FramesLargerThanTheirDataAreSkipped) {
    Bytes file = test::GifHeader(65535, 65535, 0);
    test::PutFrame(file, {.nWidth = 65535, .nHeight = 65535, .pixels = {1, 0}, .nMinBits = 2});
    test::PutFrame(file, {.nWidth = 300, .nHeight = 300, .pixels = {1}, .nMinBits = 2});
    test::PutFrame(file, {.nWidth = 2, .nHeight = 1, .pixels = {1, 0}, .nMinBits = 2});
    auto gif = ReadGif(file);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->frames.size(), 1u);
    EXPECT_EQ(gif->frames[0].nWidth, 2);
    EXPECT_EQ(gif->nWidth, 65535);
}

}  // namespace
}  // namespace tessel::imaging
