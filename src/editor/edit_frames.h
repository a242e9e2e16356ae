#pragma once

#include "document/link_slots.h"
#include "editor/text_pos.h"

// What a multi-column frame element (kind 16) carries: n columns in m_Command[0], the gap in
// [1], the widths in [2 .. n + 1] and its frame number in [n + 2].
namespace tessel::editor {

// The number of columns, or -1 when it is outside what a frame can have.
inline int FrameColumns(const CLink& frame) {
    const int n = tessel::slots::ColumnCount(frame);
    return n >= 0 && n <= kMaxColumns ? n : -1;
}

// The frame number (the row of the column-editor table), or -1 when it (or the column count)
// is outside the table.
inline int FrameNumber(const CLink& frame) {
    const int n = FrameColumns(frame);
    if (n < 0) return -1;
    const int f = tessel::slots::ColumnWidth(frame, n);  // the slot after the widths
    return f >= 0 && f < kMaxFrames ? f : -1;
}

}  // namespace tessel::editor
