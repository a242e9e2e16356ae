// The formula editor's window, headless, driven through its text box, its shortcuts and its
// prompts as a user drives it. What the window draws and reports is checked against the
// formula module itself, reading the same text or the saved file; the error places are those
// the module's reading rules give for the texts typed here, written out by hand.

#include "formula_window.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "formula/formula.h"
#include "platform/gbk.h"
#include "program_dir.h"
#include "prompts.h"

namespace {

using tessel::formula_editor::FormulaWindow;
using tessel::formula_editor::Prompts;

// Answers in the user's place and remembers what was asked.
class AnsweringPrompts : public Prompts {
  public:
    Answer answer = Answer::kCancel;
    QString strOpenPath, strSavePath;
    int nAskedToSave = 0, nAskedOpen = 0, nAskedSave = 0;
    QString strSuggested;
    QStringList warnings;

    Answer AskToSaveChanges(QWidget*, const QString&) override {
        ++nAskedToSave;
        return answer;
    }
    QString AskOpenPath(QWidget*, const QString&) override {
        ++nAskedOpen;
        return strOpenPath;
    }
    QString AskSavePath(QWidget*, const QString& strStart) override {
        ++nAskedSave;
        strSuggested = strStart;
        return strSavePath;
    }
    void Warn(QWidget*, const QString& strText) override { warnings << strText; }
};

// Some pixel of the drawing is dark.
bool HasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

// The formula module's own measure of a text: width and height as a page stores them.
std::pair<int, int> PageSize(const std::string& strText) {
    CFormula formula;
    EXPECT_EQ(formula.Parse(strText), 1) << strText;
    const CRect rc = formula.GetRect();
    return {rc.Width(), rc.Height() - CFormula::kBottomSlack};
}

CRect RectOfFile(const std::filesystem::path& path) {
    CFormula formula;
    EXPECT_EQ(formula.Open(path.c_str()), 1) << path << ": " << formula.GetLastError();
    return formula.GetRect();
}

// The mark under the error's character, if there is one.
const QTextEdit::ExtraSelection* ErrorMark(const QList<QTextEdit::ExtraSelection>& selections) {
    for (const QTextEdit::ExtraSelection& selection : selections)
        if (selection.format.underlineStyle() == QTextCharFormat::WaveUnderline) return &selection;
    return nullptr;
}

class FormulaWindowTest : public ProgramDirTest {
  protected:
    void SetUp() override {
        ProgramDirTest::SetUp();
        m_window.SetPrompts(&m_prompts);
    }

    QString Path(const std::string& strName) const {
        return QString::fromStdString((m_dir / strName).string());
    }
    // Shows the window and makes it the active one, so that its shortcuts work.
    void Show(FormulaWindow& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Replaces the whole text as a user's edit (it can be undone).
    static void Retype(FormulaWindow& window, const QString& strText) {
        window.Source()->selectAll();
        window.Source()->insertPlainText(strText);
    }
    static void Press(FormulaWindow& window, int nKey, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(window.Source(), static_cast<Qt::Key>(nKey), modifiers);
    }

    AnsweringPrompts m_prompts;
    FormulaWindow m_window;
};

// The drawing follows the text a moment after it changes, at the window's zoom of the size a
// page gives the formula.
TEST_F(FormulaWindowTest, DrawsTheFormulaAsItIsTyped) {
    Write("sum.fml", "x^2");
    ASSERT_TRUE(m_window.OpenFile(Path("sum.fml")));
    Show(m_window);
    EXPECT_TRUE(m_window.windowTitle().contains("sum.fml"));
    EXPECT_FALSE(m_window.isWindowModified());
    EXPECT_EQ(m_window.Source()->toPlainText(), "x^2");

    const QImage before = m_window.Preview();
    ASSERT_TRUE(HasInk(before));
    auto [w, h] = PageSize("x^2");
    EXPECT_EQ(before.width(), std::lround(w * m_window.Zoom()));
    EXPECT_EQ(before.height(), std::lround(h * m_window.Zoom()));

    m_window.Source()->moveCursor(QTextCursor::End);
    QTest::keyClicks(m_window.Source(), " + \\frac{1}{n}");
    EXPECT_EQ(m_window.Source()->toPlainText(), "x^2 + \\frac{1}{n}");
    EXPECT_TRUE(m_window.isWindowModified());
    EXPECT_EQ(m_window.Preview(), before);  // not yet: the pause after typing comes first
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window.Preview() != before; }, 5000));
    EXPECT_TRUE(HasInk(m_window.Preview()));
    std::tie(w, h) = PageSize("x^2 + \\frac{1}{n}");
    EXPECT_EQ(m_window.Preview().width(), std::lround(w * m_window.Zoom()));
    EXPECT_EQ(m_window.StatusText(), QString("%1 × %2 pixels on the page").arg(w).arg(h));

    // Ctrl+0 shows the page's own size; zooming in makes it larger again.
    Press(m_window, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(m_window.Preview().size(), QSize(w, h));
    Press(m_window, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_GT(m_window.Preview().width(), w);

    // Nothing to draw once the text is only a comment.
    Retype(m_window, "% later");
    m_window.UpdateNow();
    EXPECT_TRUE(m_window.Preview().isNull());
    EXPECT_FALSE(m_window.HasError());
}

// An error is marked at the line and column the formula module reports, with its message in
// the status bar; the drawing keeps the last formula without one. Fixing the text clears it.
TEST_F(FormulaWindowTest, MarksErrorsWhereTheFormulaModuleFindsThem) {
    Show(m_window);
    Retype(m_window, "x^2");
    m_window.UpdateNow();
    const QImage good = m_window.Preview();
    ASSERT_TRUE(HasInk(good));

    // Text, the error's line and column, and where that is in the text box (UTF-16 units).
    const std::tuple<QString, int, int, int> cases[] = {
        {"x + \\foo", 1, 5, 4},               // unknown command
        {"x^2^3", 1, 4, 3},                   // a second superscript
        {"\\frac{a}", 1, 9, 8},               // the argument missing at the end
        {"a\n  # b", 2, 3, 4},                // a bare #
        {"\\text{面积} + \\foo", 1, 13, 12},  // columns count characters
        {"\U0001D465 + \\foo", 1, 5, 5},      // one character, two UTF-16 units
        {"a\n\n\\left( x\n", 3, 7, 9},        // no \right before the end
        {"% comment\n{x\n", 2, 2, 11},        // group not closed
    };
    for (const auto& [text, nLine, nColumn, nPosition] : cases) {
        Retype(m_window, text);
        m_window.UpdateNow();
        EXPECT_TRUE(m_window.HasError()) << text.toStdString();

        CFormula reference;
        ASSERT_EQ(reference.Parse(text.toStdString()), 0) << text.toStdString();
        EXPECT_EQ(m_window.StatusText(), QString("Line %1, column %2: %3")
                                             .arg(nLine)
                                             .arg(nColumn)
                                             .arg(QString::fromStdString(reference.GetLastError())))
            << text.toStdString();

        const QList<QTextEdit::ExtraSelection> selections = m_window.Source()->extraSelections();
        const QTextEdit::ExtraSelection* pMark = ErrorMark(selections);
        ASSERT_NE(pMark, nullptr) << text.toStdString();
        EXPECT_EQ(pMark->cursor.position(), nPosition) << text.toStdString();
        EXPECT_TRUE(pMark->cursor.hasSelection()) << text.toStdString();
        EXPECT_EQ(pMark->cursor.block().blockNumber(), nLine - 1) << text.toStdString();
        EXPECT_EQ(m_window.Preview(), good) << text.toStdString();
    }

    // The fix is seen after the pause, as any other change.
    Retype(m_window, "x^{2^3}");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_window.HasError(); }, 5000));
    EXPECT_EQ(ErrorMark(m_window.Source()->extraSelections()), nullptr);
    EXPECT_TRUE(m_window.Source()->extraSelections().isEmpty());
    EXPECT_FALSE(m_window.StatusText().startsWith("Line"));
    EXPECT_NE(m_window.Preview(), good);
    EXPECT_TRUE(HasInk(m_window.Preview()));

    // A file opened with an error shows no drawing: the last good one was another text's.
    Write("broken.fml", "\\sqrt");
    ASSERT_TRUE(m_window.OpenFile(Path("broken.fml")));
    EXPECT_TRUE(m_window.HasError());
    EXPECT_TRUE(m_window.Preview().isNull());
    EXPECT_NE(ErrorMark(m_window.Source()->extraSelections()), nullptr);
}

// Ctrl+S writes the text as UTF-8; the formula module reads the file back as the same
// formula the window drew.
TEST_F(FormulaWindowTest, SavesWhatTheFormulaModuleReadsBack) {
    Write("area.fml", "S");
    ASSERT_TRUE(m_window.OpenFile(Path("area.fml")));
    Show(m_window);
    const QString text = "% the area of a circle\nS = \\pi r^2 \\quad \\text{(面积)}\n";
    Retype(m_window, text);
    EXPECT_TRUE(m_window.isWindowModified());

    Press(m_window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(m_window.isWindowModified());
    EXPECT_EQ(m_prompts.nAskedSave, 0);
    EXPECT_EQ(QString::fromUtf8(Read("area.fml")), text);
    CFormula typed;
    ASSERT_EQ(typed.Parse(text.toStdString()), 1);
    EXPECT_EQ(RectOfFile(m_dir / "area.fml"), typed.GetRect());
    EXPECT_TRUE(m_prompts.warnings.isEmpty());
}

// A GBK file is shown as its characters and saved as UTF-8; a byte-order mark and CR LF line
// ends are written back as they were.
TEST_F(FormulaWindowTest, KeepsWhatTheFormulaModuleReadsFromOtherEncodings) {
    const std::string utf8 = "\\text{面积} = \\alpha^2";
    const std::string gbk = tessel::platform::Utf8ToGbk(utf8);
    ASSERT_NE(gbk, utf8);
    Write("gbk.fml", gbk);
    const CRect rcGbk = RectOfFile(m_dir / "gbk.fml");
    ASSERT_TRUE(m_window.OpenFile(Path("gbk.fml")));
    EXPECT_EQ(m_window.Source()->toPlainText(), QString::fromStdString(utf8));
    EXPECT_FALSE(m_window.HasError());
    ASSERT_TRUE(m_window.Save());
    EXPECT_EQ(Read("gbk.fml"), utf8);
    EXPECT_EQ(RectOfFile(m_dir / "gbk.fml"), rcGbk);

    Write("marked.fml",
          "\xEF\xBB\xBF"
          "a +\r\nb");
    ASSERT_TRUE(m_window.OpenFile(Path("marked.fml")));
    EXPECT_EQ(m_window.Source()->toPlainText(), "a +\nb");
    m_window.Source()->moveCursor(QTextCursor::End);
    QTest::keyClicks(m_window.Source(), "^2^3");
    m_window.UpdateNow();
    // The line ends and the mark do not move the error.
    EXPECT_TRUE(m_window.StatusText().startsWith("Line 2, column 4: "));
    const QTextEdit::ExtraSelection* pMark = ErrorMark(m_window.Source()->extraSelections());
    ASSERT_NE(pMark, nullptr);
    EXPECT_EQ(pMark->cursor.position(), 7);
    QTest::keyClick(m_window.Source(), Qt::Key_Backspace);
    QTest::keyClick(m_window.Source(), Qt::Key_Backspace);
    ASSERT_TRUE(m_window.Save());
    EXPECT_EQ(Read("marked.fml"),
              "\xEF\xBB\xBF"
              "a +\r\nb^2");
    CFormula typed;
    ASSERT_EQ(typed.Parse("a +\nb^2"), 1);
    EXPECT_EQ(RectOfFile(m_dir / "marked.fml"), typed.GetRect());
}

// Closing, opening another file or starting a new one with unsaved changes asks first; the
// answer decides.
TEST_F(FormulaWindowTest, AsksBeforeThrowingChangesAway) {
    Write("f.fml", "a");
    ASSERT_TRUE(m_window.OpenFile(Path("f.fml")));
    Show(m_window);
    Retype(m_window, "a+b");

    m_prompts.answer = Prompts::Answer::kCancel;
    Press(m_window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(m_prompts.nAskedToSave, 1);
    EXPECT_TRUE(m_window.isVisible());
    Press(m_window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(m_prompts.nAskedToSave, 2);
    EXPECT_EQ(m_prompts.nAskedOpen, 0);
    Press(m_window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(m_prompts.nAskedToSave, 3);
    EXPECT_EQ(m_window.Source()->toPlainText(), "a+b");
    EXPECT_EQ(Read("f.fml"), "a");

    m_prompts.answer = Prompts::Answer::kDiscard;
    EXPECT_TRUE(m_window.close());
    EXPECT_EQ(m_prompts.nAskedToSave, 4);
    EXPECT_EQ(Read("f.fml"), "a");

    // Save, then close.
    FormulaWindow second;
    AnsweringPrompts prompts;
    second.SetPrompts(&prompts);
    ASSERT_TRUE(second.OpenFile(Path("f.fml")));
    Show(second);
    Retype(second, "a-b");
    prompts.answer = Prompts::Answer::kSave;
    EXPECT_TRUE(second.close());
    EXPECT_EQ(prompts.nAskedToSave, 1);
    EXPECT_EQ(Read("f.fml"), "a-b");

    // Open after a discard; nothing to ask once the text is as saved.
    Write("g.fml", "g");
    ASSERT_TRUE(second.OpenFile(Path("f.fml")));
    Show(second);
    Retype(second, "changed");
    prompts.answer = Prompts::Answer::kDiscard;
    prompts.strOpenPath = Path("g.fml");
    Press(second, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(prompts.nAskedToSave, 2);
    EXPECT_EQ(prompts.nAskedOpen, 1);
    EXPECT_EQ(second.Source()->toPlainText(), "g");
    EXPECT_TRUE(second.windowTitle().contains("g.fml"));
    EXPECT_TRUE(second.close());
    EXPECT_EQ(prompts.nAskedToSave, 2);
    EXPECT_EQ(Read("f.fml"), "a-b");
}

// A file that is not there opens empty and is made by the first save, not before.
TEST_F(FormulaWindowTest, MakesAMissingFileWhenSaved) {
    const std::filesystem::path file = m_dir / "new.fml";
    ASSERT_TRUE(m_window.OpenFile(Path("new.fml")));
    EXPECT_TRUE(m_window.Source()->toPlainText().isEmpty());
    EXPECT_TRUE(m_window.Preview().isNull());
    EXPECT_FALSE(m_window.HasError());
    EXPECT_TRUE(m_window.windowTitle().contains("new.fml"));
    EXPECT_TRUE(m_prompts.warnings.isEmpty());
    EXPECT_TRUE(m_window.close());
    EXPECT_FALSE(std::filesystem::exists(file));

    FormulaWindow window;
    window.SetPrompts(&m_prompts);
    ASSERT_TRUE(window.OpenFile(Path("new.fml")));
    Show(window);
    QTest::keyClicks(window.Source(), "\\sqrt{2}");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(Read("new.fml"), "\\sqrt{2}");
    EXPECT_EQ(m_prompts.nAskedSave, 0);
    CFormula typed;
    ASSERT_EQ(typed.Parse("\\sqrt{2}"), 1);
    EXPECT_EQ(RectOfFile(file), typed.GetRect());
}

// An untitled text asks where to save; the answer gets ".fml" when it has no extension.
TEST_F(FormulaWindowTest, SavesAnUntitledTextWhereTheUserSays) {
    Show(m_window);
    EXPECT_TRUE(m_window.windowTitle().contains("Untitled"));
    QTest::keyClicks(m_window.Source(), "a_n");

    m_prompts.strSavePath.clear();  // cancelled
    Press(m_window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(m_prompts.nAskedSave, 1);
    EXPECT_TRUE(m_window.isWindowModified());

    m_prompts.strSavePath = Path("seq");
    Press(m_window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(m_prompts.nAskedSave, 2);
    EXPECT_FALSE(m_window.isWindowModified());
    EXPECT_EQ(Read("seq.fml"), "a_n");
    EXPECT_TRUE(m_window.windowTitle().contains("seq.fml"));

    // Ctrl+Shift+S asks again, starting from the window's file.
    m_prompts.strSavePath = Path("copy.fml");
    Press(m_window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m_prompts.nAskedSave, 3);
    EXPECT_EQ(m_prompts.strSuggested, Path("seq.fml"));
    EXPECT_EQ(Read("copy.fml"), "a_n");
    EXPECT_TRUE(m_window.windowTitle().contains("copy.fml"));

    // A file that cannot be written is told, and the text stays unsaved.
    m_prompts.strSavePath = Path("no/such/folder/x.fml");
    QTest::keyClicks(m_window.Source(), "+1");
    Press(m_window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m_prompts.warnings.size(), 1);
    EXPECT_TRUE(m_window.isWindowModified());
    EXPECT_TRUE(m_window.windowTitle().contains("copy.fml"));
}

// What cannot be opened is told, not opened; a file over the pages' 64 KB opens with a
// warning and shows the formula module's refusal.
TEST_F(FormulaWindowTest, TellsWhatCannotBeOpened) {
    std::filesystem::create_directory(m_dir / "folder.fml");
    EXPECT_FALSE(m_window.OpenFile(Path("folder.fml")));
    ASSERT_EQ(m_prompts.warnings.size(), 1);
    EXPECT_TRUE(m_prompts.warnings[0].contains(Path("folder.fml")));
    EXPECT_TRUE(m_window.FilePath().isEmpty());
    // Save As starts from the name that could not be opened.
    QTest::keyClicks(m_window.Source(), "x");
    m_prompts.strSavePath.clear();
    EXPECT_FALSE(m_window.Save());
    EXPECT_EQ(m_prompts.strSuggested, Path("folder.fml"));

    Write("huge.fml", std::string(2 * 1024 * 1024, 'x'));
    EXPECT_FALSE(m_window.OpenFile(Path("huge.fml")));
    EXPECT_EQ(m_prompts.warnings.size(), 2);
    EXPECT_EQ(m_window.Source()->toPlainText(), "x");

    const std::string big(64 * 1024 + 1, 'x');
    Write("big.fml", big);
    CFormula reference;
    ASSERT_EQ(reference.Parse(big), 0);
    ASSERT_TRUE(m_window.OpenFile(Path("big.fml")));
    EXPECT_EQ(m_prompts.warnings.size(), 3);
    EXPECT_TRUE(m_window.HasError());
    EXPECT_EQ(m_window.StatusText(),
              "Line 1, column 1: " + QString::fromStdString(reference.GetLastError()));
    // Made short enough, it is a formula again.
    m_window.Source()->moveCursor(QTextCursor::End);
    QTest::keyClick(m_window.Source(), Qt::Key_Backspace);
    m_window.UpdateNow();
    EXPECT_FALSE(m_window.HasError());
}

// The edit shortcuts reach the text box, and the Edit menu's commands do what they say.
TEST_F(FormulaWindowTest, EditsThroughTheUsualShortcuts) {
    Show(m_window);
    QTest::keyClicks(m_window.Source(), "a+b");
    Press(m_window, Qt::Key_A, Qt::ControlModifier);
    Press(m_window, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(m_window.Source()->toPlainText().isEmpty());
    Press(m_window, Qt::Key_V, Qt::ControlModifier);
    Press(m_window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_window.Source()->toPlainText(), "a+ba+b");
    Press(m_window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_window.Source()->toPlainText(), "a+b");

    QAction* pUndo = nullptr;
    for (QAction* pAction : m_window.findChildren<QAction*>())
        if (pAction->shortcut() == QKeySequence::Undo) pUndo = pAction;
    ASSERT_NE(pUndo, nullptr);
    ASSERT_TRUE(pUndo->isEnabled());
    pUndo->trigger();
    EXPECT_TRUE(m_window.Source()->toPlainText().isEmpty());
}

}  // namespace
