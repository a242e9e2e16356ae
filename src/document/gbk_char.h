#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How long a character of the document's 8-bit text is. Text is GBK: a byte of 0x80 or more
// and the byte after it, whatever that byte is, make one character; every other byte is a
// character of its own. A lead byte with nothing after it (the last byte of a text) is a
// character of one byte. The word splitter, the layout, the drawing, deletion and the markup
// reader all step over text by this one rule, so that they agree on where characters begin.
namespace tessel {

constexpr bool IsLeadByte(unsigned char c) {
    return c >= 0x80;
}

// The length of the character that starts at nPos (nPos < text.size()): 1 or 2.
constexpr int CharLength(std::string_view text, std::size_t nPos) {
    return IsLeadByte(static_cast<unsigned char>(text[nPos])) && nPos + 1 < text.size() ? 2 : 1;
}

// The text with its ASCII letters in upper case, as file names are kept in pages. Only letters
// that are characters of their own change: the second byte of a double-byte character belongs
// to that character and stays as it is, though it may have the code of a small letter.
inline std::string UpperCaseAscii(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += static_cast<std::size_t>(CharLength(out, i)))
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    return out;
}

}  // namespace tessel
