// Reads arbitrary bytes as a GIF file and reads every byte of what comes out, so that the
// sanitizers see any read or write outside the frames' buffers.
#include <cstddef>
#include <cstdint>

#include "imaging/decoders/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    auto gif = tessel::imaging::ReadGif({pData, nSize});
    if (!gif) return 0;
    if (gif->frames.size() > 128) __builtin_trap();
    unsigned nSum = 0;
    for (const auto& frame : gif->frames) {
        const auto& dib = frame.dib;
        if (dib.Width() != frame.nWidth || dib.Height() != frame.nHeight ||
            dib.bits.size() != static_cast<std::size_t>(dib.Stride()) * dib.Height()) {
            __builtin_trap();
        }
        for (std::uint8_t n : dib.bits)
            nSum += n;
        for (int y = 0; y < dib.Height(); y += 7) {
            for (int x = 0; x < dib.Width(); x += 5)
                nSum += dib.Pixel(x, y);
        }
    }
    volatile unsigned nSink = nSum;
    (void)nSink;
    return 0;
}
