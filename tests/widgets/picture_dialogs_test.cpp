// The name the Image and Formula dialogs' OK gives a file and where the file goes, and finding
// the formula editor. Expected names are worked out by hand from the placing rules: upper case
// (whole ASCII characters only), what follows the project directory for a file in the
// project, else the folder and the name when the copy succeeds, else the upper-case path.

#include "widgets/picture_dialogs.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "document/gbk_char.h"
#include "platform/gbk.h"
#include "platform/program.h"

namespace {

namespace fs = std::filesystem;
using tessel::widgets::PlaceFileInProject;

// GBK characters whose second bytes have the codes of 'a' and of '\'.
const std::string kA = "\x81\x61", kBackslash = "\x81\x5C";

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}
std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PictureDialogsTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tessel-picture-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        fs::create_directories(m_dir / "course");
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST_F(PictureDialogsTest, NamesOfFilesNotCopied) {
    struct Case {
        std::string strFile, strDir, strExpected;
    } cases[] = {
        {"C:\\Course\\Pics\\map.bmp", "C:\\Course\\", "PICS\\MAP.BMP"},
        {"c:\\course\\a.bmp", "C:\\COURSE\\", "A.BMP"},
        {"C:\\Course\\a.bmp", "C:\\Course", "A.BMP"},  // as if it ended with a separator
        {"C:\\Course2\\a.bmp", "C:\\Course", "C:\\COURSE2\\A.BMP"},
        // Outside a project directory that is not on this system: the copy fails.
        {"D:\\Other\\Map.bmp", "C:\\Course\\", "D:\\OTHER\\MAP.BMP"},
        // No project directory: every name stays where it is.
        {"d:\\pics\\map.bmp", "", "D:\\PICS\\MAP.BMP"},
        {"Image\\map.bmp", "", "IMAGE\\MAP.BMP"},
        // The second byte of a GBK character is neither a letter nor a separator.
        {"C:\\Course\\" + kA + "\\x" + kA + ".bmp", "C:\\Course\\", kA + "\\X" + kA + ".BMP"},
        {"c:\\" + kBackslash + "x.bmp", "C:\\" + kBackslash, "C:\\" + kBackslash + "X.BMP"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceFileInProject(c.strFile, c.strDir, "Image\\"), c.strExpected) << c.strFile;
}

// In order: each case sees the files the ones before it left.
TEST_F(PictureDialogsTest, NativeFilesOutsideTheProjectAreCopiedIntoItsFolder) {
    const std::string strPrj = (m_dir / "course").string() + "/",
                      strA = tessel::platform::GbkToUtf8(kA);
    Write(m_dir / "course" / "pics" / "Map.bmp", "inside");
    Write(m_dir / "Outside" / (strA + "Map.bmp"), "new");
    Write(m_dir / "course" / "image" / (strA + "MAP.BMP"), "old");
    const std::string strInside = (m_dir / "course" / "pics" / "Map.bmp").string();
    // The file dialog gives GBK names; one in other letter cases still finds the file.
    const std::string strOutside = m_dir.string() + "/outside/" + kA + "map.BMP";
    const std::string strMissing = m_dir.string() + "/none.bmp";
    struct Case {
        std::string strFile, strDir, strFolder, strExpected;
    } cases[] = {
        {strInside, strPrj, "Image\\", "PICS/MAP.BMP"},
        {strInside, (m_dir / "course").string(), "Image\\", "PICS/MAP.BMP"},
        {strOutside, strPrj, "Image\\", "Image\\" + kA + "MAP.BMP"},
        // Already the file in the folder: reached by the page's name, or spelled otherwise.
        {"Image\\" + kA + "MAP.BMP", strPrj, "Image\\", "Image\\" + kA + "MAP.BMP"},
        {m_dir.string() + "/./course/image/" + kA + "Map.bmp", strPrj, "Image\\",
         "Image\\" + kA + "MAP.BMP"},
        {strOutside, strPrj, "Formula\\", "Formula\\" + kA + "MAP.BMP"},  // a folder made
        {strMissing, strPrj, "Image\\", tessel::UpperCaseAscii(strMissing)},
        {strOutside, m_dir.string() + "/gone/", "Image\\", tessel::UpperCaseAscii(strOutside)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceFileInProject(c.strFile, c.strDir, c.strFolder), c.strExpected) << c.strFile;
    // The copies keep the source's name on disk, in the folder that is there whatever its case;
    // the same name in another case was replaced.
    EXPECT_EQ(Read(m_dir / "course" / "image" / (strA + "Map.bmp")), "new");
    EXPECT_EQ(Read(m_dir / "course" / "Formula" / (strA + "Map.bmp")), "new");
    EXPECT_FALSE(fs::exists(m_dir / "course" / "image" / (strA + "MAP.BMP")));
    EXPECT_FALSE(fs::exists(m_dir / "course" / "Image"));
    EXPECT_FALSE(fs::exists(m_dir / "gone"));
}

TEST_F(PictureDialogsTest, ProgramsAreFoundBesideThisOneThenOnPath) {
    Write(m_dir / "bin" / "tessel-test-tool", "#!/bin/sh\n");
    Write(m_dir / "bin" / "tessel-test-plain", "not a program");
    fs::permissions(m_dir / "bin" / "tessel-test-tool", fs::perms::owner_all);
    const std::string strOldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", ("/nonexistent::" + (m_dir / "bin").string() + ":" + strOldPath).c_str(), 1);
    const fs::path self = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(tessel::platform::FindProgram(self.filename().string()), self.string());
    EXPECT_EQ(tessel::platform::FindProgram("tessel-test-tool"),
              (m_dir / "bin" / "tessel-test-tool").string());
    EXPECT_EQ(tessel::platform::FindProgram("tessel-test-plain"), std::nullopt);
    EXPECT_EQ(tessel::platform::FindProgram("tessel-test-missing"), std::nullopt);
    setenv("PATH", strOldPath.c_str(), 1);
    // A program that is not there does not start.
    EXPECT_FALSE(tessel::platform::StartProgram((m_dir / "none").string(), {}));
}

}  // namespace
