#pragma once

#include <cstdint>

// Limits every decoder checks before it allocates: what a header claims is believed only as
// far as the bytes that follow it could make it true, and never past these.
namespace tessel::imaging {

// Pixels of one decoded picture (or one GIF frame). 64 M pixels are 256 MB at 32 bits.
inline constexpr std::int64_t kMaxPixels = std::int64_t{64} << 20;
// Pixels of all the frames of one GIF together.
inline constexpr std::int64_t kMaxGifPixels = std::int64_t{256} << 20;
// Frames kept from one GIF; the rest of the file is not read.
inline constexpr int kMaxGifFrames = 128;

}  // namespace tessel::imaging
