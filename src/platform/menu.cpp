// Popup menus: a list of items, shown as a Qt menu on a real screen, or handed to the
// chooser that tests and tools set.

#include <QGuiApplication>
#include <QMenu>

#include "platform/window_qt.h"

namespace {

constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED;

tessel::platform::MenuChooser& Chooser() {
    static auto* pChooser = new tessel::platform::MenuChooser;
    return *pChooser;
}

bool IsEnabledItem(const CMenu::Item& item) {
    return (item.nFlags & (MF_SEPARATOR | kStateFlags)) == 0;
}

}  // namespace

CMenu::CMenu() = default;
CMenu::~CMenu() = default;

BOOL CMenu::CreatePopupMenu() {
    if (m_bCreated) return FALSE;
    m_bCreated = true;
    m_items.clear();
    return TRUE;
}

BOOL CMenu::DestroyMenu() {
    if (!m_bCreated) return FALSE;
    m_bCreated = false;
    m_items.clear();
    return TRUE;
}

bool CMenu::IsCreated() const {
    return m_bCreated;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* szNewItem) {
    if (!m_bCreated) return FALSE;
    Item item;
    item.nFlags = nFlags & (MF_SEPARATOR | kStateFlags);
    if ((nFlags & MF_SEPARATOR) == 0) {
        item.nID = nIDNewItem;
        item.strText = szNewItem != nullptr ? szNewItem : "";
    }
    m_items.push_back(std::move(item));
    return TRUE;
}

namespace {

// The index of the item named by nItem (a command id or a position), or -1.
template <class Items>
int FindItem(const Items& items, UINT nItem, UINT nFlags) {
    if ((nFlags & MF_BYPOSITION) != 0) return nItem < items.size() ? static_cast<int>(nItem) : -1;
    for (size_t i = 0; i < items.size(); ++i)
        if ((items[i].nFlags & MF_SEPARATOR) == 0 && items[i].nID == nItem)
            return static_cast<int>(i);
    return -1;
}

}  // namespace

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
    const int nIndex = FindItem(m_items, nIDEnableItem, nEnable);
    if (nIndex < 0) return static_cast<UINT>(-1);
    Item& item = m_items[nIndex];
    const UINT nOld = item.nFlags & kStateFlags;
    item.nFlags = (item.nFlags & ~kStateFlags) | (nEnable & kStateFlags);
    return nOld;
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const {
    const int nIndex = FindItem(m_items, nID, nFlags);
    return nIndex < 0 ? static_cast<UINT>(-1) : m_items[nIndex].nFlags;
}

int CMenu::GetMenuItemCount() const {
    return m_bCreated ? static_cast<int>(m_items.size()) : -1;
}

UINT CMenu::GetMenuItemID(int nPos) const {
    if (nPos < 0 || nPos >= static_cast<int>(m_items.size())) return static_cast<UINT>(-1);
    return static_cast<UINT>(m_items[nPos].nID);
}

std::string CMenu::GetMenuString(UINT nIDItem, UINT nFlags) const {
    const int nIndex = FindItem(m_items, nIDItem, nFlags);
    return nIndex < 0 ? std::string() : m_items[nIndex].strText;
}

BOOL CMenu::TrackPopupMenu(UINT /*nFlags*/, int x, int y, CWnd* pWnd) {
    if (!m_bCreated || pWnd == nullptr || pWnd->GetSafeHwnd() == nullptr) return FALSE;
    UINT nChosen = 0;
    if (Chooser()) {
        nChosen = Chooser()(*this, CPoint(x, y));
    } else {
        // Without a screen nobody could choose: the menu is dismissed at once.
        if (!tessel::platform::HasRealScreen()) return FALSE;
        QMenu menu(tessel::platform::WidgetOf(pWnd));
        for (const Item& item : m_items) {
            if ((item.nFlags & MF_SEPARATOR) != 0) {
                menu.addSeparator();
                continue;
            }
            QAction* pAction = menu.addAction(tessel::platform::GbkToQString(
                item.strText.data(), static_cast<int>(item.strText.size())));
            pAction->setEnabled(IsEnabledItem(item));
            pAction->setData(QVariant::fromValue<qulonglong>(item.nID));
        }
        const QAction* pChosen = menu.exec(QPoint(x, y));
        if (pChosen == nullptr) return FALSE;
        nChosen = static_cast<UINT>(pChosen->data().toULongLong());
    }
    if (nChosen == 0) return FALSE;
    const int nIndex = FindItem(m_items, nChosen, MF_BYCOMMAND);
    if (nIndex < 0 || !IsEnabledItem(m_items[nIndex])) return FALSE;
    pWnd->SendMessage(WM_COMMAND, MAKEWPARAM(nChosen, 0), 0);
    return TRUE;
}

namespace tessel::platform {

void SetMenuChooser(MenuChooser chooser) {
    Chooser() = std::move(chooser);
}

bool HasRealScreen() {
    const QString name = QGuiApplication::platformName();
    return !name.isEmpty() && name != QLatin1String("offscreen") &&
           name != QLatin1String("minimal");
}

}  // namespace tessel::platform
