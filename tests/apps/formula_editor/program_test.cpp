// The tessel-formula program run as the Formula dialog runs it, on the path of a file, and
// told to end once the file is loaded: it starts headless and reads the file it is given.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formula/formula.h"
#include "program_dir.h"

namespace {

class FormulaProgramTest : public ProgramDirTest {
  protected:
    ProgramRun Run(const std::string& strArgs) { return Program(TESSEL_FORMULA_EDITOR, strArgs); }
    std::string Absolute(const std::string& strName) {
        return std::filesystem::canonical(m_dir).string() + "/" + strName;
    }
};

TEST_F(FormulaProgramTest, OpensTheFileItIsGiven) {
    Write("quad.fml", "x = \\frac{-b \\pm \\sqrt{b^2 - 4ac}}{2a}\n");
    CFormula formula;
    ASSERT_EQ(formula.Open((m_dir / "quad.fml").c_str()), 1);
    const CRect rc = formula.GetRect();
    const ProgramRun run = Run("quad.fml --quit-after-load");
    EXPECT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(run.strOut, Absolute("quad.fml") + "\n" + std::to_string(rc.Width()) + " × " +
                              std::to_string(rc.Height() - CFormula::kBottomSlack) +
                              " pixels on the page\n");
}

TEST_F(FormulaProgramTest, ReportsTheFilesErrorAndWhatCannotBeRead) {
    Write("bad.fml", "a\nx^2^3");
    ProgramRun run = Run("bad.fml --quit-after-load");
    EXPECT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_NE(run.strOut.find("\nLine 2, column 4: "), std::string::npos) << run.strOut;

    // A new file: opened empty and not made, since nothing was saved.
    run = Run("new.fml --quit-after-load");
    EXPECT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(run.strOut.substr(0, run.strOut.find('\n')), Absolute("new.fml"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "new.fml"));

    std::filesystem::create_directory(m_dir / "folder.fml");
    run = Run("folder.fml --quit-after-load");
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_NE(run.strErr.find("folder.fml"), std::string::npos) << run.strErr;

    run = Run("a.fml b.fml");
    EXPECT_EQ(run.nStatus, 2);
    EXPECT_NE(run.strErr.find("usage"), std::string::npos) << run.strErr;
}

}  // namespace
