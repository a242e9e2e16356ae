#pragma once

#include <string>
#include <string_view>

// Conversion between the 8-bit GBK text that documents hold and the UTF-8 that the rest of
// the platform (and everything outside the library) speaks. Nothing above the platform layer
// converts text itself.
namespace tessel::platform {

// Converts GBK bytes to UTF-8.
//
// A byte below 0x80 is ASCII and stays as it is (NUL included). A byte from 0x81 to 0xFE
// starts a two-byte character whose second byte is 0x40 to 0xFE, except 0x7F. Everything
// that is not valid GBK becomes U+FFFD:
// - the single bytes 0x80 and 0xFF;
// - a first byte whose second byte is missing (the text ends) or out of range;
// - a well-formed pair that GBK assigns no character to.
// When a pair is rejected and its second byte is ASCII, only the first byte is replaced and
// the second is read again as a character of its own, so "\xB0" followed by "<" gives
// U+FFFD and "<": no markup character is ever swallowed by a broken lead byte. A rejected
// second byte of 0x80 or more is replaced together with the first byte (one U+FFFD).
// (Drawing and measuring do not decode through this: they take the document's characters
// by its one rule, a lead byte and whatever byte follows it, see ForEachGbkCharacter.)
std::string GbkToUtf8(std::string_view gbk);

// Converts UTF-8 to GBK.
//
// ASCII stays as it is. A character that GBK cannot hold, and every byte of the input that
// is not part of well-formed UTF-8 (stray continuation bytes, overlong forms, surrogates,
// truncated sequences), becomes one "?". *pLossy, when given, is set to true if anything was
// replaced and to false otherwise.
std::string Utf8ToGbk(std::string_view utf8, bool* pLossy = nullptr);

// GBK text with its ASCII letters in lower case, as face names and list items are compared
// "without regard to letter case". The second byte of a double-byte character belongs to that
// character (a lead byte and whatever byte follows it): it is never folded, though it may have
// the code of a letter.
std::string FoldCase(std::string_view gbk);
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

}  // namespace tessel::platform
