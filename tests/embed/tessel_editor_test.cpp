// The editor as a Qt widget, headless: markup in and out, the signals a user's typing and the
// host's undo give, the editor following the widget's size, and the host's lists.
#include "embed/tessel_editor.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QVBoxLayout>

#include <string>

#include "editor/tessel_edit.h"
#include "platform/application.h"
#include "platform/user_input.h"
#include "widgets/tool_window.h"

namespace {

using tessel::platform::kNoModifiers;

class TesselEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        tessel::platform::EnsureApplication();
    }

    // How often each signal of the widget came.
    struct Counts {
        int nChanged = 0, nSelection = 0, nFormat = 0;
    };
    static void Count(TesselEditor& editor, Counts& counts) {
        QObject::connect(&editor, &TesselEditor::changed, [&counts]() { ++counts.nChanged; });
        QObject::connect(&editor, &TesselEditor::selectionChanged,
                         [&counts]() { ++counts.nSelection; });
        QObject::connect(&editor, &TesselEditor::formatChanged, [&counts]() { ++counts.nFormat; });
    }
    static void Type(TesselEditor& editor, const std::string& ascii) {
        for (char ch : ascii) {
            tessel::platform::PressCharacterKey(editor.editor(), static_cast<char32_t>(ch),
                                                kNoModifiers);
            tessel::platform::ReleaseCharacterKey(editor.editor(), static_cast<char32_t>(ch),
                                                  kNoModifiers);
        }
    }
};

// Pages written by hand in the writer's own form (each run self-contained: Font, Color, an
// optional FootNote, the text with a line break as & CR LF, the closing tags in reverse)
// come back byte for byte.
TEST_F(TesselEditorTest, MarkupInTheWritersFormComesBackUnchanged) {
    TesselEditor editor;
    editor.resize(600, 400);
    EXPECT_EQ(editor.editor(), nullptr);
    EXPECT_TRUE(editor.markup().isEmpty());

    const QByteArray pages[] = {
        "<Font('Arial',12,0,0,0)><Color(0,0,0)>abc</Color></Font>",
        "<Font('Arial',12,0,0,0)><Color(0,0,0)>one&\r\ntwo</Color></Font>"
        "<Font('Times New Roman',20,1,1,1)><Color(255,0,128)>three</Color></Font>",
        // GBK text (\xd6\xd0\xce\xc4), then a raised run.
        "<Font('Arial',16,0,1,0)><Color(0,0,255)>\xd6\xd0\xce\xc4</Color></Font>"
        "<Font('Arial',16,0,0,0)><Color(0,0,0)><FootNote(0)>2</FootNote></Color></Font>",
    };
    Counts counts;
    Count(editor, counts);
    for (const QByteArray& page : pages) {
        editor.setMarkup(page);
        ASSERT_NE(editor.editor(), nullptr);
        EXPECT_EQ(editor.markup(), page);
        EXPECT_FALSE(editor.canUndo());
        EXPECT_FALSE(editor.canRedo());
    }
    // Opening a page is no change of it.
    EXPECT_EQ(counts.nChanged, 0);

    // The page ends at its first zero byte; an empty page writes nothing.
    editor.setMarkup(QByteArray("<Font('Arial',12,0,0,0)><Color(0,0,0)>abc</Color></Font>\0x", 59));
    EXPECT_EQ(editor.markup(), pages[0]);
    editor.setMarkup(QByteArray());
    EXPECT_TRUE(editor.markup().isEmpty());
    // Broken markup opens without harm: what is read before the fault stays.
    editor.setMarkup("<Font('Arial',12,0,0,0)><Color(0,0,0)>ok</Color></Font><Nope(1)>x<Font(\x81");
    EXPECT_EQ(editor.markup(), "<Font('Arial',12,0,0,0)><Color(0,0,0)>ok</Color></Font>");
}

// Typed characters join one run in the editor's starting format (Arial 28, black, plain);
// each key is one change and one move of the cursor; undo() and redo() are changes too and
// take the page back and forth.
TEST_F(TesselEditorTest, TypingUndoAndRedoAreHeard) {
    TesselEditor editor;
    editor.resize(600, 400);
    editor.show();
    tessel::platform::ProcessEvents();
    EXPECT_NE(editor.editor(), nullptr);  // shown without a page: an empty one
    EXPECT_TRUE(editor.markup().isEmpty());
    Counts counts;
    Count(editor, counts);

    Type(editor, "a");
    EXPECT_EQ(counts.nChanged, 1);
    EXPECT_EQ(counts.nSelection, 1);
    Type(editor, "b");
    EXPECT_EQ(counts.nChanged, 2);
    // The cursor moved on by one character, though it stays at the end of the page.
    EXPECT_EQ(counts.nSelection, 2);
    const QByteArray typed = "<Font('Arial',28,0,0,0)><Color(0,0,0)>ab</Color></Font>";
    EXPECT_EQ(editor.markup(), typed);
    EXPECT_TRUE(editor.canUndo());
    EXPECT_FALSE(editor.canRedo());

    // A run of typed characters is one step; the cursor goes back to where it was.
    int nSelection = counts.nSelection;
    editor.undo();
    EXPECT_EQ(counts.nChanged, 3);
    EXPECT_EQ(counts.nSelection, ++nSelection);
    EXPECT_TRUE(editor.markup().isEmpty());
    EXPECT_FALSE(editor.canUndo());
    EXPECT_TRUE(editor.canRedo());
    editor.redo();
    EXPECT_EQ(counts.nChanged, 4);
    EXPECT_EQ(counts.nSelection, ++nSelection);
    EXPECT_EQ(editor.markup(), typed);
    // Nothing more to redo: no change, no signal.
    editor.redo();
    EXPECT_EQ(counts.nChanged, 4);

    // A move of the cursor alone changes nothing.
    tessel::platform::PressKey(editor.editor(), tessel::platform::Key::kLeft, kNoModifiers);
    tessel::platform::ReleaseKey(editor.editor(), tessel::platform::Key::kLeft, kNoModifiers);
    EXPECT_EQ(counts.nChanged, 4);
    EXPECT_EQ(counts.nSelection, ++nSelection);

    // A new page: the history starts again and the signals still come.
    editor.setMarkup(typed);
    EXPECT_FALSE(editor.canUndo());
    Type(editor, "c");
    EXPECT_EQ(counts.nChanged, 5);
    EXPECT_EQ(editor.markup(), "<Font('Arial',28,0,0,0)><Color(0,0,0)>cab</Color></Font>");
}

// A host may reopen the page from inside a signal of the editor being replaced.
TEST_F(TesselEditorTest, APageCanBeReopenedFromItsOwnSignal) {
    TesselEditor editor;
    editor.resize(400, 300);
    editor.setMarkup(QByteArray());
    const QByteArray page = "<Font('Arial',12,0,0,0)><Color(0,0,0)>new</Color></Font>";
    int nReopened = 0;
    QObject::connect(&editor, &TesselEditor::changed, [&]() {
        ++nReopened;
        editor.setMarkup(page);
    });
    Type(editor, "x");
    tessel::platform::ProcessEvents();
    EXPECT_EQ(nReopened, 1);
    EXPECT_EQ(editor.markup(), page);
}

// The editor covers the widget and follows it when a layout resizes it: a long text wraps
// into more rows when the page is narrower, so the laid-out page grows taller.
TEST_F(TesselEditorTest, TheEditorFollowsTheWidgetsSize) {
    QWidget window;
    auto* pLayout = new QVBoxLayout(&window);
    pLayout->setContentsMargins(0, 0, 0, 0);
    auto* pEditor = new TesselEditor;
    pLayout->addWidget(pEditor);
    window.resize(600, 300);
    window.show();
    QByteArray text;
    for (int i = 0; i < 40; ++i)
        text += "word ";
    const QByteArray page = "<Font('Arial',16,0,0,0)><Color(0,0,0)>" + text + "</Color></Font>";
    pEditor->setMarkup(page);
    // The page given right after the widget was shown is the one the editor keeps.
    CTesselEdit* pOpened = pEditor->editor();
    tessel::platform::ProcessEvents();
    EXPECT_EQ(pEditor->editor(), pOpened);
    EXPECT_EQ(pEditor->markup(), page);

    auto clientSize = [&]() {
        CRect rc;
        pEditor->editor()->GetClientRect(&rc);
        return QSize(rc.Width(), rc.Height());
    };
    EXPECT_EQ(clientSize(), QSize(600, 300));
    const int nWide = pEditor->editor()->GetWinHeight();
    EXPECT_GT(nWide, 0);

    // The editor the user types in shows the caret, before and after its window changes.
    ASSERT_EQ(tessel::platform::GetCaretInfo().hOwner, pEditor->editor()->m_hWnd);
    window.resize(200, 500);
    tessel::platform::ProcessEvents();
    EXPECT_EQ(tessel::platform::GetCaretInfo().hOwner, pEditor->editor()->m_hWnd);
    EXPECT_TRUE(tessel::platform::GetCaretInfo().bShown);
    EXPECT_EQ(pEditor->size(), QSize(200, 500));
    EXPECT_EQ(clientSize(), QSize(200, 500));
    const int nNarrow = pEditor->pageHeight();
    EXPECT_GT(nNarrow, nWide);

    // Back to the first width: the same rows again; the page is unchanged.
    window.resize(600, 300);
    tessel::platform::ProcessEvents();
    EXPECT_EQ(clientSize(), QSize(600, 300));
    EXPECT_EQ(pEditor->pageHeight(), nWide);
    EXPECT_FALSE(pEditor->canUndo());
}

// The host's lists reach the editor in the page's encoding, before and after it opens, and
// survive a reopening; so does the project directory.
TEST_F(TesselEditorTest, PageListsAndProjectDirectoryReachTheEditor) {
    TesselEditor editor;
    editor.setProjectDirectory("/tmp/course");
    // "第一页" is B5DA D2BB D2B3 in GBK.
    editor.setPageLists({"1,Sound\\Bell.wav"}, {"Page 1", QString::fromUtf8("第一页")}, {"1 Sub"});
    editor.setMarkup("<Font('Arial',12,0,0,0)><Color(0,0,0)>x</Color></Font>");
    const CStringArray pages = {"Page 1", "\xb5\xda\xd2\xbb\xd2\xb3"};
    ASSERT_NE(editor.editor(), nullptr);
    EXPECT_EQ(editor.editor()->m_saMedia, CStringArray{"1,Sound\\Bell.wav"});
    EXPECT_EQ(editor.editor()->m_saPage, pages);
    EXPECT_EQ(editor.editor()->m_saIdent, CStringArray{"1 Sub"});
    EXPECT_EQ(editor.editor()->ProjectDirectory(), "/tmp/course/");

    editor.setPageLists({}, {"Other"}, {});
    EXPECT_EQ(editor.editor()->m_saPage, CStringArray{"Other"});
    editor.setMarkup(QByteArray());
    EXPECT_EQ(editor.editor()->m_saPage, CStringArray{"Other"});
    EXPECT_TRUE(editor.editor()->m_saMedia.empty());
    EXPECT_EQ(editor.editor()->ProjectDirectory(), "/tmp/course/");
}

// The opening options take effect at the next setMarkup; values no page can use are refused.
TEST_F(TesselEditorTest, OpeningOptionsApplyAtTheNextPage) {
    TesselEditor editor;
    editor.setMarkup(QByteArray());
    EXPECT_EQ(editor.editor()->m_crHotLink, RGB(0, 0, 255));
    EXPECT_EQ(editor.editor()->m_nLineSpace, 2);
    editor.setHotLinkColor(QColor(10, 20, 30));
    editor.setZoom(1.5);
    editor.setZoom(0.0);
    editor.setSpacing(3, 5);
    EXPECT_EQ(editor.editor()->m_crHotLink, RGB(0, 0, 255));
    editor.setMarkup(QByteArray());
    EXPECT_EQ(editor.editor()->m_crHotLink, RGB(10, 20, 30));
    EXPECT_EQ(editor.editor()->m_dZoom, 1.5);
    EXPECT_EQ(editor.editor()->m_nCharSpace, 3);
    EXPECT_EQ(editor.editor()->m_nLineSpace, 5);
    // Undo and redo before anything happened do nothing.
    editor.undo();
    editor.redo();
    EXPECT_TRUE(editor.markup().isEmpty());
}

}  // namespace

// The tool window floats above the page as a window of its own; when the page moves on the
// screen (the host's layout placing it, the host's window moved) the tool window moves by as
// much.
TEST(TesselEditorWindow, TheToolWindowFollowsTheHostsWindow) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tessel::platform::EnsureApplication();
    QWidget window;
    auto* pLayout = new QVBoxLayout(&window);
    pLayout->setContentsMargins(0, 120, 0, 0);
    auto* pEditor = new TesselEditor;
    pLayout->addWidget(pEditor);
    window.resize(500, 400);
    window.move(200, 200);
    // Opened before the window is shown, when the layout has not placed the page yet.
    pEditor->setMarkup("<Font('Arial',12,0,0,0)><Color(0,0,0)>x</Color></Font>");
    window.show();
    tessel::platform::ProcessEvents();
    CWnd* pBar = pEditor->editor()->ToolBar();
    ASSERT_NE(pBar, nullptr);
    const auto barRect = [pBar]() {
        CRect rc;
        pBar->GetWindowRect(&rc);
        return QRect(rc.left, rc.top, rc.Width(), rc.Height());
    };
    const QRect before = barRect();
    // Where the editor put it: its bottom 20 pixels above the page's top left corner.
    const QPoint pageOrigin = pEditor->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(before.left(), pageOrigin.x());
    EXPECT_EQ(before.top() + before.height() + 20, pageOrigin.y());

    window.move(260, 170);
    tessel::platform::ProcessEvents();
    EXPECT_EQ(barRect(), before.translated(60, -30));
    // A tool window the user put elsewhere keeps its distance from the window.
    pBar->MoveWindow(before.left() + 300, before.top(), before.width(), before.height(), TRUE);
    window.move(250, 170);
    tessel::platform::ProcessEvents();
    EXPECT_EQ(barRect(), before.translated(300 - 10, 0));
}
