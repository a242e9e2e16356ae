#pragma once

#include <string>
#include <string_view>

#include "platform/geometry.h"
#include "platform/tab_control.h"
#include "platform/wnd.h"

class CTesselEdit;

namespace tessel::widgets {

// The symbol sets of the Insert Symbol window, in tab order: fixed GBK texts of two-byte
// characters. Symbol i of a set is the two bytes at offset 2 i.
inline constexpr int kSymbolSets = 7;
// The set of a tab (empty for no such tab).
std::string_view SymbolSet(int nTab);
// The number of symbols of a tab's set (0 for no such tab).
int SymbolCount(int nTab);
// Symbol nIndex of a tab's set, its two bytes (empty for no such symbol).
std::string_view SymbolAt(int nTab, int nIndex);

// The Insert Symbol window's tab control.
inline constexpr UINT kSymbolTabsId = 2007;

}  // namespace tessel::widgets

// The grid of the Insert Symbol window: 22 cells of 20 x 20 pixels a row, 8 rows, with the
// symbols of the set m_nCategory in them, one after the other, and the symbol m_nSelected
// shown white on black. A click highlights the symbol under it (a click on an empty cell
// highlights none); a double click asks the Insert Symbol window (the parent of the grid's
// parent, the tab control) to insert the highlighted one.
class CSymbolGrid : public CWnd {
  public:
    static constexpr int kCell = 20;
    static constexpr int kColumns = 22;
    static constexpr int kRows = 8;
    static constexpr int kWidth = kCell * kColumns;  // 440
    static constexpr int kHeight = kCell * kRows;    // 160

    CSymbolGrid() = default;
    ~CSymbolGrid() override;

    // Creates the grid, a visible bordered child window of 440 x 160 at (x, y) of the parent,
    // with an empty title and id 0. Non-zero on success.
    BOOL Create(CWnd* pParentWnd, int x, int y);

    // The cell at a point of the grid, -1 for a point outside it or a cell at or past the
    // end of the set shown.
    int HitTest(CPoint point) const;
    // The rectangle of cell nIndex (counted from the top left, row by row).
    static CRect CellRect(int nIndex);

    int m_nCategory = 0;   // the set shown: the selected tab
    int m_nSelected = -1;  // the highlighted symbol of the set, -1 for none

    static const MessageMap* GetThisMessageMap();

  protected:
    const MessageMap* GetMessageMap() const override;

  private:
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    bool MakeFont();

    CFont m_Font;
};

// The modeless Insert Symbol window. One exists per process (the editor keeps it in
// g_pSymbolDlg); it is created hidden and shown by the Insert Symbol command. A tab control
// fills it, with a tab for each symbol set and the grid in its pane. OK (a double click in
// the grid, or Enter) inserts the highlighted symbol at the caret of the editor that owns
// the window, which stays open; closing it (or Escape) only hides it.
class CSymbolDlg : public CWnd {
  public:
    // The client area: the tab control, holding the grid at (5, 25) with a margin of 5
    // around it.
    static constexpr int kGridLeft = 5;
    static constexpr int kGridTop = 25;
    static constexpr int kWidth = kGridLeft + CSymbolGrid::kWidth + 5;
    static constexpr int kHeight = kGridTop + CSymbolGrid::kHeight + 5;

    CSymbolDlg() = default;
    ~CSymbolDlg() override;

    // Creates the window, titled "Insert Symbol", owned by the editor's window, with its tabs
    // and grid. The symbols chosen go to pEditWnd as kInsertSymbolCharMessage (edit_commands.h),
    // sent: the editor has inserted the symbol when OK returns. Non-zero on success.
    BOOL Create(CTesselEdit* pEdit, CWnd* pEditWnd);

    // Inserts the highlighted symbol of the set shown, if any, at the owner editor's caret.
    void OnOK();

    // What a user does, for tests and scripted sessions. Each goes the way the user's mouse
    // goes: a click on a tab through the tab control and its notification, clicks on the
    // grid as the mouse messages the grid gets (at a point of the grid, or at the middle of
    // cell nIndex). A double click is a press, a release, the double click and a release;
    // the OK it posts is delivered by the event loop. False when there is no such tab or cell
    // (the grid's cells are 0 to 175, shown symbols or not).
    bool SelectTab(int nTab);
    void ClickCell(CPoint point);
    void DoubleClickCell(CPoint point);
    bool ClickSymbol(int nIndex);
    bool DoubleClickSymbol(int nIndex);
    // The window's picture, its tabs and grid as they are drawn now, as a PNG file.
    bool SavePicture(const std::string& strPngPath);

    CTesselEdit* m_pEdit = nullptr;  // not owned
    CSymbolGrid m_Grid;
    CTabCtrl m_TabCtrl;

    static const MessageMap* GetThisMessageMap();

  protected:
    const MessageMap* GetMessageMap() const override;
    // Enter is OK and Escape closes, wherever in the window the focus is.
    BOOL PreTranslateMessage(MSG* pMsg) override;

  private:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    void OnClose();
    void OnCancel();
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    void OnSelChange();

    HWND m_hEditWnd = nullptr;  // where the symbols go
};
