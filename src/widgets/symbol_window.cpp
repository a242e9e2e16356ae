// The Insert Symbol window: a tab for each symbol set and a grid that shows the set of the
// selected tab. The window never reaches into the editor: the chosen symbol goes to the
// editor's window as a message, and the editor inserts it at its caret.

#include "widgets/symbol_window.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/file_dialog.h"
#include "widgets/edit_commands.h"
#include "widgets/list_fields.h"
#include "widgets/string_table.h"

namespace tessel::widgets {

namespace {

// Every byte is written as an escape: a second byte may have the code of an ASCII character,
// and nothing in these texts is a separator or an escape of its own.
constexpr std::array<std::string_view, kSymbolSets> kSets = {
    // Maths symbols.
    "\xA1\xC0\xA1\xC1\xA1\xC2\xA1\xC4\xA1\xC5\xA1\xC6\xA1\xC7\xA1\xC8\xA1\xC9\xA1\xCA\xA1\xCB"
    "\xA1\xCC\xA1\xCD\xA1\xCE\xA1\xCF\xA1\xD0\xA1\xD1\xA1\xD2\xA1\xD3\xA1\xD4\xA1\xD5\xA1\xD6"
    "\xA1\xD7\xA1\xD8\xA1\xD9\xA1\xDA\xA1\xDB\xA1\xDC\xA1\xDD\xA1\xDE\xA1\xDF\xA1\xE0\xA3\xAB"
    "\xA3\xAD\xA3\xAF\xA3\xBC\xA3\xBD\xA3\xBE",
    // Greek letters, capitals then small ones.
    "\xA6\xA1\xA6\xA2\xA6\xA3\xA6\xA4\xA6\xA5\xA6\xA6\xA6\xA7\xA6\xA8\xA6\xA9\xA6\xAA\xA6\xAB"
    "\xA6\xAC\xA6\xAD\xA6\xAE\xA6\xAF\xA6\xB0\xA6\xB1\xA6\xB2\xA6\xB3\xA6\xB4\xA6\xB5\xA6\xB6"
    "\xA6\xB7\xA6\xB8\xA6\xC1\xA6\xC2\xA6\xC3\xA6\xC4\xA6\xC5\xA6\xC6\xA6\xC7\xA6\xC8\xA6\xC9"
    "\xA6\xCA\xA6\xCB\xA6\xCC\xA6\xCD\xA6\xCE\xA6\xCF\xA6\xD0\xA6\xD1\xA6\xD2\xA6\xD3\xA6\xD4"
    "\xA6\xD5\xA6\xD6\xA6\xD7\xA6\xD8",
    // Punctuation.
    "\xA1\xA2\xA1\xA3\xA1\xA4\xA1\xA5\xA1\xA6\xA1\xA7\xA1\xA8\xA1\xA9\xA1\xAA\xA1\xAB\xA1\xAC"
    "\xA1\xAD\xA1\xAE\xA1\xAF\xA1\xB0\xA1\xB1\xA1\xB2\xA1\xB3\xA1\xB4\xA1\xB5\xA1\xB6\xA1\xB7"
    "\xA1\xB8\xA1\xB9\xA1\xBA\xA1\xBB\xA1\xBC\xA1\xBD\xA1\xBE\xA1\xBF\xA1\xC3\xA3\xA1\xA3\xA2"
    "\xA3\xA7\xA3\xA8\xA3\xA9\xA3\xAC\xA3\xAE\xA3\xBA\xA3\xBB\xA3\xBF\xA3\xDB\xA3\xDD\xA3\xE0"
    "\xA3\xFB\xA3\xFC\xA3\xFD",
    // Units and currencies.
    "\xA1\xE3\xA1\xE4\xA1\xE5\xA1\xE6\xA1\xE7\xA1\xE8\xA1\xE9\xA1\xEA\xA1\xEB\xA3\xA4\xA3\xA5",
    // Numbers with a full stop, in parentheses, in circles, in parenthesised ideographs, and
    // Roman numerals.
    "\xA2\xB1\xA2\xB2\xA2\xB3\xA2\xB4\xA2\xB5\xA2\xB6\xA2\xB7\xA2\xB8\xA2\xB9\xA2\xBA\xA2\xBB"
    "\xA2\xBC\xA2\xBD\xA2\xBE\xA2\xBF\xA2\xC0\xA2\xC1\xA2\xC2\xA2\xC3\xA2\xC4\xA2\xC5\xA2\xC6"
    "\xA2\xC7\xA2\xC8\xA2\xC9\xA2\xCA\xA2\xCB\xA2\xCC\xA2\xCD\xA2\xCE\xA2\xCF\xA2\xD0\xA2\xD1"
    "\xA2\xD2\xA2\xD3\xA2\xD4\xA2\xD5\xA2\xD6\xA2\xD7\xA2\xD8\xA2\xD9\xA2\xDA\xA2\xDB\xA2\xDC"
    "\xA2\xDD\xA2\xDE\xA2\xDF\xA2\xE0\xA2\xE1\xA2\xE2\xA2\xE5\xA2\xE6\xA2\xE7\xA2\xE8\xA2\xE9"
    "\xA2\xEA\xA2\xEB\xA2\xEC\xA2\xED\xA2\xEE\xA2\xF1\xA2\xF2\xA2\xF3\xA2\xF4\xA2\xF5\xA2\xF6"
    "\xA2\xF7\xA2\xF8\xA2\xF9\xA2\xFA\xA2\xFB\xA2\xFC",
    // Zhuyin (the old phonetic alphabet).
    "\xA8\xC5\xA8\xC6\xA8\xC7\xA8\xC8\xA8\xC9\xA8\xCA\xA8\xCB\xA8\xCC\xA8\xCD\xA8\xCE\xA8\xCF"
    "\xA8\xD0\xA8\xD1\xA8\xD2\xA8\xD3\xA8\xD4\xA8\xD5\xA8\xD6\xA8\xD7\xA8\xD8\xA8\xD9\xA8\xDA"
    "\xA8\xDB\xA8\xDC\xA8\xDD\xA8\xDE\xA8\xDF\xA8\xE0\xA8\xE1\xA8\xE2\xA8\xE3\xA8\xE4\xA8\xE5"
    "\xA8\xE6\xA8\xE7\xA8\xE8\xA8\xE9",
    // Marks, shapes, arrows and signs.
    "\xA1\xEC\xA1\xED\xA1\xEE\xA1\xEF\xA1\xF0\xA1\xF1\xA1\xF2\xA1\xF3\xA1\xF4\xA1\xF5\xA1\xF6"
    "\xA1\xF7\xA1\xF8\xA1\xF9\xA1\xFA\xA1\xFB\xA1\xFC\xA1\xFD\xA1\xFE\xA3\xA3\xA3\xA6\xA3\xC0"
    "\xA3\xDC\xA3\xDE\xA3\xDF\xA3\xFE",
};

}  // namespace

std::string_view SymbolSet(int nTab) {
    return nTab >= 0 && nTab < kSymbolSets ? kSets[static_cast<std::size_t>(nTab)]
                                           : std::string_view();
}

int SymbolCount(int nTab) {
    return static_cast<int>(SymbolSet(nTab).size() / 2);
}

std::string_view SymbolAt(int nTab, int nIndex) {
    if (nIndex < 0 || nIndex >= SymbolCount(nTab)) return {};
    return SymbolSet(nTab).substr(static_cast<std::size_t>(nIndex) * 2, 2);
}

}  // namespace tessel::widgets

namespace {

using tessel::widgets::SymbolAt;
using tessel::widgets::SymbolCount;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kCells = CSymbolGrid::kColumns * CSymbolGrid::kRows;

// A cell less its lines: the rectangle a highlight fills.
CRect Shrunk(const CRect& rc) {
    return CRect(rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1);
}

CPoint CentreOf(int nIndex) {
    return CSymbolGrid::CellRect(nIndex).CenterPoint();
}

}  // namespace

// --- The grid ------------------------------------------------------------------------------------

CSymbolGrid::~CSymbolGrid() = default;

BOOL CSymbolGrid::Create(CWnd* pParentWnd, int x, int y) {
    if (pParentWnd == nullptr) return FALSE;
    MakeFont();
    // Double clicks reach the grid; it shows no cursor of its own.
    const char* szClass = AfxRegisterWndClass(CS_DBLCLKS, nullptr);
    return CreateEx(0, szClass, "", WS_CHILD | WS_VISIBLE | WS_BORDER, x, y, kWidth, kHeight,
                    pParentWnd->GetSafeHwnd(), 0);
}

// The symbols' font: the Song face of Chinese Windows at 16 pixels, the size its screen
// font draws them in, so that a symbol fills its cell less the lines and the margin.
bool CSymbolGrid::MakeFont() {
    if (m_Font.IsValid()) return true;
    LOGFONT lf;
    lf.lfHeight = -16;
    lf.lfCharSet = GB2312_CHARSET;
    std::strcpy(lf.lfFaceName, "SimSun");
    return m_Font.CreateFontIndirect(&lf);
}

int CSymbolGrid::HitTest(CPoint point) const {
    if (point.x < 0 || point.y < 0 || point.x >= kWidth || point.y >= kHeight) return -1;
    const int nCell = (point.y / kCell) * kColumns + point.x / kCell;
    return nCell < SymbolCount(m_nCategory) ? nCell : -1;
}

CRect CSymbolGrid::CellRect(int nIndex) {
    const int x = kCell * (nIndex % kColumns);
    const int y = kCell * (nIndex / kColumns);
    return CRect(x, y, x + kCell, y + kCell);
}

const MessageMap* CSymbolGrid::GetThisMessageMap() {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_PAINT, &CSymbolGrid::OnPaint>(),
        MapMessage<WM_LBUTTONDOWN, &CSymbolGrid::OnLButtonDown>(),
        MapMessage<WM_LBUTTONDBLCLK, &CSymbolGrid::OnLButtonDblClk>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}

const MessageMap* CSymbolGrid::GetMessageMap() const {
    return GetThisMessageMap();
}

void CSymbolGrid::OnPaint() {
    CPaintDC dc(this);
    // The class's white background.
    dc.FillSolidRect(CRect(0, 0, kWidth, kHeight), kWhite);
    CPen pen(PS_SOLID, 1, kBlack);
    dc.SelectObject(&pen);
    for (int y = kCell; y < kHeight; y += kCell) {
        dc.MoveTo(0, y);
        dc.LineTo(kWidth, y);
    }
    for (int x = kCell; x < kWidth; x += kCell) {
        dc.MoveTo(x, 0);
        dc.LineTo(x, kHeight);
    }
    if (!MakeFont()) return;
    dc.SelectObject(&m_Font);
    dc.SetBkMode(TRANSPARENT);
    const int nCount = std::min(SymbolCount(m_nCategory), kCells);
    for (int i = 0; i < nCount; ++i) {
        const CRect rc = CellRect(i);
        if (i == m_nSelected) {
            dc.FillSolidRect(Shrunk(rc), kBlack);
            dc.SetTextColor(kWhite);
            dc.TextOut(rc.left + 1, rc.top + 1, SymbolAt(m_nCategory, i));
        } else {
            dc.SetTextColor(kBlack);
            dc.TextOut(rc.left + 2, rc.top + 2, SymbolAt(m_nCategory, i));
        }
    }
}

// The highlight moves at once, drawn over what is shown: the symbol left goes back to
// black on the window colour, the symbol pressed turns white on black.
void CSymbolGrid::OnLButtonDown(UINT, CPoint point) {
    const int nCell = HitTest(point);
    {
        CClientDC dc(this);
        if (MakeFont()) dc.SelectObject(&m_Font);
        dc.SetBkMode(TRANSPARENT);
        if (m_nSelected >= 0 && m_nSelected != nCell) {
            const CRect rc = CellRect(m_nSelected);
            dc.FillSolidRect(Shrunk(rc), GetSysColor(COLOR_WINDOW));
            dc.SetTextColor(kBlack);
            dc.TextOut(rc.left + 2, rc.top + 2, SymbolAt(m_nCategory, m_nSelected));
        }
        if (nCell >= 0 && nCell != m_nSelected) {
            const CRect rc = CellRect(nCell);
            dc.FillSolidRect(Shrunk(rc), kBlack);
            dc.SetTextColor(kWhite);
            dc.TextOut(rc.left + 2, rc.top + 2, SymbolAt(m_nCategory, nCell));
        }
    }
    m_nSelected = nCell;
    Default();
}

void CSymbolGrid::OnLButtonDblClk(UINT, CPoint) {
    CWnd* pTabs = GetParent();
    CWnd* pWindow = pTabs != nullptr ? pTabs->GetParent() : nullptr;
    if (pWindow != nullptr) pWindow->PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// --- The window ----------------------------------------------------------------------------------

CSymbolDlg::~CSymbolDlg() {
    if (m_hWnd) DestroyWindow();
}

BOOL CSymbolDlg::Create(CTesselEdit* pEdit, CWnd* pEditWnd) {
    m_pEdit = pEdit;
    m_hEditWnd = pEditWnd != nullptr ? pEditWnd->GetSafeHwnd() : nullptr;
    const char* szClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursor(IDC_ARROW));
    // Shown, it leaves the keyboard with the page: it is a palette that symbols are taken
    // from, not a place to type.
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, szClass, "Insert Symbol",
                    WS_POPUP | WS_CAPTION, 120, 120, kWidth, kHeight, m_hEditWnd, 0);
}

const MessageMap* CSymbolDlg::GetThisMessageMap() {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_CREATE, &CSymbolDlg::OnCreate>(),
        MapMessage<WM_PAINT, &CSymbolDlg::OnPaint>(),
        MapMessage<WM_CLOSE, &CSymbolDlg::OnClose>(),
        MapMessage<WM_NOTIFY, &CSymbolDlg::OnNotify>(),
        MapCommand<IDOK, &CSymbolDlg::OnOK>(),
        MapCommand<IDCANCEL, &CSymbolDlg::OnCancel>(),
    };
    static const MessageMap map{CWnd::GetThisMessageMap(), kEntries};
    return &map;
}

const MessageMap* CSymbolDlg::GetMessageMap() const {
    return GetThisMessageMap();
}

// The tabs, labelled with the fields of the category list in order, and the grid in the
// tab control's pane.
int CSymbolDlg::OnCreate(LPCREATESTRUCT) {
    if (!m_TabCtrl.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, kWidth, kHeight), this,
                          tessel::widgets::kSymbolTabsId))
        return -1;
    const std::string_view strSets =
        tessel::widgets::LoadString(tessel::widgets::kStringSymbolSets);
    for (int i = 0; i < tessel::widgets::kSymbolSets; ++i)
        m_TabCtrl.InsertItem(i, tessel::widgets::GetListField(strSets, i + 1).c_str());
    if (!m_Grid.Create(&m_TabCtrl, kGridLeft, kGridTop)) return -1;
    return 0;
}

void CSymbolDlg::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(rc, GetSysColor(COLOR_BTNFACE));
}

void CSymbolDlg::OnClose() {
    ShowWindow(SW_HIDE);
}

void CSymbolDlg::OnCancel() {
    ShowWindow(SW_HIDE);
}

LRESULT CSymbolDlg::OnNotify(WPARAM, LPARAM lParam) {
    const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (pHeader != nullptr && pHeader->idFrom == tessel::widgets::kSymbolTabsId &&
        pHeader->hwndFrom == m_TabCtrl.GetSafeHwnd() && pHeader->code == TCN_SELCHANGE)
        OnSelChange();
    return 0;
}

void CSymbolDlg::OnSelChange() {
    m_Grid.m_nCategory = m_TabCtrl.GetCurSel();
    m_Grid.m_nSelected = -1;
    m_Grid.Invalidate();
    Invalidate();
}

void CSymbolDlg::OnOK() {
    const std::string_view strSymbol = SymbolAt(m_Grid.m_nCategory, m_Grid.m_nSelected);
    if (strSymbol.size() != 2) return;
    CWnd* pEditWnd = CWnd::FromHandle(m_hEditWnd);
    if (pEditWnd == nullptr) return;
    const WPARAM wParam = static_cast<unsigned char>(strSymbol[0]) |
                          (static_cast<WPARAM>(static_cast<unsigned char>(strSymbol[1])) << 8);
    pEditWnd->SendMessage(tessel::commands::kInsertSymbolCharMessage, wParam, 0);
}

BOOL CSymbolDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg == nullptr) return FALSE;
    const bool bEnter = pMsg->wParam == VK_RETURN;
    const bool bEscape = pMsg->wParam == VK_ESCAPE;
    if (pMsg->message == WM_KEYDOWN && (bEnter || bEscape)) {
        if (bEnter)
            OnOK();
        else
            OnCancel();
        return TRUE;
    }
    // The characters these keys type (a carriage return, an escape) are spent with them.
    if (pMsg->message == WM_CHAR && (pMsg->wParam == '\r' || pMsg->wParam == 0x1B)) return TRUE;
    return FALSE;
}

// --- What a user does ----------------------------------------------------------------------------

bool CSymbolDlg::SelectTab(int nTab) {
    if (nTab < 0 || nTab >= m_TabCtrl.GetItemCount()) return false;
    m_TabCtrl.ChooseItem(nTab);
    return true;
}

void CSymbolDlg::ClickCell(CPoint point) {
    if (m_Grid.GetSafeHwnd() == nullptr) return;
    const LPARAM lParam = MAKELPARAM(point.x, point.y);
    m_Grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    m_Grid.SendMessage(WM_LBUTTONUP, 0, lParam);
}

void CSymbolDlg::DoubleClickCell(CPoint point) {
    if (m_Grid.GetSafeHwnd() == nullptr) return;
    const LPARAM lParam = MAKELPARAM(point.x, point.y);
    ClickCell(point);
    m_Grid.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, lParam);
    m_Grid.SendMessage(WM_LBUTTONUP, 0, lParam);
}

bool CSymbolDlg::ClickSymbol(int nIndex) {
    if (nIndex < 0 || nIndex >= kCells) return false;
    ClickCell(CentreOf(nIndex));
    return true;
}

bool CSymbolDlg::DoubleClickSymbol(int nIndex) {
    if (nIndex < 0 || nIndex >= kCells) return false;
    DoubleClickCell(CentreOf(nIndex));
    return true;
}

bool CSymbolDlg::SavePicture(const std::string& strPngPath) {
    CBitmap bitmap;
    return tessel::platform::CaptureWindow(this, bitmap) && bitmap.SavePng(strPngPath);
}
