#pragma once

#include <cstdint>
#include <span>

namespace tessel::resources {

// The bytes of a bitmap resource of the library, a whole BMP file (header, colour table and
// rows), by its resource id; empty when there is no bitmap of that id:
//   438  a small list icon, 18 x 17: a multiple-choice marker
//   446  the tool bars' button images, 320 x 15: twenty 16 x 15 images side by side (insert
//        image, formula, edit frame, judgement, choices, page total score, total score, page
//        score, frame, hot link; superscript, subscript, cut, copy, paste, bold, italic,
//        underline, insert text, insert symbol) on light grey (192, 192, 192), which the
//        tool bars show as transparent
//   532  a tick in a box, 18 x 17: a judgement box that is right, or the right option
//   533  an empty square, 19 x 19: an option box
//   534  a cross in a box, 18 x 17: a judgement box that is wrong
std::span<const std::uint8_t> BitmapResource(unsigned nID);

}  // namespace tessel::resources
