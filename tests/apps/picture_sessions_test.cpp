// Pictures and formulas inserted and changed through their dialogs, answered as a user answers
// them, in a project directory of the test's own. Expected names follow the placing rules by
// hand (upper case; relative for a file in the project; "Image\" or "Formula\" and the name
// for a file copied in; the upper-case path when the copy fails).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "document/gbk_char.h"
#include "document/link_slots.h"
#include "editor/tessel_edit.h"
#include "imaging/picture.h"
#include "platform/dialog.h"
#include "platform/program.h"
#include "session_fixture.h"

// Qt's keyword macro "slots" (from the fixture's Qt headers) would swallow the name of the
// document's slot accessors; link_slots.h itself is read before it.
#undef slots

namespace {

namespace fs = std::filesystem;
namespace slots = tessel::slots;

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}
std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
const std::string kMap = Read(fs::path(TESSEL_EXAMPLES_DIR) / "image" / "map.bmp");
// A line of `print dialogs` for a message box of the dialogs: the program's name is its caption.
std::string Message(const std::string& strText) {
    return "message \"" + QCoreApplication::applicationName().toStdString() + "\" \"" + strText +
           "\"\n";
}

class PictureSessionTest : public SessionFixture {
  protected:
    PictureSessionTest() : SessionFixture("tessel-picture-sessions-", {.bNoReports = true}) {}
    void TearDown() override {
        tessel::platform::SetProgramStarter({});
        SessionFixture::TearDown();
    }
    fs::path Prj() { return Dir() / "course"; }
    // Opens the page with the test's project (or strDir) as the project directory.
    void OpenProject(const std::string& utf8Markup, const std::string& strDir = "") {
        fs::create_directories(Prj());
        tessel::cli::EditorSettings settings = ExampleSettings(600);
        settings.strProject = strDir.empty() ? Prj().string() + "/" : strDir;
        OpenWith(settings, utf8Markup);
    }
    CLink& Element(int n) {
        CLink* p = Editor().m_pList->FirstLink();
        while (n-- > 0)
            p = p->m_pNext;
        return *p;
    }
    // A call that opens a dialog, answered with the values and OK.
    void Answered(const std::function<void()>& call, const std::map<int, std::string>& values) {
        tessel::platform::SetDialogAnswerer([&](CDialog& dialog) {
            for (const auto& [nID, strValue] : values)
                dialog.AnswerValue(nID, strValue);
            return dialog.AnswerPress(IDOK);
        });
        call();
        tessel::platform::SetDialogAnswerer({});
    }
};

TEST_F(PictureSessionTest, APictureIsNamedAndCopiedAsItsPlaceSays) {
    const std::string strOutside = (Dir() / "outside" / "Map.bmp").string();
    Write(strOutside, kMap);
    Write(Prj() / "pics" / "Map.bmp", kMap);
    struct Case {
        std::string strAnswer, strDir, strStored;
    } cases[] = {
        {"answer 2009=" + (Prj() / "pics" / "Map.bmp").string(), "", "PICS/MAP.BMP"},
        {"answer 2009=" + strOutside, "", "Image\\MAP.BMP"},
        {"answer file " + strOutside + "\nanswer press=2010", "", "Image\\MAP.BMP"},
        {"answer 2009=" + strOutside, (Dir() / "missing").string() + "/",
         tessel::UpperCaseAscii(strOutside)},
    };
    for (const Case& c : cases) {
        fs::remove_all(Prj() / "Image");
        Write(Prj() / "Image" / "MAP.BMP", "old");
        OpenProject("", c.strDir);
        EXPECT_EQ(Out(c.strAnswer + " 2011=1 2040=50 ok\ncommand image\nprint markup\n"),
                  "<Image('" + c.strStored + "',1,50)>\n");
        // A copy replaced the file of its name, whatever its case; the page draws the picture.
        const bool bCopied = c.strStored == "Image\\MAP.BMP";
        EXPECT_EQ(Read(Prj() / "Image" / (bCopied ? "Map.bmp" : "MAP.BMP")),
                  bCopied ? kMap : "old");
        EXPECT_NE(fs::exists(Prj() / "Image" / "Map.bmp"), fs::exists(Prj() / "Image" / "MAP.BMP"));
        EXPECT_TRUE(Element(0).m_pPicture && Element(0).m_pPicture->IsLoaded()) << c.strAnswer;
    }
    EXPECT_FALSE(fs::exists(Dir() / "missing"));
}

// A non-number in the scale field is refused by the dialog framework before OK runs; the
// dialog stays open, and Cancel leaves the page as it was.
TEST_F(PictureSessionTest, ANonNumericScaleIsRefusedAndCancelChangesNothing) {
    for (const std::string command : {"image", "formula"}) {
        OpenProject(Arial("ab"));
        const std::string strOut = Out("answer 2040=abc ok\nanswer ok\nanswer cancel\ncommand " +
                                       command + "\nprint dialogs\nprint markup\n");
        EXPECT_EQ(strOut.substr(strOut.find('\n') + 1),
                  Message("Please enter an integer.") + Arial("ab") + "\n");
        EXPECT_EQ(Editor().CanUndo(), 0);
    }
}

// The Formula dialog refuses an empty name and a scale below 20 and stays open; 20 is taken.
// The file from outside goes into a new Formula folder, and the page measures the formula.
TEST_F(PictureSessionTest, TheFormulaDialogChecksItsFieldsOnOk) {
    Write(Dir() / "Sum.fml", "\\sum_{i=1}^{n} i");
    OpenProject("");
    EXPECT_EQ(Out("answer 2184= ok\nanswer ok\nanswer 2184=" + (Dir() / "Sum.fml").string() +
                  " 2040=19 ok\nanswer ok\nanswer 2040=20 ok\ncommand formula\nprint dialogs\n"),
              "dialog \"Formula Properities\"\n" +
                  Message("The file name is empty,please input again!") +
                  Message("The Scaling is value too small!!"));
    EXPECT_EQ(slots::FileName(Element(0)), "Formula\\SUM.FML");
    EXPECT_EQ(slots::FormulaScale(Element(0)), 20);
    EXPECT_EQ(Read(Prj() / "Formula" / "Sum.fml"), "\\sum_{i=1}^{n} i");
    EXPECT_GT(slots::FormulaWidth(Element(0)), 0);
}

// Edit starts the formula editor on the file, asking first to make a missing one; the dialog
// stays open, and cancelling it later keeps the file made. A stand-in editor is on PATH, so
// that one is found whether or not the real one was built, and the starter records the start
// and "saves" a formula in the file.
TEST_F(PictureSessionTest, EditStartsTheFormulaEditorOnTheFile) {
    Write(Dir() / "bin" / "tessel-formula", "#!/bin/sh\n");
    fs::permissions(Dir() / "bin" / "tessel-formula", fs::perms::owner_all);
    const std::string strPath = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin";
    setenv("PATH", ((Dir() / "bin").string() + ":" + strPath).c_str(), 1);
    std::vector<std::string> started;
    tessel::platform::SetProgramStarter([&](const std::string& program, const auto& args) {
        started = {program, args.at(0)};
        Write(args[0], "\\frac{a}{b}");
        return true;
    });
    const fs::path made = Prj() / "formula" / "NEW.FML";
    const std::vector<std::string> startedOnMade = {
        *tessel::platform::FindProgram("tessel-formula"), made.string()};
    const std::string strAsk =
        Message("The special document is not existing!\\nDo you want to create new formula?");
    struct Case {
        bool bFolder;
        std::string strAnswers, strShown;
        bool bMade;
    } cases[] = {
        {true, "yes", strAsk, true},
        {true, "no", strAsk, false},
        {false, "yes\nanswer ok", strAsk + Message("Fails to create new document!"), false},
    };
    for (const Case& c : cases) {
        fs::remove_all(Prj());
        if (c.bFolder) fs::create_directories(Prj() / "formula");
        started.clear();
        OpenProject(Arial("ab"));
        EXPECT_EQ(Out("answer 2184=Formula\\NEW.FML press=2188 cancel\nanswer " + c.strAnswers +
                      "\ncommand formula\nprint dialogs\nprint markup\n"),
                  "dialog \"Formula Properities\"\n" + c.strShown + Arial("ab") + "\n");
        EXPECT_EQ(fs::exists(made), c.bMade) << c.strAnswers;
        EXPECT_EQ(started, c.bMade ? startedOnMade : std::vector<std::string>{});
    }
    // A file that is there is edited without a question; what the editor saved is drawn.
    Write(made, "");
    Out("key End\nanswer 2184=formula\\new.fml press=2188 ok\ncommand formula\n");
    setenv("PATH", strPath.c_str(), 1);
    EXPECT_EQ(started, startedOnMade);
    EXPECT_EQ(slots::FileName(Element(1)), "Formula\\NEW.FML");
    EXPECT_GT(slots::FormulaWidth(Element(1)), 0);
}

TEST_F(PictureSessionTest, WithAColumnFocusedThePictureGoesIntoTheColumn) {
    Write(Prj() / "Image" / "map.bmp", kMap);
    OpenProject(Arial("ab") + Frame(Arial("left"), Times("right"), 120));
    Out(ClickInto(*Editor().m_pChildEdit[0][0]) +
        "key End\nanswer 2009=Image\\MAP.BMP ok\ncommand image\n");
    const std::string strPicture = "<Image('Image\\MAP.BMP',0,100)>";
    EXPECT_EQ(Markup(),
              Arial("ab") + Frame(Arial("left") + strPicture, Times("right"), 480) + "\n");
    Out("command undo\n");
    EXPECT_EQ(Markup(), Arial("ab") + Frame(Arial("left"), Times("right"), 480) + "\n");
}

// A change stores the answers back as one undo step; the layout then loads the file again,
// except for a formula whose name stayed (a new scale draws the same formula).
TEST_F(PictureSessionTest, ChangesStoreBackAsOneUndoStep) {
    Write(Prj() / "Image" / "map.bmp", kMap);
    Write(Prj() / "Formula" / "sum.fml", "a+b");
    Write(Prj() / "Formula" / "long.fml", "a+b+c+d+e+f+g+h");
    OpenProject("<Formula('Formula\\SUM.FML',100,0,0)><Image('Image\\MAP.BMP',0,50)>");
    const std::string strOpened = Markup();
    // A picture that is not there (last on the page, as the layout stops at it).
    Answered([&] { Editor().ChangeImage(&Element(1)); },
             {{2009, "Image\\NONE.BMP"}, {2011, "1"}, {2040, "75"}});
    const std::string strChanged = Markup();
    EXPECT_EQ(strChanged.substr(strChanged.find("<Image")), "<Image('IMAGE\\NONE.BMP',1,75)>\n");
    EXPECT_FALSE(Element(1).m_pPicture && Element(1).m_pPicture->IsLoaded());
    Out("command undo\n");
    EXPECT_EQ(Markup(), strOpened);
    EXPECT_TRUE(Element(1).m_pPicture && Element(1).m_pPicture->IsLoaded());
    EXPECT_EQ(Editor().CanUndo(), 0);
    Out("command redo\n");
    EXPECT_EQ(Markup(), strChanged);

    const int nSumWidth = slots::FormulaWidth(Element(0));
    Answered([&] { Editor().ChangeFormula(&Element(0)); }, {{2184, "formula\\long.fml"}});
    EXPECT_EQ(slots::FileName(Element(0)), "Formula\\LONG.FML");
    EXPECT_GT(slots::FormulaWidth(Element(0)), nSumWidth);
    Out("command undo\n");
    EXPECT_EQ(Markup(), strChanged);
    // A change of scale alone keeps the formula as measured, though its file changed since.
    Write(Prj() / "Formula" / "sum.fml", "a+b+c+d+e+f+g+h+i+j+k");
    Answered([&] { Editor().ChangeFormula(&Element(0)); }, {{2040, "150"}});
    EXPECT_EQ(slots::FileName(Element(0)), "Formula\\SUM.FML");
    EXPECT_EQ(slots::FormulaScale(Element(0)), 150);
    EXPECT_EQ(slots::FormulaWidth(Element(0)), nSumWidth);
}

}  // namespace
