#pragma once

// The platform's full colour dialog, shaped like the Windows common dialog. Tests and tools
// answer it instead of a user (SetColorDialogAnswerer); a dialog that would have to be shown
// with no screen to show it on (the offscreen platform) and no answerer is cancelled.

#include <functional>
#include <optional>

#include "platform/file_dialog.h"
#include "platform/gdi.h"
#include "platform/wnd.h"

inline constexpr DWORD CC_RGBINIT = 0x00000001;   // start with the given colour
inline constexpr DWORD CC_FULLOPEN = 0x00000002;  // the custom-colour part open at once
inline constexpr DWORD CC_ANYCOLOR = 0x00000100;  // every colour, not only solid ones

class CColorDialog {
  public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
    // IDOK when a colour was chosen, IDCANCEL otherwise.
    int DoModal();
    // The chosen colour after IDOK; the initial colour before and after a cancel.
    COLORREF GetColor() const { return m_clrResult; }
    COLORREF InitialColor() const { return m_clrInit; }
    DWORD Flags() const { return m_dwFlags; }

  private:
    COLORREF m_clrInit;
    DWORD m_dwFlags;
    CWnd* m_pParent;
    COLORREF m_clrResult;
};

namespace tessel::platform {

// While an answerer is set, every colour dialog asks it instead of showing a window: it gets
// the dialog as its caller set it up and returns the chosen colour or nothing for Cancel. An
// empty function removes it.
using ColorDialogAnswerer = std::function<std::optional<COLORREF>(const CColorDialog& dialog)>;
void SetColorDialogAnswerer(ColorDialogAnswerer answerer);

}  // namespace tessel::platform
