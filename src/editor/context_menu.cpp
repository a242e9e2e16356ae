// The right mouse button: the cursor goes to the click, a selection around the click stays
// for the menu's commands to act on, and the context menu opens where the button came up.
#include "editor/tessel_edit.h"
#include "widgets/edit_commands.h"

void CTesselEdit::CreateMenu() {
    using namespace tessel::commands;
    if (m_Menu.IsCreated()) return;
    m_Menu.CreatePopupMenu();
    m_Menu.AppendMenu(MF_STRING, kCut, "Cut(&T)");
    m_Menu.AppendMenu(MF_STRING, kCopy, "Copy(&C)");
    m_Menu.AppendMenu(MF_STRING, kPaste, "Paste(&P)");
    m_Menu.AppendMenu(MF_SEPARATOR);
    m_Menu.AppendMenu(MF_STRING, kHotLink, "Hot_Link(&H)");
}

void CTesselEdit::OnRButtonDown(UINT /*nFlags*/, CPoint point) {
    // The commands of the tool window and the menu go to this editor from now on.
    g_nFocusEdit = m_nEditID;
    DropCaret();
    CClientDC dc(this);
    GetLinkWordChar(&dc, m_pList, m_Row, m_rcEdit, point.x, point.y - m_nViewOrgY);
    // A click strictly inside the selection keeps it; so does one before its end while none
    // is shown. Anywhere else the selection goes.
    const bool bInside = m_SelStart < m_CurPos && m_CurPos < m_SelEnd;
    const bool bBeforeHidden = m_CurPos < m_SelEnd && !m_bSelected;
    if (!bInside && !bBeforeHidden) {
        m_bSelected = 0;
        m_SelStart = m_SelEnd = TEXTPOS{};
        Invalidate(TRUE);
    }
    RefreshCaret(&dc);
}

void CTesselEdit::OnRButtonUp(UINT /*nFlags*/, CPoint point) {
    m_ptPopup = point;
    CPoint ptScreen = point;
    ClientToScreen(&ptScreen);
    // The entries show the state of this moment, not of the timer's last tick.
    UpdateCommandStates();
    m_Menu.TrackPopupMenu(TPM_LEFTALIGN, ptScreen.x, ptScreen.y, this);
}
