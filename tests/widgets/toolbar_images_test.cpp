// The tool bars' button images: bitmap 446 is one strip of twenty 16 x 15 images on the
// light grey that the tool bars show as transparent.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gdi.h"
#include "resources/bitmaps.h"

namespace {

constexpr int kImages = 20, kImageWidth = 16, kImageHeight = 15;
constexpr COLORREF kTransparent = RGB(192, 192, 192);

TEST(ToolBarImagesTest, ResourceIsAStripOfTwentyDistinctImagesOnLightGrey) {
    const std::span<const std::uint8_t> bytes = tessel::resources::BitmapResource(446);
    ASSERT_GT(bytes.size(), 54u);
    ASSERT_EQ(bytes[0], 'B');
    ASSERT_EQ(bytes[1], 'M');
    std::uint32_t nOffBits = 0;
    std::memcpy(&nOffBits, bytes.data() + 10, sizeof(nOffBits));
    ASSERT_LT(nOffBits, bytes.size());

    // The header and colour table, copied out of the file so that they are aligned.
    std::vector<std::uint32_t> info((nOffBits - 14 + 3) / 4 + 1);
    std::memcpy(info.data(), bytes.data() + 14, nOffBits - 14);
    const auto* pInfo = reinterpret_cast<const BITMAPINFO*>(info.data());
    EXPECT_EQ(pInfo->bmiHeader.biWidth, kImages * kImageWidth);
    EXPECT_EQ(std::abs(pInfo->bmiHeader.biHeight), kImageHeight);
    std::vector<std::uint8_t> bits(bytes.begin() + nOffBits, bytes.end());
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateFromDib(pInfo, bits.data()));
    ASSERT_EQ(bitmap.GetSize(), CSize(kImages * kImageWidth, kImageHeight));

    EXPECT_EQ(bitmap.GetPixel(0, 0), kTransparent);
    std::vector<std::vector<COLORREF>> images(kImages);
    for (int n = 0; n < kImages; ++n) {
        int nDrawn = 0;
        for (int y = 0; y < kImageHeight; ++y) {
            for (int x = 0; x < kImageWidth; ++x) {
                const COLORREF cr = bitmap.GetPixel(n * kImageWidth + x, y);
                images[n].push_back(cr);
                if (cr != kTransparent) ++nDrawn;
            }
        }
        // Something to see, and some background round it.
        EXPECT_GT(nDrawn, 20) << "image " << n;
        EXPECT_LT(nDrawn, kImageWidth * kImageHeight) << "image " << n;
    }
    for (int a = 0; a < kImages; ++a)
        for (int b = a + 1; b < kImages; ++b)
            EXPECT_NE(images[a], images[b]) << "images " << a << " and " << b;
}

}  // namespace
