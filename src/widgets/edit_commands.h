#pragma once

#include "platform/wnd.h"

// The command ids the editor's message map handles and the messages between the editor and
// the windows beside it (tool window, colour picker). The widgets send these without knowing
// the editor, and tests name them instead of repeating numbers.
namespace tessel::commands {

// Commands (WM_COMMAND) of the tool bars and the context menu.
inline constexpr UINT kInsertSymbol = 52768;
inline constexpr UINT kImportText = 52770;
inline constexpr UINT kCopy = 53003;
inline constexpr UINT kCut = 53004;
inline constexpr UINT kPaste = 53005;
inline constexpr UINT kBold = 53006;
inline constexpr UINT kItalic = 53007;
inline constexpr UINT kUnderline = 53008;
inline constexpr UINT kInsertImage = 53009;
inline constexpr UINT kInsertFormula = 53010;
inline constexpr UINT kInsertEdit = 53011;
inline constexpr UINT kInsertCheck = 53012;
inline constexpr UINT kInsertChoice = 53013;
inline constexpr UINT kInsertPageScore = 53014;
inline constexpr UINT kInsertTotalScore = 53015;
inline constexpr UINT kInsertPageTotalScore = 53016;
inline constexpr UINT kInsertMultiColumn = 53017;
inline constexpr UINT kHotLink = 53018;
inline constexpr UINT kLowered = 53026;
inline constexpr UINT kRaised = 53027;
inline constexpr UINT kProperties = 53028;
// Commands of the editor's own beyond the tool bars': undo, redo, select all and paste as plain
// text, for hosts' menus and the keyboard shortcuts.
inline constexpr UINT kUndo = 53090;
inline constexpr UINT kRedo = 53091;
inline constexpr UINT kSelectAll = 53092;
inline constexpr UINT kPastePlain = 53093;

// The tool window's boxes, whose CBN_SELCHANGE notifications reach the editor.
inline constexpr UINT kSizeBox = 53024;
inline constexpr UINT kFontBox = 53025;

// The colour picker's messages; the editor handles the one sent when a colour was chosen with
// OK.
inline constexpr UINT kColourPickerFirstMessage = 2025;
inline constexpr UINT kColourChosenMessage = 2028;
inline constexpr UINT kColourPickerLastMessage = 2029;

// The hot-link dialog's message with a play start position (wParam) and end position
// (lParam), as the media-position picker reports them.
inline constexpr UINT kPlayPositionsMessage = WM_USER + 11;  // 0x040B

// The Insert Symbol window's message to its editor: insert the double-byte character whose
// first byte is the low byte of wParam and whose second byte is the next one, at the caret.
inline constexpr UINT kInsertSymbolCharMessage = WM_USER + 0x200;

// The timer of the top-level editor that keeps the clipboard commands' state, and its period.
inline constexpr UINT_PTR kClipboardTimer = 1;
inline constexpr UINT kClipboardTimerMs = 300;

}  // namespace tessel::commands
