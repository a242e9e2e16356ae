#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

#include "document/my_list.h"
#include "owned_objects.h"

namespace {

// An element told apart by the text of its first command slot.
CLink* Named(const std::string& name) {
    CLink* p = new CLink;
    p->m_Command[0].strText = name;
    return p;
}

// The names of the elements from First to the end, leaving the cursor at the end.
std::string Walk(CMyList& list) {
    std::string names;
    for (list.First(); list.IsInList(); list.Next())
        names += list.GetCurr()->m_Command[0].strText;
    return names;
}

std::string Current(const CMyList& list) {
    return list.GetCurr() ? list.GetCurr()->m_Command[0].strText : "<none>";
}

CMyList ListOf(const std::string& names) {
    CMyList list;
    for (char c : names)
        list.Append(Named(std::string(1, c)));
    return list;
}

TEST(MyListTest, NewListIsEmptyWithoutCurrentElement) {
    CMyList list;
    EXPECT_EQ(list.IsEmpty(), 1);
    list.First();
    EXPECT_EQ(list.IsInList(), 0);
    EXPECT_EQ(list.GetCurr(), nullptr);
    EXPECT_EQ(list.Remove(), nullptr);
    list.Next();  // harmless on an empty list, and again once off the list
    list.Next();
    EXPECT_EQ(list.GetCurr(), nullptr);
}

TEST(MyListTest, AppendedElementsAreVisitedInOrderAndNextRunsOffTheEnd) {
    CMyList list = ListOf("abc");
    EXPECT_EQ(list.IsEmpty(), 0);
    list.First();
    std::string seen;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(list.IsInList(), 1);
        seen += Current(list);
        list.Next();
    }
    EXPECT_EQ(seen, "abc");
    EXPECT_EQ(list.IsInList(), 0);  // the end position: the cursor is on "c"
    // Append does not move the cursor: the new element becomes current at the end.
    list.Append(Named("d"));
    EXPECT_EQ(Current(list), "d");
    list.Next();
    list.Next();  // now off the list
    EXPECT_EQ(list.IsInList(), 0);
    list.Next();
    EXPECT_EQ(list.GetCurr(), nullptr);
    // Prev from off the list lands on the end position, then on the last element.
    list.Prev();
    EXPECT_EQ(list.IsInList(), 0);
    list.Prev();
    EXPECT_EQ(Current(list), "d");
}

TEST(MyListTest, InsertPutsElementsBeforeTheCurrentOneInOrder) {
    CMyList list = ListOf("bc");
    list.First();
    list.Insert(Named("a"));
    EXPECT_EQ(Current(list), "b");  // the element that was first stays current
    list.Insert(Named("x"));
    list.Insert(Named("y"));  // repeated inserts keep their order
    EXPECT_EQ(Current(list), "b");
    EXPECT_EQ(Walk(list), "axybc");

    CMyList empty;
    empty.First();
    empty.Insert(Named("a"));
    EXPECT_EQ(empty.IsInList(), 0);
    empty.Append(Named("b"));  // inserting into an empty list made "a" the tail
    EXPECT_EQ(Walk(empty), "ab");
}

TEST(MyListTest, InsertAtTheEndMovesTheTail) {
    CMyList list = ListOf("abc");
    Walk(list);  // cursor on "c": the end position
    list.Insert(Named("y"));
    list.Append(Named("z"));
    EXPECT_EQ(Walk(list), "abcyz");
    list.Insert(Named("w"));
    list.Append(Named("v"));
    EXPECT_EQ(Walk(list), "abcyzwv");
}

TEST(MyListTest, RemoveUnlinksTheCurrentElementAndKeepsTheTailRight) {
    CMyList list = ListOf("abcd");
    list.First();
    list.Next();
    CLink* pB = list.Remove();
    ASSERT_NE(pB, nullptr);
    EXPECT_EQ(pB->m_Command[0].strText, "b");
    EXPECT_EQ(pB->m_pNext, nullptr);
    EXPECT_EQ(Current(list), "c");  // the successor becomes current
    delete pB;

    list.Next();
    std::unique_ptr<CLink> pD(list.Remove());  // the last element
    EXPECT_EQ(pD->m_Command[0].strText, "d");
    EXPECT_EQ(list.IsInList(), 0);
    EXPECT_EQ(list.Remove(), nullptr);
    list.Append(Named("e"));  // attaches after "c", the new tail
    EXPECT_EQ(Walk(list), "ace");

    // Emptying the list by removal leaves the head as the tail.
    list.First();
    while (list.IsInList())
        delete list.Remove();
    EXPECT_EQ(list.IsEmpty(), 1);
    list.Append(Named("f"));
    list.Append(Named("g"));
    EXPECT_EQ(Walk(list), "fg");
}

TEST(MyListTest, PrevStepsBackAndFromTheFirstLeavesNoCurrentElement) {
    CMyList list = ListOf("abc");
    list.First();
    list.Next();
    list.Next();
    list.Prev();
    EXPECT_EQ(Current(list), "b");
    list.Prev();
    EXPECT_EQ(Current(list), "a");
    list.Prev();
    EXPECT_EQ(list.IsInList(), 0);
    EXPECT_EQ(list.GetCurr(), nullptr);
    list.First();
    EXPECT_EQ(Current(list), "a");
    EXPECT_EQ(Walk(list), "abc");
}

TEST(MyListTest, DestructionAndClearFreeElementsAndTheirObjects) {
    DestroyedObjects().clear();
    {
        CMyList list = ListOf("ab");
        CLink* pImage = Named("img");
        pImage->m_nKind = kKindImage;
        pImage->m_pPicture = new CPicture("1");
        list.Append(pImage);
        CLink* pFormula = Named("fml");
        pFormula->m_pFormula = new CDerivedFormula("2");
        list.Append(pFormula);
    }
    EXPECT_EQ(DestroyedObjects(),
              (std::vector<std::string>{"picture 1", "derived 2", "formula 2"}));

    DestroyedObjects().clear();
    CMyList list = ListOf("ab");
    list.First();
    list.GetCurr()->m_pPicture = new CPicture("3");
    list.Clear();
    EXPECT_EQ(DestroyedObjects(), std::vector<std::string>{"picture 3"});
    EXPECT_EQ(list.IsEmpty(), 1);
    EXPECT_EQ(list.IsInList(), 0);
    list.Insert(Named("x"));  // the cursor is at the head again
    list.Append(Named("y"));
    EXPECT_EQ(Walk(list), "xy");
}

TEST(MyListTest, MoveTransfersTheChainAndLeavesTheSourceEmptyAndUsable) {
    static_assert(!std::is_copy_constructible_v<CMyList>);
    static_assert(!std::is_copy_assignable_v<CMyList>);
    static_assert(std::is_nothrow_move_assignable_v<CMyList>);

    CMyList source = ListOf("abc");
    CMyList moved(std::move(source));
    EXPECT_EQ(Walk(moved), "abc");
    EXPECT_EQ(source.IsEmpty(), 1);  // NOLINT(bugprone-use-after-move): documented state
    source.Append(Named("z"));
    EXPECT_EQ(Walk(source), "z");

    DestroyedObjects().clear();
    CMyList target = ListOf("q");
    target.First();
    target.GetCurr()->m_pPicture = new CPicture("old");
    target = std::move(moved);
    EXPECT_EQ(DestroyedObjects(), std::vector<std::string>{"picture old"});
    EXPECT_EQ(Walk(target), "abc");
    EXPECT_EQ(moved.IsEmpty(), 1);  // NOLINT(bugprone-use-after-move)
    moved.First();
    moved.Insert(Named("m"));
    moved.Append(Named("n"));
    EXPECT_EQ(Walk(moved), "mn");
    target.Append(Named("d"));  // the tail came along with the chain
    EXPECT_EQ(Walk(target), "abcd");
}

}  // namespace
