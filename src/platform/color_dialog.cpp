// The colour dialog: answered by a test's or a tool's answerer when one is set, otherwise a
// modal QColorDialog (cancelled when there is no screen to show it on). Qt's dialog always
// shows its custom-colour part and takes any colour, so CC_FULLOPEN and CC_ANYCOLOR ask for
// nothing more.

#include "platform/color_dialog.h"

#include <QApplication>
#include <QColor>
#include <QColorDialog>

#include <utility>

#include "platform/gdi_qt.h"
#include "platform/window_qt.h"

namespace {

tessel::platform::ColorDialogAnswerer& TheAnswerer() {
    static auto* pAnswerer = new tessel::platform::ColorDialogAnswerer;
    return *pAnswerer;
}

// A COLORREF has no alpha: only the low three bytes are a colour.
constexpr COLORREF kColourBits = 0x00FFFFFF;

}  // namespace

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd)
    : m_clrInit(clrInit & kColourBits),
      m_dwFlags(dwFlags),
      m_pParent(pParentWnd),
      m_clrResult(clrInit & kColourBits) {}

int CColorDialog::DoModal() {
    m_clrResult = m_clrInit;
    std::optional<COLORREF> chosen;
    if (const auto& answerer = TheAnswerer()) {
        chosen = answerer(*this);
    } else {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
            !tessel::platform::HasRealScreen())
            return IDCANCEL;
        QColorDialog dialog(tessel::platform::ToQColor(m_clrInit),
                            tessel::platform::WidgetOf(m_pParent));
        dialog.setModal(true);
        if (dialog.exec() != QDialog::Accepted) return IDCANCEL;
        const QColor colour = dialog.selectedColor();
        if (!colour.isValid()) return IDCANCEL;
        chosen = tessel::platform::ToColorRef(colour.rgb());
    }
    if (!chosen) return IDCANCEL;
    m_clrResult = *chosen & kColourBits;
    return IDOK;
}

namespace tessel::platform {

void SetColorDialogAnswerer(ColorDialogAnswerer answerer) {
    TheAnswerer() = std::move(answerer);
}

}  // namespace tessel::platform
