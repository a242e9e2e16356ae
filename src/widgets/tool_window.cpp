#include "widgets/tool_window.h"

#include <array>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "platform/fonts.h"
#include "resources/bitmaps.h"
#include "widgets/edit_commands.h"
#include "widgets/list_fields.h"
#include "widgets/string_table.h"

namespace {

using namespace tessel::commands;
using tessel::widgets::LoadString;

// A button of a tool bar: its image in the strip (-1 for a separator), its command, its kind,
// and where its tool tip is in the string table.
struct ButtonEntry {
    int nImage;
    UINT nCommand;
    std::uint8_t fsStyle;
    UINT nTipString;
    int nTipPiece;
};

constexpr ButtonEntry kSeparator{-1, 0, TBSTYLE_SEP, 0, 0};

constexpr std::array kInsertButtons = {
    ButtonEntry{0, kInsertImage, TBSTYLE_BUTTON, tessel::widgets::kStringInsertTips, 1},
    ButtonEntry{1, kInsertFormula, TBSTYLE_BUTTON, tessel::widgets::kStringInsertTips, 2},
    ButtonEntry{2, kInsertEdit, TBSTYLE_BUTTON, tessel::widgets::kStringInsertTips, 3},
    ButtonEntry{3, kInsertCheck, TBSTYLE_BUTTON, tessel::widgets::kStringInsertTips, 4},
    ButtonEntry{4, kInsertChoice, TBSTYLE_BUTTON, tessel::widgets::kStringInsertTips, 5},
    kSeparator,
    ButtonEntry{5, kInsertPageTotalScore, TBSTYLE_BUTTON, tessel::widgets::kStringInsertTips, 6},
    ButtonEntry{6, kInsertTotalScore, TBSTYLE_BUTTON, tessel::widgets::kStringInsertTips, 7},
    ButtonEntry{7, kInsertPageScore, TBSTYLE_BUTTON, tessel::widgets::kStringInsertTips, 8},
    kSeparator,
    ButtonEntry{8, kInsertMultiColumn, TBSTYLE_BUTTON, tessel::widgets::kStringFrameTips, 1},
    ButtonEntry{9, kHotLink, TBSTYLE_BUTTON, tessel::widgets::kStringFrameTips, 2},
    ButtonEntry{10, kRaised, TBSTYLE_CHECK, tessel::widgets::kStringFrameTips, 3},
    ButtonEntry{11, kLowered, TBSTYLE_CHECK, tessel::widgets::kStringFrameTips, 4},
    kSeparator,
    ButtonEntry{12, kCut, TBSTYLE_BUTTON, tessel::widgets::kStringFrameTips, 6},
    ButtonEntry{13, kCopy, TBSTYLE_BUTTON, tessel::widgets::kStringFrameTips, 5},
    ButtonEntry{14, kPaste, TBSTYLE_BUTTON, tessel::widgets::kStringFrameTips, 7},
    kSeparator,
    ButtonEntry{18, kImportText, TBSTYLE_BUTTON, tessel::widgets::kStringFrameTips, 8},
    ButtonEntry{19, kInsertSymbol, TBSTYLE_CHECK, tessel::widgets::kStringFrameTips, 9},
};

constexpr std::array kFormatButtons = {
    ButtonEntry{15, kBold, TBSTYLE_CHECK, tessel::widgets::kStringFormatTips, 1},
    ButtonEntry{16, kItalic, TBSTYLE_CHECK, tessel::widgets::kStringFormatTips, 2},
    ButtonEntry{17, kUnderline, TBSTYLE_CHECK, tessel::widgets::kStringFormatTips, 3},
};

constexpr UINT kInsertBarId = 53019;
constexpr UINT kFormatBarId = 53021;
constexpr UINT kColourButtonId = 323;
constexpr int kImageCount = 20;
constexpr CSize kImageSize{16, 15};
constexpr int kInitialSizeItem = 5;  // "24", which stands for the editor's initial 28 pixels
constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                            CCS_NODIVIDER | CCS_ADJUSTABLE | CCS_NOPARENTALIGN | CCS_NORESIZE;

template <std::size_t N>
bool AddButtons(CToolBarCtrl& bar, const std::array<ButtonEntry, N>& entries) {
    std::array<TBBUTTON, N> buttons{};
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i].iBitmap = entries[i].nImage < 0 ? 0 : entries[i].nImage;
        buttons[i].idCommand = static_cast<int>(entries[i].nCommand);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = entries[i].fsStyle;
    }
    return bar.AddButtons(static_cast<int>(N), buttons.data());
}

// The button strip from the library's bitmap resource (a whole BMP file).
bool LoadImages(CBitmap& bitmap) {
    const auto bytes = tessel::resources::BitmapResource(tessel::widgets::kToolBarBitmap);
    constexpr std::size_t kFileHeader = 14;
    if (bytes.size() < kFileHeader + sizeof(BITMAPINFOHEADER)) return false;
    std::uint32_t nBitsOffset = 0;
    std::memcpy(&nBitsOffset, bytes.data() + 10, sizeof nBitsOffset);
    if (nBitsOffset < kFileHeader + sizeof(BITMAPINFOHEADER) || nBitsOffset >= bytes.size())
        return false;
    // The header sits 14 bytes into the file: it is copied to an aligned place to be read.
    std::vector<std::uint32_t> aligned((bytes.size() - kFileHeader + 3) / 4);
    std::memcpy(aligned.data(), bytes.data() + kFileHeader, bytes.size() - kFileHeader);
    const auto* pStart = reinterpret_cast<const std::uint8_t*>(aligned.data());
    return bitmap.CreateFromDib(reinterpret_cast<const BITMAPINFO*>(pStart),
                                pStart + (nBitsOffset - kFileHeader));
}

}  // namespace

CEditToolWnd::~CEditToolWnd() {
    if (m_hWnd) DestroyWindow();
}

BOOL CEditToolWnd::Create(CTesselEdit* pEdit, CWnd* pEditWnd) {
    m_pEdit = pEdit;
    m_pEditWnd = pEditWnd;
    const char* szClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
    const std::string strTitle(LoadString(tessel::widgets::kStringToolWindowTitle));
    return CreateEx(WS_EX_TOOLWINDOW, szClass, strTitle.c_str(), WS_POPUP | WS_CAPTION, 100, 100,
                    kWidth, kHeight, pEditWnd ? pEditWnd->m_hWnd : nullptr, 0);
}

const MessageMap* CEditToolWnd::GetMessageMap() const {
    static constexpr MessageMapEntry kEntries[] = {
        MapMessage<WM_CREATE, &CEditToolWnd::OnCreate>(),
        MapMessage<WM_PAINT, &CEditToolWnd::OnPaint>(),
        MapMessage<WM_NOTIFY, &CEditToolWnd::OnNotify>(),
        MapNotify<kFontBox, CBN_SELCHANGE, &CEditToolWnd::OnBoxChange>(),
        MapNotify<kSizeBox, CBN_SELCHANGE, &CEditToolWnd::OnBoxChange>(),
        MapMessage<kColourChosenMessage, &CEditToolWnd::OnColourChosen>(),
        MapMessage<WM_KEYDOWN, &CEditToolWnd::OnKeyDown>(),
        MapMessage<WM_CHAR, &CEditToolWnd::OnChar>(),
    };
    static const MessageMap kMap{CWnd::GetThisMessageMap(), kEntries};
    return &kMap;
}

int CEditToolWnd::OnCreate(LPCREATESTRUCT) {
    // A control that cannot be made leaves the window without it; the editor checks the
    // window, not its controls.
    CreateControls();
    return 0;
}

bool CEditToolWnd::CreateControls() {
    bool bAll = true;
    const bool bImages = LoadImages(m_Images);
    for (CToolBarCtrl* pBar :
         {static_cast<CToolBarCtrl*>(&m_InsertBar), static_cast<CToolBarCtrl*>(&m_FormatBar)}) {
        const bool bInsert = pBar == &m_InsertBar;
        const CRect rc = bInsert ? CRect(0, 0, 430, 22) : CRect(205, 25, 275, 50);
        if (!pBar->Create(kBarStyle, rc, this, bInsert ? kInsertBarId : kFormatBarId)) {
            bAll = false;
            continue;
        }
        pBar->SetBitmapSize(kImageSize);
        if (bImages) pBar->AddBitmap(kImageCount, &m_Images);
        bAll &= bInsert ? AddButtons(*pBar, kInsertButtons) : AddButtons(*pBar, kFormatButtons);
        // The buttons' commands are the editor's.
        pBar->SetOwner(m_pEditWnd);
    }
    if (m_InsertBar.m_hWnd) m_InsertBar.SetState(kInsertMultiColumn, TBSTATE_INDETERMINATE);

    if (m_FontBox.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT,
                         CRect(0, 25, 128, 225), this, kFontBox)) {
        for (const std::string& strFace : tessel::platform::ScreenFontFamilies())
            m_FontBox.AddString(strFace.c_str());
        m_FontBox.SetCurSel(0);
    } else {
        bAll = false;
    }
    if (m_SizeBox.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                         CRect(130, 25, 203, 225), this, kSizeBox)) {
        const std::string_view strSizes = LoadString(tessel::widgets::kStringSizes);
        for (int i = 1;; ++i) {
            const std::string strItem = tessel::widgets::GetListField(strSizes, i);
            if (strItem.empty()) break;
            m_SizeBox.AddString(strItem.c_str());
        }
        m_SizeBox.SetCurSel(kInitialSizeItem);
    } else {
        bAll = false;
    }
    if (m_ColourBtn.Create("...", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(277, 26, 370, 46),
                           this, kColourButtonId))
        m_ColourBtn.LinkToEditor(m_pEditWnd);
    else
        bAll = false;
    return bAll;
}

// The window's background is the button face, as its class asks.
void CEditToolWnd::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(rc, GetSysColor(COLOR_3DFACE));
}

std::string CEditToolWnd::ToolTipOf(UINT nID) {
    auto find = [nID](std::span<const ButtonEntry> entries) -> std::string {
        for (const ButtonEntry& entry : entries)
            if (entry.nCommand == nID && entry.nTipString != 0)
                return tessel::widgets::GetListField(LoadString(entry.nTipString), entry.nTipPiece);
        return {};
    };
    std::string strTip = find(kInsertButtons);
    return strTip.empty() ? find(kFormatButtons) : strTip;
}

LRESULT CEditToolWnd::OnNotify(WPARAM, LPARAM lParam) {
    auto* pHeader = reinterpret_cast<NMHDR*>(lParam);
    if (!pHeader || pHeader->code != TTN_NEEDTEXT) return 0;
    auto* pTip = reinterpret_cast<TOOLTIPTEXT*>(pHeader);
    UINT_PTR nID = pHeader->idFrom;
    // A tool known by its window: the control's id.
    if (pTip->uFlags & TTF_IDISHWND)
        if (CWnd* pControl = CWnd::FromHandle(reinterpret_cast<HWND>(nID)))
            nID = pControl->GetDlgCtrlID();
    const std::string strTip = ToolTipOf(static_cast<UINT>(nID));
    std::strncpy(pTip->szText, strTip.c_str(), sizeof pTip->szText - 1);
    pTip->szText[sizeof pTip->szText - 1] = '\0';
    pTip->lpszText = pTip->szText;
    return 0;
}

// The boxes' selection changes and the picker's chosen colour are the editor's, posted as
// they came.
LRESULT CEditToolWnd::OnBoxChange(WPARAM wParam, LPARAM lParam) {
    if (m_pEditWnd && m_pEditWnd->m_hWnd) m_pEditWnd->PostMessage(WM_COMMAND, wParam, lParam);
    return 0;
}

LRESULT CEditToolWnd::OnColourChosen(WPARAM wParam, LPARAM lParam) {
    if (m_pEditWnd && m_pEditWnd->m_hWnd)
        m_pEditWnd->PostMessage(kColourChosenMessage, wParam, lParam);
    return 0;
}

BOOL CEditToolWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_CHAR) return FALSE;
    if (!m_pEditWnd || !m_pEditWnd->m_hWnd) return FALSE;
    m_pEditWnd->SetFocus();
    Forward(pMsg->message, pMsg->wParam, pMsg->lParam);
    return TRUE;
}

void CEditToolWnd::Forward(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pEditWnd && m_pEditWnd->m_hWnd) m_pEditWnd->SendMessage(message, wParam, lParam);
}

// Keys sent to the tool window itself (not typed by a user) go the same way.
void CEditToolWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    Forward(WM_KEYDOWN, nChar, static_cast<LPARAM>((nFlags << 16) | nRepCnt));
}

void CEditToolWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    Forward(WM_CHAR, nChar, static_cast<LPARAM>((nFlags << 16) | nRepCnt));
}

CToolBarCtrl* CEditToolWnd::BarOf(UINT nID) {
    return const_cast<CToolBarCtrl*>(std::as_const(*this).BarOf(nID));
}

const CToolBarCtrl* CEditToolWnd::BarOf(UINT nID) const {
    for (const CToolBarCtrl* pBar : {static_cast<const CToolBarCtrl*>(&m_InsertBar),
                                     static_cast<const CToolBarCtrl*>(&m_FormatBar)})
        if (pBar->m_hWnd && pBar->CommandToIndex(nID) >= 0) return pBar;
    return nullptr;
}

BOOL CEditToolWnd::IsButtonChecked(UINT nID) const {
    const CToolBarCtrl* pBar = BarOf(nID);
    return pBar && pBar->IsButtonChecked(static_cast<int>(nID));
}

void CEditToolWnd::CheckButton(UINT nID, BOOL bCheck) {
    if (CToolBarCtrl* pBar = BarOf(nID)) pBar->CheckButton(static_cast<int>(nID), bCheck);
}

void CEditToolWnd::SetButtonState(UINT nID, UINT nState) {
    if (CToolBarCtrl* pBar = BarOf(nID)) pBar->SetState(static_cast<int>(nID), nState);
}

int CEditToolWnd::GetButtonState(UINT nID) const {
    const CToolBarCtrl* pBar = BarOf(nID);
    return pBar ? pBar->GetState(static_cast<int>(nID)) : -1;
}
