// End to end: "tessel play" and the example host's --play, run as programs on files written
// here.

#include <stdlib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "document/my_list.h"
#include "markup/word_analyzer.h"
#include "platform/gbk.h"
#include "program_dir.h"

namespace {

namespace fs = std::filesystem;

class PlayCommand : public ProgramDirTest {
  protected:
    ProgramRun Tool(const std::string& args, const std::string& strStdin = "") {
        return Program(TESSEL_TOOL, args, strStdin);
    }
};

const std::string kRun = "<Font('Arial',12,0,0,0)><Color(0,0,0)>hello</Color></Font>";

TEST_F(PlayCommand, PlaysAScriptFromAFileOrStandardInputOnAPage) {
    Write("page.tsm", kRun + "<MultiColumn(2,10,100,100)><StartColumn>" + kRun +
                          "<EndColumn><StartColumn>" + kRun + "<EndColumn>");
    Write("rows.play", "# the row table\nprint rows\n");
    ProgramRun r = Tool("play rows.play page.tsm --width 300 --line-space 0");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "12 0 0 0\n12 1 0 0\n18 2 0 0\nend\n");
    // Options before the operands, the script on standard input, no page: an empty one.
    r = Tool("play --height 100 -", "print caret\nprint markup\n");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "0 0 0\n\n");
}

TEST_F(PlayCommand, AWrongScriptLineIsNamedOnStandardErrorWithExitTwo) {
    Write("typo.play", "print caret\n\ntpye x\n");
    ProgramRun r = Tool("play typo.play");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_EQ(r.strOut, "");
    // (Qt's offscreen platform may add notes of its own before it.)
    EXPECT_TRUE(r.strErr.ends_with("tessel play: script line 3: unknown action \"tpye\"\n"))
        << r.strErr;

    // What ran before a line that cannot be run is printed.
    r = Tool("play -", "print caret\nsnapshot no-such-dir/x.png\n");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_EQ(r.strOut, "0 0 0\n");
    EXPECT_NE(r.strErr.find("tessel play: script line 2: snapshot: "), std::string::npos)
        << r.strErr;

    r = Tool("play missing.play");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_EQ(r.strErr, "tessel: cannot read \"missing.play\": No such file or directory\n");
    for (const std::string args : {"play", "play - -", "play a b c", "play x --width 0"}) {
        r = Tool(args);
        EXPECT_EQ(r.nStatus, 2) << args;
        EXPECT_NE(r.strErr.find("usage: tessel play"), std::string::npos) << args << r.strErr;
    }
    r = Tool("play --help");
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_TRUE(r.strOut.starts_with("usage: tessel play SCRIPT")) << r.strOut;
    EXPECT_NE(Tool("--help").strOut.find("\n  play "), std::string::npos);
}

TEST_F(PlayCommand, TheHostsListsComeFromFilesOfLines) {
    // A media entry is a number and a path; the media-entry form of "Play Music" stores the
    // entry's number and the picker's two positions.
    Write("media.txt", "1,sound\\song.mid\n\n2,video\\clip.avi\n");
    Write("hotlink.play",
          "type hello\nkey Home\nkey Right shift\n"
          "answer 2102=\"Play Music\" 2155=1 2010=1,sound\\song.mid press=2050 ok\n"
          "answer 2053=1200 2054=3400 ok\ncommand hotlink\nprint markup\n");
    ProgramRun r = Tool("play hotlink.play --media media.txt");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_TRUE(
        r.strOut.starts_with("<HotLink(11,1,1200,3400)><Font('Arial',28,0,0,0)><Color(0,0,"
                             "0)>h</Color></Font></HotLink>"))
        << r.strOut;
    // A list file that cannot be read is named.
    r = Tool("play hotlink.play --pages missing.txt");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("--pages \"missing.txt\""), std::string::npos) << r.strErr;
}

TEST_F(PlayCommand, SnapshotWritesAPngOfTheEditorWindow) {
    const ProgramRun r = Tool("play - --width 320 --height 90", "type x\nsnapshot shot.png\n");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    // Read back by the picture command: its size, and no palette.
    EXPECT_EQ(Tool("picture shot.png -o again.png").strOut, "320 90 0\n");
}

#ifdef TESSEL_EXAMPLE_HOST
// The expected markup is the writer's for the one element the typing rules give: every
// character typed in the editor's starting format (Arial, 28, black, no styles, normal
// footnote, no hot link) joins one Text element.
TEST_F(PlayCommand, TheExampleHostTypesEnglishAndChineseIntoAnEmptyPage) {
    Write("empty.tsm", "");
    Write("session.play", "type Hello, world\nime 中文\ntype !\n");
    const ProgramRun r = Program(TESSEL_EXAMPLE_HOST, "empty.tsm --play session.play");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;

    auto* pText = new CLink;
    pText->m_nKind = kKindText;
    pText->m_Font[0].nType = kParamText;
    pText->m_Font[0].strText = "Arial";
    pText->m_Font[1].nValue = 28;
    pText->m_FootNote[0].nValue = kFootNoteNormal;
    pText->m_HotLink[0].nValue = kNoHotLink;
    pText->m_Command[0].nType = kParamText;
    pText->m_Command[0].strText = tessel::platform::Utf8ToGbk("Hello, world中文!");
    CMyList expected;
    expected.Append(pText);
    std::string markup;
    CWordAnalyzer().CodeGeneration(markup, &expected, 0);
    EXPECT_EQ(r.strOut, markup) << tessel::platform::GbkToUtf8(r.strOut);

    // A wrong script: the host names the line and ends with exit 2.
    Write("typo.play", "type a\nkey Lfet\n");
    const ProgramRun bad = Program(TESSEL_EXAMPLE_HOST, "empty.tsm --play typo.play");
    EXPECT_EQ(bad.nStatus, 2);
    EXPECT_NE(bad.strErr.find("script line 2: key: unknown key \"Lfet\""), std::string::npos)
        << bad.strErr;
}
#endif

}  // namespace
