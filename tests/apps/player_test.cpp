// The scripted-session player, in-process: scripts played against an editor opened headless,
// checked against what the script language promises and what the editor's rules give.

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <string>
#include <vector>

#include "document/my_list.h"
#include "editor/tessel_edit.h"
#include "editor_host.h"
#include "json.h"
#include "markup/word_analyzer.h"
#include "platform/application.h"
#include "platform/gbk.h"
#include "player.h"

namespace {

namespace fs = std::filesystem;
using tessel::cli::EditorHost;
using tessel::cli::EditorSettings;
using tessel::platform::GbkToUtf8;
using tessel::platform::Utf8ToGbk;
using tessel::play::Player;
using tessel::play::PlayResult;

class PlayerTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
    void TearDown() override {
        m_pHost.reset();
        tessel::platform::ProcessEvents();
    }

    CTesselEdit& Open(const std::string& strMarkup) {
        m_pHost = EditorHost::Open(EditorSettings{}, strMarkup);
        EXPECT_TRUE(m_pHost);
        tessel::platform::ProcessEvents();
        return m_pHost->Editor();
    }
    // Plays on the editor opened last (an empty page when none was opened).
    PlayResult Play(const std::string& script) {
        if (!m_pHost) Open("");
        return tessel::play::PlayScript(m_pHost->Editor(), script);
    }
    // The output of a script that must run to its end.
    std::string Out(const std::string& script) {
        const PlayResult result = Play(script);
        EXPECT_EQ(result.nExit, 0) << result.strError;
        EXPECT_EQ(result.strError, "");
        return result.strOut;
    }

    std::unique_ptr<EditorHost> m_pHost;
};

// --- Reading scripts --------------------------------------------------------------------------

TEST_F(PlayerTest, AnUnknownActionIsNamedWithItsLineAndNothingRuns) {
    const PlayResult result = Play("type a\ntpye x\n");
    EXPECT_EQ(result.nExit, 2);
    EXPECT_EQ(result.nLine, 2);
    EXPECT_EQ(result.strError, "script line 2: unknown action \"tpye\"");
    EXPECT_EQ(result.strOut, "");
    // The whole script is read before anything runs: "type a" typed nothing.
    EXPECT_EQ(m_pHost->Editor().GetEditText(), "");
}

// Comments, blank lines and line ends written as CR LF count as lines; names are exact.
TEST_F(PlayerTest, LinesAreCountedFromOneWithCommentsAndBlankLines) {
    const std::pair<std::string, std::string> cases[] = {
        {"# a comment\n\n   \t\nprint caret\nbogus\n", "script line 5: unknown action \"bogus\""},
        {"print caret\r\nbogus\r\n", "script line 2: unknown action \"bogus\""},
        {"Type a\n", "script line 1: unknown action \"Type\""},
        {"\n\n\nprint caret", ""},
    };
    for (const auto& [script, error] : cases) {
        const PlayResult result = Play(script);
        EXPECT_EQ(result.strError, error) << script;
        EXPECT_EQ(result.nExit, error.empty() ? 0 : 2) << script;
    }
}

TEST_F(PlayerTest, MalformedArgumentsNameTheLineTheActionAndTheWrongWord) {
    // Each script fails on its last line; the message names the action and, when there is
    // one, the word that is wrong.
    const std::pair<std::string, std::string> cases[] = {
        {"down x 5", "\"x\""},
        {"click 1", ""},
        {"move 1 2 3", "\"3\""},
        {"up 1 99999", "\"99999\""},
        {"dblclick 1 2 alt", "\"alt\""},
        {"print caret\nchar 256", "\"256\""},
        {"char 0x1G", "\"0x1G\""},
        {"char -1", "\"-1\""},
        {"char", ""},
        {"char 1 2", ""},
        {"wait -5", "\"-5\""},
        {"wait abc", "\"abc\""},
        {"wait", ""},
        {"key Lfet", "\"Lfet\""},
        {"key Right shfit", "\"shfit\""},
        {"key F13", "\"F13\""},
        {"key ab", "\"ab\""},
        {"key", ""},
        {"keyup Shift ctrl", ""},
        {"print", ""},
        {"print caretx", "\"caretx\""},
        {"type \\q", "\\q"},
        {"type a\\", "backslash"},
        {"type", ""},
        {"type \x01", "U+0001"},
        {"type \xC0\x80", "UTF-8"},
        {"ime", ""},
        {"ime \xFF", "UTF-8"},
        {"snapshot   ", ""},
    };
    for (const auto& [script, word] : cases) {
        const PlayResult result = Play(script);
        const int nLine = static_cast<int>(std::count(script.begin(), script.end(), '\n')) + 1;
        const std::string line = script.substr(script.rfind('\n') + 1);
        const std::string action = line.substr(0, line.find(' '));
        EXPECT_EQ(result.nExit, 2) << script;
        EXPECT_EQ(result.nLine, nLine) << script;
        EXPECT_TRUE(result.strError.starts_with("script line " + std::to_string(nLine) + ": " +
                                                action + ": "))
            << script << " -> " << result.strError;
        EXPECT_NE(result.strError.find(word), std::string::npos)
            << script << " -> " << result.strError;
        EXPECT_EQ(result.strOut, "") << script;
    }
}

TEST_F(PlayerTest, AFailureWhileRunningStopsAtItsLineAfterWhatRanBefore) {
    const std::string path = "/nonexistent-tessel-dir/shot.png";
    const PlayResult result = Play("print caret\nsnapshot " + path + "\nprint caret\n");
    EXPECT_EQ(result.nExit, 2);
    EXPECT_EQ(result.nLine, 2);
    EXPECT_EQ(result.strOut, "0 0 0\n");
    EXPECT_TRUE(result.strError.starts_with("script line 2: snapshot: ")) << result.strError;
    EXPECT_NE(result.strError.find(path), std::string::npos) << result.strError;
}

TEST_F(PlayerTest, ACommentOnlyScriptDoesNothing) {
    EXPECT_EQ(Out("# type x\n\n  \t\n#print caret\n"), "");
    EXPECT_EQ(m_pHost->Editor().GetEditText(), "");
}

// --- Prints -----------------------------------------------------------------------------------

// An empty page: the cursor at the start, nothing selected (the paint has drawn the empty
// selection, which sets m_bSelected), the starting format, one empty
// row of 18 pixels, and the caret 2 pixels wide and 17 high (no character before it) with
// its foot on the row's foot.
TEST_F(PlayerTest, PrintsOfAnEmptyPageShowTheEditorsStartingState) {
    EXPECT_EQ(Out("print caret\nprint selection\nprint markup\nprint dump\nprint rows\n"
                  "print format\nprint caretbox\n"),
              "0 0 0\n"
              "0 0 0 0 0 0 1 0\n"
              "\n"
              "end\n"
              "18 0 0 0\nend\n"
              "{\"font\":\"Arial\",\"size\":28,\"color\":[0,0,0],\"hotlink\":100,\"italic\":0,"
              "\"bold\":0,\"underline\":0,\"raised\":0,\"lowered\":0}\n"
              "0 1 2 17\n");
}

// A page as the markup writer writes it comes back unchanged; its elements print as
// "tessel dump" prints what a read of the page gives.
TEST_F(PlayerTest, PrintMarkupAndDumpShowThePageAsTheMarkupReadsIt) {
    const std::string page = Utf8ToGbk(
        "<Font('宋体',12,0,1,0)><Color(255,0,0)>你好 world</Color></Font>"
        "<Font('Arial',16,1,0,1)><Color(0,0,128)>x&(y&)</Color></Font>");
    Open(page);
    CMyList list;
    CWordAnalyzer().Convert(page.c_str(), &list);
    std::string dump;
    for (list.First(); list.IsInList(); list.Next()) {
        tessel::cli::AppendElementJson(dump, *list.GetCurr());
        dump += '\n';
    }
    EXPECT_EQ(Out("print markup\nprint dump\n"), GbkToUtf8(page) + "\n" + dump + "end\n");
}

// The caret inverts the white page under it; the picture shows it whatever its blink phase.
TEST_F(PlayerTest, SnapshotDrawsTheEditorWindowWithTheCaret) {
    const fs::path dir = fs::temp_directory_path() / "tessel-player-test";
    fs::create_directories(dir);
    const std::string first = (dir / "first.png").string(), later = (dir / "later.png").string();
    EXPECT_EQ(Out("snapshot " + first + "\nwait 600\nsnapshot " + later + "\n"), "");
    for (const std::string& path : {first, later}) {
        const QImage image(QString::fromStdString(path));
        ASSERT_FALSE(image.isNull()) << path;
        EXPECT_EQ(image.size(), QSize(600, 400));
        // The caret: 0 1 2 17 (see the empty page's prints above).
        EXPECT_EQ(image.pixel(1, 9) & 0xFFFFFF, 0x000000u) << path;
        EXPECT_EQ(image.pixel(3, 9) & 0xFFFFFF, 0xFFFFFFu) << path;
        EXPECT_EQ(image.pixel(1, 19) & 0xFFFFFF, 0xFFFFFFu) << path;
    }
    fs::remove_all(dir);
}

// --- Typing and moving, through the editor's own handling -----------------------------------

TEST_F(PlayerTest, HeldModifiersLastFromOnePlayToTheNext) {
    Open("");
    Player player(m_pHost->Editor());
    EXPECT_EQ(player.Play("key Shift\n").nExit, 0);
    EXPECT_EQ(player.HeldModifiers(), tessel::platform::kShiftHeld);
    EXPECT_EQ(player.Play("key Ctrl\nkey Right shift\n").nExit, 0);
    EXPECT_EQ(player.HeldModifiers(),
              tessel::platform::kShiftHeld | tessel::platform::kControlHeld);
    EXPECT_EQ(player.Play("keyup Shift\nkeyup Ctrl\n").nExit, 0);
    EXPECT_EQ(player.HeldModifiers(), tessel::platform::kNoModifiers);
}

// --- Events reach the editor window as messages ---------------------------------------------

struct Message {
    UINT nMessage;
    WPARAM wParam;
    CPoint point;  // mouse messages
    bool bShift;   // key messages: GetKeyState(VK_SHIFT) said down
    bool operator==(const Message&) const = default;
};

// An editor that writes down the input messages its window gets, then handles them.
class CLoggingEdit : public CTesselEdit {
  public:
    std::vector<Message> m_log;

  protected:
    LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) override {
        const bool bKey = nMessage >= WM_KEYDOWN && nMessage <= WM_CHAR;
        const bool bMouse = nMessage >= WM_MOUSEMOVE && nMessage <= WM_RBUTTONDBLCLK;
        if (bKey || bMouse)
            m_log.push_back({nMessage, wParam, bMouse ? PointFromLParam(lParam) : CPoint(),
                             bKey && GetKeyState(VK_SHIFT) < 0});
        return CTesselEdit::WindowProc(nMessage, wParam, lParam);
    }
};

TEST(PlayerEvents, ScriptActionsReachTheEditorWindowAsMessages) {
    tessel::platform::EnsureApplication();
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, 0, 0, 600,
                              400, nullptr, 0));
    auto* pEdit = new CLoggingEdit;
    ASSERT_EQ(pEdit->Edit(host.m_hWnd, CRect(0, 0, 600, 400), RGB(0, 0, 255), "", 0, 2, 1.0), 1);
    tessel::platform::ProcessEvents();
    pEdit->m_log.clear();

    const PlayResult result = tessel::play::PlayScript(
        *pEdit,
        "type a\\n\nime 中\nchar 0x41\nchar 0xB0\nchar 161\nkey Shift\nkey Right\nkeyup Shift\n"
        "key Left shift\nkey Left\nkey A ctrl\nkey 5\nkey F5\nkeyup F5\n"
        "click 10 20\ndblclick 3 4\nrclick 1 2\ndown 5 6 shift\nmove 7 8\nup 7 8\n");
    EXPECT_EQ(result.nExit, 0) << result.strError;
    auto key = [](UINT n, WPARAM w, bool bShift = false) { return Message{n, w, {}, bShift}; };
    auto mouse = [](UINT n, WPARAM w, int x, int y) { return Message{n, w, {x, y}, false}; };
    std::vector<Message> log;
    for (const Message& m : pEdit->m_log)  // the editor may track the mouse on its own
        if (m.nMessage != WM_MOUSEMOVE || m.point == CPoint(7, 8)) log.push_back(m);
    EXPECT_EQ(log, (std::vector<Message>{key(WM_KEYDOWN, 'A'),
                                         key(WM_CHAR, 'a'),
                                         key(WM_KEYUP, 'A'),
                                         key(WM_KEYDOWN, VK_RETURN),
                                         key(WM_CHAR, 13),
                                         key(WM_KEYUP, VK_RETURN),
                                         key(WM_CHAR, 0xD6),
                                         key(WM_CHAR, 0xD0),  // 中 in GBK
                                         key(WM_CHAR, 0x41),
                                         key(WM_CHAR, 0xB0),
                                         key(WM_CHAR, 0xA1),  // 啊, a whole character
                                         key(WM_KEYDOWN, VK_SHIFT, true),
                                         key(WM_KEYDOWN, VK_RIGHT, true),
                                         key(WM_KEYUP, VK_SHIFT),
                                         key(WM_KEYDOWN, VK_LEFT, true),
                                         key(WM_KEYDOWN, VK_LEFT),
                                         key(WM_KEYDOWN, 'A'),
                                         key(WM_CHAR, 1),
                                         key(WM_KEYDOWN, '5'),
                                         key(WM_CHAR, '5'),
                                         key(WM_KEYDOWN, VK_F1 + 4),
                                         key(WM_KEYUP, VK_F1 + 4),
                                         mouse(WM_LBUTTONDOWN, MK_LBUTTON, 10, 20),
                                         mouse(WM_LBUTTONUP, 0, 10, 20),
                                         mouse(WM_LBUTTONDOWN, MK_LBUTTON, 3, 4),
                                         mouse(WM_LBUTTONUP, 0, 3, 4),
                                         mouse(WM_LBUTTONDBLCLK, MK_LBUTTON, 3, 4),
                                         mouse(WM_LBUTTONUP, 0, 3, 4),
                                         mouse(WM_RBUTTONDOWN, MK_RBUTTON, 1, 2),
                                         mouse(WM_RBUTTONUP, 0, 1, 2),
                                         mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 5, 6),
                                         mouse(WM_MOUSEMOVE, MK_LBUTTON, 7, 8),
                                         mouse(WM_LBUTTONUP, 0, 7, 8)}));

    pEdit->DestroyWindow();
    delete pEdit;
    host.DestroyWindow();
    tessel::platform::ProcessEvents();
}

}  // namespace
