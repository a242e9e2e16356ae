// BMP files written from bitmaps, read back with Qt's BMP reader for the pixels and byte by
// byte for the header fields.

#include "editor/bmp_file.h"

#include <gtest/gtest.h>

// Qt's reader checks the pixels when the test is built with Qt's headers in reach.
#if __has_include(<QImage>)
#include <QColor>
#include <QImage>
#define TESSEL_HAVE_QT_IMAGE 1
#endif

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/gdi.h"

namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<unsigned char>& bytes, std::size_t n) {
    return bytes[n] | (bytes[n + 1] << 8) | (bytes[n + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[n + 3]) << 24);
}
std::uint32_t U16(const std::vector<unsigned char>& bytes, std::size_t n) {
    return bytes[n] | (bytes[n + 1] << 8);
}

// A colour for each pixel that differs in every channel from its neighbours'.
COLORREF ColourAt(int x, int y) {
    return RGB(40 * x + 7, 90 * y + 11, (x * 31 + y * 57 + 3) & 0xFF);
}

class BmpFileTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("tessel_bmp_test_" + std::to_string(static_cast<long>(::getpid())));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
};

TEST_F(BmpFileTest, OddWidthsGivePaddedRowsAndTheHeaderOfTheTable) {
    for (int nWidth : {1, 2, 3, 5}) {
        SCOPED_TRACE(nWidth);
        const int nHeight = 3;
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(nWidth, nHeight));
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
                bitmap.SetPixel(x, y, ColourAt(x, y));
        const fs::path path = m_dir / ("odd" + std::to_string(nWidth) + ".bmp");
        ASSERT_EQ(WriteBmpFile(&bitmap, path.c_str()), 1);

        // Rows of 3 bytes a pixel rounded up to 4: widths 1, 2, 3, 5 give 4, 8, 12, 16.
        const std::uint32_t nStride = nWidth == 1 ? 4 : nWidth == 2 ? 8 : nWidth == 3 ? 12 : 16;
        const std::uint32_t nImage = nStride * nHeight;
        const std::vector<unsigned char> bytes = ReadFile(path);
        ASSERT_EQ(bytes.size(), 54 + nImage);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(U32(bytes, 2), 54 + nImage);
        EXPECT_EQ(U16(bytes, 6), 0u);
        EXPECT_EQ(U16(bytes, 8), 0u);
        EXPECT_EQ(U32(bytes, 10), 54u);
        EXPECT_EQ(U32(bytes, 14), 40u);
        EXPECT_EQ(U32(bytes, 18), static_cast<std::uint32_t>(nWidth));
        EXPECT_EQ(U32(bytes, 22), static_cast<std::uint32_t>(nHeight));
        EXPECT_EQ(U16(bytes, 26), 1u);
        EXPECT_EQ(U16(bytes, 28), 24u);
        EXPECT_EQ(U32(bytes, 30), 0u);
        EXPECT_EQ(U32(bytes, 34), nImage);
        for (std::size_t n : {38, 42, 46, 50})
            EXPECT_EQ(U32(bytes, n), 0u) << "offset " << n;

        // The first stored row is the bottom one: blue, green, red, then zero padding.
        for (int nRow = 0; nRow < nHeight; ++nRow) {
            const int y = nHeight - 1 - nRow;
            const std::size_t nStart = 54 + nRow * nStride;
            for (int x = 0; x < nWidth; ++x) {
                const COLORREF cr = ColourAt(x, y);
                EXPECT_EQ(bytes[nStart + 3 * x], GetBValue(cr));
                EXPECT_EQ(bytes[nStart + 3 * x + 1], GetGValue(cr));
                EXPECT_EQ(bytes[nStart + 3 * x + 2], GetRValue(cr));
            }
            for (std::uint32_t n = 3 * nWidth; n < nStride; ++n)
                EXPECT_EQ(bytes[nStart + n], 0) << "padding of row " << nRow;
        }

#ifdef TESSEL_HAVE_QT_IMAGE
        // Another reader sees the same picture.
        const QImage image(QString::fromStdString(path.string()), "BMP");
        ASSERT_FALSE(image.isNull());
        ASSERT_EQ(image.size(), QSize(nWidth, nHeight));
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x) {
                const COLORREF cr = ColourAt(x, y);
                EXPECT_EQ(QColor(image.pixel(x, y)),
                          QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr)))
                    << x << "," << y;
            }
#endif
    }
}

TEST_F(BmpFileTest, AnExistingFileIsReplacedAndGbkNamesAreOpenedByTheirUnicodeName) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(2, 1));
    bitmap.SetPixel(1, 0, RGB(1, 2, 3));
    // 图 (GBK CD BC) named as the document keeps names; the file system sees UTF-8.
    const std::string strGbk = (m_dir / "").string() + "\xCD\xBC.bmp";
    const fs::path native = m_dir / fs::u8path("\xE5\x9B\xBE.bmp");
    {
        std::ofstream old(native, std::ios::binary);
        old << std::string(500, 'x');
    }
    ASSERT_EQ(WriteBmpFile(&bitmap, strGbk.c_str()), 1);
    const std::vector<unsigned char> bytes = ReadFile(native);
    ASSERT_EQ(bytes.size(), 54u + 8u);
    EXPECT_EQ(bytes[54 + 3], 3);  // blue of the second pixel
    EXPECT_EQ(bytes[54 + 5], 1);
}

TEST_F(BmpFileTest, FailsWithoutABitmapOrAFileToWrite) {
    const fs::path path = m_dir / "none.bmp";
    EXPECT_EQ(WriteBmpFile(nullptr, path.c_str()), 0);
    CBitmap empty;
    EXPECT_EQ(WriteBmpFile(&empty, path.c_str()), 0);
    EXPECT_FALSE(fs::exists(path));

    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(1, 1));
    EXPECT_EQ(WriteBmpFile(&bitmap, (m_dir / "no such folder" / "x.bmp").c_str()), 0);
    EXPECT_EQ(WriteBmpFile(&bitmap, m_dir.c_str()), 0);  // a folder, not a file
    EXPECT_EQ(WriteBmpFile(&bitmap, nullptr), 0);
}

TEST(GetDIBits, FillsInTheHeaderAndReadsTopDownToo) {
    tessel::platform::EnsureApplication();
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(3, 2));
    bitmap.SetPixel(0, 0, RGB(200, 100, 50));
    bitmap.SetPixel(2, 1, RGB(1, 2, 3));

    BITMAPINFO info;
    EXPECT_EQ(GetDIBits(nullptr, &bitmap, 0, 2, nullptr, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(info.bmiHeader.biWidth, 3);
    EXPECT_EQ(info.bmiHeader.biHeight, 2);
    EXPECT_EQ(info.bmiHeader.biBitCount, 32);
    EXPECT_EQ(info.bmiHeader.biSizeImage, 24u);  // 12 bytes a row

    // 32 bits, top down: the first row is the top one; a pixel is blue, green, red, 0.
    std::vector<unsigned char> bits(24, 0xEE);
    info.bmiHeader.biHeight = -2;
    EXPECT_EQ(GetDIBits(nullptr, &bitmap, 0, 2, bits.data(), &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(std::vector<unsigned char>(bits.begin(), bits.begin() + 4),
              (std::vector<unsigned char>{50, 100, 200, 0}));
    EXPECT_EQ(std::vector<unsigned char>(bits.begin() + 20, bits.end()),
              (std::vector<unsigned char>{3, 2, 1, 0}));

    // 24 bits bottom up, from the second stored line only: the top row, padded to 12 bytes.
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biHeight = 2;
    std::vector<unsigned char> row(12, 0xEE);
    EXPECT_EQ(GetDIBits(nullptr, &bitmap, 1, 5, row.data(), &info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(row,
              (std::vector<unsigned char>{50, 100, 200, 255, 255, 255, 255, 255, 255, 0, 0, 0}));

    // What it cannot do fails.
    EXPECT_EQ(GetDIBits(nullptr, &bitmap, 2, 1, row.data(), &info, DIB_RGB_COLORS), 0);
    info.bmiHeader.biWidth = 4;
    EXPECT_EQ(GetDIBits(nullptr, &bitmap, 0, 1, row.data(), &info, DIB_RGB_COLORS), 0);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biBitCount = 8;
    EXPECT_EQ(GetDIBits(nullptr, &bitmap, 0, 1, row.data(), &info, DIB_RGB_COLORS), 0);
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_BITFIELDS;
    EXPECT_EQ(GetDIBits(nullptr, &bitmap, 0, 1, row.data(), &info, DIB_RGB_COLORS), 0);
    CBitmap empty;
    EXPECT_EQ(GetDIBits(nullptr, &empty, 0, 1, nullptr, &info, DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(nullptr, nullptr, 0, 1, nullptr, &info, DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(nullptr, &bitmap, 0, 1, nullptr, nullptr, DIB_RGB_COLORS), 0);
}

}  // namespace
