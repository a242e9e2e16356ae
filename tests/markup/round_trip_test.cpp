#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "markup_test_support.h"

namespace {

using namespace markup_test;

// What reading gives back for the text of a Text element.
std::string ReadBackText(const std::string& text) {
    std::string out;
    for (char ch : text)
        out += ch == '\r' ? std::string("\n") : ch == '\t' ? "    " : std::string(1, ch);
    return out;
}

// What reading the written list gives back: kinds 9 to 12 and empty texts are not written,
// line breaks come back as line feeds and tabs as four spaces.
std::vector<std::string> ExpectedBack(CMyList& list) {
    std::vector<std::string> out;
    for (CLink* p : Elements(list)) {
        if (p->m_nKind >= kKindDate && p->m_nKind <= kKindCountTime) continue;
        if (p->m_nKind == kKindText && p->m_Command[0].strText.empty()) continue;
        CLink copy;
        CopyLink(&copy, p);
        copy.m_Command[0].strText = ReadBackText(p->m_Command[0].strText);
        out.push_back(Describe(p->m_nKind == kKindText ? &copy : p));
    }
    return out;
}

TEST(RoundTripTest, TextsEndingInMarkupSymbolsComeBackWhole) {
    // clang-format off
    const std::string texts[] = {
        "a\\", "a&", "a(", "a)", "a<", "a>", "a\"", "a'", "a" + kSlashChar, "a" + kEscapeFull,
        "a" + kTagOpenFull, "a\n", "\n", "\r\na", "\\n", "&<", "\\<", "\\&", "&\\",
        kSlashChar + kSlashChar, kEscapeFull + "n", "/", "//x", "x;", kChinese + "\\"};
    // clang-format on
    for (const std::string& text : texts) {
        CMyList list;
        list.Append(NewText(text));
        CLink* pLinked = NewText(text, Fmt{.footNote = kFootNoteRaised});
        SetHotLink(pLinked, 30, {T("www")});
        list.Append(pLinked);
        list.Append(NewObject(kKindCheck, {N(0)}));
        const std::string markup = Write(list);
        CMyList back = Read(markup);
        EXPECT_EQ(DescribeAll(back), ExpectedBack(list)) << markup;
    }
}

TEST(RoundTripTest, EmptyTextIsNotCarriedAndEqualNeighboursStaySeparate) {
    CMyList list;
    list.Append(NewObject(kKindCheck, {N(1)}));
    list.Append(NewText(""));
    list.Append(NewText("a"));
    list.Append(NewText("a"));
    list.Append(NewObject(kKindDate, {}));
    EXPECT_EQ(ReadTexts(Write(list)), (std::vector<std::string>{"#4", "a", "a"}));
}

// A generated document: every kind, random formats, texts that need escaping, parameters
// that need other quotation marks, and hot links of every code with their parameters.
class DocumentGenerator {
  public:
    explicit DocumentGenerator(unsigned seed) : m_rng(seed) {}

    CMyList Make(int nElements) {
        CMyList list;
        for (int i = 0; i < nElements; ++i)
            list.Append(MakeElement());
        return list;
    }

  private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    LINKPARAM Number() {
        const int edgeValues[] = {0, 1, -1, 100, 255, INT_MAX, INT_MIN};
        return N(Pick(3) ? Pick(2001) - 1000 : edgeValues[Pick(7)]);
    }
    std::string Compose(const std::vector<std::string>& palette, int maxPieces) {
        std::string s;
        for (int n = Pick(maxPieces + 1); n > 0; --n)
            s += palette[Pick(int(palette.size()))];
        return s;
    }
    // Text: every character the writer escapes; parameters: quotation marks that force the
    // other pairs, brackets that may stand inside quotes, and characters ending in 0x5C.
    std::string Text() {
        static const std::vector<std::string> palette = {"a",           "Zq",
                                                         "7",           " ",
                                                         "<",           ">",
                                                         "&",           "(",
                                                         ")",           "\\",
                                                         "\"",          "'",
                                                         "\n",          "\r",
                                                         "\t",          ",",
                                                         ";",           "/",
                                                         "n",           kChinese,
                                                         kSlashChar,    kTagOpenFull,
                                                         kTagCloseFull, kEscapeFull,
                                                         kListOpenFull, kListCloseFull,
                                                         "\xa3\xee",    "\xa1\xb0",
                                                         "\xa3\xa2"};
        return "x" + Compose(palette, 30);
    }
    LINKPARAM Text(char shape) {
        static const std::vector<std::string> palette = {
            "a", "B", "9",  " ",           ".",         ",",   "(",
            "<", "'", "\"", kChinese,      kSlashChar,  "\\a", "\xa3\xa2",
            "-", ";", "/",  kListOpenFull, kTagOpenFull};
        return shape == 'n' || (shape == 'm' && Pick(2)) ? Number() : T(Compose(palette, 12));
    }
    void Fill(LINKPARAM* slots, const std::string& shape) {
        for (size_t i = 0; i < shape.size(); ++i)
            slots[i] = Text(shape[i]);
    }

    CLink* MakeElement() {
        static const int kinds[] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14, 15};
        static const int codes[] = {100, 100, 0,  1,  2,  3,  4,  5,  10,
                                    11,  12,  13, 20, 21, 22, 23, 30, 31};
        static const std::vector<std::string> faces = {kSongTi, "Arial", "Times New Roman", ""};
        CLink* p = new CLink;
        p->m_nKind = kinds[Pick(17)];
        const KindShape& shape = kKindShapes[p->m_nKind];
        for (LINKPARAM& slot : p->m_Command)
            slot = Number();
        Fill(p->m_Command, shape.szSlots);
        if (p->m_nKind == kKindText) p->m_Command[0] = T(Text());
        if (p->m_nKind == kKindCheck) p->m_Command[0] = N(std::vector{0, 1, 100, 101}[Pick(4)]);
        if (p->m_nKind == kKindMultiColumn) p->m_Command[0] = N(Pick(22) - 2);
        Fmt fmt{faces[Pick(4)], Number().nValue, Pick(2),   Pick(2) * 100, Pick(2),
                Pick(256),      Pick(256),       Pick(256), Pick(3)};
        if (fmt.face.empty()) fmt.face = Text('t').strText;
        SetFormat(p, fmt);
        for (int k = 1; k <= kHotLinkParams; ++k)
            p->m_HotLink[k] = Text('m');
        int code = codes[Pick(18)];
        p->m_HotLink[0] = N(code);
        Fill(p->m_HotLink + 1, HotLinkShape(code));
        return p;
    }

    std::mt19937 m_rng;
};

TEST(RoundTripTest, GeneratedDocumentsReadBackTheFieldsTheWriterCarries) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        DocumentGenerator generator(seed);
        CMyList list = generator.Make(1 + int(seed % 25));
        std::vector<std::string> expected = ExpectedBack(list);
        CollectingSink writeSink, readSink;
        std::string markup = Write(list, &writeSink);
        ASSERT_LT(markup.size(), size_t(kMaxMarkupBytes)) << "seed " << seed;
        CMyList back = Read(markup, &readSink);
        EXPECT_EQ(DescribeAll(back), expected) << "seed " << seed << "\n" << markup;
        for (const MarkupDiagnostic& d : writeSink.items) {
            if (d.nIssue == MarkupIssue::kKindNotWritable) continue;  // kinds 9 to 12
            EXPECT_FALSE(d.bLoss) << "seed " << seed << " element " << d.nElement << " "
                                  << d.strSlot << " " << d.strDetail;
        }
        for (const MarkupDiagnostic& d : readSink.items)
            EXPECT_FALSE(d.bLoss) << "seed " << seed << " offset " << d.nOffset;
    }
}

}  // namespace
