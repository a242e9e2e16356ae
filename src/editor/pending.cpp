// Handlers the message map already routes but that do nothing yet: the other mouse buttons,
// hot links, properties, text import and symbols.
// Each is replaced by its real implementation as that part of the editor is built.
#include "editor/tessel_edit.h"

void CTesselEdit::OnLButtonDblClk(UINT, CPoint) {}
void CTesselEdit::OnRButtonDown(UINT, CPoint) {}
void CTesselEdit::OnRButtonUp(UINT, CPoint) {}
void CTesselEdit::OnInsertHLink() {}
void CTesselEdit::OnbtnPro() {}
void CTesselEdit::OnInsertTxt() {}
void CTesselEdit::OnInsertSymbol() {}
