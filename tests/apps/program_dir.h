#pragma once

// A directory of its own for each end-to-end test, with the files it writes there and
// programs run in it.

#include <stdlib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// What a program run gave.
struct ProgramRun {
    int nStatus = -1;  // exit status, -1 when the program did not exit normally
    std::string strOut, strErr;
};

class ProgramDirTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessel-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void Write(const std::string& strName, const std::string& bytes) {
        std::ofstream(m_dir / strName, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& strName) {
        std::ifstream in(m_dir / strName, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Runs the program (a path) with the arguments (shell words) in the test's directory,
    // headless, with the bytes on standard input. Output goes through files, so binary bytes
    // arrive unchanged.
    ProgramRun Program(const std::string& program, const std::string& args,
                       const std::string& strStdin = "") {
        Write("stdin.bin", strStdin);
        const std::string command = "cd '" + m_dir.string() + "' && QT_QPA_PLATFORM=offscreen '" +
                                    program + "' " + args + " <stdin.bin >stdout.bin 2>stderr.bin";
        const int nWait = std::system(command.c_str());
        return {WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1, Read("stdout.bin"), Read("stderr.bin")};
    }

    std::filesystem::path m_dir;
};
