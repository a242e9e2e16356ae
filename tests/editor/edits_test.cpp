// The editing core without a window: positions, one-step moves, inserting, removing and
// deleting, checked against the rules of positions and of typing written out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/link_slots.h"
#include "editor/edit_words.h"
#include "editor/edits.h"
#include "editor/positions.h"

namespace {

using namespace tessel::editor;

const std::string kZhong = "\xd6\xd0";  // 中
const std::string kWen = "\xce\xc4";    // 文

CharFormat Format(const std::string& face = "Arial", int nSize = 28) {
    CharFormat fmt;
    fmt.strFontName = face;
    fmt.nFontSize = nSize;
    return fmt;
}

class EditsTest : public testing::Test {
  protected:
    CLink* Text(const std::string& text, const CharFormat& fmt = Format()) {
        auto* p = new CLink;
        InitLink(p, fmt);
        tessel::slots::Text(*p) = text;
        m_list.Append(p);
        return p;
    }
    CLink* Object(int nKind) {
        auto* p = new CLink;
        p->m_nKind = nKind;
        m_list.Append(p);
        return p;
    }
    // The texts of the elements, objects as "#kind".
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (CLink* p = m_list.FirstLink(); p; p = p->m_pNext)
            out.push_back(p->m_nKind == kKindText ? tessel::slots::Text(*p)
                                                  : "#" + std::to_string(p->m_nKind));
        return out;
    }
    Document Doc() { return Document{m_list, m_cursor, m_selStart, m_selEnd, {}, {}}; }

    CMyList m_list;
    TEXTPOS m_cursor, m_selStart, m_selEnd;
};

TEST(WordRule, WordsAndCharacters) {
    // Letters and digits run together up to 127 bytes; a lead byte takes the byte after it,
    // whatever it is; a lead byte that ends the text stands alone.
    EXPECT_EQ(WordLength("ab1 c", 0), 3);
    EXPECT_EQ(WordLength("ab1 c", 3), 1);
    EXPECT_EQ(WordLength("\x81"
                         "A",
                         0),
              2);
    EXPECT_EQ(WordLength("A\x81", 1), 1);
    EXPECT_EQ(WordCount(std::string(130, 'x')), 2);
    EXPECT_EQ(WordLength(std::string(130, 'x'), 127), 3);
    EXPECT_EQ(WordCount("ab" + kZhong + "c"), 3);
    EXPECT_EQ(WordCount("\x80"
                        "A\x81"),
              2);
}

TEST(Offsets, PositionAndOffsetAreInverse) {
    const std::string text = "ab" + kZhong + " cd\n" + std::string(130, 'x');
    // Every character boundary maps to a position and back.
    int k = 0;
    while (k <= static_cast<int>(text.size())) {
        const TEXTPOS p = PositionAt(3, text, k);
        EXPECT_EQ(p.nLink, 3);
        EXPECT_EQ(OffsetOf(text, p.nWord, p.nChar), k) << k;
        k += k < static_cast<int>(text.size()) ? tessel::CharLength(text, k) : 1;
    }
    EXPECT_EQ(PositionAt(0, text, 1), (TEXTPOS{0, 0, 1}));
    EXPECT_EQ(PositionAt(0, text, 2), (TEXTPOS{0, 1, 0}));
    EXPECT_EQ(PositionAt(0, text, static_cast<int>(text.size())), (TEXTPOS{0, WordCount(text), 0}));
    // The end marks and offsets beyond the text stay inside it.
    EXPECT_EQ(OffsetOf(text, kEndMark, 0), static_cast<int>(text.size()));
    EXPECT_EQ(OffsetOf("abc def", 0, kEndMark), 3);
    EXPECT_EQ(OffsetOf("abc", 5, 9), 3);
}

TEST_F(EditsTest, StepsAcrossElements) {
    Text("ab");
    Text("cd");
    Object(kKindImage);
    // Before the b; the place after the b is the start of the next element.
    EXPECT_EQ(StepBack(m_list, {1, 0, 0}), (TEXTPOS{0, 0, 1}));
    EXPECT_EQ(StepForward(m_list, {0, 0, 1}), (TEXTPOS{1, 0, 0}));
    // A picture is passed in one step either way; after a trailing object is (count, 0, 0).
    EXPECT_EQ(StepForward(m_list, {2, 0, 0}), (TEXTPOS{3, 0, 0}));
    EXPECT_EQ(StepBack(m_list, {3, 0, 0}), (TEXTPOS{2, 0, 0}));
    EXPECT_EQ(DocumentEnd(m_list), (TEXTPOS{3, 0, 0}));
    // The end marker steps back from the document's end and forward to it.
    EXPECT_EQ(StepBack(m_list, {kEndMark, kEndMark, kEndMark}), (TEXTPOS{2, 0, 0}));
    EXPECT_EQ(StepForward(m_list, {kEndMark, 0, 0}), (TEXTPOS{3, 0, 0}));
    EXPECT_TRUE(IsPosition(m_list, {1, 0, 1}));
    EXPECT_FALSE(IsPosition(m_list, {2, 0, 1}));
    EXPECT_FALSE(IsPosition(m_list, {4, 0, 0}));
    EXPECT_FALSE(IsPosition(m_list, {0, 0, -1}));
}

TEST_F(EditsTest, TypingJoinsSplitsOrStartsElements) {
    const CharFormat other = Format("Times New Roman", 12);
    Text("ab");         // current format
    Text("cd", other);  // another format
    Object(kKindImage);

    // At the start of a Text element of another format, after one in the format: joins it.
    m_cursor = {1, 0, 0};
    Document doc = Doc();
    InsertText(doc, "x", Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abx", "cd", "#1"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 0}));

    // Inside an element of another format: three elements, the cursor at the right part.
    m_cursor = {1, 0, 1};
    InsertText(doc, "y", Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abx", "c", "y", "d", "#1"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{3, 0, 0}));
    EXPECT_EQ(IsFontSame(tessel::editor::LinkAt(m_list, 3), other), 1);

    // In front of a picture after an element of another format: a new element.
    m_cursor = {4, 0, 0};
    InsertText(doc, kZhong, Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abx", "c", "y", "d", kZhong, "#1"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{5, 0, 0}));
    // And again there: the new element grows.
    InsertText(doc, "z", Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abx", "c", "y", "d", kZhong + "z", "#1"}));

    // Inside an element in the format: the text goes in; at its end the cursor is written as
    // the next element's start.
    m_cursor = {0, 0, 1};
    InsertText(doc, "12", Format());
    EXPECT_EQ(tessel::slots::Text(*LinkAt(m_list, 0)), "a12bx");
    EXPECT_EQ(m_cursor, (TEXTPOS{0, 0, 3}));
    m_cursor = {0, 1, 0};  // the end of the word, and of the element
    InsertText(doc, " ", Format());
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 0}));
}

TEST_F(EditsTest, InsertingElements) {
    Text("ab");
    Text("cd");
    Document doc = Doc();
    // A Text element in the same format at an element's start joins the one before.
    auto* pText = new CLink;
    InitLink(pText, Format());
    tessel::slots::Text(*pText) = "X";
    m_cursor = {1, 0, 0};
    EXPECT_TRUE(InsertElement(doc, pText));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abX", "cd"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 0}));
    // An object inside a Text element splits it.
    auto* pImage = new CLink;
    pImage->m_nKind = kKindImage;
    m_cursor = {1, 0, 1};
    EXPECT_TRUE(InsertElement(doc, pImage));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abX", "c", "#1", "d"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{3, 0, 0}));
    // Past the end: refused, the element is freed (the sanitizers see a leak otherwise).
    auto* pLate = new CLink;
    pLate->m_nKind = kKindCheck;
    m_cursor = {9, 0, 0};
    EXPECT_FALSE(InsertElement(doc, pLate));
    EXPECT_EQ(Texts().size(), 4u);
}

TEST_F(EditsTest, BackspaceRemovesOneCharacterOrObject) {
    Text("a" + kZhong);
    Object(kKindImage);
    Text(kWen);
    Text("xy");
    Document doc = Doc();
    // Inside a text: a double-byte character goes whole.
    m_cursor = {0, 2, 0};
    DeleteBefore(doc, Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "#1", kWen, "xy"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{0, 1, 0}));
    // After a picture: the picture goes.
    m_cursor = {2, 0, 0};
    DeleteBefore(doc, Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a", kWen, "xy"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 0}));
    // Before an element whose predecessor holds one double-byte character: that element goes.
    m_cursor = {2, 0, 0};
    DeleteBefore(doc, Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "xy"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 0}));
    // A predecessor with more: its last character goes, the cursor stays.
    m_cursor = {1, 0, 0};
    tessel::slots::Text(*LinkAt(m_list, 0)) = "ab";
    DeleteBefore(doc, Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "xy"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 0}));
}

TEST_F(EditsTest, BackspaceOverEmptyElementsAndTheLastCharacter) {
    Text("a");
    Text("");
    Text("");
    Text("b");
    Document doc = Doc();
    m_selStart = m_selEnd = {3, 0, 0};
    m_cursor = {3, 0, 0};
    DeleteBefore(doc, Format());
    // The empty elements go, no character with them; every stored position follows.
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 0}));
    EXPECT_EQ(m_selStart, (TEXTPOS{1, 0, 0}));
    DeleteBefore(doc, Format());
    DeleteBefore(doc, Format());  // at the start: nothing
    EXPECT_EQ(Texts(), (std::vector<std::string>{"b"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{0, 0, 0}));
    // The only character: the document keeps one empty element, the cursor at its start.
    m_cursor = {0, 1, 0};
    DeleteBefore(doc, Format());
    EXPECT_EQ(Texts(), (std::vector<std::string>{""}));
    EXPECT_EQ(m_cursor, (TEXTPOS{0, 0, 0}));
}

TEST_F(EditsTest, RemovingRanges) {
    const CharFormat other = Format("Times New Roman", 12);
    Text("hello world");
    Object(kKindImage);
    Text("abc", other);
    Document doc = Doc();
    CMyList cut;
    // Within one element.
    EXPECT_TRUE(RemoveRange(doc, {0, 0, 2}, {0, 2, 0}, &cut, Format()));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"heworld", "#1", "abc"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{0, 0, 2}));  // the two halves are one word now
    EXPECT_EQ(tessel::slots::Text(*cut.FirstLink()), "llo ");
    // Across elements (ends given in either order): the left part stays, the cursor is at
    // the start of what follows it.
    CMyList cut2;
    EXPECT_TRUE(RemoveRange(doc, {2, 0, 1}, {0, 0, 1}, &cut2, Format()));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"h", "bc"}));
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 0}));
    std::vector<std::string> taken;
    for (CLink* p = cut2.FirstLink(); p; p = p->m_pNext)
        taken.push_back(p->m_nKind == kKindText ? tessel::slots::Text(*p) : "#");
    EXPECT_EQ(taken, (std::vector<std::string>{"eworld", "#", "a"}));
    // Nothing selected: nothing removed.
    EXPECT_FALSE(RemoveRange(doc, {1, 0, 0}, {1, 0, 0}, nullptr, Format()));
    // Everything: one empty element in the format stays.
    EXPECT_TRUE(RemoveRange(doc, {0, 0, 0}, DocumentEnd(m_list), nullptr, Format()));
    EXPECT_EQ(Texts(), (std::vector<std::string>{""}));
    EXPECT_EQ(m_cursor, (TEXTPOS{0, 0, 0}));
}

TEST_F(EditsTest, ElementsLeaveThroughOneRoutine) {
    Text("a");
    Object(kKindImage);
    Text("bc");
    Document doc = Doc();
    m_cursor = {2, 0, 1};
    m_selStart = {1, 0, 0};
    m_selEnd = {0, 0, 0};
    RemoveLink(doc, 1);
    EXPECT_EQ(m_cursor, (TEXTPOS{1, 0, 1}));    // after it: one element back
    EXPECT_EQ(m_selStart, (TEXTPOS{1, 0, 0}));  // on it: the start of what followed
    EXPECT_EQ(m_selEnd, (TEXTPOS{0, 0, 0}));    // before it: unchanged
    EXPECT_EQ(TakeLink(doc, 5), nullptr);
}

}  // namespace
