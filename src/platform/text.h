#pragma once

// Text on the Qt side of the drawing objects: GBK decoded to code points without building
// strings, and the character-by-character drawing that TextOut's glyph runs reproduce. Only
// the platform's own files and its tests include this header.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/gbk_char.h"
#include "platform/gdi.h"

namespace tessel::platform {

// The code point of the two-byte GBK character (lead, trail); 0 when GBK assigns the pair no
// character: a lead byte outside 0x81 to 0xFE, a second byte outside 0x40 to 0xFE or 0x7F,
// or a well-formed pair left unassigned. Each pair is converted once and remembered for the
// process.
char32_t GbkPair(unsigned char lead, unsigned char trail);

// Calls f(ch) for each character of GBK text, the characters taken by the document's one
// rule (document/gbk_char.h): a byte of 0x80 or more and the byte after it, whatever that
// is, are one character, and a lead byte that ends the text is a character of its own. A
// pair that GBK assigns a character is that character; any other pair (0x80 0x41, 0x81
// 0x20, 0xFF 0xFF ...) and a lead byte at the end are U+FFFD, drawn and measured as one
// replacement glyph: the second byte of a pair is never a character of its own.
template <class F>
void ForEachGbkCharacter(const char* pText, int nLength, F&& f) {
    if (pText == nullptr || nLength <= 0) return;
    const std::string_view text(pText, static_cast<std::size_t>(nLength));
    const auto* p = reinterpret_cast<const unsigned char*>(pText);
    std::size_t i = 0;
    while (i < text.size()) {
        const int nChar = CharLength(text, i);
        if (nChar == 1) {
            f(p[i] < 0x80 ? static_cast<char32_t>(p[i]) : U'\uFFFD');
        } else {
            const char32_t ch = GbkPair(p[i], p[i + 1]);
            f(ch != 0 ? ch : U'\uFFFD');
        }
        i += static_cast<std::size_t>(nChar);
    }
}

// GBK text as code points.
std::u32string DecodeGbk(const char* pText, int nLength);

// TextOut drawn one character at a time (the characters of ForEachGbkCharacter), each with
// QPainter::drawText on its own. TextOut draws the same pixels from glyph runs; the tests
// compare the two.
bool TextOutPerCharacter(CDC& dc, int x, int y, const char* szText, int nLength);

}  // namespace tessel::platform
