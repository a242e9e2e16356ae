// The clipboard: private formats by name, opening and closing, and which formats the system
// clipboard holds. One window (or the process, for a null window) has the clipboard open at a
// time. A private format travels on the system clipboard as a MIME type named after it.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cctype>
#include <map>
#include <string>

#include "platform/window_qt.h"

namespace {

constexpr UINT kFirstPrivateFormat = 0xC000;
constexpr UINT kLastPrivateFormat = 0xFFFF;

struct Clipboard {
    std::map<std::string, UINT> formats;  // by lower-case name
    bool bOpen = false;
    HWND hOpener = nullptr;
};

Clipboard& TheClipboard() {
    static auto* pClipboard = new Clipboard;
    return *pClipboard;
}

}  // namespace

// Names are compared without regard to ASCII case, as Windows compares them.
UINT RegisterClipboardFormat(const char* szFormat) {
    if (szFormat == nullptr || *szFormat == '\0') return 0;
    std::string strKey(szFormat);
    for (char& ch : strKey)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    auto& formats = TheClipboard().formats;
    if (const auto it = formats.find(strKey); it != formats.end()) return it->second;
    const UINT nId = kFirstPrivateFormat + static_cast<UINT>(formats.size());
    if (nId > kLastPrivateFormat) return 0;
    formats.emplace(std::move(strKey), nId);
    return nId;
}

BOOL OpenClipboard(CWnd* pWnd) {
    Clipboard& clipboard = TheClipboard();
    if (clipboard.bOpen) return FALSE;
    clipboard.bOpen = true;
    clipboard.hOpener = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr;
    return TRUE;
}

BOOL CloseClipboard() {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.bOpen) return FALSE;
    clipboard.bOpen = false;
    clipboard.hOpener = nullptr;
    return TRUE;
}

namespace tessel::platform {

std::string PrivateFormatMimeType(UINT nFormat) {
    for (const auto& [strName, nId] : TheClipboard().formats)
        if (nId == nFormat) return "application/x-tessel-format-" + strName;
    return {};
}

}  // namespace tessel::platform

BOOL IsClipboardFormatAvailable(UINT nFormat) {
    if (QGuiApplication::instance() == nullptr) return FALSE;
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    if (pData == nullptr) return FALSE;
    if (nFormat == CF_TEXT) return pData->hasText() ? TRUE : FALSE;
    if (nFormat == CF_BITMAP) return pData->hasImage() ? TRUE : FALSE;
    const std::string strType = tessel::platform::PrivateFormatMimeType(nFormat);
    return !strType.empty() && pData->hasFormat(QString::fromStdString(strType)) ? TRUE : FALSE;
}
