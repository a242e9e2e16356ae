// The studio's window on pages the tests write: edits through the scripted player, every
// message box and file dialog answered here, the results read back with the markup reader.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "document/my_list.h"
#include "editor/tessel_edit.h"
#include "embed/tessel_editor.h"
#include "markup/word_analyzer.h"
#include "page_file.h"
#include "platform/dialog.h"
#include "platform/file_dialog.h"
#include "platform/gbk.h"
#include "player.h"
#include "studio_files.h"
#include "studio_window.h"

namespace tessel::studio {
namespace {

using test::Put;
using test::Slurp;
using test::TextPage;

bool Exists(const std::string& strPath) {
    return QFile::exists(QString::fromStdString(strPath));
}

// The text of a page as the markup reader reads it: its Text elements' texts in order.
std::string TextOf(const std::string& markup) {
    CMyList list;
    CWordAnalyzer().Convert(markup.c_str(), &list);
    std::string out;
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext) {
        if (p->m_nKind == kKindText) out += p->m_Command[0].strText;  // a Text element's characters
    }
    return out;
}

// Answers the window's message boxes and file dialogs from queues, and keeps what was asked
// (message texts in UTF-8).
class Answers {
  public:
    Answers() { Install(); }
    // The player answers dialogs itself while it plays, and removes every answerer after.
    void Install() {
        platform::SetMessageBoxAnswerer([this](const platform::MessageBoxRequest& request) {
            asked.push_back(platform::GbkToUtf8(request.strText));
            if (boxes.empty()) return std::optional<int>();
            const int nAnswer = boxes.front();
            boxes.pop_front();
            return std::optional<int>(nAnswer);
        });
        platform::SetFileDialogAnswerer([this](const CFileDialog&) {
            if (files.empty()) return std::optional<std::string>();
            std::string strPath = files.front();
            files.pop_front();
            return std::optional<std::string>(strPath);
        });
    }
    ~Answers() {
        platform::SetMessageBoxAnswerer({});
        platform::SetFileDialogAnswerer({});
    }
    std::deque<int> boxes;
    std::deque<std::string> files;
    std::vector<std::string> asked;
};

class StudioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_Dir.isValid());
        m_strDir = m_Dir.path().toStdString();
        m_strPage = m_strDir + "/page.tsm";
    }
    std::unique_ptr<StudioWindow> NewWindow() {
        auto window = std::make_unique<StudioWindow>();
        window->show();
        QCoreApplication::processEvents();
        return window;
    }
    // A window open on the page, written with those bytes first.
    std::unique_ptr<StudioWindow> Opened(const std::string& page) {
        Put(m_strPage, page);
        auto window = NewWindow();
        if (!window->OpenPage(m_strPage)) ADD_FAILURE() << "cannot open " << m_strPage;
        return window;
    }
    void Play(StudioWindow& window, const std::string& script) {
        const play::PlayResult result = play::PlayScript(*window.Editor(), script);
        m_Answers.Install();
        ASSERT_EQ(result.nExit, 0) << result.strError;
    }
    QTemporaryDir m_Dir;
    std::string m_strDir, m_strPage;
    Answers m_Answers;
};

TEST_F(StudioTest, EditSaveReopen) {
    auto window = Opened(TextPage("Hello"));
    EXPECT_FALSE(window->IsModified());
    EXPECT_EQ(window->ProjectDirectory(), m_strDir);
    Play(*window, "key End\ntype  world\n");
    EXPECT_TRUE(window->IsModified());
    ASSERT_TRUE(window->Save());
    EXPECT_FALSE(window->IsModified());
    EXPECT_TRUE(m_Answers.asked.empty());
    EXPECT_EQ(TextOf(Slurp(m_strPage)), "Hello world");
    EXPECT_TRUE(LossesOfPage(Slurp(m_strPage)).empty());
    EXPECT_EQ(window->RecentFiles().value(0).toStdString(), m_strPage);

    auto again = NewWindow();
    ASSERT_TRUE(again->OpenPage(m_strPage));
    EXPECT_EQ(TextOf(again->Editor()->GetEditText()), "Hello world");
    EXPECT_FALSE(again->IsModified());
}

TEST_F(StudioTest, SecondSaveKeepsTheFirstAsBackup) {
    auto window = Opened(TextPage("A"));
    Play(*window, "key End\ntype B\n");
    ASSERT_TRUE(window->Save());
    const std::string first = Slurp(m_strPage);
    EXPECT_EQ(TextOf(Slurp(m_strPage + "~")), "A");  // the page as it was opened
    Play(*window, "type C\n");
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(Slurp(m_strPage + "~"), first);
    EXPECT_EQ(TextOf(Slurp(m_strPage)), "ABC");
}

TEST_F(StudioTest, SaveAsUntitledPage) {
    auto window = NewWindow();
    Play(*window, "type new page\n");
    const std::string strTarget = m_strDir + "/fresh.tsm";
    m_Answers.files.push_back(strTarget);
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(window->PagePath(), strTarget);
    EXPECT_EQ(TextOf(Slurp(strTarget)), "new page");
}

TEST_F(StudioTest, CrashRecoveryOffersTheEditsBack) {
    Put(m_strPage, TextPage("Saved"));
    {
        auto window = NewWindow();
        ASSERT_TRUE(window->OpenPage(m_strPage));
        Play(*window, "key End\ntype  unsaved\n");
        ASSERT_TRUE(window->Autosave());
        EXPECT_TRUE(Exists(RecoveryPath(m_strPage)));
        // The window goes without being closed: the session ended without saving.
    }
    EXPECT_EQ(TextOf(Slurp(m_strPage)), "Saved");
    ASSERT_TRUE(Exists(RecoveryPath(m_strPage)));

    auto window = NewWindow();
    m_Answers.boxes.push_back(IDYES);
    ASSERT_TRUE(window->OpenPage(m_strPage));
    ASSERT_EQ(m_Answers.asked.size(), 1u);
    EXPECT_NE(m_Answers.asked[0].find("never saved"), std::string::npos) << m_Answers.asked[0];
    EXPECT_EQ(TextOf(window->Editor()->GetEditText()), "Saved unsaved");
    EXPECT_TRUE(window->IsModified());
    ASSERT_TRUE(window->Save());
    EXPECT_FALSE(Exists(RecoveryPath(m_strPage)));
    EXPECT_EQ(TextOf(Slurp(m_strPage)), "Saved unsaved");
}

TEST_F(StudioTest, AutosaveWithoutChangesLeavesNoRecovery) {
    auto window = Opened(TextPage("Same"));
    Play(*window, "type x\nkey Back\n");
    ASSERT_TRUE(window->Autosave());
    EXPECT_FALSE(Exists(RecoveryPath(m_strPage)));
}

TEST_F(StudioTest, UnsavedChangesPrompt) {
    auto window = Opened(TextPage("Keep"));
    Play(*window, "type more \n");
    ASSERT_TRUE(window->Autosave());

    m_Answers.boxes.push_back(IDCANCEL);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(m_Answers.asked.size(), 1u);
    EXPECT_NE(m_Answers.asked[0].find("unsaved changes"), std::string::npos);
    EXPECT_TRUE(window->IsModified());

    m_Answers.boxes.push_back(IDNO);  // discard
    EXPECT_TRUE(window->close());
    EXPECT_EQ(TextOf(Slurp(m_strPage)), "Keep");
    EXPECT_FALSE(Exists(RecoveryPath(m_strPage)));
}

TEST_F(StudioTest, PromptSaveSavesBeforeClosing) {
    auto window = Opened(TextPage("One"));
    Play(*window, "key End\ntype  two\n");
    m_Answers.boxes.push_back(IDYES);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(TextOf(Slurp(m_strPage)), "One two");
}

TEST_F(StudioTest, PageWithLossesWarnsAndFirstSaveAsks) {
    const std::string page = TextPage("Kept") + "<Foo>" + TextPage("Lost");
    auto window = Opened(page);
    ASSERT_EQ(m_Answers.asked.size(), 1u);
    const std::string strOffset = "byte " + std::to_string(page.find("<Foo>"));
    EXPECT_NE(m_Answers.asked[0].find(strOffset), std::string::npos) << m_Answers.asked[0];
    EXPECT_NE(m_Answers.asked[0].find("unknown tag"), std::string::npos);

    Play(*window, "key End\ntype !\n");
    m_Answers.boxes.push_back(IDNO);
    EXPECT_FALSE(window->Save());
    EXPECT_EQ(Slurp(m_strPage), page);  // not saved over
    ASSERT_EQ(m_Answers.asked.size(), 2u);
    EXPECT_NE(m_Answers.asked[1].find(strOffset), std::string::npos) << m_Answers.asked[1];

    m_Answers.boxes.push_back(IDYES);
    EXPECT_TRUE(window->Save());
    EXPECT_EQ(TextOf(Slurp(m_strPage)), "Kept!");
    EXPECT_EQ(Slurp(m_strPage + "~"), page);
    // Once confirmed, later saves do not ask again.
    Play(*window, "type ?\n");
    EXPECT_TRUE(window->Save());
    EXPECT_EQ(m_Answers.asked.size(), 3u);
}

TEST_F(StudioTest, OversizedPageWarnsBeforeSaving) {
    // Text elements of 1000 bytes each, to just under the reader's limit.
    std::string page;
    for (char c = 'a'; page.size() + TextPage(std::string(1000, c)).size() < 20400; ++c)
        page += TextPage(std::string(1000, c));
    auto window = Opened(page);
    ASSERT_TRUE(m_Answers.asked.empty()) << m_Answers.asked[0];
    Play(*window, "type " + std::string(600, 'z') + "\n");
    ASSERT_GT(window->Editor()->GetEditText().size(), 20481u);

    m_Answers.boxes.push_back(IDNO);
    EXPECT_FALSE(window->Save());
    EXPECT_EQ(Slurp(m_strPage), page);
    ASSERT_EQ(m_Answers.asked.size(), 1u);
    EXPECT_NE(m_Answers.asked[0].find("20481"), std::string::npos) << m_Answers.asked[0];
    EXPECT_NE(m_Answers.asked[0].find("cut after"), std::string::npos) << m_Answers.asked[0];
}

// A page of nLines short lines: a line break ends a row, so it needs nLines rows.
std::string LinesPage(int nLines) {
    std::string strText;
    for (int i = 1; i <= nLines; ++i)
        strText += (i > 1 ? "\\n" : "") + std::string("L") + std::to_string(i);
    return TextPage(strText);
}

TEST_F(StudioTest, PageOfExactlyAllRowsSavesWithoutWarning) {
    auto window = Opened(LinesPage(kMaxRows));
    // Every row of the table is in use, and nothing is left over.
    EXPECT_FALSE(window->Editor()->m_Row[kMaxRows - 1].IsEndMarker());
    EXPECT_EQ(window->Editor()->LaidOutEnd().nLink, kEndMark);
    Play(*window, "key End\ntype !\n");
    EXPECT_TRUE(window->Save());
    EXPECT_TRUE(m_Answers.asked.empty()) << m_Answers.asked[0];
}

TEST_F(StudioTest, PageBeyondTheRowsWarnsBeforeSaving) {
    auto window = Opened(LinesPage(kMaxRows + 1));
    ASSERT_TRUE(m_Answers.asked.empty()) << m_Answers.asked[0];
    Play(*window, "key End\ntype !\n");
    m_Answers.boxes.push_back(IDNO);
    EXPECT_FALSE(window->Save());
    EXPECT_EQ(Slurp(m_strPage), LinesPage(kMaxRows + 1));
    ASSERT_EQ(m_Answers.asked.size(), 1u);
    // The last line is the one without a row: it is in the page's only element.
    EXPECT_NE(m_Answers.asked[0].find("element 0: the page needs more than the 128 rows"),
              std::string::npos)
        << m_Answers.asked[0];
    m_Answers.boxes.push_back(IDYES);
    EXPECT_TRUE(window->Save());
    EXPECT_FALSE(window->IsModified());
}

int RowsInUse(const CTesselEdit& editor) {
    int nRows = 0;
    while (nRows < kMaxRows && !editor.m_Row[nRows].IsEndMarker())
        ++nRows;
    return nRows;
}

TEST_F(StudioTest, PageFollowsTheWindowsSize) {
    std::string strWords;
    for (int i = 0; i < 60; ++i)
        strWords += "word ";
    auto window = Opened(TextPage(strWords));
    // The page fills the window below the band the tool window floats over.
    EXPECT_EQ(window->PageWidget()->parentWidget(), window->centralWidget());
    EXPECT_EQ(window->PageWidget()->y(), 95);

    window->resize(400, 400);
    QCoreApplication::processEvents();
    CRect narrow;
    window->Editor()->GetClientRect(&narrow);
    EXPECT_EQ(narrow.Width(), window->PageWidget()->width());
    EXPECT_EQ(narrow.Height(), window->PageWidget()->height());
    const int nNarrowRows = RowsInUse(*window->Editor());

    window->resize(1200, 500);
    QCoreApplication::processEvents();
    CRect wide;
    window->Editor()->GetClientRect(&wide);
    EXPECT_EQ(wide.Width(), window->PageWidget()->width());
    EXPECT_GT(wide.Width(), narrow.Width());
    // The same words, wrapped at a width three times as large, take fewer rows.
    EXPECT_LT(RowsInUse(*window->Editor()), nNarrowRows);
    EXPECT_FALSE(window->IsModified());
}

TEST_F(StudioTest, ProjectListsReachTheEditor) {
    Put(m_strPage, TextPage("P"));
    Put(m_strDir + "/other.tsm", TextPage("O"));
    Put(m_strDir + "/bell.wav", "");
    Put(m_strDir + "/tessel-project.ini", "3 summary\n");
    auto window = NewWindow();
    ASSERT_TRUE(window->OpenPage(m_strPage));
    const CTesselEdit& editor = *window->Editor();
    EXPECT_EQ(editor.m_saPage, (CStringArray{"other"}));
    EXPECT_EQ(editor.m_saMedia, (CStringArray{"1,bell.wav"}));
    EXPECT_EQ(editor.m_saIdent, (CStringArray{"3 summary"}));
    // The editor puts the folder before the page's file names as it stands: it ends with a
    // separator.
    EXPECT_EQ(editor.ProjectDirectory(), m_strDir + "/");
}

TEST_F(StudioTest, ViewSettingsAreRememberedAndApplied) {
    Put(m_strPage, TextPage("View"));
    {
        auto window = NewWindow();
        ASSERT_TRUE(window->OpenPage(m_strPage));
        Play(*window, "type x\n");
        ViewSettings view = window->View();
        view.dZoom = 1.5;
        view.nLineSpace = 6;
        view.crHotLink = RGB(200, 0, 0);
        window->SetView(view);
        EXPECT_EQ(window->Editor()->m_dZoom, 1.5);
        EXPECT_EQ(window->Editor()->m_nLineSpace, 6);
        EXPECT_TRUE(window->IsModified());  // the edit stays
        EXPECT_EQ(TextOf(window->Editor()->GetEditText()), "xView");
        m_Answers.boxes.push_back(IDNO);
        window->close();
    }
    auto window = NewWindow();
    EXPECT_EQ(window->View().dZoom, 1.5);
    EXPECT_EQ(window->View().nLineSpace, 6);
    EXPECT_EQ(window->View().crHotLink, RGB(200, 0, 0));
    EXPECT_EQ(window->Editor()->m_dZoom, 1.5);
    ViewSettings plain;
    window->SetView(plain);
}

TEST_F(StudioTest, StatusShowsElementAndFormat) {
    auto window = Opened("<Font('Arial',14,1,0,0)><Color(0,0,0)>Bold</Color></Font>");
    Play(*window, "key Right\n");
    const std::string strStatus = window->StatusText().toStdString();
    EXPECT_NE(strStatus.find("Text"), std::string::npos) << strStatus;
    EXPECT_NE(strStatus.find("Arial"), std::string::npos) << strStatus;
}

TEST_F(StudioTest, BinaryFileOpensWithAWarning) {
    // A picture's first bytes: a NUL at byte 8 ends what the reader takes.
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    auto window = Opened(bytes);
    ASSERT_EQ(m_Answers.asked.size(), 1u);
    EXPECT_NE(m_Answers.asked[0].find("byte 8: a NUL byte"), std::string::npos)
        << m_Answers.asked[0];
    m_Answers.boxes.push_back(IDNO);
    EXPECT_FALSE(window->Save());
    EXPECT_EQ(Slurp(m_strPage), bytes);
}

TEST_F(StudioTest, FolderIsNoPage) {
    auto window = Opened(TextPage("Still here"));
    Play(*window, "type x\n");
    EXPECT_FALSE(window->OpenPage(m_strDir));
    ASSERT_EQ(m_Answers.asked.size(), 1u);  // no question about the changes first
    EXPECT_NE(m_Answers.asked[0].find("Cannot open " + m_strDir), std::string::npos)
        << m_Answers.asked[0];
    EXPECT_EQ(window->PagePath(), m_strPage);
    EXPECT_TRUE(window->IsModified());
}

// The menu entry with that text (accelerator marks left out).
QAction* Action(QWidget& window, const QString& text) {
    for (QAction* pAction : window.findChildren<QAction*>()) {
        if (pAction->text().remove('&') == text) return pAction;
    }
    return nullptr;
}

TEST_F(StudioTest, EditMenuSendsUndoAndRedo) {
    auto window = Opened(TextPage("Base"));
    Play(*window, "type new \n");
    ASSERT_NE(Action(*window, "Undo"), nullptr);
    Action(*window, "Undo")->trigger();
    EXPECT_EQ(TextOf(window->Editor()->GetEditText()), "Base");
    EXPECT_FALSE(window->IsModified());  // back where it was saved
    Action(*window, "Redo")->trigger();
    EXPECT_EQ(TextOf(window->Editor()->GetEditText()), "new Base");
}

// The Insert menu gives the editor's insert commands, Insert Frame too, whose tool-window
// button stays greyed: Columns opens the dialog of the columns (titled as the editor titles it).
TEST_F(StudioTest, InsertMenuOpensTheEditorsDialogs) {
    auto window = Opened(TextPage("P"));
    std::vector<std::string> titles;
    platform::SetDialogAnswerer([&titles](CDialog& dialog) {
        titles.push_back(dialog.GetWindowText());
        return false;  // cancelled
    });
    for (const char* szEntry : {"Columns...", "Judgement..."}) {
        ASSERT_NE(Action(*window, szEntry), nullptr) << szEntry;
        Action(*window, szEntry)->trigger();
    }
    platform::SetDialogAnswerer({});
    EXPECT_EQ(titles, (std::vector<std::string>{"Insert Columes", "Judgment"}));
    EXPECT_FALSE(window->IsModified());
}

TEST_F(StudioTest, ProjectFolderMenuRescansTheLists) {
    Put(m_strPage, TextPage("P"));
    const std::string strOther = m_strDir + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(strOther)));
    Put(strOther + "/chapter.tsm", TextPage("C"));
    auto window = NewWindow();
    ASSERT_TRUE(window->OpenPage(m_strPage));
    EXPECT_TRUE(window->Editor()->m_saPage.empty());
    m_Answers.files.push_back(strOther);
    Action(*window, "Project Folder...")->trigger();
    EXPECT_EQ(window->ProjectDirectory(), strOther);
    EXPECT_EQ(window->Editor()->ProjectDirectory(), strOther + "/");
    EXPECT_EQ(window->Editor()->m_saPage, (CStringArray{"chapter"}));
}

TEST_F(StudioTest, RecentFilesNewestFirst) {
    auto window = NewWindow();
    for (const char* name : {"one.tsm", "two.tsm", "one.tsm"}) {
        Put(m_strDir + "/" + name, TextPage(name));
        ASSERT_TRUE(window->OpenPage(m_strDir + "/" + name));
    }
    const QStringList recent = window->RecentFiles();
    ASSERT_GE(recent.size(), 2);
    EXPECT_EQ(recent[0].toStdString(), m_strDir + "/one.tsm");
    EXPECT_EQ(recent[1].toStdString(), m_strDir + "/two.tsm");
    EXPECT_EQ(recent.count(recent[0]), 1);
}

TEST_F(StudioTest, UntitledPageAutosavesUnderTheStateFolder) {
    const QByteArray old = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(m_strDir));
    auto window = NewWindow();
    Play(*window, "type draft\n");
    ASSERT_TRUE(window->Autosave());
    const std::string strRecovery = window->RecoveryFile();
    EXPECT_EQ(strRecovery.rfind(m_strDir + "/tessel-studio/untitled-", 0), 0u) << strRecovery;
    EXPECT_EQ(TextOf(Slurp(strRecovery)), "draft");
    m_Answers.boxes.push_back(IDNO);  // discard
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(Exists(strRecovery));
    if (old.isNull()) {
        qunsetenv("XDG_STATE_HOME");
    } else {
        qputenv("XDG_STATE_HOME", old);
    }
}

// The example page and its pictures copied into the test's folder.
void CopyExamples(const std::string& strTo) {
    std::filesystem::copy(TESSEL_EXAMPLES_DIR, strTo, std::filesystem::copy_options::recursive);
}

// The addresses of the image tags of an HTML page, read with a pattern of their own.
std::vector<std::string> ImageSources(const std::string& html) {
    static const std::regex kImg(R"re(<img\b[^>]*\bsrc="([^"]*)")re", std::regex::icase);
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), kImg);
         it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1]);
    return out;
}

TEST_F(StudioTest, PublishWritesAPageWhosePicturesAreThereAndOpensIt) {
    CopyExamples(m_strDir + "/course");
    const std::string strPage = m_strDir + "/course/exam-page.tsm";
    std::vector<QUrl> opened;
    StudioWindow::SetBrowserOpener([&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    auto window = NewWindow();
    ASSERT_TRUE(window->OpenPage(strPage));
    EXPECT_EQ(window->DefaultPublishFolder(), m_strDir + "/course/exam-page-html");
    const std::string strOut = m_strDir + "/site";
    m_Answers.files.push_back(strOut);
    Action(*window, "Publish as HTML...")->trigger();
    StudioWindow::SetBrowserOpener({});
    // The example page shows one picture and one formula, and publishes without a problem.
    EXPECT_TRUE(m_Answers.asked.empty()) << m_Answers.asked.front();
    const std::string html = Slurp(strOut + "/index.html");
    const std::vector<std::string> sources = ImageSources(html);
    EXPECT_EQ(sources.size(), 2u) << html;
    // A browser reads a backslash in a file address as a slash, and letter case literally.
    for (std::string strSrc : sources) {
        std::replace(strSrc.begin(), strSrc.end(), '\\', '/');
        EXPECT_TRUE(Exists(strOut + "/" + strSrc)) << strSrc;
    }
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(strOut + "/index.html")));
    // The page itself is left as it was.
    EXPECT_FALSE(window->IsModified());
}

TEST_F(StudioTest, ExportPdfWritesPagesAndSaysWhatFails) {
    auto window = Opened(TextPage("Printed"));
    const std::string strPdf = m_strDir + "/page.pdf";
    m_Answers.files.push_back(strPdf);
    Action(*window, "Export PDF...")->trigger();
    const std::string pdf = Slurp(strPdf);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("/Type /Page\n"), std::string::npos);
    EXPECT_TRUE(m_Answers.asked.empty());
    // A folder that does not exist cannot take the file, and the author is told.
    EXPECT_FALSE(window->ExportPdfTo(m_strDir + "/no/such/folder/page.pdf"));
    ASSERT_EQ(m_Answers.asked.size(), 1u);
    EXPECT_NE(m_Answers.asked[0].find("no/such/folder/page.pdf"), std::string::npos);
}

TEST(StudioProgram, WaylandSessionsRunThroughXWayland) {
    EXPECT_EQ(PlatformForSession("", "wayland-0", ":0"), "xcb");
    // A platform the user chose stays.
    EXPECT_EQ(PlatformForSession("wayland", "wayland-0", ":0"), "");
    EXPECT_EQ(PlatformForSession("offscreen", "wayland-0", ""), "");
    // Without XWayland there is no X server to run through; without Wayland nothing changes.
    EXPECT_EQ(PlatformForSession("", "wayland-0", ""), "");
    EXPECT_EQ(PlatformForSession("", "", ":0"), "");
    EXPECT_EQ(PlatformForSession("", "", ""), "");
}

TEST(StudioProgram, PrintsVersionAndHelp) {
    QProcess process;
    process.start(TESSEL_STUDIO, {"--version"});
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput().toStdString(),
              std::string("tessel-studio ") + TESSEL_VERSION + "\n");
    process.start(TESSEL_STUDIO, {"--help"});
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_NE(process.readAllStandardOutput().indexOf("usage: tessel-studio"), -1);
    process.start(TESSEL_STUDIO, {"--nonsense"});
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_EQ(process.exitCode(), 2);
}

}  // namespace
}  // namespace tessel::studio
