#pragma once

// The library's fixed texts, by number, as the windows and dialogs beside the editor use
// them. A text of several entries separates them with "|" (see list_fields.h).

#include <string_view>

#include "platform/wnd.h"

namespace tessel::widgets {

// The tool window's tool tips, its size items and its title.
inline constexpr UINT kStringInsertTips = 62456;
inline constexpr UINT kStringFrameTips = 62457;
inline constexpr UINT kStringFormatTips = 62458;
inline constexpr UINT kStringSizes = 62464;
inline constexpr UINT kStringToolWindowTitle = 62465;
// The styles of an edit frame, in the order the frame dialog receives them.
inline constexpr UINT kStringEditFrameStyles = 62466;
// The text a new column of a multi-column frame starts with.
inline constexpr UINT kStringColumnMatter = 62467;
// The column chooser of the Insert Columns dialog: "Insert Column1's Whith:" to
// "Insert Column16's Whith:", numbered from kStringColumnWidth1.
inline constexpr UINT kStringColumnWidth1 = 62468;
inline constexpr int kColumnWidthTexts = 16;
// The hot-link dialog's actions, in the order of its action list, and its run modes.
inline constexpr UINT kStringHotLinkActions = 62484;
inline constexpr UINT kStringRunModes = 62485;
// The Insert Symbol window's tabs, in tab order.
inline constexpr UINT kStringSymbolSets = 62486;
// The properties command's name.
inline constexpr UINT kStringProperties = 62487;

// The text of a string of the table; empty for an unknown id.
std::string_view LoadString(UINT nID);

}  // namespace tessel::widgets
