#pragma once

// The word rule of the editor's text, private to the editor's implementation. A word is a
// double-byte character (a lead byte of 0x80 or more and the byte after it, whatever it is), a
// run of at most 127 ASCII letters and digits, or any other single byte. CTesselEdit::GetWord
// copies the word this rule finds; code that only needs to step over words calls WordLength
// directly, so that nothing is copied.

namespace tessel::editor {

// The longest run of letters and digits that makes one word; a longer run goes on as a further
// word.
inline constexpr int kMaxWordBytes = 127;

constexpr bool IsLetterOrDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr bool IsLeadByte(unsigned char c) {
    return c >= 0x80;
}

// The length in bytes of the word that starts at nPos (nPos <= nLast, nLast the offset of the
// text's last byte). A lead byte at nLast still makes a word of 2: the terminating zero of the
// text stands in for its second byte.
inline int WordLength(const char* pszText, int nPos, int nLast) {
    const auto c = static_cast<unsigned char>(pszText[nPos]);
    if (IsLeadByte(c)) return 2;
    if (!IsLetterOrDigit(c)) return 1;
    int n = 1;
    while (n < kMaxWordBytes && nPos + n <= nLast &&
           IsLetterOrDigit(static_cast<unsigned char>(pszText[nPos + n])))
        ++n;
    return n;
}

}  // namespace tessel::editor
