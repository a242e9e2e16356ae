// Pages on disk and the project's lists, without a window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <string>

#include "markup/markup_limits.h"
#include "page_file.h"
#include "project.h"
#include "studio_files.h"

namespace tessel::studio {
namespace {

using test::Put;
using test::Slurp;
using test::TextPage;

TEST(PageFile, SavesBytesKeepsBackupAndMode) {
    QTemporaryDir dir;
    const std::string strPage = dir.path().toStdString() + "/a.tsm";
    const std::string first = TextPage("\xC4\xE3\xBA\xC3");  // GBK bytes as they are
    std::string strError;
    ASSERT_TRUE(WritePageAtomically(strPage, first, true, &strError)) << strError;
    EXPECT_EQ(Slurp(strPage), first);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(BackupPath(strPage))));
    ::chmod(strPage.c_str(), 0600);
    ASSERT_TRUE(WritePageAtomically(strPage, TextPage("two"), true, &strError)) << strError;
    EXPECT_EQ(Slurp(strPage), TextPage("two"));
    EXPECT_EQ(BackupPath(strPage), strPage + "~");
    EXPECT_EQ(Slurp(strPage + "~"), first);
    struct stat st {};
    ASSERT_EQ(::stat(strPage.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Nothing but the page and its backup is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(PageFile, FailedSaveLeavesThePage) {
    QTemporaryDir dir;
    const std::string strPage = dir.path().toStdString() + "/missing-folder/a.tsm";
    std::string strError;
    EXPECT_FALSE(WritePageAtomically(strPage, "x", true, &strError));
    EXPECT_NE(strError.find("missing-folder"), std::string::npos) << strError;
}

TEST(PageFile, RecoveryIsAHiddenFileBesideThePage) {
    EXPECT_EQ(RecoveryPath("/p/course/Page 1.tsm"), "/p/course/.Page 1.tsm.recovery");
}

TEST(PageFile, ReadRefusesWhatIsNoPage) {
    QTemporaryDir dir;
    std::string strError;
    EXPECT_FALSE(ReadPageFile(dir.path().toStdString(), &strError));  // a folder
    EXPECT_FALSE(ReadPageFile(dir.path().toStdString() + "/none.tsm", &strError));
    EXPECT_FALSE(strError.empty());
}

TEST(PageFile, WholePageHasNoLosses) {
    EXPECT_TRUE(LossesOfPage(TextPage("Hello")).empty());
    EXPECT_TRUE(LossesOfPage("").empty());
}

TEST(PageFile, UnknownTagIsFoundAtItsByte) {
    const std::string page = TextPage("Hello") + "<Foo>" + TextPage("World");
    const std::vector<Finding> losses = LossesOfPage(page);
    ASSERT_FALSE(losses.empty());
    EXPECT_EQ(losses[0].strWhere, "byte " + std::to_string(page.find("<Foo>")));
    // Worded as `tessel check` words it: the tag, and every byte from it on not read.
    const size_t nUnread = page.size() - page.find("<Foo>");
    EXPECT_EQ(losses[0].strText, "unknown tag \"<Foo>\": reading stops here; " +
                                     std::to_string(nUnread) + " bytes are not read");
}

TEST(PageFile, BytesAfterANulAreLost) {
    const std::string page = TextPage("Hello") + std::string(1, '\0') + TextPage("World");
    const std::vector<Finding> losses = LossesOfPage(page);
    ASSERT_EQ(losses.size(), 1u);
    EXPECT_EQ(losses[0].strWhere, "byte " + std::to_string(TextPage("Hello").size()));
    const std::string strAfter = std::to_string(TextPage("World").size()) + " bytes";
    EXPECT_NE(losses[0].strText.find(strAfter), std::string::npos) << losses[0].strText;
}

TEST(PageFile, OversizedMarkupSaysWhereItIsCut) {
    // Runs of 1000 letters, each its own element, until the markup is past the limit.
    std::string page;
    for (char c = 'a'; page.size() <= static_cast<size_t>(kMaxMarkupBytes); ++c)
        page += TextPage(std::string(1000, c));
    const std::vector<Finding> losses = LossesOnReopen(page);
    ASSERT_FALSE(losses.empty());
    const std::string& text = losses.back().strText;
    EXPECT_NE(text.find(std::to_string(kMaxMarkupBytes)), std::string::npos) << text;
    const std::string strLost = std::to_string(page.size() - kMaxMarkupBytes) + " bytes";
    EXPECT_NE(text.find(strLost), std::string::npos) << text;
    // The text after the cut is quoted from the byte where the reader stops.
    EXPECT_NE(text.find("\"" + page.substr(kMaxMarkupBytes, 10)), std::string::npos) << text;
}

TEST(Project, ListsPagesMediaAndIdentifiers) {
    QTemporaryDir dir;
    const std::string strDir = dir.path().toStdString();
    for (const char* name : {"b.tsm", "a.tsm", "current.tsm", "note.txt", ".hidden.tsm"})
        Put(strDir + "/" + name, "");
    QDir(dir.path()).mkpath("Sound/Birds");
    Put(strDir + "/Sound/Bell.WAV", "");
    Put(strDir + "/Sound/Birds/owl.mp3", "");
    Put(strDir + "/Sound/readme.txt", "");
    Put(strDir + "/intro.avi", "");
    // A name in UTF-8 on disk ("声音" sound) is handed over in GBK.
    Put(strDir + "/\xE5\xA3\xB0\xE9\x9F\xB3.mid", "");
    Put(strDir + "/" + kProjectFileName,
        "# sub-pages\n7 intro\r\n\n12   \xE7\xBB\x83\xE4\xB9\xA0\nbad line\n");

    const ProjectLists lists = ScanProject(strDir, "current.tsm");
    EXPECT_EQ(lists.pages, (std::vector<std::string>{"a", "b"}));
    // Sorted by name within each folder (bytes order: upper case first), numbered from 1.
    EXPECT_EQ(lists.media, (std::vector<std::string>{"1,Sound\\Bell.WAV", "2,Sound\\Birds\\owl.mp3",
                                                     "3,intro.avi", "4,\xC9\xF9\xD2\xF4.mid"}));
    EXPECT_EQ(lists.idents, (std::vector<std::string>{"7 intro", "12 \xC1\xB7\xCF\xB0"}));
    ASSERT_EQ(lists.problems.size(), 1u);
    EXPECT_NE(lists.problems[0].find("line 5"), std::string::npos);
}

}  // namespace
}  // namespace tessel::studio
