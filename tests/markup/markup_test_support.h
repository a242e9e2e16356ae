#pragma once

// Shared helpers of the markup tests: building elements, reading and writing markup, telling
// what an element's markup carries, and a sink that collects what is reported.

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "document/char_format.h"
#include "document/gbk_char.h"
#include "markup/word_analyzer.h"

namespace markup_test {

inline const std::string kSongTi = "\xcb\xce\xcc\xe5";   // 宋体
inline const std::string kSlashChar = "\x95\x5c";        // second byte is the "\" code
inline const std::string kTagOpenFull = "\xa1\xb4";      // 〈
inline const std::string kTagCloseFull = "\xa1\xb5";     // 〉
inline const std::string kEscapeFull = "\xa3\xdc";       // ＼
inline const std::string kListOpenFull = "\xa3\xa8";     // （
inline const std::string kListCloseFull = "\xa3\xa9";    // ）
inline const std::string kChinese = "\xd6\xd0\xce\xc4";  // 中文

struct Fmt {
    std::string face = kSongTi;
    int size = 12, italic = 0, bold = 0, underline = 0;
    int red = 0, green = 0, blue = 0;
    int footNote = kFootNoteNormal;
};

inline LINKPARAM N(int value) {
    return {kParamNumber, value, ""};
}
inline LINKPARAM T(std::string text) {
    return {kParamText, 0, std::move(text)};
}

// An element of the kind with its command slots given in order, in the format.
inline CLink* NewObject(int kind, std::initializer_list<LINKPARAM> slots, const Fmt& f = {}) {
    CLink* p = new CLink;
    p->m_nKind = kind;
    std::ranges::copy(slots, p->m_Command);
    p->m_Font[0] = T(f.face);
    const int values[] = {f.size, f.italic, f.bold, f.underline, f.red, f.green, f.blue};
    for (int i = 0; i < 7; ++i)
        (i < 4 ? p->m_Font[i + 1] : p->m_Color[i - 4]) = N(values[i]);
    p->m_FootNote[0] = N(f.footNote);
    return p;
}

inline CLink* NewText(const std::string& text, const Fmt& f = {}) {
    return NewObject(kKindText, {T(text)}, f);
}

// Sets the hot link: slot [0] is the code, the given slots are [1], [2], ...
inline CLink* SetHotLink(CLink* p, int code, std::initializer_list<LINKPARAM> params = {}) {
    p->m_HotLink[0] = N(code);
    std::ranges::copy(params, p->m_HotLink + 1);
    return p;
}

inline std::vector<CLink*> Elements(CMyList& list) {
    std::vector<CLink*> out;
    for (list.First(); list.IsInList(); list.Next())
        out.push_back(list.GetCurr());
    return out;
}

inline CMyList Read(const std::string& markup, IMarkupSink* pSink = nullptr) {
    CMyList list;
    CWordAnalyzer().Convert(markup.c_str(), &list, pSink);
    return list;
}

inline std::string Write(CMyList& list, IMarkupSink* pSink = nullptr) {
    std::string out = "stale";
    CWordAnalyzer().CodeGeneration(out, &list, 0, pSink);
    return out;
}

// What each kind's tag carries: its command slots in order (n a number, t a text), and F the
// font and colour, O the footnote, H the hot link.
// clang-format off
inline const std::string kKindShapes[][3] = {
    {"Text", "t", "FOH"}, {"Image", "tnn", "H"}, {"Formula", "tnnn"}, {"Edit", "nntnnn"},
    {"Check", "n"}, {"Choice", "nn"}, {"PageTotalScore", "t", "F"}, {"PageScore", "t", "F"},
    {"TotalScore", "t", "F"}, {"Date"}, {"Time"}, {"ReverseTime"}, {"CountTime"}, {"MultiColumn"},
    {"StartColumn"}, {"EndColumn"}};
// The hot-link parameters each code's tag carries; m is a media entry (a text or a number).
inline const std::map<int, std::string> kHotLinkShapes = {
    {0, "t"}, {1, "nnnnt"}, {2, "nnt"}, {3, "nt"}, {4, "t"}, {5, "t"}, {10, "mnn"}, {11, "mnn"},
    {12, "mnn"}, {13, "mnn"}, {20, ""}, {21, "nnnnt"}, {22, "nnnnt"}, {23, "tttnn"}, {30, "t"},
    {31, ""}};
// clang-format on

inline std::string Slots(const LINKPARAM* slots, const std::string& shape) {
    std::string s;
    for (size_t i = 0; i < shape.size(); ++i) {
        bool text = shape[i] == 't' || (shape[i] == 'm' && slots[i].nType != kParamNumber);
        s += text ? " '" + slots[i].strText + "'" : " " + std::to_string(slots[i].nValue);
    }
    return s;
}

// Every field of an element that its markup carries, e.g. "Check 1" or
// "Text 'abc' font 'Arial' 9 0 1 0 color 4 5 6 foot 2 link 100".
inline std::string Describe(const CLink* p) {
    if (p->m_nKind < 0 || p->m_nKind > kKindEndColumn) return "Kind " + std::to_string(p->m_nKind);
    const auto& [name, slots, extras] = kKindShapes[p->m_nKind];
    const int nColumns = std::clamp(p->m_Command[0].nValue, 0, 18);  // then the gap and widths
    std::string s =
        name + Slots(p->m_Command,
                     p->m_nKind == kKindMultiColumn ? std::string(nColumns + 2, 'n') : slots);
    if (extras.find('F') != std::string::npos)
        s += " font" + Slots(p->m_Font, "tnnnn") + " color" + Slots(p->m_Color, "nnn");
    if (extras.find('O') != std::string::npos) s += " foot" + Slots(p->m_FootNote, "n");
    if (extras.find('H') != std::string::npos) {
        int code = p->m_HotLink[0].nValue;
        auto it = kHotLinkShapes.find(code);
        s += " link " + std::to_string(code) +
             Slots(p->m_HotLink + 1, it == kHotLinkShapes.end() ? "" : it->second);
    }
    return s;
}

// The description of every element; a Text element's is just its text when bTextsOnly.
inline std::vector<std::string> DescribeAll(CMyList& list, bool bTextsOnly = false) {
    std::vector<std::string> out;
    for (CLink* p : Elements(list)) {
        bool bText = bTextsOnly && p->m_nKind == kKindText;
        out.push_back(bText ? p->m_Command[0].strText : Describe(p));
    }
    return out;
}

inline std::vector<std::string> ReadBack(const std::string& markup, bool bTextsOnly = false,
                                         IMarkupSink* pSink = nullptr) {
    CMyList list = Read(markup, pSink);
    return DescribeAll(list, bTextsOnly);
}

// What reading a list's written markup gives back when the writer reports no loss: every
// element but the empty texts and the kinds that have no tag (9 to 12), a tab coming back as
// four spaces and a carriage return as a line feed (the second byte of a character is neither).
inline std::vector<std::string> CarriedBack(CMyList& list) {
    std::vector<std::string> out;
    for (CLink* p : Elements(list)) {
        if (p->m_nKind >= kKindDate && p->m_nKind <= kKindCountTime) continue;
        if (p->m_nKind == kKindText && p->m_Command[0].strText.empty()) continue;
        CLink copy;
        CopyLink(&copy, p);
        std::string& text = copy.m_Command[0].strText;
        std::string back;
        for (size_t i = 0; i < text.size();) {
            const int n = tessel::CharLength(text, i);
            if (n == 1 && text[i] == '\t') {
                back += "    ";
            } else {
                back.append(n == 1 && text[i] == '\r' ? "\n" : text.substr(i, n));
            }
            i += n;
        }
        text = back;
        out.push_back(Describe(&copy));
    }
    return out;
}

struct CollectingSink : IMarkupSink {
    std::vector<MarkupDiagnostic> items;
    void Report(const MarkupDiagnostic& diag) override { items.push_back(diag); }
    // The first report of the issue; one with offset, element and value -2 when none.
    MarkupDiagnostic Find(MarkupIssue issue) const {
        auto it = std::ranges::find(items, issue, &MarkupDiagnostic::nIssue);
        return it != items.end() ? *it : MarkupDiagnostic{issue, true, -2, -2, -2, -2, "none", ""};
    }
};

}  // namespace markup_test
