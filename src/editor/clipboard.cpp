// Cut, copy and paste. A cut or a copy puts the process's clip list on the clipboard under the
// private format "super text edit", together with the selection's plain text and its HTML for
// other programs. The private data name the list by this process and a serial number, so that
// a paste in the same process takes the list itself, and carry the elements as markup, so that
// an editor of another process gets every element and format. Paste takes the private format
// first, then HTML, then text, then a bitmap.
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "document/link_slots.h"
#include "editor/bmp_file.h"
#include "editor/clip_data.h"
#include "editor/tessel_edit.h"
#include "markup/html_writer.h"
#include "markup/word_analyzer.h"
#include "platform/file_dialog.h"
#include "platform/html_import.h"
#include "widgets/edit_commands.h"
#include "widgets/tool_window.h"

namespace slots = tessel::slots;
using tessel::editor::ClipData;

namespace {

// The number the platform gave the clipboard content of the last cut or copy.
unsigned long g_nClipContent = 0;

// Copies bytes into a new clipboard block (with a zero byte after them for text formats).
HGLOBAL NewBlock(std::string_view bytes, bool bZeroEnded) {
    HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, bytes.size() + (bZeroEnded ? 1 : 0));
    if (!hMem) return nullptr;
    auto* p = static_cast<char*>(GlobalLock(hMem));
    if (!bytes.empty()) std::copy(bytes.begin(), bytes.end(), p);
    GlobalUnlock(hMem);
    return hMem;
}

void SetBytes(UINT nFormat, std::string_view bytes, bool bZeroEnded) {
    if (HGLOBAL hMem = NewBlock(bytes, bZeroEnded); hMem && !SetClipboardData(nFormat, hMem))
        GlobalFree(hMem);
}

// The bytes of a clipboard block of the format; for a text format up to its zero byte.
std::string GetBytes(UINT nFormat, bool bZeroEnded) {
    auto hMem = static_cast<HGLOBAL>(GetClipboardData(nFormat));
    if (!hMem) return {};
    const auto* p = static_cast<const char*>(GlobalLock(hMem));
    std::string bytes(p, GlobalSize(hMem));
    GlobalUnlock(hMem);
    if (bZeroEnded) bytes.resize(std::string_view(bytes.c_str()).size());
    return bytes;
}

// This process among all that may share the system clipboard: a random number drawn once
// (never 0, which stands for no process).
unsigned long long ProcessToken() {
    static const unsigned long long nToken = [] {
        std::random_device device;
        const unsigned long long n = (static_cast<unsigned long long>(device()) << 32) ^ device();
        return n != 0 ? n : 1;
    }();
    return nToken;
}

bool HoldsFrame(const CMyList& list) {
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext)
        if (p->m_nKind == kKindMultiColumn || p->m_nKind == kKindColumnFrame) return true;
    return false;
}

// Text elements for the runs of formatted text another program put on the clipboard: what
// the HTML gives of face, size and colour, else the current format's; the styles as given.
CMyList* ListFromHtmlRuns(const std::vector<tessel::platform::HtmlRun>& runs,
                          const CharFormat& current) {
    auto* pList = new CMyList;
    for (const tessel::platform::HtmlRun& run : runs) {
        CharFormat fmt = current;
        if (!run.strFace.empty()) fmt.strFontName = run.strFace;
        if (run.nPixelSize > 0) fmt.nFontSize = run.nPixelSize;
        fmt.bBold = run.bBold;
        fmt.bItalic = run.bItalic;
        fmt.bUnderline = run.bUnderline;
        if (run.bColor) {
            fmt.nRed = run.nRed;
            fmt.nGreen = run.nGreen;
            fmt.nBlue = run.nBlue;
        }
        fmt.bRaised = run.nVertical == 1;
        fmt.bLowered = run.nVertical == 2;
        auto* p = new CLink;
        InitLink(p, fmt);
        slots::Text(*p) = run.strText;
        pList->Append(p);
    }
    return pList;
}

}  // namespace

CTesselEdit* CTesselEdit::FocusedColumn() {
    if (g_nFocusEdit == m_nEditID || g_nFocusEdit < 0) return this;
    return m_nEditID == -1 ? EditorById(g_nFocusEdit) : nullptr;
}

bool CTesselEdit::RoutedToColumn(void (CTesselEdit::*handler)()) {
    return RoutedToColumn([handler](CTesselEdit& column) { (column.*handler)(); });
}

bool CTesselEdit::RoutedToColumn(const std::function<void(CTesselEdit&)>& run) {
    CTesselEdit* pFocus = FocusedColumn();
    if (pFocus == this) return false;
    if (pFocus) {
        run(*pFocus);
        // The column editor ran the command for its parent: it notes its positions as if the
        // message had been its own.
        pFocus->m_RestPositions = pFocus->Positions();
    }
    return true;
}

int CTesselEdit::OnCut(CMyList* pList, int bToClipboard) {
    // The cut list of the last removal goes; this one starts empty. A cut to the clipboard
    // greys the Paste button until the timer finds the new content there.
    if (m_pCutList) {
        delete m_pCutList;
        if (bToClipboard)
            if (CEditToolWnd* pToolBar = ToolBar())
                pToolBar->SetButtonState(tessel::commands::kPaste, TBSTATE_INDETERMINATE);
    }
    m_pCutList = new CMyList;
    if (!pList || m_SelStart == m_SelEnd) return 0;
    if (!tessel::editor::LinkAt(*pList, std::min(m_SelStart, m_SelEnd).nLink)) {
        if (bToClipboard) AddpListToClip(m_pCutList);
        return 0;
    }
    tessel::editor::Document doc = Doc(*pList);
    tessel::editor::RemoveRange(doc, m_SelStart, m_SelEnd, m_pCutList, CurrentFormat());
    if (bToClipboard) AddpListToClip(m_pCutList);
    return 1;
}

void CTesselEdit::OnCopy(CMyList* pList) {
    delete m_pCutList;
    m_pCutList = new CMyList;
    if (pList) {
        tessel::editor::Document doc = Doc(*pList);
        tessel::editor::CopyRange(doc, m_SelStart, m_SelEnd, *m_pCutList);
    }
    AddpListToClip(m_pCutList);
}

void CTesselEdit::AddpListToClip(CMyList*& pList) {
    if (!pList || pList->IsEmpty()) return;
    // The list itself becomes the clip list: a copy of every element, and the release of the
    // list, would leave the same elements behind.
    std::unique_ptr<CMyList> pClip(pList);
    pList = nullptr;
    if (!OpenClipboard(this)) return;
    // Emptying the clipboard releases the list its private data referred to.
    EmptyClipboard();
    delete g_pClipList;
    g_pClipList = pClip.release();
    const unsigned long nSerial = ++g_nClipSerial;
    // The data are made when a program asks for them: a paste in this process takes the list
    // itself, and another program may never ask. Each is made from the clip list while it is
    // still the one the clipboard refers to.
    auto from = [nSerial](std::string (*make)(CMyList&)) {
        return [nSerial, make]() -> std::string {
            if (nSerial != g_nClipSerial || !g_pClipList) return {};
            return make(*g_pClipList);
        };
    };
    tessel::platform::SetClipboardDataLater(
        g_nClipFormat, from([](CMyList& list) {
            return ClipData{ProcessToken(), g_nClipSerial}.Write(list);
        }));
    // Beside it, for other programs: the plain text and the HTML of the same elements.
    tessel::platform::SetClipboardDataLater(
        CF_TEXT, from([](CMyList& list) { return tessel::editor::PlainTextOf(list); }));
    tessel::platform::SetClipboardDataLater(CF_HTML, from([](CMyList& list) {
                                                std::string html;
                                                tessel::markup::WriteHtml(html, list);
                                                return html;
                                            }));
    CloseClipboard();
    g_nClipContent = tessel::platform::OwnClipboardContent();
}

// The list the private data on the open clipboard stand for: this process's clip list itself
// when they name it (bOwned false: the clipboard keeps it), else a new list read from their
// markup. Null when the data cannot be read.
static CMyList* ClipboardList(bool& bOwned) {
    bOwned = false;
    // Still the content this process put there: the list itself, without making its data.
    const unsigned long nContent = tessel::platform::OwnClipboardContent();
    if (nContent != 0 && nContent == g_nClipContent && g_pClipList) return g_pClipList;
    const std::string bytes = GetBytes(g_nClipFormat, false);
    const std::optional<ClipData> data = ClipData::Read(bytes);
    if (!data) return nullptr;
    if (data->nProcess == ProcessToken() && data->nSerial == g_nClipSerial && g_pClipList)
        return g_pClipList;
    bOwned = true;
    return ClipData::ReadElements(bytes).release();
}

int CTesselEdit::GetpListFromClip(CMyList*& pList) {
    if (!OpenClipboard(this)) return 0;
    if (!IsClipboardFormatAvailable(g_nClipFormat)) {
        CloseClipboard();
        return 0;
    }
    bool bOwned = false;
    CMyList* pClip = ClipboardList(bOwned);
    if (!bOwned && pClip == g_pClipList) g_pClipList = nullptr;  // now the caller's
    delete pList;
    pList = pClip ? pClip : new CMyList;
    EmptyClipboard();
    CloseClipboard();
    return 1;
}

void CTesselEdit::EmptyMyClip() {
    if (!OpenClipboard(this)) return;
    if (IsClipboardFormatAvailable(g_nClipFormat)) {
        // Frames in the list are in their flat form: no column editors go with them.
        delete g_pClipList;
        g_pClipList = nullptr;
    }
    EmptyClipboard();
    CloseClipboard();
}

void CTesselEdit::ClearBuff() {
    delete m_pCutList;
    m_pCutList = nullptr;
    m_SelStart = m_SelEnd = TEXTPOS{};
}

int CTesselEdit::IsBuffEmpty() {
    return !m_pCutList && m_SelStart == TEXTPOS{} && m_SelEnd == TEXTPOS{} ? 1 : 0;
}

void CTesselEdit::OnInsertCut() {
    if (RoutedToColumn(&CTesselEdit::OnInsertCut)) return;
    // A cut that removed nothing (an empty selection) changed no element: only the view's
    // refresh of a copy follows.
    if (OnCut(m_pList, 1) != 0)
        FinishChange(nullptr);
    else
        RefreshAfterCopy();
    m_SelStart = m_SelEnd = TEXTPOS{};
}

void CTesselEdit::OnInsertCopy() {
    if (RoutedToColumn(&CTesselEdit::OnInsertCopy)) return;
    OnCopy(m_pList);
    RefreshAfterCopy();
    m_SelStart = m_SelEnd = TEXTPOS{};
}

void CTesselEdit::RefreshAfterCopy() {
    // The selection's highlight goes with the repaint of the whole window.
    DropCaret();
    Invalidate(TRUE);
    CClientDC dc(this);
    RefreshCaret(&dc);
}

void CTesselEdit::OnInsertPaste() {
    if (RoutedToColumn(&CTesselEdit::OnInsertPaste)) return;
    Paste(false);
}

void CTesselEdit::PastePlainText() {
    if (RoutedToColumn(&CTesselEdit::PastePlainText)) return;
    Paste(true);
}

void CTesselEdit::Paste(bool bPlain) {
    if (!m_pList) return;
    // What is pasted replaces the selection.
    const bool bRemoved = OnCut(m_pList, 0) != 0;
    auto finish = [&](bool bChanged) {
        if (bChanged) FinishChange(nullptr);
        m_SelStart = m_SelEnd = TEXTPOS{};
    };
    if (!OpenClipboard(this)) return finish(bRemoved);
    std::unique_ptr<CMyList> pOwned;
    const CMyList* pSource = nullptr;
    if (!bPlain && IsClipboardFormatAvailable(g_nClipFormat)) {
        bool bOwned = false;
        CMyList* pClip = ClipboardList(bOwned);
        if (bOwned) pOwned.reset(pClip);
        pSource = pClip;
    } else if (!bPlain && IsClipboardFormatAvailable(CF_HTML)) {
        pOwned.reset(ListFromHtmlRuns(tessel::platform::ReadHtmlRuns(GetBytes(CF_HTML, true)),
                                      CurrentFormat()));
        pSource = pOwned.get();
    } else if (IsClipboardFormatAvailable(CF_TEXT)) {
        // One Text element in the current format holds the whole text, line ends as they are.
        pOwned = std::make_unique<CMyList>();
        auto* p = new CLink;
        InitLink(p, CurrentFormat());
        slots::Text(*p) = GetBytes(CF_TEXT, true);
        pOwned->Append(p);
        pSource = pOwned.get();
    } else if (!bPlain && IsClipboardFormatAvailable(CF_BITMAP)) {
        // The picture is the whole paste: with the selection it replaced, one change.
        const bool bInserted = InsertClipboardBitmap();
        CloseClipboard();
        if (bInserted || bRemoved) FinishChange(nullptr);
        return;
    }
    CloseClipboard();
    // Frames do not nest: a column editor takes nothing from a list that holds one.
    if (!pSource || (m_nEditID != -1 && HoldsFrame(*pSource))) return finish(bRemoved);
    InsertListInCurr(*pSource);
    delete m_pCutList;
    m_pCutList = nullptr;
    finish(true);
}

void CTesselEdit::PastBmpCopy() {
    if (InsertClipboardBitmap()) FinishChange(nullptr);
}

bool CTesselEdit::InsertClipboardBitmap() {
    auto hBitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    if (!hBitmap) return false;
    CFileDialog dialog(FALSE, "*.bmp", "1.bmp", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "BMP Files (*.bmp)|*.bmp|", this);
    if (dialog.DoModal() != IDOK) return false;
    const std::string strPath = dialog.GetPathName();
    if (strPath.empty() || !WriteBmpFile(hBitmap, strPath.c_str())) return false;
    auto* p = new CLink;
    p->m_nKind = kKindImage;
    p->m_Command[0].nType = kParamText;
    slots::FileName(*p) = strPath;
    p->m_Command[1].nType = kParamNumber;
    slots::ImageTransparent(*p) = 0;
    p->m_Command[2].nType = kParamNumber;
    slots::ImageScale(*p) = 100;
    InsertLinkInCurr(p, m_pList);
    return true;
}

void CTesselEdit::InsertListInCurr(const CMyList& list) {
    if (!m_pList) return;
    // Frames arrive in their flat form: they are folded into frame elements with column editors
    // of this editor before they go in, so that the cursor keeps counting document elements.
    CMyList pasted;
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext) {
        if (p->m_nKind == kKindColumnFrame) continue;  // a frame without its columns
        auto* pCopy = new CLink;
        CopyLink(pCopy, p);
        pasted.Append(pCopy);
    }
    const bool bFrames = m_nEditID == -1 && HoldsFrame(pasted);
    if (bFrames) FoldFrames(pasted);
    pasted.First();
    while (CLink* p = pasted.Remove())
        InsertLinkInCurr(p, m_pList);
    if (bFrames) OpenColumnEditors(m_crHotLink, m_nCharSpace, m_nLineSpace);
}

namespace tessel::editor {

std::optional<int> PrivateClipElementCount() {
    if (!g_nClipFormat) g_nClipFormat = RegisterClipboardFormat("super text edit");
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<int> nCount;
    if (IsClipboardFormatAvailable(g_nClipFormat)) {
        bool bOwned = false;
        CMyList* pList = ClipboardList(bOwned);
        nCount = pList ? ElementCount(*pList) : 0;
        if (bOwned) delete pList;
    }
    CloseClipboard();
    return nCount;
}

bool PutForeignClip(const std::string& strMarkup) {
    if (!g_nClipFormat) g_nClipFormat = RegisterClipboardFormat("super text edit");
    CMyList list;
    CWordAnalyzer().Convert(strMarkup.c_str(), &list);
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    // Process 0 with serial 0 names no list of this process.
    SetBytes(g_nClipFormat, ClipData{0, 0}.Write(list), false);
    if (const std::string text = PlainTextOf(list); !text.empty()) SetBytes(CF_TEXT, text, true);
    std::string html;
    tessel::markup::WriteHtml(html, list);
    if (!html.empty()) SetBytes(CF_HTML, html, true);
    CloseClipboard();
    return true;
}

}  // namespace tessel::editor
