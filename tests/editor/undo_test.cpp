// The undo history, checked against a model of the page: the test keeps the live page itself,
// writes down each state it passes through as plain values, applies what Undo and Redo hand
// back to its own page the way the editor would, and compares.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "document/link_slots.h"
#include "editor/undo.h"

namespace {

using namespace tessel::editor;

// One entry of a live page in its flat form. StartColumn and EndColumn entries have no
// element; a frame's entry has flat kind 13 and an element of kind 16.
struct Item {
    std::unique_ptr<CLink> pLink;
    int nKind = kKindText;
};
using Page = std::vector<Item>;

// What a test knows of an element, written down without the history's help.
using Value = std::tuple<int, std::string, int, int>;  // flat kind, text, size, red
using Snapshot = std::vector<Value>;

Item TextItem(const std::string& text, int nSize = 12) {
    Item item;
    item.pLink = std::make_unique<CLink>();
    item.pLink->m_nKind = kKindText;
    tessel::slots::Text(*item.pLink) = text;
    item.pLink->m_Font[1].nValue = nSize;
    return item;
}

Item ImageItem(const std::string& file) {
    Item item;
    item.pLink = std::make_unique<CLink>();
    item.pLink->m_nKind = kKindImage;
    tessel::slots::FileName(*item.pLink) = file;
    return item;
}

Item FrameItem(int nColumns) {
    Item item;
    item.pLink = std::make_unique<CLink>();
    item.pLink->m_nKind = kKindColumnFrame;
    item.pLink->m_Command[0].nValue = nColumns;
    item.nKind = kKindMultiColumn;
    return item;
}

Item ColumnMark(int nKind) {
    Item item;
    item.nKind = nKind;
    return item;
}

std::vector<FlatEntry> Entries(const Page& page) {
    std::vector<FlatEntry> entries;
    for (const Item& item : page)
        entries.push_back({item.pLink.get(), item.nKind});
    return entries;
}

Value ValueOf(const Item& item) {
    if (!item.pLink) return {item.nKind, "", 0, 0};
    return {item.nKind, item.pLink->m_Command[0].strText, item.pLink->m_Font[1].nValue,
            item.pLink->m_Color[0].nValue};
}

Value ValueOf(const CLink& recorded) {
    return {recorded.m_nKind, recorded.m_Command[0].strText, recorded.m_Font[1].nValue,
            recorded.m_Color[0].nValue};
}

Snapshot SnapshotOf(const Page& page) {
    Snapshot snap;
    for (const Item& item : page)
        snap.push_back(ValueOf(item));
    return snap;
}

Snapshot SnapshotOf(const std::vector<std::unique_ptr<CLink>>& recorded) {
    Snapshot snap;
    for (const auto& pLink : recorded)
        snap.push_back(ValueOf(*pLink));
    return snap;
}

// Every slot of every element, for telling whether a page came back exactly.
std::vector<std::string> FullOf(const Page& page) {
    std::vector<std::string> lines;
    for (const Item& item : page) {
        std::string line = std::to_string(item.nKind);
        if (item.pLink) {
            const CLink& e = *item.pLink;
            for (const auto* bank : {&e.m_Font[0], &e.m_Color[0], &e.m_FootNote[0], &e.m_HotLink[0],
                                     &e.m_Command[0]}) {
                const int n = bank == e.m_Font       ? kFontSlots
                              : bank == e.m_Color    ? kColorSlots
                              : bank == e.m_FootNote ? kFootNoteSlots
                              : bank == e.m_HotLink  ? kHotLinkSlots
                                                     : kCommandSlots;
                for (int i = 0; i < n; ++i)
                    line += "|" + std::to_string(bank[i].nType) + ":" +
                            std::to_string(bank[i].nValue) + ":" + bank[i].strText;
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// A live entry made from a recorded element, as the editor rebuilds its page on an undo.
Item ItemOf(const CLink& recorded) {
    Item item;
    item.nKind = recorded.m_nKind;
    if (recorded.m_nKind == kKindStartColumn || recorded.m_nKind == kKindEndColumn) return item;
    item.pLink = std::make_unique<CLink>();
    item.pLink->m_nKind =
        recorded.m_nKind == kKindMultiColumn ? int{kKindColumnFrame} : recorded.m_nKind;
    std::copy(std::begin(recorded.m_Font), std::end(recorded.m_Font), item.pLink->m_Font);
    std::copy(std::begin(recorded.m_Color), std::end(recorded.m_Color), item.pLink->m_Color);
    std::copy(std::begin(recorded.m_FootNote), std::end(recorded.m_FootNote),
              item.pLink->m_FootNote);
    std::copy(std::begin(recorded.m_HotLink), std::end(recorded.m_HotLink), item.pLink->m_HotLink);
    std::copy(std::begin(recorded.m_Command), std::end(recorded.m_Command), item.pLink->m_Command);
    return item;
}

void Replace(Page& page, int nFrom, std::size_t nCount,
             const std::vector<std::unique_ptr<CLink>>& with) {
    ASSERT_LE(static_cast<std::size_t>(nFrom) + nCount, page.size());
    page.erase(page.begin() + nFrom, page.begin() + nFrom + static_cast<int>(nCount));
    Page items;
    for (const auto& pLink : with)
        items.push_back(ItemOf(*pLink));
    page.insert(page.begin() + nFrom, std::make_move_iterator(items.begin()),
                std::make_move_iterator(items.end()));
}

// The editor's side of an undo and a redo.
void ApplyUndo(Page& page, const UndoStep& step) {
    Replace(page, step.nFrom, step.after.size(), step.before);
}
void ApplyRedo(Page& page, const UndoStep& step) {
    Replace(page, step.nFrom, step.before.size(), step.after);
}

bool Record(UndoHistory& history, const Page& page, StepKind kind = StepKind::kOther,
            EditPositions before = {}, EditPositions after = {}) {
    const std::vector<FlatEntry> entries = Entries(page);
    return history.Record(entries, before, after, kind);
}

void Reset(UndoHistory& history, const Page& page) {
    const std::vector<FlatEntry> entries = Entries(page);
    history.Reset(entries);
}

EditPositions At(int nLink, int nChar) {
    EditPositions pos;
    pos.cursor = {nLink, 0, nChar};
    pos.selStart = pos.cursor;
    pos.selEnd = pos.cursor;
    return pos;
}

std::string RandomText(std::mt19937& rng) {
    std::uniform_int_distribution<int> len(0, 3);
    std::uniform_int_distribution<int> letter(0, 2);
    std::string text;
    for (int n = len(rng); n > 0; --n)
        text += static_cast<char>('a' + letter(rng));
    return text;
}

Item RandomItem(std::mt19937& rng) {
    switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
        case 0:
            return ImageItem(RandomText(rng) + ".gif");
        case 1:
            return FrameItem(std::uniform_int_distribution<int>(1, 3)(rng));
        case 2:
            return ColumnMark(kKindStartColumn);
        case 3:
            return ColumnMark(kKindEndColumn);
        default:
            return TextItem(RandomText(rng), std::uniform_int_distribution<int>(10, 12)(rng));
    }
}

Page RandomPage(std::mt19937& rng, int nMax) {
    Page page;
    for (int n = std::uniform_int_distribution<int>(0, nMax)(rng); n > 0; --n)
        page.push_back(RandomItem(rng));
    return page;
}

// One random change of the page: an element inserted, removed, replaced, or one of its
// values changed. Changes may also put back what was there, so that nothing differs.
void RandomEdit(std::mt19937& rng, Page& page) {
    const int nSize = static_cast<int>(page.size());
    const int nWhat = std::uniform_int_distribution<int>(0, 4)(rng);
    if (nWhat == 0 || nSize == 0) {
        const int nAt = std::uniform_int_distribution<int>(0, nSize)(rng);
        page.insert(page.begin() + nAt, RandomItem(rng));
        return;
    }
    const int nAt = std::uniform_int_distribution<int>(0, nSize - 1)(rng);
    Item& item = page[static_cast<std::size_t>(nAt)];
    switch (nWhat) {
        case 1:
            page.erase(page.begin() + nAt);
            break;
        case 2:
            item = RandomItem(rng);
            break;
        case 3:
            if (item.pLink) tessel::slots::Text(*item.pLink) += static_cast<char>('a' + nAt % 3);
            break;
        default:
            if (item.pLink)
                item.pLink->m_Color[0].nValue = std::uniform_int_distribution<int>(0, 1)(rng);
            break;
    }
}

void RandomEdits(std::mt19937& rng, Page& page) {
    for (int n = std::uniform_int_distribution<int>(1, 4)(rng); n > 0; --n)
        RandomEdit(rng, page);
}

TEST(UndoTest, SameElementAndCopyEntry) {
    Item text = TextItem("ab", 12);
    std::unique_ptr<CLink> copy = CopyEntry({text.pLink.get(), kKindText});
    EXPECT_EQ(ValueOf(*copy), Value(kKindText, "ab", 12, 0));
    EXPECT_EQ(copy->m_HotLink[0].nValue, kNoHotLink);
    EXPECT_EQ(copy->m_pNext, nullptr);
    EXPECT_TRUE(SameElement({text.pLink.get(), kKindText}, *copy));

    // Every bank of slots counts.
    for (int nBank = 0; nBank < 5; ++nBank) {
        Item changed = TextItem("ab", 12);
        LINKPARAM* banks[] = {&changed.pLink->m_Font[4], &changed.pLink->m_Color[2],
                              &changed.pLink->m_FootNote[0], &changed.pLink->m_HotLink[17],
                              &changed.pLink->m_Command[19]};
        banks[nBank]->nType = kParamText;
        EXPECT_FALSE(SameElement({changed.pLink.get(), kKindText}, *copy)) << nBank;
    }
    Item other = TextItem("ab", 12);
    other.pLink->m_Command[0].strText = "ac";
    EXPECT_FALSE(SameElement({other.pLink.get(), kKindText}, *copy));
    // The flat kind is compared, not the element's own.
    EXPECT_FALSE(SameElement({text.pLink.get(), kKindImage}, *copy));
}

TEST(UndoTest, FrameEntriesCompareAndCopyByFlatKind) {
    Item frame = FrameItem(2);
    FlatEntry entry{frame.pLink.get(), kKindMultiColumn};
    std::unique_ptr<CLink> copy = CopyEntry(entry);
    EXPECT_EQ(copy->m_nKind, kKindMultiColumn);
    EXPECT_EQ(copy->m_Command[0].nValue, 2);
    EXPECT_TRUE(SameElement(entry, *copy));
    frame.pLink->m_Command[0].nValue = 3;
    EXPECT_FALSE(SameElement(entry, *copy));

    std::unique_ptr<CLink> start = CopyEntry({nullptr, kKindStartColumn});
    std::unique_ptr<CLink> end = CopyEntry({nullptr, kKindEndColumn});
    EXPECT_EQ(start->m_nKind, kKindStartColumn);
    EXPECT_EQ(end->m_nKind, kKindEndColumn);
    EXPECT_EQ(start->m_HotLink[0].nValue, kNoHotLink);
    EXPECT_TRUE(SameElement({nullptr, kKindStartColumn}, *start));
    EXPECT_TRUE(SameElement({nullptr, kKindEndColumn}, *end));
    EXPECT_FALSE(SameElement({nullptr, kKindStartColumn}, *end));
    EXPECT_FALSE(SameElement({nullptr, kKindEndColumn}, *start));
    start->m_Command[1].nValue = 7;
    EXPECT_FALSE(SameElement({nullptr, kKindStartColumn}, *start));
}

TEST(UndoTest, FramePageRecordsAndUndoes) {
    Page page;
    page.push_back(TextItem("a"));
    page.push_back(FrameItem(2));
    page.push_back(ColumnMark(kKindStartColumn));
    page.push_back(TextItem("b"));
    page.push_back(ColumnMark(kKindEndColumn));
    page.push_back(ColumnMark(kKindStartColumn));
    page.push_back(ColumnMark(kKindEndColumn));
    page.push_back(TextItem("c"));
    const Snapshot opened = SnapshotOf(page);

    UndoHistory history;
    Reset(history, page);
    EXPECT_EQ(SnapshotOf(history.Page()), opened);
    EXPECT_FALSE(Record(history, page));
    EXPECT_FALSE(history.CanUndo());

    // The frame's own value changes: one element, the frame entry, with its flat kind.
    page[1].pLink->m_Command[0].nValue = 3;
    ASSERT_TRUE(Record(history, page));
    const Snapshot changed = SnapshotOf(page);
    // A third column: two entries without elements.
    page.insert(page.begin() + 7, ColumnMark(kKindEndColumn));
    page.insert(page.begin() + 7, ColumnMark(kKindStartColumn));
    ASSERT_TRUE(Record(history, page));
    EXPECT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));

    const UndoStep* pStep = history.Undo();
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->before.size(), 0u);
    ASSERT_EQ(pStep->after.size(), 2u);
    ApplyUndo(page, *pStep);
    EXPECT_EQ(SnapshotOf(page), changed);

    pStep = history.Undo();
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->nFrom, 1);
    ASSERT_EQ(pStep->before.size(), 1u);
    ASSERT_EQ(pStep->after.size(), 1u);
    EXPECT_EQ(pStep->before[0]->m_nKind, kKindMultiColumn);
    EXPECT_EQ(pStep->before[0]->m_Command[0].nValue, 2);
    EXPECT_EQ(pStep->after[0]->m_Command[0].nValue, 3);
    ApplyUndo(page, *pStep);
    EXPECT_EQ(SnapshotOf(page), opened);
    EXPECT_EQ(page[1].pLink->m_nKind, kKindColumnFrame);
    EXPECT_EQ(SnapshotOf(history.Page()), opened);
    EXPECT_FALSE(Record(history, page));
}

TEST(UndoTest, NothingToUndoOrRedo) {
    UndoHistory history;
    Page page;
    Reset(history, page);
    EXPECT_EQ(history.Undo(), nullptr);
    EXPECT_EQ(history.Redo(), nullptr);
    page.push_back(TextItem("a"));
    ASSERT_TRUE(Record(history, page));
    EXPECT_EQ(history.Redo(), nullptr);
    ASSERT_NE(history.Undo(), nullptr);
    EXPECT_EQ(history.Undo(), nullptr);
    EXPECT_TRUE(history.CanRedo());
    Reset(history, page);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
}

// Random pages and random edits: the recorded page follows the live one, every undo goes
// back to the state before its step, every redo forward again.
TEST(UndoTest, RandomEditsUndoAndRedoThroughEveryState) {
    std::mt19937 rng(20240611);
    for (int nRun = 0; nRun < 60; ++nRun) {
        Page page = RandomPage(rng, nRun % 3 == 0 ? 40 : 8);
        UndoHistory history;
        Reset(history, page);
        std::vector<Snapshot> states{SnapshotOf(page)};
        std::vector<EditPositions> positions{At(0, 0)};
        for (int nRound = 0; nRound < 25; ++nRound) {
            RandomEdits(rng, page);
            const Snapshot now = SnapshotOf(page);
            const EditPositions pos = At(nRound + 1, nRun);
            const bool bChanged = now != states.back();
            EXPECT_EQ(Record(history, page, StepKind::kOther, positions.back(), pos), bChanged);
            EXPECT_EQ(SnapshotOf(history.Page()), now);
            if (bChanged) {
                states.push_back(now);
                positions.push_back(pos);
            }
            ASSERT_EQ(history.UndoCount(), states.size() - 1);
        }
        for (std::size_t n = states.size() - 1; n > 0; --n) {
            const UndoStep* pStep = history.Undo();
            ASSERT_NE(pStep, nullptr);
            EXPECT_EQ(pStep->posBefore, positions[n - 1]);
            EXPECT_EQ(pStep->posAfter, positions[n]);
            ApplyUndo(page, *pStep);
            ASSERT_EQ(SnapshotOf(page), states[n - 1]);
            ASSERT_EQ(SnapshotOf(history.Page()), states[n - 1]);
        }
        EXPECT_FALSE(history.CanUndo());
        for (std::size_t n = 1; n < states.size(); ++n) {
            const UndoStep* pStep = history.Redo();
            ASSERT_NE(pStep, nullptr);
            ApplyRedo(page, *pStep);
            ASSERT_EQ(SnapshotOf(page), states[n]);
            ASSERT_EQ(SnapshotOf(history.Page()), states[n]);
        }
        EXPECT_FALSE(history.CanRedo());
        // Halfway back, a new change drops what could be redone.
        if (states.size() > 2) {
            for (int n = 0; n < 2; ++n)
                ApplyUndo(page, *history.Undo());
            page.push_back(TextItem("new"));
            ASSERT_TRUE(Record(history, page));
            EXPECT_FALSE(history.CanRedo());
            EXPECT_EQ(history.UndoCount(), states.size() - 2);
            ApplyUndo(page, *history.Undo());
            EXPECT_EQ(SnapshotOf(page), states[states.size() - 3]);
        }
    }
}

TEST(UndoTest, TypingJoinsIntoOneStep) {
    Page page;
    page.push_back(TextItem("x"));
    page.push_back(TextItem("ab"));
    page.push_back(TextItem("y"));
    const Snapshot opened = SnapshotOf(page);
    UndoHistory history;
    Reset(history, page);
    for (int n = 0; n < 5; ++n) {
        tessel::slots::Text(*page[1].pLink) += 'c';
        ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(1, 2 + n), At(1, 3 + n)));
        EXPECT_EQ(history.UndoCount(), 1u);
        EXPECT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
    }
    const Snapshot typed = SnapshotOf(page);
    const UndoStep* pStep = history.Undo();
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->nFrom, 1);
    EXPECT_EQ(pStep->before.size(), 1u);
    EXPECT_EQ(pStep->after.size(), 1u);
    EXPECT_EQ(pStep->posBefore, At(1, 2));
    EXPECT_EQ(pStep->posAfter, At(1, 7));
    EXPECT_EQ(pStep->kind, StepKind::kTyping);
    ApplyUndo(page, *pStep);
    EXPECT_EQ(SnapshotOf(page), opened);
    ApplyRedo(page, *history.Redo());
    EXPECT_EQ(SnapshotOf(page), typed);
}

TEST(UndoTest, BackspacesJoinIntoOneStep) {
    Page page;
    page.push_back(TextItem("a"));
    page.push_back(TextItem("b"));
    page.push_back(TextItem("c"));
    page.push_back(TextItem("d"));
    const Snapshot opened = SnapshotOf(page);
    UndoHistory history;
    Reset(history, page);
    // Each Backspace removes the element before the cursor.
    for (int n = 3; n > 0; --n) {
        page.erase(page.begin() + n - 1);
        ASSERT_TRUE(Record(history, page, StepKind::kBackspace, At(n, 0), At(n - 1, 0)));
    }
    EXPECT_EQ(history.UndoCount(), 1u);
    ApplyUndo(page, *history.Undo());
    EXPECT_EQ(SnapshotOf(page), opened);
}

// What breaks a join: positions that do not follow on, an undo, a step of another kind.
TEST(UndoTest, JoinIsBroken) {
    auto Type = [](UndoHistory& history, Page& page, StepKind kind, int nFrom, int nTo) {
        tessel::slots::Text(*page[0].pLink) += 'k';
        return Record(history, page, kind, At(0, nFrom), At(0, nTo));
    };
    {
        Page page;
        page.push_back(TextItem(""));
        UndoHistory history;
        Reset(history, page);
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 0, 1));
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 5, 6));  // the user clicked away
        EXPECT_EQ(history.UndoCount(), 2u);
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 6, 7));
        EXPECT_EQ(history.UndoCount(), 2u);
        ASSERT_TRUE(Type(history, page, StepKind::kBackspace, 7, 8));
        EXPECT_EQ(history.UndoCount(), 3u);
        ASSERT_TRUE(Type(history, page, StepKind::kOther, 8, 9));
        ASSERT_TRUE(Type(history, page, StepKind::kOther, 9, 10));
        EXPECT_EQ(history.UndoCount(), 5u);
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 10, 11));
        EXPECT_EQ(history.UndoCount(), 6u);
    }
    {
        Page page;
        page.push_back(TextItem(""));
        UndoHistory history;
        Reset(history, page);
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 0, 1));
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 1, 2));
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 2, 3));
        // Undo and redo: the redone step is not joined by the next keystroke.
        ApplyUndo(page, *history.Undo());
        EXPECT_EQ(SnapshotOf(page).front(), Value(kKindText, "", 12, 0));
        ApplyRedo(page, *history.Redo());
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 3, 4));
        EXPECT_EQ(history.UndoCount(), 2u);
        ApplyUndo(page, *history.Undo());
        EXPECT_EQ(SnapshotOf(page).front(), Value(kKindText, "kkk", 12, 0));
        // An undo, then typing that follows on from the step now last: a new step.
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 6, 7));
        EXPECT_EQ(history.UndoCount(), 2u);
        ApplyUndo(page, *history.Undo());
        EXPECT_EQ(SnapshotOf(page).front(), Value(kKindText, "kkk", 12, 0));
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 3, 4));
        EXPECT_EQ(history.UndoCount(), 2u);
        ApplyUndo(page, *history.Undo());
        ApplyUndo(page, *history.Undo());
        EXPECT_EQ(SnapshotOf(page).front(), Value(kKindText, "", 12, 0));
        // Everything undone, then typing: a new step, and nothing left to redo.
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 0, 1));
        EXPECT_EQ(history.UndoCount(), 1u);
        ASSERT_TRUE(Type(history, page, StepKind::kTyping, 1, 2));
        EXPECT_EQ(history.UndoCount(), 1u);
        EXPECT_FALSE(history.CanRedo());
        ApplyUndo(page, *history.Undo());
        EXPECT_EQ(SnapshotOf(page).front(), Value(kKindText, "", 12, 0));
    }
}

// Runs of joined random edits, in ranges that overlap, touch or lie apart: each run is one
// step, and undoing it goes back exactly to the page before the run.
TEST(UndoTest, RandomJoinedStepsUndoExactly) {
    std::mt19937 rng(77);
    for (int nRun = 0; nRun < 80; ++nRun) {
        Page page = RandomPage(rng, nRun % 2 ? 30 : 6);
        UndoHistory history;
        Reset(history, page);
        std::vector<Snapshot> states{SnapshotOf(page)};  // the page before each step, then now
        int nPos = 0;
        for (int nRun2 = 0; nRun2 < 6; ++nRun2) {
            const std::vector<std::string> start = FullOf(page);
            // A run of joined records; the first of a run starts a step of its own (its
            // positions do not follow the last step's).
            bool bStarted = false;
            for (int n = std::uniform_int_distribution<int>(1, 6)(rng); n > 0; --n) {
                RandomEdits(rng, page);
                const int nFrom = bStarted ? nPos : nPos + 1000;
                if (Record(history, page, StepKind::kTyping, At(0, nFrom), At(0, nFrom + 1))) {
                    bStarted = true;
                    nPos = nFrom + 1;
                }
                // A run that came back to the page it started from is no step: what follows
                // starts a new one.
                if (FullOf(page) == start) bStarted = false;
                ASSERT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
            }
            if (bStarted) states.push_back(SnapshotOf(page));
            ASSERT_EQ(history.UndoCount(), states.size() - 1);
        }
        for (std::size_t n = states.size() - 1; n > 0; --n) {
            const UndoStep* pStep = history.Undo();
            ASSERT_NE(pStep, nullptr);
            ApplyUndo(page, *pStep);
            ASSERT_EQ(SnapshotOf(page), states[n - 1]) << nRun << " " << n;
            ASSERT_EQ(SnapshotOf(history.Page()), states[n - 1]);
        }
        for (std::size_t n = 1; n < states.size(); ++n) {
            ApplyRedo(page, *history.Redo());
            ASSERT_EQ(SnapshotOf(page), states[n]);
            ASSERT_EQ(SnapshotOf(history.Page()), states[n]);
        }
    }
}

// Two keystrokes far apart on one page, joined: the elements between them are in the step
// on both sides, unchanged.
TEST(UndoTest, JoinOverAGap) {
    Page page;
    for (const char* text : {"a", "b", "c", "d", "e", "f"})
        page.push_back(TextItem(text));
    const Snapshot opened = SnapshotOf(page);
    UndoHistory history;
    Reset(history, page);
    tessel::slots::Text(*page[4].pLink) = "E";
    ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(4, 0), At(4, 1)));
    page.erase(page.begin() + 1);  // b goes; the first change is now at 3
    page.insert(page.begin() + 1, TextItem("B1"));
    page.insert(page.begin() + 1, TextItem("B0"));
    ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(4, 1), At(1, 1)));
    ASSERT_EQ(history.UndoCount(), 1u);
    const Snapshot joined = SnapshotOf(page);
    const UndoStep* pStep = history.Undo();
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->nFrom, 1);
    EXPECT_EQ(SnapshotOf(pStep->before),
              (Snapshot{{0, "b", 12, 0}, {0, "c", 12, 0}, {0, "d", 12, 0}, {0, "e", 12, 0}}));
    EXPECT_EQ(SnapshotOf(pStep->after), (Snapshot{{0, "B0", 12, 0},
                                                  {0, "B1", 12, 0},
                                                  {0, "c", 12, 0},
                                                  {0, "d", 12, 0},
                                                  {0, "E", 12, 0}}));
    EXPECT_EQ(pStep->posBefore, At(4, 0));
    EXPECT_EQ(pStep->posAfter, At(1, 1));
    ApplyUndo(page, *pStep);
    EXPECT_EQ(SnapshotOf(page), opened);
    ApplyRedo(page, *history.Redo());
    EXPECT_EQ(SnapshotOf(page), joined);
}

TEST(UndoTest, AbsorbTakesAChangeWithoutAStep) {
    Page page;
    page.push_back(TextItem("a"));
    page.push_back(TextItem("b"));
    UndoHistory history;
    Reset(history, page);
    page.push_back(TextItem("tidy"));
    const std::vector<FlatEntry> entries = Entries(page);
    history.Absorb(entries);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
    EXPECT_FALSE(Record(history, page));

    const Snapshot tidied = SnapshotOf(page);
    tessel::slots::Text(*page[0].pLink) = "A";
    ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(0, 0), At(0, 1)));
    const UndoStep* pStep = history.Undo();
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->nFrom, 0);
    EXPECT_EQ(pStep->before.size(), 1u);
    EXPECT_EQ(pStep->after.size(), 1u);
    ApplyUndo(page, *pStep);
    EXPECT_EQ(SnapshotOf(page), tidied);

    // Absorbing leaves the redo side as it was.
    ASSERT_TRUE(history.CanRedo());
    history.Absorb(Entries(page));
    EXPECT_TRUE(history.CanRedo());
}

// Tidying after what the last keystroke made keeps the next keystroke joining; tidying in
// front of it starts a new step, and either way every undo lands on the right page.
TEST(UndoTest, AbsorbAndJoining) {
    for (const bool bInFront : {false, true}) {
        Page page;
        for (const char* text : {"a", "b", "c", "d"})
            page.push_back(TextItem(text));
        UndoHistory history;
        Reset(history, page);
        tessel::slots::Text(*page[1].pLink) = "b1";
        ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(1, 1), At(1, 2)));
        page.erase(page.begin() + (bInFront ? 0 : 3));
        history.Absorb(Entries(page));
        const Snapshot tidied = SnapshotOf(page);
        Item& typed = page[bInFront ? 0 : 1];
        tessel::slots::Text(*typed.pLink) += "2";
        ASSERT_TRUE(Record(history, page, StepKind::kTyping, At(1, 2), At(1, 3)));
        EXPECT_EQ(history.UndoCount(), bInFront ? 2u : 1u);
        ApplyUndo(page, *history.Undo());
        if (bInFront) {
            EXPECT_EQ(SnapshotOf(page), tidied);
        } else {
            EXPECT_EQ(SnapshotOf(page),
                      (Snapshot{{0, "a", 12, 0}, {0, "b", 12, 0}, {0, "c", 12, 0}}));
        }
    }
}

TEST(UndoTest, KeepsAtMostTheLimit) {
    Page page;
    page.push_back(TextItem(""));
    UndoHistory history;
    Reset(history, page);
    std::vector<Snapshot> states{SnapshotOf(page)};
    for (std::size_t n = 0; n < UndoHistory::kMaxSteps + 5; ++n) {
        page[0].pLink->m_Font[1].nValue = static_cast<int>(n) + 100;
        ASSERT_TRUE(Record(history, page));
        states.push_back(SnapshotOf(page));
    }
    EXPECT_EQ(history.UndoCount(), UndoHistory::kMaxSteps);
    for (std::size_t n = 0; n < UndoHistory::kMaxSteps; ++n)
        ApplyUndo(page, *history.Undo());
    EXPECT_FALSE(history.CanUndo());
    // The five oldest steps are gone: the oldest page left is the one after them.
    EXPECT_EQ(SnapshotOf(page), states[5]);
    EXPECT_EQ(history.RedoCount(), UndoHistory::kMaxSteps);
}

// A change on a long page copies only what changed: the step holds just that element and
// every other recorded element is the same object as before.
TEST(UndoTest, OneChangeOnALongPageCopiesOneElement) {
    Page page;
    for (int n = 0; n < 5000; ++n)
        page.push_back(TextItem(std::to_string(n % 7)));
    UndoHistory history;
    Reset(history, page);
    auto Addresses = [&] {
        std::vector<const CLink*> addresses;
        for (const auto& pLink : history.Page())
            addresses.push_back(pLink.get());
        return addresses;
    };

    const std::vector<const CLink*> opened = Addresses();
    tessel::slots::Text(*page[2500].pLink) = "changed";
    ASSERT_TRUE(Record(history, page));
    std::vector<const CLink*> now = Addresses();
    ASSERT_EQ(now.size(), opened.size());
    for (std::size_t n = 0; n < now.size(); ++n) {
        if (n != 2500) {
            ASSERT_EQ(now[n], opened[n]) << n;
        }
    }
    EXPECT_NE(now[2500], opened[2500]);

    page.insert(page.begin() + 4000, TextItem("new"));
    ASSERT_TRUE(Record(history, page));
    const std::vector<const CLink*> inserted = Addresses();
    for (std::size_t n = 0; n < 4000; ++n)
        ASSERT_EQ(inserted[n], now[n]);
    for (std::size_t n = 4000; n < now.size(); ++n)
        ASSERT_EQ(inserted[n + 1], now[n]);

    const UndoStep* pStep = history.Undo();
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->nFrom, 4000);
    EXPECT_EQ(pStep->before.size(), 0u);
    EXPECT_EQ(pStep->after.size(), 1u);
    ApplyUndo(page, *pStep);
    pStep = history.Undo();
    ASSERT_NE(pStep, nullptr);
    EXPECT_EQ(pStep->nFrom, 2500);
    EXPECT_EQ(pStep->before.size(), 1u);
    EXPECT_EQ(pStep->after.size(), 1u);
    ApplyUndo(page, *pStep);
    EXPECT_EQ(Addresses().size(), 5000u);
    EXPECT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
}

// Repeated equal elements: the common head and tail never overlap.
TEST(UndoTest, RepeatedElements) {
    Page page;
    page.push_back(TextItem("a"));
    page.push_back(TextItem("a"));
    UndoHistory history;
    Reset(history, page);
    page.push_back(TextItem("a"));
    ASSERT_TRUE(Record(history, page));
    page.erase(page.begin(), page.begin() + 2);
    ASSERT_TRUE(Record(history, page));
    EXPECT_EQ(SnapshotOf(history.Page()), SnapshotOf(page));
    const UndoStep* pStep = history.Undo();
    EXPECT_EQ(pStep->before.size(), 2u);
    EXPECT_EQ(pStep->after.size(), 0u);
    ApplyUndo(page, *pStep);
    pStep = history.Undo();
    EXPECT_EQ(pStep->before.size(), 0u);
    EXPECT_EQ(pStep->after.size(), 1u);
    ApplyUndo(page, *pStep);
    EXPECT_EQ(SnapshotOf(page), (Snapshot{{0, "a", 12, 0}, {0, "a", 12, 0}}));
}

}  // namespace
