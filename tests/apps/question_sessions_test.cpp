// The question objects played as a user plays them: the insert commands with their dialogs
// answered, and the changes the properties command makes with the element under the mouse
// (called here with the element, the cursor placed at it first, the dialogs answered from the
// queue a script fills). Expected pages are worked out by hand from the objects' rules and the
// markup writer's; the layout counts a choice's options again after every change (the option
// boxes after it, up to the next choice).

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

#include "answers.h"
#include "editor/positions.h"
#include "session_fixture.h"

namespace {

const std::string kRight = "<Check(101)>", kWrong = "<Check(100)>";
const std::string kChoice24 = "<Choice(2,4)>" + kWrong + kRight + kWrong + kWrong;

// A score field in the format every new one gets.
std::string Score(const std::string& strKind, const std::string& strPage) {
    return "<Font('Times New Roman',16,0,100,1)><Color(255,0,0)><" + strKind + "('" + strPage +
           "')></Color></Font>";
}
std::string Message(const std::string& strText) {
    return "message \"" + QCoreApplication::applicationName().toStdString() + "\" \"" + strText +
           "\"\n";
}

class QuestionSessionTest : public SessionFixture {
  protected:
    QuestionSessionTest() : SessionFixture("tessel-question-sessions-", {.bNoReports = true}) {}
    using Change = void (CTesselEdit::*)(CLink*);
    // The change called with element nLink, the cursor before it (a page of objects: one step
    // each), its dialog answered by `answer` arguments; what was shown, as `print dialogs` has it.
    std::string ChangeOf(Change change, int nLink, const std::vector<std::string>& answers) {
        Out("key Home\n" + Repeat("key Right\n", nLink));
        std::vector<std::string> reports;
        int nLine = 0;
        tessel::play::Answerer answerer(reports, nLine);
        for (const std::string& strAnswer : answers) {
            std::string complaint;
            answerer.Queue(tessel::play::ReadAnswerLine(strAnswer, complaint).value());
        }
        (Editor().*change)(tessel::editor::LinkAt(*Editor().m_pList, nLink));
        EXPECT_TRUE(reports.empty() && answerer.UnusedLines().empty());
        return answerer.TakeShown();
    }
    void SetPages(const CStringArray& pages) { Editor().SetStringArray(nullptr, &pages, nullptr); }
    // Undo, then the page.
    std::string Undone() { return Out("command undo\nprint markup\n"); }
};

TEST_F(QuestionSessionTest, EditFramesGoInWithTheirAnswersAndTheirChecks) {
    EXPECT_EQ(Out("answer ok\ncommand edit\nanswer 2045=\"x \\\"y\\\"\" 2012=120 2030=24 "
                  "2044=Underline 2042=FF0000 2043=00FF00 ok\ncommand edit\nanswer cancel\n"
                  "command edit\nanswer 2012=5 ok\nanswer ok\ncommand edit\nanswer 2030=15 ok\n"
                  "answer ok\nanswer 2030=20 ok\ncommand edit\nprint dialogs\n"),
              "dialog \"Edit\"\ndialog \"Edit\"\ndialog \"Edit\"\ndialog \"Edit\"\n" +
                  Message("The width of Edit frame is not enough!") + "dialog \"Edit\"\n" +
                  Message("The height of Edit Frame is not enough!"));
    // Colours as red + 256 x green + 65536 x blue; Underline is the last sorted style.
    const std::string strTwo = "<Edit(50,16,'',0,16777215,0)><Edit(120,24,'x \"y\"',255,65280,4)>";
    EXPECT_EQ(Markup(), strTwo + "<Edit(5,16,'',0,16777215,0)><Edit(50,20,'',0,16777215,0)>\n");
    EXPECT_EQ(Out("command undo\ncommand undo\nprint markup\n"), strTwo + "\n");
}

TEST_F(QuestionSessionTest, AFrameOpensOnItsValuesAtLeastSixteenHigh) {
    Open("<Edit(60,10,'ans',255,65280,2)>");
    EXPECT_EQ(ChangeOf(&CTesselEdit::ChangeEditFrame, 0, {"ok"}), "dialog \"Edit\"\n");
    EXPECT_EQ(Markup(), "<Edit(60,16,'ans',255,65280,2)>\n");
    ChangeOf(&CTesselEdit::ChangeEditFrame, 0, {"2045=new 2044=Frame 2043=0000FF ok"});
    EXPECT_EQ(Markup(), "<Edit(60,16,'new',255,16711680,0)>\n");
    EXPECT_EQ(Undone(), "<Edit(60,16,'ans',255,65280,2)>\n");
}

TEST_F(QuestionSessionTest, AJudgementStoresItsVerdict) {
    EXPECT_EQ(Out("answer 2013=1 ok\ncommand check\nanswer ok\ncommand check\nprint dialogs\n"),
              "dialog \"Judgment\"\ndialog \"Judgment\"\n");
    EXPECT_EQ(Markup(), "<Check(1)><Check(0)>\n");
    ChangeOf(&CTesselEdit::ChangeJudgement, 0, {"2013=0 ok"});
    EXPECT_EQ(Markup(), "<Check(0)><Check(0)>\n");
    EXPECT_EQ(Undone(), "<Check(1)><Check(0)>\n");
}

TEST_F(QuestionSessionTest, AChoiceGoesInWithItsOptionBoxesAndARightOneAmongThem) {
    Open(Arial("ab"));
    EXPECT_EQ(
        Out("key End\nanswer 2033=4 2018=2 ok\ncommand choice\nanswer 2033=0 ok\nanswer ok\n"
            "answer 2033=6001 ok\nanswer ok\nanswer 2033=4 2018=0 ok\nanswer ok\nanswer cancel\n"
            "command choice\nprint dialogs\n"),
        "dialog \"Options\"\ndialog \"Options\"\n" + Message("The answer must be in1-0") +
            Message("Please enter an integer between 0 and 6000.") +
            Message("The answer must be in1-4"));
    EXPECT_EQ(Markup(), Arial("ab") + kChoice24 + "\n");
    EXPECT_EQ(Undone(), Arial("ab") + "\n");
    Out("answer ok\ncommand choice\n");  // 4 options, the first right
    EXPECT_EQ(Markup(), Arial("ab") + "<Choice(1,4)>" + kRight + kWrong + kWrong + kWrong + "\n");
}

TEST_F(QuestionSessionTest, ChangingAChoiceAddsOptionsAtTheCursorAndRenumbersForANewRightOne) {
    const Change kChoice = &CTesselEdit::ChangeChoice, kBox = &CTesselEdit::ChangeOptionBox;
    struct Case {
        Change change;
        int nLink;
        const char* szAnswer;
        std::string strPage;
    };
    const Case cases[] = {
        // Options are never removed.
        {kChoice, 0, "2033=3 ok", kChoice24},
        {kChoice, 0, "2033=3 2018=3 ok", "<Choice(3,4)>" + kWrong + kWrong + kRight + kWrong},
        // At the choice the new boxes go in before it: they are none of its options.
        {kChoice, 0, "2033=6 ok", kWrong + kWrong + kChoice24},
        // An option box opens its choice. The amount alone leaves the right box as it is.
        {kBox, 2, "2033=6 ok",
         "<Choice(2,6)>" + kWrong + kWrong + kWrong + kRight + kWrong + kWrong},
        {kBox, 4, "2033=6 2018=5 ok",
         "<Choice(5,6)>" + kWrong + kWrong + kWrong + kWrong + kRight + kWrong},
    };
    for (const Case& c : cases) {
        Open(kChoice24);
        EXPECT_EQ(ChangeOf(c.change, c.nLink, {c.szAnswer}), "dialog \"Options\"\n");
        EXPECT_EQ(Markup(), c.strPage + "\n") << c.szAnswer;
        EXPECT_EQ(Undone(), kChoice24 + "\n") << c.szAnswer;
    }
    // The walk passes text and stops at a judgement box, or after the last option; a smaller
    // amount still renumbers them all.
    Open("<Choice(1,3)>" + kRight + Arial("x") + kWrong + "<Check(1)>" + kWrong + "<Choice(1,2)>" +
         kRight + kWrong + "<Choice(2,2)>" + kWrong + kRight);
    ChangeOf(kChoice, 0, {"2018=3 ok"});
    ChangeOf(kChoice, 9, {"2033=1 2018=1 ok"});
    ChangeOf(kChoice, 6, {"2018=2 ok"});
    EXPECT_EQ(Markup(), "<Choice(3,3)>" + kWrong + Arial("x") + kWrong + "<Check(1)>" + kWrong +
                            "<Choice(2,2)>" + kWrong + kRight + "<Choice(1,2)>" + kRight + kWrong +
                            "\n");
    // A box with no choice before it has none to change.
    Open(kWrong + kChoice24);
    EXPECT_EQ(ChangeOf(kBox, 0, {}), "");
}

TEST_F(QuestionSessionTest, ScoreFieldsTakeTheirPageFromTheHostsList) {
    Open("");
    SetPages({"Quiz", "Page 2", "Page 1"});
    EXPECT_EQ(
        Out("answer 2048=\"Page 2\" ok\ncommand pagescore\nanswer ok\ncommand pagetotalscore\n"
            "command totalscore\nprint dialogs\n"),
        "dialog \"Page Score\"\ndialog \"Total Score\"\n");
    // The total of a page as it opened: the first of the sorted names.
    const std::string strPage = Score("PageScore", "Page 2"), strAll = Score("TotalScore", "");
    const std::string strThree = strPage + Score("PageTotalScore", "Page 1") + strAll + "\n";
    EXPECT_EQ(Markup(), strThree);
    EXPECT_EQ(Out("command undo\ncommand undo\nprint markup\n"), strPage + "\n");
    Out("command redo\ncommand redo\n");
    // Each opens on its own page (the answers choose another and the same); a total score has
    // no properties.
    ChangeOf(&CTesselEdit::ChangePageScore, 1, {"2048=Quiz ok"});
    EXPECT_EQ(ChangeOf(&CTesselEdit::ChangePageScore, 0, {"ok"}), "dialog \"Page Score\"\n");
    EXPECT_EQ(ChangeOf(&CTesselEdit::ChangePageScore, 2, {}), "");
    EXPECT_EQ(Markup(), strPage + Score("PageTotalScore", "Quiz") + strAll + "\n");
    EXPECT_EQ(Undone(), strThree);
    // A page no longer listed opens on the first; without pages the name is empty.
    SetPages({"B", "A"});
    ChangeOf(&CTesselEdit::ChangePageScore, 0, {"ok"});
    SetPages({});
    ChangeOf(&CTesselEdit::ChangePageScore, 1, {"ok"});
    EXPECT_EQ(Markup(), Score("PageScore", "A") + Score("PageTotalScore", "") + strAll + "\n");
}

TEST_F(QuestionSessionTest, WithAColumnFocusedTheObjectsGoIntoTheColumn) {
    Open(Arial("ab") + Frame(Arial("left"), Times("right"), 120) + Arial("cd"));
    SetPages({"Page 1"});
    ASSERT_NE(Editor().m_pChildEdit[0][0], nullptr);
    Out(ClickInto(*Editor().m_pChildEdit[0][0]) +
        "key End\nanswer 2013=1 ok\ncommand check\nanswer 2033=2 2018=1 ok\ncommand choice\n"
        "answer ok\ncommand pagescore\n");
    // The page names are the ones the host gave the top-level editor.
    const auto page = [](const std::string& strLeft) {
        return Arial("ab") + Frame(Arial("left") + strLeft, Times("right"), 480) + Arial("cd") +
               "\n";
    };
    EXPECT_EQ(Markup(),
              page("<Check(1)><Choice(1,2)>" + kRight + kWrong + Score("PageScore", "Page 1")));
    EXPECT_EQ(Out("command undo\ncommand undo\nprint markup\n"), page("<Check(1)>"));
}

}  // namespace
