#pragma once

// The colour picker: a button that shows a colour and, when pressed, drops down a grid of 40
// named colours and a "More..." box that opens the platform's full colour dialog. It reports
// to its parent window by the messages below; a picker linked to an editor window sends the
// chosen colour to that window instead.

#include <array>
#include <memory>
#include <string_view>

#include "platform/button.h"
#include "platform/toolbar.h"

// The picker's messages. wParam carries the colour (red in the low byte, then green, then
// blue); the button adds its control id as lParam, the popup sends 0.
inline constexpr UINT CPN_SELCHANGE = 2025;     // the hovered colour changed
inline constexpr UINT CPN_DROPDOWN = 2026;      // the popup dropped down
inline constexpr UINT CPN_CLOSEUP = 2027;       // the popup closed
inline constexpr UINT CPN_SELENDOK = 2028;      // a colour was chosen
inline constexpr UINT CPN_SELENDCANCEL = 2029;  // the choice was cancelled

namespace tessel::widgets {

struct NamedColour {
    COLORREF crColour;
    std::string_view strName;
};
// The 40 colours of the grid, row by row, 8 to a row.
extern const std::array<NamedColour, 40> kPickerColours;

}  // namespace tessel::widgets

class CColourPopup;

class CColourPicker : public CButton {
  public:
    CColourPicker();
    ~CColourPicker() override;
    // CButton::Create, always drawn by the picker itself (BS_OWNERDRAW whatever the style's
    // button type).
    BOOL Create(const char* szCaption, DWORD dwStyle, const CRect& rect, CWnd* pParentWnd,
                UINT nID);

    COLORREF GetColour() const { return m_crColour; }
    void SetColour(COLORREF crColour);  // repaints the button
    // When set, hovering in the popup shows the hovered colour on the button (off at first).
    void SetTrackSelection(BOOL bTracking = TRUE) { m_bTrackSelection = bTracking; }
    BOOL GetTrackSelection() const { return m_bTrackSelection; }
    // Links the picker to an editor window: a colour chosen with OK is sent to it
    // (CPN_SELENDOK, the colour in wParam, the picker's id in lParam) and nothing goes to the
    // parent.
    void LinkToEditor(CWnd* pEditWnd) { m_pEditWnd = pEditWnd; }

    // While the popup is open (between the press and the end of the choice).
    BOOL IsActive() const { return m_bActive; }
    CColourPopup* GetPopup() const { return m_pPopup; }

  protected:
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    BOOL OnClicked() override;
    const MessageMap* GetMessageMap() const override;

  private:
    LRESULT OnSelChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnSelEndOK(WPARAM wParam, LPARAM lParam);
    LRESULT OnSelEndCancel(WPARAM wParam, LPARAM lParam);
    // Called by the popup when its window is gone.
    void OnPopupGone();
    // The message to the parent, with the colour and the control id.
    void NotifyParent(UINT nMessage, COLORREF crColour);

    COLORREF m_crColour = 0;
    COLORREF m_crBackground = 0;  // COLOR_3DFACE, from Create on
    COLORREF m_crText = 0;        // COLOR_BTNTEXT, from Create on
    BOOL m_bTrackSelection = FALSE;
    BOOL m_bActive = FALSE;
    CRect m_ArrowRect;
    CWnd* m_pEditWnd = nullptr;  // not owned
    CColourPopup* m_pPopup = nullptr;
    friend class CColourPopup;
};
