// Typing and deletion: characters become text at the cursor, ready elements go in at the
// cursor, Backspace and Delete remove what is before or after it, and a selection is removed
// before anything is inserted. The changes themselves are the functions of edits.h.
#include <optional>
#include <utility>

#include "editor/tessel_edit.h"

namespace {

constexpr unsigned char kEnter = 13;
constexpr unsigned char kTab = 9;
constexpr unsigned char kEscape = 27;
constexpr char kTabText[] = "    ";  // a tab is typed as four spaces

bool IsTrailOnlyByte(unsigned c) {
    return c >= 0x40 && c <= 0x7E;
}

}  // namespace

tessel::editor::Document CTesselEdit::Doc(CMyList& list) {
    return tessel::editor::Document{
        list,
        m_CurPos,
        m_SelStart,
        m_SelEnd,
        [this](CLink& frame) { DeleteMColumn(&frame); },
        [this](const CLink& frame, CMyList& out) { AppendFlatFrame(frame, out); }};
}

void CTesselEdit::OnChar(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/) {
    // Codes beyond one byte are not characters of the text; a zero byte would end the markup
    // and is not kept either.
    if (nChar == 0 || nChar > 0xFF) return;
    if (std::exchange(m_bSwallowChar, false)) return;
    const auto c = static_cast<unsigned char>(nChar);
    std::string strText;
    DoubleByteBuffer& buffer = g_DoubleByte;
    if ((c & 0x80) != 0 || (buffer.nCount == 1 && IsTrailOnlyByte(c))) {
        // A double-byte character arrives as two messages, lead byte first; the lead waits
        // here (for whichever editor gets the next message).
        buffer.bytes[buffer.nCount++] = c;
        if (buffer.nCount == 2) {
            strText.assign(reinterpret_cast<const char*>(buffer.bytes), 2);
            buffer.nCount = 0;
        }
    } else if (c == kEnter) {
        strText = "\n";
    } else if (c == kTab) {
        strText = kTabText;
    } else if (c == kEscape || (c >= 1 && c <= 26)) {
        // Escape and the control characters of Ctrl+letter insert nothing.
    } else {
        strText.assign(1, static_cast<char>(c));
    }
    if (strText.empty()) return;
    m_NextStepKind = tessel::editor::StepKind::kTyping;
    AddStringInCur(strText);
}

void CTesselEdit::AddStringInCur(const std::string& strText) {
    if (strText.empty() || !m_pList) return;
    // Typing replaces the selection.
    OnCut(m_pList, 0);
    m_SelStart = m_SelEnd = m_CurPos;
    tessel::editor::Document doc = Doc(*m_pList);
    tessel::editor::InsertText(doc, strText, CurrentFormat());
    FinishChange(nullptr);
}

void CTesselEdit::InsertLinkInCurr(CLink* pLink, CMyList* pList) {
    if (!pLink) return;
    if (!pList) {
        delete pLink;
        return;
    }
    tessel::editor::Document doc = Doc(*pList);
    tessel::editor::InsertElement(doc, pLink);
}

void CTesselEdit::OnBack(CDC* pDC) {
    if (!m_pList) return;
    tessel::editor::Document doc = Doc(*m_pList);
    tessel::editor::DeleteBefore(doc, CurrentFormat());
    FinishChange(pDC);
}

void CTesselEdit::OnDelete(CDC* pDC) {
    if (!m_pList) return;
    if (OnCut(m_pList, 0)) {
        FinishChange(pDC);
        return;
    }
    // At the end of the document (in whichever form it is written) there is nothing after the
    // cursor; elsewhere Delete is a step forward and a Backspace.
    const TEXTPOS next = tessel::editor::StepForward(*m_pList, m_CurPos);
    if (m_pList->IsEmpty() || next == m_CurPos || m_CurPos == tessel::editor::DocumentEnd(*m_pList))
        return;
    m_CurPos = next;
    OnBack(pDC);
}

void CTesselEdit::OnKeyUp(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/) {
    if (nChar == VK_SHIFT) {
        // The Shift-selection is done: it is shown, with its ends in order.
        m_SelEnd = m_CurPos;
        m_bShiftSel = 0;
        m_bSelected = 1;
        if (m_SelEnd < m_SelStart) std::swap(m_SelStart, m_SelEnd);
    }
    Default();
}

void CTesselEdit::FinishChange(CDC* pDC) {
    if (!m_hWnd) return;
    RefreshView(pDC);
    m_SelStart = m_SelEnd = m_CurPos;
    RecordChange();
}

void CTesselEdit::RefreshView(CDC* pDC) {
    if (!m_hWnd) return;
    std::optional<CClientDC> clientDC;
    if (!pDC) pDC = &clientDC.emplace(this);
    DropCaret();
    SetRow(pDC);
    Invalidate(TRUE);
    if (SetMyViewPort(pDC)) Invalidate(TRUE);
    RefreshCaret(pDC);
}
