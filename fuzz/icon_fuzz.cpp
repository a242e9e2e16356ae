// Reads arbitrary bytes as a .ico file and reads every pixel of both bitmaps that come
// out, so that the sanitizers see any read or write outside their buffers.
#include <cstddef>
#include <cstdint>

#include "imaging/decoders/icon_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    auto icon = tessel::imaging::ReadIcon({pData, nSize});
    if (!icon) return 0;
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
    return 0;
}
