// Reads arbitrary bytes as an enhanced metafile and plays what was read into a small
// off-screen bitmap, at the picture's size and squeezed into another shape.
//
// - A picture that is read has its header copied from the data: the first 100 bytes of the
//   header record (zero-filled past its end), and bounds that match those bytes.
// - Playing may draw anything but must stay inside the bitmap's memory, end, and leave the
//   context as it was.
// Text records are left out of the playing: fonts need a GUI application, which a fuzz
// target does not start. Font objects are still created, selected and deleted.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <variant>

#include "imaging/metafile/metafile.h"
#include "imaging/metafile/records.h"
#include "metafile_fuzz_play.h"
#include "platform/gdi.h"

using namespace tessel::metafile;

namespace {

[[noreturn]] void Fail(const char* szWhat) {
    std::fprintf(stderr, "emf_fuzz: %s\n", szWhat);
    std::abort();
}

void CheckHeader(const Picture& picture, std::span<const std::uint8_t> data) {
    const EmfHeader& h = picture.header;
    const std::uint32_t nSize =
        data[4] | (data[5] << 8) | (data[6] << 16) | (static_cast<std::uint32_t>(data[7]) << 24);
    for (std::size_t i = 0; i < kEmfHeaderCopyBytes; ++i)
        if (h.bytes[i] != (i < nSize ? data[i] : 0)) Fail("the header copy differs from the data");
    if (h.rclBounds.left !=
        static_cast<std::int32_t>(h.bytes[8] | (h.bytes[9] << 8) | (h.bytes[10] << 16) |
                                  (static_cast<std::uint32_t>(h.bytes[11]) << 24)))
        Fail("the bounds are not the header's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::span<const std::uint8_t> data(pData, nSize);
    std::optional<Picture> picture = DecodeEmf(data);
    if (!picture) return 0;
    CheckHeader(*picture, data);
    PlayAndCheck(*picture, "emf_fuzz");
    return 0;
}
