#include "widgets/columns_dialog.h"

#include "widgets/string_table.h"

namespace tessel::widgets {

const DlgTemplate kColumnsTemplate{
    CColumnsDlg::kTemplateID,
    "Insert Columes",
    nullptr,
    {
        {IDC_STATIC, DlgItemKind::kLabel, "Account:", {0, 0}},
        {CColumnsDlg::kCountEdit, DlgItemKind::kEdit, "", {0, 1}},
        {IDC_STATIC, DlgItemKind::kLabel, "Height:", {1, 0}},
        {CColumnsDlg::kHeightEdit, DlgItemKind::kEdit, "", {1, 1}},
        {IDC_STATIC, DlgItemKind::kLabel, "Space:", {2, 0}},
        {CColumnsDlg::kSpaceEdit, DlgItemKind::kEdit, "", {2, 1}},
        {CColumnsDlg::kColumnList, DlgItemKind::kDropList, "", {3, 0}, 0, CSize(180, 0)},
        {CColumnsDlg::kWidthEdit, DlgItemKind::kEdit, "", {3, 1}},
    }};

}  // namespace tessel::widgets

CColumnsDlg::CColumnsDlg(CWnd* pParent) : CDialog(tessel::widgets::kColumnsTemplate, pParent) {}

BOOL CColumnsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    FillChooser();
    return TRUE;
}

void CColumnsDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, kCountEdit, m_nCount);
    DDV_MinMaxInt(pDX, m_nCount, 0, kMaxCount);
    DDX_Text(pDX, kHeightEdit, m_nHeight);
    DDV_MinMaxInt(pDX, m_nHeight, 0, 2000);
    DDX_Text(pDX, kSpaceEdit, m_nSpace);
    DDV_MinMaxInt(pDX, m_nSpace, 0, 400);
    // Nothing chosen (-1) keeps the column the width field stood for.
    int nChosen = m_nCurCol;
    DDX_CBIndex(pDX, kColumnList, nChosen);
    if (nChosen >= 0) m_nCurCol = nChosen;
    DDV_MinMaxInt(pDX, m_nCurCol, 0, kMaxCount - 1);
    DDX_Text(pDX, kWidthEdit, m_nWidth);
    DDV_MinMaxInt(pDX, m_nWidth, 10, 400);
}

void CColumnsDlg::OnCommand(int nID, UINT nCode) {
    if (nID == kCountEdit && nCode == EN_KILLFOCUS) {
        // The count is read first: it is known even when a later field is refused. A count
        // out of range leaves the chooser as it was.
        UpdateData(TRUE);
        if (m_nCount >= 0 && m_nCount <= kMaxCount) FillChooser();
    } else if (nID == kColumnList && nCode == CBN_SELCHANGE) {
        if (const int nChosen = GetCurSel(kColumnList); nChosen >= 0) m_nCurCol = nChosen;
    } else if (nID == kWidthEdit && nCode == EN_KILLFOCUS) {
        if (UpdateData(TRUE)) m_nWidths[m_nCurCol] = m_nWidth;
    }
}

void CColumnsDlg::FillChooser() {
    ResetContent(kColumnList);
    for (int i = 0; i < m_nCount && i < kMaxCount; ++i)
        AddString(kColumnList, tessel::widgets::LoadString(tessel::widgets::kStringColumnWidth1 +
                                                           static_cast<UINT>(i)));
    SetCurSel(kColumnList, -1);
    ScrollToTop(kColumnList);
}
