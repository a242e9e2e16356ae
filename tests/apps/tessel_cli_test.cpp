// Runs the tessel tool on small markup files and checks its output and exit status.

#include <stdlib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "program_dir.h"

namespace {

namespace fs = std::filesystem;

// <Font('宋体',12,0,1,0)><Color(255,0,0)>你好 world</Color></Font><Image('Image\pic.bmp',0,100)>
// in GBK, as the writer writes it.
const std::string kExample =
    "<Font('\xCB\xCE\xCC\xE5',12,0,1,0)><Color(255,0,0)>\xC4\xE3\xBA\xC3 world</Color></Font>"
    "<Image('Image\\pic.bmp',0,100)>";
const std::string kLost = "<stdin>: 1 problem: something would be lost\n";

using ToolResult = ProgramRun;

class TesselTool : public ProgramDirTest {
  protected:
    // Runs the tool in the test's directory with the arguments and the bytes on standard input.
    ToolResult Tool(const std::string& args, const std::string& strStdin = "") {
        return Program(TESSEL_TOOL, args, strStdin);
    }
};

// n slots {"type":T,"value":V,"text":"..."}, comma-separated.
std::string Slots(int n, int nType, int nValue, const std::string& text = "") {
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += (i ? ",{\"type\":" : "{\"type\":") + std::to_string(nType) +
             ",\"value\":" + std::to_string(nValue) + ",\"text\":\"" + text + "\"}";
    }
    return s;
}

TEST_F(TesselTool, DumpPrintsOneJsonLinePerElementWithEverySlotInOrder) {
    Write("example.tsm", kExample);
    const ToolResult run = Tool("dump example.tsm");
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.strErr, "");
    const std::string hotLink = Slots(1, 0, 100) + "," + Slots(16, 2, 0) + "," + Slots(1, 0, 100);
    EXPECT_EQ(run.strOut,
              "{\"kind\":0,\"font\":[" + Slots(1, 1, 0, "宋体") + "," + Slots(1, 0, 12) + "," +
                  Slots(1, 0, 0) + "," + Slots(1, 0, 1) + "," + Slots(1, 0, 0) + "],\"color\":[" +
                  Slots(1, 0, 255) + "," + Slots(2, 0, 0) + "],\"footnote\":[" + Slots(1, 0, 2) +
                  "],\"hotlink\":[" + hotLink + "],\"command\":[" + Slots(1, 1, 0, "你好 world") +
                  "," + Slots(19, 0, 0) + "]}\n" + "{\"kind\":1,\"font\":[" + Slots(5, 0, 0) +
                  "],\"color\":[" + Slots(3, 0, 0) + "],\"footnote\":[" + Slots(1, 0, 0) +
                  "],\"hotlink\":[" + hotLink + "],\"command\":[" +
                  Slots(1, 1, 0, "Image\\\\pic.bmp") + "," + Slots(1, 0, 0) + "," +
                  Slots(1, 0, 100) + "," + Slots(17, 0, 0) + "]}\n");
}

TEST_F(TesselTool, DumpEscapesTextsForJsonAndShowsInvalidGbkAsReplacement) {
    // Text: a"b\c, two control bytes, a line break (written "\n"), a pair that is not GBK.
    const ToolResult run = Tool("dump",
                                "a\\\"b&\\c\x01\x1F"
                                "d\\ne\xA1\x40");
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_NE(run.strOut.find("\"text\":\"a\\\"b\\\\c\\u0001\\u001fd\\ne\xEF\xBF\xBD@\"}"),
              std::string::npos)
        << run.strOut;
}

TEST_F(TesselTool, MarkupWritesItsOwnOutputBackByteForByte) {
    Write("example.tsm", kExample);
    EXPECT_EQ(Tool("markup example.tsm").strOut, kExample);
    // Bare text gets its tags, an escaped line break becomes "&\r\n", a tab four spaces.
    const ToolResult first = Tool("markup -", "a&<b\\nc\td<Check(1)>\xC4\xE3(x)");
    EXPECT_EQ(first.nStatus, 0);
    EXPECT_NE(first.strOut.find("&\r\n"), std::string::npos);  // CR LF arrive untranslated
    EXPECT_NE(first.strOut.find("\xC4\xE3&(x&)"), std::string::npos);
    EXPECT_EQ(Tool("markup", first.strOut).strOut, first.strOut);
}

// Exit status 0 when nothing is lost (notes aside), 1 otherwise; findings name the byte
// offset, or the element and slot, in byte order.
TEST_F(TesselTool, CheckNamesEveryLossWithItsPlaceAndExitsOneForLoss) {
    const std::string nul("\0", 1), n = std::to_string(kExample.size());
    const std::pair<std::string, std::string> cases[] = {
        {kExample, "<stdin>: nothing is lost\n"},
        {"<Check(1)>ab<Foo(1)>rest<Check(0)>",
         "<stdin>: byte 12: unknown tag \"<Foo(1)>\": reading stops here; 22 bytes are not read\n" +
             kLost},
        {"x<\xCE\xB4\xD6\xAA>y",
         "<stdin>: byte 1: unknown tag \"<未知>\": reading stops here; 7 bytes are not read\n" +
             kLost},
        {"x<Foo>ab" + nul + "cd",  // the bytes behind the NUL are not read either
         "<stdin>: byte 1: unknown tag \"<Foo>\": reading stops here; 10 bytes are not read\n" +
             kLost},
        {"\r\n</Font>" + kExample,
         "<stdin>: byte 2: note: the closing tag \"</Font>\" closes nothing and is ignored\n"
         "<stdin>: nothing is lost (1 note)\n"},
        {kExample + nul + "<Check(1)>",
         "<stdin>: byte " + n + ": a NUL byte ends the markup; 10 bytes after it are not read\n" +
             kLost},
        {kExample + nul, "<stdin>: byte " + n +
                             ": note: a NUL byte ends the markup; nothing follows it\n"
                             "<stdin>: nothing is lost (1 note)\n"},
        {"<Check(1)><Image('a\r\nb.bmp',0,100)>",
         "<stdin>: element 1 (Image), Command[0]: the file name cannot be written whole: "
         "\"\\r\\n\" dropped\n" +
             kLost},
        {"<Check(12345678901234567890123)><HotLink(7)>x</HotLink>y\xB0",
         "<stdin>: byte 26: a number longer than 19 characters is cut: its last 4 characters, "
         "\"0123\", are ignored\n"
         "<stdin>: byte 56: the byte 0xB0 starts a two-byte character but the text ends after "
         "it: it is dropped\n"
         "<stdin>: element 1 (Text), HotLink[0]: the hot-link action code 7 has no markup form: "
         "the link is not written and is lost\n"
         "<stdin>: 3 problems: something would be lost\n"}};
    for (const auto& [input, expected] : cases) {
        const ToolResult run = Tool("check -", input);
        EXPECT_EQ(run.strOut, expected);
        EXPECT_EQ(run.nStatus, expected.ends_with("would be lost\n") ? 1 : 0) << expected;
    }

    // Short in the file, but every text run is written back with its own Font and Color.
    std::string bytes;
    for (int i = 0; i < 400; ++i)
        bytes += "<Check(1)>a";
    const size_t nWritten = Tool("markup", bytes).strOut.size();
    const ToolResult run = Tool("check", bytes);
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_EQ(run.strOut, "<stdin>: written back, the markup is " + std::to_string(nWritten) +
                              " bytes, but a read takes only the first 20481: the last " +
                              std::to_string(nWritten - 20481) + " bytes would be lost\n" + kLost);
}

TEST_F(TesselTool, UnreadableInputIsNamedOnStandardErrorWithExitTwo) {
    for (const std::string command : {"dump", "markup", "check"}) {
        const ToolResult run = Tool(command + " missing.tsm");
        EXPECT_EQ(run.nStatus, 2) << command;
        EXPECT_EQ(run.strOut, "") << command;
        EXPECT_EQ(run.strErr, "tessel: cannot read \"missing.tsm\": No such file or directory\n");
    }
    const ToolResult run = Tool("check .");
    EXPECT_EQ(run.nStatus, 2);
    EXPECT_TRUE(run.strErr.starts_with("tessel: cannot read \".\": ")) << run.strErr;
}

// Help goes to standard output, and wins over the input: the file is not read.
TEST_F(TesselTool, HelpGoesToStandardOutput) {
    const ToolResult overview = Tool("--help");
    EXPECT_EQ(overview.nStatus, 0);
    EXPECT_TRUE(overview.strOut.starts_with("usage: tessel COMMAND")) << overview.strOut;
    EXPECT_EQ(Tool("-h").strOut, overview.strOut);
    for (const std::string command : {"dump", "markup", "check"}) {
        EXPECT_NE(overview.strOut.find("\n  " + command + " "), std::string::npos) << command;
        for (const ToolResult& run :
             {Tool(command + " missing.tsm -h"), Tool(command + " --help")}) {
            EXPECT_EQ(run.nStatus, 0);
            EXPECT_TRUE(run.strOut.starts_with("usage: tessel " + command + " [FILE|-]"));
        }
    }
}

TEST_F(TesselTool, CommandLinesAreCheckedAndDoubleDashEndsOptions) {
    for (const std::string args : {"", "frobnicate", "dump --bogus", "check a.tsm b.tsm"}) {
        const ToolResult run = Tool(args);
        EXPECT_EQ(run.nStatus, 2) << args;
        EXPECT_EQ(run.strOut, "") << args;
        EXPECT_NE(run.strErr.find("usage: tessel"), std::string::npos) << args;
    }
    Write("-odd.tsm", kExample);
    EXPECT_EQ(Tool("markup -- -odd.tsm").strOut, kExample);
}

}  // namespace

namespace {

// The drawing commands: sizes on standard output, a PNG written, clear failures.
TEST_F(TesselTool, PictureAndFormulaDrawIntoPngs) {
    Write("Sum.fml", "\\sum_{i=1}^{n} x_i^2 = \\frac{a}{b}\n");
    ToolResult r = Tool("formula Sum.fml -o sum.png");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    int w = 0, h = 0;
    ASSERT_EQ(std::sscanf(r.strOut.c_str(), "%d %d", &w, &h), 2);
    EXPECT_GT(w, 20);
    EXPECT_GT(h, 20);
    EXPECT_EQ(Read("sum.png").substr(1, 3), "PNG");

    // The PNG just written is a picture in a format of the imaging library.
    r = Tool("picture sum.png -o again.png");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, std::to_string(w) + " " + std::to_string(h) + " 0\n");

    r = Tool("picture Missing.GIF -o x.png");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("Missing.GIF"), std::string::npos);
    EXPECT_EQ(Tool("formula Sum.fml").nStatus, 2);  // no -o
}

}  // namespace

namespace {

// The published page: pictures from the project directory, a missing one named, the page
// wrapper only when asked for.
TEST_F(TesselTool, HtmlWritesTheFragmentAndNamesPicturesLeftOut) {
    const std::string font = "<Font Face=\"\xCB\xCE\xCC\xE5\" Size=\"2\" Color=\"#ff0000\"><B>";
    const std::string text = font + "\xC4\xE3\xBA\xC3&nbsp;world</B></Font>";
    ToolResult r = Tool("html", kExample);
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, text);
    EXPECT_NE(r.strErr.find("<stdin>: element 1: picture \"Image\\pic.bmp\""), std::string::npos)
        << r.strErr;

    // A 2 x 3 picture in the project's folder, named in another letter case.
    fs::create_directories(m_dir / "proj" / "image");
    std::string bmp = "BM" + std::string(52, '\0');
    const unsigned char header[] = {54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 1, 0, 24};
    for (size_t i = 0; i < sizeof header; ++i)
        bmp[10 + i] = static_cast<char>(header[i]);
    bmp += std::string(3 * 8, '\x7f');
    Write("proj/image/PIC.BMP", bmp);
    Write("page.tsm", kExample);
    r = Tool("html page.tsm --project proj --page");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "");
    EXPECT_TRUE(r.strOut.starts_with("<html>\n<head>\n")) << r.strOut;
    EXPECT_NE(r.strOut.find("<meta charset=\"gbk\">"), std::string::npos);
    EXPECT_NE(r.strOut.find("<body>\n" + text +
                            "<Img SRC=\"Image\\pic.bmp\" width=\"2\" height=\"3\" "
                            "alt=\"Image\\pic.bmp\">\n</body>\n</html>\n"),
              std::string::npos)
        << r.strOut;

    EXPECT_EQ(Tool("html page.tsm --project").nStatus, 2);
    EXPECT_EQ(Tool("html page.tsm --page=1").nStatus, 2);
    EXPECT_EQ(Tool("html --project=proj page.tsm").nStatus, 0);
}

}  // namespace

namespace {

// The commands that open the editor headless, and the example host that embeds it.
TEST_F(TesselTool, EditorCommandsOpenThePageInAHeadlessWindow) {
    const std::string run = "<Font('Arial',12,0,0,0)><Color(0,0,0)>hello</Color></Font>";
    const std::string frame = run + "<MultiColumn(2,10,100,100)><StartColumn>" + run +
                              "<EndColumn><StartColumn>" + run + "<EndColumn>";
    Write("page.tsm", frame);

    ToolResult r = Tool("rows", "");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "18 0 0 0\nend\n");
    r = Tool("rows page.tsm --width 300 --line-space 0");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    // The text's row, the frame alone on its row (as tall as its columns' text), and the
    // empty row after a frame that ends the page.
    EXPECT_EQ(r.strOut, "12 0 0 0\n12 1 0 0\n18 2 0 0\nend\n");

    // The editor hands the frame back flat, its last column as wide as the rest of the line.
    r = Tool("markup --editor page.tsm --width 300");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, run + "<MultiColumn(2,10,100,200)><StartColumn>" + run +
                            "<EndColumn><StartColumn>" + run + "<EndColumn>");

    r = Tool("render page.tsm -o page.png --width 320 --height 90 --hotlink-color 00ff00");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    r = Tool("picture page.png -o again.png");
    EXPECT_EQ(r.strOut, "320 90 0\n") << r.strErr;

    for (const std::string args : {"render page.tsm", "rows --width 0", "rows --zoom x",
                                   "rows --hotlink-color 12345", "markup --editor --width"}) {
        r = Tool(args);
        EXPECT_EQ(r.nStatus, 2) << args;
        EXPECT_NE(r.strErr.find("usage: tessel"), std::string::npos) << args;
    }
}

#ifdef TESSEL_EXAMPLE_HOST
TEST_F(TesselTool, TheExampleHostEmbedsTheEditor) {
    const std::string page = std::string(TESSEL_EXAMPLES_DIR) + "/exam-page.tsm";
    const std::string command = "cd '" + m_dir.string() + "' && QT_QPA_PLATFORM=offscreen '" +
                                TESSEL_EXAMPLE_HOST + "' '" + page + "' --project '" +
                                TESSEL_EXAMPLES_DIR + "' --print-and-quit >host.out 2>host.err";
    const int nWait = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(nWait) && WEXITSTATUS(nWait) == 0) << Read("host.err");
    const ToolResult r =
        Tool("markup --editor '" + page + "' --project '" + TESSEL_EXAMPLES_DIR + "'");
    ASSERT_EQ(r.nStatus, 0);
    EXPECT_EQ(Read("host.out"), r.strOut);
    EXPECT_GT(r.strOut.size(), 4000u);
}
#endif

}  // namespace
