// Runs the tessel tool on small markup files and checks its output and exit status.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// <Font('宋体',12,0,1,0)><Color(255,0,0)>你好 world</Color></Font><Image('Image\pic.bmp',0,100)>
// in GBK, as the writer writes it.
const std::string kExample =
    "<Font('\xCB\xCE\xCC\xE5',12,0,1,0)><Color(255,0,0)>\xC4\xE3\xBA\xC3 world</Color></Font>"
    "<Image('Image\\pic.bmp',0,100)>";

struct ToolResult {
    int nStatus = -1;  // exit status, -1 when the tool did not exit normally
    std::string strOut;
    std::string strErr;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

class TesselTool : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tessel-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    // Writes bytes to a file in the test's directory and returns its path.
    std::string Write(const std::string& strName, const std::string& bytes) {
        const fs::path path = m_dir / strName;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Runs the tool with the arguments; standard input comes from strStdin (empty when not
    // given). Output is captured in files, so binary bytes arrive unchanged.
    ToolResult Tool(const std::vector<std::string>& args, const std::string& strStdin = "") {
        const std::string inPath = Write("stdin.bin", strStdin);
        const std::string outPath = (m_dir / "stdout.bin").string();
        const std::string errPath = (m_dir / "stderr.bin").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        std::vector<std::string> argStrings{TESSEL_TOOL};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : argStrings)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        ToolResult run;
        pid_t pid = 0;
        const int nError = posix_spawn(&pid, TESSEL_TOOL, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(nError, 0) << "cannot start " << TESSEL_TOOL;
        if (nError != 0) return run;
        int nWait = 0;
        waitpid(pid, &nWait, 0);
        if (WIFEXITED(nWait)) run.nStatus = WEXITSTATUS(nWait);
        run.strOut = Slurp(outPath);
        run.strErr = Slurp(errPath);
        return run;
    }

    fs::path m_dir;
};

// --- dump ------------------------------------------------------------------------------------

TEST_F(TesselTool, DumpPrintsOneJsonObjectPerElementWithSlotsInOrder) {
    const ToolResult run = Tool({"dump", Write("example.tsm", kExample)});
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(run.strErr, "");
    const std::vector<std::string> lines = Lines(run.strOut);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(run.strOut.back(), '\n');

    const std::string& text = lines[0];
    EXPECT_TRUE(
        text.starts_with("{\"kind\":0,\"font\":[{\"type\":1,\"value\":0,\"text\":\"宋体\"},"
                         "{\"type\":0,\"value\":12,\"text\":\"\"},"
                         "{\"type\":0,\"value\":0,\"text\":\"\"},"
                         "{\"type\":0,\"value\":1,\"text\":\"\"},"
                         "{\"type\":0,\"value\":0,\"text\":\"\"}],"
                         "\"color\":[{\"type\":0,\"value\":255,\"text\":\"\"},"))
        << text;
    EXPECT_NE(text.find("\"footnote\":[{\"type\":0,\"value\":2,\"text\":\"\"}],\"hotlink\":[{"
                        "\"type\":0,\"value\":100,"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"command\":[{\"type\":1,\"value\":0,\"text\":\"你好 world\"},"),
              std::string::npos)
        << text;

    const std::string& image = lines[1];
    EXPECT_TRUE(image.starts_with("{\"kind\":1,")) << image;
    EXPECT_NE(image.find("\"command\":[{\"type\":1,\"value\":0,\"text\":\"Image\\\\pic.bmp\"},"
                         "{\"type\":0,\"value\":0,\"text\":\"\"},"
                         "{\"type\":0,\"value\":100,\"text\":\"\"},"),
              std::string::npos)
        << image;

    for (const std::string& line : lines) {
        // 5 font, 3 colour, 1 footnote, 18 hot-link and 20 command slots, keys in this order.
        size_t nSlots = 0;
        for (size_t at = line.find("{\"type\":"); at != std::string::npos;
             at = line.find("{\"type\":", at + 1)) {
            ++nSlots;
        }
        EXPECT_EQ(nSlots, 47u);
        const size_t nFont = line.find("\"font\":");
        const size_t nColor = line.find("\"color\":");
        const size_t nFootNote = line.find("\"footnote\":");
        const size_t nHotLink = line.find("\"hotlink\":");
        const size_t nCommand = line.find("\"command\":");
        EXPECT_TRUE(nFont < nColor && nColor < nFootNote && nFootNote < nHotLink &&
                    nHotLink < nCommand && nCommand != std::string::npos);
        EXPECT_TRUE(line.ends_with("}]}"));
    }
    // The only spaces are the one inside "你好 world".
    EXPECT_EQ(std::count(run.strOut.begin(), run.strOut.end(), ' '), 1);
}

TEST_F(TesselTool, DumpEscapesTextsForJsonAndShowsInvalidGbkAsReplacement) {
    // Text: a"b\c, a control byte, a line break (written "\n"), a byte pair that is not GBK.
    const ToolResult run = Tool({"dump", Write("escapes.tsm",
                                               "a\\\"b&\\c\x01\x1F"
                                               "d\\ne\xA1\x40")});
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    const std::vector<std::string> lines = Lines(run.strOut);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\"text\":\"a\\\"b\\\\c\\u0001\\u001fd\\ne\xEF\xBF\xBD@\"}"),
              std::string::npos)
        << lines[0];
}

TEST_F(TesselTool, DumpReadsStandardInputForDashOrNoFile) {
    const ToolResult fromFile = Tool({"dump", Write("example.tsm", kExample)});
    const ToolResult fromDash = Tool({"dump", "-"}, kExample);
    const ToolResult fromNothing = Tool({"dump"}, kExample);
    ASSERT_EQ(fromFile.nStatus, 0);
    EXPECT_EQ(fromDash.nStatus, 0);
    EXPECT_EQ(fromNothing.nStatus, 0);
    EXPECT_EQ(fromDash.strOut, fromFile.strOut);
    EXPECT_EQ(fromNothing.strOut, fromFile.strOut);
}

TEST_F(TesselTool, DumpOfEmptyMarkupPrintsNothing) {
    const ToolResult run = Tool({"dump", Write("empty.tsm", "")});
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.strOut, "");
}

TEST_F(TesselTool, DumpStopsAtNulByteLikeTheLibrary) {
    const ToolResult run =
        Tool({"dump", Write("nul.tsm", kExample + std::string("\0<Check(1)>", 11))});
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(Lines(run.strOut).size(), 2u);
}

// --- markup ----------------------------------------------------------------------------------

TEST_F(TesselTool, MarkupWritesWriterOutputBackByteForByte) {
    const ToolResult run = Tool({"markup", Write("example.tsm", kExample)});
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(run.strOut, kExample);
}

TEST_F(TesselTool, MarkupIsStableAfterOneRewrite) {
    // Bare text gets its tags, an escaped line break becomes "&\r\n", a tab four spaces.
    const std::string source = "a&<b\\nc\td<Check(1)>\xC4\xE3(x)";
    const ToolResult first = Tool({"markup", Write("source.tsm", source)});
    ASSERT_EQ(first.nStatus, 0);
    EXPECT_NE(first.strOut.find("&\r\n"), std::string::npos);  // CR LF arrive untranslated
    EXPECT_NE(first.strOut.find("\xC4\xE3&(x&)"), std::string::npos);
    const ToolResult second = Tool({"markup", Write("first.tsm", first.strOut)});
    ASSERT_EQ(second.nStatus, 0);
    EXPECT_EQ(second.strOut, first.strOut);
}

TEST_F(TesselTool, MarkupReadsStandardInput) {
    const ToolResult run = Tool({"markup"}, kExample);
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.strOut, kExample);
}

// --- check -----------------------------------------------------------------------------------

TEST_F(TesselTool, CheckOfCleanMarkupSaysNothingIsLost) {
    const std::string path = Write("clean.tsm", kExample);
    const ToolResult run = Tool({"check", path});
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.strOut, path + ": nothing is lost\n");
    EXPECT_EQ(run.strErr, "");
}

TEST_F(TesselTool, CheckNamesTheUnknownTagAndWhatIsNotRead) {
    const std::string head = "<Check(1)>ab";
    const std::string tail = "<Foo(1)>rest<Check(0)>";
    const std::string path = Write("unknown.tsm", head + tail);
    const ToolResult run = Tool({"check", path});
    EXPECT_EQ(run.nStatus, 1);
    const std::vector<std::string> lines = Lines(run.strOut);
    ASSERT_EQ(lines.size(), 2u) << run.strOut;
    EXPECT_EQ(lines[0], path + ": byte " + std::to_string(head.size()) +
                            ": unknown tag \"<Foo(1)>\": reading stops here; " +
                            std::to_string(tail.size()) + " bytes are not read");
    EXPECT_EQ(lines[1], path + ": 1 problem: something would be lost");
}

TEST_F(TesselTool, CheckQuotesChineseInUtf8) {
    const ToolResult run = Tool({"check", "-"}, "x<\xCE\xB4\xD6\xAA>y");  // <未知>
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_NE(run.strOut.find("<stdin>: byte 1: unknown tag \"<未知>\""), std::string::npos)
        << run.strOut;
}

TEST_F(TesselTool, CheckReportsBytesHiddenBehindANulByte) {
    const std::string bytes = kExample + std::string("\0<Check(1)>", 11);
    const ToolResult run = Tool({"check", "-"}, bytes);
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_NE(run.strOut.find("<stdin>: byte " + std::to_string(kExample.size()) +
                              ": a NUL byte ends the markup; 10 bytes after it are not read\n"),
              std::string::npos)
        << run.strOut;
}

TEST_F(TesselTool, CheckCountsBytesPastANulInTheUnknownTagThatStopsTheReadFirst) {
    // Reading stops at the tag; the NUL behind it adds to what is not read, not a problem.
    const std::string bytes("x<Foo>ab\0cd", 11);
    const ToolResult run = Tool({"check", "-"}, bytes);
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_EQ(run.strOut,
              "<stdin>: byte 1: unknown tag \"<Foo>\": reading stops here; 10 bytes are not "
              "read\n<stdin>: 1 problem: something would be lost\n");
}

TEST_F(TesselTool, CheckTakesATrailingNulAsANote) {
    const ToolResult run = Tool({"check", "-"}, kExample + std::string(1, '\0'));
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_NE(run.strOut.find(": note: a NUL byte ends the markup; nothing follows it\n"),
              std::string::npos)
        << run.strOut;
    EXPECT_TRUE(run.strOut.ends_with("<stdin>: nothing is lost (1 note)\n")) << run.strOut;
}

TEST_F(TesselTool, CheckExitsZeroWhenThereAreOnlyNotes) {
    // A closing tag that closes nothing changes nothing that is read.
    const ToolResult run = Tool({"check", "-"}, "</Font>" + kExample);
    EXPECT_EQ(run.nStatus, 0);
    const std::vector<std::string> lines = Lines(run.strOut);
    ASSERT_EQ(lines.size(), 2u) << run.strOut;
    EXPECT_EQ(lines[0],
              "<stdin>: byte 0: note: the closing tag \"</Font>\" closes nothing and is "
              "ignored");
    EXPECT_EQ(lines[1], "<stdin>: nothing is lost (1 note)");
}

TEST_F(TesselTool, CheckPointsAtTheTagNotAtTheLineBreaksBeforeIt) {
    const ToolResult run = Tool({"check", "-"}, kExample + "\r\n\r\n</Color>");
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_NE(run.strOut.find("<stdin>: byte " + std::to_string(kExample.size() + 4) +
                              ": note: the closing tag \"</Color>\" closes nothing"),
              std::string::npos)
        << run.strOut;
}

TEST_F(TesselTool, CheckTellsWhenTheWrittenMarkupIsLongerThanAReadTakes) {
    // Short in the file, but every text run is written back with its own Font and Color.
    std::string bytes;
    for (int i = 0; i < 400; ++i)
        bytes += "<Check(1)>a";
    ASSERT_LT(bytes.size(), 20481u);
    const size_t nWritten = Tool({"markup", "-"}, bytes).strOut.size();
    ASSERT_GT(nWritten, 20481u);

    const ToolResult run = Tool({"check", "-"}, bytes);
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_EQ(run.strOut, "<stdin>: written back, the markup is " + std::to_string(nWritten) +
                              " bytes, but a read takes only the first 20481: the last " +
                              std::to_string(nWritten - 20481) +
                              " bytes would be lost\n<stdin>: 1 problem: something would be "
                              "lost\n");
}

TEST_F(TesselTool, CheckNamesElementAndSlotThatCannotBeWrittenWhole) {
    // A quoted parameter keeps its line break when read, but the writer cannot write it.
    const std::string path = Write("param.tsm", "<Check(1)><Image('a\r\nb.bmp',0,100)>");
    const ToolResult run = Tool({"check", path});
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_NE(run.strOut.find(path + ": element 1 (Image), Command[0]: the file name cannot be "
                                     "written whole: \"\\r\\n\" dropped\n"),
              std::string::npos)
        << run.strOut;
}

TEST_F(TesselTool, CheckCountsEveryProblemAndListsThemInByteOrder) {
    // A lone lead byte at the end, and an unreadable hot-link code, and a cut number.
    const std::string bytes = "<Check(12345678901234567890123)><HotLink(7)>x</HotLink>y\xB0";
    const ToolResult run = Tool({"check", "-"}, bytes);
    EXPECT_EQ(run.nStatus, 1);
    const std::vector<std::string> lines = Lines(run.strOut);
    ASSERT_EQ(lines.size(), 4u) << run.strOut;
    EXPECT_EQ(lines[0],
              "<stdin>: byte 26: a number longer than 19 characters is cut: its last "
              "4 characters, \"0123\", are ignored");
    EXPECT_EQ(lines[1], "<stdin>: byte " + std::to_string(bytes.size() - 1) +
                            ": the byte 0xB0 starts a two-byte character but the text ends "
                            "after it: it is dropped");
    EXPECT_EQ(lines[2],
              "<stdin>: element 1 (Text), HotLink[0]: the hot-link action code 7 has "
              "no markup form: the link is not written and is lost");
    EXPECT_EQ(lines[3], "<stdin>: 3 problems: something would be lost");
}

// --- command line ----------------------------------------------------------------------------

TEST_F(TesselTool, MissingFileIsNamedOnStandardErrorForEveryCommand) {
    const std::string path = (m_dir / "missing.tsm").string();
    for (const char* szCommand : {"dump", "markup", "check"}) {
        const ToolResult run = Tool({szCommand, path});
        EXPECT_EQ(run.nStatus, 2) << szCommand;
        EXPECT_EQ(run.strOut, "") << szCommand;
        EXPECT_EQ(run.strErr, "tessel: cannot read \"" + path + "\": No such file or directory\n")
            << szCommand;
    }
}

TEST_F(TesselTool, DirectoryCannotBeRead) {
    const ToolResult run = Tool({"check", m_dir.string()});
    EXPECT_EQ(run.nStatus, 2);
    EXPECT_NE(run.strErr.find("tessel: cannot read \"" + m_dir.string() + "\""), std::string::npos);
}

TEST_F(TesselTool, HelpGoesToStandardOutputAndListsEveryCommand) {
    for (const char* szOption : {"--help", "-h"}) {
        const ToolResult run = Tool({szOption});
        EXPECT_EQ(run.nStatus, 0);
        EXPECT_EQ(run.strErr, "");
        EXPECT_TRUE(run.strOut.starts_with("usage: tessel COMMAND")) << run.strOut;
        for (const char* szCommand : {"dump", "markup", "check"}) {
            EXPECT_NE(run.strOut.find(std::string("\n  ") + szCommand + " "), std::string::npos)
                << szCommand;
        }
    }
}

TEST_F(TesselTool, CommandHelpDescribesThatCommand) {
    for (const char* szCommand : {"dump", "markup", "check"}) {
        for (const char* szOption : {"--help", "-h"}) {
            const ToolResult run = Tool({szCommand, szOption});
            EXPECT_EQ(run.nStatus, 0);
            EXPECT_EQ(run.strErr, "");
            EXPECT_TRUE(
                run.strOut.starts_with(std::string("usage: tessel ") + szCommand + " [FILE|-]\n"))
                << run.strOut;
            EXPECT_NE(run.strOut.find("Exit status"), std::string::npos);
        }
    }
    // Help wins over the input: the file is not read.
    EXPECT_EQ(Tool({"check", "missing.tsm", "--help"}).nStatus, 0);
}

TEST_F(TesselTool, BadCommandLinesGiveUsageOnStandardError) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"frobnicate"}, {"dump", "--bogus"}, {"check", "a.tsm", "b.tsm"}};
    for (const std::vector<std::string>& args : cases) {
        const ToolResult run = Tool(args);
        EXPECT_EQ(run.nStatus, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.strOut, "") << testing::PrintToString(args);
        EXPECT_NE(run.strErr.find("usage: tessel"), std::string::npos)
            << testing::PrintToString(args);
    }
}

TEST_F(TesselTool, DoubleDashLetsAFileNameStartWithADash) {
    Write("-odd.tsm", kExample);
    const std::string path = (m_dir / "-odd.tsm").string();
    // An absolute path does not start with "-", so go through a relative one.
    const std::string cwd = fs::current_path().string();
    fs::current_path(m_dir);
    const ToolResult run = Tool({"markup", "--", "-odd.tsm"});
    fs::current_path(cwd);
    EXPECT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(run.strOut, kExample);
}

}  // namespace
