#include "widgets/symbol_window.h"

CSymbolDlg::~CSymbolDlg() {
    if (m_hWnd) DestroyWindow();
}

BOOL CSymbolDlg::Create(CTesselEdit* pEdit, CWnd* pEditWnd) {
    m_pEdit = pEdit;
    const char* szClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
    return CreateEx(WS_EX_TOOLWINDOW, szClass, "Insert Symbol", WS_POPUP | WS_CAPTION, 120, 120,
                    kWidth, kHeight, pEditWnd ? pEditWnd->m_hWnd : nullptr, 0);
}
