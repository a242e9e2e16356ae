#pragma once

// The tab control, shaped like the Windows one: a row of tabs over a pane.

#include <memory>
#include <string>

#include "platform/controls.h"

// --- Tab controls
// ------------------------------------------------------------------------------------

// Notification codes of WM_NOTIFY (NMHDR::code): the selection is about to change (a
// non-zero result from the parent keeps it), and it has changed.
inline constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
inline constexpr UINT TCN_SELCHANGING = static_cast<UINT>(-552);

// A row of tabs along the top of the control, over a framed pane that fills the rest of it.
// One tab is selected whenever there are tabs (the first one inserted is). A click on another
// tab, or Left and Right while the control has the keyboard focus, selects it: the parent
// is sent WM_NOTIFY (wParam: the control id, lParam: an NMHDR from the control) with
// TCN_SELCHANGING first, and unless it answers non-zero, the tab is selected and
// TCN_SELCHANGE follows. Setting the selection by program sends nothing. When the tabs are
// wider than the control, the row starts at the tab it is scrolled to and two arrow buttons
// at its right end scroll it by a tab. The control draws only the tabs and the pane's frame:
// what a page shows are child windows placed in the pane, which the parent swaps or repaints
// when it hears of a change. Texts are GBK.
class CTabCtrl : public CWnd {
  public:
    CTabCtrl();
    ~CTabCtrl() override;
    BOOL Create(DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID);

    // Inserts a tab before tab nItem (at the end when nItem is at or past the end); the new
    // tab's index, or -1 when nItem is negative. The selected tab stays selected.
    int InsertItem(int nItem, const char* szText);
    int GetItemCount() const;
    std::string GetItemText(int nItem) const;  // empty for no such tab
    int GetCurSel() const;                     // -1 when there are no tabs
    // Selects the tab, scrolling the row so that it shows; the previous selection, or -1
    // (nothing changes) when there is no such tab.
    int SetCurSel(int nItem);
    // Where the tab is, in client coordinates, as the row shows it now; FALSE for no such tab
    // and for a tab scrolled out of sight to the left. A tab partly past the right end is
    // given whole.
    BOOL GetItemRect(int nItem, CRect* pRect) const;
    // The tab shown at a client point, -1 for none (the arrows and the pane are no tab).
    int HitTest(CPoint point) const;
    // bLarger FALSE: the pane's inside for a window of rectangle *pRect; TRUE: the window
    // rectangle whose pane's inside is *pRect.
    void AdjustRect(BOOL bLarger, CRect* pRect) const;
    // The first tab the row shows (scrolled past the ones before it).
    int GetFirstVisible() const;

    // What a user's click on the tab does: the notifications and the selection, nothing when
    // it is selected already. For scripted sessions.
    void ChooseItem(int nItem);

    static const MessageMap* GetThisMessageMap();

  protected:
    const MessageMap* GetMessageMap() const override;

  private:
    struct Data;
    std::unique_ptr<Data> m_pData;

    // Notifies the parent; the result of the parent's handler, 0 when there is none.
    LRESULT Notify(UINT nCode);
    // Selects the tab as the user does; false when the control went away meanwhile.
    bool Choose(int nItem);
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    void OnSize(UINT nType, int cx, int cy);
};
