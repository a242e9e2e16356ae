#pragma once

// The platform's file-open and file-save dialogs, shaped like the Windows common dialog the
// editor is written against. Tests and tools answer them instead of a user (SetFileDialogAnswerer);
// a dialog that would have to be shown with no screen to show it on (the offscreen platform)
// and no answerer is cancelled.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/wnd.h"

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class CFileDialog {
  public:
    // bOpenFileDialog: an open dialog (else a save dialog). szDefExt: the extension added to
    // a name typed without one ("bmp" or "*.bmp"). szFileName: the name the dialog starts
    // with. szFilter: "Name|pattern;pattern|Name|pattern|" pairs, ended by "|". Texts are GBK.
    CFileDialog(BOOL bOpenFileDialog, const char* szDefExt = nullptr,
                const char* szFileName = nullptr, DWORD dwFlags = 0, const char* szFilter = nullptr,
                CWnd* pParentWnd = nullptr);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    int DoModal();
    // The chosen file's full path (GBK, as the document keeps names); empty before DoModal
    // returned IDOK.
    std::string GetPathName() const;
    // The chosen file's name without its folder.
    std::string GetFileName() const;

    bool IsOpenDialog() const { return m_bOpen; }
    const std::string& DefaultExtension() const { return m_strDefExt; }
    const std::string& InitialFileName() const { return m_strFileName; }
    const std::string& Filter() const { return m_strFilter; }
    DWORD Flags() const { return m_dwFlags; }

    // Makes the dialog a folder picker with the title, starting in the folder (empty: the
    // current one): a folder is chosen (an answerer answers with a folder's path), and
    // GetPathName gives it with a "/" at its end.
    void SetFolderMode(std::string_view strTitle, std::string_view strInitialFolder);
    bool IsFolderDialog() const { return m_bFolder; }
    const std::string& Title() const { return m_strTitle; }
    const std::string& InitialFolder() const { return m_strInitialFolder; }

  private:
    bool m_bOpen;
    std::string m_strDefExt;
    std::string m_strFileName;
    DWORD m_dwFlags;
    std::string m_strFilter;
    CWnd* m_pParent;
    std::string m_strPath;
    bool m_bFolder = false;
    std::string m_strTitle;
    std::string m_strInitialFolder;
};

namespace tessel::platform {

// While an answerer is set, every file dialog asks it instead of showing a window: it gets
// the dialog as the editor set it up and returns the chosen path (GBK; a relative path is
// taken from the current directory) or nothing for Cancel. An empty function removes it.
using FileDialogAnswerer = std::function<std::optional<std::string>(const CFileDialog& dialog)>;
void SetFileDialogAnswerer(FileDialogAnswerer answerer);

}  // namespace tessel::platform
