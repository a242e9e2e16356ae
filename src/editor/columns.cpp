// Multi-column frames: building them from the markup's flat form, their column editors, and
// the flat form again for writing.
#include <algorithm>
#include <memory>

#include "document/link_slots.h"
#include "editor/edit_extent.h"
#include "editor/edit_frames.h"

#include "editor/tessel_edit.h"

namespace slots = tessel::slots;

namespace {

using tessel::editor::FrameNumber;

}  // namespace

// A column window is never wider than this editor, nor narrower than nothing: the page's
// widths are not trusted to size windows.
int CTesselEdit::ColumnWindowWidth(int nWidth) const {
    return std::clamp(nWidth, 0, std::max(0, m_rcEdit.Width()));
}

// Turns each MultiColumn element followed by its StartColumn ... EndColumn groups into one
// frame element (kind 16) whose columns live in column editors. Markup the editor's writer
// never produces is repaired so that nothing read is lost:
// - a MultiColumn with no columns or more than 16, or beyond the eighth frame, has no place
//   in the column table: it stays an ordinary element, its column marks and contents stay in
//   the document as they are, and GetEditText writes them back unchanged;
// - elements inside a frame but outside any column join the column that follows them;
// - a frame whose markup ends before all its columns are closed gets the open column and
//   empty columns for the rest.
void CTesselEdit::PrevCreateList() {
    if (m_pList) FoldFrames(*m_pList);
}

// The walk of PrevCreateList over any list: frames take the free rows of the column-editor
// table in order (all of them are free when a page is opened, so its frames are numbered from
// 0; a paste finds the rows its document's frames hold taken). With bKeepNumbers a frame keeps
// the number its element carries when that row is free: an undo gives the page back with the
// numbers it had, which its steps name the column editors by.
void CTesselEdit::FoldFrames(CMyList& list, bool bKeepNumbers) {
    auto freeFrame = [this]() {
        for (int f = 0; f < kMaxFrames; ++f)
            if (!m_pChildEdit[f][0]) return f;
        return kMaxFrames;
    };
    int nFrame = 0;
    bool bInFrame = false;
    int nOpen = 0, nColumn = 0;
    std::unique_ptr<CMyList> pColumn;   // the column being filled
    std::unique_ptr<CMyList> pPending;  // elements in the frame between columns

    auto takePending = [&]() {
        return pPending ? std::move(pPending) : std::make_unique<CMyList>();
    };
    // Hands a column's elements to its editor.
    auto closeColumn = [&](std::unique_ptr<CMyList> pList) {
        auto* pEditor = new CTesselEdit;
        pEditor->m_pList = pList.release();
        pEditor->m_pOwnerEdit = this;
        delete m_pChildEdit[nFrame][nColumn];
        m_pChildEdit[nFrame][nColumn] = pEditor;
        ++nColumn;
        if (--nOpen == 0) {
            bInFrame = false;
            ++nFrame;
        }
    };

    list.First();
    while (list.IsInList()) {
        CLink* pLink = list.GetCurr();
        if (!bInFrame) {
            int n = slots::ColumnCount(*pLink);
            if (pLink->m_nKind == kKindMultiColumn && n >= 1 && n <= kMaxColumns) {
                const int nOwn = slots::ColumnWidth(*pLink, n);  // the slot after the widths
                nFrame = bKeepNumbers && nOwn >= 0 && nOwn < kMaxFrames && !m_pChildEdit[nOwn][0]
                             ? nOwn
                             : freeFrame();
            }
            if (pLink->m_nKind == kKindMultiColumn && n >= 1 && n <= kMaxColumns &&
                nFrame < kMaxFrames) {
                pLink->m_nKind = kKindColumnFrame;
                slots::ColumnWidth(*pLink, n) = nFrame;  // the slot after the widths
                bInFrame = true;
                nOpen = n;
                nColumn = 0;
            }
            list.Next();
            continue;
        }
        switch (pLink->m_nKind) {
            case kKindStartColumn:
                if (pColumn) closeColumn(std::move(pColumn));  // the last one had no end
                if (!bInFrame) continue;  // the frame is complete: this mark stands outside
                pColumn = takePending();
                delete list.Remove();
                break;
            case kKindEndColumn:
                closeColumn(pColumn ? std::move(pColumn) : takePending());
                delete list.Remove();
                break;
            default:
                if (!pColumn && !pPending) pPending = std::make_unique<CMyList>();
                (pColumn ? *pColumn : *pPending).Append(list.Remove());
                break;
        }
    }
    if (bInFrame) {
        // The markup ended inside a frame: close what is open and give the frame all its
        // columns; what waited between columns goes to the next (or the last) one.
        if (pColumn) closeColumn(std::move(pColumn));
        while (bInFrame)
            closeColumn(takePending());
    }
}

void CTesselEdit::OpenColumnEditors(DWORD crHotLink, int nCharSpace, int nLineSpace) {
    for (m_pList->First(); m_pList->IsInList(); m_pList->Next()) {
        CLink* pFrame = m_pList->GetCurr();
        if (pFrame->m_nKind != kKindColumnFrame) continue;
        const int n = slots::ColumnCount(*pFrame), f = FrameNumber(*pFrame);
        if (n < 1 || f < 0) continue;
        int nUsed = 0;
        for (int i = 0; i < n; ++i) {
            // The last column takes the rest of the line.
            if (i == n - 1)
                slots::ColumnWidth(*pFrame, i) =
                    tessel::editor::Extent(static_cast<long long>(m_rcEdit.Width()) - nUsed);
            int nWidth = slots::ColumnWidth(*pFrame, i);
            CTesselEdit* pEditor = m_pChildEdit[f][i];
            if (!pEditor) pEditor = m_pChildEdit[f][i] = new CTesselEdit;
            pEditor->m_pOwnerEdit = this;
            if (!pEditor->m_pList) pEditor->m_pList = new CMyList;
            if (pEditor->m_hWnd) {  // opened before (frames of the page when a paste adds one)
                nUsed = tessel::editor::Extent(static_cast<long long>(nUsed) + nWidth);
                continue;
            }
            pEditor->Edit(m_hWnd, CRect(0, 0, ColumnWindowWidth(nWidth), 0), crHotLink, nullptr,
                          nCharSpace, nLineSpace, 1.0);
            pEditor->ShowWindow(SW_HIDE);
            pEditor->m_nEditID = f * kMaxColumns + i;
            nUsed = tessel::editor::Extent(static_cast<long long>(nUsed) + nWidth);
        }
    }
}

CTesselEdit* CTesselEdit::MakeColumnEditor(int nFrame, int nColumn, int nWidth, CMyList* pList) {
    if (nFrame < 0 || nFrame >= kMaxFrames || nColumn < 0 || nColumn >= kMaxColumns) {
        delete pList;
        return nullptr;
    }
    delete m_pChildEdit[nFrame][nColumn];
    m_pChildEdit[nFrame][nColumn] = nullptr;
    auto pEditor = std::make_unique<CTesselEdit>();
    pEditor->m_pList = pList ? pList : new CMyList;
    pEditor->m_pOwnerEdit = this;
    if (!m_hWnd || !pEditor->Edit(m_hWnd, CRect(0, 0, ColumnWindowWidth(nWidth), 0), m_crHotLink,
                                  nullptr, m_nCharSpace, m_nLineSpace, 1.0))
        return nullptr;
    pEditor->ShowWindow(SW_HIDE);
    pEditor->m_nEditID = nFrame * kMaxColumns + nColumn;
    m_pChildEdit[nFrame][nColumn] = pEditor.get();
    return pEditor.release();
}

void CTesselEdit::DeleteMColumn(CLink* pFrame) {
    if (!pFrame) return;
    const int n = slots::ColumnCount(*pFrame), f = FrameNumber(*pFrame);
    if (f < 0) return;
    for (int i = 0; i < n; ++i) {
        delete m_pChildEdit[f][i];
        m_pChildEdit[f][i] = nullptr;
    }
}

void CTesselEdit::ReleaseColumnEditors() {
    for (auto& row : m_pChildEdit) {
        for (CTesselEdit*& pEditor : row) {
            delete pEditor;
            pEditor = nullptr;
        }
    }
}

void CTesselEdit::AppendFrameEntries(const CLink& frame,
                                     std::vector<tessel::editor::FlatEntry>& out) const {
    out.push_back({&frame, kKindMultiColumn});
    const int n = slots::ColumnCount(frame), f = FrameNumber(frame);
    for (int i = 0; i < n && i < kMaxColumns; ++i) {
        out.push_back({nullptr, kKindStartColumn});
        const CTesselEdit* pEditor = f >= 0 ? m_pChildEdit[f][i] : nullptr;
        if (pEditor && pEditor->m_pList)
            for (const CLink* p = pEditor->m_pList->FirstLink(); p; p = p->m_pNext)
                out.push_back({p, p->m_nKind});
        out.push_back({nullptr, kKindEndColumn});
    }
}

std::vector<tessel::editor::FlatEntry> CTesselEdit::FlatView() const {
    std::vector<tessel::editor::FlatEntry> view;
    if (!m_pList) return view;
    for (const CLink* p = m_pList->FirstLink(); p; p = p->m_pNext) {
        if (p->m_nKind == kKindColumnFrame)
            AppendFrameEntries(*p, view);
        else
            view.push_back({p, p->m_nKind});
    }
    return view;
}

void CTesselEdit::AppendFlatFrame(const CLink& frame, CMyList& out) {
    std::vector<tessel::editor::FlatEntry> entries;
    AppendFrameEntries(frame, entries);
    for (const tessel::editor::FlatEntry& entry : entries)
        out.Append(tessel::editor::CopyEntry(entry).release());
}

void CTesselEdit::FlattenInto(CMyList& flat) {
    for (const tessel::editor::FlatEntry& entry : FlatView())
        flat.Append(tessel::editor::CopyEntry(entry).release());
}
