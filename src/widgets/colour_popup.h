#pragma once

// The grid a colour picker drops down: the 40 named colours, 8 to a row, under a "More..."
// box that opens the platform's full colour dialog. The popup holds the mouse capture while
// it is open; it tells its parent window what the mouse or the keys point at (CPN_SELCHANGE)
// and how the choice ended (CPN_SELENDOK or CPN_SELENDCANCEL, the colour in wParam, lParam 0),
// then destroys its window and deletes itself.

#include <memory>
#include <string>

#include "platform/gdi.h"
#include "platform/toolbar.h"
#include "platform/wnd.h"

class CColourPopup : public CWnd {
  public:
    // A cell of the grid by row and column; kNoCell and kMoreBox are the two that are not
    // colours.
    struct Cell {
        int nRow = -1;
        int nCol = -1;
        bool operator==(const Cell&) const = default;
    };
    static constexpr Cell kNoCell{-1, -1};
    static constexpr Cell kMoreBox{-2, -2};

    // Opens a popup whose top-left corner is ptTopLeft (screen coordinates), moved as far as
    // it takes to stay on the screen; crInitial is the colour a cancel gives back. The popup
    // is owned by pParentWnd, which gets its messages, and deletes itself when it closes.
    // Null when the window could not be made.
    static CColourPopup* Open(CPoint ptTopLeft, COLORREF crInitial, CWnd* pParentWnd,
                              const char* szMoreText = "More...");

    // What the popup points at and what it started on (the cell of the initial colour, or
    // the "More..." box when the initial colour is none of the grid's).
    Cell GetHoverCell() const { return m_HoverCell; }
    Cell GetChosenCell() const { return m_ChosenCell; }
    // The colour the choice ends with as things are now (the hovered colour, or the initial
    // one).
    COLORREF GetColour() const { return m_crColour; }
    COLORREF GetInitialColour() const { return m_crInitial; }

    // Geometry, in client coordinates: a colour cell, the "More..." box, the sizes it is
    // built from.
    CRect GetCellRect(Cell cell) const;
    CRect GetTextRect() const { return m_TextRect; }
    int GetBoxSize() const { return m_nBoxSize; }
    int GetMargin() const { return m_nMargin; }
    int GetColumns() const { return m_nNumColumns; }
    int GetRows() const { return m_nNumRows; }

    // Detaches the popup from its parent: it sends nothing more. For a parent that goes
    // away while the popup is open.
    void ForgetParent() { m_pParent = nullptr; }

  protected:
    const MessageMap* GetMessageMap() const override;
    void PostNcDestroy() override;

  private:
    CColourPopup(COLORREF crInitial, CWnd* pParentWnd, const char* szMoreText);
    ~CColourPopup() override;
    BOOL Create(CPoint ptTopLeft);

    void SetWindowSize(CPoint ptTopLeft);
    void CreateToolTips();
    void FindChosenCell();
    Cell CellFromPoint(CPoint point) const;
    int IndexOf(Cell cell) const;
    COLORREF ColourOf(Cell cell) const;
    CRect BoxRect(Cell cell) const;  // a cell's rectangle or the "More..." box
    void ChangeSelection(Cell cell);
    void EndSelection(UINT nMessage);
    void DrawCell(CDC* pDC, Cell cell);
    void RelayToToolTip(UINT message, UINT nFlags, CPoint point);

    void OnPaint();
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    int m_nNumColours;
    int m_nNumColumns = 8;
    int m_nNumRows;
    int m_nBoxSize = 18;
    int m_nMargin;
    std::string m_strMoreText;
    bool m_bShowMore = true;
    CRect m_TextRect;
    CRect m_WindowRect;  // screen coordinates
    Cell m_HoverCell = kNoCell;
    Cell m_ChosenCell = kNoCell;
    COLORREF m_crInitial;
    COLORREF m_crColour;
    CFont m_Font;
    CPalette m_Palette;
    CToolTipCtrl m_ToolTip;
    CWnd* m_pParent;  // not owned
    bool m_bEnding = false;
    // Cleared when the object goes, so that code that sent a message can tell whether the
    // receiver deleted the popup meanwhile.
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
};
