// Cursors and window classes. The standard cursors are shared objects that stand for Qt's
// cursor shapes; a window shows the cursor set last while the mouse is over it. A window
// class is a name for a class style and a cursor.

#include <QCursor>
#include <QWidget>

#include <cstdio>
#include <map>
#include <utility>

#include "platform/window_qt.h"

struct CursorData {
    Qt::CursorShape shape;
};

namespace {

CursorData g_standardCursors[] = {{Qt::ArrowCursor}, {Qt::IBeamCursor}, {Qt::WaitCursor}};

HCURSOR g_hCurrent = nullptr;
HWND g_hHover = nullptr;  // the window that got the last mouse message

int IndexOf(HCURSOR hCursor) {
    for (int i = 0; i < 3; ++i)
        if (hCursor == &g_standardCursors[i]) return i + 1;
    return 0;
}

// Classes by their style and cursor; the map's nodes stay where they are, so the names
// handed out stay valid.
std::map<std::pair<UINT, HCURSOR>, tessel::platform::WindowClass>& Classes() {
    static auto* pClasses = new std::map<std::pair<UINT, HCURSOR>, tessel::platform::WindowClass>;
    return *pClasses;
}

}  // namespace

HCURSOR LoadCursor(StandardCursor cursor) {
    switch (cursor) {
        case StandardCursor::kIBeam:
            return &g_standardCursors[1];
        case StandardCursor::kWait:
            return &g_standardCursors[2];
        case StandardCursor::kArrow:
            break;
    }
    return &g_standardCursors[0];
}

HCURSOR SetCursor(HCURSOR hCursor) {
    const HCURSOR hOld = std::exchange(g_hCurrent, hCursor);
    if (QWidget* pWidget = tessel::platform::WidgetOf(g_hHover))
        pWidget->setCursor(hCursor != nullptr ? hCursor->shape : Qt::BlankCursor);
    return hOld;
}

HCURSOR GetCursor() {
    return g_hCurrent;
}

BOOL DestroyCursor(HCURSOR) {
    return TRUE;
}

const char* AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor) {
    auto [it, bNew] = Classes().try_emplace({nClassStyle, hCursor});
    if (bNew) {
        char szName[48];
        std::snprintf(szName, sizeof(szName), "TesselWnd:%x:%d", nClassStyle, IndexOf(hCursor));
        it->second = tessel::platform::WindowClass{szName, nClassStyle, hCursor};
    }
    return it->second.strName.c_str();
}

namespace tessel::platform {

const WindowClass* FindWindowClass(const char* szName) {
    if (szName != nullptr) {
        for (const auto& [key, windowClass] : Classes())
            if (windowClass.strName == szName) return &windowClass;
    }
    static const WindowClass kDefault{"TesselWnd", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                      LoadCursor(IDC_ARROW)};
    return &kDefault;
}

void ApplyCursor(HWND hWnd, HCURSOR hCursor) {
    g_hHover = hWnd;
    SetCursor(hCursor);
}

void SetHoverWindow(HWND hWnd) {
    g_hHover = hWnd;
}

HCURSOR CurrentCursor() {
    return g_hCurrent;
}

}  // namespace tessel::platform
