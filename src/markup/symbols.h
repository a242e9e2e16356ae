#pragma once

// Character classes of the markup. Every symbol has an ASCII form and a full-width GBK form;
// both are accepted. Internal to the markup layer.

#include <cstddef>
#include <string_view>

#include "document/gbk_char.h"

namespace tessel::markup {

inline unsigned char Byte(const char* t, int p) {
    return static_cast<unsigned char>(t[p]);
}

// Length of the character at p (a byte that may be read), by the document's one rule, when
// the text the reader sees ends at nEnd or at a NUL, whichever comes first: a NUL never
// belongs to a character, and nothing past nEnd is read, so a lead byte just before either
// is a character of one byte.
inline int CharLen(const char* t, int p, int nEnd) {
    const std::size_t nVisible = p < nEnd && t[p + 1] != '\0' ? 2 : 1;
    return CharLength(std::string_view(t + p, nVisible), 0);
}

// The two-byte form matches only where the character really is two bytes long.
inline bool Wide(const char* t, int p, int nEnd, unsigned char b1, unsigned char b2) {
    return Byte(t, p) == b1 && p + 1 <= nEnd && Byte(t, p + 1) == b2;
}

inline bool IsTagOpen(const char* t, int p, int e) {
    return t[p] == '<' || Wide(t, p, e, 0xA1, 0xB4);
}
inline bool IsTagClose(const char* t, int p, int e) {
    return t[p] == '>' || Wide(t, p, e, 0xA1, 0xB5);
}
inline bool IsListOpen(const char* t, int p, int e) {
    return t[p] == '(' || Wide(t, p, e, 0xA3, 0xA8);
}
inline bool IsListClose(const char* t, int p, int e) {
    return t[p] == ')' || Wide(t, p, e, 0xA3, 0xA9);
}
inline bool IsSeparator(const char* t, int p, int e) {
    return t[p] == ',' || Wide(t, p, e, 0xA3, 0xAC);
}
inline bool IsSlash(const char* t, int p, int e) {
    return t[p] == '/' || Wide(t, p, e, 0xA3, 0xAF);
}
inline bool IsEscape(const char* t, int p, int e) {
    return t[p] == '\\' || Wide(t, p, e, 0xA3, 0xDC);
}
inline bool IsLineBreakLetter(const char* t, int p, int e) {
    return t[p] == 'n' || t[p] == 'N' || Wide(t, p, e, 0xA3, 0xEE) || Wide(t, p, e, 0xA3, 0xCE);
}
inline bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == ';';
}
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsSign(char c) {
    return c == '+' || c == '-';
}
inline bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsAlnum(char c) {
    return IsLetter(c) || IsDigit(c);
}

// Index (0..4) of the left / right quotation mark at p, -1 when none. The marks are, in
// order: ' " ＂ ‘’ “” (the two-byte ones in GBK).
inline int LeftQuote(const char* t, int p, int nEnd) {
    switch (Byte(t, p)) {
        case '\'':
            return 0;
        case '"':
            return 1;
        case 0xA3:
            return Wide(t, p, nEnd, 0xA3, 0xA2) ? 2 : -1;
        case 0xA1:
            if (Wide(t, p, nEnd, 0xA1, 0xAE)) return 3;
            return Wide(t, p, nEnd, 0xA1, 0xB0) ? 4 : -1;
    }
    return -1;
}
inline int RightQuote(const char* t, int p, int nEnd) {
    switch (Byte(t, p)) {
        case '\'':
            return 0;
        case '"':
            return 1;
        case 0xA3:
            return Wide(t, p, nEnd, 0xA3, 0xA2) ? 2 : -1;
        case 0xA1:
            if (Wide(t, p, nEnd, 0xA1, 0xAF)) return 3;
            return Wide(t, p, nEnd, 0xA1, 0xB1) ? 4 : -1;
    }
    return -1;
}
// Byte length of quotation mark q.
int QuoteLen(int q);
// Equality ignoring the case of ASCII letters.
bool KeywordEqual(const char* a, const char* b);
// Identifier of the property or command keyword w (any letter case), kNoKeyword (100) when
// it is none. w is one token: it holds no NUL.
int PropertyKeyword(std::string_view w);
int CommandKeyword(std::string_view w);

}  // namespace tessel::markup
