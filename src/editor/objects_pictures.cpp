// Pictures and formulas: inserting them through their dialogs and changing them.
//
// The dialogs put the file into the project and give the name the page keeps; the element
// gets no picture or formula object here: the next layout loads it from that name. Each
// insertion and change ends with FinishChange, so it is one undo step.
#include "document/link_slots.h"
#include "editor/tessel_edit.h"
#include "formula/formula.h"
#include "imaging/picture.h"
#include "widgets/picture_dialogs.h"

namespace slots = tessel::slots;

namespace {

void SetFileName(CLink& link, const std::string& strFile) {
    link.m_Command[0].nType = kParamText;
    slots::FileName(link) = strFile;
}

}  // namespace

void CTesselEdit::OnInsertImage() {
    if (RoutedToColumn(&CTesselEdit::OnInsertImage)) return;
    CImageDlg dlg(this);
    dlg.m_strDirPrj = ProjectDirectory();
    if (dlg.DoModal() != IDOK || !m_pList) return;
    auto* pLink = new CLink;
    pLink->m_nKind = kKindImage;
    SetFileName(*pLink, dlg.m_strFile);
    slots::ImageTransparent(*pLink) = dlg.m_bTransparent;
    slots::ImageScale(*pLink) = dlg.m_nScale;
    InsertLinkInCurr(pLink, m_pList);
    FinishChange(nullptr);
}

void CTesselEdit::OnInsertFomular() {
    if (RoutedToColumn(&CTesselEdit::OnInsertFomular)) return;
    CFormulaDlg dlg(this);
    dlg.m_strDirPrj = ProjectDirectory();
    if (dlg.DoModal() != IDOK || !m_pList) return;
    auto* pLink = new CLink;
    pLink->m_nKind = kKindFormula;
    InsertLinkInCurr(pLink, m_pList);
    SetFileName(*pLink, dlg.m_strFile);
    slots::FormulaScale(*pLink) = dlg.m_nScale;
    FinishChange(nullptr);
}

void CTesselEdit::ChangeImage(CLink* pImage) {
    if (!pImage || pImage->m_nKind != kKindImage) return;
    CImageDlg dlg(this);
    dlg.m_strDirPrj = ProjectDirectory();
    dlg.m_strFile = slots::FileName(*pImage);
    dlg.m_bTransparent = slots::ImageTransparent(*pImage);
    dlg.m_nScale = slots::ImageScale(*pImage);
    if (dlg.DoModal() != IDOK) return;
    SetFileName(*pImage, dlg.m_strFile);
    slots::ImageTransparent(*pImage) = dlg.m_bTransparent;
    slots::ImageScale(*pImage) = dlg.m_nScale;
    // The file may be another one, or the same one copied anew: the layout loads it again.
    pImage->m_pPicture = nullptr;
    FinishChange(nullptr);
}

void CTesselEdit::ChangeFormula(CLink* pFormula) {
    if (!pFormula || pFormula->m_nKind != kKindFormula) return;
    CFormulaDlg dlg(this);
    dlg.m_strDirPrj = ProjectDirectory();
    dlg.m_strFile = slots::FileName(*pFormula);
    dlg.m_nScale = slots::FormulaScale(*pFormula);
    if (dlg.DoModal() != IDOK) return;
    // Another file is another formula; a new scale alone draws the same one.
    if (dlg.m_strFile != slots::FileName(*pFormula)) pFormula->m_pFormula = nullptr;
    SetFileName(*pFormula, dlg.m_strFile);
    slots::FormulaScale(*pFormula) = dlg.m_nScale;
    FinishChange(nullptr);
}
