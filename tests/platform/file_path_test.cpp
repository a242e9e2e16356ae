#include "platform/file_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

using tessel::platform::ResolvePath;

namespace {

namespace fs = std::filesystem;

// A project folder as pages on Windows name it, stored here in other letter cases:
// image/pic.bmp, Formula/F1.fml, a GBK-named picture "\xcd\xbcA.bmp" (图A.bmp) and a picture
// whose GBK name was converted to UTF-8 on the way (图片.bmp).
class ResolvePathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() /
            ("tessel_resolve_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "image");
        fs::create_directories(m_dir / "Formula");
        for (const char* szName : {"image/pic.bmp", "Formula/F1.fml",
                                   "\xcd\xbc"
                                   "A.bmp",
                                   "图片.bmp"}) {
            std::ofstream(m_dir / szName) << "x";
        }
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Dir() const { return m_dir.string(); }

    fs::path m_dir;
};

TEST_F(ResolvePathTest, MatchesComponentsWithoutRegardToAsciiCase) {
    const std::string pic = Dir() + "/image/pic.bmp";
    EXPECT_EQ(ResolvePath(Dir(), "Image\\PIC.BMP"), pic);
    EXPECT_EQ(ResolvePath(Dir(), "image/pic.bmp"), pic);
    EXPECT_EQ(ResolvePath(Dir(), ".\\IMAGE\\\\pic.Bmp"), pic);
    EXPECT_EQ(ResolvePath(Dir(), "FORMULA\\f1.FML"), Dir() + "/Formula/F1.fml");
    EXPECT_EQ(ResolvePath(Dir() + "/", "IMAGE\\PIC.BMP"), pic);
    // Bytes of GBK characters must match exactly; only ASCII letters may differ in case.
    EXPECT_EQ(ResolvePath(Dir(),
                          "\xcd\xbc"
                          "a.bmp"),
              Dir() +
                  "/\xcd\xbc"
                  "A.bmp");
    EXPECT_EQ(ResolvePath(Dir(),
                          "\xed\xbc"
                          "a.bmp"),
              Dir() +
                  "/\xed\xbc"
                  "a.bmp");
    EXPECT_EQ(ResolvePath(Dir(), "\xcd\xbc\xc6\xac.BMP"), Dir() + "/图片.bmp");
    // A character whose second byte is a backslash's (0x81 0x5C) does not split the name.
    fs::create_directories(m_dir / "\x81\x5c");
    std::ofstream(m_dir / "\x81\x5c" / "p\x81\x5c.bmp") << "x";
    EXPECT_EQ(ResolvePath(Dir(), "\x81\x5c\\P\x81\x5c.BMP"), Dir() + "/\x81\x5c/p\x81\x5c.bmp");
}

TEST_F(ResolvePathTest, AbsoluteAndDriveNamesAndMissingFiles) {
    const std::string pic = Dir() + "/image/pic.bmp";
    std::string absolute = Dir() + "\\IMAGE\\Pic.bmp";
    EXPECT_EQ(ResolvePath("/nowhere", absolute), pic);
    // A Windows disk is not here: the name is looked for inside the project instead.
    EXPECT_EQ(ResolvePath(Dir(), "C:\\Courses\\Old\\IMAGE\\PIC.BMP"), pic);
    EXPECT_EQ(ResolvePath(Dir(), "d:pic.bmp"), "/pic.bmp");
    // What is missing is joined as written onto what was found.
    EXPECT_EQ(ResolvePath(Dir(), "IMAGE\\New.bmp"), Dir() + "/image/New.bmp");
    EXPECT_EQ(ResolvePath(Dir(), "Sound\\a.wav"), Dir() + "/Sound/a.wav");
    EXPECT_EQ(ResolvePath(Dir(), "C:\\Sound\\a.wav"), "/Sound/a.wav");
}

}  // namespace

namespace {

// Only regular files are read: a page may name a pipe or a device, which must neither block
// nor run on.
TEST_F(ResolvePathTest, OnlyRegularFilesAreRead) {
    using tessel::platform::ReadRegularFile;
    std::ofstream(m_dir / "five.txt") << "12345";
    EXPECT_EQ(ReadRegularFile((m_dir / "five.txt").string(), 5), "12345");
    EXPECT_EQ(ReadRegularFile((m_dir / "five.txt").string(), 4), std::nullopt);
    EXPECT_EQ(ReadRegularFile((m_dir / "missing").string(), 100), std::nullopt);
    EXPECT_EQ(ReadRegularFile((m_dir / "image").string(), 100), std::nullopt);
    EXPECT_EQ(ReadRegularFile("/dev/zero", 100), std::nullopt);
    ASSERT_EQ(::mkfifo((m_dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadRegularFile((m_dir / "pipe").string(), 100), std::nullopt);  // returns at once
}

}  // namespace
