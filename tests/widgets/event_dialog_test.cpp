// The hot-link dialog driven as a user would: which fields each action lights, what OK makes
// of the fields, the boxes that light fields of their own, the media entry's file, the
// picker's positions, the file and folder pickers, the web addresses remembered between
// dialogs, and the checks of the number fields. Expected values follow the dialog's rules;
// the texts are written out here, not taken from the code.

#include "widgets/event_dialog.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/file_dialog.h"
#include "platform/program.h"
#include "platform/settings.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Ids = std::set<int>;
using D = CEventDlg;

// Every field that starts grey.
const Ids kFields = {
    D::IDC_PAGE,       D::IDC_IDENT,          D::IDC_LEFT,          D::IDC_TOP,
    D::IDC_RIGHT,      D::IDC_BOTTOM,         D::IDC_ACTIVATE_PAGE, D::IDC_WEBSITE,
    D::IDC_FILE,       D::IDC_BROWSE,         D::IDC_CONNECT,       D::IDC_MEDIA,
    D::IDC_PLAY_BEGIN, D::IDC_PLAY_END,       D::IDC_SELECT_BEGIN,  D::IDC_PARAM,
    D::IDC_CATALOG,    D::IDC_CATALOG_BROWSE, D::IDC_RUN_MODE,      D::IDC_SET_PATH};

class EventDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        tessel::platform::EnsureApplication();
        std::string pattern = (fs::temp_directory_path() / "tessel-Event-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        tessel::platform::SetSettingsFile((m_dir / "settings.conf").string());
        tessel::platform::SetMessageBoxAnswerer([this](const auto& request) {
            m_messages.push_back(request.strText);
            return std::optional<int>(IDOK);
        });
    }
    void TearDown() override {
        tessel::platform::SetDialogAnswerer({});
        tessel::platform::SetFileDialogAnswerer({});
        tessel::platform::SetMessageBoxAnswerer({});
        tessel::platform::SetReplyingProgramStarter({});
        tessel::platform::SetSettingsFile("");
        fs::remove_all(m_dir);
    }
    // Runs the dialog: act is called on it open, then OK is pressed (or Cancel).
    static int Run(CEventDlg& dlg, const std::function<void(CDialog&)>& act, int nPress = IDOK) {
        tessel::platform::SetDialogAnswerer([&](CDialog& d) {
            act(d);
            return d.AnswerPress(nPress);
        });
        return dlg.DoModal();
    }
    static Ids Enabled(const CDialog& d) {
        Ids ids;
        for (const int nID : kFields)
            if (d.IsItemEnabled(nID)) ids.insert(nID);
        return ids;
    }
    static Strings Entries(const CDialog& d, int nID) {
        Strings entries;
        for (int i = 0; i < d.GetCount(nID); ++i)
            entries.push_back(d.GetLBText(nID, i));
        return entries;
    }

    Strings m_media = {"1,Sound\\Bell.WAV", "2,C:\\Media\\Song.MID", "3,/Media/Clip.AVI", "4"};
    Strings m_pages = {"Intro", "Page 2"};
    Strings m_idents = {"1,First", "3,Third"};
    Strings m_none;
    fs::path m_dir;
    Strings m_messages;
};

TEST_F(EventDialogTest, EachActionLightsItsFieldsAndCancelKeepsTheCode) {
    const Ids page = {D::IDC_PAGE}, media = {D::IDC_FILE, D::IDC_BROWSE, D::IDC_CONNECT};
    const Ids rect = {D::IDC_PAGE, D::IDC_LEFT, D::IDC_TOP, D::IDC_RIGHT, D::IDC_BOTTOM};
    const Ids program = {D::IDC_FILE,    D::IDC_BROWSE,         D::IDC_PARAM,   D::IDC_SET_PATH,
                         D::IDC_CATALOG, D::IDC_CATALOG_BROWSE, D::IDC_RUN_MODE};
    // clang-format off
    const std::map<int, std::pair<int, Ids>> cases = {  // code: list index, fields lit
        {0, {0, page}}, {1, {1, rect}}, {2, {2, {D::IDC_PAGE, D::IDC_RIGHT, D::IDC_BOTTOM}}},
        {3, {3, {D::IDC_PAGE, D::IDC_IDENT}}}, {4, {4, page}}, {10, {5, media}},
        {11, {6, media}}, {12, {7, media}}, {13, {8, media}}, {20, {9, {}}},
        {21, {10, {D::IDC_ACTIVATE_PAGE}}}, {22, {11, {D::IDC_ACTIVATE_PAGE}}},
        {23, {12, program}}, {30, {13, {D::IDC_WEBSITE}}}, {31, {14, {}}},
        {5, {-1, {}}}, {100, {-1, {}}},
    };
    // clang-format on
    Strings actions;
    for (std::string_view rest =
             "Link to Another Page|Pop-up Another Page|Note Page|Replace "
             "SubPage|Execute Funtional Page|Paly Wave|Play Music|Play "
             "Movie|Play Cartoon|Exit/Close this page|Score This Page|Score "
             "All Pages|Run Programe|Link to WWW|Return";
         !rest.empty();) {
        const std::size_t nBar = std::min(rest.find('|'), rest.size());
        actions.emplace_back(rest.substr(0, nBar));
        rest.remove_prefix(std::min(nBar + 1, rest.size()));
    }
    for (const auto& entry : cases) {
        // Named copies, not structured bindings: the lambdas below capture them.
        const auto nCode = entry.first;
        const auto& expected = entry.second;
        CEventDlg dlg("", &m_media, &m_pages, &m_idents);
        dlg.m_nAction = nCode;
        dlg.m_strFile = "a.wav";  // a file: "Connect" stays clear
        Run(
            dlg,
            [&](CDialog& d) {
                EXPECT_EQ(d.GetWindowText(), "Exsiting Event Setting");
                EXPECT_EQ(Entries(d, D::IDC_ACTION), actions);
                EXPECT_EQ(Entries(d, D::IDC_RUN_MODE),
                          (Strings{"Standard", "Hide", "Minimize", "Maximize"}));
                EXPECT_EQ(Entries(d, D::IDC_MEDIA), m_media);
                EXPECT_EQ(Entries(d, D::IDC_PAGE), m_pages);
                EXPECT_EQ(Entries(d, D::IDC_IDENT), m_idents);
                EXPECT_EQ(d.GetCurSel(D::IDC_ACTION), expected.first);
                EXPECT_EQ(d.GetCurSel(D::IDC_RUN_MODE), -1);
                EXPECT_TRUE(d.IsItemEnabled(D::IDC_ACTION) && d.IsItemEnabled(D::IDC_LINK_ON));
                EXPECT_EQ(d.IsDlgButtonChecked(D::IDC_LINK_ON), 1);
                EXPECT_EQ(Enabled(d), expected.second) << nCode;
            },
            IDCANCEL);
        EXPECT_EQ(dlg.m_nAction, nCode);
    }
    // The screen is the default rectangle.
    const CEventDlg fresh("", nullptr, nullptr, nullptr);
    EXPECT_EQ(fresh.m_nRight, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(fresh.m_nBottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(fresh.m_nAction, -1);
}

TEST_F(EventDialogTest, OkGivesTheCodeAndTheFieldsByItsRules) {
    {  // A program picked for a stretch without a link; the base is cut off in upper case.
        CEventDlg dlg("D:\\Base\\", &m_media, &m_pages, &m_idents);
        dlg.m_nAction = 100;
        Run(dlg, [](CDialog& d) {
            EXPECT_TRUE(d.AnswerValue(D::IDC_ACTION, "Run Programe"));
            EXPECT_TRUE(d.AnswerValue(D::IDC_FILE, "d:\\base\\Tools\\run.exe"));
            EXPECT_TRUE(d.AnswerValue(D::IDC_PARAM, "-x"));
            EXPECT_TRUE(d.AnswerValue(D::IDC_RUN_MODE, "Maximize"));
            EXPECT_TRUE(d.AnswerValue(D::IDC_SET_PATH, "1"));
        });
        EXPECT_EQ(dlg.m_nAction, 23);
        EXPECT_EQ(dlg.m_strFile, "TOOLS\\RUN.EXE");
        EXPECT_EQ(dlg.m_strParam, "-x");
        EXPECT_EQ(dlg.m_nRunMode, 3);
        EXPECT_EQ(dlg.m_bSetPath, 1);
    }
    {  // A media entry: "Connect" shows it chosen, and the file goes.
        CEventDlg dlg("", &m_media, &m_pages, &m_idents);
        dlg.m_nAction = 11;
        dlg.m_bConnect = 1;
        dlg.m_strMedia = m_media[1];
        dlg.m_strFile = "left.mid";
        Run(dlg, [&](CDialog& d) {
            EXPECT_EQ(d.IsDlgButtonChecked(D::IDC_CONNECT), 1);
            EXPECT_EQ(d.GetCurSel(D::IDC_MEDIA), 1);
        });
        EXPECT_EQ(dlg.m_nAction, 11);
        EXPECT_EQ(dlg.m_strFile, "");
        EXPECT_EQ(dlg.m_strMedia, m_media[1]);
    }
    {  // The hot link switched off: the action list goes grey with the action's fields.
        CEventDlg dlg("", &m_media, &m_pages, &m_idents);
        dlg.m_nAction = 30;
        dlg.m_strWebsite = "http://a.example/";
        Run(dlg, [](CDialog& d) {
            EXPECT_TRUE(d.AnswerValue(D::IDC_LINK_ON, "0"));
            EXPECT_FALSE(d.IsItemEnabled(D::IDC_ACTION));
            EXPECT_EQ(Enabled(d), Ids{});
            EXPECT_TRUE(d.AnswerValue(D::IDC_LINK_ON, "1"));
            EXPECT_TRUE(d.IsItemEnabled(D::IDC_ACTION));
            EXPECT_EQ(Enabled(d), Ids{});  // until an action is picked again
            EXPECT_TRUE(d.AnswerValue(D::IDC_LINK_ON, "0"));
        });
        EXPECT_EQ(dlg.m_nAction, -1);
        EXPECT_EQ(dlg.m_strWebsite, "http://a.example/");
    }
    for (const int nCode : {5, 100}) {  // no action chosen: no link
        CEventDlg dlg("", nullptr, nullptr, nullptr);
        dlg.m_nAction = nCode;
        Run(dlg, [](CDialog&) {});
        EXPECT_EQ(dlg.m_nAction, -1);
    }
}

TEST_F(EventDialogTest, TheBoxesLightTheFieldsTheyGovern) {
    const Ids rect = {D::IDC_ACTIVATE_PAGE, D::IDC_PAGE,  D::IDC_LEFT,
                      D::IDC_TOP,           D::IDC_RIGHT, D::IDC_BOTTOM};
    {  // A score with a page opens with "Activate Page" checked.
        CEventDlg dlg("", &m_media, &m_pages, &m_idents);
        dlg.m_nAction = 21;
        dlg.m_strPage = "Intro";
        Run(dlg, [&](CDialog& d) {
            EXPECT_EQ(d.IsDlgButtonChecked(D::IDC_ACTIVATE_PAGE), 1);
            EXPECT_EQ(Enabled(d), rect);
            EXPECT_TRUE(d.AnswerValue(D::IDC_ACTIVATE_PAGE, "0"));
            EXPECT_EQ(Enabled(d), Ids{D::IDC_ACTIVATE_PAGE});
        });
        EXPECT_EQ(dlg.m_bActivatePage, 0);
    }
    {  // Without one, unchecked until clicked; picking another action greys them all.
        CEventDlg dlg("", &m_media, &m_pages, &m_idents);
        dlg.m_nAction = 22;
        Run(dlg, [&](CDialog& d) {
            EXPECT_EQ(d.IsDlgButtonChecked(D::IDC_ACTIVATE_PAGE), 0);
            EXPECT_TRUE(d.AnswerValue(D::IDC_ACTIVATE_PAGE, "1"));
            EXPECT_EQ(Enabled(d), rect);
            EXPECT_TRUE(d.AnswerValue(D::IDC_ACTION, "Link to WWW"));
            EXPECT_EQ(Enabled(d), Ids{D::IDC_WEBSITE});
        });
        EXPECT_EQ(dlg.m_nAction, 30);
    }
    {  // A media action without a file takes the host's media at once.
        CEventDlg dlg("", &m_media, &m_pages, &m_idents);
        dlg.m_nAction = 10;
        Run(dlg, [&](CDialog& d) {
            EXPECT_EQ(d.IsDlgButtonChecked(D::IDC_CONNECT), 1);
            EXPECT_EQ(Enabled(d), (Ids{D::IDC_FILE, D::IDC_BROWSE, D::IDC_CONNECT, D::IDC_MEDIA,
                                       D::IDC_PLAY_BEGIN, D::IDC_PLAY_END}));
            EXPECT_TRUE(d.AnswerValue(D::IDC_CONNECT, "0"));
            EXPECT_EQ(Enabled(d), (Ids{D::IDC_FILE, D::IDC_BROWSE, D::IDC_CONNECT}));
            EXPECT_TRUE(d.AnswerValue(D::IDC_CONNECT, "1"));
            EXPECT_EQ(Enabled(d),
                      (Ids{D::IDC_CONNECT, D::IDC_MEDIA, D::IDC_PLAY_BEGIN, D::IDC_PLAY_END}));
        });
        EXPECT_EQ(dlg.m_bConnect, 1);
    }
}

TEST_F(EventDialogTest, AMediaEntryNamesItsFileFromTheBaseInLowerCase) {
    CEventDlg dlg("D:\\Course\\", &m_media, &m_pages, &m_idents);
    dlg.m_nAction = 12;
    Run(dlg, [&](CDialog& d) {
        EXPECT_FALSE(d.IsItemEnabled(D::IDC_SELECT_BEGIN));  // none chosen yet
        const std::pair<int, const char*> cases[] = {
            {0, "d:\\course\\sound\\bell.wav"},
            {1, "c:\\media\\song.mid"},  // a drive: whole
            {2, "/media/clip.avi"},      // a path from the root: whole
        };
        for (const auto& [nEntry, szPath] : cases) {
            EXPECT_TRUE(d.AnswerValue(D::IDC_MEDIA, m_media[nEntry]));
            EXPECT_EQ(dlg.m_strMediaPath, szPath);
            EXPECT_TRUE(d.IsItemEnabled(D::IDC_SELECT_BEGIN));
        }
        // No comma, or a name typed that is no entry: nothing to pick positions in.
        EXPECT_TRUE(d.AnswerValue(D::IDC_MEDIA, "4"));
        EXPECT_FALSE(d.IsItemEnabled(D::IDC_SELECT_BEGIN));
        EXPECT_TRUE(d.AnswerValue(D::IDC_MEDIA, "9,typed.avi"));
        EXPECT_FALSE(d.IsItemEnabled(D::IDC_SELECT_BEGIN));
    });
    EXPECT_EQ(dlg.m_strMedia, "9,typed.avi");
}

TEST_F(EventDialogTest, ThePickersPositionsReachTheDialogOnlyWhileItIsOpen) {
    // A picker to be found on PATH (one beside the tests would do as well), and a media file
    // whose name the page spells in lower case.
    fs::create_directories(m_dir / "bin");
    std::ofstream(m_dir / "bin" / "tessel-media-picker") << "#!/bin/sh\n";
    fs::permissions(m_dir / "bin" / "tessel-media-picker", fs::perms::owner_all);
    const std::string strOldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", ((m_dir / "bin").string() + ":" + strOldPath).c_str(), 1);
    fs::create_directories(m_dir / "Media");
    std::ofstream(m_dir / "Media" / "Clip.AVI") << "x";
    const Strings media = {"5," + (m_dir / "Media" / "Clip.AVI").string()};

    std::vector<Strings> started;
    tessel::platform::ProgramReply reply;
    tessel::platform::SetReplyingProgramStarter(
        [&](const std::string& program, const Strings& args, tessel::platform::ProgramReply r) {
            started.push_back(args);
            EXPECT_EQ(fs::path(program).filename(), "tessel-media-picker");
            reply = std::move(r);
            return true;
        });
    CEventDlg dlg("", &media, &m_pages, &m_idents);
    dlg.m_nAction = 12;
    dlg.m_strMedia = media[0];
    Run(dlg, [&](CDialog& d) {
        ASSERT_NE(dlg.GetMessageWnd(), nullptr);
        // The message alone: the fields are read first, so what was typed stays.
        EXPECT_TRUE(d.AnswerValue(D::IDC_FILE, "typed.avi"));
        dlg.GetMessageWnd()->PostMessage(0x040B, 4000000000u, 7);
        tessel::platform::ProcessEvents();
        EXPECT_EQ(d.GetDlgItemText(D::IDC_PLAY_BEGIN), "4000000000");
        EXPECT_EQ(d.GetDlgItemText(D::IDC_PLAY_END), "7");
        EXPECT_EQ(d.GetDlgItemText(D::IDC_FILE), "typed.avi");

        EXPECT_TRUE(d.AnswerPress(D::IDC_SELECT_BEGIN));
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0], Strings{(m_dir / "Media" / "Clip.AVI").string()});
        for (const char* szNoAnswer : {"", "12\n", "1 2 3\n", "-1 5\n", "4294967296 1\n"}) {
            reply(szNoAnswer);
            tessel::platform::ProcessEvents();
            EXPECT_EQ(d.GetDlgItemText(D::IDC_PLAY_END), "7") << szNoAnswer;
        }
        reply("1500 2500\n");
        tessel::platform::ProcessEvents();
        EXPECT_EQ(d.GetDlgItemText(D::IDC_PLAY_BEGIN), "1500");
        EXPECT_EQ(d.GetDlgItemText(D::IDC_PLAY_END), "2500");
    });
    setenv("PATH", strOldPath.c_str(), 1);
    EXPECT_EQ(dlg.m_dwPlayBegin, 1500u);
    EXPECT_EQ(dlg.m_dwPlayEnd, 2500u);
    EXPECT_EQ(dlg.GetMessageWnd(), nullptr);
    reply("9 9\n");  // too late: nobody is told
    tessel::platform::ProcessEvents();
    EXPECT_EQ(dlg.m_dwPlayBegin, 1500u);
}

TEST_F(EventDialogTest, BrowseOffersTheFilesOfTheAction) {
    const std::map<int, std::pair<std::string, std::string>> cases = {
        {10, {"Sound Files (*.wav)|*.wav||", "*.wav"}},
        {11, {"Music Files (*.mid)|*.mid||", "*.mid"}},
        {12,
         {"Movie Files(*.avi,*.mpg,*.mpeg,*.dat)| *.avi; *.mpg; *.mpeg; *.dat| |",
          "*.avi;*.mpg;*.mpeg;*.dat"}},
        {13, {"Cartoon Files (*.flc)|*.flc||", "*.flc"}},
        {23,
         {"Executable Files (*.exe)|*.exe| Text Files (*.doc,*.txt)|*.doc; *.txt| Image Files "
          "(*.bmp)|*.bmp| Sound Files (*.wav)|*.wav| Music Files (*.mid)|*.mid| HTML Files "
          "(*.htm,*.html)|*.htm; *.html| All Files (*.*)|*.*||",
          "*.exe;*.doc;*.txt;*.bmp;*.wav;*.mid;*.htm;*.html"}},
    };
    for (const auto& entry : cases) {
        const auto nCode = entry.first;
        const auto& expected = entry.second;
        std::optional<std::string> answer = "/data/Picked.file";
        tessel::platform::SetFileDialogAnswerer([&](const CFileDialog& f) {
            EXPECT_TRUE(f.IsOpenDialog() && !f.IsFolderDialog());
            EXPECT_EQ(f.Filter(), expected.first);
            EXPECT_EQ(f.DefaultExtension(), expected.second);
            EXPECT_EQ(f.Flags(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
            return answer;
        });
        CEventDlg dlg("", &m_none, nullptr, nullptr);
        dlg.m_nAction = nCode;
        Run(dlg, [&](CDialog& d) {
            EXPECT_EQ(d.IsDlgButtonChecked(D::IDC_CONNECT), 0);  // the host has no media
            EXPECT_TRUE(d.AnswerValue(D::IDC_FILE, "typed"));
            EXPECT_TRUE(d.AnswerPress(D::IDC_BROWSE));
            EXPECT_EQ(d.GetDlgItemText(D::IDC_FILE), "/data/Picked.file");
            answer.reset();  // Cancel keeps the file
            EXPECT_TRUE(d.AnswerPress(D::IDC_BROWSE));
            EXPECT_EQ(d.GetDlgItemText(D::IDC_FILE), "/data/Picked.file");
        });
        EXPECT_EQ(dlg.m_strFile, "/DATA/PICKED.FILE");
    }
}

TEST_F(EventDialogTest, TheFolderPickerEndsTheFolderWithItsSeparator) {
    std::optional<std::string> answer;
    std::string strStart = "/start";
    tessel::platform::SetFileDialogAnswerer([&](const CFileDialog& f) {
        EXPECT_TRUE(f.IsFolderDialog());
        EXPECT_EQ(f.Title(), "Select folder");
        EXPECT_EQ(f.InitialFolder(), strStart);
        return answer;
    });
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {"/data/work", "/data/work/"},
        {"/data/work/", "/data/work/"},
        {"/", "/"},
        {"sub", fs::current_path().string() + "/sub/"},
        {std::nullopt, ""},
        {"/" + std::string(300, 'x'), ""},  // longer than the buffer
    };
    for (const auto& [chosen, strExpected] : cases) {
        answer = chosen;
        char szBuffer[kSelectFolderBufferSize] = "/start";
        EXPECT_EQ(SelectFolder(nullptr, szBuffer), strExpected.empty() ? 0 : 1);
        EXPECT_EQ(std::string(szBuffer), strExpected);
    }
    // The catalog takes the folder without its separator, but for the root.
    strStart = "";
    CEventDlg dlg("", nullptr, nullptr, nullptr);
    dlg.m_nAction = 23;
    Run(dlg, [&](CDialog& d) {
        EXPECT_TRUE(d.AnswerValue(D::IDC_PARAM, "typed"));
        for (const auto& chosen : {cases[0].first, cases[2].first, cases[4].first}) {
            answer = chosen;
            EXPECT_TRUE(d.AnswerPress(D::IDC_CATALOG_BROWSE));
            EXPECT_EQ(d.GetDlgItemText(D::IDC_CATALOG), chosen ? *chosen : "/");
        }
        EXPECT_EQ(d.GetDlgItemText(D::IDC_PARAM), "typed");
    });
    EXPECT_EQ(dlg.m_strCatalog, "/");
}

TEST_F(EventDialogTest, WebAddressesAreRememberedMostRecentFirst) {
    auto link = [&](const std::string& strAddress, const Strings& shown, int bLinkOn = 1) {
        CEventDlg dlg("", nullptr, nullptr, nullptr);
        dlg.m_nAction = 100;
        Run(dlg, [&](CDialog& d) {
            EXPECT_EQ(Entries(d, D::IDC_WEBSITE), shown);
            EXPECT_EQ(d.GetDlgItemText(D::IDC_WEBSITE), "");
            EXPECT_TRUE(d.AnswerValue(D::IDC_ACTION, "Link to WWW"));
            EXPECT_TRUE(d.AnswerValue(D::IDC_WEBSITE, strAddress));
            EXPECT_TRUE(d.AnswerValue(D::IDC_LINK_ON, std::to_string(bLinkOn)));
        });
        EXPECT_EQ(dlg.m_strWebsite, strAddress);
    };
    const std::string a = "http://a.example/", b = "http://b.example/\xD6\xD0";  // GBK
    link(a, {});
    link(b, {a});
    link(a, {b, a});
    link("http://off.example/", {a, b}, 0);  // no link: not remembered
    link("", {a, b});
    EXPECT_EQ(tessel::platform::ReadUserStrings(D::kWebAddressKey), (Strings{a, b}));
    // Kept as UTF-8 in the settings file.
    std::ifstream in(m_dir / "settings.conf", std::ios::binary);
    const std::string strFile{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(strFile.find("b.example/\xE4\xB8\xAD"), std::string::npos) << strFile;

    // What another program left is shown without blanks and repeats, 25 at most.
    Strings many = {"", a, a};
    for (int i = 0; i < 30; ++i)
        many.push_back("http://" + std::to_string(i) + ".example/");
    tessel::platform::WriteUserStrings(D::kWebAddressKey, many);
    Strings shown = {a};
    for (int i = 0; i < 24; ++i)
        shown.push_back("http://" + std::to_string(i) + ".example/");
    link(b, shown);
    const Strings kept = tessel::platform::ReadUserStrings(D::kWebAddressKey);
    ASSERT_EQ(kept.size(), 25u);
    EXPECT_EQ(kept[0], b);
    EXPECT_EQ(kept[1], a);
}

TEST_F(EventDialogTest, NumberFieldsRefuseWhatIsNoNumber) {
    CEventDlg dlg("", &m_media, &m_pages, &m_idents);
    dlg.m_nAction = 1;
    // Each round's values, then OK. "Paly Wave" takes the host's media, lighting the positions.
    const std::vector<std::vector<std::pair<int, const char*>>> rounds = {
        {{D::IDC_LEFT, "12a"}},
        {{D::IDC_LEFT, " -12 "}, {D::IDC_ACTION, "Paly Wave"}, {D::IDC_PLAY_BEGIN, "-1"}},
        {{D::IDC_PLAY_BEGIN, "4294967296"}},
        {{D::IDC_PLAY_BEGIN, "+4294967295"}},
    };
    std::size_t nRound = 0;
    tessel::platform::SetDialogAnswerer([&](CDialog& d) {
        for (const auto& [nID, szValue] : rounds.at(std::min(nRound, rounds.size() - 1)))
            EXPECT_TRUE(d.AnswerValue(nID, szValue)) << nRound << " " << nID;
        ++nRound;
        return d.AnswerPress(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(m_messages, (Strings{"Please enter an integer.", "Please enter a positive integer.",
                                   "Please enter a positive integer."}));
    EXPECT_EQ(dlg.m_nAction, 10);
    EXPECT_EQ(dlg.m_nLeft, -12);
    EXPECT_EQ(dlg.m_dwPlayBegin, 4294967295u);
}

}  // namespace
