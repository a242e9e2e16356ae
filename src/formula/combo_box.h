#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A drop-down combo box, as the editor's tool window uses for its font and size boxes: a list
// of strings (GBK) with at most one selected, and the text of its edit part.
//
// This class holds the box's data and behaves as the platform's combo box does; it is to be
// attached to a real control when the window half of the platform layer arrives, which will
// then show the list and report the user's choices.
class CCJComboBox {
  public:
    // Results of the operations that can fail.
    static constexpr int CB_ERR = -1;
    // Styles: a drop-down list without an edit part, and a list kept in alphabetical order
    // (ASCII letter case ignored).
    static constexpr std::uint32_t CBS_DROPDOWN = 0x0002;
    static constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003;
    static constexpr std::uint32_t CBS_SORT = 0x0100;

    CCJComboBox() = default;
    virtual ~CCJComboBox() = default;

    std::uint32_t GetStyle() const { return m_nStyle; }
    // Sets the style; turning CBS_SORT on sorts the items already there.
    void SetStyle(std::uint32_t nStyle);

    // Adds a string at the end, or in its place in a sorted box. Returns its index.
    int AddString(const std::string& strItem);
    // Inserts a string before item nIndex (-1: at the end), sorted or not. Returns its index,
    // or CB_ERR when nIndex is beyond the end.
    int InsertString(int nIndex, const std::string& strItem);
    // Removes an item. Returns the number of items left, or CB_ERR. Removing the selected
    // item leaves nothing selected; a selection after it moves up with it.
    int DeleteString(int nIndex);
    // Removes every item and the selection, and empties the edit part.
    void ResetContent();
    int GetCount() const { return static_cast<int>(m_items.size()); }

    // Selects item nIndex and shows its text in the edit part; -1 clears the selection.
    // Returns nIndex, or CB_ERR when it is out of range or -1 (which still clears).
    int SetCurSel(int nIndex);
    // The selected item, or CB_ERR when none is.
    int GetCurSel() const { return m_nCurSel; }

    // Copies item nIndex's text into strText and returns its length; CB_ERR (and strText
    // untouched) when out of range.
    int GetLBText(int nIndex, std::string& strText) const;
    int GetLBTextLen(int nIndex) const;

    // Searches from the item after nStartAfter (-1: from the first) to the end and then from
    // the first, for an item equal to strText (FindStringExact) or beginning with it
    // (FindString), ASCII letter case ignored. Returns its index or CB_ERR.
    int FindStringExact(int nStartAfter, const std::string& strText) const;
    int FindString(int nStartAfter, const std::string& strText) const;
    // Selects the item FindString finds. Returns its index; CB_ERR when none, and the
    // selection stays.
    int SelectString(int nStartAfter, const std::string& strPrefix);

    // The edit part: what is typed or the text of the selected item.
    std::string GetWindowText() const { return m_strEdit; }
    void SetWindowText(const std::string& strText) { m_strEdit = strText; }

  private:
    int Find(int nStartAfter, const std::string& strText, bool bWhole) const;
    int SortedPosition(const std::string& strItem) const;

    std::vector<std::string> m_items;
    int m_nCurSel = CB_ERR;
    std::string m_strEdit;
    std::uint32_t m_nStyle = CBS_DROPDOWN;
};
