#pragma once

// Text on the Qt side of the drawing objects: GBK decoded to code points without building
// strings, and the character-by-character drawing that TextOut's glyph runs reproduce. Only
// the platform's own files and its tests include this header.

#include <cstdint>
#include <string>

#include "platform/gdi.h"

namespace tessel::platform {

// The code point of the two-byte GBK character (lead, trail), trail being 0x40 to 0xFE but
// not 0x7F; 0 when the pair decodes to anything but one character (GBK assigns it nothing).
// Each pair is converted once and remembered for the process.
char32_t GbkPair(unsigned char lead, unsigned char trail);

// Calls f(ch) for each character of GBK text, decoded exactly as GbkToUtf8 decodes it: a
// rejected pair becomes U+FFFD, and its second byte is read again when it is ASCII.
template <class F>
void ForEachGbkCharacter(const char* pText, int nLength, F&& f) {
    const auto* p = reinterpret_cast<const unsigned char*>(pText);
    int i = 0;
    while (i < nLength) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            f(static_cast<char32_t>(b));
            ++i;
            continue;
        }
        if (b == 0x80 || b == 0xFF || i + 1 >= nLength) {
            f(U'\uFFFD');
            ++i;
            continue;
        }
        const unsigned char trail = p[i + 1];
        const bool bTrail = trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
        if (const char32_t ch = bTrail ? GbkPair(b, trail) : 0; ch != 0) {
            f(ch);
            i += 2;
            continue;
        }
        f(U'\uFFFD');
        i += trail < 0x80 ? 1 : 2;
    }
}

// GBK text as code points.
std::u32string DecodeGbk(const char* pText, int nLength);

// TextOut drawn one character at a time, each with QPainter::drawText on its own. TextOut
// draws the same pixels from glyph runs; the tests compare the two.
bool TextOutPerCharacter(CDC& dc, int x, int y, const char* szText, int nLength);

}  // namespace tessel::platform
