// Scanning primitives: stepping by characters, tokens with their escapes, bracket finders.
#include <algorithm>
#include <cstring>

#include "markup/scanner.h"
#include "markup/word_analyzer.h"

namespace tessel::markup {

std::string_view Scanner::NextToken(int& p) const {
    while (p <= nEnd && (t[p] == '\r' || t[p] == '\n'))
        ++p;
    if (!More(p)) {
        p = std::max(p, nEnd + 1);
        return {};
    }
    const char c = t[p];
    if (c == '\t') {
        ++p;
        return "    ";
    }
    if (IsAlnum(c)) {
        int s = p;
        while (p <= nEnd && p - s < kMaxKeywordChars && IsAlnum(t[p]))
            ++p;
        return {t + s, static_cast<size_t>(p - s)};
    }
    if (IsEscape(t, p, nEnd)) {
        int s = p;
        p += Len(p);
        if (!More(p)) return {t + s, static_cast<size_t>(p - s)};
        if (IsLineBreakLetter(t, p, nEnd)) {
            p += Len(p);
            return "\n";
        }
        if (IsTagOpen(t, p, nEnd) || IsTagClose(t, p, nEnd) || IsListOpen(t, p, nEnd) ||
            IsListClose(t, p, nEnd) || LeftQuote(t, p, nEnd) >= 0 || RightQuote(t, p, nEnd) >= 0 ||
            IsEscape(t, p, nEnd)) {
            int n = Len(p);
            p += n;
            return {t + p - n, static_cast<size_t>(n)};
        }
        // An escape before an ordinary character protects nothing: it stays as text.
        Report(MarkupIssue::kStrayEscape, false, s, p - s);
        return {t + s, static_cast<size_t>(p - s)};
    }
    int n = Len(p);
    if (IsLeadByte(static_cast<unsigned char>(c)) && n == 1) {
        // A lead byte with nothing after it (the text or the range ends): a character of one
        // byte, but only half of a GBK character, and one that no markup can carry (written
        // back, it would take the byte after it). It is dropped.
        Report(MarkupIssue::kIncompleteCharacter, true, p, 1);
        ++p;
        return {};
    }
    p += n;
    if (c == '&') {
        // "&" protects what follows: a whole character, a carriage return as a line feed.
        if (!More(p) || (IsLeadByte(Byte(t, p)) && Len(p) == 1)) return {t + p - 1, 1};
        if (t[p] == '\r') {
            ++p;
            return "\n";
        }
        int m = Len(p);
        p += m;
        return {t + p - m, static_cast<size_t>(m)};
    }
    return {t + p - n, static_cast<size_t>(n)};
}

void Scanner::Filter(int first, int last, std::string& out) const {
    Scanner run = Until(std::min(last, nEnd));
    int p = first;
    while (p <= run.nEnd) {
        std::string_view tok = run.NextToken(p);
        out.append(tok);
    }
}

bool Scanner::EscapedBefore(int p, int nPrev) const {
    if (nPrev >= 0) return IsEscape(t, nPrev, nEnd);
    if (p == 0) return false;
    // Nothing is known about the boundary: look back one character the simple way.
    int q = p - (p >= 2 && IsLeadByte(Byte(t, p - 1)) ? 2 : 1);
    return IsEscape(t, q, p - 1);
}

template <class IsBracket>
bool Scanner::Find(int& p, int nPrev, IsBracket isBracket, char cAscii,
                   bool bAmpersandProtects) const {
    while (More(p)) {
        // Plain ASCII bytes are by far the most common: step over them with one test each.
        int s = p;
        while (p < nEnd) {
            unsigned char c = Byte(t, p);
            if (c == cAscii || c >= 0x80 || c == '\0') break;
            ++p;
        }
        if (p > s) nPrev = p - 1;
        if (!More(p)) break;
        if (isBracket(t, p, nEnd) && !EscapedBefore(p, nPrev)) {
            bool bProtected = bAmpersandProtects && p > 0 &&
                              (nPrev >= 0 ? t[nPrev] == '&' && nPrev + 1 == p : t[p - 1] == '&');
            if (!bProtected) return true;
        }
        nPrev = p;
        p += Len(p);
    }
    p = std::max(p, nEnd + 1);
    return false;
}

namespace {
// Bytes the scan for a tag close stops at: the two ASCII closes, NUL and every byte that
// starts a two-byte character.
struct TagStops {
    bool b[256] = {};
    constexpr TagStops() {
        b[static_cast<unsigned char>('>')] = b[static_cast<unsigned char>(')')] = b[0] = true;
        for (int c = 0x80; c < 256; ++c)
            b[c] = true;
    }
};
constexpr TagStops kTagStops;
}  // namespace

bool Scanner::FindTagCloseNotingList(int& p, int& nListClose) const {
    nListClose = -1;
    int nPrev = -1;
    while (More(p)) {
        // As in Find: plain ASCII bytes other than the two closes are stepped over at once.
        int s = p;
        while (p < nEnd && !kTagStops.b[Byte(t, p)])
            ++p;
        if (p > s) nPrev = p - 1;
        if (!More(p)) break;
        if (IsTagClose(t, p, nEnd)) {
            if (!EscapedBefore(p, nPrev)) return true;
        } else if (nListClose < 0 && IsListClose(t, p, nEnd) && !EscapedBefore(p, nPrev)) {
            nListClose = p;
        }
        nPrev = p;
        p += Len(p);
    }
    p = std::max(p, nEnd + 1);
    return false;
}

// The symbol tests are passed as lambdas so that they are inlined into the scan loop.
bool Scanner::FindTagOpen(int& p, int nPrev) const {
    return Find(
        p, nPrev, [](const char* s, int i, int e) { return IsTagOpen(s, i, e); }, '<', true);
}
bool Scanner::FindTagClose(int& p, int nPrev) const {
    return Find(
        p, nPrev, [](const char* s, int i, int e) { return IsTagClose(s, i, e); }, '>', false);
}
bool Scanner::FindListOpen(int& p, int nPrev) const {
    return Find(
        p, nPrev, [](const char* s, int i, int e) { return IsListOpen(s, i, e); }, '(', false);
}
bool Scanner::FindListClose(int& p, int nPrev) const {
    return Find(
        p, nPrev, [](const char* s, int i, int e) { return IsListClose(s, i, e); }, ')', false);
}

}  // namespace tessel::markup

using tessel::markup::Scanner;

void CWordAnalyzer::ForwardPtr(const char* szText, int& nPos) const {
    // The text ends at its NUL: a lead byte before it is a character of one byte.
    const std::size_t nVisible = szText[nPos] != '\0' && szText[nPos + 1] != '\0' ? 2 : 1;
    nPos += tessel::CharLength(std::string_view(szText + nPos, nVisible), 0);
}

void CWordAnalyzer::BackwardPtr(const char* szText, int& nPos) const {
    if (nPos <= 0) return;
    nPos -= tessel::IsLeadByte(static_cast<unsigned char>(szText[nPos - 1])) ? 2 : 1;
    if (nPos < 0) nPos = 0;
}

int CWordAnalyzer::GetUniChar(const char* szText, char* szChar, int& nPos, int nEnd) {
    int n = tessel::markup::CharLen(szText, nPos, nEnd);
    memcpy(szChar, szText + nPos, n);
    szChar[n] = '\0';
    nPos += n;
    return n;
}

void CWordAnalyzer::JumpSpace(const char* szText, int& nPos, int nEnd) const {
    Scanner{szText, nEnd}.SkipSpace(nPos);
}

int CWordAnalyzer::JumpLSParenth(const char* szText, int& nPos, int nEnd) const {
    return Scanner{szText, nEnd}.FindTagOpen(nPos, -1) ? 1 : 0;
}
int CWordAnalyzer::JumpRSParenth(const char* szText, int& nPos, int nEnd) const {
    return Scanner{szText, nEnd}.FindTagClose(nPos, -1) ? 1 : 0;
}
int CWordAnalyzer::JumpLParenth(const char* szText, int& nPos, int nEnd) const {
    return Scanner{szText, nEnd}.FindListOpen(nPos, -1) ? 1 : 0;
}
int CWordAnalyzer::JumpRParenth(const char* szText, int& nPos, int nEnd) const {
    return Scanner{szText, nEnd}.FindListClose(nPos, -1) ? 1 : 0;
}

void CWordAnalyzer::SkipComment(const char* szText, int& nPos, int nEnd) const {
    Scanner s{szText, nEnd};
    if (!s.More(nPos) || !tessel::markup::IsSlash(szText, nPos, nEnd)) return;
    int p = nPos + s.Len(nPos);
    if (!s.More(p) || !tessel::markup::IsSlash(szText, p, nEnd)) return;
    while (s.More(p) && szText[p] != '\r' && szText[p] != '\n')
        ++p;
    nPos = p;
}

void CWordAnalyzer::GetWord(const char* szText, char* szToken, int& nPos, int nEnd) const {
    std::string_view tok = Scanner{szText, nEnd}.NextToken(nPos);
    if (!tok.empty()) memcpy(szToken, tok.data(), tok.size());
    szToken[tok.size()] = '\0';
}

void CWordAnalyzer::StringFiltation(std::string& strText) const {
    std::string out;
    out.reserve(strText.size());
    Scanner{strText.c_str(), static_cast<int>(strText.size()) - 1}.Filter(
        0, static_cast<int>(strText.size()) - 1, out);
    strText.swap(out);
}

void CWordAnalyzer::StringFiltation(char* szText) const {
    std::string out;
    int n = static_cast<int>(strlen(szText));
    Scanner{szText, n - 1}.Filter(0, n - 1, out);
    memcpy(szText, out.c_str(), out.size() + 1);
}

void CWordAnalyzer::PosToString(const char* szText, int nFirst, int nLast, char* szOut) const {
    int n = std::max(0, nLast - nFirst + 1);
    memcpy(szOut, szText + nFirst, n);
    szOut[n] = '\0';
}
