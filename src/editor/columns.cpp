// Multi-column frames: building them from the markup's flat form, their column editors, and
// the flat form again for writing.
#include <algorithm>
#include <memory>

#include "document/link_slots.h"
#include "editor/edit_extent.h"
#include "editor/edit_frames.h"
#include "editor/tessel_edit.h"
#include "widgets/columns_dialog.h"
#include "widgets/string_table.h"

namespace slots = tessel::slots;

namespace {

using tessel::editor::FrameNumber;

// Every editor takes the keyboard focus as its window is made. Opening column editors gives
// it back to the window that had it (to the editor that opens them when none had), and the
// focus number with it, so that the keys go on where they went.
class FocusKeeper {
  public:
    explicit FocusKeeper(CWnd& editor) : m_editor(editor), m_nFocusEdit(g_nFocusEdit) {
        if (CWnd* pFocus = CWnd::GetFocus()) m_hFocus = pFocus->m_hWnd;
    }
    ~FocusKeeper() {
        if (!m_bOpened) return;
        CWnd* pFocus = CWnd::FromHandle(m_hFocus);
        (pFocus ? pFocus : &m_editor)->SetFocus();
        g_nFocusEdit = m_nFocusEdit;
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;
    void Opened() { m_bOpened = true; }

  private:
    CWnd& m_editor;
    HWND m_hFocus = nullptr;
    int m_nFocusEdit;
    bool m_bOpened = false;
};

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
// Column editors that no frame of the list has (those of a page the list replaced) are
// released first, so that the page's frames are numbered from 0. Then the last column of
// every frame takes the rest of the line: the editor's width less the other columns (the
// gaps are not subtracted).
void CTesselEdit::PrevCreateList() {
    if (!m_pList) return;
    bool bOwned[kMaxFrames][kMaxColumns] = {};
    for (const CLink* p = m_pList->FirstLink(); p; p = p->m_pNext) {
        if (p->m_nKind != kKindColumnFrame) continue;
        const int n = tessel::editor::FrameColumns(*p), f = FrameNumber(*p);
        for (int i = 0; f >= 0 && i < n; ++i)
            bOwned[f][i] = true;
    }
    for (int f = 0; f < kMaxFrames; ++f) {
        for (int i = 0; i < kMaxColumns; ++i) {
            if (bOwned[f][i] || !m_pChildEdit[f][i]) continue;
            delete m_pChildEdit[f][i];
            m_pChildEdit[f][i] = nullptr;
        }
    }
    FoldFrames(*m_pList);
    for (CLink* p = m_pList->FirstLink(); p; p = p->m_pNext) {
        if (p->m_nKind != kKindColumnFrame) continue;
        const int n = tessel::editor::FrameColumns(*p);
        if (n < 1) continue;
        long long nUsed = 0;
        for (int i = 0; i + 1 < n; ++i)
            nUsed += slots::ColumnWidth(*p, i);
        slots::ColumnWidth(*p, n - 1) = tessel::editor::Extent(m_rcEdit.Width() - nUsed);
    }
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
    // The widths are the frames' own: set when the page was read (PrevCreateList), entered
    // when the frame was inserted, or carried by what a paste or an undo brings back.
    FocusKeeper focus(*this);
    for (m_pList->First(); m_pList->IsInList(); m_pList->Next()) {
        CLink* pFrame = m_pList->GetCurr();
        if (pFrame->m_nKind != kKindColumnFrame) continue;
        const int n = slots::ColumnCount(*pFrame), f = FrameNumber(*pFrame);
        if (n < 1 || f < 0) continue;
        for (int i = 0; i < n; ++i) {
            CTesselEdit* pEditor = m_pChildEdit[f][i];
            if (!pEditor) pEditor = m_pChildEdit[f][i] = new CTesselEdit;
            pEditor->m_pOwnerEdit = this;
            if (!pEditor->m_pList) pEditor->m_pList = new CMyList;
            // Opened before (frames of the page when a paste adds one).
            if (pEditor->m_hWnd) continue;
            pEditor->Edit(m_hWnd, CRect(0, 0, ColumnWindowWidth(slots::ColumnWidth(*pFrame, i)), 0),
                          crHotLink, nullptr, nCharSpace, nLineSpace, 1.0);
            focus.Opened();
            pEditor->ShowWindow(SW_HIDE);
            pEditor->m_nEditID = f * kMaxColumns + i;
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
    FocusKeeper focus(*this);
    auto pEditor = std::make_unique<CTesselEdit>();
    pEditor->m_pList = pList ? pList : new CMyList;
    pEditor->m_pOwnerEdit = this;
    if (!m_hWnd) return nullptr;
    focus.Opened();
    if (!pEditor->Edit(m_hWnd, CRect(0, 0, ColumnWindowWidth(nWidth), 0), m_crHotLink, nullptr,
                       m_nCharSpace, m_nLineSpace, 1.0))
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
        if (!m_pChildEdit[f][i]) continue;
        // The commands never go to an editor that is gone.
        if (g_nFocusEdit == f * kMaxColumns + i) g_nFocusEdit = m_nEditID;
        delete m_pChildEdit[f][i];
        m_pChildEdit[f][i] = nullptr;
    }
}

void CTesselEdit::DestroyMColumn(CLink* pFrame) {
    if (!pFrame) return;
    const int n = slots::ColumnCount(*pFrame), f = FrameNumber(*pFrame);
    if (f < 0) return;
    for (int i = 0; i < n; ++i) {
        CTesselEdit* pColumn = m_pChildEdit[f][i];
        if (!pColumn || !pColumn->m_hWnd) continue;
        if (g_nFocusEdit == f * kMaxColumns + i) g_nFocusEdit = m_nEditID;
        // The drawing of the frame makes the window again, should the frame come back.
        pColumn->DestroyWindow();
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

// The Insert Columes command. Every column but the last has the width entered for it; the
// last takes the rest of the line, the gaps included, so that the frame fills the line. The
// command is not routed to a column editor: frames do not nest, so with a column's caret it
// ends after the dialog, and so it does when all eight frames of the editor are taken.
void CTesselEdit::OnInsertMColumn() {
    if (!m_pList) return;
    CColumnsDlg dialog(this);
    if (dialog.DoModal() != IDOK) return;
    const int n = std::clamp(dialog.m_nCount, 0, kMaxColumns);
    int widths[kMaxColumns] = {};
    long long nUsed = 0;
    for (int i = 0; i + 1 < n; ++i) {
        widths[i] = dialog.m_nWidths[i];
        nUsed += static_cast<long long>(widths[i]) + dialog.m_nSpace;
    }
    if (n > 0) widths[n - 1] = tessel::editor::Extent(m_rcEdit.Width() - nUsed);

    if (g_nFocusEdit != m_nEditID || m_nEditID != -1) return;
    int f = 0;
    while (f < kMaxFrames && m_pChildEdit[f][0])
        ++f;
    if (f == kMaxFrames) return;

    auto* pFrame = new CLink;
    pFrame->m_nKind = kKindColumnFrame;
    slots::ColumnCount(*pFrame) = n;
    slots::ColumnGap(*pFrame) = dialog.m_nSpace;
    for (int i = 0; i < n; ++i)
        slots::ColumnWidth(*pFrame, i) = widths[i];
    slots::ColumnWidth(*pFrame, n) = f;  // the slot after the widths: the frame number
    const int nBefore = tessel::editor::LinkCount(*m_pList);
    InsertLinkInCurr(pFrame, m_pList);
    if (tessel::editor::LinkCount(*m_pList) == nBefore) return;  // no place to insert at

    // Each column starts with a text of its own in the current format.
    const CharFormat format = CurrentFormat();
    for (int i = 0; i < n; ++i) {
        auto* pText = new CLink;
        InitLink(pText, format);
        slots::Text(*pText) = tessel::widgets::LoadString(tessel::widgets::kStringColumnMatter);
        auto* pColumn = new CMyList;
        pColumn->Append(pText);
        MakeColumnEditor(f, i, widths[i], pColumn);
    }
    FinishChange(nullptr);
}
