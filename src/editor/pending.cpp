// Handlers the message map already routes but that do nothing yet: typing, the mouse,
// selection and the clipboard, formatting, and the object commands. Each is replaced by its
// real implementation as that part of the editor is built.
#include "editor/tessel_edit.h"
#include "widgets/tool_window.h"

void CTesselEdit::OnKeyDown(UINT, UINT, UINT) {}
void CTesselEdit::OnKeyUp(UINT, UINT, UINT) {}
void CTesselEdit::OnChar(UINT, UINT, UINT) {}
void CTesselEdit::OnLButtonDown(UINT, CPoint) {}
void CTesselEdit::OnLButtonUp(UINT, CPoint) {}
void CTesselEdit::OnMouseMove(UINT, CPoint) {}
void CTesselEdit::OnLButtonDblClk(UINT, CPoint) {}
void CTesselEdit::OnRButtonDown(UINT, CPoint) {}
void CTesselEdit::OnRButtonUp(UINT, CPoint) {}
void CTesselEdit::OnSelchangeComboFont() {}
void CTesselEdit::OnSelchangeComboSize() {}
LRESULT CTesselEdit::OnSelchangeComboColor(WPARAM, LPARAM) {
    return 0;
}
void CTesselEdit::OnInsertImage() {}
void CTesselEdit::OnInsertFomular() {}
void CTesselEdit::OnInsertEdit() {}
void CTesselEdit::OnInsertCheck() {}
void CTesselEdit::OnInsertChoice() {}
void CTesselEdit::OnInsertPageTotalScore() {}
void CTesselEdit::OnInsertTotalScore() {}
void CTesselEdit::OnInsertPageScore() {}
void CTesselEdit::OnInsertMColumn() {}
void CTesselEdit::OnInsertHLink() {}
void CTesselEdit::OnInsertCut() {}
void CTesselEdit::OnInsertCopy() {}
void CTesselEdit::OnInsertPaste() {}
void CTesselEdit::OnInsertBond() {}
void CTesselEdit::OnInsertItalic() {}
void CTesselEdit::OnInsertULine() {}
void CTesselEdit::OnbtnFootUp() {}
void CTesselEdit::OnbtnFootDown() {}
void CTesselEdit::OnbtnPro() {}
void CTesselEdit::OnInsertTxt() {}
void CTesselEdit::OnInsertSymbol() {}

// The selection is drawn when selecting exists; until then nothing is ever selected.
void CTesselEdit::ReShowPartSelected(CDC*, TEXTPOS, TEXTPOS, int) {}

// The clipboard commands' enabled state follows the clipboard on each tick once the tool
// window has its buttons; a tool window that is gone stops the timer.
void CTesselEdit::OnTimer(UINT_PTR nIDEvent) {
    if (!m_pToolBar || !m_pToolBar->m_hWnd) {
        KillTimer(nIDEvent);
        return;
    }
    CWnd::OnTimer(nIDEvent);
}
