// The editor window as a whole: construction, opening, the message map, painting, scrolling
// and handing the markup back.
#include <cmath>
#include <cstring>

#include "editor/edit_extent.h"
#include "editor/tessel_edit.h"
#include "widgets/edit_commands.h"
#include "widgets/symbol_window.h"
#include "widgets/tool_window.h"

namespace {
using namespace tessel::commands;
constexpr int kToolBarGap = 20;  // the tool window floats this far above the editor
}  // namespace

CTesselEdit::CTesselEdit() = default;

CTesselEdit::~CTesselEdit() {
    *m_pAlive = false;
    ReleaseColumnEditors();
    delete m_pList;
    delete m_pCutList;
    delete m_pCaretBmp;
    delete m_pMemBitmap;
    delete m_pToolBar;
    if (m_bOwnsSymbolDlg && g_pSymbolDlg) {
        delete g_pSymbolDlg;
        g_pSymbolDlg = nullptr;
    }
    if (m_hWnd) DestroyWindow();
}

CharFormat CTesselEdit::CurrentFormat() const {
    CharFormat fmt;
    fmt.strFontName = m_strFontName;
    fmt.nFontSize = m_nFontSize;
    fmt.bItalic = m_bItalic;
    fmt.bBold = m_bBold;
    fmt.bUnderline = m_bUnderline;
    fmt.nRed = m_nRed;
    fmt.nGreen = m_nGreen;
    fmt.nBlue = m_nBlue;
    fmt.bRaised = m_bRaised;
    fmt.bLowered = m_bLowered;
    fmt.nHotLink = m_nHotLink;
    return fmt;
}

int CTesselEdit::Edit(QWidget* pParent, CRect rect, DWORD crHotLink, const char* pszText,
                      int nCharSpace, int nLineSpace, double dZoom) {
    CWnd* pHost = tessel::platform::AttachWidget(pParent);
    return Edit(pHost ? pHost->m_hWnd : nullptr, rect, crHotLink, pszText, nCharSpace, nLineSpace,
                dZoom);
}

int CTesselEdit::Edit(HWND hWndParent, CRect rect, DWORD crHotLink, const char* pszText,
                      int nCharSpace, int nLineSpace, double dZoom) {
    m_hIBeam = LoadCursor(IDC_IBEAM);
    m_hArrow = LoadCursor(IDC_ARROW);
    const char* szClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, m_hIBeam);
    if (!CreateEx(WS_EX_TRANSPARENT, szClass, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                  rect.Width(), rect.Height(), hWndParent, 0))
        return 0;
    g_nClipFormat = RegisterClipboardFormat("super text edit");
    m_dZoom = dZoom;

    // One Insert Symbol window serves the process. The top-level editor that finds none makes
    // it and is the one that destroys it, so the slot never points at a destroyed window
    // while that editor lives; column editors never touch it.
    if (pszText && !g_pSymbolDlg) {
        auto* pSymbols = new CSymbolDlg;
        if (pSymbols->Create(this, this)) {
            pSymbols->ShowWindow(SW_HIDE);
            g_pSymbolDlg = pSymbols;
            m_bOwnsSymbolDlg = true;
        } else {
            delete pSymbols;
        }
    }

    CRect rcClient;
    GetClientRect(&rcClient);
    m_rcEdit = CRect(0, 0, rcClient.Width(), rcClient.Height());
    m_crHotLink = crHotLink;
    m_nCharSpace = nCharSpace;
    m_nLineSpace = nLineSpace;
    m_nEditID = -1;
    g_nFocusEdit = -1;

    if (pszText) {
        delete m_pList;
        m_pList = new CMyList;
        m_Analyzer.Convert(pszText, m_pList);
    }
    if (m_pList) {
        PrevCreateList();
        OpenColumnEditors(crHotLink, nCharSpace, nLineSpace);
        // Each column editor took the focus as its window was made; the editor the host
        // opened is the one to type in.
        if (pszText) {
            SetFocus();
            g_nFocusEdit = m_nEditID;
        }
    }

    if (pszText) {
        SetTimer(kClipboardTimer, kClipboardTimerMs);
        m_pToolBar = new CEditToolWnd;
        if (m_pToolBar->Create(this, this)) {
            CRect rcBar;
            m_pToolBar->GetWindowRect(&rcBar);
            CPoint origin(0, 0);
            ClientToScreen(&origin);
            m_pToolBar->MoveWindow(origin.x, origin.y - rcBar.Height() - kToolBarGap, rcBar.Width(),
                                   rcBar.Height(), TRUE);
            m_pToolBar->ShowWindow(SW_SHOW);
        }
    }
    CreateMenu();

    m_nViewOrgY = 0;
    m_CurPos = m_SelStart = m_SelEnd = TEXTPOS{};
    CClientDC dc(this);
    SetRow(&dc);
    // A top-level editor keeps the history of its page, the columns' changes included.
    if (pszText) {
        m_pHistory = std::make_unique<tessel::editor::UndoHistory>();
        m_pHistory->Reset(FlatView());
    }
    m_RestPositions = Positions();
    return 1;
}

int CTesselEdit::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
    SetFocus();
    g_nFocusEdit = m_nEditID;
    return 0;
}

void CTesselEdit::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
    CWnd::OnActivate(nState, pWndOther, bMinimized);
    g_nFocusEdit = m_nEditID;
}

void CTesselEdit::OnKillFocus(CWnd* pNewWnd) {
    CWnd::OnKillFocus(pNewWnd);
}

void CTesselEdit::OnDestroy() {
    DestroyCursor(m_hIBeam);
    DestroyCursor(m_hArrow);
    m_hIBeam = m_hArrow = nullptr;
    if (m_pToolBar) {  // a top-level editor
        KillTimer(kClipboardTimer);
        if (!OpenClipboard(this)) return;
        CloseClipboard();
    }
    if (m_bOwnsSymbolDlg && g_pSymbolDlg) {
        delete g_pSymbolDlg;
        g_pSymbolDlg = nullptr;
        m_bOwnsSymbolDlg = false;
    }
    CWnd::OnDestroy();
}

void CTesselEdit::OnPaint() {
    CPaintDC dc(this);
    if (!m_pList) return;
    // The layout is done again unless nothing it reads has changed since the last one (the
    // exit sequence of every change lays the page out just before the paint it asks for).
    if (!m_bLayoutReusable || LayoutDigest() != m_nLaidOutDigest) {
        SetRow(&dc);
        // What the layout writes into the page (the sizes of formulas it measured for the first
        // time, its tidying) is part of the page as it stands, not a change to undo.
        if (CTesselEdit& owner = HistoryOwner(); owner.m_pHistory)
            owner.m_pHistory->Absorb(owner.FlatView());
    }
    ExcludeChildWndClip(this, &dc, nullptr);
    DrawMyList(&dc, m_pList, m_Row, m_rcEdit);
    ReShowPartSelected(&dc, m_SelStart, m_SelEnd, 1);
    // Only the editor that has the user's attention takes the process's one caret, so that
    // painting a column does not pull the caret away from the editor being typed in.
    if (g_nFocusEdit == m_nEditID) RefreshCaret(&dc);
}

void CTesselEdit::ExcludeChildWndClip(CWnd* pWnd, CDC* pDC, CWnd* pChild) {
    auto exclude = [&](CWnd* pOne) {
        if (!pOne->m_hWnd || !pOne->IsWindowVisible()) return;
        CRect rc;
        pOne->GetWindowRect(&rc);
        pWnd->ScreenToClient(&rc);
        pDC->ExcludeClipRect(rc);
    };
    if (pChild) {
        exclude(pChild);
        return;
    }
    for (CWnd* pOne : pWnd->GetChildren())
        exclude(pOne);
}

int CTesselEdit::SetMyViewPort(CDC* pDC) {
    // The cursor's row by the movement rule, and its top.
    const int r = MovementRow(m_Row, m_CurPos);
    int y = 0;
    for (int i = 0; i < r; ++i)
        tessel::editor::Advance(y, m_Row[i].nHeight);
    const int nRowHeight = m_Row[r].IsEndMarker() ? 0 : m_Row[r].nHeight;
    const int nScrolled = std::abs(m_nViewOrgY);
    const int nView = m_rcEdit.bottom;
    if (y + nRowHeight > nScrolled + nView) {
        m_nViewOrgY = nView - (y + nRowHeight);
    } else if (y < nScrolled) {
        m_nViewOrgY = -y;
    } else {
        return 0;
    }
    if (pDC) pDC->SetViewportOrg(0, m_nViewOrgY);
    return 1;
}

int CTesselEdit::GetEditText(char* pszBuffer) {
    if (!m_pList || m_pList->IsEmpty()) return 1;
    std::string out = GetEditText();
    std::memcpy(pszBuffer, out.c_str(), out.size() + 1);
    return 1;
}

std::string CTesselEdit::GetEditText() {
    std::string out;
    if (!m_pList || m_pList->IsEmpty()) return out;
    CMyList flat;
    FlattenInto(flat);
    m_Analyzer.CodeGeneration(out, &flat, 0);
    return out;
}

void CTesselEdit::SetDirPrj(const std::string& strDir) {
    m_strDirPrj = strDir;
}

void CTesselEdit::SetStringArray(const CStringArray* pMedia, const CStringArray* pPage,
                                 const CStringArray* pIdent) {
    m_saMedia = pMedia ? *pMedia : CStringArray{};
    m_saPage = pPage ? *pPage : CStringArray{};
    m_saIdent = pIdent ? *pIdent : CStringArray{};
}

const MessageMap* CTesselEdit::GetMessageMap() const {
    using E = CTesselEdit;
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_CREATE, &E::OnCreate>(),
        MapMessage<WM_KEYDOWN, &E::OnKeyDown>(),
        MapMessage<WM_LBUTTONDOWN, &E::OnLButtonDown>(),
        MapMessage<WM_CHAR, &E::OnChar>(),
        MapMessage<WM_KEYUP, &E::OnKeyUp>(),
        MapMessage<WM_LBUTTONUP, &E::OnLButtonUp>(),
        MapMessage<WM_MOUSEMOVE, &E::OnMouseMove>(),
        MapMessage<WM_DESTROY, &E::OnDestroy>(),
        MapMessage<WM_PAINT, &E::OnPaint>(),
        MapNotify<kFontBox, CBN_SELCHANGE, &E::OnSelchangeComboFont>(),
        MapNotify<kSizeBox, CBN_SELCHANGE, &E::OnSelchangeComboSize>(),
        MapCommand<kInsertImage, &E::OnInsertImage>(),
        MapCommand<kInsertFormula, &E::OnInsertFomular>(),
        MapCommand<kInsertEdit, &E::OnInsertEdit>(),
        MapCommand<kInsertCheck, &E::OnInsertCheck>(),
        MapCommand<kInsertChoice, &E::OnInsertChoice>(),
        MapCommand<kInsertPageTotalScore, &E::OnInsertPageTotalScore>(),
        MapCommand<kInsertTotalScore, &E::OnInsertTotalScore>(),
        MapCommand<kInsertPageScore, &E::OnInsertPageScore>(),
        MapCommand<kInsertMultiColumn, &E::OnInsertMColumn>(),
        MapCommand<kHotLink, &E::OnInsertHLink>(),
        MapCommand<kCut, &E::OnInsertCut>(),
        MapCommand<kCopy, &E::OnInsertCopy>(),
        MapCommand<kPaste, &E::OnInsertPaste>(),
        MapCommand<kPastePlain, &E::PastePlainText>(),
        MapCommand<kSelectAll, &E::SelectAll>(),
        MapCommand<kUndo, &E::UndoCommand>(),
        MapCommand<kRedo, &E::RedoCommand>(),
        MapCommand<kBold, &E::OnInsertBond>(),
        MapCommand<kItalic, &E::OnInsertItalic>(),
        MapCommand<kUnderline, &E::OnInsertULine>(),
        MapCommand<kRaised, &E::OnbtnFootUp>(),
        MapCommand<kProperties, &E::OnbtnPro>(),
        MapCommand<kLowered, &E::OnbtnFootDown>(),
        MapMessage<WM_LBUTTONDBLCLK, &E::OnLButtonDblClk>(),
        MapMessage<WM_RBUTTONDOWN, &E::OnRButtonDown>(),
        MapMessage<WM_RBUTTONUP, &E::OnRButtonUp>(),
        MapMessage<WM_KILLFOCUS, &E::OnKillFocus>(),
        MapMessage<WM_ACTIVATE, &E::OnActivate>(),
        MapMessage<WM_TIMER, &E::OnTimer>(),
        MapMessage<WM_SETCURSOR, &E::OnSetCursor>(),
        MapCommand<kImportText, &E::OnInsertTxt>(),
        MapCommand<kInsertSymbol, &E::OnInsertSymbol>(),
        MapMessage<tessel::commands::kColourChosenMessage, &E::OnSelchangeComboColor>(),
        MapMessage<tessel::commands::kInsertSymbolCharMessage, &E::OnInsertSymbolChar>(),
    };
    static const MessageMap kMap{CWnd::GetThisMessageMap(), kEntries};
    return &kMap;
}
