// The undo history, checked against a model of the page: the test keeps the live page itself,
// writes down each state it passes through as plain values, applies what Undo and Redo hand
// back to its own page the way the editor would, and compares.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "document/link_slots.h"
#include "editor/undo.h"

namespace {

using namespace tessel::editor;
using tessel::slots::Text;

// One entry of a live page in its flat form. StartColumn and EndColumn entries have no
// element; a frame's entry has flat kind 13 and an element of kind 16.
struct Item {
    std::unique_ptr<CLink> pLink;
    int nKind = kKindText;
};
using Page = std::vector<Item>;
// Each element written down without the history's help: its flat kind and every slot.
using Snapshot = std::vector<std::string>;

Item MakeItem(int nKind, int nElementKind) {
    Item item{std::make_unique<CLink>(), nKind};
    item.pLink->m_nKind = nElementKind;
    return item;
}
Item TextItem(const std::string& text, int nSize = 12) {
    Item item = MakeItem(kKindText, kKindText);
    Text(*item.pLink) = text;
    item.pLink->m_Font[1].nValue = nSize;
    return item;
}
Item FrameItem(int nColumns) {
    Item item = MakeItem(kKindMultiColumn, kKindColumnFrame);
    item.pLink->m_Command[0].nValue = nColumns;
    return item;
}

Page PageOf(std::initializer_list<const char*> texts) {
    Page page;
    for (const char* text : texts)
        page.push_back(TextItem(text));
    return page;
}

std::vector<FlatEntry> Entries(const Page& page) {
    std::vector<FlatEntry> entries;
    for (const Item& item : page)
        entries.push_back({item.pLink.get(), item.nKind});
    return entries;
}

// The banks of slots of an element, each with its number of slots.
template <typename Link>
auto Banks(Link& e) {
    return std::array{std::pair{e.m_Font, kFontSlots}, std::pair{e.m_Color, kColorSlots},
                      std::pair{e.m_FootNote, kFootNoteSlots},
                      std::pair{e.m_HotLink, kHotLinkSlots}, std::pair{e.m_Command, kCommandSlots}};
}

std::string ValueOf(int nKind, const CLink* pLink) {
    static const CLink blank;
    std::string value = std::to_string(nKind);
    for (const auto& [bank, nCount] : Banks(pLink ? *pLink : blank)) {
        for (int i = 0; i < nCount; ++i)
            value += "|" + std::to_string(bank[i].nType) + ":" + std::to_string(bank[i].nValue) +
                     ":" + bank[i].strText;
    }
    return value;
}
std::string ValueOf(const Item& item) {
    return ValueOf(item.nKind, item.pLink.get());
}
std::string ValueOf(const std::unique_ptr<CLink>& pRecorded) {
    return ValueOf(pRecorded->m_nKind, pRecorded.get());
}
template <typename List>
Snapshot SnapshotOf(const List& list) {
    Snapshot snap;
    for (const auto& element : list)
        snap.push_back(ValueOf(element));
    return snap;
}
Snapshot Texts(std::initializer_list<const char*> texts) {
    return SnapshotOf(PageOf(texts));
}

// An undo (or a redo) done on the page as the editor does it: in place of the elements the
// step made (or removed), new ones made from what it removed (or made). The step, or null.
const UndoStep* Apply(UndoHistory& history, Page& page, bool bUndo = true) {
    const UndoStep* pStep = bUndo ? history.Undo() : history.Redo();
    if (!pStep) return nullptr;
    const auto& with = bUndo ? pStep->before : pStep->after;
    const std::size_t nFrom = static_cast<std::size_t>(pStep->nFrom);
    const std::size_t nCount = (bUndo ? pStep->after : pStep->before).size();
    if (nFrom + nCount > page.size()) {
        ADD_FAILURE() << "the step lies beyond the page";
        return pStep;
    }
    page.erase(page.begin() + nFrom, page.begin() + nFrom + nCount);
    for (std::size_t n = 0; n < with.size(); ++n) {
        const int nKind = with[n]->m_nKind;
        Item item{nullptr, nKind};
        if (nKind != kKindStartColumn && nKind != kKindEndColumn) {
            item = MakeItem(nKind, nKind == kKindMultiColumn ? kKindColumnFrame : nKind);
            const auto from = Banks(*with[n]);
            const auto to = Banks(*item.pLink);
            for (std::size_t i = 0; i < from.size(); ++i)
                std::copy_n(from[i].first, from[i].second, to[i].first);
        }
        page.insert(page.begin() + nFrom + n, std::move(item));
    }
    return pStep;
}

bool Record(UndoHistory& history, const Page& page, StepKind kind = StepKind::kOther,
            EditPositions before = {}, EditPositions after = {}) {
    return history.Record(Entries(page), before, after, kind);
}

EditPositions At(int nLink, int nChar) {
    const TEXTPOS pos{nLink, 0, nChar};
    return {-1, pos, pos, pos};
}

int Uniform(std::mt19937& rng, int nMin, int nMax) {
    return std::uniform_int_distribution<int>(nMin, nMax)(rng);
}
std::string RandomText(std::mt19937& rng) {
    std::string text;
    for (int n = Uniform(rng, 0, 3); n > 0; --n)
        text += static_cast<char>('a' + Uniform(rng, 0, 2));
    return text;
}
Item RandomItem(std::mt19937& rng) {
    const int nWhat = Uniform(rng, 0, 9);
    if (nWhat == 1) return FrameItem(Uniform(rng, 1, 3));
    if (nWhat == 2 || nWhat == 3)
        return Item{nullptr, nWhat == 2 ? kKindStartColumn : kKindEndColumn};
    if (nWhat > 3) return TextItem(RandomText(rng), Uniform(rng, 10, 12));
    Item image = MakeItem(kKindImage, kKindImage);
    tessel::slots::FileName(*image.pLink) = RandomText(rng) + ".gif";
    return image;
}
Page RandomPage(std::mt19937& rng, int nMax) {
    Page page;
    for (int n = Uniform(rng, 0, nMax); n > 0; --n)
        page.push_back(RandomItem(rng));
    return page;
}

// One to four random changes of the page: an element inserted, removed, replaced, or one of
// its values changed. They may also put back what was there, so that nothing differs.
void RandomEdits(std::mt19937& rng, Page& page) {
    for (int nEdits = Uniform(rng, 1, 4); nEdits > 0; --nEdits) {
        const int nSize = static_cast<int>(page.size());
        const int nWhat = Uniform(rng, 0, 4);
        if (nWhat == 0 || nSize == 0) {
            page.insert(page.begin() + Uniform(rng, 0, nSize), RandomItem(rng));
            continue;
        }
        const int nAt = Uniform(rng, 0, nSize - 1);
        Item& item = page[static_cast<std::size_t>(nAt)];
        if (nWhat == 1) {
            page.erase(page.begin() + nAt);
        } else if (nWhat == 2) {
            item = RandomItem(rng);
        } else if (item.pLink && nWhat == 3) {
            Text(*item.pLink) += static_cast<char>('a' + nAt % 3);
        } else if (item.pLink) {
            item.pLink->m_Color[0].nValue = Uniform(rng, 0, 1);
        }
    }
}

// Undoes the last step, which must have put `after` in place of `before` from nFrom on.
void ExpectUndo(UndoHistory& history, Page& page, int nFrom, const Snapshot& before,
                const Snapshot& after) {
    const UndoStep* pStep = Apply(history, page);
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->nFrom, nFrom);
    EXPECT_EQ(SnapshotOf(pStep->before), before);
    EXPECT_EQ(SnapshotOf(pStep->after), after);
    EXPECT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
}

// Undoes every step back to states.front(), then redoes them all: the live and the recorded
// page pass through every state, and the steps have the positions given (when given).
void UndoAndRedoAll(UndoHistory& history, Page& page, const std::vector<Snapshot>& states,
                    const std::vector<EditPositions>& positions = {}) {
    for (std::size_t n = states.size() - 1; n > 0; --n) {
        const UndoStep* pStep = Apply(history, page);
        ASSERT_NE(pStep, nullptr);
        if (!positions.empty()) {
            EXPECT_EQ(pStep->posBefore, positions[n - 1]);
            EXPECT_EQ(pStep->posAfter, positions[n]);
        }
        ASSERT_EQ(SnapshotOf(page), states[n - 1]) << n;
        ASSERT_EQ(SnapshotOf(history.Page()), states[n - 1]) << n;
        ASSERT_EQ(history.RedoCount(), states.size() - n);
    }
    EXPECT_TRUE(!history.CanUndo() && history.Undo() == nullptr);
    for (std::size_t n = 1; n < states.size(); ++n) {
        ASSERT_NE(Apply(history, page, false), nullptr);
        ASSERT_EQ(SnapshotOf(page), states[n]) << n;
        ASSERT_EQ(SnapshotOf(history.Page()), states[n]) << n;
    }
    EXPECT_TRUE(!history.CanRedo() && history.Redo() == nullptr);
}

TEST(UndoTest, EntriesCompareEverySlotAndCopyWithTheirFlatKind) {
    const Item text = TextItem("ab");
    const Item frame = FrameItem(2);
    for (const FlatEntry& entry :
         {FlatEntry{text.pLink.get(), kKindText}, FlatEntry{frame.pLink.get(), kKindMultiColumn},
          FlatEntry{nullptr, kKindStartColumn}, FlatEntry{nullptr, kKindEndColumn}}) {
        const std::unique_ptr<CLink> copy = CopyEntry(entry);
        EXPECT_EQ(ValueOf(copy), ValueOf(entry.nKind, entry.pLink)) << entry.nKind;
        EXPECT_EQ(copy->m_pNext, nullptr);
        EXPECT_TRUE(SameElement(entry, *copy)) << entry.nKind;
        // The flat kind is compared, not the element's own.
        const int nOther = entry.nKind == kKindStartColumn ? kKindEndColumn : kKindStartColumn;
        EXPECT_FALSE(SameElement({entry.pLink, nOther}, *copy)) << entry.nKind;
        // Every bank of slots counts, up to its last slot.
        for (const auto& [bank, nCount] : Banks(*copy)) {
            ++bank[nCount - 1].nValue;
            EXPECT_FALSE(SameElement(entry, *copy)) << entry.nKind << " " << nCount;
            --bank[nCount - 1].nValue;
        }
        EXPECT_TRUE(SameElement(entry, *copy)) << entry.nKind;
    }
}

// Random pages and random edits: the recorded page follows the live one, every undo goes
// back to the state before its step, every redo forward again.
TEST(UndoTest, RandomEditsUndoAndRedoThroughEveryState) {
    std::mt19937 rng(20240611);
    for (int nRun = 0; nRun < 60; ++nRun) {
        Page page = RandomPage(rng, nRun % 3 == 0 ? 40 : 8);
        UndoHistory history;
        history.Reset(Entries(page));
        std::vector<Snapshot> states{SnapshotOf(page)};
        std::vector<EditPositions> positions{At(0, 0)};
        for (int nRound = 0; nRound < 25; ++nRound) {
            RandomEdits(rng, page);
            const EditPositions pos = At(nRound + 1, nRun);
            const bool bChanged = SnapshotOf(page) != states.back();
            EXPECT_EQ(Record(history, page, StepKind::kOther, positions.back(), pos), bChanged);
            EXPECT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
            if (bChanged) {
                states.push_back(SnapshotOf(page));
                positions.push_back(pos);
            }
            ASSERT_EQ(history.UndoCount(), states.size() - 1);
        }
        UndoAndRedoAll(history, page, states, positions);
    }
}

// Runs of joined random edits, in ranges that overlap, touch or lie apart: each run is one
// step, and undoing it goes back exactly to the page before the run.
TEST(UndoTest, RandomJoinedStepsUndoExactly) {
    std::mt19937 rng(77);
    for (int nRun = 0; nRun < 80; ++nRun) {
        Page page = RandomPage(rng, nRun % 2 ? 30 : 6);
        UndoHistory history;
        history.Reset(Entries(page));
        std::vector<Snapshot> states{SnapshotOf(page)};  // the page before each step, then now
        int nPos = 0;
        for (int nJoined = 0; nJoined < 6; ++nJoined) {
            Snapshot start = SnapshotOf(page);
            // A run's first record does not follow the last step's positions.
            bool bStarted = false;
            for (int n = Uniform(rng, 1, 6); n > 0; --n) {
                RandomEdits(rng, page);
                const int nFrom = bStarted ? nPos : nPos + 1000;
                if (Record(history, page, StepKind::kTyping, At(0, nFrom), At(0, nFrom + 1))) {
                    bStarted = true;
                    nPos = nFrom + 1;
                } else if (bStarted) {
                    // Typing that changed nothing ends the run: what follows is a new step.
                    states.push_back(SnapshotOf(page));
                    start = SnapshotOf(page);
                    bStarted = false;
                }
                // A run that gave back the page it started from is no step.
                if (SnapshotOf(page) == start) bStarted = false;
                ASSERT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
            }
            if (bStarted) states.push_back(SnapshotOf(page));
            ASSERT_EQ(history.UndoCount(), states.size() - 1) << nRun;
        }
        UndoAndRedoAll(history, page, states);
    }
}

// What joins and what breaks a join: positions that do not follow on, a step of another kind,
// an undo. Each op: 'n' a new history on an empty run, T (typing), B (Backspace) or O (other)
// a 'k' typed from nFrom to nFrom + 1, 'u' an undo, 'r' a redo; then the steps on each side
// and the run's length.
TEST(UndoTest, JoinIsBroken) {
    struct Op {
        char cOp;
        int nFrom;
        std::size_t nUndo, nRedo, nLength;
    };
    const Op ops[] = {{'n', 0, 0, 0, 0},  {'T', 0, 1, 0, 1}, {'T', 5, 2, 0, 2}, {'T', 6, 2, 0, 3},
                      {'B', 7, 3, 0, 4},  {'B', 8, 3, 0, 5}, {'O', 9, 4, 0, 6}, {'O', 10, 5, 0, 7},
                      {'T', 11, 6, 0, 8}, {'n', 0, 0, 0, 0}, {'T', 0, 1, 0, 1}, {'T', 1, 1, 0, 2},
                      {'T', 2, 1, 0, 3},  {'u', 0, 0, 1, 0}, {'r', 0, 1, 0, 3}, {'T', 3, 2, 0, 4},
                      {'u', 0, 1, 1, 3},  {'T', 3, 2, 0, 4}, {'u', 0, 1, 1, 3}, {'u', 0, 0, 2, 0},
                      {'T', 0, 1, 0, 1},  {'T', 1, 1, 0, 2}, {'u', 0, 0, 1, 0}};
    Page page;
    UndoHistory history;
    for (std::size_t n = 0; n < std::size(ops); ++n) {
        const Op& op = ops[n];
        if (op.cOp == 'n') {
            page = PageOf({""});
            history.Reset(Entries(page));
        } else if (op.cOp == 'u' || op.cOp == 'r') {
            ASSERT_NE(Apply(history, page, op.cOp == 'u'), nullptr) << n;
        } else {
            Text(*page[0].pLink) += 'k';
            const StepKind kind = op.cOp == 'T'   ? StepKind::kTyping
                                  : op.cOp == 'B' ? StepKind::kBackspace
                                                  : StepKind::kOther;
            ASSERT_TRUE(Record(history, page, kind, At(0, op.nFrom), At(0, op.nFrom + 1))) << n;
        }
        EXPECT_EQ(history.UndoCount(), op.nUndo) << n;
        EXPECT_EQ(history.RedoCount(), op.nRedo) << n;
        EXPECT_EQ(SnapshotOf(page), Texts({std::string(op.nLength, 'k').c_str()})) << n;
    }
}

// Two keystrokes far apart on one page, joined: one step from the first position to the last,
// and the elements between the two are in it on both sides, unchanged.
TEST(UndoTest, JoinOverAGap) {
    Page page = PageOf({"a", "b", "c", "d", "e", "f"});
    UndoHistory history;
    history.Reset(Entries(page));
    Text(*page[4].pLink) = "E";
    ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(4, 0), At(4, 1)));
    page.erase(page.begin() + 1);  // b goes; the first change is now at 3
    page.insert(page.begin() + 1, TextItem("B1"));
    page.insert(page.begin() + 1, TextItem("B0"));
    ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(4, 1), At(1, 1)));
    ASSERT_EQ(history.UndoCount(), 1u);
    const Snapshot joined = SnapshotOf(page);
    ExpectUndo(history, page, 1, Texts({"b", "c", "d", "e"}), Texts({"B0", "B1", "c", "d", "E"}));
    EXPECT_EQ(SnapshotOf(page), Texts({"a", "b", "c", "d", "e", "f"}));
    const UndoStep* pStep = Apply(history, page, false);
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->posBefore, At(4, 0));
    EXPECT_EQ(pStep->posAfter, At(1, 1));
    EXPECT_EQ(pStep->kind, StepKind::kTyping);
    EXPECT_EQ(SnapshotOf(page), joined);
}

// The layout tidies the page (element nTidy made smaller, or one appended) between two
// keystrokes in element 1: the tidying is no step, and it breaks the join when it touches what
// the last keystroke made or lies before it.
TEST(UndoTest, AbsorbTakesAChangeInWithoutAStep) {
    for (const int nTidy : {0, 1, 2, 4}) {
        Page page = PageOf({"a", "b", "c", "d"});
        UndoHistory history;
        history.Reset(Entries(page));
        Text(*page[1].pLink) = "b1";
        ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(1, 1), At(1, 2)));
        if (nTidy < 4) {
            page[static_cast<std::size_t>(nTidy)].pLink->m_Font[1].nValue = 11;
        } else {
            page.push_back(TextItem("tidy"));
        }
        history.Absorb(Entries(page));
        EXPECT_EQ(history.UndoCount(), 1u);
        EXPECT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
        EXPECT_FALSE(Record(history, page));
        Snapshot expected = SnapshotOf(page);
        Text(*page[1].pLink) += "2";
        ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(1, 2), At(1, 3)));
        const bool bJoins = nTidy >= 2;
        EXPECT_EQ(history.UndoCount(), bJoins ? 1u : 2u) << nTidy;
        ASSERT_NE(Apply(history, page), nullptr);
        if (bJoins) expected[1] = Texts({"b"})[0];
        EXPECT_EQ(SnapshotOf(page), expected) << nTidy;
        // Absorbing leaves the redo side as it was.
        page.push_back(TextItem("more"));
        history.Absorb(Entries(page));
        EXPECT_EQ(history.RedoCount(), 1u);
    }
}

TEST(UndoTest, KeepsAtMostTheLimit) {
    Page page = PageOf({""});
    UndoHistory history;
    history.Reset(Entries(page));
    EXPECT_TRUE(history.Undo() == nullptr && history.Redo() == nullptr);
    std::vector<Snapshot> states{SnapshotOf(page)};
    for (std::size_t n = 0; n < UndoHistory::kMaxSteps + 5; ++n) {
        page[0].pLink->m_Font[1].nValue = static_cast<int>(n) + 100;
        ASSERT_TRUE(Record(history, page));
        states.push_back(SnapshotOf(page));
    }
    EXPECT_EQ(history.UndoCount(), UndoHistory::kMaxSteps);
    // The five oldest steps are gone: the oldest page left is the one after them.
    states.erase(states.begin(), states.begin() + 5);
    UndoAndRedoAll(history, page, states);
    // A new start forgets both sides.
    ASSERT_NE(Apply(history, page), nullptr);
    history.Reset(Entries(page));
    EXPECT_FALSE(history.CanUndo() || history.CanRedo());
}

// Changes on a long page copy only what changed: every other recorded element stays the
// same object.
TEST(UndoTest, ChangesOnALongPageCopyOnlyWhatChanged) {
    Page page;
    for (int n = 0; n < 5000; ++n)
        page.push_back(TextItem(std::to_string(n % 7)));
    UndoHistory history;
    history.Reset(Entries(page));
    std::vector<const CLink*> opened;
    for (const auto& pLink : history.Page())
        opened.push_back(pLink.get());
    Text(*page[2500].pLink) = "changed";
    ASSERT_TRUE(Record(history, page));
    page.insert(page.begin() + 4000, TextItem("new"));
    ASSERT_TRUE(Record(history, page));
    ASSERT_EQ(history.Page().size(), 5001u);
    for (std::size_t n = 0; n < 5000; ++n) {
        const CLink* pNow = history.Page()[n < 4000 ? n : n + 1].get();
        EXPECT_EQ(pNow == opened[n], n != 2500) << n;
    }
    ExpectUndo(history, page, 4000, {}, Texts({"new"}));
    ExpectUndo(history, page, 2500, Texts({"1"}), Texts({"changed"}));
}

}  // namespace
