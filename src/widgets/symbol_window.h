#pragma once

#include "platform/wnd.h"

class CTesselEdit;

// The modeless Insert Symbol window. One exists per process (the editor keeps it in
// g_pSymbolDlg); it is created hidden and shown by the Insert Symbol command.
class CSymbolDlg : public CWnd {
  public:
    static constexpr int kWidth = 460;
    static constexpr int kHeight = 230;

    CSymbolDlg() = default;
    ~CSymbolDlg() override;

    // Creates the window, titled "Insert Symbol", owned by the editor's window. Non-zero on
    // success.
    BOOL Create(CTesselEdit* pEdit, CWnd* pEditWnd);

    CTesselEdit* m_pEdit = nullptr;  // not owned
};
