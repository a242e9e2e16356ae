// Reading markup into elements.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "document/link_slots.h"
#include "markup/scanner.h"
#include "markup/word_analyzer.h"

using PARAMTER = CWordAnalyzer::PARAMTER;
using MESSAGE = CWordAnalyzer::MESSAGE;

namespace tessel::markup {
namespace {

const char* const kCommandNames[] = {"Text",       "Image",       "Formula",        "Edit",
                                     "Check",      "Choice",      "PageTotalScore", "PageScore",
                                     "TotalScore", "Date",        "Time",           "ReverseTime",
                                     "CountTime",  "MultiColumn", "StartColumn",    "EndColumn"};

// The reader's defaults for a parameter that a tag does not give.
constexpr int kDefaultScale = 100;

// Converts like atol, but a value outside 32 bits saturates instead of wrapping.
int ToInt(const char* s, int n) {
    int i = 0;
    bool bNegative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) bNegative = s[i++] == '-';
    long long v = 0;
    for (; i < n && IsDigit(s[i]); ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (bNegative) v = -v;
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// Start of the last character boundary at or before nLimit, walking from a known boundary.
int BoundaryAtOrBefore(const Scanner& s, int nFrom, int nLimit) {
    int p = nFrom;
    while (p < nLimit) {
        int n = s.Len(p);
        if (p + n > nLimit) break;
        p += n;
    }
    return p;
}

struct Reader : Scanner {
    mutable const PARAMTER* m_pParams = nullptr;  // the array the last Params call filled
    mutable int m_nParamsInUse = kMaxParams;      // how many of its positions it gave

    // Reads the parameters of [first, last] (the brackets excluded).
    void Params(PARAMTER* params, int& nCount, int first, int last) const {
        // Positions past those the previous tag gave are still "not given": only those are
        // reset again (a conversion reads all its tags into one array).
        int nDirty = params == m_pParams ? m_nParamsInUse : kMaxParams;
        m_pParams = params;
        m_nParamsInUse = kMaxParams;
        for (int i = 0; i < nDirty; ++i) {
            params[i].nValue = 0;
            params[i].nType = kParamNotGiven;
            params[i].strText.clear();  // keeps its room for the next tag
        }
        nCount = 0;
        Scanner list = Until(last);
        int p = first;
        while (p <= last && list.More(p)) {
            list.SkipSpace(p);
            if (!list.More(p)) break;
            if (nCount == kMaxParams) {
                Report(MarkupIssue::kTooManyParams, true, p, last - p + 1);
                break;
            }
            PARAMTER& param = params[nCount];
            if (IsSeparator(t, p, last)) {
                p += list.Len(p);
            } else if (IsDigit(t[p]) || IsSign(t[p])) {
                int s = p;
                while (p <= last && (IsDigit(t[p]) || IsSign(t[p])))
                    ++p;
                int n = p - s;
                if (n > kMaxNumberChars) {
                    Report(MarkupIssue::kNumberTooLong, true, s + kMaxNumberChars,
                           n - kMaxNumberChars);
                    n = kMaxNumberChars;
                }
                param.nType = kParamNumber;
                param.nValue = ToInt(t + s, n);
                list.SkipSpace(p);
                if (list.More(p)) p += list.Len(p);
            } else if (int q = LeftQuote(t, p, last); q >= 0) {
                p += list.Len(p);
                int s = p;
                int nPrev = -1;
                const char* szMark = CWordAnalyzer::m_szDelRQuotation[q];
                while (list.More(p)) {
                    int n = list.Len(p);
                    bool bMark =
                        t[p] == szMark[0] && (n == 1 ? szMark[1] == '\0' : t[p + 1] == szMark[1]);
                    if (bMark && !(nPrev >= 0 && IsEscape(t, nPrev, last))) break;
                    nPrev = p;
                    p += n;
                }
                param.nType = kParamText;
                Keep(param.strText, s, p, list);
                if (list.More(p)) p += list.Len(p);
                list.SkipSpace(p);
                if (list.More(p)) p += list.Len(p);
            } else {
                int s = p;
                while (list.More(p) && !IsSeparator(t, p, last))
                    p += list.Len(p);
                param.nType = kParamText;
                Keep(param.strText, s, p, list);
                if (list.More(p)) p += list.Len(p);
            }
            ++nCount;
        }
        m_nParamsInUse = nCount;
    }

    // Stores the bytes [s, e) of a text parameter, cut to 129 bytes between characters.
    void Keep(std::string& out, int s, int e, const Scanner& list) const {
        int nKeep = e;
        if (e - s > kMaxTextParamBytes) {
            nKeep = BoundaryAtOrBefore(list, s, s + kMaxTextParamBytes);
            Report(MarkupIssue::kTextParamTooLong, true, s, e - nKeep);
        }
        out.assign(t + s, nKeep - s);
    }

    // Decodes the tag from its tag open (first) to its tag close (last). nListClose is the
    // first unescaped list close of the tag when the caller's scan noted it (-1 for none),
    // kListCloseUnknown when it has to be looked for.
    static constexpr int kListCloseUnknown = -2;
    void Resolve(MESSAGE& msg, int first, int last, int nListClose = kListCloseUnknown) const {
        msg.nParamNum = 0;
        Scanner tag = Until(last - 1);
        int p = first + Len(first);
        tag.SkipSpace(p);
        if (!tag.More(p)) {
            msg.nType = CWordAnalyzer::kNothing;
            Report(MarkupIssue::kEmptyTag, false, first, last - first + 1);
            return;
        }
        std::string_view word = Word(tag, p);
        if (IsSlashToken(word)) {
            word = Word(tag, p);
            if (int prop = PropertyKeyword(word); prop != CWordAnalyzer::kNoKeyword) {
                msg.nType = CWordAnalyzer::kPropertyClose;
                msg.nID = prop;
            } else if (int id = CommandKeyword(word); id != CWordAnalyzer::kNoKeyword) {
                msg.nType = CWordAnalyzer::kCommandClose;
                msg.nID = id;
            } else {
                msg.nType = CWordAnalyzer::kUnknownTag;
            }
            return;
        }
        // Property tags are the most frequent: they are looked up first.
        if (int prop = PropertyKeyword(word); prop != CWordAnalyzer::kNoKeyword) {
            msg.nType = CWordAnalyzer::kPropertyOpen;
            msg.nID = prop;
        } else if (int id = CommandKeyword(word); id != CWordAnalyzer::kNoKeyword) {
            msg.nType = CWordAnalyzer::kCommandTag;
            msg.nID = id;
        } else {
            msg.nType = CWordAnalyzer::kUnknownTag;
            return;
        }
        tag.SkipSpace(p);
        int nOpen = p;
        std::string_view tok = Word(tag, p);
        if (tok != "(" && tok != "\xA3\xA8") {
            Params(msg.Param, msg.nParamNum, 1, 0);  // no list: nothing given
            return;
        }
        int nClose = p;
        int nLast = last - 1;
        bool bClosed;
        if (nListClose == -1 || nListClose > nOpen) {
            bClosed = nListClose >= 0;
            nClose = nListClose;
        } else {
            bClosed = tag.FindListClose(nClose, nOpen);
        }
        if (bClosed) {
            nLast = nClose - 1;
        } else {
            Report(MarkupIssue::kMissingListClose, true, nOpen, last - nOpen);
        }
        Params(msg.Param, msg.nParamNum, p, nLast);
    }

    // The token at p, as NextToken reads it; a run of letters and digits and the ASCII
    // symbols that open a list or mark a closing tag, which are most tags' tokens, are read
    // here directly.
    static std::string_view Word(const Scanner& tag, int& p) {
        if (p > tag.nEnd) return tag.NextToken(p);
        const char* t = tag.t;
        if (IsAlnum(t[p])) {
            int s = p;
            while (p <= tag.nEnd && p - s < kMaxKeywordChars && IsAlnum(t[p]))
                ++p;
            return {t + s, static_cast<size_t>(p - s)};
        }
        if (t[p] == '(' || t[p] == '/') return {t + p++, 1};
        return tag.NextToken(p);
    }

    // The closing-tag mark as a token: "/" or the full-width one. (A token that starts
    // with "/" is that one character.)
    static bool IsSlashToken(std::string_view tok) {
        return !tok.empty() && (tok[0] == '/' || (tok.size() >= 2 && Byte(tok.data(), 0) == 0xA3 &&
                                                  Byte(tok.data(), 1) == 0xAF));
    }

    // The ASCII bytes that stand for themselves in a text run: all but the line breaks, the
    // tab, the escape, "&", the tag open and the ending zero.
    static constexpr std::array<bool, 0x80> kPlainAscii = [] {
        std::array<bool, 0x80> plain{};
        for (int c = 0; c < 0x80; ++c)
            plain[c] = c != '\r' && c != '\n' && c != '\t' && c != '\\' && c != '&' && c != '<' &&
                       c != '\0';
        return plain;
    }();

    // End of the stretch from q (before nStop) of characters that stand for themselves: no
    // line break, tab, escape, "&" or tag open, and no character cut in half.
    int PlainStretch(int q, int nStop) const {
        int r = q;
        while (r < nStop) {
            unsigned char c = Byte(t, r);
            if (c < 0x80) {
                if (!kPlainAscii[c]) break;
                ++r;
            } else {
                if (r + 2 > nStop || t[r + 1] == '\0') break;
                unsigned char c2 = Byte(t, r + 1);
                if ((c == 0xA1 && c2 == 0xB4) || (c == 0xA3 && c2 == 0xDC)) break;  // 〈 ＼
                r += 2;
            }
        }
        return r;
    }

    // Reads the next text run or tag at p and moves p behind it. bBoundary: p is where the
    // previous unit ended (the start, a tag close, or a tag open the run scan accepted), so a
    // tag open here was already judged not to be protected by "&"; otherwise only the byte
    // before p can tell.
    void Unit(MESSAGE& msg, int& p, bool bBoundary) const {
        const int nStart = p;
        while (p <= nEnd && (t[p] == '\r' || t[p] == '\n'))
            ++p;
        int nScan = p;  // where the search for the end of a text run starts
        bool bProtected = !bBoundary && p > 0 && t[p - 1] == '&';
        if (More(p) && IsTagOpen(t, p, nEnd) && !bProtected) {
            int nClose = p;
            int nListClose = -1;
            if (FindTagCloseNotingList(nClose, nListClose)) {
                Resolve(msg, p, nClose, nListClose);
                p = nClose + Len(nClose);
                return;
            }
            Report(MarkupIssue::kUnclosedTag, true, p, nEnd - p + 1);
        }
        // A text run. It is read token by token, so an escape or "&" and the character it
        // protects are taken together, and the run ends at the first tag open that starts a
        // token: "&&<Font" is a literal "&" followed by a tag. The first token belongs to
        // the run whatever it is (a tag open here had no tag close).
        msg.nType = CWordAnalyzer::kTextRun;
        msg.strWord.clear();
        const int nLimit = nStart + kMaxTextRunBytes;  // one past the bytes a run keeps
        int nKept = -1;                                // one past the last token kept
        Scanner quiet = *this;  // what is cut off is reported once, as a whole
        quiet.pSink = nullptr;
        int q = nScan;
        bool bFirst = true;
        for (;;) {
            while (q <= nEnd && (t[q] == '\r' || t[q] == '\n'))
                ++q;
            if (!More(q) || (!bFirst && IsTagOpen(t, q, nEnd))) break;
            bFirst = false;
            if (nKept < 0) {
                // Characters that need no token rule are copied as one stretch.
                int r = PlainStretch(q, std::min(nEnd + 1, nLimit));
                if (r > q) {
                    msg.strWord.append(t + q, r - q);
                    q = r;
                    continue;
                }
            }
            int nToken = q;
            if (nKept >= 0) {
                quiet.NextToken(q);
                continue;
            }
            std::string_view tok = NextToken(q);
            if (q <= nLimit) {
                msg.strWord.append(tok);
            } else {
                // Letters and digits are one byte each: keep those that fit. (Line breaks
                // skipped before the token may already have passed the limit.)
                bool bPart = IsAlnum(t[nToken]) && nToken < nLimit;
                if (bPart) msg.strWord.append(t + nToken, nLimit - nToken);
                nKept = bPart ? nLimit : nToken;
            }
        }
        int nRunEnd = More(q) ? q : nEnd + 1;  // one past the run
        if (nKept >= 0) {
            Report(MarkupIssue::kTextRunTooLong, true, nStart, nRunEnd - nKept);
        }
        p = nRunEnd;
    }
};

struct FontEntry {
    std::string strFace;
    int nSize, nItalic, nBold, nUnderline;
};
struct ColorEntry {
    int nRed, nGreen, nBlue;
};
struct HotLinkEntry {
    int nCode = kNoHotLink;
    PARAMTER Param[kHotLinkParams];
};

// A number parameter, or the fallback when the tag does not give it.
int ValueOr(const PARAMTER& p, int nFallback) {
    return p.nType == kParamNotGiven ? nFallback : p.nValue;
}

void SetNumber(LINKPARAM& slot, int nValue) {
    slot.nType = kParamNumber;
    slot.nValue = nValue;
}

// dst is a slot of a new element: its text is still empty, so only a text is copied.
void CopyParam(LINKPARAM& dst, const PARAMTER& src) {
    dst.nType = src.nType;
    dst.nValue = src.nValue;
    if (!src.strText.empty()) dst.strText = src.strText;
}

// The four property stacks of one conversion; each keeps its base entry. The font and
// hot-link stacks hold texts: their closed entries are kept (past nFont, nHotLink) and
// reused by the next opening tag, so that their texts keep their room.
struct Properties {
    std::vector<FontEntry> font{{"\xCB\xCE\xCC\xE5", 12, 0, 0, 0}};  // 宋体
    std::vector<ColorEntry> color{{0, 0, 0}};
    std::vector<int> footnote{kFootNoteNormal};
    std::vector<HotLinkEntry> hotlink{HotLinkEntry{}};
    std::size_t nFont = 1;     // open font entries, the base included
    std::size_t nHotLink = 1;  // open hot-link entries, the base included

    // The entry above the open ones, made when there is none yet.
    template <class Entry>
    static Entry& Above(std::vector<Entry>& stack, std::size_t nOpen) {
        if (nOpen == stack.size()) stack.emplace_back();
        return stack[nOpen];
    }

    void Open(int nID, const PARAMTER* P) {
        switch (nID) {
            case CWordAnalyzer::kPropFont: {
                FontEntry& e = Above(font, nFont);
                const FontEntry& top = font[nFont - 1];
                e.strFace = P[0].nType == kParamNotGiven ? top.strFace : P[0].strText;
                e.nSize = ValueOr(P[1], top.nSize);
                e.nItalic = ValueOr(P[2], top.nItalic);
                e.nBold = ValueOr(P[3], top.nBold);
                e.nUnderline = ValueOr(P[4], top.nUnderline);
                ++nFont;
                break;
            }
            case CWordAnalyzer::kPropColor: {
                const ColorEntry& top = color.back();
                color.push_back(
                    {ValueOr(P[0], top.nRed), ValueOr(P[1], top.nGreen), ValueOr(P[2], top.nBlue)});
                break;
            }
            case CWordAnalyzer::kPropFootNote:
                footnote.push_back(ValueOr(P[0], footnote.back()));
                break;
            case CWordAnalyzer::kPropHotLink: {
                HotLinkEntry& e = Above(hotlink, nHotLink);
                e.nCode = ValueOr(P[0], kNoHotLink);
                for (int i = 0; i < kHotLinkParams; ++i)
                    e.Param[i] = P[i + 1];
                ++nHotLink;
                break;
            }
        }
    }

    // False when only the base entry is left: the closing tag closes nothing.
    bool Close(int nID) {
        auto pop = [](auto& stack) {
            if (stack.size() <= 1) return false;
            stack.pop_back();
            return true;
        };
        auto close = [](std::size_t& nOpen) {
            if (nOpen <= 1) return false;
            --nOpen;
            return true;
        };
        switch (nID) {
            case CWordAnalyzer::kPropFont:
                return close(nFont);
            case CWordAnalyzer::kPropColor:
                return pop(color);
            case CWordAnalyzer::kPropFootNote:
                return pop(footnote);
            case CWordAnalyzer::kPropHotLink:
                return close(nHotLink);
        }
        return false;
    }

    void FillFont(CLink& link) const {
        const FontEntry& f = font[nFont - 1];
        link.m_Font[0].nType = kParamText;
        link.m_Font[0].strText = f.strFace;
        SetNumber(link.m_Font[1], f.nSize);
        SetNumber(link.m_Font[2], f.nItalic);
        SetNumber(link.m_Font[3], f.nBold);
        SetNumber(link.m_Font[4], f.nUnderline);
        const ColorEntry& c = color.back();
        SetNumber(link.m_Color[0], c.nRed);
        SetNumber(link.m_Color[1], c.nGreen);
        SetNumber(link.m_Color[2], c.nBlue);
    }
    void FillHotLink(CLink& link) const {
        const HotLinkEntry& h = hotlink[nHotLink - 1];
        link.m_HotLink[0].nType = kParamNumber;
        link.m_HotLink[0].nValue = h.nCode;
        if (nHotLink == 1) {
            // No link: the base entry's parameters are all not given.
            for (int i = 0; i < kHotLinkParams; ++i) {
                link.m_HotLink[i + 1].nType = kParamNotGiven;
                link.m_HotLink[i + 1].nValue = 0;
            }
            return;
        }
        for (int i = 0; i < kHotLinkParams; ++i)
            CopyParam(link.m_HotLink[i + 1], h.Param[i]);
    }
};

// Slot i of an element records how parameter i of its tag was given (number, text or not
// given), for the first types.size() slots: the tags give their parameters in the order of
// the slots. Informational only: the slots' values are read by name.
void RecordTypes(CLink& link, std::initializer_list<int> types) {
    int i = 0;
    for (int nType : types)
        link.m_Command[i++].nType = nType;
}
void RecordTypes(CLink& link, const PARAMTER* P, int nSlots) {
    for (int i = 0; i < nSlots; ++i)
        link.m_Command[i].nType = P[i].nType;
}

// Builds the element of a command tag; null for the keywords that make none.
CLink* MakeCommand(const MESSAGE& msg, const Properties& props) {
    const PARAMTER* P = msg.Param;
    CLink* pLink = nullptr;
    switch (msg.nID) {
        case kKindImage:
            pLink = new CLink;
            props.FillHotLink(*pLink);
            // The transparent flag is recorded as a number, however the tag gives it.
            RecordTypes(*pLink, {P[0].nType, kParamNumber, P[2].nType});
            slots::FileName(*pLink) = P[0].strText;
            slots::ImageTransparent(*pLink) = P[1].nValue;
            slots::ImageScale(*pLink) = ValueOr(P[2], kDefaultScale);
            break;
        case kKindFormula:
            pLink = new CLink;
            RecordTypes(*pLink, P, 4);
            slots::FileName(*pLink) = P[0].strText;
            slots::FormulaScale(*pLink) = ValueOr(P[1], kDefaultScale);
            slots::FormulaWidth(*pLink) = ValueOr(P[2], 0);
            slots::FormulaHeight(*pLink) = ValueOr(P[3], 0);
            break;
        case kKindEdit:
            pLink = new CLink;
            RecordTypes(*pLink, P, 6);
            slots::EditWidth(*pLink) = ValueOr(P[0], 0);
            slots::EditHeight(*pLink) = ValueOr(P[1], 0);
            slots::EditAnswer(*pLink) = P[2].strText;
            slots::EditTextColor(*pLink) = ValueOr(P[3], 0);
            slots::EditBackColor(*pLink) = ValueOr(P[4], 0);
            slots::EditStyle(*pLink) = ValueOr(P[5], 0);
            break;
        case kKindCheck: {
            pLink = new CLink;
            RecordTypes(*pLink, P, 1);
            int& n = slots::CheckState(*pLink);
            n = ValueOr(P[0], 0);
            if (n != slots::kCheckWrong && n != slots::kCheckRight && n != slots::kOptionWrong &&
                n != slots::kOptionRight)
                n = slots::kOptionWrong;
            break;
        }
        case kKindChoice:
            pLink = new CLink;
            RecordTypes(*pLink, P, 2);
            slots::ChoiceAnswer(*pLink) = ValueOr(P[0], 0);
            slots::ChoiceOptions(*pLink) = ValueOr(P[1], 0);
            break;
        case kKindPageTotalScore:
        case kKindPageScore:
        case kKindTotalScore:
            pLink = new CLink;
            props.FillFont(*pLink);
            RecordTypes(*pLink, P, 1);
            slots::ScorePage(*pLink) = P[0].strText;
            break;
        case kKindMultiColumn:
            // Every slot takes the parameter of its position: the count, the gap, the widths.
            pLink = new CLink;
            RecordTypes(*pLink, P, kCommandSlots);
            for (int i = 0; i < kCommandSlots; ++i)
                pLink->m_Command[i].nValue = ValueOr(P[i], 0);
            break;
        case kKindStartColumn:
        case kKindEndColumn:
            pLink = new CLink;
            break;
        default:
            return nullptr;
    }
    pLink->m_nKind = msg.nID;
    return pLink;
}

// Passes reports on and counts them, so that the reader can tell a unit that reported
// nothing.
struct CountingSink : IMarkupSink {
    IMarkupSink* pOuter = nullptr;
    int nReports = 0;
    void Report(const MarkupDiagnostic& d) override {
        ++nReports;
        pOuter->Report(d);
    }
};

// The tags read so far, with what they read as. A page repeats its tags (the writer gives
// every element its own Font and Color tags), and how a tag reads depends on its bytes
// alone, from its tag open to its tag close: a tag whose bytes equal those of a tag read
// before, and whose reading reported nothing, reads as that tag did, without being scanned
// again. Tags are kept by a hash of their bytes up to the first ">"; one tag per bucket.
struct TagMemo {
    static constexpr std::size_t kBuckets = 1024;
    // Entries are made a few at a time, more as more are needed.
    static constexpr std::size_t kFirstChunk = 4;
    static constexpr std::size_t kLargestChunk = 64;
    struct Entry {
        std::string_view bytes;  // the whole tag, in the markup being read; empty: none
        MESSAGE msg;
    };
    Entry* buckets[kBuckets] = {};
    Entry* pNext = nullptr;  // the entry the next unit is read into
    std::vector<std::unique_ptr<Entry[]>> chunks;
    std::size_t nChunk = 0;  // entries of the last chunk
    std::size_t nUsed = 0;   // entries handed out of it

    // Tags that differ mostly differ in their keyword, their length or their last
    // parameters: the length and the first, middle and last bytes tell most apart.
    static std::size_t Bucket(std::string_view bytes) {
        const std::size_t n = bytes.size();
        std::uint64_t h = n;
        if (n >= 8) {
            std::uint64_t a, b, c;
            memcpy(&a, bytes.data(), 8);
            memcpy(&b, bytes.data() + (n - 8) / 2, 8);
            memcpy(&c, bytes.data() + n - 8, 8);
            h ^= a * 0x9E3779B97F4A7C15ull;
            h ^= (b + (h << 6) + (h >> 2)) * 0xC2B2AE3D27D4EB4Full;
            h ^= (c + (h << 6) + (h >> 2)) * 0x165667B19E3779F9ull;
        } else if (n >= 4) {
            std::uint32_t a, c;
            memcpy(&a, bytes.data(), 4);
            memcpy(&c, bytes.data() + n - 4, 4);
            h ^= (std::uint64_t{a} << 32 | c) * 0x9E3779B97F4A7C15ull;
        } else {
            for (char ch : bytes)
                h = h * 131 + static_cast<unsigned char>(ch);
        }
        return static_cast<std::size_t>(h ^ (h >> 29) ^ (h >> 47)) % kBuckets;
    }
    // The bytes from p to the first ">" (up to nEnd), empty when there is none.
    static std::string_view Key(const char* t, int p, int nEnd) {
        const void* pClose = memchr(t + p, '>', static_cast<std::size_t>(nEnd - p + 1));
        if (!pClose) return {};
        return {t + p, static_cast<std::size_t>(static_cast<const char*>(pClose) - (t + p) + 1)};
    }
    // The entry of the tag at p when it is one of the tags kept; null when it is none.
    const Entry* Find(const char* t, int p, int nEnd) const {
        std::string_view key = Key(t, p, nEnd);
        if (key.empty()) return nullptr;
        const Entry* e = buckets[Bucket(key)];
        return e && e->bytes == key ? e : nullptr;
    }
    // The message the next unit is read into.
    MESSAGE& Next() {
        if (!pNext) {
            if (nUsed == nChunk) {
                nChunk = nChunk == 0 ? kFirstChunk : std::min(2 * nChunk, kLargestChunk);
                chunks.push_back(std::make_unique_for_overwrite<Entry[]>(nChunk));
                nUsed = 0;
            }
            pNext = &chunks.back()[nUsed++];
        }
        return pNext->msg;
    }
    // Keeps the tag [first, end) just read into Next()'s message, in place of the tag of
    // its bucket, whose entry is read into next.
    void Keep(const char* t, int first, int end) {
        pNext->bytes = std::string_view(t + first, static_cast<std::size_t>(end - first));
        std::swap(pNext, buckets[Bucket(pNext->bytes)]);
        if (pNext) pNext->bytes = {};
    }
};

}  // namespace
}  // namespace tessel::markup

using namespace tessel::markup;

void CWordAnalyzer::Convert(const char* szMarkup, CMyList* pList, IMarkupSink* pSink) const {
    if (!szMarkup || !pList) return;
    int nLength = static_cast<int>(strnlen(szMarkup, INT_MAX));
    int nEnd = nLength - 1;
    CountingSink counter;
    counter.pOuter = pSink;
    Reader reader{{szMarkup, std::min(nEnd, kMaxMarkupBytes - 1), pSink ? &counter : nullptr}};
    if (nLength > kMaxMarkupBytes) {
        reader.Report(MarkupIssue::kMarkupTooLong, true, kMaxMarkupBytes,
                      nLength - kMaxMarkupBytes);
    }
    Properties props;
    // A short text (a pasted piece, a single run) is read without the memo: it is made
    // once this many tags have been read.
    constexpr int kTagsBeforeMemo = 8;
    std::unique_ptr<TagMemo> pMemo;
    int nTags = 0;
    MESSAGE first;  // what the units before the memo are read into
    int p = 0;
    while (p <= reader.nEnd) {
        // Diagnostics name the tag itself, not the line breaks before it.
        int nUnit = p;
        while (nUnit <= reader.nEnd && (szMarkup[nUnit] == '\r' || szMarkup[nUnit] == '\n'))
            ++nUnit;
        const MESSAGE* pMsg = nullptr;
        const TagMemo::Entry* pKept = nullptr;
        if (pMemo && nUnit <= reader.nEnd &&
            (szMarkup[nUnit] == '<' || Byte(szMarkup, nUnit) == 0xA1))
            pKept = pMemo->Find(szMarkup, nUnit, reader.nEnd);
        if (pKept) {
            pMsg = &pKept->msg;
            p = nUnit + static_cast<int>(pKept->bytes.size());
        } else {
            MESSAGE& msg = pMemo ? pMemo->Next() : first;
            const int nReports = counter.nReports;
            reader.Unit(msg, p, true);
            nUnit = std::min(nUnit, p);
            bool bTag = msg.nType == kPropertyOpen || msg.nType == kPropertyClose ||
                        msg.nType == kCommandTag || msg.nType == kCommandClose;
            if (bTag && pMemo && counter.nReports == nReports) pMemo->Keep(szMarkup, nUnit, p);
            pMsg = &msg;
            if (bTag && !pMemo && ++nTags == kTagsBeforeMemo) pMemo = std::make_unique<TagMemo>();
        }
        const MESSAGE& msg = *pMsg;
        switch (msg.nType) {
            case kTextRun: {
                CLink* pLink = new CLink;
                props.FillFont(*pLink);
                SetNumber(pLink->m_FootNote[0], props.footnote.back());
                props.FillHotLink(*pLink);
                RecordTypes(*pLink, {kParamText});
                tessel::slots::Text(*pLink) = msg.strWord;
                pList->Append(pLink);
                break;
            }
            case kPropertyOpen:
                props.Open(msg.nID, msg.Param);
                break;
            case kPropertyClose:
                if (!props.Close(msg.nID)) {
                    reader.Report(MarkupIssue::kUnmatchedClose, false, nUnit, p - nUnit, msg.nID,
                                  m_PropertyID[msg.nID]);
                }
                break;
            case kCommandTag:
                if (CLink* pLink = MakeCommand(msg, props)) {
                    pList->Append(pLink);
                } else {
                    reader.Report(MarkupIssue::kIgnoredKeyword, true, nUnit, p - nUnit, msg.nID,
                                  kCommandNames[msg.nID]);
                }
                break;
            case kCommandClose:
                if (msg.nID == kKindStartColumn) {
                    CLink* pLink = new CLink;
                    pLink->m_nKind = kKindEndColumn;
                    pList->Append(pLink);
                } else {
                    reader.Report(MarkupIssue::kUnmatchedClose, false, nUnit, p - nUnit, msg.nID,
                                  kCommandNames[msg.nID]);
                }
                break;
            case kUnknownTag:
                reader.Report(MarkupIssue::kUnknownTag, true, nUnit, nLength - nUnit, 0,
                              std::string_view(szMarkup + nUnit, p - nUnit));
                return;
            default:
                break;
        }
    }
}

void CWordAnalyzer::GetRealWord(const char* szText, MESSAGE& msg, int& nPos, int nEnd) const {
    Reader{{szText, nEnd}}.Unit(msg, nPos, false);
}

void CWordAnalyzer::ResolveCommand(const char* szText, MESSAGE& msg, int nFirst, int nLast) const {
    Reader{{szText, nLast}}.Resolve(msg, nFirst, nLast);
}

int CWordAnalyzer::GetParam(const char* szText, PARAMTER* pParams, int& nCount, int nFirst,
                            int nLast) const {
    Reader{{szText, nLast}}.Params(pParams, nCount, nFirst, nLast);
    return 1;
}
