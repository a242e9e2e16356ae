#pragma once

// What the icon and cursor targets check of a decoded picture: both bitmaps are 32 x 32 and
// every pixel can be read, so that the sanitizers see any access outside their buffers.
#include <optional>

#include "imaging/decoders/icon_decoder.h"

inline void CheckIcon(const std::optional<tessel::imaging::IconImage>& icon) {
    if (!icon) return;
    unsigned nSum = 0;
    for (const auto* dib : {&icon->colour, &icon->mask}) {
        if (dib->Width() != 32 || dib->Height() != 32 || dib->bits.size() != 32 * 32 * 4) {
            __builtin_trap();
        }
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x)
                nSum += dib->Pixel(x, y);
        }
    }
    volatile unsigned nSink = nSum;
    (void)nSink;
}
