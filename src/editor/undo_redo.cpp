// Undo and redo. The exit sequence of every change (FinishChange) records the change in the
// history of the top-level editor, whichever of its editors made it: the history compares the
// page, columns included, with the page as last recorded. The positions a change starts from
// are those every message leaves behind (WindowProc), so no command has to announce a change.
#include <algorithm>
#include <array>

#include "editor/tessel_edit.h"
#include "widgets/edit_commands.h"

using tessel::editor::EditPositions;
using tessel::editor::UndoStep;

LRESULT CTesselEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A handler may release this editor (a column editor whose frame went): the token says
    // whether the object is still there to note anything.
    // Messages that arrive while a handler runs (the windows a paste opens send some) are part
    // of that handler's work: only the outermost one notes the positions.
    const std::shared_ptr<bool> pAlive = m_pAlive;
    ++m_nDispatchDepth;
    const LRESULT nResult = CWnd::WindowProc(message, wParam, lParam);
    if (!*pAlive) return nResult;
    if (--m_nDispatchDepth == 0 && message != WM_DESTROY) {
        m_RestPositions = Positions();
        HistoryOwner().NotifyListener();
    }
    return nResult;
}

namespace {

// What the listener hears about: the place of the editor the user works in (its positions,
// and where they stand in the text: typing at the page's end leaves the cursor at the same
// element boundary while the text before it grows) and the current format there.
struct HeardState {
    EditPositions positions;
    std::array<int, 3> offsets{};
    CharFormat format;
    bool Moved(const HeardState& o) const {
        return !(positions == o.positions) || offsets != o.offsets;
    }
};

}  // namespace

void CTesselEdit::SetListener(Listener listener) {
    // The state as it is now is what the listener's first news will be measured from.
    m_Listener = {};
    NotifyListener();
    m_Listener = std::move(listener);
}

void CTesselEdit::NotifyListener() {
    CTesselEdit* pFocus = EditorById(g_nFocusEdit);
    if (!pFocus) pFocus = this;
    HeardState now{pFocus->Positions(), m_NotifiedOffsets, pFocus->CurrentFormat()};
    const bool bChanged = m_nRevision != m_nNotifiedRevision;
    // The offsets follow from the positions on an unchanged page: they are walked for only
    // when the page or the positions changed, not for every tick and mouse move.
    if (pFocus->m_pList && (bChanged || !(now.positions == m_NotifiedPositions)))
        now.offsets = {tessel::editor::DocumentOffsetOf(*pFocus->m_pList, now.positions.cursor),
                       tessel::editor::DocumentOffsetOf(*pFocus->m_pList, now.positions.selStart),
                       tessel::editor::DocumentOffsetOf(*pFocus->m_pList, now.positions.selEnd)};
    const HeardState before{m_NotifiedPositions, m_NotifiedOffsets, m_NotifiedFormat};
    const bool bMoved = now.Moved(before);
    const bool bFormat = !(now.format == before.format);
    m_nNotifiedRevision = m_nRevision;
    m_NotifiedPositions = now.positions;
    m_NotifiedOffsets = now.offsets;
    m_NotifiedFormat = now.format;
    // A listener may do anything, closing the editor included: the calls use a copy, and
    // nothing of the editor is used after them.
    if (!bChanged && !bMoved && !bFormat) return;
    const Listener listener = m_Listener;
    if (bChanged && listener.onChanged) listener.onChanged();
    if (bMoved && listener.onSelectionChanged) listener.onSelectionChanged();
    if (bFormat && listener.onFormatChanged) listener.onFormatChanged();
}

EditPositions CTesselEdit::Positions() const {
    return EditPositions{m_nEditID, m_CurPos, m_SelStart, m_SelEnd};
}

void CTesselEdit::RecordChange() {
    const tessel::editor::StepKind kind = m_NextStepKind;
    m_NextStepKind = tessel::editor::StepKind::kOther;
    const EditPositions after = Positions();
    CTesselEdit& owner = HistoryOwner();
    if (owner.m_pHistory &&
        owner.m_pHistory->Record(owner.FlatView(), m_RestPositions, after, kind))
        ++owner.m_nRevision;
    m_RestPositions = after;
}

CTesselEdit* CTesselEdit::EditorById(int nEditID) {
    if (nEditID == -1) return this;
    if (nEditID < 0 || nEditID >= kMaxFrames * kMaxColumns) return nullptr;
    return m_pChildEdit[nEditID / kMaxColumns][nEditID % kMaxColumns];
}

int CTesselEdit::CanUndo() const {
    const CTesselEdit& owner = m_pOwnerEdit ? *m_pOwnerEdit : *this;
    return owner.m_pHistory && owner.m_pHistory->CanUndo() ? 1 : 0;
}

int CTesselEdit::CanRedo() const {
    const CTesselEdit& owner = m_pOwnerEdit ? *m_pOwnerEdit : *this;
    return owner.m_pHistory && owner.m_pHistory->CanRedo() ? 1 : 0;
}

int CTesselEdit::Undo() {
    return UndoOrRedo(true);
}

int CTesselEdit::Redo() {
    return UndoOrRedo(false);
}

int CTesselEdit::UndoOrRedo(bool bUndo) {
    if (m_pOwnerEdit) {
        // The step may replace this very column editor: the owner takes it after this
        // message is done.
        const int nCan = bUndo ? CanUndo() : CanRedo();
        m_pOwnerEdit->PostMessage(WM_COMMAND,
                                  bUndo ? tessel::commands::kUndo : tessel::commands::kRedo, 0);
        return nCan;
    }
    if (!m_pHistory || !m_hWnd) return 0;
    const UndoStep* pStep = bUndo ? m_pHistory->Undo() : m_pHistory->Redo();
    if (!pStep) return 0;
    ApplyStep(*pStep, bUndo);
    ++m_nRevision;
    // Undo and Redo called by the host directly, outside any message, are heard at once.
    if (m_nDispatchDepth == 0) NotifyListener();
    return 1;
}

void CTesselEdit::ApplyStep(const UndoStep& step, bool bUndo) {
    const auto& now = bUndo ? step.after : step.before;   // what the page holds there now
    const auto& back = bUndo ? step.before : step.after;  // what it is to hold
    const EditPositions& pos = bUndo ? step.posBefore : step.posAfter;

    // A change that begins and ends among the top-level elements is made where it is: the
    // flat range maps onto the document's own list, frames in it leave with their column
    // editors and frames that come back get new ones. A change inside a column, or a page
    // that is not what the step expects, is built again from the page the history now holds,
    // column editors included.
    bool bSpliced = false;
    const std::vector<tessel::editor::FlatEntry> view = FlatView();
    const std::size_t nFrom = static_cast<std::size_t>(step.nFrom);
    const std::size_t nTo = nFrom + now.size();
    bool bTopLevel = nTo <= view.size();
    // The index in the document's list of the flat place nFrom, and how many of the list's
    // elements the range covers, found by counting the entries outside columns. The column
    // marks of a frame are entries of no element; a frame the column table had no room for
    // stays in the list in its flat form, marks and all, as elements of the list.
    int nIndex = 0, nCount = 0, nDepth = 0;
    for (std::size_t i = 0; bTopLevel && i < nTo; ++i) {
        const tessel::editor::FlatEntry& e = view[i];
        if (!e.pLink && e.nKind == kKindStartColumn)
            ++nDepth;
        else if (!e.pLink && e.nKind == kKindEndColumn)
            --nDepth;
        else if (nDepth == 0)
            ++(i < nFrom ? nIndex : nCount);
        if (i + 1 == nFrom && nDepth != 0) bTopLevel = false;
    }
    // Neither end may fall inside a frame's columns, nor between a frame and its first column.
    auto startsColumn = [&](std::size_t i) {
        return i < view.size() && !view[i].pLink && view[i].nKind == kKindStartColumn;
    };
    bTopLevel = bTopLevel && nDepth == 0 && !startsColumn(nFrom) && !startsColumn(nTo);
    for (std::size_t i = 0; bTopLevel && i < now.size(); ++i)
        bTopLevel = tessel::editor::SameElement(view[nFrom + i], *now[i]);
    if (bTopLevel) {
        m_pList->GoTo(nIndex);
        for (int i = 0; i < nCount; ++i) {
            CLink* pLink = m_pList->Remove();
            if (pLink && pLink->m_nKind == kKindColumnFrame) DeleteMColumn(pLink);
            delete pLink;
        }
        CMyList coming;
        bool bFrames = false;
        for (const auto& p : back) {
            coming.Append(tessel::editor::CopyEntry({p.get(), p->m_nKind}).release());
            bFrames = bFrames || p->m_nKind == kKindMultiColumn;
        }
        if (bFrames) FoldFrames(coming, true);
        int nAt = nIndex;
        coming.First();
        while (CLink* p = coming.Remove())
            tessel::editor::InsertLinkAt(*m_pList, nAt++, p);
        if (bFrames) OpenColumnEditors(m_crHotLink, m_nCharSpace, m_nLineSpace);
        bSpliced = true;
    }
    if (!bSpliced) {
        ReleaseColumnEditors();
        m_pList->Clear();
        for (const auto& p : m_pHistory->Page())
            m_pList->Append(tessel::editor::CopyEntry({p.get(), p->m_nKind}).release());
        FoldFrames(*m_pList, true);
        OpenColumnEditors(m_crHotLink, m_nCharSpace, m_nLineSpace);
    }

    // The user is back where the step began (or ended, for a redo).
    CTesselEdit* pEditor = EditorById(pos.nEditID);
    if (pEditor && pEditor->m_pList) {
        pEditor->m_CurPos = pos.cursor;
        pEditor->m_SelStart = pos.selStart;
        pEditor->m_SelEnd = pos.selEnd;
    } else {
        // The editor is gone (its frame had no row of the column table left): the user goes
        // to the start of the page, which is always a place of it.
        pEditor = this;
        m_CurPos = m_SelStart = m_SelEnd = TEXTPOS{};
    }
    pEditor->m_bSelected = pEditor->m_SelStart != pEditor->m_SelEnd ? 1 : 0;
    pEditor->m_bShiftSel = 0;
    g_nFocusEdit = pEditor->m_nEditID;
    if (pEditor != this) {
        pEditor->SetFocus();
        pEditor->RefreshView(nullptr);
    }
    RefreshView(nullptr);
    pEditor->m_RestPositions = pEditor->Positions();
    // The layout may tidy what it lays out; that is part of the page as it now stands.
    m_pHistory->Absorb(FlatView());
}
