#include "imaging/decoders/psd_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "allocation_counter.h"
#include "image_magick.h"

namespace tessel::imaging {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::Block;
using test::BlockPicture;
using test::Rgb;

// Four colours whose 8-bit values survive 16 bits unchanged (0x33 is 0x3333) and whose CMYK
// form is exact or nearly so.
constexpr Rgb kBlue{0x33, 0x66, 0x99}, kRust{0xcc, 0x33, 0x00}, kMint{0x00, 0xff, 0x80},
    kSand{0xfe, 0xdc, 0xba};

// Runs of each colour and single pixels between them, so that packed rows hold both
// repeated and literal bytes, and rows of two heights.
BlockPicture ColourPicture() {
    return {{{2, {{kBlue, 4}, {kRust, 1}, {kMint, 1}, {kSand, 1}, {kBlue, 5}}},
             {3, {{kMint, 6}, {kSand, 6}}}}};
}

constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};
Rgb Grey(int v) {
    return {v, v, v};
}

// Header fields of a Photoshop file, big-endian.
int Field16(const Bytes& f, std::size_t at) {
    return f[at] << 8 | f[at + 1];
}
std::uint32_t Field32(const Bytes& f, std::size_t at) {
    return static_cast<std::uint32_t>(Field16(f, at)) << 16 | Field16(f, at + 2);
}
void SetField16(Bytes& f, std::size_t at, int v) {
    f[at] = static_cast<std::uint8_t>(v >> 8);
    f[at + 1] = static_cast<std::uint8_t>(v);
}
void SetField32(Bytes& f, std::size_t at, std::uint32_t v) {
    SetField16(f, at, static_cast<int>(v >> 16));
    SetField16(f, at + 2, static_cast<int>(v & 0xFFFF));
}
// Where the length of section i (0 colour mode data, 1 image resources, 2 layers) is, and
// with i = 3, where the composite picture's compression field is.
std::size_t SectionAt(const Bytes& f, int i) {
    std::size_t p = 26;
    for (int n = 0; n < i; ++n)
        p += 4 + Field32(f, p);
    return p;
}
// The file with bytes added at the end of section i.
Bytes Grow(Bytes f, int i, const Bytes& extra) {
    const std::size_t p = SectionAt(f, i);
    const std::uint32_t n = Field32(f, p);
    f.insert(f.begin() + static_cast<std::ptrdiff_t>(p + 4 + n), extra.begin(), extra.end());
    SetField32(f, p, n + static_cast<std::uint32_t>(extra.size()));
    return f;
}

// A file of a header, three empty sections and the compression field, for shapes that a
// writer would not make.
Bytes Made(std::uint32_t nWidth, std::uint32_t nHeight, int nChannels, int nDepth, int nMode,
           int nCompression) {
    Bytes f{'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
    f.resize(26 + 12 + 2);
    SetField16(f, 12, nChannels);
    SetField32(f, 14, nHeight);
    SetField32(f, 18, nWidth);
    SetField16(f, 22, nDepth);
    SetField16(f, 24, nMode);
    SetField16(f, 38, nCompression);
    return f;
}

void ExpectPicture(const DibImage& dib, const BlockPicture& pic, int nTolerance = 0) {
    ASSERT_EQ(dib.Width(), pic.Width());
    ASSERT_EQ(dib.Height(), pic.Height());
    ASSERT_EQ(dib.bits.size(), static_cast<std::size_t>(dib.Stride()) * dib.Height());
    for (int y = 0; y < dib.Height(); ++y) {
        for (int x = 0; x < dib.Width(); ++x) {
            const std::uint32_t cr = dib.Pixel(x, y);
            const Rgb want = pic.At(x, y);
            const Rgb got{static_cast<int>(cr & 255), static_cast<int>(cr >> 8 & 255),
                          static_cast<int>(cr >> 16 & 255)};
            ASSERT_TRUE(std::abs(got.r - want.r) <= nTolerance &&
                        std::abs(got.g - want.g) <= nTolerance &&
                        std::abs(got.b - want.b) <= nTolerance)
                << "at " << x << "," << y << ": " << got.r << " " << got.g << " " << got.b
                << ", drawn " << want.r << " " << want.g << " " << want.b;
        }
    }
}

class PsdDecoderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::HaveImageMagick()) GTEST_SKIP() << test::kNoImageMagick;
        m_dir = fs::temp_directory_path() / ("tessel-psd-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }
    // The picture written by convert with the options after it, as a PSD file.
    Bytes Write(const BlockPicture& pic, const std::vector<std::string>& options) {
        std::vector<std::string> args = pic.Args();
        args.insert(args.end(), options.begin(), options.end());
        return test::ConvertTo(args, m_dir / "out.psd");
    }
    fs::path m_dir;
};

// What convert was asked for: the file's depth and colour mode, and its compression.
struct Written {
    const char* szWhat;
    std::vector<std::string> options;
    int nDepth, nMode, nCompression, nChannels;
};
void ExpectWritten(const Bytes& file, const Written& w) {
    ASSERT_GT(file.size(), 40u);
    EXPECT_EQ(Field16(file, 22), w.nDepth);
    EXPECT_EQ(Field16(file, 24), w.nMode);
    EXPECT_EQ(Field16(file, 12), w.nChannels);
    EXPECT_EQ(Field16(file, SectionAt(file, 3)), w.nCompression);
}

TEST_F(PsdDecoderTest, RgbAndCmykPicturesOfEachDepthAndCompression) {
    const BlockPicture pic = ColourPicture();
    const Written cases[] = {
        {"rgb 8 raw", {"-depth", "8", "-compress", "None"}, 8, 3, 0, 3},
        {"rgb 8 packed", {"-depth", "8", "-compress", "RLE"}, 8, 3, 1, 3},
        {"rgb 16 raw", {"-depth", "16", "-compress", "None"}, 16, 3, 0, 3},
        {"rgb 16 packed", {"-depth", "16", "-compress", "RLE"}, 16, 3, 1, 3},
        // An alpha channel follows the colours; its rows and byte counts are skipped.
        {"rgba 8 packed", {"-alpha", "on", "-depth", "8", "-compress", "RLE"}, 8, 3, 1, 4},
        {"rgba 16 raw", {"-alpha", "on", "-depth", "16", "-compress", "None"}, 16, 3, 0, 4},
        {"cmyk 8 packed", {"-colorspace", "CMYK", "-depth", "8", "-compress", "RLE"}, 8, 4, 1, 4},
        {"cmyk 16 raw", {"-colorspace", "CMYK", "-depth", "16", "-compress", "None"}, 16, 4, 0, 4},
    };
    for (const Written& c : cases) {
        SCOPED_TRACE(c.szWhat);
        Bytes file = Write(pic, c.options);
        ASSERT_NO_FATAL_FAILURE(ExpectWritten(file, c));
        auto dib = ReadPsd(file);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->BitCount(), 24);
        EXPECT_EQ(dib->ColourCount(), 0);
        // CMYK goes to RGB without a colour profile; 8-bit ink values round a little.
        ExpectPicture(*dib, pic, c.nMode == 4 ? 1 : 0);
    }
}

TEST_F(PsdDecoderTest, GreyIndexedAndBitmapPictures) {
    const BlockPicture grey{{{2, {{Grey(0x33), 5}, {Grey(0x99), 1}, {Grey(0), 3}}},
                             {1, {{Grey(0xfe), 2}, {Grey(0x80), 7}}}}};
    const BlockPicture mono{
        {{2, {{kBlack, 5}, {kWhite, 6}, {kBlack, 2}}}, {3, {{kWhite, 9}, {kBlack, 4}}}}};
    const struct {
        Written written;
        const BlockPicture& pic;
        int nBitCount, nColours;
    } cases[] = {
        {{"grey 8 raw", {"-colorspace", "Gray", "-depth", "8", "-compress", "None"}, 8, 1, 0, 1},
         grey,
         8,
         256},
        {{"grey 16 packed",
          {"-colorspace", "Gray", "-depth", "16", "-compress", "RLE"},
          16,
          1,
          1,
          1},
         grey,
         8,
         256},
        {{"indexed raw", {"-type", "Palette", "-depth", "8", "-compress", "None"}, 8, 2, 0, 1},
         ColourPicture(),
         8,
         256},
        {{"indexed packed", {"-type", "Palette", "-depth", "8", "-compress", "RLE"}, 8, 2, 1, 1},
         ColourPicture(),
         8,
         256},
        // 13 pixels a row: two bytes, the second partly used.
        {{"bitmap raw", {"-type", "Bilevel", "-depth", "1", "-compress", "None"}, 1, 0, 0, 1},
         mono,
         1,
         2},
        {{"bitmap packed", {"-type", "Bilevel", "-depth", "1", "-compress", "RLE"}, 1, 0, 1, 1},
         mono,
         1,
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written.szWhat);
        Bytes file = Write(c.pic, c.written.options);
        ASSERT_NO_FATAL_FAILURE(ExpectWritten(file, c.written));
        auto dib = ReadPsd(file);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->BitCount(), c.nBitCount);
        EXPECT_EQ(dib->ColourCount(), c.nColours);
        ExpectPicture(*dib, c.pic);
        if (c.written.nMode == 1) {  // a grey ramp: the index is the grey
            EXPECT_EQ(dib->Index(5, 0), 0x99);
            EXPECT_EQ(dib->Index(8, 2), 0x80);
        }
    }
}

TEST_F(PsdDecoderTest, TheUsedColourCountAndDuotoneFiles) {
    // Resource 1046 ("8BIM", the id, an empty name, a 2-byte size) says 4 entries are used.
    const BlockPicture pic = ColourPicture();
    Bytes indexed = Write(pic, {"-type", "Palette", "-depth", "8", "-compress", "RLE"});
    ASSERT_EQ(Field16(indexed, 24), 2);
    Bytes counted = Grow(indexed, 1, {'8', 'B', 'I', 'M', 0x04, 0x16, 0, 0, 0, 0, 0, 2, 0, 4});
    auto dib = ReadPsd(counted);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->ColourCount(), 4);
    ExpectPicture(*dib, pic);
    // After a resource with a name and an odd size, each padded to an even size.
    counted = Grow(indexed, 1, {'8', 'B', 'I', 'M', 0x03, 0xED, 2,    'a', 'b', 0, 0, 0, 0, 1, 9,
                                0,   '8', 'B', 'I', 'M',  0x04, 0x16, 0,   0,   0, 0, 0, 2, 0, 3});
    dib = ReadPsd(counted);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->ColourCount(), 3);

    // A duotone file is its grey channel, with the duotone description in the colour mode
    // data.
    const BlockPicture grey{{{3, {{Grey(0x20), 2}, {Grey(0xe0), 3}}}}};
    Bytes duotone = Write(grey, {"-colorspace", "Gray", "-depth", "8", "-compress", "RLE"});
    ASSERT_EQ(Field16(duotone, 24), 1);
    SetField16(duotone, 24, 8);
    duotone = Grow(duotone, 0, Bytes(24, 0x11));
    dib = ReadPsd(duotone);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->BitCount(), 8);
    ExpectPicture(*dib, grey);
}

TEST_F(PsdDecoderTest, TruncatedAndCorruptFilesFail) {
    const BlockPicture pic = ColourPicture();
    for (const char* szCompression : {"None", "RLE"}) {
        SCOPED_TRACE(szCompression);
        Bytes file = Write(pic, {"-depth", "8", "-compress", szCompression});
        ASSERT_TRUE(ReadPsd(file));
        // Every byte of a three-channel file is needed up to its last row.
        for (std::size_t n = 0; n < file.size(); ++n)
            ASSERT_FALSE(ReadPsd(Bytes(file.begin(), file.begin() + n))) << n << " bytes";

        const std::size_t nImage = SectionAt(file, 3);
        const struct {
            const char* szWhat;
            std::size_t nAt;
            int nValue;
        } fields[] = {
            {"signature", 0, 0x3843},
            {"version 2", 4, 2},
            {"no channel", 12, 0},
            {"two channels of three", 12, 2},
            {"57 channels", 12, 57},
            {"height 0", 16, 0},
            {"width 0", 20, 0},
            {"32 bits", 22, 32},
            {"12 bits", 22, 12},
            {"Lab", 24, 9},
            {"multichannel", 24, 7},
            {"indexed at 8 bits without a table", 24, 2},
            {"ZIP", nImage, 2},
            {"ZIP with prediction", nImage, 3},
            {"resources past the end", SectionAt(file, 1), 0x7FFF},
        };
        for (const auto& f : fields) {
            Bytes bad = file;
            SetField16(bad, f.nAt, f.nValue);
            EXPECT_FALSE(ReadPsd(bad)) << f.szWhat;
        }
        Bytes bad = file;
        SetField32(bad, 18, 30001);  // wider than version 1 allows
        EXPECT_FALSE(ReadPsd(bad));
        SetField32(bad, 18, 0x80000006);
        EXPECT_FALSE(ReadPsd(bad));
    }

    // Byte counts that cannot be right: a row of none, and a last row longer than the file.
    Bytes file = Write(pic, {"-depth", "8", "-compress", "RLE"});
    const std::size_t nCounts = SectionAt(file, 3) + 2;
    Bytes bad = file;
    SetField16(bad, nCounts + 2, 0);
    EXPECT_FALSE(ReadPsd(bad));
    bad = file;
    SetField16(bad, nCounts + 2 * (3 * pic.Height() - 1), 0x4000);
    EXPECT_FALSE(ReadPsd(bad));
    // The first row's last two bytes counted in the second row instead: convert ends each row
    // with a no-op (0x80), so the row's last run loses its byte and the row is not filled.
    bad = file;
    SetField16(bad, nCounts, Field16(bad, nCounts) - 2);
    SetField16(bad, nCounts + 2, Field16(bad, nCounts + 2) + 2);
    EXPECT_FALSE(ReadPsd(bad));
}

TEST(PsdDecoderMadeTest, PackBitsRowsAsOtherWritersPackThem) {
    // One 130-pixel grey row: 128 repeats of 7 (count 0x81), a no-op (0x80), two literal
    // bytes, then a run past the end of the row, which is dropped.
    Bytes file = Made(130, 1, 1, 8, 1, 1);
    file.insert(file.end(), {0, 8, 0x81, 7, 0x80, 0x01, 1, 2, 0xFD, 9});
    auto dib = ReadPsd(file);
    ASSERT_TRUE(dib);
    for (int x = 0; x < 130; ++x)
        ASSERT_EQ(dib->Index(x, 0), x < 128 ? 7 : x - 127) << x;
    // The same with the literal cut short by the row's byte count.
    file[26 + 12 + 2 + 1] = 5;
    file.resize(file.size() - 3);
    EXPECT_FALSE(ReadPsd(file));
}

TEST(PsdDecoderMadeTest, HugeHeadersAreRefusedBeforeAllocating) {
    // Raw: a picture of 60 M pixels with no data; packed: byte counts too small for the rows.
    // Neither allocates the picture.
    Bytes raw = Made(10000, 6000, 3, 8, 3, 0);
    raw.resize(raw.size() + 4096, 0);
    Bytes packed = Made(10000, 6000, 3, 8, 3, 1);
    packed.resize(packed.size() + 3 * 6000 * 2, 0);
    for (std::size_t i = 40; i < packed.size(); i += 2)
        packed[i + 1] = 2;  // 2 bytes cannot make 10000
    packed.resize(packed.size() + 3 * 6000 * 2, 0x81);
    for (const Bytes* pFile : {&raw, &packed}) {
        std::size_t nBefore = test::BytesAllocated();
        EXPECT_FALSE(ReadPsd(*pFile));
        EXPECT_LT(test::BytesAllocated() - nBefore, 4096u);
    }
    // Over 64 M pixels, and over 30000 a side, fail whatever follows.
    EXPECT_FALSE(ReadPsd(Made(9000, 9000, 1, 8, 1, 0)));
    EXPECT_FALSE(ReadPsd(Made(40000, 1, 1, 8, 1, 0)));
    EXPECT_FALSE(HasPsdSignature(Bytes{'8', 'B', 'P'}));
    EXPECT_TRUE(HasPsdSignature(Made(1, 1, 1, 8, 1, 0)));
}

}  // namespace
}  // namespace tessel::imaging
