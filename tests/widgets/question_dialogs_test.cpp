// What the question dialogs show, which a session cannot see: the pickers' places and the page
// chooser in each mode. What they store and refuse is played in
// tests/apps/question_sessions_test.cpp.

#include "widgets/question_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/application.h"

namespace {

using Strings = std::vector<std::string>;

class QuestionDialogTest : public testing::Test {
  protected:
    void SetUp() override { tessel::platform::EnsureApplication(); }
    void TearDown() override { tessel::platform::SetDialogAnswerer({}); }
    // Runs the dialog: look is called on it open, then OK is pressed.
    static int Run(CDialog& dialog, const std::function<void(CDialog&)>& look) {
        tessel::platform::SetDialogAnswerer([&](CDialog& d) {
            look(d);
            d.AnswerPress(IDOK);
            return true;
        });
        return dialog.DoModal();
    }
    static Strings Entries(const CDialog& d, int nID) {
        Strings entries;
        for (int i = 0; i < d.GetCount(nID); ++i)
            entries.push_back(d.GetLBText(nID, i));
        return entries;
    }
};

TEST_F(QuestionDialogTest, TheEditFramesPickersLiveInTheirPlacesAndTakeRrggbb) {
    CEditFrameDlg dlg;
    Run(dlg, [&](CDialog& d) {
        EXPECT_EQ(dlg.m_btnFontColor.GetParent(), d.HostOf(2042));
        EXPECT_EQ(dlg.m_btnBackColor.GetParent(), d.HostOf(2043));
        for (const char* sz : {"12345", "1234567", "GG0000"})
            EXPECT_FALSE(d.AnswerValue(2042, sz)) << sz;
        EXPECT_TRUE(d.AnswerValue(2043, "ff8000"));
    });
    EXPECT_EQ(dlg.m_clrBack, 0x0080FFu);  // red in the low byte
}

TEST_F(QuestionDialogTest, TheJudgementShowsItsBoxAndTheScoreModesAPageChooser) {
    const Strings pages = {"Page 3", "page 1", "Page 2"}, none;
    const Strings sorted = {"page 1", "Page 2", "Page 3"};
    struct Case {
        int nMode;
        const Strings* pPages;
        const char* szPage;
        const char* szTitle;
        Strings entries;
        const char* szChosen;  // as it opens, and so what OK stores
    };
    const Case cases[] = {
        {0, &pages, "Page 2", "Judgment", {}, ""},
        {1, &pages, "Page 2", "Page Score", sorted, "Page 2"},
        // Only an equal name is chosen, letter case included; else the first.
        {2, &pages, "PAGE 2", "Total Score", sorted, "page 1"},
        {1, &pages, "Page", "Page Score", sorted, "page 1"},
        {2, nullptr, "Page 2", "Total Score", {}, ""},
        {1, &none, "Page 2", "Page Score", {}, ""},
    };
    for (const Case& c : cases) {
        CJudgmentDlg dlg(c.nMode);
        dlg.m_pPageList = c.pPages;
        dlg.m_strPage = c.szPage;
        dlg.m_bCorrect = 1;
        Run(dlg, [&](CDialog& d) {
            const bool bScore = c.nMode != 0;
            EXPECT_EQ(d.GetWindowText(), c.szTitle);
            EXPECT_EQ(d.IsItemVisible(2013), !bScore);
            EXPECT_EQ(d.IsItemVisible(2047), bScore);
            EXPECT_EQ(d.IsItemVisible(2048), bScore);
            if (bScore) {
                EXPECT_EQ(d.GetDlgItemText(2047), c.szTitle);
            }
            EXPECT_EQ(d.IsDlgButtonChecked(2013), 1);
            EXPECT_EQ(Entries(d, 2048), c.entries);
            EXPECT_EQ(d.GetDlgItemText(2048), c.szChosen);
        });
        EXPECT_EQ(dlg.m_strPage, c.szChosen) << c.nMode << " " << c.szPage;
    }
}

}  // namespace
