#pragma once

#include "platform/wnd.h"

class CTesselEdit;

// The floating tool window of a top-level editor, captioned "Text Editor". It carries the
// editor's commands; every command it gives goes to the editor window.
class CEditToolWnd : public CWnd {
  public:
    static constexpr int kWidth = 430;
    static constexpr int kHeight = 75;

    CEditToolWnd() = default;
    ~CEditToolWnd() override;

    // Creates the window at (100, 100), 430 x 75, owned by the editor's window; the editor
    // moves it afterwards. Non-zero on success.
    BOOL Create(CTesselEdit* pEdit, CWnd* pEditWnd);

    CTesselEdit* m_pEdit = nullptr;  // not owned

  protected:
    const MessageMap* GetMessageMap() const override;

  private:
    // Keys that reach the tool window belong to the editor.
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void Forward(UINT message, UINT nChar, UINT nRepCnt, UINT nFlags);

    CWnd* m_pEditWnd = nullptr;
};
