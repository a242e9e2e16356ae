// Text from outside the keyboard: the characters of the Insert Symbol window, and plain-text
// files imported at the cursor.
#include "editor/tessel_edit.h"
#include "editor/text_import.h"
#include "platform/file_dialog.h"
#include "platform/file_path.h"
#include "widgets/symbol_window.h"

void CTesselEdit::OnInsertSymbol() {
    // The window serves the editor that made it; the command only shows or hides it.
    if (!g_pSymbolDlg || !g_pSymbolDlg->m_hWnd) return;
    if (g_pSymbolDlg->IsWindowVisible()) {
        g_pSymbolDlg->ShowWindow(SW_HIDE);
        return;
    }
    g_pSymbolDlg->ShowWindow(SW_SHOW);
}

LRESULT CTesselEdit::OnInsertSymbolChar(WPARAM wParam, LPARAM /*lParam*/) {
    const char symbol[2] = {static_cast<char>(wParam & 0xFF),
                            static_cast<char>((wParam >> 8) & 0xFF)};
    AddStringInCur(std::string(symbol, 2));
    return 0;
}

void CTesselEdit::OnInsertTxt() {
    CFileDialog dlg(TRUE, "*.txt", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "txt Files (*.txt)|*.txt|", this);
    if (dlg.DoModal() != IDOK) return;
    const std::string strPath = dlg.GetPathName();
    if (!strPath.empty()) OpenFile(strPath);
}

void CTesselEdit::OpenFile(const std::string& strPath) {
    // The name is the page's kind of name (GBK, perhaps with "\"): the platform finds the
    // file it means.
    const std::string strFile = tessel::platform::ResolvePath({}, strPath);
    const std::optional<std::string> bytes =
        tessel::platform::ReadFileStart(strFile, tessel::editor::kImportReadLimit);
    if (!bytes) return;
    const HCURSOR hOld = SetCursor(LoadCursor(IDC_WAIT));
    const bool bCut = bytes->size() == tessel::editor::kImportReadLimit;
    const std::string strText = tessel::editor::ImportedText(*bytes, bCut);
    SetCursor(hOld);
    if (!strText.empty()) AddStringInCur(strText);
}
