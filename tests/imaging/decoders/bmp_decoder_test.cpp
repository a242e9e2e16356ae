#include "imaging/decoders/bmp_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "allocation_counter.h"
#include "gif_writer.h"
#include "image_magick.h"

namespace tessel::imaging {
namespace {

using test::Bytes;
using test::Put16;
using test::Put32;

struct BmpShape {
    int nWidth = 0;
    int nHeight = 0;  // negative: rows top down
    int nBitCount = 0;
    int nTableEntries = 0;  // written as (B, G, R) = (i, 2i, 255 - i)
    std::uint32_t nUsed = 0;
    std::uint32_t nCompression = 0;
};

Bytes BmpHeaders(const BmpShape& s, std::size_t nPixelBytes) {
    Bytes out{'B', 'M'};
    std::uint32_t nOffset = 54 + s.nTableEntries * 4;
    Put32(out, static_cast<std::uint32_t>(nOffset + nPixelBytes));
    Put32(out, 0);
    Put32(out, nOffset);
    for (std::uint32_t n :
         {40u, static_cast<std::uint32_t>(s.nWidth), static_cast<std::uint32_t>(s.nHeight)}) {
        Put32(out, n);
    }
    Put16(out, 1);
    Put16(out, s.nBitCount);
    for (std::uint32_t n : {s.nCompression, 0u, 2835u, 2835u, s.nUsed, 0u})
        Put32(out, n);
    for (int i = 0; i < s.nTableEntries; ++i) {
        out.insert(out.end(), {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(255 - i), 0});
    }
    return out;
}

std::uint32_t TableColour(int i) {
    return (255 - i) | ((2 * i & 255) << 8) | (i << 16);
}

// The test picture: index (x + 2y) mod the table size at 8 bits and less, else the colour
// (10x, 20y, x + y).
int IndexAt(const BmpShape& s, int x, int y) {
    return (x + 2 * y) % s.nTableEntries;
}
std::uint32_t Expected(const BmpShape& s, int x, int y) {
    if (s.nBitCount <= 8) return TableColour(IndexAt(s, x, y));
    return (10 * x) | (20 * y << 8) | ((x + y) << 16);
}

Bytes MakeBmp(const BmpShape& s) {
    const int nRows = std::abs(s.nHeight), nBits = s.nBitCount;
    const int nStride = (s.nWidth * nBits + 31) / 32 * 4;
    Bytes pixels(static_cast<std::size_t>(nStride) * nRows);
    for (int y = 0; y < nRows; ++y) {
        std::uint8_t* pRow = &pixels[(s.nHeight < 0 ? y : nRows - 1 - y) * nStride];
        for (int x = 0; x < s.nWidth; ++x) {
            if (nBits <= 8) {  // leftmost pixel in the high bits
                pRow[x * nBits / 8] |= IndexAt(s, x, y) << (8 - nBits - x * nBits % 8);
                continue;
            }
            std::uint32_t c = Expected(s, x, y);  // blue, green, red (and one unused byte)
            pRow[x * nBits / 8] = c >> 16 & 255, pRow[x * nBits / 8 + 1] = c >> 8 & 255;
            pRow[x * nBits / 8 + 2] = c & 255;
        }
    }
    Bytes file = BmpHeaders(s, pixels.size());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

TEST(BmpDecoderTest, EachDepthLoadsWithItsStrideAndColourTable) {
    const struct {
        BmpShape shape;
        int nStride, nColours;
    } cases[] = {
        {{13, 3, 1, 2}, 4, 2},   {{9, 4, 4, 16}, 8, 16}, {{5, 3, 8, 256}, 8, 256},
        {{5, 3, 8, 5, 5}, 8, 5}, {{5, 3, 24, 0}, 16, 0}, {{5, -3, 24, 0}, 16, 0},
        {{3, 2, 32, 0}, 12, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.shape.nBitCount << " bits, height " << c.shape.nHeight);
        Bytes file = MakeBmp(c.shape);
        auto dib = ReadBmp(file);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->BitCount(), c.shape.nBitCount);
        EXPECT_EQ(dib->Height(), std::abs(c.shape.nHeight));
        EXPECT_EQ(dib->Stride(), c.nStride);
        EXPECT_EQ(dib->ColourCount(), c.nColours);
        for (int y = 0; y < dib->Height(); ++y) {
            for (int x = 0; x < dib->Width(); ++x) {
                ASSERT_EQ(dib->Pixel(x, y), Expected(c.shape, x, y)) << x << "," << y;
            }
        }
        // The packed form: a 40-byte header, then the table and rows as a bottom-up file has.
        Bytes packed = dib->Packed();
        ASSERT_EQ(packed.size(), file.size() - 14);
        EXPECT_EQ(packed[14], c.shape.nBitCount);
        if (c.shape.nHeight > 0) {
            EXPECT_TRUE(std::equal(packed.begin() + 40, packed.end(), file.begin() + 54));
        }
    }
}

TEST(BmpDecoderTest, FilesShorterThanTheirHeadersClaimFail) {
    Bytes file = MakeBmp({13, 3, 8, 256});
    EXPECT_TRUE(ReadBmp(file));
    for (std::size_t nCut :
         {std::size_t{1}, std::size_t{13 * 3}, file.size() - 54 - 100, file.size() - 30}) {
        EXPECT_FALSE(ReadBmp(Bytes(file.begin(), file.end() - static_cast<std::ptrdiff_t>(nCut))))
            << nCut;
    }
    Bytes wrong = file;
    wrong[1] = 'A';
    EXPECT_FALSE(ReadBmp(wrong));
    wrong = file;
    wrong[10] = 0xFF, wrong[11] = 0xFF;  // bits offset past the end
    EXPECT_FALSE(ReadBmp(wrong));
    wrong = file;
    wrong[46] = 0x01, wrong[47] = 0x01;  // 257 colours used
    EXPECT_FALSE(ReadBmp(wrong));
}

TEST(BmpDecoderTest, HugeHeadersAreRefusedBeforeAllocating) {
    for (std::uint32_t nCompression : {0u, 1u}) {
        Bytes file = BmpHeaders({60000, 60000, 8, 256, 0, nCompression}, 0);
        file.resize(file.size() + 4096, 0);
        std::size_t nBefore = test::BytesAllocated();
        EXPECT_FALSE(ReadBmp(file));
        EXPECT_LT(test::BytesAllocated() - nBefore, 4096u) << nCompression;
    }
    // A run-length picture is believed only as far as its data could reach.
    Bytes file = BmpHeaders({4000, 4000, 8, 256, 0, 1}, 0);
    file.insert(file.end(), {0, 1});
    EXPECT_FALSE(ReadBmp(file));
}

TEST(BmpDecoderTest, RunLengthPicturesExpandUncompressed) {
    // 8 bits: a run, an end of line, absolute pixels (padded), a delta, and the end.
    Bytes file = BmpHeaders({6, 3, 8, 256, 0, 1}, 0);
    file.insert(file.end(), {3, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 0, 1, 3, 9, 0, 1});
    auto dib = ReadBmp(file);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->info.bmiHeader.biCompression, kBiRgb);
    const int rows8[3][6] = {{0, 0, 0, 9, 9, 9}, {1, 2, 3, 0, 0, 0}, {7, 7, 7, 0, 0, 0}};
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(dib->Index(i % 6, i / 6), rows8[i / 6][i % 6]) << i;
    // 4 bits: a run alternates two nibbles; absolute nibbles; pixels past the width drop.
    file = BmpHeaders({5, 1, 4, 16, 0, 2}, 0);
    file.insert(file.end(), {3, 0x12, 0, 3, 0xAB, 0xC0, 4, 0x55});
    dib = ReadBmp(file);
    ASSERT_TRUE(dib);
    const int row4[5] = {1, 2, 1, 10, 11};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(dib->Index(x, 0), row4[x]) << x;
}

// Bitmaps with the 12-byte core header of OS/2 and Windows 2, as ImageMagick writes them
// ("BMP2:").
class CoreHeaderBmpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::HaveImageMagick()) GTEST_SKIP() << test::kNoImageMagick;
        m_dir =
            std::filesystem::temp_directory_path() / ("tessel-bmp2-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
    }
    Bytes Write(const test::BlockPicture& pic, const std::vector<std::string>& options) {
        std::vector<std::string> args = pic.Args();
        args.insert(args.end(), options.begin(), options.end());
        return test::ConvertTo(args, m_dir / "out.bmp", "BMP2:");
    }
    std::filesystem::path m_dir;
};

constexpr test::Rgb kBlue{0x33, 0x66, 0x99}, kRust{0xcc, 0x33, 0x00}, kMint{0x00, 0xff, 0x80},
    kSand{0xfe, 0xdc, 0xba};

// Twenty colours in a row above a stripe of one of them: more than 4 bits can index.
test::BlockPicture TwentyColours() {
    test::BlockPicture pic{{{2, {}}, {1, {{kBlue, 20}}}}};
    for (int i = 0; i < 20; ++i)
        pic.rows[0].blocks.push_back({{i * 12, 255 - i * 12, i * 37 % 256}, 1});
    pic.rows[0].blocks[0].colour = kBlue;
    return pic;
}

TEST_F(CoreHeaderBmpTest, EachDepthLoadsWithItsThreeByteColourTable) {
    const struct {
        const char* szWhat;
        test::BlockPicture pic;
        const char* szType;
        int nBitCount, nColours;
    } cases[] = {
        {"1 bit",
         {{{2, {{kBlue, 5}, {kRust, 8}}}, {1, {{kRust, 9}, {kBlue, 4}}}}},
         "Palette",
         1,
         2},
        {"4 bits",
         {{{2, {{kBlue, 4}, {kRust, 1}, {kMint, 1}, {kSand, 1}}}, {3, {{kMint, 3}, {kSand, 4}}}}},
         "Palette",
         4,
         16},
        {"8 bits", TwentyColours(), "Palette", 8, 256},
        {"24 bits",
         {{{2, {{kBlue, 3}, {kRust, 2}}}, {1, {{kMint, 1}, {kSand, 4}}}}},
         "TrueColor",
         24,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szWhat);
        Bytes file = Write(c.pic, {"-type", c.szType});
        ASSERT_GT(file.size(), 26u);
        ASSERT_EQ(file[14], 12);  // what convert was asked for: the core header, this depth
        ASSERT_EQ(file[24], c.nBitCount);
        auto dib = ReadBmp(file);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->BitCount(), c.nBitCount);
        EXPECT_EQ(dib->ColourCount(), c.nColours);
        ASSERT_EQ(dib->Width(), c.pic.Width());
        ASSERT_EQ(dib->Height(), c.pic.Height());
        for (int y = 0; y < dib->Height(); ++y) {
            for (int x = 0; x < dib->Width(); ++x)
                ASSERT_EQ(dib->Pixel(x, y), c.pic.At(x, y).ColourRef()) << x << "," << y;
        }
        // Handed on as any other DIB: a 40-byte header and 4-byte table entries.
        Bytes packed = dib->Packed();
        EXPECT_EQ(packed[0], 40);
        EXPECT_EQ(packed.size(), 40 + 4u * c.nColours + dib->bits.size());
    }
}

TEST_F(CoreHeaderBmpTest, ShortAndMalformedCoreFilesFail) {
    Bytes file = Write(TwentyColours(), {"-type", "Palette"});
    ASSERT_EQ(file[14], 12);
    ASSERT_TRUE(ReadBmp(file));
    // Header, colour table and rows are each needed to their last byte.
    for (std::size_t n = 0; n < file.size(); ++n)
        ASSERT_FALSE(ReadBmp(Bytes(file.begin(), file.begin() + n))) << n << " bytes";
    const struct {
        const char* szWhat;
        std::size_t nAt;
        int nValue;
    } fields[] = {
        {"16 bits", 24, 16},  {"32 bits", 24, 32},           {"no width", 18, 0},
        {"no height", 20, 0}, {"an 11-byte header", 14, 11}, {"a 13-byte header", 14, 13},
    };
    for (const auto& f : fields) {
        Bytes bad = file;
        bad[f.nAt] = static_cast<std::uint8_t>(f.nValue);
        bad[f.nAt + 1] = 0;
        EXPECT_FALSE(ReadBmp(bad)) << f.szWhat;
    }
}

}  // namespace
}  // namespace tessel::imaging
