#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "markup_test_support.h"

namespace {

using namespace markup_test;

// Neighbours in the same format stay separate; an empty text is not carried.
TEST(RoundTripTest, TextsEndingInMarkupSymbolsComeBackWhole) {
    // clang-format off
    const std::string texts[] = {
        "a\\", "a&", "a(", "a)", "a<", "a>", "a\"", "a'", "a" + kSlashChar, "a" + kEscapeFull,
        "a" + kTagOpenFull, "a\n", "\n", "\r\na", "\\n", "&<", "\\<", "\\&", "&\\",
        kSlashChar + kSlashChar, kEscapeFull + "n", "/", "//x", "x;", kChinese + "\\", ""};
    // clang-format on
    for (const std::string& text : texts) {
        CMyList list;
        list.Append(NewText(text));
        list.Append(NewText(text));
        list.Append(SetHotLink(NewText(text, {.footNote = kFootNoteRaised}), 30, {T("www")}));
        list.Append(NewObject(kKindCheck, {N(0)}));
        const std::string markup = Write(list);
        EXPECT_EQ(ReadBack(markup), CarriedBack(list)) << markup;
    }
}

// A generated document: every kind, random formats, texts that need escaping, parameters
// that need other quotation marks, and hot links of every code with their parameters.
class DocumentGenerator {
  public:
    explicit DocumentGenerator(unsigned seed) : m_rng(seed) {}

    CLink* Element() {
        static const int kinds[] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14, 15};
        static const int codes[] = {100, 100, 0,  1,  2,  3,  4,  5,  10,
                                    11,  12,  13, 20, 21, 22, 23, 30, 31};
        static const std::string faces[] = {kSongTi, "Arial", "Times New Roman", ""};
        Fmt fmt{faces[Pick(4)], Number().nValue, Pick(2),   Pick(2) * 100, Pick(2),
                Pick(256),      Pick(256),       Pick(256), Pick(3)};
        if (fmt.face.empty()) fmt.face = Param('t').strText;
        CLink* p = NewObject(kinds[Pick(17)], {}, fmt);
        for (LINKPARAM& slot : p->m_Command)
            slot = Number();
        Fill(p->m_Command, kKindShapes[p->m_nKind][1]);
        if (p->m_nKind == kKindText) p->m_Command[0] = T("x" + Compose(kTextPalette, 30));
        if (p->m_nKind == kKindCheck) p->m_Command[0] = N(std::vector{0, 1, 100, 101}[Pick(4)]);
        if (p->m_nKind == kKindMultiColumn) p->m_Command[0] = N(Pick(22) - 2);
        for (int k = 1; k <= kHotLinkParams; ++k)
            p->m_HotLink[k] = Param('m');
        int code = codes[Pick(18)];
        p->m_HotLink[0] = N(code);
        if (kHotLinkShapes.contains(code)) Fill(p->m_HotLink + 1, kHotLinkShapes.at(code));
        return p;
    }

  private:
    // Texts: every character the writer escapes. Parameters: quotation marks that force the
    // other pairs, brackets that may stand inside quotes, and characters ending in 0x5C.
    // clang-format off
    inline static const std::vector<std::string> kTextPalette = {
        "a", "Zq", "7", " ", "<", ">", "&", "(", ")", "\\", "\"", "'", "\n", "\r", "\t", ",", ";",
        "/", "n", kChinese, kSlashChar, kTagOpenFull, kTagCloseFull, kEscapeFull, kListOpenFull,
        kListCloseFull, "\xa3\xee", "\xa1\xb0", "\xa3\xa2"};
    inline static const std::vector<std::string> kParamPalette = {
        "a", "B", "9", " ", ".", ",", "(", "<", "'", "\"", kChinese, kSlashChar, "\\a", "\xa3\xa2",
        "-", ";", "/", kListOpenFull, kTagOpenFull};
    // clang-format on

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
    LINKPARAM Param(char shape) {
        return shape == 'n' || (shape == 'm' && Pick(2)) ? Number() : T(Compose(kParamPalette, 12));
    }
    void Fill(LINKPARAM* slots, const std::string& shape) {
        for (size_t i = 0; i < shape.size(); ++i)
            slots[i] = Param(shape[i]);
    }

    std::mt19937 m_rng;
};

TEST(RoundTripTest, GeneratedDocumentsReadBackTheFieldsTheWriterCarries) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        DocumentGenerator generator(seed);
        CMyList list;
        for (int i = 0; i <= int(seed % 25); ++i)
            list.Append(generator.Element());
        CollectingSink sink;
        std::string markup = Write(list, &sink);
        ASSERT_LT(markup.size(), size_t(kMaxMarkupBytes)) << "seed " << seed;
        CMyList back = Read(markup, &sink);
        EXPECT_EQ(DescribeAll(back), CarriedBack(list)) << "seed " << seed << "\n" << markup;
        for (const MarkupDiagnostic& d : sink.items)  // kinds 9 to 12 have no markup form
            EXPECT_TRUE(!d.bLoss || d.nIssue == MarkupIssue::kKindNotWritable)
                << "seed " << seed << " element " << d.nElement << " offset " << d.nOffset << " "
                << d.strSlot << " " << d.strDetail;
    }
}

}  // namespace
