#pragma once

// The bitmaps of the library that the editor lays out and draws for check boxes, option boxes
// and multiple-choice markers. Private to the editor's implementation.

#include "imaging/decoders/dib.h"

namespace tessel::editor {

inline constexpr unsigned kBitmapList = 438;    // a Choice element: a small list icon
inline constexpr unsigned kBitmapTick = 532;    // a Check whose state is 1 or 101
inline constexpr unsigned kBitmapSquare = 533;  // a Check in any other state
inline constexpr unsigned kBitmapCross = 534;   // a Check whose state is 0

// The bitmap that shows a Check element in the given state.
constexpr unsigned CheckBitmap(int nState) {
    if (nState == 1 || nState == 101) return kBitmapTick;
    if (nState == 0) return kBitmapCross;
    return kBitmapSquare;
}

// The decoded bitmap resource; null when the library has no such bitmap or it cannot be read.
// The resources never change, so each is decoded once and kept for the life of the process
// (render.cpp).
const imaging::DibImage* ResourceBitmap(unsigned nID);

}  // namespace tessel::editor
