// Pictures loaded by file name and drawn through a device context, as the editor does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "image_magick.h"
#include "imaging/list_pictures.h"
#include "imaging/picture.h"
#include "markup/word_analyzer.h"
#include "platform/application.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A 24-bit BMP of one colour; nCutAt, when given, cuts the file short.
Bytes SolidBmp(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    int nStride = (w * 3 + 3) / 4 * 4;
    Bytes f{'B', 'M'};
    Put32(f, 54 + nStride * h);
    Put32(f, 0);
    Put32(f, 54);
    for (std::uint32_t v : {40u, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)})
        Put32(f, v);
    Put16(f, 1);
    Put16(f, 24);
    for (int i = 0; i < 6; ++i)
        Put32(f, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            f.insert(f.end(), {b, g, r});
        f.resize(f.size() + nStride - w * 3, 0);
    }
    return f;
}

// A 32 x 32, 16-colour icon: palette entry 1 is red; the left half is opaque red, the right
// half transparent.
Bytes HalfIcon() {
    Bytes f{0, 0, 1, 0, 1, 0, 32, 32, 16, 0, 1, 0, 4, 0};  // directory and its one entry
    Put32(f, 40 + 64 + 512 + 128);
    Put32(f, 22);
    f.resize(22 + 40, 0);
    for (int i = 0; i < 16; ++i)
        f.insert(f.end(), {0, 0, static_cast<std::uint8_t>(i ? 255 : 0), 0});
    for (int row = 0; row < 32; ++row)
        for (int i = 0; i < 16; ++i)
            f.push_back(i < 8 ? 0x11 : 0x00);
    for (int row = 0; row < 32; ++row)
        f.insert(f.end(), {0x00, 0x00, 0xFF, 0xFF});
    return f;
}

class PictureTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("tessel-picture-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "Image");
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Write(const std::string& name, const Bytes& bytes) {
        fs::path p = m_dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return p.string();
    }
    // Draws the picture at (2, 2) on a white 40 x 40 bitmap and returns the bitmap.
    static void DrawOnWhite(const CPicture& pic, CBitmap& bmp) {
        CDC mem;
        ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
        ASSERT_TRUE(bmp.CreateBitmap(40, 40));
        CBitmap* pOld = mem.SelectObject(&bmp);
        mem.PatBlt(0, 0, 40, 40, WHITENESS);
        pic.Draw(&mem, 2, 2);
        mem.SelectObject(pOld);
    }
    fs::path m_dir;
};

TEST_F(PictureTest, ExtensionChoosesTheReaderWhateverItsCase) {
    CPicture fresh;
    EXPECT_EQ(fresh.GetKind(), CPicture::kDib);
    EXPECT_FALSE(fresh.IsLoaded());
    EXPECT_EQ(fresh.GetWidth(), 0);
    EXPECT_EQ(CPicture::KindOfExtension(".BMP"), CPicture::kBmp);
    EXPECT_EQ(CPicture::KindOfExtension(".Gif"), CPicture::kGif);
    EXPECT_EQ(CPicture::KindOfExtension(".jpeg"), CPicture::kOther);
    // Every other format goes through the imaging library (loaded in EveryListedFormat).
    EXPECT_EQ(CPicture::KindOfExtension(".png"), CPicture::kOther);

    std::string path = Write("Image/Red.BMP", SolidBmp(5, 3, 255, 0, 0));
    CPicture pic;
    ASSERT_TRUE(pic.Load(path.c_str()));
    EXPECT_EQ(pic.GetKind(), CPicture::kBmp);
    EXPECT_EQ(pic.GetWidth(), 5);
    EXPECT_EQ(pic.GetHeight(), 3);
    CBitmap bmp;
    DrawOnWhite(pic, bmp);
    EXPECT_EQ(bmp.GetPixel(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(bmp.GetPixel(6, 4), RGB(255, 0, 0));
    EXPECT_EQ(bmp.GetPixel(7, 2), RGB(255, 255, 255));
}

TEST_F(PictureTest, WindowsStyleNamesFindTheFile) {
    Write("Image/pic.bmp", SolidBmp(2, 2, 0, 0, 255));
    fs::path old = fs::current_path();
    fs::current_path(m_dir);
    CPicture pic;
    int bLoaded = pic.Load("IMAGE\\PIC.BMP");
    fs::current_path(old);
    EXPECT_TRUE(bLoaded);
}

TEST_F(PictureTest, BrokenFilesFailAndDrawNothing) {
    Bytes bmp = SolidBmp(8, 8, 0, 255, 0);
    bmp.resize(60);
    CPicture pic;
    EXPECT_FALSE(pic.Load(Write("short.bmp", bmp).c_str()));
    EXPECT_FALSE(pic.Load(Write("not-a.jpg", Bytes(100, 7)).c_str()));
    EXPECT_FALSE(pic.Load((m_dir / "missing.gif").string().c_str()));
    EXPECT_EQ(pic.GetWidth(), 0);
    CBitmap out;
    DrawOnWhite(pic, out);
    EXPECT_EQ(out.GetPixel(5, 5), RGB(255, 255, 255));
}

TEST_F(PictureTest, AnIconsMaskLeavesTheBackgroundShowing) {
    CPicture pic;
    ASSERT_TRUE(pic.Load(Write("half.ico", HalfIcon()).c_str()));
    EXPECT_EQ(pic.GetWidth(), 32);
    EXPECT_EQ(pic.GetNumColors(), 16);
    CBitmap bmp;
    DrawOnWhite(pic, bmp);
    EXPECT_EQ(bmp.GetPixel(2 + 4, 2 + 10), RGB(255, 0, 0));       // opaque half
    EXPECT_EQ(bmp.GetPixel(2 + 24, 2 + 10), RGB(255, 255, 255));  // transparent half
}

// A listed format: convert's name for it, the file's extension (which chooses Tessel's reader)
// and how far a lossy format may shift a colour.
struct Format {
    const char* szMagick;
    const char* szExt;
    int nTolerance;
};
void PrintTo(const Format& f, std::ostream* pOut) {
    *pOut << f.szMagick << " in a " << f.szExt;
}
class EveryListedFormat : public PictureTest, public ::testing::WithParamInterface<Format> {};

// Each format loads from a file that ImageMagick's convert wrote, never from the library that
// reads it (GraphicsMagick for all but Tessel's own BMP, GIF and PSD decoders), and draws the
// blocks convert was asked to draw: mirrored, flipped or swapped rows or channels show.
TEST_P(EveryListedFormat, LoadsAndDrawsWhatImageMagickDrew) {
    namespace magick = tessel::imaging::test;
    const Format& f = GetParam();
    if (!magick::HaveImageMagick()) GTEST_SKIP() << magick::kNoImageMagick;
    if (!magick::ImageMagickWrites(f.szMagick))
        GTEST_SKIP() << "ImageMagick's convert here does not write " << f.szMagick
                     << " (\"convert -list format\"), so there is no file of it to load";
    const magick::Rgb plum{0xc8, 0x28, 0x5a}, teal{0x28, 0x8c, 0x82}, sand{0xdc, 0xbe, 0x78};
    const magick::BlockPicture blocks{{{8, {{plum, 8}, {teal, 8}}}, {4, {{sand, 16}}}}};
    std::vector<std::string> args = blocks.Args();
    // Quality 90 keeps WebP lossy (100 is lossless). ImageMagick 6 stores a TGA's rows top
    // first whatever origin it records, bottom left unless told: TopLeft makes them agree.
    args.insert(args.end(), {"-depth", "8", "-quality", "90", "-orient", "TopLeft"});
    const fs::path path = m_dir / (std::string("picture") + f.szExt);
    ASSERT_FALSE(magick::ConvertTo(args, path, std::string(f.szMagick) + ":").empty());
    CPicture pic;
    ASSERT_TRUE(pic.Load(path.string().c_str()));
    ASSERT_EQ(pic.GetWidth(), 16);
    ASSERT_EQ(pic.GetHeight(), 12);
    CBitmap bmp;
    DrawOnWhite(pic, bmp);
    // Lossy formats blur the edges between blocks: their pixels are checked 3 away from them.
    auto nearEdge = [&](int x, int y) {
        for (int d = -3; d <= 3; ++d) {
            if (blocks.At(std::clamp(x + d, 0, 15), y) != blocks.At(x, y) ||
                blocks.At(x, std::clamp(y + d, 0, 11)) != blocks.At(x, y))
                return true;
        }
        return false;
    };
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (f.nTolerance > 0 && nearEdge(x, y)) continue;
            const COLORREF cr = bmp.GetPixel(2 + x, 2 + y);
            const magick::Rgb got{GetRValue(cr), GetGValue(cr), GetBValue(cr)};
            const magick::Rgb want = blocks.At(x, y);
            ASSERT_LE(std::max({std::abs(got.r - want.r), std::abs(got.g - want.g),
                                std::abs(got.b - want.b)}),
                      f.nTolerance)
                << "at " << x << "," << y << ": " << got.Arg() << " for " << want.Arg();
        }
    }
    EXPECT_EQ(bmp.GetPixel(2 + 16, 2 + 5), RGB(255, 255, 255));
    EXPECT_EQ(bmp.GetPixel(2 + 5, 2 + 12), RGB(255, 255, 255));
}
INSTANTIATE_TEST_SUITE_P(PictureTest, EveryListedFormat,
                         ::testing::Values(Format{"JPEG", ".jpg", 12}, Format{"JPEG", ".JPEG", 12},
                                           Format{"PNG", ".png", 0}, Format{"PCX", ".pcx", 0},
                                           Format{"TIFF", ".tif", 0}, Format{"TIFF", ".tiff", 0},
                                           Format{"TGA", ".tga", 0}, Format{"WEBP", ".webp", 12},
                                           Format{"PSD", ".psd", 0}, Format{"BMP", ".bmp", 0},
                                           Format{"GIF", ".gif", 0}),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             return std::string(info.param.szExt + 1);
                         });

// Photoshop files, by their extension or by their signature under another external
// format's name, and OS/2 bitmaps are read by Tessel's own decoders and drawn as bitmaps.
TEST_F(PictureTest, PhotoshopFilesAndOs2BitmapsWrittenByImageMagick) {
    namespace magick = tessel::imaging::test;
    if (!magick::HaveImageMagick()) GTEST_SKIP() << magick::kNoImageMagick;
    const magick::Rgb blue{0x33, 0x66, 0x99}, rust{0xcc, 0x33, 0x00};
    const magick::BlockPicture blocks{{{3, {{blue, 4}, {rust, 3}}}, {2, {{rust, 7}}}}};
    auto expectBlocks = [&](const CPicture& pic) {
        EXPECT_EQ(pic.GetWidth(), 7);
        EXPECT_EQ(pic.GetHeight(), 5);
        CBitmap bmp;
        DrawOnWhite(pic, bmp);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(bmp.GetPixel(2 + x, 2 + y), blocks.At(x, y).ColourRef()) << x << "," << y;
        }
        EXPECT_EQ(bmp.GetPixel(9, 4), RGB(255, 255, 255));
        EXPECT_EQ(bmp.GetPixel(4, 7), RGB(255, 255, 255));
    };
    auto write = [&](std::vector<std::string> options, const char* szName,
                     const std::string& strFormat = "") {
        std::vector<std::string> args = blocks.Args();
        args.insert(args.end(), options.begin(), options.end());
        return magick::ConvertTo(args, m_dir / szName, strFormat);
    };

    Bytes indexed = write({"-type", "Palette", "-depth", "8", "-compress", "RLE"}, "pal.psd");
    {
        SCOPED_TRACE("indexed .psd");
        CPicture pic;
        CPalette palette;
        ASSERT_TRUE(pic.Load((m_dir / "pal.psd").string().c_str(), &palette));
        EXPECT_EQ(pic.GetKind(), CPicture::kPsd);
        EXPECT_EQ(pic.GetNumColors(), 256);
        EXPECT_EQ(palette.GetEntryCount(), 256);
        expectBlocks(pic);
    }
    {
        SCOPED_TRACE("indexed, named .tif");
        CPicture pic;
        ASSERT_TRUE(pic.Load(Write("pal.tif", indexed).c_str()));
        EXPECT_EQ(pic.GetKind(), CPicture::kTif);
        expectBlocks(pic);
    }
    {
        SCOPED_TRACE("rgb 16 bits, .PSD");
        write({"-depth", "16", "-compress", "RLE"}, "deep.PSD");
        CPicture pic;
        ASSERT_TRUE(pic.Load((m_dir / "deep.PSD").string().c_str()));
        EXPECT_EQ(pic.GetNumColors(), 0);
        expectBlocks(pic);
    }
    {
        SCOPED_TRACE("OS/2 bitmap");
        Bytes bmp = write({"-type", "Palette"}, "old.bmp", "BMP2:");
        ASSERT_GT(bmp.size(), 14u);
        ASSERT_EQ(bmp[14], 12);  // the core header
        CPicture pic;
        ASSERT_TRUE(pic.Load((m_dir / "old.bmp").string().c_str()));
        EXPECT_EQ(pic.GetNumColors(), 2);
        expectBlocks(pic);
    }

    // A cut Photoshop file, and a ".psd" that is not one, fail and draw nothing.
    CBitmap src;
    ASSERT_TRUE(src.CreateBitmap(7, 5));
    ASSERT_TRUE(src.SavePng((m_dir / "png.psd").string()));
    for (std::string path : {Write("cut.psd", Bytes(indexed.begin(), indexed.end() - 9)),
                             Write("cut.tga", Bytes(indexed.begin(), indexed.end() - 9)),
                             (m_dir / "png.psd").string()}) {
        SCOPED_TRACE(path);
        CPicture pic;
        EXPECT_FALSE(pic.Load(path.c_str()));
        EXPECT_EQ(pic.GetWidth(), 0);
        CBitmap out;
        DrawOnWhite(pic, out);
        EXPECT_EQ(out.GetPixel(4, 4), RGB(255, 255, 255));
    }
}

}  // namespace

namespace {

// The pictures of a page load relative to the project directory, and the published page
// gives each image its loaded size, scaled.
TEST_F(PictureTest, PagePicturesLoadFromTheProjectAndSizeTheirImages) {
    Write("Image/pic.bmp", SolidBmp(30, 21, 0, 0, 255));
    const char* szPage =
        "<HotLink(0,'P')><Image('IMAGE\\PIC.BMP',1,50)></HotLink>"
        "<HotLink(30,'http://x/')><Image('Image\\none.bmp',0,100)></HotLink>"
        "<Image('image\\pic.bmp',0,200)>";
    const CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(szPage, &list);
    std::vector<int> missing;
    EXPECT_EQ(tessel::imaging::LoadListPictures(list, m_dir.string(), &missing), 1);
    EXPECT_EQ(missing, std::vector<int>{1});
    std::string html;
    analyzer.CodeGeneration(html, &list, 1);
    EXPECT_EQ(html,
              "<a Href=\"P.htm\"><Img SRC=\"IMAGE\\PIC.BMP\" width=\"15\" height=\"10\" "
              "alt=\"IMAGE\\PIC.BMP\"></a>"
              "<Img SRC=\"image\\pic.bmp\" width=\"60\" height=\"42\" alt=\"image\\pic.bmp\">");
    // Pictures already held are kept; only the missing one is tried again.
    CLink* pFirst = (list.First(), list.GetCurr());
    CPicture* pHeld = pFirst->m_pPicture;
    EXPECT_EQ(tessel::imaging::LoadListPictures(list, m_dir.string()), 1);
    EXPECT_EQ(pFirst->m_pPicture.get(), pHeld);
}

}  // namespace
