#include "widgets/question_dialogs.h"

#include <cstdio>

#include "widgets/list_fields.h"
#include "widgets/string_table.h"

namespace tessel::widgets {

namespace {

// The size of the place a colour picker goes into.
constexpr CSize kPickerSize{80, 22};

}  // namespace

const DlgTemplate kEditFrameTemplate{
    449,
    "Edit",
    "Property",
    {
        {IDC_STATIC, DlgItemKind::kLabel, "Standard Result:", {0, 0}},
        {CEditFrameDlg::kResultId, DlgItemKind::kEdit, "", {0, 1}},
        {IDC_STATIC, DlgItemKind::kLabel, "Insert Width:", {1, 0}},
        {CEditFrameDlg::kWidthId, DlgItemKind::kEdit, "", {1, 1}},
        {IDC_STATIC, DlgItemKind::kLabel, "Insert height:", {2, 0}},
        {CEditFrameDlg::kHeightId, DlgItemKind::kEdit, "", {2, 1}},
        {IDC_STATIC, DlgItemKind::kLabel, "Style:", {3, 0}},
        {CEditFrameDlg::kStyleId, DlgItemKind::kDropList, "", {3, 1}, DIF_SORT},
        // The pickers draw only their colour: a label beside each names it.
        {IDC_STATIC, DlgItemKind::kLabel, "Font Color", {4, 0}},
        {CEditFrameDlg::kFontColorId, DlgItemKind::kHost, "Font Color", {4, 1}, 0, kPickerSize},
        {IDC_STATIC, DlgItemKind::kLabel, "Background Color", {5, 0}},
        {CEditFrameDlg::kBackColorId,
         DlgItemKind::kHost,
         "Background Color",
         {5, 1},
         0,
         kPickerSize},
    }};

const DlgTemplate kJudgmentTemplate{
    450,
    "Judgment",
    "Property",
    {
        {CJudgmentDlg::kCorrectId, DlgItemKind::kCheck, "The answer is: Correct ", {0, 0, 2}},
        {CJudgmentDlg::kPageLabelId, DlgItemKind::kLabel, "Page Score", {1, 0}, DIF_HIDDEN},
        {CJudgmentDlg::kPageListId, DlgItemKind::kDropList, "", {1, 1}, DIF_SORT | DIF_HIDDEN},
    }};

const DlgTemplate kOptionsTemplate{
    451,
    "Options",
    "Property",
    {
        {IDC_STATIC, DlgItemKind::kLabel, "Insert the amout of options ", {0, 0}},
        {COptionsDlg::kAmountId, DlgItemKind::kEdit, "", {0, 1}},
        {IDC_STATIC, DlgItemKind::kLabel, "Insert the right option's tap", {1, 0}},
        {COptionsDlg::kRightId, DlgItemKind::kEdit, "", {1, 1}},
    }};

}  // namespace tessel::widgets

// --- The edit frame ------------------------------------------------------------------------------

CEditFrameDlg::CEditFrameDlg(CWnd* pParent)
    : CDialog(tessel::widgets::kEditFrameTemplate, pParent) {}

int CEditFrameDlg::DoModal() {
    const int nResult = CDialog::DoModal();
    // The pickers' places belong to this run's controls, which the next run builds anew.
    m_btnFontColor.DestroyWindow();
    m_btnBackColor.DestroyWindow();
    return nResult;
}

CColourPicker* CEditFrameDlg::PickerOf(int nID) {
    if (nID == kFontColorId) return &m_btnFontColor;
    if (nID == kBackColorId) return &m_btnBackColor;
    return nullptr;
}

BOOL CEditFrameDlg::OnInitDialog() {
    tessel::widgets::FillComboFromList(
        *this, kStyleId, tessel::widgets::LoadString(tessel::widgets::kStringEditFrameStyles));
    for (const int nID : {kFontColorId, kBackColorId}) {
        CColourPicker& picker = *PickerOf(nID);
        picker.DestroyWindow();
        if (CWnd* pHost = HostOf(nID)) {
            const DlgItem* pItem = nullptr;
            for (const DlgItem& item : Template().items)
                if (item.nID == nID) pItem = &item;
            picker.Create(pItem->szText, WS_CHILD | WS_VISIBLE,
                          CRect(0, 0, pItem->size.cx, pItem->size.cy), pHost,
                          static_cast<UINT>(nID));
        }
    }
    m_btnBackColor.SetColour(m_clrBack);
    m_btnFontColor.SetColour(m_clrFont);
    return CDialog::OnInitDialog();
}

void CEditFrameDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, kResultId, m_strResult);
    DDX_Text(pDX, kWidthId, m_nWidth);
    DDX_Text(pDX, kHeightId, m_nHeight);
    DDX_CBIndex(pDX, kStyleId, m_nStyle);
}

void CEditFrameDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    if (m_nHeight < kMinHeight) {
        MessageBox("The height of Edit Frame is not enough!");
        return;
    }
    // A narrow frame is only warned about.
    if (m_nWidth < kMinWidth) MessageBox("The width of Edit frame is not enough!");
    m_clrBack = m_btnBackColor.GetColour();
    m_clrFont = m_btnFontColor.GetColour();
    EndDialog(IDOK);
}

bool CEditFrameDlg::SetHostValue(int nID, std::string_view strValue) {
    CColourPicker* pPicker = PickerOf(nID);
    if (!pPicker || strValue.size() != 6) return false;
    unsigned int nRgb = 0;
    for (const char c : strValue) {
        int nDigit = 0;
        if (c >= '0' && c <= '9')
            nDigit = c - '0';
        else if (c >= 'a' && c <= 'f')
            nDigit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            nDigit = c - 'A' + 10;
        else
            return false;
        nRgb = nRgb * 16 + static_cast<unsigned int>(nDigit);
    }
    const COLORREF crColour = RGB((nRgb >> 16) & 0xFF, (nRgb >> 8) & 0xFF, nRgb & 0xFF);
    // The popup tells the picker a choice with CPN_SELENDOK.
    if (pPicker->GetSafeHwnd())
        pPicker->SendMessage(CPN_SELENDOK, static_cast<WPARAM>(crColour), 0);
    else
        pPicker->SetColour(crColour);
    return true;
}

// --- The judgement and the page of a score field ------------------------------------------------

CJudgmentDlg::CJudgmentDlg(int nMode, CWnd* pParent)
    : CDialog(tessel::widgets::kJudgmentTemplate, pParent), m_nMode(nMode) {}

BOOL CJudgmentDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_nMode == kPageScore || m_nMode == kPageTotalScore) {
        ShowItem(kCorrectId, false);
        ShowItem(kPageLabelId, true);
        ShowItem(kPageListId, true);
        if (m_pPageList) {
            for (const std::string& strPage : *m_pPageList)
                AddString(kPageListId, strPage);
            int nChosen = 0;
            for (int i = 0; i < GetCount(kPageListId); ++i)
                if (GetLBText(kPageListId, i) == m_strPage) {
                    nChosen = i;
                    break;
                }
            SetCurSel(kPageListId, GetCount(kPageListId) > 0 ? nChosen : -1);
        }
        const char* szTitle = m_nMode == kPageScore ? "Page Score" : "Total Score";
        SetDlgItemText(kPageLabelId, szTitle);
        SetWindowText(szTitle);
    }
    return TRUE;
}

void CJudgmentDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Check(pDX, kCorrectId, m_bCorrect);
    // The list is filled and its entry chosen when the dialog opens; only its text comes back.
    if (pDX->m_bSaveAndValidate) DDX_CBString(pDX, kPageListId, m_strPage);
}

// --- The choice
// ------------------------------------------------------------------------------------

COptionsDlg::COptionsDlg(CWnd* pParent) : CDialog(tessel::widgets::kOptionsTemplate, pParent) {}

void COptionsDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, kAmountId, m_nAmount);
    DDV_MinMaxInt(pDX, m_nAmount, 0, kMaxAmount);
    DDX_Text(pDX, kRightId, m_nRight);
}

void COptionsDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    if (m_nRight >= 1 && m_nRight <= m_nAmount) {
        EndDialog(IDOK);
        return;
    }
    char szMessage[64];
    std::snprintf(szMessage, sizeof szMessage, "The answer must be in1-%d", m_nAmount);
    MessageBox(szMessage);
}
