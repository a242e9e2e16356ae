#pragma once

#include <string>
#include <string_view>

#include "markup/diagnostics.h"
#include "markup/symbols.h"

namespace tessel::markup {

// The reader's view of one text: the bytes it may read (0..nEnd) and where to report what it
// drops. Copies are cheap; a narrower range is a copy with a smaller nEnd.
struct Scanner {
    const char* t;
    int nEnd;                      // last index that may be read
    IMarkupSink* pSink = nullptr;  // null: nothing is reported

    int Len(int p) const { return CharLen(t, p, nEnd); }
    bool More(int p) const { return p <= nEnd && t[p] != '\0'; }
    Scanner Until(int nLast) const { return {t, nLast, pSink}; }

    void Report(MarkupIssue nIssue, bool bLoss, int nOffset, int nLength, int nValue = 0,
                std::string_view detail = {}) const {
        if (!pSink) return;
        MarkupDiagnostic d;
        d.nIssue = nIssue;
        d.bLoss = bLoss;
        d.nOffset = nOffset;
        d.nLength = nLength;
        d.nValue = nValue;
        d.strDetail = detail;
        pSink->Report(d);
    }

    // Reads one token at p (the unit of text with escapes resolved) and advances past it.
    // Always advances while p is within range, so loops over tokens end.
    std::string_view NextToken(int& p) const;
    // Appends the concatenation of every token of [first, last] to out.
    void Filter(int first, int last, std::string& out) const;

    // Bracket finders. Scanning starts at p; nPrev is the start of the character before p
    // when known (it decides whether the character at p is escaped), -1 when not.
    // On success p is on the bracket; otherwise p is past the range.
    bool FindTagOpen(int& p, int nPrev) const;
    bool FindTagClose(int& p, int nPrev) const;
    bool FindListOpen(int& p, int nPrev) const;
    bool FindListClose(int& p, int nPrev) const;
    // FindTagClose from the tag open at p, which also notes in nListClose the first list
    // close before the tag close that no escape precedes (-1 when none). The tag's keyword
    // and its list open come before any list close, so that is the close of its list: the
    // parameter list is then not scanned a second time.
    bool FindTagCloseNotingList(int& p, int& nListClose) const;

    void SkipSpace(int& p) const {
        while (p <= nEnd && IsSpace(t[p]))
            ++p;
    }

  private:
    template <class IsBracket>
    bool Find(int& p, int nPrev, IsBracket isBracket, char cAscii, bool bAmpersandProtects) const;
    bool EscapedBefore(int p, int nPrev) const;
};

}  // namespace tessel::markup
