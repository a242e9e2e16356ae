// Reads arbitrary bytes as a placeable Windows metafile and plays what was read into a small
// off-screen bitmap, at the picture's size and squeezed into another shape.
//
// - A picture that is read is as large as its bounding box says (corners taken as unsigned
//   16-bit values), and has every object it creates in a slot of the metafile's table.
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
    std::fprintf(stderr, "wmf_fuzz: %s\n", szWhat);
    std::abort();
}

std::uint32_t U16(std::span<const std::uint8_t> data, std::size_t i) {
    return data[i] | (data[i + 1] << 8);
}

void CheckPicture(const Picture& picture, std::span<const std::uint8_t> data) {
    const std::int32_t nWidth = static_cast<std::int32_t>(U16(data, 10)) - U16(data, 6);
    const std::int32_t nHeight = static_cast<std::int32_t>(U16(data, 12)) - U16(data, 8);
    // The box's extents are the frame (hundredths of a millimetre); the size in pixels follows.
    const auto& frame = picture.header.rclFrame;
    if (frame.right - frame.left != nWidth || frame.bottom - frame.top != nHeight)
        Fail("the picture's frame is not its box");
    if (picture.header.Width() < 1 || picture.header.Height() < 1) Fail("the picture has no size");
    const std::uint32_t nObjects = U16(data, 32);
    for (const Record& r : picture.records) {
        std::uint32_t nIndex = 0;
        if (const auto* p = std::get_if<PenRecord>(&r)) nIndex = p->nIndex + 1;
        if (const auto* p = std::get_if<BrushRecord>(&r)) nIndex = p->nIndex + 1;
        if (const auto* p = std::get_if<FontRecord>(&r)) nIndex = p->nIndex + 1;
        if (const auto* p = std::get_if<OtherObjectRecord>(&r)) nIndex = p->nIndex + 1;
        if (nIndex > nObjects) Fail("an object outside the metafile's table");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::span<const std::uint8_t> data(pData, nSize);
    std::optional<Picture> picture = DecodePlaceableWmf(data);
    if (!picture) return 0;
    CheckPicture(*picture, data);
    PlayAndCheck(*picture, "wmf_fuzz");
    return 0;
}
