// A new size for the open editor, from a host whose window changed size.
#include <algorithm>
#include <optional>

#include "editor/tessel_edit.h"

void CTesselEdit::Resize(CRect rect) {
    if (!m_hWnd || !m_pList) return;
    // The caret stays with whoever has it: only an editor that shows it now places it again.
    const bool bHadCaret = tessel::platform::GetCaretInfo().hOwner == m_hWnd;
    MoveWindow(rect.left, rect.top, std::max(rect.Width(), 0), std::max(rect.Height(), 0), TRUE);
    CRect rcClient;
    GetClientRect(&rcClient);
    m_rcEdit = CRect(0, 0, rcClient.Width(), rcClient.Height());

    CClientDC dc(this);
    if (bHadCaret) DropCaret();
    SetRow(&dc);
    // A taller window shows more of the page: no empty band stays below its end while the
    // view is scrolled down.
    const int nSpare = m_rcEdit.Height() - (GetWinHeight() + m_nViewOrgY);
    if (m_nViewOrgY < 0 && nSpare > 0) m_nViewOrgY = std::min(0, m_nViewOrgY + nSpare);
    SetMyViewPort(&dc);
    dc.SetViewportOrg(0, m_nViewOrgY);
    Invalidate(TRUE);
    if (bHadCaret) RefreshCaret(&dc);
}
