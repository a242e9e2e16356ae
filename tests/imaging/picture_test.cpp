// Pictures loaded by file name and drawn through a device context, as the editor does.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <magick/api.h>

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

// A 6 x 4 picture of one colour in the given format, written by the imaging library.
// Formats the library writes only to files (PSD) go through the scratch file.
Bytes LibraryPicture(const char* szMagick, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                     const std::string& strScratch) {
    static const bool bReady = (InitializeMagick(nullptr), true);
    (void)bReady;
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < 6 * 4; ++i)
        rgb.insert(rgb.end(), {r, g, b});
    ExceptionInfo exception;
    GetExceptionInfo(&exception);
    Image* pImage = ConstituteImage(6, 4, "RGB", CharPixel, rgb.data(), &exception);
    Bytes out;
    if (pImage) {
        ImageInfo* pInfo = CloneImageInfo(nullptr);
        const bool bToFile = std::string_view(szMagick) == "PSD";
        if (!bToFile) {  // a file's format follows from its name
            std::snprintf(pImage->magick, sizeof pImage->magick, "%s", szMagick);
            std::snprintf(pInfo->magick, sizeof pInfo->magick, "%s", szMagick);
        }
        pInfo->quality = 100;
        size_t nLength = 0;
        if (bToFile) {
            std::string strName = strScratch + ".psd";
            std::snprintf(pImage->filename, sizeof pImage->filename, "%s", strName.c_str());
            std::snprintf(pInfo->filename, sizeof pInfo->filename, "%s", strName.c_str());
            if (WriteImage(pInfo, pImage)) {
                std::ifstream in(strName, std::ios::binary);
                out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
        } else if (void* pBlob = ImageToBlob(pInfo, pImage, &nLength, &exception)) {
            out.assign(static_cast<std::uint8_t*>(pBlob),
                       static_cast<std::uint8_t*>(pBlob) + nLength);
            MagickFree(pBlob);
        }
        DestroyImageInfo(pInfo);
        DestroyImage(pImage);
    }
    DestroyExceptionInfo(&exception);
    return out;
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

TEST_F(PictureTest, EveryListedFormatLoadsAndDraws) {
    struct Case {
        const char* szMagick;
        const char* szName;
        int nTolerance;  // lossy formats may shift a colour a little
    };
    for (Case c : {Case{"JPEG", "a.jpg", 12}, Case{"JPEG", "b.JPEG", 12}, Case{"PNG", "c.png", 0},
                   Case{"PCX", "d.pcx", 0}, Case{"TIFF", "e.tif", 0}, Case{"TIFF", "f.tiff", 0},
                   Case{"TGA", "g.tga", 0}, Case{"PSD", "h.psd", 0}, Case{"WEBP", "i.webp", 12}}) {
        SCOPED_TRACE(c.szName);
        Bytes bytes = LibraryPicture(c.szMagick, 200, 40, 90, (m_dir / "scratch").string());
        ASSERT_FALSE(bytes.empty());
        CPicture pic;
        ASSERT_TRUE(pic.Load(Write(c.szName, bytes).c_str()));
        EXPECT_EQ(pic.GetWidth(), 6);
        EXPECT_EQ(pic.GetHeight(), 4);
        CBitmap bmp;
        DrawOnWhite(pic, bmp);
        COLORREF cr = bmp.GetPixel(4, 4);
        EXPECT_NEAR(GetRValue(cr), 200, c.nTolerance);
        EXPECT_NEAR(GetGValue(cr), 40, c.nTolerance);
        EXPECT_NEAR(GetBValue(cr), 90, c.nTolerance);
        EXPECT_EQ(bmp.GetPixel(9, 4), RGB(255, 255, 255));
    }
}

TEST_F(PictureTest, OtherFormatsGoThroughTheImagingLibrary) {
    // A PNG written by the platform, read back by the general reader.
    CBitmap src;
    ASSERT_TRUE(src.CreateBitmap(6, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            src.SetPixel(x, y, RGB(0, 128, 255));
    std::string path = (m_dir / "Image" / "Sky.png").string();
    ASSERT_TRUE(src.SavePng(path));
    CPicture pic;
    ASSERT_TRUE(pic.Load(path.c_str()));
    EXPECT_EQ(pic.GetKind(), CPicture::kOther);
    EXPECT_EQ(pic.GetWidth(), 6);
    EXPECT_EQ(pic.GetHeight(), 4);
    CBitmap bmp;
    DrawOnWhite(pic, bmp);
    EXPECT_EQ(bmp.GetPixel(3, 3), RGB(0, 128, 255));
    EXPECT_EQ(bmp.GetPixel(8, 3), RGB(255, 255, 255));
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
