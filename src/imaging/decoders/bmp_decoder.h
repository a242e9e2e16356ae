#pragma once

#include <optional>

#include "imaging/decoders/dib.h"

namespace tessel::imaging {

// Reads a BMP or DIB file: the 14-byte file header ("BM", bits offset at byte 10), the
// BITMAPINFOHEADER after it (or a larger V4 or V5 header, or the 12-byte core header of OS/2
// and Windows 2 bitmaps), the colour table and the pixel rows from the bits offset.
//
// - Colour-table entries: the header's used-colour count at 8 bits per pixel when it is not
//   0 (at most 256), else 2 at 1 bit, 16 at 4 bits, 256 at 8 bits and none above. The
//   table follows the info header (at 14 + biSize, so larger V4 and V5 headers work too).
// - The core header has 16-bit width and height, depths 1, 4, 8 and 24 uncompressed only,
//   and a table of 3-byte entries (blue, green, red); the result is the same DIB with a
//   40-byte header as the other headers give.
// - Depths 1, 4, 8, 16, 24 and 32 uncompressed; 16 and 32 with bit-field masks (kept, in
//   the first three table entries); 8 and 4 run-length encoded (expanded here, so the result
//   is always uncompressed); top-down files (negative height) are turned bottom up.
// - The file must hold every row it announces (height × stride bytes from the bits offset);
//   a shorter file fails. Bytes after the rows are ignored.
// - Pictures of more than kMaxPixels pixels are refused before anything is allocated, and so
//   are run-length pictures far larger than their data could describe.
//
// The result's colour count (biClrUsed) is the colour-table size read; nullopt on failure.
std::optional<DibImage> ReadBmp(ByteSpan file);

}  // namespace tessel::imaging
