// The clipboard against Qt's own (the offscreen platform keeps it in the process): what our
// calls put there is read back through QClipboard and QMimeData directly, and what is put
// there through Qt, as another program would, is read through our calls.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "canvas.h"
#include "platform/file_dialog.h"
#include "platform/wnd.h"

namespace {

// GBK bytes of the characters used here, from the GB2312 table.
constexpr char kZhongWen[] = "\xD6\xD0\xCE\xC4";  // 中文
constexpr char kJiaGe[] = "\xBC\xDB\xB8\xF1";     // 价格
constexpr char kCu[] = "\xB4\xD6";                // 粗

QClipboard* Qt() {
    return QGuiApplication::clipboard();
}

HGLOBAL BlockOf(const std::string& bytes, bool bTerminate) {
    HGLOBAL hMem = GlobalAlloc(GHND, bytes.size() + (bTerminate ? 1 : 0));
    if (hMem == nullptr) return nullptr;
    void* p = GlobalLock(hMem);
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(hMem);
    return hMem;
}

std::string BytesOf(HANDLE hData) {
    auto* hMem = static_cast<HGLOBAL>(hData);
    const auto* p = static_cast<const char*>(GlobalLock(hMem));
    std::string bytes = p != nullptr ? std::string(p, GlobalSize(hMem)) : std::string();
    GlobalUnlock(hMem);
    return bytes;
}

// Puts bytes on the clipboard in one format through our calls, emptying it first.
void Put(UINT nFormat, const std::string& bytes, bool bTerminate = true) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    HGLOBAL hMem = BlockOf(bytes, bTerminate);
    EXPECT_EQ(SetClipboardData(nFormat, hMem), hMem);
    EXPECT_TRUE(CloseClipboard());
}

// The bytes of a format read through our calls ("<none>" when absent).
std::string Get(UINT nFormat) {
    if (!OpenClipboard(nullptr)) return "<not opened>";
    HANDLE hData = GetClipboardData(nFormat);
    std::string bytes = hData != nullptr ? BytesOf(hData) : "<none>";
    CloseClipboard();
    return bytes;
}

class ClipboardTest : public testing::Test {
  protected:
    void SetUp() override { Qt()->clear(); }
    void TearDown() override {
        CloseClipboard();  // a failed assertion may have left it open
        Qt()->clear();
    }
};

TEST_F(ClipboardTest, OneOpenerAtATimeAndNothingWorksWhileClosed) {
    EXPECT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());

    Qt()->setText("there");
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    HGLOBAL hMem = BlockOf("abc", true);
    EXPECT_EQ(SetClipboardData(CF_TEXT, hMem), nullptr);
    // Refused data stay the caller's: the block is still alive and freed here.
    EXPECT_EQ(GlobalSize(hMem), 4u);
    EXPECT_EQ(GlobalFree(hMem), nullptr);
    EXPECT_EQ(Qt()->text(), "there");
    // Whether a format is there can be asked without opening, as on Windows.
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(ClipboardTest, UnknownFormatsAndBadHandlesAreRefused) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL hMem = BlockOf("x", true);
    EXPECT_EQ(SetClipboardData(0xBEEF, hMem), nullptr);  // never registered
    EXPECT_EQ(SetClipboardData(0xFFFF, hMem), nullptr);
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
    GlobalBlock* pBogus = reinterpret_cast<GlobalBlock*>(&hMem);
    EXPECT_EQ(SetClipboardData(CF_TEXT, pBogus), nullptr);
    EXPECT_EQ(GetClipboardData(0xBEEF), nullptr);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(GlobalFree(hMem), nullptr);
    EXPECT_FALSE(IsClipboardFormatAvailable(0xBEEF));
}

TEST_F(ClipboardTest, GlobalBlocksAreZeroFilledSizedAndCheckedOnUse) {
    EXPECT_EQ(GlobalAlloc(GHND, 0), nullptr);
    EXPECT_EQ(GlobalAlloc(GHND, static_cast<std::size_t>(-1)), nullptr);
    HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE, 5);
    ASSERT_NE(hMem, nullptr);
    EXPECT_EQ(GlobalSize(hMem), 5u);
    auto* p = static_cast<unsigned char*>(GlobalLock(hMem));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(p, p + 5), std::vector<unsigned char>(5, 0));
    EXPECT_EQ(GlobalLock(hMem), p);   // locked twice
    EXPECT_TRUE(GlobalUnlock(hMem));  // still locked once
    EXPECT_FALSE(GlobalUnlock(hMem));
    EXPECT_EQ(GlobalFree(hMem), nullptr);
    // A freed handle, or something that never was one, is no block.
    HGLOBAL pBogus = reinterpret_cast<GlobalBlock*>(&p);
    EXPECT_EQ(GlobalLock(pBogus), nullptr);
    EXPECT_EQ(GlobalSize(pBogus), 0u);
    EXPECT_EQ(GlobalFree(pBogus), pBogus);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST_F(ClipboardTest, TextGoesOutAsUnicodeAndComesBackAsGbk) {
    // Up to the first zero byte; line ends as they are.
    std::string gbk = std::string(kZhongWen) + " ab\r\ncd";
    Put(CF_TEXT, gbk + std::string("\0tail", 5));
    EXPECT_EQ(Qt()->text(), QString::fromUtf8("中文 ab\r\ncd"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HTML));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(Get(CF_TEXT), gbk + '\0');

    // A block with no zero byte at all is taken whole.
    Put(CF_TEXT, "whole", false);
    EXPECT_EQ(Qt()->text(), "whole");
}

TEST_F(ClipboardTest, AnotherProgramsTextLosesWhatGbkCannotHold) {
    // An emoji and Hangul have no GBK code; a question mark of the text itself stays.
    Qt()->setText(QString::fromUtf8("价😀格 한x?\n"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(Get(CF_TEXT), std::string(kJiaGe) + " x?\n" + '\0');
    Qt()->setText(QString::fromUtf8("中文"));
    EXPECT_EQ(Get(CF_TEXT), std::string(kZhongWen) + '\0');
    // A zero character would end the text: it goes, and the text after it stays.
    Qt()->setText(QString::fromUtf8("a") + QChar(u'\0') + QString::fromUtf8("b\r\n"));
    EXPECT_EQ(Get(CF_TEXT), std::string("ab\r\n") + '\0');
    Qt()->clear();
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(Get(CF_TEXT), "<none>");
}

TEST_F(ClipboardTest, ReadDataStayTheSameWhileOpen) {
    Qt()->setText("same");
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE hFirst = GetClipboardData(CF_TEXT);
    ASSERT_NE(hFirst, nullptr);
    EXPECT_EQ(GetClipboardData(CF_TEXT), hFirst);
    EXPECT_EQ(BytesOf(hFirst), std::string("same") + '\0');
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, HtmlRoundTrip) {
    const std::string html = std::string("<b>") + kCu + "</b> &amp; <i>x</i>";
    Put(CF_HTML, html);
    const QMimeData* pData = Qt()->mimeData();
    ASSERT_NE(pData, nullptr);
    EXPECT_TRUE(pData->hasHtml());
    EXPECT_EQ(pData->html(), QString::fromUtf8("<b>粗</b> &amp; <i>x</i>"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HTML));
    EXPECT_EQ(Get(CF_HTML), html + '\0');

    // HTML another program put there.
    auto* pOther = new QMimeData;
    pOther->setHtml(QString::fromUtf8("<p>中文</p>"));
    Qt()->setMimeData(pOther);
    EXPECT_EQ(Get(CF_HTML), std::string("<p>") + kZhongWen + "</p>" + '\0');
}

TEST_F(ClipboardTest, PrivateFormatTravelsUnderItsExactNameWithItsBytes) {
    const UINT nFormat = RegisterClipboardFormat("Tessel Test Format");
    ASSERT_GE(nFormat, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat("TESSEL test FORMAT"), nFormat);
    const std::string bytes("\x01\x00\xFF\x7F\x00", 5);
    Put(nFormat, bytes, false);
    const QMimeData* pData = Qt()->mimeData();
    ASSERT_NE(pData, nullptr);
    EXPECT_TRUE(pData->hasFormat("Tessel Test Format"));
    EXPECT_FALSE(pData->hasFormat("application/x-tessel-format-tessel test format"));
    EXPECT_EQ(pData->data("Tessel Test Format"), QByteArray(bytes.data(), 5));
    EXPECT_FALSE(pData->hasText());
    EXPECT_TRUE(IsClipboardFormatAvailable(nFormat));
    EXPECT_EQ(Get(nFormat), bytes);  // GlobalSize is the byte count, nothing added

    // Bytes another program offered under that name.
    auto* pOther = new QMimeData;
    pOther->setData("Tessel Test Format", QByteArray("abc"));
    Qt()->setMimeData(pOther);
    EXPECT_EQ(Get(nFormat), "abc");
    EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormat("another format")));
}

TEST_F(ClipboardTest, SeveralFormatsGoOutTogetherWhenClosed) {
    const UINT nFormat = RegisterClipboardFormat("super text edit");
    Qt()->setText("before");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_NE(SetClipboardData(nFormat, BlockOf("list", false)), nullptr);
    EXPECT_NE(SetClipboardData(CF_TEXT, BlockOf("after", true)), nullptr);
    // Not visible before the close: reads see what was there.
    EXPECT_EQ(Qt()->text(), "before");
    EXPECT_FALSE(IsClipboardFormatAvailable(nFormat));
    EXPECT_EQ(BytesOf(GetClipboardData(CF_TEXT)), std::string("before") + '\0');
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(Qt()->text(), "after");
    EXPECT_EQ(Qt()->mimeData()->data("super text edit"), QByteArray("list"));
}

TEST_F(ClipboardTest, EmptyingAloneClearsAndSettingAloneKeepsTheRest) {
    Qt()->setText("gone");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_TRUE(CloseClipboard());
    const QMimeData* pData = Qt()->mimeData();  // null once cleared
    EXPECT_TRUE(pData == nullptr || !pData->hasText());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));

    // Opening and closing without a change leaves the content alone.
    Qt()->setText("kept");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(Qt()->text(), "kept");

    // Setting without emptying adds to what is there.
    const UINT nFormat = RegisterClipboardFormat("added format");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_NE(SetClipboardData(nFormat, BlockOf("added", false)), nullptr);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(Qt()->text(), "kept");
    EXPECT_EQ(Qt()->mimeData()->data("added format"), QByteArray("added"));
}

TEST_F(ClipboardTest, BitmapIsCopiedOutAndReadBackAsANewBitmap) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(3, 2));
    bitmap.SetPixel(0, 0, RGB(255, 0, 0));
    bitmap.SetPixel(2, 0, RGB(0, 0, 255));
    bitmap.SetPixel(1, 1, RGB(10, 20, 30));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_EQ(SetClipboardData(CF_BITMAP, &bitmap), &bitmap);
    EXPECT_TRUE(CloseClipboard());
    // The caller keeps its bitmap; changing it afterwards changes nothing on the clipboard.
    ASSERT_TRUE(bitmap.IsValid());
    bitmap.SetPixel(0, 0, RGB(0, 255, 0));

    const QImage image = Qt()->image();
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(image.pixel(1, 0)), QColor(255, 255, 255));
    EXPECT_EQ(QColor(image.pixel(2, 0)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(image.pixel(1, 1)), QColor(10, 20, 30));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));

    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* pRead = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(pRead, nullptr);
    EXPECT_NE(pRead, &bitmap);
    EXPECT_EQ(pRead->GetSize(), CSize(3, 2));
    EXPECT_EQ(pRead->GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(pRead->GetPixel(1, 1), RGB(10, 20, 30));
    EXPECT_EQ(pRead->GetPixel(0, 1), RGB(255, 255, 255));
    EXPECT_TRUE(CloseClipboard());

    // A bitmap that is not made refuses.
    CBitmap empty;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(SetClipboardData(CF_BITMAP, &empty), nullptr);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, AnotherProgramsImageIsShownOnWhiteWhereTransparent) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 128, 0, 255));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0));
    Qt()->setImage(image);
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* pRead = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(pRead, nullptr);
    EXPECT_EQ(GetClipboardData(CF_BITMAP), pRead);
    EXPECT_EQ(pRead->GetPixel(0, 0), RGB(0, 128, 0));
    EXPECT_EQ(pRead->GetPixel(1, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    EXPECT_TRUE(CloseClipboard());

    // An image wider than any bitmap the clipboard takes is not there to be read.
    QImage wide(16385, 1, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(wide);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);
    EXPECT_TRUE(CloseClipboard());
}

// The file dialogs the editor opens beside its clipboard commands (saving a picture, choosing
// one), answered as a test answers them.
class FileDialogTest : public testing::Test {
  protected:
    void TearDown() override { tessel::platform::SetFileDialogAnswerer(nullptr); }

    // Runs a dialog answered with answer; the path chosen, or "<cancel>".
    static std::string Run(CFileDialog& dialog, std::optional<std::string> answer) {
        tessel::platform::SetFileDialogAnswerer([answer](const CFileDialog&) { return answer; });
        return dialog.DoModal() == IDOK ? dialog.GetPathName() : "<cancel>";
    }
};

TEST_F(FileDialogTest, TheAnswererSeesTheDialogAsSetUp) {
    CFileDialog dialog(FALSE, "bmp", "picture", OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                       "Bitmaps (*.bmp)|*.bmp|All files|*.*|");
    bool bAsked = false;
    tessel::platform::SetFileDialogAnswerer([&](const CFileDialog& asked) {
        bAsked = true;
        EXPECT_EQ(&asked, &dialog);
        EXPECT_FALSE(asked.IsOpenDialog());
        EXPECT_EQ(asked.DefaultExtension(), "bmp");
        EXPECT_EQ(asked.InitialFileName(), "picture");
        EXPECT_EQ(asked.Flags(), OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
        EXPECT_EQ(asked.Filter(), "Bitmaps (*.bmp)|*.bmp|All files|*.*|");
        return std::optional<std::string>("/data/out.bmp");
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(bAsked);
    EXPECT_EQ(dialog.GetPathName(), "/data/out.bmp");
    EXPECT_EQ(dialog.GetFileName(), "out.bmp");
}

TEST_F(FileDialogTest, RelativeAnswersStartAtTheCurrentDirectory) {
    const std::string strCurrent = std::filesystem::current_path().string();
    ASSERT_EQ(strCurrent.find_first_not_of(
                  "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/_.-"),
              std::string::npos)
        << "the expected paths below assume an ASCII current directory";
    CFileDialog dialog(TRUE);
    EXPECT_EQ(Run(dialog, "sub/b.txt"), strCurrent + "/sub/b.txt");
    EXPECT_EQ(dialog.GetFileName(), "b.txt");
    EXPECT_EQ(Run(dialog, "./c.txt"), strCurrent + "/c.txt");
}

TEST_F(FileDialogTest, SavingAddsTheDefaultExtensionToANameWithoutOne) {
    CFileDialog save(FALSE, "bmp");
    EXPECT_EQ(Run(save, "/d/pic"), "/d/pic.bmp");
    EXPECT_EQ(Run(save, "/d/pic.png"), "/d/pic.png");
    EXPECT_EQ(Run(save, "/d.x/pic"), "/d.x/pic.bmp");  // a dot in a folder is no extension
    CFileDialog pattern(FALSE, "*.fml");
    EXPECT_EQ(Run(pattern, "/d/f"), "/d/f.fml");
    CFileDialog open(TRUE, "bmp");
    EXPECT_EQ(Run(open, "/d/pic"), "/d/pic");
    CFileDialog none(FALSE);
    EXPECT_EQ(Run(none, "/d/pic"), "/d/pic");
}

TEST_F(FileDialogTest, GbkNamesAreKeptAndCancelChoosesNothing) {
    CFileDialog dialog(FALSE, "bmp");
    // 图 in GBK; the extension is added after it.
    EXPECT_EQ(Run(dialog, "/d/\xCD\xBC"), "/d/\xCD\xBC.bmp");
    EXPECT_EQ(dialog.GetFileName(), "\xCD\xBC.bmp");
    EXPECT_EQ(Run(dialog, std::nullopt), "<cancel>");
    EXPECT_EQ(dialog.GetPathName(), "");
    EXPECT_EQ(Run(dialog, ""), "<cancel>");

    // No answerer and no screen to show a dialog on: cancelled, without waiting.
    tessel::platform::SetFileDialogAnswerer(nullptr);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetPathName(), "");
}

}  // namespace
