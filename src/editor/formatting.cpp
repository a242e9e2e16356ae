// The editor's current character format: what newly typed text gets. Moving the cursor makes
// the format of the text found there the current one.
#include "editor/tessel_edit.h"
#include "widgets/tool_window.h"

int CTesselEdit::ResetToolBar() {
    // Column editors show their format on the tool window of the editor they belong to.
    const CEditToolWnd* pToolBar = m_pToolBar;
    if (m_nEditID != -1)
        if (auto* pParent = dynamic_cast<CTesselEdit*>(GetParent())) pToolBar = pParent->m_pToolBar;
    if (!pToolBar || !pToolBar->m_hWnd || !m_pList) return 0;
    const CLink* pLink = tessel::editor::LinkAt(*m_pList, m_CurPos.nLink);
    if (!pLink || pLink->m_nKind != kKindText) return 0;

    switch (pLink->m_FootNote[0].nValue) {
        case kFootNoteRaised:
            m_bRaised = 1;
            m_bLowered = 0;
            break;
        case kFootNoteLowered:
            m_bRaised = 0;
            m_bLowered = 1;
            break;
        default:
            m_bRaised = m_bLowered = 0;
            break;
    }
    m_strFontName = pLink->m_Font[0].strText;
    m_nFontSize = pLink->m_Font[1].nValue;
    m_nRed = pLink->m_Color[0].nValue;
    m_nGreen = pLink->m_Color[1].nValue;
    m_nBlue = pLink->m_Color[2].nValue;
    m_nHotLink = pLink->m_HotLink[0].nValue;
    m_bItalic = pLink->m_Font[2].nValue != 0 ? 1 : 0;
    m_bBold = pLink->m_Font[3].nValue != 0 ? 1 : 0;
    m_bUnderline = pLink->m_Font[4].nValue != 0 ? 1 : 0;
    return 1;
}
