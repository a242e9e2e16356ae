// The tessel-media-picker program run as scripts and the hot-link dialog run it: its answer
// on standard output, its exit status, and files it cannot read (it ends at once on them).

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/program.h"
#include "program_dir.h"

namespace {

class MediaPickerProgramTest : public ProgramDirTest {
  protected:
    ProgramRun Run(const std::string& strArgs) { return Program(TESSEL_MEDIA_PICKER, strArgs); }
};

TEST_F(MediaPickerProgramTest, AnswersWithTheLineGivenAndRefusesWrongCommandLines) {
    EXPECT_EQ(Run("--answer 1200 3400").strOut, "1200 3400\n");
    const ProgramRun run = Run("--answer 900 200");
    EXPECT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(run.strOut, "200 900\n");
    Write("\xE4\xB8\xAD song.wav", "RIFF");
    EXPECT_EQ(Run("--answer 7 8 '\xE4\xB8\xAD song.wav'").strOut, "7 8\n");

    for (const char* szArgs :
         {"--answer 1", "--answer -1 5", "--answer 1 x", "--answer '' 5", "--answer 2147483648 0",
          "--answer 1 2 a.wav b.wav", "", "a.wav b.wav", "--loud a.wav", "--help me"}) {
        const ProgramRun wrong = Run(szArgs);
        EXPECT_EQ(wrong.nStatus, 2) << szArgs;
        EXPECT_EQ(wrong.strOut, "") << szArgs;
        EXPECT_NE(wrong.strErr.find("tessel-media-picker"), std::string::npos) << szArgs;
    }
    EXPECT_EQ(Run("--help").strOut.rfind("usage: tessel-media-picker MEDIA-FILE\n", 0), 0u);
    EXPECT_EQ(Run("--version").strOut.rfind("tessel-media-picker ", 0), 0u);
}

TEST_F(MediaPickerProgramTest, AFileItCannotReadEndsItAtOnce) {
    std::filesystem::create_directory(m_dir / "folder.avi");
    ASSERT_EQ(::mkfifo((m_dir / "pipe.wav").c_str(), 0600), 0);
    Write("locked.wav", "RIFF");
    std::filesystem::permissions(m_dir / "locked.wav", std::filesystem::perms::none);
    std::vector<std::string> names = {"missing.wav", "folder.avi", "pipe.wav"};
    if (::geteuid() != 0) names.push_back("locked.wav");  // root reads any file
    for (const std::string& name : names) {
        for (const std::string& args : {name, "-- " + name, "--answer 1 2 " + name}) {
            const ProgramRun run = Run(args);
            EXPECT_EQ(run.nStatus, 2) << args;
            EXPECT_EQ(run.strOut, "") << args;
            EXPECT_NE(run.strErr.find(name), std::string::npos) << run.strErr;
        }
    }
}

TEST_F(MediaPickerProgramTest, ItsAnswerComesBackThroughTheReplyChannel) {
    std::vector<std::string> replies;
    ASSERT_TRUE(tessel::platform::StartProgramForReply(
        TESSEL_MEDIA_PICKER, {"--answer", "4000", "1500"},
        [&](const std::string& strOutput) { replies.push_back(strOutput); }));
    const QDeadlineTimer deadline(60'000);  // only against a hang
    while (replies.empty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(replies, std::vector<std::string>{"1500 4000\n"});
}

}  // namespace
