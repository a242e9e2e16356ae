// Every command of the editor's message map, sent to an open editor as the tool bars and the
// menu send it, acts: each has a script that sets the scene, sends the command and prints what
// the command's rules say it changes. A command that joins the map without a check here fails
// the test, so that nothing the map routes is left a stub.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>

#include "session_fixture.h"
#include "widgets/edit_commands.h"
#include "widgets/symbol_window.h"

namespace {

using namespace tessel::commands;

// A check: the page the script starts from, the script, and what it must print.
struct CommandCheck {
    std::string strPage;
    std::string strScript;
    std::string strPrinted;
    bool bPrefix = false;  // what is printed starts so
};

class CommandMapTest : public SessionFixture {
  protected:
    CommandMapTest() : SessionFixture("tessel-command-map-") {}
};

TEST_F(CommandMapTest, EveryCommandOfTheMapActs) {
    ClearClipboard();
    const std::string strText = (Dir() / "in.txt").string();
    std::ofstream(strText, std::ios::binary) << "xy";
    const std::string ab = Arial("ab"), a = Arial("a"), b = Arial("b");
    // Selecting the first character of "ab" (a page in Arial 12).
    const std::string strFirst = "key Home\nkey Right shift\n";
    const std::map<UINT, CommandCheck> checks = {
        {kCopy,
         {ab, strFirst + "command copy\nkey End\ncommand paste\nprint markup\n", ab + a + "\n"}},
        {kCut, {ab, strFirst + "command cut\nprint markup\n", b + "\n"}},
        {kPaste,
         {ab, "clipboard text zz\nkey End\ncommand paste\nprint markup\n",
          ab + Arial("zz") + "\n"}},
        {kPastePlain,
         {ab, "clipboard html <b>zz</b>\nkey End\ncommand pasteplain\nprint markup\n",
          ab + Arial("zz") + "\n"}},
        {kBold,
         {ab, strFirst + "check bold on\ncommand bold\nprint markup\n",
          Arial("a", "0,1,0") + b + "\n"}},
        {kItalic,
         {ab, strFirst + "check italic on\ncommand italic\nprint markup\n",
          Arial("a", "1,0,0") + b + "\n"}},
        {kUnderline,
         {ab, strFirst + "check underline on\ncommand underline\nprint markup\n",
          Arial("a", "0,0,1") + b + "\n"}},
        {kRaised,
         {ab, strFirst + "check raised on\ncommand raised\nprint markup\n",
          TextRun("Arial", 12, "a", "0,0,0", "0,0,0", 0) + b + "\n"}},
        {kLowered,
         {ab, strFirst + "check lowered on\ncommand lowered\nprint markup\n",
          TextRun("Arial", 12, "a", "0,0,0", "0,0,0", 1) + b + "\n"}},
        {kHotLink,
         {ab, strFirst + "answer 2102=Return ok\ncommand hotlink\nprint markup\n",
          "<HotLink(31)>" + a + "</HotLink>" + b + "\n"}},
        {kUndo, {ab, "key End\ntype c\ncommand undo\nprint markup\n", ab + "\n"}},
        {kRedo,
         {ab, "key End\ntype c\ncommand undo\ncommand redo\nprint markup\n", Arial("abc") + "\n"}},
        {kSelectAll, {ab, "command selectall\nprint selection\n", "0 0 0 0 1 0 1 0\n"}},
        {kInsertSymbol,
         {"", "command symbol\nsymbol 0 0\nprint markup\n", TextRun("Arial", 28, "±") + "\n"}},
        {kImportText,
         {"", "answer file " + strText + "\ncommand text\nprint markup\n",
          TextRun("Arial", 28, "xy") + "\n"}},
        {kInsertImage, {"", "answer cancel\ncommand image\nprint dialogs\n", "dialog \"Image\"\n"}},
        {kInsertFormula,
         {"", "answer cancel\ncommand formula\nprint dialogs\n",
          "dialog \"Formula Properities\"\n"}},
        {kInsertEdit,
         {"", "answer ok\ncommand edit\nprint markup\n", "<Edit(50,16,'',0,16777215,0)>\n"}},
        {kInsertCheck, {"", "answer ok\ncommand judgement\nprint markup\n", "<Check(0)>\n"}},
        {kInsertChoice,
         {"", "answer 2033=2 2018=1 ok\ncommand choice\nprint markup\n",
          "<Choice(1,2)><Check(101)><Check(100)>\n"}},
        {kInsertPageScore,
         {"", "answer ok\ncommand pagescore\nprint dialogs\n", "dialog \"Page Score\"\n"}},
        {kInsertTotalScore,
         {"", "command totalscore\nprint markup\n",
          "<Font('Times New Roman',16,0,100,1)><Color(255,0,0)><TotalScore('')></Color></Font>\n"}},
        {kInsertPageTotalScore,
         {"", "answer ok\ncommand pagetotalscore\nprint dialogs\n", "dialog \"Total Score\"\n"}},
        {kInsertMultiColumn,
         {"", "answer ok\ncommand frame\nprint markup\n", "<MultiColumn(", true}},
        {kProperties,
         {"<Check(1)>", "rclick 2 2\nanswer ok\ncommand properties\nprint dialogs\n",
          "dialog \"Judgment\"\n"}},
    };

    // Each command the map routes as a command (any notification code) has its check.
    std::set<UINT> mapped;
    Open("");
    for (const MessageMap* pMap = Editor().GetMessageMap(); pMap; pMap = pMap->pBase)
        for (const MessageMapEntry& entry : pMap->entries)
            if (entry.nMessage == WM_COMMAND && entry.bAnyCode) mapped.insert(entry.nId);
    for (UINT nId : mapped)
        EXPECT_TRUE(checks.contains(nId)) << "command " << nId << " has no check";

    for (const auto& [nId, check] : checks) {
        EXPECT_TRUE(mapped.contains(nId)) << "command " << nId << " is not in the map";
        SCOPED_TRACE("command " + std::to_string(nId));
        Open(check.strPage);
        const std::string strOut = Out(check.strScript);
        // A frame's widths are the business of the frame's own tests.
        if (check.bPrefix)
            EXPECT_TRUE(strOut.starts_with(check.strPrinted)) << strOut;
        else
            EXPECT_EQ(strOut, check.strPrinted);
    }
    ClearClipboard();
}

}  // namespace
