#pragma once

// The drop-down list box, shaped like the Windows combo box.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls.h"

// --- Combo boxes
// ----------------------------------------------------------------------------------

inline constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
inline constexpr DWORD CBS_SORT = 0x0100;
inline constexpr int CB_ERR = -1;
// Notification codes (WM_COMMAND's high word) besides CBN_SELCHANGE (wnd.h).
inline constexpr UINT CBN_DROPDOWN = 7;
inline constexpr UINT CBN_CLOSEUP = 8;

// A drop-down list box: a box showing the selected item's text with a drop arrow, and a list
// that drops below it (as far as the rectangle given to Create reaches, scrolling when it
// holds more) when the box is clicked or Alt+Down or F4 is pressed. The user chooses with the
// mouse, or with Up, Down, Home, End, Page Up and Page Down (and Enter or Escape while
// dropped); each choice sends WM_COMMAND with CBN_SELCHANGE (the control id in the low word,
// the box's handle in lParam) to the parent. Setting the selection by program sends nothing.
// With CBS_SORT items are kept in order of their texts, compared without regard to ASCII
// letter case. The closed box is one item high; its height does not follow the rectangle.
class CComboBox : public CWnd {
  public:
    CComboBox();
    ~CComboBox() override;
    BOOL Create(DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID);

    int AddString(const char* szItem);                 // the new item's index
    int InsertString(int nIndex, const char* szItem);  // -1: at the end; never sorted
    int DeleteString(int nIndex);                      // the count left, CB_ERR for none
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;       // CB_ERR when nothing is selected
    int SetCurSel(int nSelect);  // -1 clears; CB_ERR for an index past the end
    void GetLBText(int nIndex, std::string& strText) const;
    std::string GetLBText(int nIndex) const;
    int GetLBTextLen(int nIndex) const;
    // The first item after nStartAfter (-1: from the start, wrapping round) whose text starts
    // with / equals the text, without regard to ASCII letter case; CB_ERR for none.
    int FindString(int nStartAfter, const char* szText) const;
    int FindStringExact(int nStartAfter, const char* szText) const;
    int SetItemData(int nIndex, std::uintptr_t dwData);
    std::uintptr_t GetItemData(int nIndex) const;
    void ShowDropDown(BOOL bShowIt = TRUE);
    BOOL GetDroppedState() const;
    // The window of the dropped list while it is shown (null otherwise), for tests.
    CWnd* GetDroppedList() const;

    // What a user's choice of the item does: selects it and notifies the parent
    // (CBN_SELCHANGE), even when it was selected already. For scripted sessions.
    void ChooseItem(int nIndex);

    static const MessageMap* GetThisMessageMap();

  protected:
    const MessageMap* GetMessageMap() const override;

  private:
    struct Data;
    std::unique_ptr<Data> m_pData;

    void OnPaint();
    void OnDestroy();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    LRESULT OnSysKeyDown(WPARAM wParam, LPARAM lParam);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    LRESULT OnFocusLost(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnable(WPARAM wParam, LPARAM lParam);
};

// The flat drop-down list box the tool window's font and size boxes are: an ordinary combo
// box here.
class CCJComboBox : public CComboBox {};
