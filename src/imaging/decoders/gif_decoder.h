#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/decoders/dib.h"

namespace tessel::imaging {

// A frame's graphic control record: the 6 bytes that follow "!" 0xF9, kept as they are.
struct GifControl {
    std::uint8_t nSize = 0;         // block size, 4 in a well-formed file
    std::uint8_t nFlags = 0;        // bit 0: transparent index given; bits 2..4: disposal
    std::uint16_t nDelay = 0;       // hundredths of a second
    std::uint8_t nTransparent = 0;  // the transparent colour index
    std::uint8_t nTerminator = 0;
};

struct GifFrame {
    // Place and size inside the logical screen (16-bit values in the file).
    int nLeft = 0;
    int nTop = 0;
    int nWidth = 0;
    int nHeight = 0;
    std::uint8_t nFlags = 0;  // the image descriptor's packed byte
    GifControl control;       // all 0 when no control record came before the frame
    // nWidth × nHeight, 1 bit per pixel for a 2-colour table, 4 for 4 to 16 colours, 8 for
    // 32 to 256; the colour table is the frame's (local, else global) one. Rows bottom up,
    // de-interlaced. Pixel values are colour indices (kept to the depth's bits).
    DibImage dib;

    bool IsInterlaced() const { return (nFlags & 0x40) != 0; }
    // Whether pixels of TransparentIndex() are to be left undrawn when drawing asks for it.
    bool IsTransparent() const { return (control.nFlags & 1) != 0; }
    int TransparentIndex() const { return control.nTransparent; }
};

struct GifImage {
    int nVersion = 89;  // 87 or 89
    // The logical screen: the picture's width and height.
    int nWidth = 0;
    int nHeight = 0;
    std::uint8_t nFlags = 0;  // the logical screen descriptor's packed byte
    std::uint8_t nBackground = 0;
    std::uint8_t nAspect = 0;
    std::vector<GifFrame> frames;  // at most kMaxGifFrames, in file order

    // The picture's colour count: frame 0's colour-table size (0 without frames).
    int ColourCount() const { return frames.empty() ? 0 : frames[0].dib.ColourCount(); }
};

// Reads a GIF87a or GIF89a file; any other signature, or a file too short for its logical
// screen descriptor and global colour table, fails (nullopt).
//
// After the header, blocks are read until the data ends, a trailer (";") is met or
// kMaxGifFrames frames are kept:
// - "!" 0xF9: the 6 bytes after the label are the control record of the next frame kept;
//   the rest of the extension (if its size byte says there is more) is skipped;
// - "!" with any other label: its sub-blocks are skipped;
// - ",": an image descriptor, then a local colour table if flagged (else the global one; a
//   frame with neither gets a 256-entry grey ramp), the LZW minimum code size and the data
//   sub-blocks. A code size outside 2..8 skips the frame: no frame is kept, reading goes on
//   after its data;
// - any other byte is skipped.
// Damaged data keeps what it made: when a frame's data ends early, or holds a code its
// table has not reached, the frame keeps the pixels decoded so far and the rest are index 0.
// Limits, checked before anything is allocated for a frame: a frame of more than kMaxPixels
// pixels, one that claims more than 64 K pixels and more than its data could ever encode
// (the k-th LZW code after a clear gives at most k pixels), or one that would take the
// whole file past kMaxGifPixels is skipped like a frame of a wrong code size.
// A file that holds no frame still loads, with no frames.
std::optional<GifImage> ReadGif(ByteSpan file);

}  // namespace tessel::imaging
