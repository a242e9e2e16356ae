// Objects already on the page changed as a user changes them: a double click on an object, or
// a right click and then the properties command, opens the dialog of its kind; a right click
// keeps or drops the selection and opens the context menu. Points are found with the keys and
// the caret (the middle between the caret's places before and after a position's character),
// so that each click lands on the position the hit-test rule gives (the last position whose x
// is not beyond the point). Expected pages follow the objects' change rules by hand.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "session_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kRight = "<Check(101)>", kWrong = "<Check(100)>";
const std::string kZ = Arial("z");

// A score field in the format every new one gets.
std::string Score(const std::string& strKind, const std::string& strPage) {
    return "<Font('Times New Roman',16,0,100,1)><Color(255,0,0)><" + strKind + "('" + strPage +
           "')></Color></Font>";
}
std::string Shown(const std::string& strTitle) {
    return "dialog \"" + strTitle + "\"\n";
}
// The context menu as `print menu` shows it: the clipboard commands and the hot link offered
// while something is selected, Paste while the clipboard holds something to paste.
std::string Menu(bool bSelection, bool bPastable) {
    const auto state = [](bool b) { return b ? std::string(" enabled\n") : " greyed\n"; };
    return "53004 \"Cut(&T)\"" + state(bSelection) + "53003 \"Copy(&C)\"" + state(bSelection) +
           "53005 \"Paste(&P)\"" + state(bPastable) + "separator\n53018 \"Hot_Link(&H)\"" +
           state(bSelection);
}
// Characters 1 to 3 of the first run selected with Shift and the arrow keys.
const std::string kSelectOneToFour =
    "key Home\nkey Right\nkey Shift\nkey Right\nkey Right\nkey Right\nkeyup Shift\n";

class PropertiesSessionTest : public SessionFixture {
  protected:
    PropertiesSessionTest()
        : SessionFixture("tessel-properties-sessions-", {.bClipboard = true, .bNoReports = true}) {}
    fs::path Prj() { return Dir() / "course"; }
    // The page opened with the test's project (holding the examples' picture and formula) and
    // the host's pages p1 and p2.
    void OpenProject(const std::string& utf8Markup) {
        fs::create_directories(Prj() / "pics");
        fs::create_directories(Prj() / "formula");
        const fs::path examples = TESSEL_EXAMPLES_DIR;
        fs::copy_file(examples / "image" / "map.bmp", Prj() / "pics" / "map.bmp",
                      fs::copy_options::overwrite_existing);
        fs::copy_file(examples / "formula" / "sum.fml", Prj() / "formula" / "sum.fml",
                      fs::copy_options::overwrite_existing);
        tessel::cli::EditorSettings settings = ExampleSettings(600);
        settings.strProject = Prj().string() + "/";
        OpenWith(settings, utf8Markup);
        const CStringArray pages = {"p1", "p2"};
        Editor().SetStringArray(nullptr, &pages, nullptr);
    }
    // The caret's x and y (client coordinates of the window that has it) at each of the first
    // positions of a window, reached with Right from its start.
    std::vector<std::pair<int, int>> CaretPlaces(int nPositions, const std::string& before = "") {
        std::istringstream in(Out(before + "key Home\nprint caretbox\n" +
                                  Repeat("key Right\nprint caretbox\n", nPositions)));
        std::vector<std::pair<int, int>> places;
        int x = 0, y = 0, w = 0, h = 0;
        while (in >> x >> y >> w >> h)
            places.emplace_back(x, y);
        EXPECT_EQ(places.size(), static_cast<std::size_t>(nPositions + 1));
        return places;
    }
    // "X Y": a point on the character (or object) after position n of the top-level page's
    // first row.
    std::string On(int n) {
        const std::vector<std::pair<int, int>> places = CaretPlaces(n + 1);
        return std::to_string((places[n].first + places[n + 1].first) / 2) + " 2";
    }
    std::vector<std::string> Reports(const std::string& script) {
        const tessel::play::PlayResult result = Play(script);
        EXPECT_EQ(result.nExit, 0) << result.strError;
        return result.reports;
    }
};

// A double click on each kind of object opens its dialog preset from it; what is entered
// lands in the page as one undo step. Text and a total score open nothing.
TEST_F(PropertiesSessionTest, ADoubleClickOpensTheDialogOfTheObjectUnderIt) {
    struct Case {
        std::string strPage;
        int nAt;
        std::string strAnswer, strTitle, strChanged;
    } cases[] = {
        {"<Image('pics\\map.bmp',0,100)>" + kZ, 0,
         "2009=" + (Prj() / "pics" / "map.bmp").string() + " 2011=1 2040=50 ok", "Image",
         "<Image('PICS/MAP.BMP',1,50)>" + kZ},
        {"<Edit(60,20,'ans',255,65280,2)>" + kZ, 0, "2045=new ok", "Edit",
         "<Edit(60,20,'new',255,65280,2)>" + kZ},
        {"<Check(1)>" + kZ, 0, "2013=0 ok", "Judgment", "<Check(0)>" + kZ},
        // An option box opens the Options dialog of its choice. A new box goes in at the
        // cursor, which the click put before the box clicked (or before the choice, which
        // then counts the four boxes after it); a new right option renumbers from the choice.
        {"<Choice(2,4)>" + kWrong + kRight + kWrong + kWrong + kZ, 1, "2033=5 2018=1 ok", "Options",
         "<Choice(1,5)>" + kRight + kWrong + kWrong + kWrong + kWrong + kZ},
        {"<Choice(2,4)>" + kWrong + kRight + kWrong + kWrong + kZ, 0, "2033=5 2018=3 ok", "Options",
         kWrong + "<Choice(3,4)>" + kWrong + kWrong + kRight + kWrong + kZ},
        {Score("PageScore", "p1") + kZ, 0, "2048=p2 ok", "Page Score",
         Score("PageScore", "p2") + kZ},
        {Score("PageTotalScore", "p1") + kZ, 0, "2048=p2 ok", "Total Score",
         Score("PageTotalScore", "p2") + kZ},
    };
    for (const Case& c : cases) {
        OpenProject(c.strPage);
        EXPECT_EQ(Out("answer " + c.strAnswer + "\ndblclick " + On(c.nAt) +
                      "\nprint dialogs\nprint markup\n"),
                  Shown(c.strTitle) + c.strChanged + "\n");
        EXPECT_EQ(Out("command undo\nprint markup\n"), c.strPage + "\n") << c.strTitle;
        EXPECT_EQ(Editor().CanUndo(), 0) << c.strTitle;
    }
    // A formula keeps the size the layout measured; its name and scale are the answer's.
    OpenProject("<Formula('formula\\sum.fml',100,0,0)>" + kZ);
    const std::string strFormula =
        Out("answer 2184=" + (Prj() / "formula" / "sum.fml").string() + " 2040=150 ok\ndblclick " +
            On(0) + "\nprint dialogs\nprint markup\n");
    EXPECT_TRUE(
        strFormula.starts_with(Shown("Formula Properities") + "<Formula('FORMULA/SUM.FML',150,"))
        << strFormula;
    EXPECT_TRUE(strFormula.ends_with(")>" + kZ + "\n")) << strFormula;

    for (const std::string& strPage : {Arial("abcdef"), Score("TotalScore", "") + kZ}) {
        OpenProject(strPage);
        const bool bText = strPage == Arial("abcdef");
        EXPECT_EQ(Out("dblclick " + On(bText ? 3 : 0) + "\nprint dialogs\nprint caret\n"),
                  bText ? "0 0 3\n" : "0 0 0\n");
        EXPECT_EQ(Markup(), strPage + "\n");
    }
}

// The properties command opens the dialog of the object under the last right click.
TEST_F(PropertiesSessionTest, ThePropertiesCommandChangesTheObjectOfTheRightClick) {
    const std::string page = "<Check(1)><Edit(50,16,'',0,16777215,0)>" + kZ;
    OpenProject(page);
    const std::string strCheck = On(0), strEdit = On(1);
    EXPECT_EQ(Out("rclick " + strCheck + "\nanswer 2013=0 ok\ncommand properties\nrclick " +
                  strEdit + "\nanswer 2045=q ok\ncommand properties\nprint dialogs\n"),
              Shown("Judgment") + Shown("Edit"));
    EXPECT_EQ(Markup(), "<Check(0)><Edit(50,16,'q',0,16777215,0)>" + kZ + "\n");
    EXPECT_EQ(Out("command undo\nprint markup\n"),
              "<Check(0)><Edit(50,16,'',0,16777215,0)>" + kZ + "\n");
    EXPECT_EQ(Out("command undo\nprint markup\n"), page + "\n");
    EXPECT_EQ(Editor().CanUndo(), 0);
}

// A right click strictly inside the selection keeps it for the menu's commands; on its start,
// on its end or outside it the selection goes and the caret moves to the click.
TEST_F(PropertiesSessionTest, ARightClickKeepsOnlyTheSelectionAroundIt) {
    const std::string page = Arial("abcdef");
    OpenProject(page);
    const std::vector<std::pair<int, int>> places = CaretPlaces(6);
    const auto on = [&](int n) {
        return std::to_string((places[n].first + places[n + 1].first) / 2) + " 2";
    };
    EXPECT_EQ(Out(kSelectOneToFour + "rclick " + on(2) + "\nprint selection\nprint caret\n"),
              "0 0 1 0 0 4 1 0\n0 0 2\n");
    EXPECT_EQ(Out(kSelectOneToFour + "rclick " + on(2) + "\nprint menu\nmenu copy\n" +
                  "print clipboard\n"),
              Menu(true, false) + "private 1\ntext bcd\nhtml\n");
    EXPECT_EQ(Out("answer 2102=Return ok\n" + kSelectOneToFour + "rclick " + on(3) +
                  "\nmenu hotlink\nprint dialogs\nprint markup\n"),
              "dialog \"Exsiting Event Setting\"\n" + Arial("a") + "<HotLink(31)>" + Arial("bcd") +
                  "</HotLink>" + Arial("ef") + "\n");

    for (int n : {1, 4, 5}) {
        OpenProject(page);
        ClearClipboard();
        EXPECT_EQ(Out(kSelectOneToFour + "rclick " + on(n) + "\nprint menu\n"), Menu(false, false))
            << n;
        // Both ends at the page's start; the repaint that follows marks the (empty) range as
        // shown again, as every paint does.
        EXPECT_EQ(Out("print selection\nprint caret\n"),
                  "0 0 0 0 0 0 1 0\n0 0 " + std::to_string(n) + "\n")
            << n;
    }
    // A greyed entry does nothing; text from another program can be pasted.
    const std::vector<std::string> reports = Reports("rclick " + on(5) + "\nmenu cut\n");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "script line 2: the menu entry \"Cut(&T)\" is greyed: nothing happens");
    EXPECT_EQ(Markup(), page + "\n");
    EXPECT_EQ(Out("clipboard text x\nrclick " + on(5) + "\nprint menu\n"), Menu(false, true));
}

// After a right click in a column editor, the commands of the tool window act on that column.
TEST_F(PropertiesSessionTest, ARightClickInAColumnSendsTheCommandsThere) {
    OpenProject(Arial("ab") + Frame(Arial("left"), Times("right"), 120) + Arial("cd"));
    CTesselEdit* pLeft = Editor().m_pChildEdit[0][0];
    CTesselEdit* pRight = Editor().m_pChildEdit[0][1];
    ASSERT_TRUE(pLeft && pRight);
    CRect rc;
    pLeft->GetWindowRect(&rc);
    Editor().ScreenToClient(&rc);
    ASSERT_TRUE(rc.left > 1 || rc.top > 1);  // the click at (1, 1) below is on the page
    // The left column's caret at positions 0 to 2: a point on its "e", in the editor's
    // coordinates.
    const std::vector<std::pair<int, int>> places = CaretPlaces(2, ClickInto(*pLeft));
    const std::string strOnE = std::to_string(rc.left + (places[1].first + places[2].first) / 2) +
                               " " + std::to_string(rc.top + places[1].second + 1);
    // "lef" selected in the column, the page clicked (the column keeps its selection), then
    // the right click inside "lef".
    Out(ClickInto(*pLeft) + "key Home\nkey Shift\nkey Right\nkey Right\nkey Right\nkeyup Shift\n" +
        "click 1 1\nrclick " + strOnE + "\ncheck bold on\ncommand bold\n");
    const std::string strLeft = Arial("lef", "0,1,0") + Arial("t");
    EXPECT_EQ(Markup(), Arial("ab") + Frame(strLeft, Times("right"), 480) + Arial("cd") + "\n");
    // The right column after the left one: an inserted judgement goes after its text.
    pRight->GetWindowRect(&rc);
    Editor().ScreenToClient(&rc);
    Out("rclick " + std::to_string((rc.left + rc.right) / 2) + " " +
        std::to_string((rc.top + rc.bottom) / 2) + "\nanswer ok\ncommand judgement\n");
    EXPECT_EQ(Markup(), Arial("ab") + Frame(strLeft, Times("right") + "<Check(0)>", 480) +
                            Arial("cd") + "\n");
}

}  // namespace
