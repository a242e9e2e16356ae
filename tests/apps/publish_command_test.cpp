// Runs "tessel publish" on a copy of the example page and checks that a browser opening the
// written index.html finds every picture the page's markup names, under that very name.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "program_dir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The file under folder whose path, compared without regard to letter case and with "\" as
// a folder separator, is strName: how a Windows page finds its pictures in a project.
fs::path FindIgnoringCase(const fs::path& folder, const std::string& strName) {
    std::string wanted = Lower(strName);
    std::replace(wanted.begin(), wanted.end(), '\\', '/');
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (Lower(fs::relative(entry.path(), folder).generic_string()) == wanted)
            return entry.path();
    }
    return {};
}

// Every value of the first quoted parameter of the tag, as the bytes give it.
std::set<std::string> FirstParameters(const std::string& bytes, const std::string& strTag) {
    std::set<std::string> out;
    const std::regex tag("<" + strTag + "\\('([^']*)'");
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), tag);
         it != std::sregex_iterator(); ++it)
        out.insert((*it)[1]);
    return out;
}

class PublishCommand : public ProgramDirTest {
  protected:
    ProgramRun Tool(const std::string& args) { return Program(TESSEL_TOOL, args); }
};

TEST_F(PublishCommand, WritesEveryPictureTheMarkupNamesWhereTheHtmlLooksForIt) {
    fs::copy(TESSEL_EXAMPLES_DIR, m_dir / "project", fs::copy_options::recursive);
    const std::string page = ReadFile(m_dir / "project" / "exam-page.tsm");
    const std::set<std::string> images = FirstParameters(page, "Image");
    const std::set<std::string> formulas = FirstParameters(page, "Formula");
    ASSERT_FALSE(images.empty());
    ASSERT_FALSE(formulas.empty());

    const ProgramRun run = Tool("publish project/exam-page.tsm out");
    EXPECT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(run.strErr, "");

    // A picture keeps its name; a formula's picture is the formula file's name in lower case
    // with ".gif" for ".fml" (docs/html.md).
    std::set<std::string> expected = images;
    for (const std::string& strFormula : formulas)
        expected.insert(Lower(strFormula.substr(0, strFormula.rfind('.'))) + ".gif");
    const std::string html = ReadFile(m_dir / "out" / "index.html");
    std::set<std::string> srcs;
    const std::regex src("<Img SRC=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), src);
         it != std::sregex_iterator(); ++it)
        srcs.insert((*it)[1]);
    EXPECT_EQ(srcs, expected);

    // A browser reads "\" in an address as "/" and finds names with their exact case.
    for (const std::string& strSrc : srcs) {
        std::string strPath = strSrc;
        std::replace(strPath.begin(), strPath.end(), '\\', '/');
        const fs::path file = m_dir / "out" / strPath;
        ASSERT_TRUE(fs::is_regular_file(file)) << strSrc;
        EXPECT_NE(run.strOut.find(file.lexically_relative(m_dir).string()), std::string::npos)
            << run.strOut;
        if (images.contains(strSrc)) {
            const fs::path source = FindIgnoringCase(m_dir / "project", strSrc);
            ASSERT_FALSE(source.empty()) << strSrc;
            EXPECT_EQ(ReadFile(file), ReadFile(source)) << strSrc;
        } else {
            EXPECT_EQ(ReadFile(file).substr(0, 4), "GIF8") << strSrc;
        }
    }
}

TEST_F(PublishCommand, AMissingPageIsNamedAndNothingIsWritten) {
    const ProgramRun run = Tool("publish no-such-page.tsm out");
    EXPECT_EQ(run.nStatus, 2);
    EXPECT_NE(run.strErr.find("no-such-page.tsm"), std::string::npos) << run.strErr;
    EXPECT_EQ(run.strOut, "");
    EXPECT_FALSE(fs::exists(m_dir / "out"));
}

}  // namespace
