// The player's clipboard, command and file-dialog actions, in-process: the clipboard filled as
// other programs fill it, the editor's commands sent as its tool bar sends them, file dialogs
// answered from the script. Expected pages follow from the editor's paste rules (the private
// format gives the elements back whole, HTML its runs in the current format, text one run in
// the current format, a bitmap a BMP file at 100 percent) and from typing the same text.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QString>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "editor_host.h"
#include "player.h"
#include "session_fixture.h"

namespace {

namespace fs = std::filesystem;
using tessel::cli::EditorSettings;
using tessel::play::PlayResult;

// A run of text in the editor's starting format (Arial 28, plain, black), as the markup writer
// writes it; Font's flags are italic, bold, underline.
std::string StartRun(const std::string& utf8) {
    return "<Font('Arial',28,0,0,0)><Color(0,0,0)>" + utf8 + "</Color></Font>";
}

class PlayClipboardTest : public SessionFixture {
  protected:
    PlayClipboardTest() : SessionFixture("tessel-play-clipboard-") {}
    void SetUp() override {
        ClearClipboard();
        Open("");
    }
    void TearDown() override {
        SessionFixture::TearDown();
        ClearClipboard();
    }

    // Opens the page (UTF-8 markup) with a new player, in the host's default settings.
    void Open(const std::string& utf8Markup) { OpenWith(EditorSettings{}, utf8Markup); }
    // Every script must run to its end with nothing to report.
    void CheckPlayed(const PlayResult& result) override {
        EXPECT_EQ(result.strError, "");
        EXPECT_TRUE(result.reports.empty()) << result.reports.front();
    }
};

// --- Reading the lines ----------------------------------------------------------------------

// The whole script is read first: a wrong line stops it before anything ran, not even the
// print and the clipboard line before it. The message names the line, the action and the word
// or the rule that is wrong.
TEST_F(PlayClipboardTest, AWrongLineNamesTheLineTheActionAndTheWrongWord) {
    const std::pair<std::string, std::string> cases[] = {
        {"clipboard", "text, bitmap, markup, html or clear"},
        {"clipboard  text a", "text, bitmap, markup, html or clear"},
        {"clipboard image 1 1 FF0000", "\"image\""},
        {"clipboard Text a", "\"Text\""},
        {"clipboard text", "nothing to put"},
        {"clipboard text ", "nothing to put"},
        {"clipboard text \\q", "\\q"},
        {"clipboard text \\r", "\\r"},
        {"clipboard text a\\", "backslash"},
        {"clipboard text a\x01", "U+0001"},
        {"clipboard text \xC0\x80", "UTF-8"},
        {"clipboard bitmap", "W H RRGGBB"},
        {"clipboard bitmap 3 2", "W H RRGGBB"},
        {"clipboard bitmap 3 2 FF0000 1", "W H RRGGBB"},
        {"clipboard bitmap 0 2 FF0000", "\"0\""},
        {"clipboard bitmap 3 4097 FF0000", "\"4097\""},
        {"clipboard bitmap -3 2 FF0000", "\"-3\""},
        {"clipboard bitmap 3 2 FF00", "\"FF00\""},
        {"clipboard bitmap 3 2 FF00000", "\"FF00000\""},
        {"clipboard bitmap 3 2 GG0000", "\"GG0000\""},
        {"clipboard bitmap 3 2 -FFFFF", "\"-FFFFF\""},
        {"clipboard bitmap 3 2 0xFFFF", "\"0xFFFF\""},
        {"clipboard markup", "nothing to put"},
        {"clipboard markup \xFF", "UTF-8"},
        {"clipboard html ", "nothing to put"},
        {"clipboard html <b>\xC3</b>", "UTF-8"},
        {"clipboard clear now", "nothing after it"},
        {"command", "one command"},
        {"command copy paste", "one command"},
        {"command pastee", "\"pastee\""},
        {"command Paste", "\"Paste\""},
        {"command 0", "\"0\""},
        {"command 65536", "\"65536\""},
        {"command 53005x", "\"53005x\""},
        {"command -5", "\"-5\""},
        {"answer", "needs the answer"},
        {"answer file", "path"},
        {"answer file ", "path"},
        {"answer file \xFF", "UTF-8"},
        {"answer cancel now", "nothing may follow"},
        {"answer okay", "\"okay\""},
        {"answer 2009=\"a ok", "no closing"},
        {"answer 2009=\xFF ok", "UTF-8"},
        {"answer snapshot= ok", "snapshot= needs"},
        {"print clipbaord", "\"clipbaord\""}};
    for (const auto& [script, word] : cases) {
        const PlayResult result = Play("print caret\nclipboard text a\n" + script + "\n");
        const std::string head = "script line 3: " + script.substr(0, script.find(' ')) + ": ";
        EXPECT_TRUE(result.nExit == 2 && result.nLine == 3 && result.strError.starts_with(head) &&
                    result.strError.find(word) != std::string::npos)
            << script << " -> " << result.nExit << " " << result.strError;
        EXPECT_TRUE(result.strOut.empty() && QGuiApplication::clipboard()->text().isEmpty())
            << script;
    }
    // An unknown command is named with the names a script can use instead, each between
    // spaces or after the parenthesis that opens the list.
    const std::string error = Play("command pastee\n").strError;
    const std::string names = " " + error.substr(std::min(error.find('('), error.size() - 1) + 1);
    for (const char* name : {"cut", "copy", "paste", "pasteplain", "undo", "redo", "selectall",
                             "bold", "italic", "underline", "image", "properties", "symbol"})
        EXPECT_NE(names.find(std::string(" ") + name + " "), std::string::npos) << name << error;
}

// --- Filling the clipboard and printing it --------------------------------------------------

// What each line puts is printed as the clipboard holds it: text with the escapes of type on
// one line, a bitmap's size, the private format's count of elements with the plain text and
// HTML beside it (GBK text coming back as written), HTML with its plain text.
TEST_F(PlayClipboardTest, ClipboardLinesPutWhatOtherProgramsPut) {
    const std::string two =
        "<Font('Arial',12,0,1,0)><Color(255,0,0)>红</Color></Font>" + StartRun("字 x\\y");
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"clipboard text x\nclipboard clear", ""},
        {"clipboard text hello world", "text hello world\n"},
        {"clipboard text a\\tb\\\\c\\nd\te", "text a\\tb\\\\c\\nd\\te\n"},
        {"clipboard text 你好 ü", "text 你好 ü\n"},
        {"clipboard html <p>plain <b>bold</b> &amp; more</p>", "text plain bold & more\nhtml\n"},
        {"clipboard markup " + StartRun("ab"), "private 1\ntext ab\nhtml\n"},
        {"clipboard markup " + two, "private 2\ntext 红字 x\\\\y\nhtml\n"},
        {"clipboard bitmap 3 2 FF0000", "bitmap 3 2\n"},
        {"clipboard text x\nclipboard bitmap 4096 1 00a0ff", "bitmap 4096 1\n"},
    };
    for (const auto& [script, printed] : cases)
        EXPECT_EQ(Out(script + "\nprint clipboard\n"), printed) << script;
    // As other programs read it: the last bitmap (the largest), solid in its colour; the text.
    const QImage wide = QGuiApplication::clipboard()->image();
    ASSERT_EQ(wide.size(), QSize(4096, 1));
    EXPECT_EQ(wide.pixel(0, 0) & 0xFFFFFF, 0x00A0FFu);
    EXPECT_EQ(wide.pixel(4095, 0) & 0xFFFFFF, 0x00A0FFu);
    Out("clipboard text a\\tb\\\\c\\nd\te 你\n");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("a\tb\\c\nd\te 你"));
    Out("clipboard html <p><b>bold</b></p>\n");
    EXPECT_NE(QGuiApplication::clipboard()->mimeData()->html().indexOf("<b>bold</b>"), -1);
    // A carriage return another program put there prints as \r.
    QGuiApplication::clipboard()->setText("one\r\ntwo\\");
    EXPECT_EQ(Out("print clipboard\n"), "text one\\r\\ntwo\\\\\n");
}

// --- Commands ---------------------------------------------------------------------------------

// A paste of plain text is what typing the same text gives: one run in the current format.
TEST_F(PlayClipboardTest, PastedTextEqualsTypedText) {
    for (const std::string text : {"hello world", "你好, x!", "a\\\\b"}) {
        Open("");
        const std::string typed = Out("type " + text + "\nprint caret\nprint markup\n");
        Open("");
        const std::string pasted =
            Out("clipboard text " + text + "\ncommand paste\nprint caret\nprint markup\n");
        EXPECT_EQ(pasted, typed) << text;
    }
}

// Each paste on an empty page: the private format of another process gives every element and
// format back, HTML its runs in the current format with the HTML's styles, the plain-text
// paste the text beside the HTML alone; a command by its id is the command of that name.
TEST_F(PlayClipboardTest, PastesGiveTheElementsOfEachFormat) {
    const std::string page =
        "<Font('Times New Roman',12,1,0,1)><Color(255,0,0)>red</Color></Font>" +
        StartRun("plain 字");
    const std::pair<std::string, std::string> cases[] = {
        {"clipboard text hello world\ncommand paste", StartRun("hello world")},
        {"clipboard text xy\ncommand 53005", StartRun("xy")},
        {"clipboard markup " + page + "\ncommand paste", page},
        {"clipboard html <p>plain <b>bold</b></p>\ncommand paste",
         StartRun("plain ") + "<Font('Arial',28,0,1,0)><Color(0,0,0)>bold</Color></Font>"},
        {"clipboard html <p>plain <b>bold</b></p>\ncommand pasteplain", StartRun("plain bold")},
        // Cancel answers the file dialog: nothing is pasted, nothing written or reported.
        {"clipboard bitmap 3 2 FF0000\nanswer cancel\ncommand paste", ""},
    };
    for (const auto& [script, markup] : cases) {
        Open("");
        EXPECT_EQ(Out(script + "\nprint markup\n"), markup + "\n") << script;
    }
}

// Select all then copy takes the whole page, by name and by id (53092, 53003).
TEST_F(PlayClipboardTest, SelectAllThenCopyTakesTheWholePage) {
    for (const char* script :
         {"command selectall\ncommand copy\n", "command 53092\ncommand 53003\n"}) {
        Open(StartRun("one") + "<Font('Arial',28,0,1,0)><Color(0,0,0)>two</Color></Font>");
        EXPECT_EQ(Out(std::string(script) + "print clipboard\n"), "private 2\ntext onetwo\nhtml\n")
            << script;
    }
}

// --- File dialogs -----------------------------------------------------------------------------

void ExpectRedBitmapFile(const fs::path& path, int nWidth, int nHeight) {
    ASSERT_TRUE(fs::exists(path)) << path;
    const QImage image(QString::fromStdString(path.string()), "BMP");
    ASSERT_EQ(image.size(), QSize(nWidth, nHeight)) << path;
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x)
            EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, 0xFF0000u) << path << ' ' << x << ' ' << y;
    }
}

// Pasted bitmaps are saved where the queued answers say, taken in the order they were queued,
// one per dialog, and go in at 100 percent. A relative path is taken from the current
// directory.
TEST_F(PlayClipboardTest, APastedBitmapIsSavedWhereTheNextAnswerSays) {
    const fs::path first = Dir() / "a.bmp", second = Dir() / "b.bmp";
    EXPECT_EQ(Out("clipboard bitmap 3 2 FF0000\nanswer file " + first.string() + "\nanswer file " +
                  second.string() + "\ncommand paste\ncommand paste\nprint markup\n"),
              "<Image('" + first.string() + "',0,100)><Image('" + second.string() + "',0,100)>\n");
    ExpectRedBitmapFile(first, 3, 2);
    ExpectRedBitmapFile(second, 3, 2);

    Open("");
    const fs::path before = fs::current_path();
    fs::current_path(Dir());
    const std::string markup = Out("answer file out.bmp\ncommand paste\nprint markup\n");
    fs::current_path(before);
    const std::string head = "<Image('", tail = "',0,100)>\n";
    ASSERT_TRUE(markup.starts_with(head) && markup.ends_with(tail)) << markup;
    const fs::path path = markup.substr(head.size(), markup.size() - head.size() - tail.size());
    ExpectRedBitmapFile(Dir() / "out.bmp", 3, 2);
    const fs::path named = path.is_absolute() ? path : Dir() / path;
    EXPECT_TRUE(fs::exists(named) && fs::equivalent(named, Dir() / "out.bmp")) << path;
}

// A dialog with no answer queued is cancelled and reported with the line that opened it, and
// the play goes on to its end. Answers a play leaves unused are reported at its end, even when
// it stopped at a wrong line, and dropped: the next play starts with none.
TEST_F(PlayClipboardTest, MissingAndUnusedAnswersAreReported) {
    const struct {
        std::string script;
        int nExit;
        std::string out, report;
    } cases[] = {
        {"clipboard bitmap 3 2 FF0000\n# no answer\ncommand paste\nprint markup\n", 0, "\n",
         "script line 3: a file dialog was cancelled: no answer queued"},
        {"answer file x.bmp\n\nanswer cancel\n", 0, "",
         "2 answers were not used (script lines 1, 3)"},
        {"clipboard bitmap 1 1 FF0000\nanswer cancel\ncommand paste\nanswer cancel\n", 0, "",
         "1 answer was not used (script line 4)"},
        {"command paste\nprint markup\n", 0, "\n",
         "script line 1: a file dialog was cancelled: no answer queued"},
        {"answer cancel\nsnapshot /nonexistent-tessel-dir/x.png\n", 2, "",
         "1 answer was not used (script line 1)"},
    };
    for (const auto& c : cases) {
        const PlayResult result = Play(c.script);
        EXPECT_EQ(result.nExit, c.nExit) << c.script << result.strError;
        EXPECT_EQ(result.strOut, c.out) << c.script;
        EXPECT_EQ(result.reports, std::vector<std::string>{c.report}) << c.script;
    }
}

}  // namespace
