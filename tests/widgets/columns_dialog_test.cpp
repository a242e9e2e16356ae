// The Insert Columes dialog answered as a user answers it: the count refills the column
// chooser when it leaves its field, a width typed goes to the column chosen (the first when
// none is), and the framework's range checks refuse what is out of range.

#include "widgets/columns_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/application.h"

namespace {

using Dlg = CColumnsDlg;

std::string Range(int nMin, int nMax) {
    return "Please enter an integer between " + std::to_string(nMin) + " and " +
           std::to_string(nMax) + ".";
}

class ColumnsDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        tessel::platform::EnsureApplication();
        tessel::platform::SetMessageBoxAnswerer(
            [this](const tessel::platform::MessageBoxRequest& r) {
                messages.push_back(r.strText);
                return std::optional<int>(IDOK);
            });
    }
    void TearDown() override {
        tessel::platform::SetDialogAnswerer({});
        tessel::platform::SetMessageBoxAnswerer({});
    }
    // Runs the dialog answered once by answer (Cancel when it leaves the dialog open).
    int Run(Dlg& dialog, std::function<void(CDialog&)> answer) {
        tessel::platform::SetDialogAnswerer([&answer, bDone = false](CDialog& d) mutable {
            if (std::exchange(bDone, true)) return false;
            answer(d);
            return true;
        });
        return dialog.DoModal();
    }
    static std::vector<std::string> Entries(const CDialog& d) {
        std::vector<std::string> entries;
        for (int i = 0; i < d.GetCount(Dlg::kColumnList); ++i)
            entries.push_back(d.GetLBText(Dlg::kColumnList, i));
        return entries;
    }
    std::vector<std::string> messages;
};

TEST_F(ColumnsDialogTest, OpensWithItsLabelsAndDefaults) {
    std::vector<std::string> labels;
    for (const DlgItem& item : tessel::widgets::kColumnsTemplate.items)
        if (item.kind == DlgItemKind::kLabel) labels.push_back(item.szText);
    EXPECT_EQ(labels, (std::vector<std::string>{"Account:", "Height:", "Space:"}));
    Dlg dialog;
    EXPECT_EQ(Run(dialog,
                  [](CDialog& d) {
                      EXPECT_EQ(d.TemplateID(), 452u);
                      EXPECT_EQ(d.GetWindowText(), "Insert Columes");
                      EXPECT_EQ(d.ItemKind(Dlg::kColumnList), DlgItemKind::kDropList);
                      std::string fields;
                      for (int nID :
                           {Dlg::kCountEdit, Dlg::kHeightEdit, Dlg::kSpaceEdit, Dlg::kWidthEdit})
                          fields += d.GetDlgItemText(nID) + " ";
                      EXPECT_EQ(fields, "0 50 0 50 ");
                      EXPECT_EQ(d.GetCount(Dlg::kColumnList), 0);
                      d.AnswerPress(IDOK);
                  }),
              IDOK);
    EXPECT_EQ(dialog.m_nCurCol, 0);
    EXPECT_EQ(std::vector<int>(std::begin(dialog.m_nWidths), std::end(dialog.m_nWidths)),
              std::vector<int>(16, 50));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ColumnsDialogTest, TheCountRefillsTheChooserWithNothingChosen) {
    Dlg dialog;
    Run(dialog, [this](CDialog& d) {
        d.AnswerValue(Dlg::kCountEdit, "3");
        EXPECT_EQ(Entries(d),
                  (std::vector<std::string>{"Insert Column1's Whith:", "Insert Column2's Whith:",
                                            "Insert Column3's Whith:"}));
        EXPECT_EQ(d.GetCurSel(Dlg::kColumnList), -1);
        d.AnswerValue(Dlg::kColumnList, "Insert Column3's Whith:");
        d.AnswerValue(Dlg::kCountEdit, "16");
        EXPECT_EQ(Entries(d).size(), 16u);
        EXPECT_EQ(Entries(d).back(), "Insert Column16's Whith:");
        EXPECT_EQ(d.GetCurSel(Dlg::kColumnList), -1);
        // Refused: the chooser keeps what it had.
        d.AnswerValue(Dlg::kCountEdit, "17");
        EXPECT_EQ(messages, std::vector<std::string>{Range(0, 16)});
        EXPECT_EQ(Entries(d).size(), 16u);
        d.AnswerValue(Dlg::kCountEdit, "0");
        EXPECT_EQ(Entries(d).size(), 0u);
        d.AnswerPress(IDCANCEL);
    });
}

TEST_F(ColumnsDialogTest, AWidthGoesToTheColumnChosenAndTheFirstWhenNoneIs) {
    Dlg dialog;
    EXPECT_EQ(Run(dialog,
                  [](CDialog& d) {
                      d.AnswerValue(Dlg::kCountEdit, "3");
                      d.AnswerValue(Dlg::kWidthEdit, "120");  // nothing chosen: column 1
                      d.AnswerValue(Dlg::kColumnList, "Insert Column3's Whith:");
                      EXPECT_EQ(d.GetDlgItemText(Dlg::kWidthEdit), "120");  // as it was
                      d.AnswerValue(Dlg::kWidthEdit, "150");
                      // The count refills the chooser; the field still stands for column 3.
                      d.AnswerValue(Dlg::kCountEdit, "4");
                      d.AnswerValue(Dlg::kWidthEdit, "10");
                      d.AnswerValue(Dlg::kSpaceEdit, "400");
                      d.AnswerValue(Dlg::kHeightEdit, "2000");
                      d.AnswerPress(IDOK);
                  }),
              IDOK);
    EXPECT_EQ(dialog.m_nCount, 4);
    EXPECT_EQ(dialog.m_nSpace, 400);
    EXPECT_EQ(dialog.m_nCurCol, 2);
    EXPECT_EQ(std::vector<int>(dialog.m_nWidths, dialog.m_nWidths + 4),
              (std::vector<int>{120, 50, 10, 50}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ColumnsDialogTest, OkRefusesAGapOrAHeightOutOfRange) {
    const struct {
        int nID;
        const char* szValue;
        std::string message;
    } cases[] = {{Dlg::kSpaceEdit, "401", Range(0, 400)},
                 {Dlg::kSpaceEdit, "-1", Range(0, 400)},
                 {Dlg::kHeightEdit, "2001", Range(0, 2000)},
                 {Dlg::kSpaceEdit, "ten", "Please enter an integer."}};
    for (const auto& c : cases) {
        Dlg dialog;
        messages.clear();
        EXPECT_EQ(Run(dialog,
                      [&c](CDialog& d) {
                          d.AnswerValue(c.nID, c.szValue);
                          d.AnswerPress(IDOK);
                      }),
                  IDCANCEL)
            << c.szValue;
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.szValue;
    }
}

}  // namespace
