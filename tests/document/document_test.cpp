#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "document/char_format.h"
#include "document/my_list.h"

// Stand-ins for the objects an element owns; the imaging layer is not linked in. The formula
// is not polymorphic, so only a deleter chosen where it is assigned frees a derived one whole.
std::vector<std::string> g_destroyed;

class CPicture {
  public:
    ~CPicture() { g_destroyed.push_back("picture " + m_strName); }
    std::string m_strName;
};

class CFormula {
  public:
    ~CFormula() { g_destroyed.push_back("formula " + m_strName); }
    std::string m_strName;
};

class CDerivedFormula : public CFormula {
  public:
    ~CDerivedFormula() { g_destroyed.push_back("derived " + m_strName); }
};

namespace {

using Log = std::vector<std::string>;

TEST(LinkTest, ElementFreesItsPictureThenItsFormulaWhole) {
    g_destroyed.clear();
    {
        CLink link;
        link.m_pFormula = new CDerivedFormula{{"f"}};
        link.m_pPicture = new CPicture{"old"};
        link.m_pPicture = new CPicture{"p"};  // replacing frees the old picture at once
        EXPECT_EQ(g_destroyed, Log{"picture old"});
    }
    EXPECT_EQ(g_destroyed, (Log{"picture old", "picture p", "derived f", "formula f"}));
}

TEST(LinkTest, CopyLinkCopiesEverySlotButNeitherObjectsNorSuccessor) {
    CLink src, copy;
    src.m_nKind = kKindImage;
    src.m_Font[4] = src.m_Color[2] = src.m_FootNote[0] = {1, 255, "Arial"};
    src.m_HotLink[17] = src.m_Command[19] = {2, -3, "Page 7"};
    src.m_pNext = copy.m_pNext = &src;
    src.m_pPicture = new CPicture{"src"};
    CopyLink(&copy, &src);
    EXPECT_EQ(copy.m_nKind, kKindImage);
    EXPECT_EQ(copy.m_pNext, nullptr);
    EXPECT_EQ(copy.m_pPicture.get(), nullptr);
    EXPECT_TRUE(std::ranges::equal(copy.m_Font, src.m_Font));
    EXPECT_TRUE(std::ranges::equal(copy.m_Color, src.m_Color));
    EXPECT_TRUE(std::ranges::equal(copy.m_FootNote, src.m_FootNote));
    EXPECT_TRUE(std::ranges::equal(copy.m_HotLink, src.m_HotLink));
    EXPECT_TRUE(std::ranges::equal(copy.m_Command, src.m_Command));
}

TEST(LinkTest, InitLinkMakesAnEmptyTextInTheEditorFormat) {
    CLink link, other;
    link.m_nKind = kKindCheck;
    link.m_Font[0].nType = 1;
    link.m_HotLink[3] = link.m_Command[0] = {1, 4, "target"};
    link.m_pNext = &other;
    CharFormat fmt{"Arial", 20, -1, 5, 0, 10, 20, 30, 1, 0, 3};
    InitLink(&link, fmt);
    EXPECT_EQ(link.m_nKind, kKindText);
    EXPECT_EQ(link.m_pNext, nullptr);
    // Style flags are stored as 0 or 1; slot types and the other slots are left alone.
    EXPECT_EQ(FormatKey::Of(link), (FormatKey{"Arial", 20, 1, 1, 0, 10, 20, 30, 0, 3}));
    EXPECT_EQ(link.m_Font[0].nType, 1);
    EXPECT_EQ(link.m_HotLink[3], link.m_Command[0]);
    EXPECT_EQ(link.m_HotLink[3], (LINKPARAM{1, 4, "target"}));

    // Footnote from the raised and lowered flags: raised 0, lowered 1, neither or both 2.
    for (auto [raised, lowered, footNote] :
         {std::array{0, 1, 1}, {0, 0, 2}, {1, 1, 2}, {7, 0, 0}}) {
        fmt.bRaised = raised;
        fmt.bLowered = lowered;
        InitLink(&link, fmt);
        EXPECT_EQ(link.m_FootNote[0].nValue, footNote) << raised << lowered;
        EXPECT_EQ(IsFontSame(&link, fmt), 1);
    }
}

// Each of the ten format values decides equality, with the editor's format and between two
// elements; the editor's style flags count as 0 or 1, an element's as stored.
TEST(LinkTest, FormatEqualityComparesTheTenFormatValues) {
    CLink base;
    InitLink(&base, CharFormat{});
    for (int i = 0; i < 10; ++i) {
        CLink link;
        InitLink(&link, CharFormat{});
        LINKPARAM* values[] = {link.m_Font,     link.m_Font + 1, link.m_Font + 2,  link.m_Font + 3,
                               link.m_Font + 4, link.m_Color,    link.m_Color + 1, link.m_Color + 2,
                               link.m_FootNote, link.m_HotLink};
        values[i]->nValue += 1;  // the value, or for the face its text
        values[i]->strText += "x";
        EXPECT_EQ(IsFontSame(&link, CharFormat{}) + IsFontSameEachother(&link, &base), 0) << i;
    }

    CLink link, other;
    InitLink(&link, CharFormat{.strFontName = "Arial", .bBold = 4});
    EXPECT_EQ(IsFontSame(&link, {.strFontName = "Arial", .bBold = 1}), 1);
    EXPECT_EQ(IsFontSame(&link, {.strFontName = "arial", .bBold = 1}), 0);  // faces exactly
    link.m_Font[3].nValue = 100;
    EXPECT_EQ(IsFontSame(&link, {.strFontName = "Arial", .bBold = 100}), 0);
    // Hot-link targets, slot types, texts and kinds are not part of the format.
    CopyLink(&other, &link);
    other.m_HotLink[1].strText = other.m_Command[0].strText = "Page 1";
    other.m_Font[1].nType = 2;
    other.m_nKind = kKindPageScore;
    EXPECT_EQ(IsFontSameEachother(&link, &other), 1);
}

// An element told apart by the text of its first command slot.
CLink* Named(char name) {
    CLink* p = new CLink;
    p->m_Command[0].strText = std::string(1, name);
    return p;
}

CMyList ListOf(const std::string& names) {
    CMyList list;
    for (char c : names)
        list.Append(Named(c));
    return list;
}

// The names of the elements from First to the end, leaving the cursor at the end.
std::string Walk(CMyList& list) {
    std::string names;
    for (list.First(); list.IsInList(); list.Next())
        names += list.GetCurr()->m_Command[0].strText;
    return names;
}

// Runs the operations on a list of the named elements: F First, N Next, P Prev, R Remove
// (the element must come back unlinked), Ic Insert c, Ac Append c, Gd GoTo element d (its
// result must be the current element). Returns the current
// element ("-" for none), ":", and the names from First on.
std::string Apply(const std::string& names, const std::string& ops) {
    CMyList list = ListOf(names);
    for (size_t i = 0; i < ops.size(); ++i) {
        if (ops[i] == 'F') list.First();
        if (ops[i] == 'N') list.Next();
        if (ops[i] == 'P') list.Prev();
        if (ops[i] == 'I') list.Insert(Named(ops[++i]));
        if (ops[i] == 'A') list.Append(Named(ops[++i]));
        if (ops[i] == 'G') {
            CLink* pFound = list.GoTo(ops[++i] - '0');
            EXPECT_EQ(pFound, list.GetCurr()) << ops;
        }
        std::unique_ptr<CLink> pRemoved(ops[i] == 'R' ? list.Remove() : nullptr);
        EXPECT_TRUE(!pRemoved || !pRemoved->m_pNext) << ops;
    }
    EXPECT_EQ(list.IsInList(), list.GetCurr() ? 1 : 0);
    std::string current = list.GetCurr() ? list.GetCurr()->m_Command[0].strText : "-";
    return current + ":" + Walk(list);
}

TEST(MyListTest, CursorOperationsKeepOrderCurrentElementAndTail) {
    const std::string cases[][3] = {
        {"", "FNNR", "-:"},  // nothing current in an empty list; Next and Remove do nothing
        {"abc", "F", "a:abc"},
        {"abc", "FNNN", "-:abc"},      // the end position: the cursor is on "c"
        {"abc", "FNNNAd", "d:abcd"},   // Append does not move it: "d" becomes current
        {"abc", "FNNNNNPP", "c:abc"},  // off the list, Prev lands on the end, then on "c"
        {"abc", "FNNP", "b:abc"},
        {"abc", "FNNPPP", "-:abc"},      // Prev from the first leaves no current element
        {"bc", "FIaIxIy", "b:axybc"},    // Insert puts elements before the current one
        {"", "FIaAb", "b:ab"},           // inserting into an empty list makes the tail
        {"abc", "FNNNIyAz", "z:abcyz"},  // inserting at the end moves the tail
        {"abcd", "FNR", "c:acd"},        // Remove makes the successor current
        {"abcd", "FNRNRRAe", "e:ace"},   // removing the last moves the tail back
        {"ab", "FRRAfAg", "f:fg"},       // emptying by removal leaves the head as the tail
        // GoTo counts from the first element whatever moved the cursor before it.
        {"abcde", "G3", "d:abcde"},
        {"abcde", "FNNNG1", "b:abcde"},
        {"abcde", "FNNIxG3", "c:abxcde"},  // an insertion before the cursor shifts it
        {"abcde", "FNRG2", "d:acde"},      // a removal does not
        {"abcd", "G2PG3", "d:abcd"},
        {"abc", "FNNNNNPPG1", "b:abc"},  // after a Prev from off the list
        {"abc", "G3", "-:abc"},          // the end position
        {"abc", "G9Ad", "d:abcd"},       // past the end: the end position too
        {"", "G0", "-:"},
    };
    for (const auto& [names, ops, expected] : cases)
        EXPECT_EQ(Apply(names, ops), expected) << names << " " << ops;
}

// Destroying, clearing or assigning to a list frees its elements; moving leaves the source
// empty and usable.
TEST(MyListTest, ListOwnsItsElementsAndMovesThemWhole) {
    g_destroyed.clear();
    auto withPicture = [](CMyList list, const char* szName) {
        list.First();
        list.GetCurr()->m_pPicture = new CPicture{szName};
        return list;
    };
    withPicture(ListOf("a"), "destroyed");
    CMyList list = withPicture(ListOf("ab"), "cleared");
    CMyList moved = withPicture(ListOf("abc"), "replaced");
    list.Clear();
    EXPECT_EQ(list.IsEmpty(), 1);
    list.Insert(Named('x'));  // the cursor is at the head again
    list.Append(Named('y'));
    EXPECT_EQ(Walk(list), "xy");
    EXPECT_EQ(g_destroyed, (Log{"picture destroyed", "picture cleared"}));

    CMyList target(std::move(moved));
    target = std::move(list);
    EXPECT_EQ(g_destroyed.back(), "picture replaced");
    target.Append(Named('d'));  // the tail came along with the chain
    EXPECT_EQ(Walk(target), "xyd");
    for (CMyList* pList : {&list, &moved}) {  // NOLINT(bugprone-use-after-move)
        EXPECT_EQ(pList->IsEmpty(), 1);
        pList->Append(Named('n'));
        pList->First();
        pList->Insert(Named('m'));
        EXPECT_EQ(Walk(*pList), "mn");
    }
}

}  // namespace
