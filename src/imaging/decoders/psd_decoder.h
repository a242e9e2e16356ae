#pragma once

#include <optional>

#include "imaging/decoders/dib.h"

namespace tessel::imaging {

// True when the bytes begin as a Photoshop file does ("8BPS"), whatever its version.
bool HasPsdSignature(ByteSpan file);

// Reads the composite picture of a Photoshop file (version 1, ".psd"): the 26-byte header,
// then three sections each with a 4-byte length (colour mode data, image resources, layers
// and masks), then the merged image data, which is what is read. Layers are not composed
// here; writers store the flattened picture in the merged data for readers like this one.
//
// - Colour modes: bitmap (1 bit per pixel, a set bit is black) gives a 1-bit DIB of white
//   and black; grayscale and duotone (its one channel read as grey) an 8-bit DIB with a grey
//   ramp; indexed an 8-bit DIB with the 768-byte table of the colour mode data (256 reds,
//   then greens, then blues), as many entries as image resource 1046 says are used, else
//   256; RGB and CMYK a 24-bit DIB. CMYK channels are stored inverted (255 is no ink) and
//   are turned into RGB by multiplying each of C, M and Y by K, without a colour profile.
// - 8 and 16 bits per channel (16-bit samples are rounded to 8 bits); channels stored raw
//   (compression 0) or PackBits (1: a 2-byte byte count for every row of every channel,
//   then the packed rows).
// - Channels past those of the colour mode (alpha, spot colours) are not read: pictures
//   are drawn opaque, as every other external picture is.
// - Refused: version 2 (the large document format, ".psb"), 32 bits per channel, Lab and
//   multichannel, ZIP compression.
// - The file must hold every row it announces; a packed row whose bytes cannot fill it
//   fails the picture. Sizes above what version 1 allows (56 channels, 30000 pixels a side)
//   or kMaxPixels are refused before anything is allocated, and so is a packed picture whose
//   byte counts could not describe it.
//
// nullopt on failure.
std::optional<DibImage> ReadPsd(ByteSpan file);

}  // namespace tessel::imaging
