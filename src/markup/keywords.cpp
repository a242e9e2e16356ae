// Keyword and quotation tables, and the lookups on them.
#include <cstring>

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

}  // namespace

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
