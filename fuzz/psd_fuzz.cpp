// Reads arbitrary bytes as a Photoshop file and reads every byte of what comes out, so that
// the sanitizers see any read or write outside the picture's buffers.
#include <cstddef>
#include <cstdint>

#include "imaging/decoders/psd_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    auto dib = tessel::imaging::ReadPsd({pData, nSize});
    if (!dib) return 0;
    const int nBits = dib->BitCount();
    if (dib->Width() <= 0 || dib->Height() <= 0 ||
        dib->bits.size() != static_cast<std::size_t>(dib->Stride()) * dib->Height() ||
        (nBits != 1 && nBits != 8 && nBits != 24) || dib->ColourCount() > 256 ||
        (nBits == 24) != (dib->ColourCount() == 0)) {
        __builtin_trap();
    }
    unsigned nSum = 0;
    for (std::uint8_t n : dib->bits)
        nSum += n;
    for (std::uint8_t n : dib->Packed())
        nSum += n;
    for (int y = 0; y < dib->Height(); y += 3) {
        for (int x = 0; x < dib->Width(); x += 3)
            nSum += dib->Pixel(x, y);
    }
    volatile unsigned nSink = nSum;
    (void)nSink;
    return 0;
}
