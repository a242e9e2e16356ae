#pragma once

#include <string_view>

#include "document/gbk_char.h"

// The word rule of the editor's text. A word is one character of two bytes (a lead byte of
// 0x80 or more and the byte after it), a run of at most 127 ASCII letters and digits, or any
// other single byte; character lengths follow the document's one rule (document/gbk_char.h).
// CTesselEdit::GetWord copies the word this rule finds; code that only steps over words calls
// WordLength, so that nothing is copied.

namespace tessel::editor {

using tessel::IsLeadByte;

// The longest run of letters and digits that makes one word; a longer run goes on as a further
// word.
inline constexpr int kMaxWordBytes = 127;

constexpr bool IsLetterOrDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Whether the word that starts with byte c is a run of letters and digits (the only words a
// position may stand inside).
constexpr bool IsLetterWord(unsigned char c) {
    return IsLetterOrDigit(c);
}

// The length in bytes of the word that starts at nPos (nPos < text.size()).
constexpr int WordLength(std::string_view text, int nPos) {
    const auto c = static_cast<unsigned char>(text[nPos]);
    if (!IsLetterOrDigit(c)) return tessel::CharLength(text, nPos);
    const int nSize = static_cast<int>(text.size());
    int n = 1;
    while (n < kMaxWordBytes && nPos + n < nSize &&
           IsLetterOrDigit(static_cast<unsigned char>(text[nPos + n])))
        ++n;
    return n;
}

}  // namespace tessel::editor
