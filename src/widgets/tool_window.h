#pragma once

#include <string>
#include <string_view>

#include "platform/combo_box.h"
#include "platform/toolbar.h"
#include "platform/wnd.h"
#include "widgets/colour_picker.h"
#include "widgets/string_table.h"

class CTesselEdit;

// The two tool bars of the tool window. Their buttons' commands go to the editor window.
class CInsertToolBar : public CToolBarCtrl {};
class CFormatToolBar : public CToolBarCtrl {};

// The floating tool window of a top-level editor, captioned "Text Editor": the insert and
// clipboard buttons, bold, italic and underline, the font and size boxes and the colour
// picker. It sends nothing of its own: the buttons' commands go straight to the editor
// window, the boxes' and the picker's notifications are passed on to it, and keys typed
// into the tool window are the editor's.
class CEditToolWnd : public CWnd {
  public:
    static constexpr int kWidth = 430;
    static constexpr int kHeight = 75;

    CEditToolWnd() = default;
    ~CEditToolWnd() override;

    // Creates the window at (100, 100), 430 x 75, owned by the editor's window, and its
    // controls; the editor moves it afterwards. Non-zero on success.
    BOOL Create(CTesselEdit* pEdit, CWnd* pEditWnd);

    // The tool bar that holds the button of a command (null for none).
    CToolBarCtrl* BarOf(UINT nID);
    const CToolBarCtrl* BarOf(UINT nID) const;
    // The check state of a button, read and set through its tool bar (TB_ISBUTTONCHECKED,
    // TB_CHECKBUTTON), and its state (TB_SETSTATE, TB_GETSTATE; -1 for no such button).
    BOOL IsButtonChecked(UINT nID) const;
    void CheckButton(UINT nID, BOOL bCheck);
    void SetButtonState(UINT nID, UINT nState);
    int GetButtonState(UINT nID) const;
    // The tool tip of a command's button, from the string table (empty for none).
    static std::string ToolTipOf(UINT nID);

    // Fields in their declared order.
    CInsertToolBar m_InsertBar;
    CFormatToolBar m_FormatBar;
    CTesselEdit* m_pEdit = nullptr;  // not owned
    CCJComboBox m_FontBox;
    CCJComboBox m_SizeBox;
    CColourPicker m_ColourBtn;

  protected:
    const MessageMap* GetMessageMap() const override;
    // Keys typed while the tool window or one of its controls has the focus belong to the
    // editor: the focus goes there and the key with it.
    BOOL PreTranslateMessage(MSG* pMsg) override;

  private:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnBoxChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnColourChosen(WPARAM wParam, LPARAM lParam);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void Forward(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateControls();

    CWnd* m_pEditWnd = nullptr;
    CBitmap m_Images;
};

namespace tessel::widgets {

// The bitmap resource of the tool bars' 20 images.
inline constexpr unsigned kToolBarBitmap = 446;

}  // namespace tessel::widgets
