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

TEST_F(PlayClipboardTest, MalformedArgumentsNameTheLineTheActionAndTheWrongWord) {
    // Each script fails on its last line; the message names the action and the word or the
    // rule that is wrong.
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
        {"answer", "file PATH or cancel"},
        {"answer file", "path"},
        {"answer file ", "path"},
        {"answer file \xFF", "UTF-8"},
        {"answer cancel now", "nothing after it"},
        {"answer ok", "\"ok\""},
        {"print clipbaord", "\"clipbaord\""},
    };
    for (const auto& [script, word] : cases) {
        const PlayResult result = Play("print caret\n" + script + "\n");
        const std::string action = script.substr(0, script.find(' '));
        EXPECT_EQ(result.nExit, 2) << script;
        EXPECT_EQ(result.nLine, 2) << script;
        EXPECT_TRUE(result.strError.starts_with("script line 2: " + action + ": "))
            << script << " -> " << result.strError;
        EXPECT_NE(result.strError.find(word), std::string::npos)
            << script << " -> " << result.strError;
        // Nothing ran: not even the print before the wrong line.
        EXPECT_EQ(result.strOut, "") << script;
    }
}

// An unknown command is named with the names a script can use instead.
TEST_F(PlayClipboardTest, AnUnknownCommandListsTheKnownNames) {
    const PlayResult result = Play("command pastee\n");
    EXPECT_EQ(result.nExit, 2);
    // The names, each between spaces or after the parenthesis that opens the list.
    const size_t nOpen = result.strError.find('(');
    ASSERT_NE(nOpen, std::string::npos) << result.strError;
    const std::string names = " " + result.strError.substr(nOpen + 1);
    for (const char* name : {"cut", "copy", "paste", "pasteplain", "undo", "redo", "selectall",
                             "bold", "italic", "underline", "image", "properties", "symbol"}) {
        EXPECT_NE(names.find(std::string(" ") + name + " "), std::string::npos)
            << name << " -> " << result.strError;
    }
}

// The whole script is read first: a wrong line leaves the clipboard as it was.
TEST_F(PlayClipboardTest, AWrongLineLeavesTheClipboardUntouched) {
    const PlayResult result = Play("clipboard text a\nclipboard bitmap 0 1 000000\n");
    EXPECT_EQ(result.nExit, 2);
    EXPECT_EQ(result.nLine, 2);
    EXPECT_EQ(Out("print clipboard\n"), "");
}

// --- Filling the clipboard and printing it --------------------------------------------------

TEST_F(PlayClipboardTest, AnEmptyClipboardPrintsNothing) {
    EXPECT_EQ(Out("print clipboard\n"), "");
    EXPECT_EQ(Out("clipboard text x\nclipboard clear\nprint clipboard\n"), "");
}

// Text with the escapes of type; printed on one line with the same escapes.
TEST_F(PlayClipboardTest, ClipboardTextIsPlainTextPrintedOnOneLine) {
    EXPECT_EQ(Out("clipboard text hello world\nprint clipboard\n"), "text hello world\n");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("hello world"));

    EXPECT_EQ(Out("clipboard text a\\tb\\\\c\\nd\te\nprint clipboard\n"),
              "text a\\tb\\\\c\\nd\\te\n");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("a\tb\\c\nd\te"));

    // UTF-8 in, UTF-8 out.
    EXPECT_EQ(Out("clipboard text 你好 ü\nprint clipboard\n"), "text 你好 ü\n");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("你好 ü"));
}

// A carriage return another program put there prints as \r.
TEST_F(PlayClipboardTest, ACarriageReturnOnTheClipboardPrintsAsAnEscape) {
    QGuiApplication::clipboard()->setText("one\r\ntwo\\");
    EXPECT_EQ(Out("print clipboard\n"), "text one\\r\\ntwo\\\\\n");
}

TEST_F(PlayClipboardTest, ClipboardBitmapIsASolidImageOfThatSizeAndColour) {
    EXPECT_EQ(Out("clipboard bitmap 3 2 FF0000\nprint clipboard\n"), "bitmap 3 2\n");
    const QImage image = QGuiApplication::clipboard()->image();
    ASSERT_EQ(image.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, 0xFF0000u) << x << ' ' << y;
    }
    // The largest, in lower-case hexadecimal; the bitmap replaces the text.
    EXPECT_EQ(Out("clipboard text x\nclipboard bitmap 4096 1 00a0ff\nprint clipboard\n"),
              "bitmap 4096 1\n");
    const QImage wide = QGuiApplication::clipboard()->image();
    ASSERT_EQ(wide.size(), QSize(4096, 1));
    EXPECT_EQ(wide.pixel(4095, 0) & 0xFFFFFF, 0x00A0FFu);
}

// HTML comes with its plain text, as browsers put it.
TEST_F(PlayClipboardTest, ClipboardHtmlComesWithItsPlainText) {
    EXPECT_EQ(Out("clipboard html <p>plain <b>bold</b> &amp; more</p>\nprint clipboard\n"),
              "text plain bold & more\nhtml\n");
    EXPECT_NE(QGuiApplication::clipboard()->mimeData()->html().indexOf("<b>bold</b>"), -1);
}

// The private format as another Tessel process puts it: the elements it carries, their plain
// text and HTML beside them.
TEST_F(PlayClipboardTest, ClipboardMarkupIsThePrivateFormatOfAnotherProcess) {
    EXPECT_EQ(Out("clipboard markup " + StartRun("ab") + "\nprint clipboard\n"),
              "private 1\ntext ab\nhtml\n");
    // Two runs are two elements; their text follows one another; GBK text comes back as it
    // was written.
    const std::string two =
        "<Font('Arial',12,0,1,0)><Color(255,0,0)>红</Color></Font>" + StartRun("字 x\\y");
    EXPECT_EQ(Out("clipboard markup " + two + "\nprint clipboard\n"),
              "private 2\ntext 红字 x\\\\y\nhtml\n");
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
    Open("");
    EXPECT_EQ(Out("clipboard text hello world\ncommand paste\nprint markup\n"),
              StartRun("hello world") + "\n");
    // By its id.
    Open("");
    EXPECT_EQ(Out("clipboard text xy\ncommand 53005\nprint markup\n"), StartRun("xy") + "\n");
}

// A copy of a selection made with Shift held over the arrows puts the private format (one
// element, "ab"), the text and the HTML. End puts the cursor after the word "abc" inside its
// element (0 1 0), not at an element's start, so the pasted element does not join the run
// before it: it goes in after it, as a run of its own in the same format.
TEST_F(PlayClipboardTest, CopyOfAShiftSelectionPutsThePrivateFormatTextAndHtml) {
    EXPECT_EQ(Out("type abc\nkey Home\nkey Shift\nkey Right\nkey Right\nkeyup Shift\n"
                  "command copy\nprint clipboard\n"),
              "private 1\ntext ab\nhtml\n");
    EXPECT_EQ(Out("key End\nprint caret\ncommand paste\nprint markup\n"),
              "0 1 0\n" + StartRun("abc") + StartRun("ab") + "\n");
}

// Cut takes the selection out and puts it on the clipboard; undo puts it back, redo takes it
// out again.
TEST_F(PlayClipboardTest, CutUndoAndRedoByName) {
    EXPECT_EQ(Out("type abc\nkey Home\nkey Right shift\nkey Right shift\ncommand cut\n"
                  "print clipboard\nprint markup\n"),
              "private 1\ntext ab\nhtml\n" + StartRun("c") + "\n");
    EXPECT_EQ(Out("command undo\nprint markup\n"), StartRun("abc") + "\n");
    EXPECT_EQ(Out("command redo\nprint markup\n"), StartRun("c") + "\n");
}

TEST_F(PlayClipboardTest, SelectAllThenCopyTakesTheWholePage) {
    Open(StartRun("one") + "<Font('Arial',28,0,1,0)><Color(0,0,0)>two</Color></Font>");
    EXPECT_EQ(Out("command selectall\ncommand copy\nprint clipboard\n"),
              "private 2\ntext onetwo\nhtml\n");
}

// The private format of another process gives every element and format back.
TEST_F(PlayClipboardTest, PasteOfAnotherProcessesMarkupGivesTheElementsWhole) {
    const std::string page =
        "<Font('Times New Roman',12,1,0,1)><Color(255,0,0)>red</Color></Font>" +
        StartRun("plain 字");
    EXPECT_EQ(Out("clipboard markup " + page + "\ncommand paste\nprint markup\n"), page + "\n");
}

// HTML runs go in in the current format with the HTML's styles; the plain-text paste takes
// the text beside the HTML alone.
TEST_F(PlayClipboardTest, PasteOfHtmlAndPlainPasteOfIt) {
    EXPECT_EQ(Out("clipboard html <p>plain <b>bold</b></p>\ncommand paste\nprint markup\n"),
              StartRun("plain ") + "<Font('Arial',28,0,1,0)><Color(0,0,0)>bold</Color></Font>\n");
    Open("");
    EXPECT_EQ(Out("clipboard html <p>plain <b>bold</b></p>\ncommand pasteplain\nprint markup\n"),
              StartRun("plain bold") + "\n");
}

// A command by its id is the command of that name: select all (53092), then copy (53003).
TEST_F(PlayClipboardTest, CommandsByIdAreTheNamedCommands) {
    Open(StartRun("xyz"));
    EXPECT_EQ(Out("command 53092\ncommand 53003\nprint clipboard\n"),
              "private 1\ntext xyz\nhtml\n");
}

// --- File dialogs -----------------------------------------------------------------------------

// The Image element of a markup "<Image('PATH',0,100)>": PATH, or empty when it is not one.
std::string ImagePath(const std::string& markup) {
    const std::string head = "<Image('", tail = "',0,100)>\n";
    if (!markup.starts_with(head) || !markup.ends_with(tail)) return "";
    return markup.substr(head.size(), markup.size() - head.size() - tail.size());
}

void ExpectRedBitmapFile(const fs::path& path, int nWidth, int nHeight) {
    ASSERT_TRUE(fs::exists(path)) << path;
    const QImage image(QString::fromStdString(path.string()), "BMP");
    ASSERT_EQ(image.size(), QSize(nWidth, nHeight)) << path;
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x)
            EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, 0xFF0000u) << path << ' ' << x << ' ' << y;
    }
}

// A pasted bitmap is saved where the queued answer says and goes in at 100 percent.
TEST_F(PlayClipboardTest, APastedBitmapIsSavedWhereTheAnswerSays) {
    const fs::path file = Dir() / "out.bmp";
    EXPECT_EQ(Out("clipboard bitmap 3 2 FF0000\nanswer file " + file.string() +
                  "\ncommand paste\nprint markup\n"),
              "<Image('" + file.string() + "',0,100)>\n");
    ExpectRedBitmapFile(file, 3, 2);
}

// A relative path is taken from the current directory.
TEST_F(PlayClipboardTest, ARelativeAnswerIsTakenFromTheCurrentDirectory) {
    const fs::path before = fs::current_path();
    fs::current_path(Dir());
    const std::string markup =
        Out("clipboard bitmap 3 2 FF0000\nanswer file out.bmp\ncommand paste\nprint markup\n");
    fs::current_path(before);
    const std::string path = ImagePath(markup);
    ASSERT_NE(path, "") << markup;
    const fs::path named = fs::path(path).is_absolute() ? fs::path(path) : Dir() / path;
    ExpectRedBitmapFile(Dir() / "out.bmp", 3, 2);
    EXPECT_TRUE(fs::exists(named) && fs::equivalent(named, Dir() / "out.bmp")) << path;
}

// Answers are taken in the order they were queued, one per dialog.
TEST_F(PlayClipboardTest, AnswersAreTakenInOrder) {
    const fs::path first = Dir() / "a.bmp", second = Dir() / "b.bmp";
    EXPECT_EQ(Out("clipboard bitmap 2 2 FF0000\nanswer file " + first.string() + "\nanswer file " +
                  second.string() + "\ncommand paste\ncommand paste\nprint markup\n"),
              "<Image('" + first.string() + "',0,100)><Image('" + second.string() + "',0,100)>\n");
    ExpectRedBitmapFile(first, 2, 2);
    ExpectRedBitmapFile(second, 2, 2);
}

// Cancel answers the dialog with Cancel: nothing is pasted, nothing written, nothing reported.
TEST_F(PlayClipboardTest, ACancelAnswerPastesNothing) {
    EXPECT_EQ(Out("clipboard bitmap 3 2 FF0000\nanswer cancel\ncommand paste\nprint markup\n"),
              "\n");
}

// A dialog with no answer queued is cancelled and reported with the line that opened it; the
// play goes on to its end.
TEST_F(PlayClipboardTest, ADialogWithNoAnswerIsCancelledAndReported) {
    const PlayResult result =
        Play("clipboard bitmap 3 2 FF0000\n# no answer\ncommand paste\nprint markup\n");
    EXPECT_EQ(result.nExit, 0) << result.strError;
    EXPECT_EQ(result.strError, "");
    EXPECT_EQ(result.strOut, "\n");
    EXPECT_EQ(result.reports, std::vector<std::string>{
                                  "script line 3: a file dialog was cancelled: no answer queued"});
}

// Answers a play leaves unused are reported at its end and dropped: the next play starts with
// none.
TEST_F(PlayClipboardTest, UnusedAnswersAreReportedAndDropped) {
    PlayResult result = Play("answer file x.bmp\n\nanswer cancel\n");
    EXPECT_EQ(result.nExit, 0) << result.strError;
    EXPECT_EQ(result.reports,
              std::vector<std::string>{"2 answers were not used (script lines 1, 3)"});
    result = Play("clipboard bitmap 1 1 FF0000\nanswer cancel\ncommand paste\nanswer cancel\n");
    EXPECT_EQ(result.reports, std::vector<std::string>{"1 answer was not used (script line 4)"});
    result = Play("command paste\n");
    EXPECT_EQ(result.reports, std::vector<std::string>{
                                  "script line 1: a file dialog was cancelled: no answer queued"});
    EXPECT_EQ(Markup(), "\n");
}

// A play that stops at a wrong line still reports what it queued and did not use.
TEST_F(PlayClipboardTest, AStoppedPlayReportsItsUnusedAnswers) {
    const PlayResult result = Play("answer cancel\nsnapshot /nonexistent-tessel-dir/x.png\n");
    EXPECT_EQ(result.nExit, 2);
    EXPECT_EQ(result.nLine, 2);
    EXPECT_EQ(result.reports, std::vector<std::string>{"1 answer was not used (script line 1)"});
}

}  // namespace
