// Keyword and quotation tables, and the lookups on them.
#include <cstring>
#include <string_view>

#include "markup/symbols.h"
#include "markup/word_analyzer.h"

const char* const CWordAnalyzer::m_CommandID[] = {
    "Text",           "Image",       "Formula",     "Edit",      "Check", "Choice",
    "PageTotalScore", "PageScore",   "TotalScore",  "Date",      "Time",  "ReverseTime",
    "CountTime",      "MultiColumn", "StartColumn", "EndColumn", ""};

const char* const CWordAnalyzer::m_PropertyID[] = {"Font", "Color", "FootNote", "HotLink", ""};

const char* const CWordAnalyzer::m_szDelLQuotation[] = {"'",        "\"",       "\xA3\xA2",
                                                        "\xA1\xAE", "\xA1\xB0", ""};
const char* const CWordAnalyzer::m_szDelRQuotation[] = {"'",        "\"",       "\xA3\xA2",
                                                        "\xA1\xAF", "\xA1\xB1", ""};

namespace tessel::markup {
namespace {

// ASCII letters compare without regard to case; every other byte compares exactly, whatever
// the process locale says.
bool EqualNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a + 32) : *a;
        char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b + 32) : *b;
        if (ca != cb) return false;
        if (ca == '\0') return true;
    }
}

int Lookup(const char* const* table, const char* szWord) {
    if (!szWord) return CWordAnalyzer::kNoKeyword;
    // Keywords are letters only: a first letter that differs (ignoring case) rules an entry
    // out before the whole word is compared.
    char c0 = static_cast<char>(szWord[0] | 0x20);
    for (int i = 0; table[i][0]; ++i) {
        if ((table[i][0] | 0x20) == c0 && EqualNoCase(table[i], szWord)) return i;
    }
    return CWordAnalyzer::kNoKeyword;
}

// The tables again as views, for lookups of a token that is not NUL-terminated.
template <std::size_t N>
struct ViewTable {
    std::string_view words[N];
};
template <std::size_t N>
constexpr ViewTable<N> MakeViews(const char* const (&names)[N]) {
    ViewTable<N> v{};
    for (std::size_t i = 0; i < N; ++i)
        v.words[i] = names[i];
    return v;
}
constexpr const char* kPropertyNames[] = {"Font", "Color", "FootNote", "HotLink"};
constexpr const char* kCommandNames[] = {
    "Text",           "Image",       "Formula",     "Edit",     "Check", "Choice",
    "PageTotalScore", "PageScore",   "TotalScore",  "Date",     "Time",  "ReverseTime",
    "CountTime",      "MultiColumn", "StartColumn", "EndColumn"};
constexpr auto kPropertyViews = MakeViews(kPropertyNames);
constexpr auto kCommandViews = MakeViews(kCommandNames);

// Keywords are ASCII letters: (c | 0x20) equals a lower-case letter exactly when c is that
// letter in either case, so one OR per byte compares without regard to case.
bool SameWord(std::string_view w, std::string_view keyword) {
    if (w.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if ((static_cast<unsigned char>(w[i]) | 0x20) !=
            (static_cast<unsigned char>(keyword[i]) | 0x20))
            return false;
    }
    return true;
}

// The one entry of a table that can match a word of its length and first letter; each
// candidate is compared whole. -1: none.
int PropertyCandidate(std::size_t nLength) {
    switch (nLength) {
        case 4:
            return CWordAnalyzer::kPropFont;
        case 5:
            return CWordAnalyzer::kPropColor;
        case 8:
            return CWordAnalyzer::kPropFootNote;
        case 7:
            return CWordAnalyzer::kPropHotLink;
    }
    return -1;
}

int CommandCandidate(std::string_view w) {
    const char c = static_cast<char>(w[0] | 0x20);
    switch (w.size()) {
        case 4:  // Text Edit Date Time
            return c == 't'   ? (((w[1] | 0x20) == 'e') ? kKindText : kKindTime)
                   : c == 'e' ? kKindEdit
                   : c == 'd' ? kKindDate
                              : -1;
        case 5:  // Image Check
            return c == 'i' ? kKindImage : c == 'c' ? kKindCheck : -1;
        case 6:
            return kKindChoice;
        case 7:
            return kKindFormula;
        case 9:  // PageScore CountTime EndColumn
            return c == 'p' ? kKindPageScore : c == 'c' ? kKindCountTime : kKindEndColumn;
        case 10:
            return kKindTotalScore;
        case 11:  // ReverseTime MultiColumn StartColumn
            return c == 'r' ? kKindReverseTime : c == 'm' ? kKindMultiColumn : kKindStartColumn;
        case 14:
            return kKindPageTotalScore;
    }
    return -1;
}

}  // namespace

int PropertyKeyword(std::string_view w) {
    int i = PropertyCandidate(w.size());
    return i >= 0 && SameWord(w, kPropertyViews.words[i]) ? i : CWordAnalyzer::kNoKeyword;
}
int CommandKeyword(std::string_view w) {
    if (w.empty()) return CWordAnalyzer::kNoKeyword;
    int i = CommandCandidate(w);
    return i >= 0 && SameWord(w, kCommandViews.words[i]) ? i : CWordAnalyzer::kNoKeyword;
}

int QuoteLen(int q) {
    return q <= 1 ? 1 : 2;
}
bool KeywordEqual(const char* a, const char* b) {
    return EqualNoCase(a, b);
}

}  // namespace tessel::markup

using namespace tessel::markup;

int CWordAnalyzer::IsCommand(const char* szWord) const {
    return Lookup(m_CommandID, szWord) != kNoKeyword ? 1 : 0;
}
int CWordAnalyzer::IsProperty(const char* szWord) const {
    return Lookup(m_PropertyID, szWord) != kNoKeyword ? 1 : 0;
}
int CWordAnalyzer::GetCommandID(const char* szWord) const {
    return Lookup(m_CommandID, szWord);
}
int CWordAnalyzer::GetPropertyID(const char* szWord) const {
    return Lookup(m_PropertyID, szWord);
}

// A quotation mark is at most two bytes; the text is NUL-terminated, so the second byte can
// always be looked at.
int CWordAnalyzer::IsLQuotation(const char* szAt) {
    return LeftQuote(szAt, 0, 1);
}
int CWordAnalyzer::IsRQuotation(const char* szAt) {
    return RightQuote(szAt, 0, 1);
}

int CWordAnalyzer::StringEqu(const char* szA, const char* szB) const {
    return EqualNoCase(szA, szB) ? 1 : 0;
}
int CWordAnalyzer::GetStringLength(const char* szText) const {
    return static_cast<int>(strlen(szText));
}
int CWordAnalyzer::CheckCommandError(const char*) const {
    return 1;
}
