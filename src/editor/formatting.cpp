// Character formatting: the current format that typed text takes, shown on the tool window
// and taken from the text at the cursor, and the commands that change it. With a range
// selected, a command changes every element of the range too: the range is cut to the
// clipboard, taken back, and changed copies of its elements go in again at the cursor, so
// that they join or split the text around them exactly as pasted text does.
#include <functional>

#include "document/link_slots.h"
#include "editor/tessel_edit.h"
#include "platform/gbk.h"
#include "widgets/edit_commands.h"
#include "widgets/tool_window.h"

using tessel::commands::kBold;
using tessel::commands::kItalic;
using tessel::commands::kLowered;
using tessel::commands::kRaised;
using tessel::commands::kUnderline;
namespace slots = tessel::slots;

CEditToolWnd* CTesselEdit::ToolBar() const {
    // Column editors use the tool window of the editor they belong to.
    CEditToolWnd* pToolBar = m_pToolBar;
    if (m_nEditID != -1)
        if (auto* pParent = dynamic_cast<CTesselEdit*>(GetParent())) pToolBar = pParent->m_pToolBar;
    return pToolBar && pToolBar->m_hWnd ? pToolBar : nullptr;
}

int CTesselEdit::ResetToolBar() {
    CEditToolWnd* pToolBar = ToolBar();
    if (!pToolBar || !m_pList) return 0;
    const CLink* pLink = tessel::editor::LinkAt(*m_pList, m_CurPos.nLink);
    if (!pLink || pLink->m_nKind != kKindText) return 0;
    const std::string& strFace = slots::FontFace(*pLink);

    // The font box keeps its selection when the face is already shown, in any letter case, or
    // when no item has it.
    CComboBox& fontBox = pToolBar->m_FontBox;
    const int nFont = fontBox.GetCurSel();
    if (nFont == CB_ERR ||
        !tessel::platform::EqualsIgnoringCase(fontBox.GetLBText(nFont), strFace)) {
        const int nFound = fontBox.FindStringExact(-1, strFace.c_str());
        if (nFound != CB_ERR) fontBox.SetCurSel(nFound);
    }
    CComboBox& sizeBox = pToolBar->m_SizeBox;
    for (int i = 0; i < sizeBox.GetCount() && i < kSizeItems; ++i) {
        if (kSizeTable[i] == slots::FontSize(*pLink)) {
            sizeBox.SetCurSel(i);
            break;
        }
    }
    const COLORREF crText = RGB(slots::ColourRed(*pLink) % 256, slots::ColourGreen(*pLink) % 256,
                                slots::ColourBlue(*pLink) % 256);
    if (pToolBar->m_ColourBtn.GetColour() != crText) pToolBar->m_ColourBtn.SetColour(crText);

    switch (slots::FootNote(*pLink)) {
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
    pToolBar->CheckButton(kRaised, m_bRaised);
    pToolBar->CheckButton(kLowered, m_bLowered);

    m_strFontName = strFace;
    m_nFontSize = slots::FontSize(*pLink);
    m_nRed = slots::ColourRed(*pLink);
    m_nGreen = slots::ColourGreen(*pLink);
    m_nBlue = slots::ColourBlue(*pLink);
    m_nHotLink = slots::HotLinkAction(*pLink);
    m_bItalic = slots::FontItalic(*pLink) != 0 ? 1 : 0;
    m_bBold = slots::FontBold(*pLink) != 0 ? 1 : 0;
    m_bUnderline = slots::FontUnderline(*pLink) != 0 ? 1 : 0;
    pToolBar->CheckButton(kBold, m_bBold);
    pToolBar->CheckButton(kItalic, m_bItalic);
    pToolBar->CheckButton(kUnderline, m_bUnderline);
    return 1;
}

int CTesselEdit::ButtonChecked(UINT nID, int bCurrent, bool bClicked) const {
    // Without a tool window (a host that asked for none) the command's own button counts as
    // clicked: the flag toggles. Another button keeps the flag's state.
    if (const CEditToolWnd* pToolBar = ToolBar()) return pToolBar->IsButtonChecked(nID) ? 1 : 0;
    if (!bClicked) return bCurrent ? 1 : 0;
    return bCurrent ? 0 : 1;
}

void CTesselEdit::FormatSelection(const std::function<void(CLink&)>& change) {
    if (m_SelStart == m_SelEnd || !m_pList) return;
    // The range goes to the clipboard and comes back as a list; the cursor stands where the
    // range began, and that place keeps its count through the re-insertion.
    const unsigned long nSerialBefore = g_nClipSerial;
    OnCut(m_pList, 1);
    const int nStart = tessel::editor::DocumentOffsetOf(*m_pList, m_CurPos);
    // A range that held nothing puts nothing on the clipboard: what is there is another
    // list, which must not come in.
    if (g_nClipSerial == nSerialBefore) {
        FinishChange(nullptr);
        return;
    }
    if (!GetpListFromClip(m_pCutList) || !m_pCutList) {
        // The range has left the document and cannot come back: the change is recorded like
        // any other, so that Undo gives the range back.
        FinishChange(nullptr);
        return;
    }
    CMyList changed;
    for (const CLink* p = m_pCutList->FirstLink(); p; p = p->m_pNext) {
        auto* pCopy = new CLink;
        CopyLink(pCopy, p);
        change(*pCopy);
        changed.Append(pCopy);
    }
    InsertListInCurr(changed);
    RefreshView(nullptr);
    // The changed text stays selected.
    m_SelStart = tessel::editor::PositionAtDocumentOffset(*m_pList, nStart);
    m_SelEnd = m_CurPos;
    m_bSelected = 1;
    RecordChange();
}

void CTesselEdit::OnInsertBond() {
    if (RoutedToColumn(&CTesselEdit::OnInsertBond)) return;
    m_bBold = ButtonChecked(kBold, m_bBold);
    FormatSelection([nBold = m_bBold](CLink& link) { slots::FontBold(link) = nBold; });
}

void CTesselEdit::OnInsertItalic() {
    if (RoutedToColumn(&CTesselEdit::OnInsertItalic)) return;
    m_bItalic = ButtonChecked(kItalic, m_bItalic);
    FormatSelection([nItalic = m_bItalic](CLink& link) { slots::FontItalic(link) = nItalic; });
}

void CTesselEdit::OnInsertULine() {
    if (RoutedToColumn(&CTesselEdit::OnInsertULine)) return;
    m_bUnderline = ButtonChecked(kUnderline, m_bUnderline);
    FormatSelection(
        [nUnderline = m_bUnderline](CLink& link) { slots::FontUnderline(link) = nUnderline; });
}

void CTesselEdit::SetRaisedLowered(bool bRaisedPressed) {
    // The two buttons are a pair of which at most one is down: the one pressed wins.
    const int bRaised = ButtonChecked(kRaised, m_bRaised, bRaisedPressed);
    const int bLowered = ButtonChecked(kLowered, m_bLowered, !bRaisedPressed);
    if (bRaisedPressed) {
        m_bRaised = bRaised;
        m_bLowered = bRaised ? 0 : bLowered;
    } else {
        m_bLowered = bLowered;
        m_bRaised = bLowered ? 0 : bRaised;
    }
    if (CEditToolWnd* pToolBar = ToolBar()) {
        pToolBar->CheckButton(kRaised, m_bRaised);
        pToolBar->CheckButton(kLowered, m_bLowered);
    }
    FormatSelection([nFootNote = CurrentFormat().FootNote()](CLink& link) {
        slots::FootNote(link) = nFootNote;
    });
}

void CTesselEdit::OnbtnFootUp() {
    if (RoutedToColumn(&CTesselEdit::OnbtnFootUp)) return;
    SetRaisedLowered(true);
}

void CTesselEdit::OnbtnFootDown() {
    if (RoutedToColumn(&CTesselEdit::OnbtnFootDown)) return;
    SetRaisedLowered(false);
}

void CTesselEdit::OnSelchangeComboFont() {
    if (RoutedToColumn(&CTesselEdit::OnSelchangeComboFont)) return;
    CEditToolWnd* pToolBar = ToolBar();
    if (!pToolBar) return;
    const int nItem = pToolBar->m_FontBox.GetCurSel();
    if (nItem == CB_ERR) return;
    m_strFontName = pToolBar->m_FontBox.GetLBText(nItem);
    FormatSelection([strFace = m_strFontName](CLink& link) { slots::FontFace(link) = strFace; });
}

void CTesselEdit::OnSelchangeComboSize() {
    if (RoutedToColumn(&CTesselEdit::OnSelchangeComboSize)) return;
    CEditToolWnd* pToolBar = ToolBar();
    if (!pToolBar) return;
    const int nItem = pToolBar->m_SizeBox.GetCurSel();
    if (nItem < 0 || nItem >= kSizeItems) return;
    m_nFontSize = kSizeTable[nItem];
    FormatSelection([nSize = m_nFontSize](CLink& link) { slots::FontSize(link) = nSize; });
}

LRESULT CTesselEdit::OnSelchangeComboColor(WPARAM wParam, LPARAM lParam) {
    if (RoutedToColumn([&](CTesselEdit& column) { column.OnSelchangeComboColor(wParam, lParam); }))
        return 0;
    // The colour: red in the low byte, green in the next, blue in the third.
    const auto crColour = static_cast<COLORREF>(wParam);
    m_nRed = GetRValue(crColour);
    m_nGreen = GetGValue(crColour);
    m_nBlue = GetBValue(crColour);
    FormatSelection([nRed = m_nRed, nGreen = m_nGreen, nBlue = m_nBlue](CLink& link) {
        slots::ColourRed(link) = nRed;
        slots::ColourGreen(link) = nGreen;
        slots::ColourBlue(link) = nBlue;
    });
    return 0;
}

void CTesselEdit::ToggleFormatButton(UINT nID) {
    // What a click on the button does: it changes its check, then sends its command.
    CTesselEdit& owner = HistoryOwner();
    if (CEditToolWnd* pToolBar = owner.ToolBar()) {
        pToolBar->CheckButton(nID, !pToolBar->IsButtonChecked(nID));
        owner.SendMessage(WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                          reinterpret_cast<LPARAM>(pToolBar->BarOf(nID)->m_hWnd));
        return;
    }
    owner.SendMessage(WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0);
}
