#pragma once

// What the in-process session tests share: a page opened in an editor host as the tessel tool
// opens it, a player of its own that plays the test's scripts on the editor, the page read
// back, and a folder of the test's own.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include <filesystem>
#include <memory>
#include <string>

#include "editor/tessel_edit.h"
#include "editor_host.h"
#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/settings.h"
#include "player.h"

// What a suite asks of every test: the process's clipboard emptied before and after it (for
// suites that use the clipboard), and no report from any script Out plays (an unanswered
// dialog, an answer left over).
struct SessionRules {
    bool bClipboard = false;
    bool bNoReports = false;
};

class SessionFixture : public testing::Test {
  protected:
    // szDirPrefix: the start of the name of the test's folder (Dir()).
    explicit SessionFixture(const char* szDirPrefix = "tessel-session-", SessionRules rules = {})
        : m_strDirPrefix(szDirPrefix), m_rules(rules) {}

    static void SetUpTestSuite() {
        tessel::platform::EnsureApplication();
        // What a session's dialogs remember (web addresses) goes to a file of the tests', never
        // into the user's settings.
        tessel::platform::SetSettingsFile(
            (std::filesystem::temp_directory_path() / "tessel-session-settings.conf").string());
    }
    void SetUp() override {
        if (m_rules.bClipboard) ClearClipboard();
    }
    void TearDown() override {
        Close();
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
        if (m_rules.bClipboard) ClearClipboard();
    }

    // The player and the host closed, then the events their closing posted.
    void Close() {
        m_pPlayer.reset();
        m_pHost.reset();
        tessel::platform::ProcessEvents();
    }

    // The settings of an editor nWidth wide, pictures taken from the examples.
    static tessel::cli::EditorSettings ExampleSettings(int nWidth) {
        tessel::cli::EditorSettings settings;
        settings.nWidth = nWidth;
        settings.strProject = TESSEL_EXAMPLES_DIR;
        return settings;
    }
    // A host opened on the page (UTF-8 markup), with the events its opening posted run.
    static std::unique_ptr<tessel::cli::EditorHost> OpenHost(
        const tessel::cli::EditorSettings& settings, const std::string& utf8Markup) {
        std::unique_ptr<tessel::cli::EditorHost> pHost =
            tessel::cli::EditorHost::Open(settings, tessel::platform::Utf8ToGbk(utf8Markup));
        tessel::platform::ProcessEvents();
        return pHost;
    }
    // Opens the page (UTF-8 markup) in place of the one open, with a player of its own: keys a
    // script holds stay held in the next script on the same page.
    void OpenWith(const tessel::cli::EditorSettings& settings, const std::string& utf8Markup) {
        Close();
        m_pHost = OpenHost(settings, utf8Markup);
        ASSERT_TRUE(m_pHost);
        m_pPlayer = std::make_unique<tessel::play::Player>(m_pHost->Editor());
    }
    // Opens the page in an editor nWidth wide, pictures taken from the examples.
    void Open(const std::string& utf8Markup, int nWidth = 600) {
        OpenWith(ExampleSettings(nWidth), utf8Markup);
    }

    tessel::play::PlayResult Play(const std::string& script) { return m_pPlayer->Play(script); }
    // What the script printed (an empty page opened first when none is); the script must run
    // to its end and pass the suite's own checks (CheckPlayed).
    std::string Out(const std::string& script) {
        if (!m_pHost) Open("");
        return OutOf(*m_pPlayer, script);
    }
    // The same with another player.
    std::string OutOf(tessel::play::Player& player, const std::string& script) {
        const tessel::play::PlayResult result = player.Play(script);
        EXPECT_EQ(result.nExit, 0) << result.strError;
        CheckPlayed(result);
        return result.strOut;
    }
    // What a suite checks of every script Out plays, besides its running to its end.
    virtual void CheckPlayed(const tessel::play::PlayResult& result) {
        if (m_rules.bNoReports) {
            EXPECT_TRUE(result.reports.empty()) << result.reports.front();
        }
    }

    std::string Markup() { return Out("print markup\n"); }
    // The page as the editor hands it back, in GBK.
    std::string Gbk() { return Editor().GetEditText(); }
    CTesselEdit& Editor() { return m_pHost->Editor(); }
    // A click into the middle of a column editor's window.
    std::string ClickInto(CTesselEdit& column) {
        CRect rc;
        column.GetWindowRect(&rc);
        Editor().ScreenToClient(&rc);
        return "click " + std::to_string((rc.left + rc.right) / 2) + " " +
               std::to_string((rc.top + rc.bottom) / 2) + "\n";
    }

    // The clipboard belongs to the process: the tests that use it empty it at their start and
    // their end.
    static void ClearClipboard() {
        QGuiApplication::clipboard()->clear();
        tessel::platform::ProcessEvents();
    }

    // A folder of the test's own, removed at its end.
    const std::filesystem::path& Dir() {
        if (m_dir.empty()) {
            m_dir = std::filesystem::temp_directory_path() /
                    (m_strDirPrefix +
                     std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
            std::filesystem::remove_all(m_dir);
            std::filesystem::create_directories(m_dir);
        }
        return m_dir;
    }

    std::unique_ptr<tessel::cli::EditorHost> m_pHost;
    std::unique_ptr<tessel::play::Player> m_pPlayer;

  private:
    std::string m_strDirPrefix;
    SessionRules m_rules;
    std::filesystem::path m_dir;
};

// A text run as the markup writer writes it: Font (face, size, italic, bold, underline),
// Color, FootNote unless the text is in the normal position, the text, the closing tags.
inline std::string TextRun(const std::string& face, int nSize, const std::string& utf8,
                           const std::string& styles = "0,0,0", const std::string& color = "0,0,0",
                           int nFootNote = 2) {
    std::string open =
        "<Font('" + face + "'," + std::to_string(nSize) + "," + styles + ")><Color(" + color + ")>";
    std::string close = "</Color></Font>";
    if (nFootNote != 2) {
        open += "<FootNote(" + std::to_string(nFootNote) + ")>";
        close = "</FootNote>" + close;
    }
    return open + utf8 + close;
}
inline std::string Arial(const std::string& utf8, const std::string& styles = "0,0,0") {
    return TextRun("Arial", 12, utf8, styles);
}
inline std::string Times(const std::string& utf8, const std::string& styles = "0,0,0") {
    return TextRun("Times New Roman", 12, utf8, styles);
}
// A two-column frame as the page gives it, and as the editor hands it back in a 600 pixel
// wide editor: the last column takes the rest of the line, 600 - 120 = 480.
inline std::string Frame(const std::string& left, const std::string& right, int nLastWidth) {
    return "<MultiColumn(2,10,120," + std::to_string(nLastWidth) + ")><StartColumn>" + left +
           "<EndColumn><StartColumn>" + right + "<EndColumn>";
}
inline std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}
