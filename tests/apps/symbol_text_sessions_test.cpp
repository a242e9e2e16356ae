// Text from outside the keyboard, played as a user brings it in: symbols double-clicked in the
// Insert Symbol window, and text files imported through the file dialog or by the host. The
// symbols expected are the characters of each set written here as UTF-8; the text files are
// written in GBK by the C library's iconv, a converter of its own.

#include <gtest/gtest.h>

#include <iconv.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_dialog.h"
#include "session_fixture.h"
#include "widgets/edit_commands.h"
#include "widgets/symbol_window.h"

namespace {

// UTF-8 converted to GBK by iconv.
std::string IconvGbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
    char* pIn = in.data();
    char* pOut = out.data();
    size_t nIn = in.size(), nOut = out.size();
    EXPECT_NE(iconv(cd, &pIn, &nIn, &pOut, &nOut), static_cast<size_t>(-1)) << utf8;
    iconv_close(cd);
    out.resize(out.size() - nOut);
    return out;
}

// The text of the page's Text elements, in order (GBK).
std::string PageText(CTesselEdit& editor) {
    std::string text;
    for (const CLink* p = editor.m_pList->FirstLink(); p; p = p->m_pNext)
        if (p->m_nKind == kKindText) text += p->m_Command[0].strText;
    return text;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

class SymbolTextSessionTest : public SessionFixture {
  protected:
    SymbolTextSessionTest() : SessionFixture("tessel-symbol-text-", {.bNoReports = true}) {}
    std::string Write(const std::string& strName, const std::string& bytes) {
        const std::string strPath = (Dir() / strName).string();
        std::ofstream(strPath, std::ios::binary) << bytes;
        return strPath;
    }
    // The page's text after the file was imported at the end of "ab" through the command.
    std::string Imported(const std::string& strPath) {
        Open(Arial("ab"));
        Out("key End\nanswer file " + strPath + "\ncommand text\n");
        return PageText(Editor());
    }
};

TEST_F(SymbolTextSessionTest, SymbolsOfEveryTabGoInAtTheCaretInTheCurrentFormat) {
    // The first and the last symbol of each tab, in tab order; then a cell past the last
    // symbol of the last tab, which holds none.
    std::string script = "command symbol\n";
    for (int nTab = 0; nTab < tessel::widgets::kSymbolSets; ++nTab)
        script += "symbol " + std::to_string(nTab) + " 0\nsymbol " + std::to_string(nTab) + " " +
                  std::to_string(tessel::widgets::SymbolCount(nTab) - 1) + "\n";
    script += "symbol 6 26\nsymbol 6 175\n";
    Out(script);
    EXPECT_EQ(PageText(Editor()), IconvGbk("±＞Αω、｝°％⒈Ⅻㄅㄩ§￣"));
    // A new page's format is Arial 28; a full-width backslash and an angle bracket are
    // written with the escape that keeps them text.
    Open("");
    EXPECT_EQ(Out("command symbol\nsymbol 6 22\nsymbol 2 18\nsymbol 2 18\nsymbol 2 18\n"
                  "print markup\n"),
              TextRun("Arial", 28, "\\＼\\〈\\〈\\〈") + "\n");
    // The window stays open through the double clicks; the command hides it, the timer
    // unchecks the Symbol button, and then the window cannot be double-clicked.
    EXPECT_TRUE(g_pSymbolDlg->IsWindowVisible());
    Out("command symbol\nwait 400\n");
    EXPECT_FALSE(g_pSymbolDlg->IsWindowVisible());
    EXPECT_NE(Out("print toolbar\n").find("52768 enabled\n"), std::string::npos);
    EXPECT_EQ(Play("symbol 0 0\n").nExit, 2);
    EXPECT_NE(Out("command symbol\nwait 400\nprint toolbar\n").find("52768 enabled checked\n"),
              std::string::npos);
}

TEST_F(SymbolTextSessionTest, ASymbolTakesTheFormatAndTheSelectionLikeTypedText) {
    Open(Arial("ab"));
    // Bold at the end of the page: the symbol comes in bold.
    EXPECT_EQ(Out("key End\ncheck bold on\ncommand bold\ncommand symbol\nsymbol 1 0\n"
                  "print markup\n"),
              Arial("ab") + Arial("Α", "0,1,0") + "\n");
    // A selection is replaced by the symbol, as by a typed character; one undo step each.
    EXPECT_EQ(Out("command selectall\nsymbol 0 1\nprint markup\n"), Arial("×", "0,1,0") + "\n");
    EXPECT_EQ(Out("command undo\nprint markup\n"), Arial("ab") + Arial("Α", "0,1,0") + "\n");
}

TEST_F(SymbolTextSessionTest, TextFilesInGbkAndUtf8ComeInLineByLine) {
    const std::string utf8 = "第一行 乗\\x\r\n第二行\n\n第三行\r\r";
    const std::string expected = IconvGbk("ab第一行 乗\\x\n第二行\n第三行\n");
    EXPECT_EQ(Imported(Write("gbk.txt", IconvGbk(utf8))), expected);
    EXPECT_EQ(Imported(Write("utf8.txt", utf8)), expected);
    EXPECT_EQ(Imported(Write("bom.txt", "\xEF\xBB\xBF" + utf8)), expected);
    // The import is one step of the history.
    EXPECT_EQ(Out("command undo\nprint markup\n"), Arial("ab") + "\n");

    // At most 3071 bytes come in; for UTF-8 they are counted in GBK.
    const std::string digits = Repeat("0123456789", 500);
    EXPECT_EQ(Imported(Write("long.txt", digits)), "ab" + digits.substr(0, 3071));
    EXPECT_EQ(Imported(Write("long-utf8.txt", Repeat("中", 2000))),
              "ab" + Repeat(IconvGbk("中"), 1535));
    // A binary file comes in up to its first zero byte.
    EXPECT_EQ(Imported(Write("binary.bin", std::string("xy\0\x01\x02", 5))), "abxy");
}

TEST_F(SymbolTextSessionTest, AFileThatGivesNoTextChangesNothing) {
    const std::string strFifo = (Dir() / "fifo").string();
    ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);
    for (const std::string& strPath :
         {Write("empty.txt", ""), Write("zero.txt", std::string("\0ab", 3)),
          (Dir() / "missing.txt").string(), Dir().string(), strFifo}) {
        SCOPED_TRACE(strPath);
        EXPECT_EQ(Imported(strPath), "ab");
        EXPECT_EQ(Out("print dialogs\n"), "");
        EXPECT_FALSE(Editor().CanUndo());
        // The host's own call does the same.
        Editor().OpenFile(strPath);
        EXPECT_EQ(PageText(Editor()), "ab");
    }
    // Cancel in the file dialog imports nothing.
    Open(Arial("ab"));
    Out("answer file cancel\ncommand text\n");
    EXPECT_EQ(PageText(Editor()), "ab");
}

TEST_F(SymbolTextSessionTest, TheFileDialogAsksForTextFilesAndTheHostCallNeedsNone) {
    Open(Arial("ab"));
    const std::string strFile = Write("host.txt", "x\ny");
    CFileDialog* pAsked = nullptr;
    std::string strFilter, strExt;
    tessel::platform::SetFileDialogAnswerer([&](const CFileDialog& dialog) {
        pAsked = const_cast<CFileDialog*>(&dialog);
        strFilter = dialog.Filter();
        strExt = dialog.DefaultExtension();
        EXPECT_TRUE(dialog.IsOpenDialog());
        return std::optional<std::string>(strFile);
    });
    Editor().SendMessage(WM_COMMAND, tessel::commands::kImportText, 0);
    tessel::platform::SetFileDialogAnswerer({});
    ASSERT_NE(pAsked, nullptr);
    EXPECT_EQ(strFilter, "txt Files (*.txt)|*.txt|");
    EXPECT_EQ(strExt, "*.txt");
    // The cursor was at the page's start; the host's call inserts at the cursor too.
    EXPECT_EQ(PageText(Editor()), "x\nyab");
    Editor().OpenFile(strFile);
    EXPECT_EQ(PageText(Editor()), "x\nyx\nyab");
}

}  // namespace
