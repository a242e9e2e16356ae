#include "formula/combo_box.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Item(const CCJComboBox& box, int nIndex) {
    std::string strText = "untouched";
    box.GetLBText(nIndex, strText);
    return strText;
}

// The size box keeps its order and its selection on the selected item.
TEST(CCJComboBox, KeepsTheSelectionOnItsItem) {
    CCJComboBox box;
    for (const char* sz : {"72", "48", "36", "28"})
        box.AddString(sz);
    EXPECT_EQ(box.GetCurSel(), CCJComboBox::CB_ERR);
    EXPECT_EQ(box.SetCurSel(2), 2);
    EXPECT_EQ(box.GetWindowText(), "36");
    EXPECT_EQ(box.InsertString(0, "96"), 0);  // 96 72 48 [36] 28
    EXPECT_EQ(box.InsertString(-1, "24"), 5);
    EXPECT_EQ(box.InsertString(7, "x"), CCJComboBox::CB_ERR);
    EXPECT_EQ(box.DeleteString(1), 5);  // 96 48 [36] 28 24
    EXPECT_EQ(box.GetCurSel(), 2);
    EXPECT_EQ(box.DeleteString(2), 4);
    EXPECT_EQ(box.GetCurSel(), CCJComboBox::CB_ERR);
    EXPECT_EQ(box.DeleteString(4), CCJComboBox::CB_ERR);
    EXPECT_EQ(box.SetCurSel(4), CCJComboBox::CB_ERR);
    EXPECT_EQ(Item(box, 4), "untouched");
    box.ResetContent();
    EXPECT_EQ(box.GetCount(), 0);
}

// The font box is sorted and searched without regard to letter case, round to the start.
TEST(CCJComboBox, SortsAndFindsWithoutRegardToCase) {
    CCJComboBox box;
    box.AddString("Times New Roman");
    box.SetStyle(CCJComboBox::CBS_DROPDOWNLIST | CCJComboBox::CBS_SORT);
    for (const char* sz : {"arial", "Courier New", "Arial Black", "\xCB\xCE\xCC\xE5"})
        box.AddString(sz);
    EXPECT_EQ(Item(box, 1), "Arial Black");
    EXPECT_EQ(Item(box, 4), "\xCB\xCE\xCC\xE5");  // GBK after ASCII
    EXPECT_EQ(box.FindStringExact(0, "ARIAL"), 0);
    EXPECT_EQ(box.FindStringExact(-1, "Aria"), CCJComboBox::CB_ERR);
    EXPECT_EQ(box.SelectString(-1, "times"), 3);
    EXPECT_EQ(box.GetWindowText(), "Times New Roman");
    EXPECT_EQ(box.SelectString(-1, "Verdana"), CCJComboBox::CB_ERR);
    EXPECT_EQ(box.GetCurSel(), 3);
}

}  // namespace
