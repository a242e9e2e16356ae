// Programs that answer: started with their arguments as they are, their standard output handed
// back once when they end (nothing for one that did not run to its end), and a starter of the
// tests' own put in their place. The programs run are the shell and the tools every system has.

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "canvas.h"
#include "platform/program.h"

namespace {

using tessel::platform::ProgramReply;
using tessel::platform::SetReplyingProgramStarter;
using tessel::platform::StartProgramForReply;
using Strings = std::vector<std::string>;

// Runs the event loop until the condition holds. The deadline only keeps a broken run from
// hanging; nothing is measured.
template <typename Condition>
bool PumpUntil(Condition condition) {
    const QDeadlineTimer deadline(120'000);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

class ProgramForReplyTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessel-program-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        SetReplyingProgramStarter({});
        std::filesystem::remove_all(m_dir);
    }
    ProgramReply Reply() {
        return [this](const std::string& strOutput) { m_replies.push_back(strOutput); };
    }
    // The replies to program args, once it has ended: nothing when it did not start.
    std::optional<Strings> Replies(const std::string& program, const Strings& args) {
        m_replies.clear();
        if (!StartProgramForReply(program, args, Reply())) return std::nullopt;
        PumpUntil([&] { return !m_replies.empty(); });
        QCoreApplication::processEvents();  // what is still waiting brings no second reply
        return m_replies;
    }
    // The one reply of sh -c script, with the words after it as $1, $2...
    std::string Shell(const std::string& script, const Strings& words = {}) {
        Strings args = {"-c", script, "sh"};
        args.insert(args.end(), words.begin(), words.end());
        const std::optional<Strings> replies = Replies("/bin/sh", args);
        return replies && replies->size() == 1 ? replies->front() : "<not one reply>";
    }

    std::filesystem::path m_dir;
    Strings m_replies;
};

TEST_F(ProgramForReplyTest, HandsBackWhatTheProgramWroteWhenItEnds) {
    EXPECT_EQ(Shell("echo 12 34"), "12 34\n");
    // A failing status is still an end: what was written is the answer. Errors are not in it.
    EXPECT_EQ(Shell("exit 1"), "");
    EXPECT_EQ(Shell("echo no >&2; printf 5; exit 3"), "5");
    EXPECT_EQ(Shell("printf 'a\\000\\326\\320\\n'"), std::string("a\0\xD6\xD0\n", 5));
    std::string strMany;
    for (int i = 0; i < 2000; ++i)
        strMany += "0123456789\n";
    EXPECT_EQ(Shell("i=0; while [ $i -lt 2000 ]; do echo 0123456789; i=$((i+1)); done"), strMany);
    // Arguments arrive as they are, no shell in between; native names are UTF-8 (中文).
    EXPECT_EQ(
        Shell("printf '%s|' \"$@\"", {"a b", "it's", "", "$HOME", "*", "\xE4\xB8\xAD\xE6\x96\x87"}),
        "a b|it's||$HOME|*|\xE4\xB8\xAD\xE6\x96\x87|");
    // The input is empty: cat ends at once instead of waiting on a pipe kept open.
    EXPECT_EQ(Replies("/bin/cat", {}), Strings{""});
}

TEST_F(ProgramForReplyTest, AProgramThatDoesNotRunToItsEndRepliesNothing) {
    // It says something, tells who it is and waits; the start returned meanwhile.
    const std::string pidFile = (m_dir / "pid").string();
    ASSERT_TRUE(StartProgramForReply(
        "/bin/sh", {"-c", "echo 12 34; echo $$ > \"$1\"; exec sleep 1000", "sh", pidFile},
        Reply()));
    long nPid = 0;
    ASSERT_TRUE(PumpUntil([&] { return static_cast<bool>(std::ifstream(pidFile) >> nPid); }));
    EXPECT_TRUE(m_replies.empty());
    ASSERT_EQ(::kill(static_cast<pid_t>(nPid), SIGKILL), 0);
    ASSERT_TRUE(PumpUntil([&] { return !m_replies.empty(); }));
    EXPECT_EQ(m_replies, Strings{""});

    EXPECT_EQ(Shell("echo 1 2; kill -SEGV $$"), "");
    // Far more than any answer is none.
    EXPECT_EQ(Shell("head -c 3000000 /dev/zero"), "");
}

TEST_F(ProgramForReplyTest, AProgramThatCannotStartIsFalseAndNeverReplies) {
    std::ofstream(m_dir / "text") << "not a program\n";
    for (const std::string& path :
         {(m_dir / "none").string(), (m_dir / "text").string(), m_dir.string(), std::string()})
        EXPECT_EQ(Replies(path, {}), std::nullopt) << path;
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_replies.empty());
}

TEST_F(ProgramForReplyTest, TheReplyingStarterTakesThePlaceOfStarting) {
    const std::string marker = (m_dir / "started").string();
    Strings seen;
    ProgramReply kept;
    bool bStarted = true;
    SetReplyingProgramStarter(
        [&](const std::string& program, const Strings& args, ProgramReply reply) {
            seen = args;
            seen.insert(seen.begin(), program);
            kept = std::move(reply);
            return bStarted;
        });
    const Strings args = {"-c", "touch \"$1\"", "sh", marker};
    ASSERT_TRUE(StartProgramForReply("/bin/sh", args, Reply()));
    EXPECT_EQ(seen, (Strings{"/bin/sh", "-c", "touch \"$1\"", "sh", marker}));
    // The starter answers when it likes.
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_replies.empty());
    kept("7 9\n");
    EXPECT_EQ(m_replies, Strings{"7 9\n"});
    bStarted = false;
    EXPECT_FALSE(StartProgramForReply("/bin/sh", args, Reply()));
    EXPECT_FALSE(std::filesystem::exists(marker));

    // Removed, programs are started again.
    SetReplyingProgramStarter({});
    EXPECT_EQ(Shell("touch \"$1\"; echo done", {marker}), "done\n");
    EXPECT_TRUE(std::filesystem::exists(marker));
}

}  // namespace
