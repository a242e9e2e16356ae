// Reads arbitrary bytes as a .ico file and checks both bitmaps that come out.
#include <cstddef>
#include <cstdint>

#include "icon_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    CheckIcon(tessel::imaging::ReadIcon({pData, nSize}));
    return 0;
}
