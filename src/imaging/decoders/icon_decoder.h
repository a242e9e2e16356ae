#pragma once

#include <optional>

#include "imaging/decoders/dib.h"

namespace tessel::imaging {

// An icon or cursor as the drawing code uses it: two 32 × 32 bitmaps, 32 bits per pixel,
// bottom up. Drawing ANDs the mask onto the destination (SRCAND) and then XORs the colour
// image (SRCINVERT): an opaque pixel has a black mask and its own colour, a transparent one a
// white mask and a black colour.
struct IconImage {
    static constexpr int kSize = 32;
    DibImage colour;
    DibImage mask;
    int nColours = 16;  // what the picture reports as its colour count, icons and cursors alike
};

// Reads a .ico file. Only the first directory entry is looked at and only 32 × 32 pictures
// of 16 colours are read:
// - the file has at least 22 bytes (directory and first entry), its first byte is 0 and the
//   entry's width and height bytes are both 32; the image offset is the entry's 32-bit field
//   at byte 18;
// - 16 palette entries (blue, green, red, unused) at image offset + 40;
// - 32 rows of 16 bytes of colour pixels at image offset + 104, bottom row first, two pixels
//   a byte, high nibble first;
// - 32 rows of 4 bytes of mask at image offset + 616, bottom row first, leftmost pixel in the
//   most significant bit, a set bit for a transparent pixel.
// A file that ends before the mask does fails. nullopt on failure.
std::optional<IconImage> ReadIcon(ByteSpan file);

// Reads a .cur file. When byte 15 (the second byte of the entry's resource size) is 2, the
// resource is 512..767 bytes, which is a 16-colour picture: the file is read by ReadIcon.
// Otherwise the first byte must be 0, the type (byte 2) 2 and the entry 32 × 32; the picture
// is one bit per pixel with a fixed palette (0 black, 1 white; the file's own is ignored):
// 32 rows of 4 bytes of colour at image offset + 48 and of mask at image offset + 176, both
// bottom row first with the leftmost pixel in the most significant bit.
std::optional<IconImage> ReadCursor(ByteSpan file);

}  // namespace tessel::imaging
