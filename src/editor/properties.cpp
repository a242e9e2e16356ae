// Changing an object already in the page: a double click on it, or the properties command
// after a right click, opens the dialog of its kind preset from the element.
#include "document/link_slots.h"
#include "editor/tessel_edit.h"

void CTesselEdit::OnLButtonDblClk(UINT /*nFlags*/, CPoint point) {
    OnPro(CPoint(point.x, point.y - m_nViewOrgY));
}

void CTesselEdit::OnbtnPro() {
    OnPro(CPoint(m_ptPopup.x, m_ptPopup.y - m_nViewOrgY));
}

void CTesselEdit::OnPro(CPoint point) {
    if (!m_pList) return;
    {
        CClientDC dc(this);
        GetLinkWordChar(&dc, m_pList, m_Row, m_rcEdit, point.x, point.y);
    }
    // Each change runs the page's one exit sequence when its dialog is answered with OK; a
    // cancelled dialog, or a point on no object, leaves the page as it was and only the caret
    // moves to the point.
    if (CLink* pLink = tessel::editor::LinkAt(*m_pList, m_CurPos.nLink)) {
        switch (pLink->m_nKind) {
            case kKindImage:
                ChangeImage(pLink);
                break;
            case kKindFormula:
                ChangeFormula(pLink);
                break;
            case kKindEdit:
                ChangeEditFrame(pLink);
                break;
            case kKindCheck:
                if (tessel::slots::IsOptionBox(*pLink))
                    ChangeOptionBox(pLink);
                else
                    ChangeJudgement(pLink);
                break;
            case kKindChoice:
                ChangeChoice(pLink);
                break;
            case kKindPageTotalScore:
            case kKindPageScore:
                ChangePageScore(pLink);
                break;
            default:
                break;
        }
    }
    RefreshView(nullptr);
}
