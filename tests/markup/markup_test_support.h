#pragma once

// Shared helpers of the markup tests: building elements, reading and writing markup, and a
// sink that collects what the reader or the writer reports.

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "document/char_format.h"
#include "markup/word_analyzer.h"

namespace markup_test {

inline const std::string kSongTi = "\xcb\xce\xcc\xe5";   // 宋体
inline const std::string kSlashChar = "\x95\x5c";        // second byte is the "\" code
inline const std::string kTagOpenFull = "\xa1\xb4";      // 〈
inline const std::string kTagCloseFull = "\xa1\xb5";     // 〉
inline const std::string kEscapeFull = "\xa3\xdc";       // ＼
inline const std::string kListOpenFull = "\xa3\xa8";     // （
inline const std::string kListCloseFull = "\xa3\xa9";    // ）
inline const std::string kSeparatorFull = "\xa3\xac";    // ，
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

inline void SetFormat(CLink* p, const Fmt& f) {
    p->m_Font[0] = T(f.face);
    p->m_Font[1] = N(f.size);
    p->m_Font[2] = N(f.italic);
    p->m_Font[3] = N(f.bold);
    p->m_Font[4] = N(f.underline);
    p->m_Color[0] = N(f.red);
    p->m_Color[1] = N(f.green);
    p->m_Color[2] = N(f.blue);
    p->m_FootNote[0] = N(f.footNote);
}

inline CLink* NewText(const std::string& text, const Fmt& f = {}) {
    CLink* p = new CLink;
    p->m_nKind = kKindText;
    SetFormat(p, f);
    p->m_Command[0] = T(text);
    return p;
}

// An object element whose command slots are given in order.
inline CLink* NewObject(int kind, std::initializer_list<LINKPARAM> slots) {
    CLink* p = new CLink;
    p->m_nKind = kind;
    std::copy(slots.begin(), slots.end(), p->m_Command);
    return p;
}

// Sets the hot link: slot [0] is the code, the given slots are [1], [2], ...
inline void SetHotLink(CLink* p, int code, std::initializer_list<LINKPARAM> params = {}) {
    p->m_HotLink[0] = N(code);
    std::copy(params.begin(), params.end(), p->m_HotLink + 1);
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

// The texts of the elements read from the markup, with "#kind" for other kinds.
inline std::vector<std::string> ReadTexts(const std::string& markup) {
    CMyList list = Read(markup);
    std::vector<std::string> out;
    for (CLink* p : Elements(list))
        out.push_back(p->m_nKind == kKindText ? p->m_Command[0].strText
                                              : "#" + std::to_string(p->m_nKind));
    return out;
}

// The slots each kind's tag carries, in order: n a number, t a text. Text and the score
// fields carry the font and colour too, Text the footnote, Text and Image the hot link.
struct KindShape {
    const char* szName;
    const char* szSlots;
    bool bFont = false, bFootNote = false, bHotLink = false;
};
// clang-format off
inline const KindShape kKindShapes[] = {
    {"Text", "t", true, true, true}, {"Image", "tnn", false, false, true}, {"Formula", "tnnn"},
    {"Edit", "nntnnn"}, {"Check", "n"}, {"Choice", "nn"}, {"PageTotalScore", "t", true},
    {"PageScore", "t", true}, {"TotalScore", "t", true}, {"Date", ""}, {"Time", ""},
    {"ReverseTime", ""}, {"CountTime", ""}, {"MultiColumn", ""}, {"StartColumn", ""},
    {"EndColumn", ""}};
// clang-format on

// The hot-link parameters each code's tag carries: n a number, t a text, m a media entry
// (a text or a number).
inline std::string HotLinkShape(int code) {
    // clang-format off
    static const std::map<int, std::string> shapes = {
        {0, "t"}, {1, "nnnnt"}, {2, "nnt"}, {3, "nt"}, {4, "t"}, {5, "t"}, {10, "mnn"},
        {11, "mnn"}, {12, "mnn"}, {13, "mnn"}, {21, "nnnnt"}, {22, "nnnnt"}, {23, "tttnn"},
        {30, "t"}};
    // clang-format on
    auto it = shapes.find(code);
    return it == shapes.end() ? "" : it->second;
}

inline std::string Slots(const LINKPARAM* slots, const std::string& shape) {
    std::string s;
    for (size_t i = 0; i < shape.size(); ++i) {
        const LINKPARAM& p = slots[i];
        bool text = shape[i] == 't' || (shape[i] == 'm' && p.nType != kParamNumber);
        s += text ? " '" + p.strText + "'" : " " + std::to_string(p.nValue);
    }
    return s;
}

// Every field of an element that its markup carries, e.g. "Check 1" or
// "Text 'abc' font 'Arial' 9 0 1 0 color 4 5 6 foot 2 link 100".
inline std::string Describe(const CLink* p) {
    if (p->m_nKind < 0 || p->m_nKind > kKindEndColumn) return "Kind " + std::to_string(p->m_nKind);
    const KindShape& shape = kKindShapes[p->m_nKind];
    std::string s = shape.szName + Slots(p->m_Command, shape.szSlots);
    if (p->m_nKind == kKindMultiColumn) {
        int n = p->m_Command[0].nValue;
        s += Slots(p->m_Command, std::string(n <= 0 ? 2 : std::min(n, 18) + 2, 'n'));
    }
    if (shape.bFont) s += " font" + Slots(p->m_Font, "tnnnn") + " color" + Slots(p->m_Color, "nnn");
    if (shape.bFootNote) s += " foot" + Slots(p->m_FootNote, "n");
    if (shape.bHotLink) {
        int code = p->m_HotLink[0].nValue;
        s += " link " + std::to_string(code) + Slots(p->m_HotLink + 1, HotLinkShape(code));
    }
    return s;
}

inline std::vector<std::string> DescribeAll(CMyList& list) {
    std::vector<std::string> out;
    for (CLink* p : Elements(list))
        out.push_back(Describe(p));
    return out;
}

struct CollectingSink : IMarkupSink {
    std::vector<MarkupDiagnostic> items;
    void Report(const MarkupDiagnostic& diag) override { items.push_back(diag); }
    const MarkupDiagnostic* Find(MarkupIssue issue) const {
        for (const MarkupDiagnostic& d : items)
            if (d.nIssue == issue) return &d;
        return nullptr;
    }
};

}  // namespace markup_test
