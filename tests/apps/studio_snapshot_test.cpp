// Runs "tessel-studio --snapshot" on a copy of the example page: the picture is written at the
// window size the help gives, and nothing of the author's (settings, files beside the page) is
// touched.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "program_dir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A PNG's width and height, from its header chunk (big-endian, after the 8-byte signature and
// the chunk's length and type).
std::pair<unsigned, unsigned> PngSize(const std::string& png) {
    if (png.size() < 24 || png.compare(1, 3, "PNG") != 0 || png.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto word = [&](size_t n) {
        unsigned v = 0;
        for (size_t i = 0; i < 4; ++i)
            v = (v << 8) | static_cast<unsigned char>(png[n + i]);
        return v;
    };
    return {word(16), word(20)};
}

class StudioSnapshot : public ProgramDirTest {
  protected:
    // The studio with a home of the test's own, so that the author's settings cannot be met.
    ProgramRun Studio(const std::string& args) {
        fs::create_directories(m_dir / "home");
        const std::string home = (m_dir / "home").string();
        return Program("/usr/bin/env", "HOME='" + home + "' XDG_CONFIG_HOME='" + home +
                                           "/.config' XDG_STATE_HOME='" + home + "/.state' '" +
                                           TESSEL_STUDIO + "' " + args);
    }
};

TEST_F(StudioSnapshot, WritesTheWindowAndTheToolWindowAndTouchesNothingElse) {
    fs::copy(TESSEL_EXAMPLES_DIR, m_dir / "course", fs::copy_options::recursive);
    const std::string page = ReadFile(m_dir / "course" / "exam-page.tsm");
    const ProgramRun run =
        Studio("course/exam-page.tsm --snapshot window.png --snapshot-tools tools.png");
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(PngSize(ReadFile(m_dir / "window.png")), std::make_pair(900u, 650u));
    // The editor's tool window is 430 by 75 (docs/tool_window.md).
    EXPECT_EQ(PngSize(ReadFile(m_dir / "tools.png")), std::make_pair(430u, 75u));

    EXPECT_EQ(ReadFile(m_dir / "course" / "exam-page.tsm"), page);
    EXPECT_FALSE(fs::exists(m_dir / "course" / "exam-page.tsm~"));
    EXPECT_FALSE(fs::exists(m_dir / "course" / ".exam-page.tsm.recovery"));
    EXPECT_FALSE(fs::exists(m_dir / "home" / ".config" / "Tessel"));
    EXPECT_FALSE(fs::exists(m_dir / "home" / ".state" / "tessel-studio"));
}

TEST_F(StudioSnapshot, APictureThatCannotBeWrittenIsNamedWithStatusTwo) {
    const ProgramRun run = Studio("--snapshot no-such-folder/window.png");
    EXPECT_EQ(run.nStatus, 2);
    EXPECT_NE(run.strErr.find("no-such-folder/window.png"), std::string::npos) << run.strErr;
}

}  // namespace
