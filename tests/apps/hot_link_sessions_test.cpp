// Hot links given to a stretch of the page through the event dialog, answered as a user
// answers it. Each expected page is worked out by hand: the slots each action stores from the
// dialog's fields (file names in upper case, a sub-page identifier as the number it starts
// with, a media entry as its number), then the opening tag the markup writer writes for the
// action code around every linked text run and picture.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "session_fixture.h"

namespace {

namespace fs = std::filesystem;
using tessel::platform::Utf8ToGbk;

const std::string kShown = "dialog \"Exsiting Event Setting\"\n";
const std::string kPicture = "<Image('image\\map.bmp',0,100)>";

// Elements (markup) wrapped in the opening tag of a hot link and its closing tag.
std::string Linked(const std::string& strTag, const std::string& strElements) {
    return strTag + strElements + "</HotLink>";
}

class HotLinkSessionTest : public SessionFixture {
  protected:
    HotLinkSessionTest()
        : SessionFixture("tessel-hot-link-sessions-", {.bClipboard = true, .bNoReports = true}) {}
    // The page opened with the host's lists given to the editor.
    void OpenWithLists(const std::string& utf8Markup) {
        Open(utf8Markup);
        Editor().SetStringArray(&m_media, &m_pages, &m_idents);
    }
    // The whole page given the hot link the answer makes; what was printed after.
    std::string LinkAll(const std::string& strAnswer, const std::string& strPrints) {
        return Out("command selectall\nanswer " + strAnswer + "\ncommand hotlink\n" + strPrints);
    }
    // OK with a page given to the whole page while the page field is greyed: the answer
    // reports that the field did not take it.
    void PageIsRefused() {
        const std::vector<std::string> reports =
            Reports("command selectall\nanswer 2014=quiz ok\ncommand hotlink\n");
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0],
                  "script line 3: control 2014 of the dialog \"Exsiting Event Setting\" did not "
                  "take \"quiz\"");
    }
    // What a script reported without stopping.
    std::vector<std::string> Reports(const std::string& script) {
        const tessel::play::PlayResult result = Play(script);
        EXPECT_EQ(result.nExit, 0) << result.strError;
        return result.reports;
    }

    CStringArray m_media = {"3,Media\\Song.MID", "12,clips\\Intro.avi"};
    CStringArray m_pages = {Utf8ToGbk("第2页"), "quiz"};
    CStringArray m_idents = {"7 intro", "9 end"};
};

// Every action of the list: the slots it stores, written back as its tag; the page read back
// presets the dialog, so that OK alone gives the same page again.
TEST_F(HotLinkSessionTest, EveryActionStoresItsFieldsAndPresetsTheDialogAgain) {
    const std::string ab = Arial("ab");
    struct Case {
        const char* szAnswer;
        std::string strTag;
    } cases[] = {
        {"2102=\"Link to Another Page\" 2014=第2页", "<HotLink(0,'第2页')>"},
        {"2102=\"Pop-up Another Page\" 2097=10 2119=20 2113=300 2120=400 2014=quiz",
         "<HotLink(1,10,20,300,400,'quiz')>"},
        {"2102=\"Note Page\" 2113=320 2120=240 2014=quiz", "<HotLink(2,320,240,'quiz')>"},
        {"2102=\"Replace SubPage\" 2015=\"7 intro\" 2014=quiz", "<HotLink(3,7,'quiz')>"},
        {"2102=\"Execute Funtional Page\" 2014=quiz", "<HotLink(4,'quiz')>"},
        // The file form: Connect, checked at once as the host has media, is cleared; the
        // play positions stay disabled and 0.
        {"2102=\"Paly Wave\" 2155=0 2038=sound\\ding.wav", "<HotLink(10,'SOUND\\DING.WAV',0,0)>"},
        {"2102=\"Play Music\" 2155=0 2038=Tune.mid", "<HotLink(11,'TUNE.MID',0,0)>"},
        {"2102=\"Play Movie\" 2155=0 2038=clip.avi", "<HotLink(12,'CLIP.AVI',0,0)>"},
        {"2102=\"Play Cartoon\" 2155=0 2038=toon.flc", "<HotLink(13,'TOON.FLC',0,0)>"},
        // The media-entry form: the entry's number and the play positions.
        {"2102=\"Paly Wave\" 2155=1 2010=3,Media\\Song.MID 2053=1200 2054=3400",
         "<HotLink(10,3,1200,3400)>"},
        {"2102=\"Play Music\" 2010=3,Media\\Song.MID 2053=0 2054=500", "<HotLink(11,3,0,500)>"},
        {"2102=\"Play Movie\" 2010=12,clips\\Intro.avi 2053=10 2054=20", "<HotLink(12,12,10,20)>"},
        {"2102=\"Play Cartoon\" 2010=12,clips\\Intro.avi 2053=7 2054=7", "<HotLink(13,12,7,7)>"},
        {"2102=\"Exit/Close this page\"", "<HotLink(20)>"},
        {"2102=\"Score This Page\" 2154=1 2097=1 2119=2 2113=3 2120=4 2014=quiz",
         "<HotLink(21,1,2,3,4,'quiz')>"},
        {"2102=\"Score All Pages\" 2154=1 2097=5 2119=6 2113=7 2120=8 2014=第2页",
         "<HotLink(22,5,6,7,8,'第2页')>"},
        {"2102=\"Run Programe\" 2038=tools\\calc.exe 2051=\"-n 5\" 2052=C:\\work 2124=1 "
         "2016=Maximize",
         "<HotLink(23,'TOOLS\\CALC.EXE','-n 5','C:\\work',1,3)>"},
        {"2102=\"Link to WWW\" 2017=http://example.com/a", "<HotLink(30,'http://example.com/a')>"},
        {"2102=Return", "<HotLink(31)>"},
    };
    for (const Case& c : cases) {
        OpenWithLists(ab);
        EXPECT_EQ(LinkAll(std::string(c.szAnswer) + " ok", "print dialogs\nprint markup\n"),
                  kShown + Linked(c.strTag, ab) + "\n")
            << c.szAnswer;
        OpenWithLists(Linked(c.strTag, ab));
        EXPECT_EQ(LinkAll("ok", "print markup\n"), Linked(c.strTag, ab) + "\n") << c.szAnswer;
    }
    // Play positions of the file form, read from the page, are kept as they are.
    OpenWithLists(Linked("<HotLink(12,'CLIP.AVI',5,6)>", ab));
    EXPECT_EQ(LinkAll("ok", "print markup\n"), Linked("<HotLink(12,'CLIP.AVI',5,6)>", ab) + "\n");
    // A media number no entry has shows no entry; OK then stores the number of none, 0.
    OpenWithLists(Linked("<HotLink(11,99,1,2)>", ab));
    EXPECT_EQ(LinkAll("ok", "print markup\n"), Linked("<HotLink(11,0,1,2)>", ab) + "\n");
}

// A score link opens with "Activate Page" checked when it names a page: only then do the page
// name and the rectangle take a value.
TEST_F(HotLinkSessionTest, AScoreLinkActivatesItsPageOnlyWhenItNamesOne) {
    const std::string ab = Arial("ab");
    OpenWithLists(Linked("<HotLink(21,1,2,3,4,'quiz')>", ab));
    EXPECT_EQ(LinkAll("2014=第2页 2097=9 ok", "print markup\n"),
              Linked("<HotLink(21,9,2,3,4,'第2页')>", ab) + "\n");
    OpenWithLists(Linked("<HotLink(21,1,2,3,4,'')>", ab));
    PageIsRefused();
    EXPECT_EQ(Markup(), Linked("<HotLink(21,1,2,3,4,'')>", ab) + "\n");
}

// Without an action (switched off, code 5, no link) OK removes the link; no field is enabled.
TEST_F(HotLinkSessionTest, NoActionRemovesTheLink) {
    const std::string ab = Arial("ab");
    OpenWithLists(Linked("<HotLink(0,'quiz')>", ab));
    EXPECT_EQ(LinkAll("2049=0 ok", "print markup\n"), ab + "\n");
    OpenWithLists(ab);
    EXPECT_EQ(LinkAll("2102=Return 2049=0 ok", "print markup\n"), ab + "\n");
    OpenWithLists(Linked("<HotLink(5,'x')>", ab));
    PageIsRefused();
    EXPECT_EQ(Markup(), ab + "\n");
    OpenWithLists(ab);
    EXPECT_EQ(LinkAll("ok", "print markup\n"), ab + "\n");
}

// Every selected element, text and picture alike, gets the same link, in place. Cancel
// changes neither the page nor the clipboard; OK without a selection changes nothing.
TEST_F(HotLinkSessionTest, EveryElementOfTheSelectionGetsTheLink) {
    const std::string page = Arial("ab") + kPicture + Times("cd");
    OpenWithLists(page);
    // From after the a to before the d: b, the picture, c.
    EXPECT_EQ(Out("key Home\nkey Right\nkey Shift\nkey Right\nkey Right\nkey Right\nkeyup Shift\n"
                  "answer 2102=\"Link to Another Page\" 2014=quiz ok\ncommand hotlink\n"
                  "print markup\n"),
              Arial("a") + Linked("<HotLink(0,'quiz')>", Arial("b")) +
                  Linked("<HotLink(0,'quiz')>", kPicture) +
                  Linked("<HotLink(0,'quiz')>", Times("c")) + Times("d") + "\n");
    OpenWithLists(page);
    Out("clipboard text keep\n");
    EXPECT_EQ(LinkAll("2102=Return cancel", "print dialogs\nprint markup\nprint clipboard\n"),
              kShown + page + "\ntext keep\n");
    EXPECT_EQ(Out("key End\nanswer 2102=Return ok\ncommand hotlink\nprint dialogs\nprint markup\n"),
              kShown + page + "\n");
}

// "Select Begin" starts the picker on the entry's media file, found on this system whatever
// the case the entry (taken in lower case) gives; its answer fills the play positions, its
// cancel leaves them.
TEST_F(HotLinkSessionTest, ThePickersPositionsGoIntoTheLink) {
    const fs::path clip = Dir() / "Clip.AVI";
    std::ofstream(clip) << "movie";
    m_media = {"4," + clip.string()};
    const std::string ab = Arial("ab");
    const std::string strChoose = "2102=\"Play Movie\" 2010=" + m_media[0];
    const std::string strProgram = "program \"tessel-media-picker\" \"" + clip.string() + "\"\n";
    OpenWithLists(ab);
    EXPECT_EQ(LinkAll(strChoose + " press=2050 ok\nanswer 2053=1500 2054=2500 ok",
                      "print dialogs\nprint markup\n"),
              kShown + strProgram + Linked("<HotLink(12,4,1500,2500)>", ab) + "\n");
    OpenWithLists(ab);
    EXPECT_EQ(LinkAll(strChoose + " 2053=7 2054=8 press=2050 ok\nanswer cancel",
                      "print dialogs\nprint markup\n"),
              kShown + strProgram + Linked("<HotLink(12,4,7,8)>", ab) + "\n");
}

TEST_F(HotLinkSessionTest, UndoGivesThePageBackInOneStep) {
    const std::string page = Arial("ab") + Times("cd");
    OpenWithLists(page);
    LinkAll("2102=Return ok", "");
    const std::string linked =
        Linked("<HotLink(31)>", Arial("ab")) + Linked("<HotLink(31)>", Times("cd")) + "\n";
    EXPECT_EQ(Markup(), linked);
    EXPECT_EQ(Out("command undo\nprint markup\n"), page + "\n");
    EXPECT_EQ(Editor().CanUndo(), 0);
    EXPECT_EQ(Out("command redo\nprint markup\n"), linked);
}

}  // namespace
