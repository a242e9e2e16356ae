#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessel::imaging {

// A picture read by the general imaging library: every format the project does not read
// itself (JPEG, PNG, PCX, TIFF, TGA, WebP and the rest the library knows).
struct ExternalImage {
    int nWidth = 0;
    int nHeight = 0;
    int nColors = 0;                 // colours of a palette image, 0 for true colour
    std::vector<std::uint8_t> bgra;  // top-down rows of blue, green, red, alpha bytes
};

// Reads a file's bytes; strPath, the file's name, only tells formats without a signature of
// their own by its extension. Nothing when the library cannot read it. Pictures larger than
// the library's limits (16384 pixels a side, 64 M pixels) are refused.
std::optional<ExternalImage> ReadExternalImage(std::span<const std::uint8_t> bytes,
                                               const std::string& strPath);

}  // namespace tessel::imaging
