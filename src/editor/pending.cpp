// Handlers the message map already routes but that do nothing yet: the other mouse buttons
// and the object commands.
// Each is replaced by its real implementation as that part of the editor is built.
#include "editor/tessel_edit.h"

void CTesselEdit::OnLButtonDblClk(UINT, CPoint) {}
void CTesselEdit::OnRButtonDown(UINT, CPoint) {}
void CTesselEdit::OnRButtonUp(UINT, CPoint) {}
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
void CTesselEdit::OnbtnPro() {}
void CTesselEdit::OnInsertTxt() {}
void CTesselEdit::OnInsertSymbol() {}
