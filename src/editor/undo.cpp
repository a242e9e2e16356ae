#include "editor/undo.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "document/char_format.h"

namespace tessel::editor {

namespace {

using Elements = std::vector<std::unique_ptr<CLink>>;

// What a StartColumn or EndColumn entry, which has no element behind it, is compared with:
// an element with every slot as a new element has it.
const CLink& BlankElement() {
    static const CLink blank;
    return blank;
}

bool SameSlots(const LINKPARAM* pA, const LINKPARAM* pB, int nCount) {
    return std::equal(pA, pA + nCount, pB);
}

std::unique_ptr<CLink> CopyRecorded(const CLink& recorded) {
    auto pCopy = std::make_unique<CLink>();
    CopyLink(pCopy.get(), &recorded);
    return pCopy;
}

Elements CopyRecorded(const Elements& elements) {
    Elements copies;
    copies.reserve(elements.size());
    for (const auto& pLink : elements)
        copies.push_back(CopyRecorded(*pLink));
    return copies;
}

// Puts `replacement` in place of page[nFrom, nFrom + nCount) and hands back what was there.
// Only the owning pointers move; the elements themselves stay where they are.
Elements Splice(Elements& page, std::size_t nFrom, std::size_t nCount, Elements replacement) {
    const auto first = page.begin() + static_cast<std::ptrdiff_t>(nFrom);
    Elements removed(std::make_move_iterator(first),
                     std::make_move_iterator(first + static_cast<std::ptrdiff_t>(nCount)));
    const std::size_t nCommon = std::min(nCount, replacement.size());
    std::move(replacement.begin(), replacement.begin() + static_cast<std::ptrdiff_t>(nCommon),
              first);
    if (replacement.size() > nCount) {
        page.insert(
            first + static_cast<std::ptrdiff_t>(nCount),
            std::make_move_iterator(replacement.begin() + static_cast<std::ptrdiff_t>(nCommon)),
            std::make_move_iterator(replacement.end()));
    } else {
        page.erase(first + static_cast<std::ptrdiff_t>(nCommon),
                   first + static_cast<std::ptrdiff_t>(nCount));
    }
    return removed;
}

// The difference between the recorded page and the live one: the recorded elements
// [nFrom, nFrom + nOld) became the live ones [nFrom, nFrom + nNew).
struct Difference {
    std::size_t nFrom = 0;
    std::size_t nOld = 0;
    std::size_t nNew = 0;

    bool Empty() const { return nOld == 0 && nNew == 0; }
};

// The longest common head, then the longest common tail of what is left on both sides: one
// comparison per element that did not change.
Difference Compare(std::span<const FlatEntry> page, const Elements& recorded) {
    const std::size_t nLive = page.size();
    const std::size_t nRecorded = recorded.size();
    std::size_t nHead = 0;
    while (nHead < nLive && nHead < nRecorded && SameElement(page[nHead], *recorded[nHead]))
        ++nHead;
    std::size_t nTail = 0;
    while (nTail < nLive - nHead && nTail < nRecorded - nHead &&
           SameElement(page[nLive - 1 - nTail], *recorded[nRecorded - 1 - nTail]))
        ++nTail;
    return {nHead, nRecorded - nHead - nTail, nLive - nHead - nTail};
}

Elements CopyEntries(std::span<const FlatEntry> page, const Difference& diff) {
    Elements copies;
    copies.reserve(diff.nNew);
    for (std::size_t i = 0; i < diff.nNew; ++i)
        copies.push_back(CopyEntry(page[diff.nFrom + i]));
    return copies;
}

}  // namespace

bool SameElement(const FlatEntry& entry, const CLink& recorded) {
    if (entry.nKind != recorded.m_nKind) return false;
    const CLink& live = entry.pLink ? *entry.pLink : BlankElement();
    if (!SameSlots(live.m_Font, recorded.m_Font, kFontSlots) ||
        !SameSlots(live.m_Color, recorded.m_Color, kColorSlots) ||
        !SameSlots(live.m_FootNote, recorded.m_FootNote, kFootNoteSlots) ||
        !SameSlots(live.m_HotLink, recorded.m_HotLink, kHotLinkSlots))
        return false;
    // A score field's label size is written by the drawing, after the change that made the
    // field was recorded: it is no change of the user's.
    const bool bScore = entry.nKind == kKindPageTotalScore || entry.nKind == kKindPageScore ||
                        entry.nKind == kKindTotalScore;
    for (int i = 0; i < kCommandSlots; ++i)
        if (!(bScore && (i == 2 || i == 3)) && !(live.m_Command[i] == recorded.m_Command[i]))
            return false;
    return true;
}

std::unique_ptr<CLink> CopyEntry(const FlatEntry& entry) {
    auto pCopy = std::make_unique<CLink>();
    if (entry.pLink) CopyLink(pCopy.get(), entry.pLink);
    pCopy->m_nKind = entry.nKind;
    return pCopy;
}

void UndoHistory::Reset(std::span<const FlatEntry> page) {
    m_page.clear();
    m_page.reserve(page.size());
    for (const FlatEntry& entry : page)
        m_page.push_back(CopyEntry(entry));
    m_undo.clear();
    m_redo.clear();
    m_bJoinable = false;
}

bool UndoHistory::Record(std::span<const FlatEntry> page, const EditPositions& posBefore,
                         const EditPositions& posAfter, StepKind kind) {
    const Difference diff = Compare(page, m_page);
    if (diff.Empty()) {
        // Typing that put back what it replaced (a selection typed over with its own text)
        // is no step, and what follows starts a new one.
        if (kind != StepKind::kOther && !(posBefore == posAfter)) m_bJoinable = false;
        return false;
    }

    // The new change takes the recorded page from S1 to S2.
    Elements after = CopyEntries(page, diff);
    Elements before = Splice(m_page, diff.nFrom, diff.nOld, CopyRecorded(after));
    m_redo.clear();

    const bool bJoin = kind != StepKind::kOther && m_bJoinable && !m_undo.empty() &&
                       m_undo.back().kind == kind && m_undo.back().posAfter == posBefore;
    m_bJoinable = true;
    if (!bJoin) {
        m_undo.push_back(UndoStep{static_cast<int>(diff.nFrom), std::move(before), std::move(after),
                                  posBefore, posAfter, kind});
        if (m_undo.size() > kMaxSteps) m_undo.pop_front();
        return true;
    }

    // Join: the last step took S0 to S1 and left S1[f1, e1) as its `after`; the new change
    // replaced S1[f2, e2) (now `before`). Over the union [lo, hi) of the two, the joined step
    // has S0's elements before and S2's after. An element of S1 inside the last step's
    // range is only in S2 if the new change left it, and one inside the new change's range
    // only in S0 if the last step left it; those move from one step into the other. The
    // elements in neither range (between the two when they do not touch) are in S0, S1 and
    // S2 alike and are copied from the recorded page, now S2.
    UndoStep& last = m_undo.back();
    const std::size_t f1 = static_cast<std::size_t>(last.nFrom);
    const std::size_t e1 = f1 + last.after.size();
    const std::size_t f2 = diff.nFrom;
    const std::size_t e2 = f2 + before.size();
    const std::size_t lo = std::min(f1, f2);
    const std::size_t hi = std::max(e1, e2);

    // Element i of S1, taken over when the last step made it or the new change removed it.
    auto TakeS1 = [&](std::size_t i) -> std::unique_ptr<CLink> {
        if (i >= f1 && i < e1) return std::move(last.after[i - f1]);
        if (i >= f2 && i < e2) return std::move(before[i - f2]);
        const std::size_t nS2 = i < f2 ? i : i - before.size() + after.size();
        return CopyRecorded(*m_page[nS2]);
    };

    Elements joinedBefore;
    joinedBefore.reserve((f1 - lo) + last.before.size() + (hi - e1));
    for (std::size_t i = lo; i < f1; ++i)
        joinedBefore.push_back(TakeS1(i));
    std::move(last.before.begin(), last.before.end(), std::back_inserter(joinedBefore));
    for (std::size_t i = e1; i < hi; ++i)
        joinedBefore.push_back(TakeS1(i));

    Elements joinedAfter;
    joinedAfter.reserve((f2 - lo) + after.size() + (hi - e2));
    for (std::size_t i = lo; i < f2; ++i)
        joinedAfter.push_back(TakeS1(i));
    std::move(after.begin(), after.end(), std::back_inserter(joinedAfter));
    for (std::size_t i = e2; i < hi; ++i)
        joinedAfter.push_back(TakeS1(i));

    last.nFrom = static_cast<int>(lo);
    last.before = std::move(joinedBefore);
    last.after = std::move(joinedAfter);
    last.posAfter = posAfter;
    // A run that put back what was there (a selection typed over with its own text) leaves
    // no step: an undo that changes nothing would only puzzle the user.
    const bool bSame =
        std::ranges::equal(last.before, last.after, [](const auto& a, const auto& b) {
            return SameElement(FlatEntry{a.get(), a->m_nKind}, *b);
        });
    if (bSame) {
        m_undo.pop_back();
        m_bJoinable = false;
    }
    return true;
}

void UndoHistory::Absorb(std::span<const FlatEntry> page) {
    const Difference diff = Compare(page, m_page);
    if (diff.Empty()) return;
    Splice(m_page, diff.nFrom, diff.nOld, CopyEntries(page, diff));
    // A later step may still join the last one only if what the last one made is where it
    // was: the absorbed change lies wholly after it.
    if (m_bJoinable && !m_undo.empty()) {
        const UndoStep& last = m_undo.back();
        if (diff.nFrom < static_cast<std::size_t>(last.nFrom) + last.after.size())
            m_bJoinable = false;
    }
}

const UndoStep* UndoHistory::Undo() {
    if (m_undo.empty()) return nullptr;
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    m_bJoinable = false;
    const UndoStep& step = m_redo.back();
    Splice(m_page, static_cast<std::size_t>(step.nFrom), step.after.size(),
           CopyRecorded(step.before));
    return &step;
}

const UndoStep* UndoHistory::Redo() {
    if (m_redo.empty()) return nullptr;
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    m_bJoinable = false;
    const UndoStep& step = m_undo.back();
    Splice(m_page, static_cast<std::size_t>(step.nFrom), step.before.size(),
           CopyRecorded(step.after));
    return &step;
}

}  // namespace tessel::editor
