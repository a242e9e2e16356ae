// Reading markup into elements.
#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>
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

    // Decodes the tag from its tag open (first) to its tag close (last).
    void Resolve(MESSAGE& msg, int first, int last) const {
        msg.nParamNum = 0;
        Scanner tag = Until(last - 1);
        int p = first + Len(first);
        tag.SkipSpace(p);
        if (!tag.More(p)) {
            msg.nType = CWordAnalyzer::kNothing;
            Report(MarkupIssue::kEmptyTag, false, first, last - first + 1);
            return;
        }
        char szWord[kTokenBufferBytes];
        Copy(tag.NextToken(p), szWord);
        CWordAnalyzer wa;
        if (IsSlash(szWord, 0, 1)) {
            Copy(tag.NextToken(p), szWord);
            if (int prop = wa.GetPropertyID(szWord); prop != CWordAnalyzer::kNoKeyword) {
                msg.nType = CWordAnalyzer::kPropertyClose;
                msg.nID = prop;
            } else if (int id = wa.GetCommandID(szWord); id != CWordAnalyzer::kNoKeyword) {
                msg.nType = CWordAnalyzer::kCommandClose;
                msg.nID = id;
            } else {
                msg.nType = CWordAnalyzer::kUnknownTag;
            }
            return;
        }
        // Property tags are the most frequent: they are looked up first.
        if (int prop = wa.GetPropertyID(szWord); prop != CWordAnalyzer::kNoKeyword) {
            msg.nType = CWordAnalyzer::kPropertyOpen;
            msg.nID = prop;
        } else if (int id = wa.GetCommandID(szWord); id != CWordAnalyzer::kNoKeyword) {
            msg.nType = CWordAnalyzer::kCommandTag;
            msg.nID = id;
        } else {
            msg.nType = CWordAnalyzer::kUnknownTag;
            return;
        }
        tag.SkipSpace(p);
        int nOpen = p;
        std::string_view tok = tag.NextToken(p);
        if (tok != "(" && tok != "\xA3\xA8") {
            Params(msg.Param, msg.nParamNum, 1, 0);  // no list: nothing given
            return;
        }
        int nClose = p;
        int nLast = last - 1;
        if (tag.FindListClose(nClose, nOpen)) {
            nLast = nClose - 1;
        } else {
            Report(MarkupIssue::kMissingListClose, true, nOpen, last - nOpen);
        }
        Params(msg.Param, msg.nParamNum, p, nLast);
    }

    static void Copy(std::string_view tok, char* out) {
        if (!tok.empty()) memcpy(out, tok.data(), tok.size());
        out[tok.size()] = '\0';
    }

    // End of the stretch from q (before nStop) of characters that stand for themselves: no
    // line break, tab, escape, "&" or tag open, and no character cut in half.
    int PlainStretch(int q, int nStop) const {
        int r = q;
        while (r < nStop) {
            unsigned char c = Byte(t, r);
            if (c < 0x80) {
                if (c == '\r' || c == '\n' || c == '\t' || c == '\\' || c == '&' || c == '<' ||
                    c == '\0')
                    break;
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
            if (FindTagClose(nClose, -1)) {
                Resolve(msg, p, nClose);
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

void CopyParam(LINKPARAM& dst, const PARAMTER& src) {
    dst.nType = src.nType;
    dst.nValue = src.nValue;
    dst.strText = src.strText;
}

// The four property stacks of one conversion; each keeps its base entry.
struct Properties {
    std::vector<FontEntry> font{{"\xCB\xCE\xCC\xE5", 12, 0, 0, 0}};  // 宋体
    std::vector<ColorEntry> color{{0, 0, 0}};
    std::vector<int> footnote{kFootNoteNormal};
    std::vector<HotLinkEntry> hotlink{HotLinkEntry{}};

    void Open(int nID, const PARAMTER* P) {
        switch (nID) {
            case CWordAnalyzer::kPropFont: {
                const FontEntry& top = font.back();
                font.push_back({P[0].nType == kParamNotGiven ? top.strFace : P[0].strText,
                                ValueOr(P[1], top.nSize), ValueOr(P[2], top.nItalic),
                                ValueOr(P[3], top.nBold), ValueOr(P[4], top.nUnderline)});
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
                HotLinkEntry e;
                e.nCode = ValueOr(P[0], kNoHotLink);
                for (int i = 0; i < kHotLinkParams; ++i)
                    e.Param[i] = P[i + 1];
                hotlink.push_back(std::move(e));
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
        switch (nID) {
            case CWordAnalyzer::kPropFont:
                return pop(font);
            case CWordAnalyzer::kPropColor:
                return pop(color);
            case CWordAnalyzer::kPropFootNote:
                return pop(footnote);
            case CWordAnalyzer::kPropHotLink:
                return pop(hotlink);
        }
        return false;
    }

    void FillFont(CLink& link) const {
        const FontEntry& f = font.back();
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
        const HotLinkEntry& h = hotlink.back();
        link.m_HotLink[0].nType = kParamNumber;
        link.m_HotLink[0].nValue = h.nCode;
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

}  // namespace
}  // namespace tessel::markup

using namespace tessel::markup;

void CWordAnalyzer::Convert(const char* szMarkup, CMyList* pList, IMarkupSink* pSink) const {
    if (!szMarkup || !pList) return;
    int nLength = static_cast<int>(strnlen(szMarkup, INT_MAX));
    int nEnd = nLength - 1;
    Reader reader{{szMarkup, std::min(nEnd, kMaxMarkupBytes - 1), pSink}};
    if (nLength > kMaxMarkupBytes) {
        reader.Report(MarkupIssue::kMarkupTooLong, true, kMaxMarkupBytes,
                      nLength - kMaxMarkupBytes);
    }
    Properties props;
    MESSAGE msg;
    int p = 0;
    while (p <= reader.nEnd) {
        int nUnit = p;
        reader.Unit(msg, p, true);
        // Diagnostics name the tag itself, not the line breaks before it.
        while (nUnit < p && (szMarkup[nUnit] == '\r' || szMarkup[nUnit] == '\n'))
            ++nUnit;
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
