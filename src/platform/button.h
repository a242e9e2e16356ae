#pragma once

// Push buttons, plain or drawn by their owner, shaped like the Windows button control.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls.h"

// --- Buttons
// -----------------------------------------------------------------------------------------

inline constexpr DWORD BS_PUSHBUTTON = 0x0000;
inline constexpr DWORD BS_OWNERDRAW = 0x000B;
inline constexpr UINT BST_PUSHED = 0x0004;
inline constexpr UINT BST_FOCUS = 0x0008;

// A push button. A click (the press and the release on it, or Space while it has the focus)
// calls OnClicked; unless that returns TRUE, WM_COMMAND with BN_CLICKED (the control id in
// the low word, the button's handle in lParam) goes to the parent. A BS_OWNERDRAW button is
// drawn by its DrawItem whenever it paints; the others draw the desktop's push button with
// their text. A disabled button takes no clicks.
class CButton : public CWnd {
  public:
    CButton();
    ~CButton() override;
    BOOL Create(const char* szCaption, DWORD dwStyle, const CRect& rect, CWnd* pParentWnd,
                UINT nID);
    UINT GetState() const;  // BST_PUSHED while held down, BST_FOCUS with the focus
    // What a click does, for scripted sessions (nothing when the button is disabled).
    void Click();

    static const MessageMap* GetThisMessageMap();

  protected:
    // Draws a BS_OWNERDRAW button. This one does what Windows does for a button whose class
    // does not draw it: it sends WM_DRAWITEM (wParam: the control id, lParam: the record) to
    // the parent, and draws the plain push button when the parent does not return TRUE.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    // TRUE when the button handled its click itself (MFC's reflected BN_CLICKED).
    virtual BOOL OnClicked() { return FALSE; }
    const MessageMap* GetMessageMap() const override;

  private:
    struct Data;
    std::unique_ptr<Data> m_pData;

    void DrawPushButton(CDC* pDC, const CRect& rc, UINT nState);
    void Notify();
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    LRESULT OnEnable(WPARAM wParam, LPARAM lParam);
};
