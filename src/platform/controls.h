#pragma once

// What the common controls (toolbar.h, combo_box.h, button.h) share: notification records,
// the desktop's colours and metrics, and the 3-D edges and frame controls that controls
// drawn by their owners use. Each control is a window of this layer, painted with the
// desktop's style (Qt's) for frames, buttons and drop arrows, and driven by the same messages
// as its Windows model, so that tests can drive it headless. Texts are GBK.

#include <cstdint>
#include <string>

#include "platform/gdi.h"
#include "platform/wnd.h"

// --- Notifications ------------------------------------------------------------------------------

// The header of a WM_NOTIFY notification (lParam points at it; wParam is the control id).
struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// A tool tip asks its owner for the text of a tool (WM_NOTIFY, code TTN_NEEDTEXT). idFrom is
// the tool's id, or the tool's window handle when uFlags has TTF_IDISHWND. The owner either
// points lpszText at its text (which must outlive the call) or copies it into szText.
inline constexpr UINT TTN_NEEDTEXT = static_cast<UINT>(-520);
inline constexpr UINT TTF_IDISHWND = 0x0001;
struct TOOLTIPTEXT {
    NMHDR hdr;
    const char* lpszText = nullptr;
    char szText[80] = {};
    UINT uFlags = 0;
};
using LPTOOLTIPTEXT = TOOLTIPTEXT*;
// AddTool's text for a tool whose text is asked for each time it is shown (TTN_NEEDTEXT).
inline const char* const LPSTR_TEXTCALLBACK = reinterpret_cast<const char*>(-1);

// Owner drawing: what a BS_OWNERDRAW button passes to DrawItem.
inline constexpr UINT ODT_BUTTON = 4;
inline constexpr UINT ODA_DRAWENTIRE = 0x0001;
inline constexpr UINT ODS_SELECTED = 0x0001;  // pushed
inline constexpr UINT ODS_DISABLED = 0x0004;
inline constexpr UINT ODS_FOCUS = 0x0010;
struct DRAWITEMSTRUCT {
    UINT CtlType = ODT_BUTTON;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    CDC* pDC = nullptr;  // draws into the control's client area, for this call only
    CRect rcItem;        // the control's client rectangle
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

// --- System colours, metrics and edges
// ------------------------------------------------------------

// The desktop's colours (from Qt's palette) under their Windows indices.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_3DFACE = COLOR_BTNFACE;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;
COLORREF GetSysColor(int nIndex);

inline constexpr int SM_CXSCREEN = 0;  // the primary screen's size in pixels
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CXEDGE = 45;  // the width and height of a 3-D edge
inline constexpr int SM_CYEDGE = 46;
int GetSystemMetrics(int nIndex);

// The fonts of window decorations; lfMessageFont is the message boxes' font, the desktop's
// general font here.
inline constexpr UINT SPI_GETNONCLIENTMETRICS = 0x0029;
struct NONCLIENTMETRICS {
    UINT cbSize = sizeof(NONCLIENTMETRICS);
    LOGFONT lfCaptionFont;
    LOGFONT lfMenuFont;
    LOGFONT lfStatusFont;
    LOGFONT lfMessageFont;
};
// Only SPI_GETNONCLIENTMETRICS, into a NONCLIENTMETRICS; FALSE for anything else.
BOOL SystemParametersInfo(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

// CDC::DrawEdge: the inner and outer edges, the sides and whether the rectangle shrinks by
// what was drawn.
inline constexpr UINT BDR_RAISEDOUTER = 0x0001;
inline constexpr UINT BDR_SUNKENOUTER = 0x0002;
inline constexpr UINT BDR_RAISEDINNER = 0x0004;
inline constexpr UINT BDR_SUNKENINNER = 0x0008;
inline constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr UINT BF_LEFT = 0x0001;
inline constexpr UINT BF_TOP = 0x0002;
inline constexpr UINT BF_RIGHT = 0x0004;
inline constexpr UINT BF_BOTTOM = 0x0008;
inline constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
inline constexpr UINT BF_ADJUST = 0x2000;
// CDC::DrawFrameControl: only the scroll arrows (DFC_SCROLL) and push buttons (DFC_BUTTON).
inline constexpr UINT DFC_BUTTON = 4;
inline constexpr UINT DFC_SCROLL = 3;
inline constexpr UINT DFCS_SCROLLUP = 0x0000;
inline constexpr UINT DFCS_SCROLLDOWN = 0x0001;
inline constexpr UINT DFCS_SCROLLLEFT = 0x0002;
inline constexpr UINT DFCS_SCROLLRIGHT = 0x0003;
inline constexpr UINT DFCS_SCROLLCOMBOBOX = 0x0005;
inline constexpr UINT DFCS_BUTTONPUSH = 0x0010;
inline constexpr UINT DFCS_INACTIVE = 0x0100;
inline constexpr UINT DFCS_PUSHED = 0x0200;
inline constexpr UINT DFCS_FLAT = 0x4000;
