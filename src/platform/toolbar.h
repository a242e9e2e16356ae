#pragma once

// Tool bars and tool tips, shaped like the Windows common controls.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls.h"

// --- Tool tips ---------------------------------------------------------------------------------

// Initial delay of a tool tip (SetDelayTime).
inline constexpr DWORD TTDT_INITIAL = 3;

// A tool tip: a small window that shows a tool's text while the mouse rests over the tool.
// Tools are rectangles of windows (or whole windows). The owner of the control relays the
// mouse messages of those windows to it (RelayEvent); when the mouse has rested on a tool for
// the initial delay, the tip shows next to the pointer, and it goes when the mouse leaves the
// tool or a button is pressed.
class CToolTipCtrl : public CWnd {
  public:
    CToolTipCtrl();
    ~CToolTipCtrl() override;
    // pParentWnd owns the tip and gets its TTN_NEEDTEXT notifications.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // A tool: a rectangle of pWnd's client area (the whole client area when lpRectTool is
    // null) with its text, or LPSTR_TEXTCALLBACK to ask the owner each time. With
    // nIDTool 0 the tool is known by pWnd's handle (TTF_IDISHWND).
    BOOL AddTool(CWnd* pWnd, const char* szText, const CRect* lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(const char* szText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, const CRect* lpRect);
    int GetToolCount() const;
    void Activate(BOOL bActivate);
    // Milliseconds before a tip shows (500 at first); 0 shows it on the first move.
    void SetDelayTime(DWORD dwDuration, int iTime);
    // A mouse message of a tool's window, in that window's client coordinates.
    void RelayEvent(const MSG* pMsg);
    // The text the tip shows now, empty when it is hidden.
    std::string GetShownText() const;
    void Pop();  // hides the tip now

  protected:
    const MessageMap* GetMessageMap() const override;

  private:
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();

    struct Data;
    std::unique_ptr<Data> m_pData;
};

namespace tessel::platform {
// The text of the tool tip shown now anywhere in the process, empty when none is.
std::string ShownToolTip();
}  // namespace tessel::platform

// --- Tool bars
// -------------------------------------------------------------------------------------

// Button states (a combination) and kinds.
inline constexpr std::uint8_t TBSTATE_CHECKED = 0x01;
inline constexpr std::uint8_t TBSTATE_PRESSED = 0x02;
inline constexpr std::uint8_t TBSTATE_ENABLED = 0x04;
inline constexpr std::uint8_t TBSTATE_HIDDEN = 0x08;
inline constexpr std::uint8_t TBSTATE_INDETERMINATE = 0x10;
inline constexpr std::uint8_t TBSTYLE_BUTTON = 0x00;
inline constexpr std::uint8_t TBSTYLE_SEP = 0x01;
inline constexpr std::uint8_t TBSTYLE_CHECK = 0x02;
// Window styles of a tool bar.
inline constexpr DWORD CCS_NORESIZE = 0x0004;
inline constexpr DWORD CCS_NOPARENTALIGN = 0x0008;
inline constexpr DWORD CCS_ADJUSTABLE = 0x0020;
inline constexpr DWORD CCS_NODIVIDER = 0x0040;
inline constexpr DWORD TBSTYLE_TOOLTIPS = 0x0100;
inline constexpr DWORD TBSTYLE_FLAT = 0x0800;

// Tool-bar messages. The button is named by its command in wParam.
inline constexpr UINT TB_ENABLEBUTTON = WM_USER + 1;   // lParam: enable
inline constexpr UINT TB_CHECKBUTTON = WM_USER + 2;    // lParam: check
inline constexpr UINT TB_PRESSBUTTON = WM_USER + 3;    // lParam: press
inline constexpr UINT TB_HIDEBUTTON = WM_USER + 4;     // lParam: hide
inline constexpr UINT TB_INDETERMINATE = WM_USER + 5;  // lParam: indeterminate
inline constexpr UINT TB_ISBUTTONENABLED = WM_USER + 9;
inline constexpr UINT TB_ISBUTTONCHECKED = WM_USER + 10;
inline constexpr UINT TB_ISBUTTONPRESSED = WM_USER + 11;
inline constexpr UINT TB_ISBUTTONHIDDEN = WM_USER + 12;
inline constexpr UINT TB_ISBUTTONINDETERMINATE = WM_USER + 13;
inline constexpr UINT TB_SETSTATE = WM_USER + 17;  // lParam: the new state (low word)
inline constexpr UINT TB_GETSTATE = WM_USER + 18;  // the state, -1 for no such button
inline constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;
inline constexpr UINT TB_COMMANDTOINDEX = WM_USER + 25;
inline constexpr UINT TB_SETPARENT = WM_USER + 37;  // wParam: HWND that gets the commands

struct TBBUTTON {
    int iBitmap = 0;  // image index in the strip (unused for separators)
    int idCommand = 0;
    std::uint8_t fsState = TBSTATE_ENABLED;
    std::uint8_t fsStyle = TBSTYLE_BUTTON;
    std::uintptr_t dwData = 0;
    std::intptr_t iString = 0;
};

// A row of buttons showing images of one strip. A click on an enabled button (the press and
// the release on it) toggles a check button's checked state, then sends WM_COMMAND (the
// command in the low word, BN_CLICKED in the high word, the tool bar's handle in lParam) to
// the owner: the parent unless SetOwner named another window. An indeterminate or disabled
// button is drawn greyed and sends nothing. With TBSTYLE_TOOLTIPS the bar has a tool tip
// whose tools are the buttons, known by their command; it asks the tool bar's parent for
// their texts (TTN_NEEDTEXT). With TBSTYLE_FLAT a button shows its frame only while the
// mouse is over it or it is pressed or checked.
class CToolBarCtrl : public CWnd {
  public:
    CToolBarCtrl();
    ~CToolBarCtrl() override;
    BOOL Create(DWORD dwStyle, const CRect& rect, CWnd* pParentWnd, UINT nID);

    // Image size (16 x 15 at first) and button size (the image size plus 7 x 7 at first).
    BOOL SetBitmapSize(CSize size);
    BOOL SetButtonSize(CSize size);
    // Adds the images of a strip, nNumButtons images side by side of the bitmap size; pixels
    // of light grey (192, 192, 192) are transparent and show the button's face. The bitmap
    // is copied. Returns the index of the first image added, -1 on failure.
    int AddBitmap(int nNumButtons, CBitmap* pBitmap);
    BOOL AddButtons(int nNumButtons, const TBBUTTON* lpButtons);
    BOOL DeleteButton(int nIndex);
    int GetButtonCount() const;
    BOOL GetButton(int nIndex, TBBUTTON* lpButton) const;
    int CommandToIndex(UINT nID) const;  // -1 for none
    // The button's rectangle in the bar's client area.
    BOOL GetItemRect(int nIndex, CRect* lpRect) const;
    // The window that gets the commands.
    void SetOwner(CWnd* pOwner);

    // These send the TB_ messages.
    BOOL SetState(int nID, UINT nState);
    int GetState(int nID) const;
    BOOL CheckButton(int nID, BOOL bCheck = TRUE);
    BOOL EnableButton(int nID, BOOL bEnable = TRUE);
    BOOL Indeterminate(int nID, BOOL bIndeterminate = TRUE);
    BOOL PressButton(int nID, BOOL bPress = TRUE);
    BOOL HideButton(int nID, BOOL bHide = TRUE);
    BOOL IsButtonChecked(int nID) const;
    BOOL IsButtonEnabled(int nID) const;
    BOOL IsButtonIndeterminate(int nID) const;

    CToolTipCtrl* GetToolTips() const;  // null without TBSTYLE_TOOLTIPS

  protected:
    const MessageMap* GetMessageMap() const override;

  private:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnPaint();
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    // The TB_ messages, one instance per message.
    template <UINT Message>
    LRESULT OnButtonMessage(WPARAM wParam, LPARAM lParam);

    struct Data;
    std::unique_ptr<Data> m_pData;
};
