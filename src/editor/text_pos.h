#pragma once

#include <compare>

// A place in an editor's document: element, word inside a Text element's text, byte inside
// that word. Positions order as the document reads: by element, then word, then byte.
struct TEXTPOS {
    int nLink = 0;
    int nWord = 0;
    int nChar = 0;

    auto operator<=>(const TEXTPOS&) const = default;
};

// The value that stands for "the end" in every field of a position and a row.
inline constexpr int kEndMark = 60000;

// One visual row of the layout: its height and the position where it starts.
struct ROW {
    int nHeight = kEndMark;
    int nLink = kEndMark;
    int nWord = kEndMark;
    int nChar = kEndMark;

    TEXTPOS Start() const { return {nLink, nWord, nChar}; }
    bool IsEndMarker() const { return nLink == kEndMark; }
    bool operator==(const ROW&) const = default;
};

inline constexpr int kMaxRows = 128;        // rows laid out; the rest of a document has none
inline constexpr int kEmptyRowHeight = 18;  // a row with nothing measurable in it
inline constexpr int kMaxFrames = 8;        // multi-column frames an editor holds
inline constexpr int kMaxColumns = 16;      // columns of one frame
