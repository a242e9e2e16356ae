#pragma once

#include <algorithm>

// Sizes, scales and font sizes come from the page and may be anything a markup file holds.
// The layout and the drawing multiply and add them up, so every size taken from an element is
// kept within ±kMaxExtent and every running sum saturates there: no arithmetic on a page's
// values overflows, and 128 rows of the largest height still add up within an int.
namespace tessel::editor {

inline constexpr int kMaxExtent = 1 << 22;     // pixels
inline constexpr int kMaxFontPixels = 4096;    // the largest text height drawn
inline constexpr int kMaxColumnHeight = 8192;  // the tallest column window of a frame

inline int Extent(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -kMaxExtent, kMaxExtent));
}
// v scaled by a percentage (integer division, as the page's scales are meant).
inline int Scaled(int v, int nPercent) {
    return Extent(static_cast<long long>(v) * nPercent / 100);
}
inline void Advance(int& x, long long d) {
    x = Extent(x + d);
}

}  // namespace tessel::editor
