#pragma once

// The undo history of a page: every change of the document, as the exit sequence after a
// change records it, can be undone and redone.
//
// The history keeps the page as last recorded, in its flat form (each multi-column frame as
// its MultiColumn element, then each column's elements between StartColumn and EndColumn),
// and compares the live page with it: what differs between the first and the last element
// that changed is one step, kept as copies of those elements before and after. A keystroke
// on a long page thus costs one walk over the page's elements and copies of the few that
// changed; an undo replaces just those elements. The history knows nothing of windows: the
// editor hands it the live page as a list of entries and applies what an undo returns.

#include <cstddef>
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include "document/link.h"
#include "editor/text_pos.h"

namespace tessel::editor {

// One element of the live page in its flat form, without copying it: pLink is the element
// (a frame element for its MultiColumn entry, null for a StartColumn or EndColumn entry) and
// nKind the kind it has in the flat form (13 for a frame, 14, 15, else the element's own).
struct FlatEntry {
    const CLink* pLink = nullptr;
    int nKind = kKindText;
};

// Whether a live entry and a recorded element are the same: same flat kind and every slot
// equal (loaded pictures and formulas are not compared).
bool SameElement(const FlatEntry& entry, const CLink& recorded);
// A recorded copy of a live entry (CopyLink, with the flat kind).
std::unique_ptr<CLink> CopyEntry(const FlatEntry& entry);

// Where the user was: the editor the change happened in (-1 the top-level editor, else the
// column editor's number) and its cursor and selection (shown when its ends differ).
struct EditPositions {
    int nEditID = -1;
    TEXTPOS cursor;
    TEXTPOS selStart;
    TEXTPOS selEnd;

    bool operator==(const EditPositions&) const = default;
};

// How a step may join the step before it: consecutive typed characters form one step, and so
// do consecutive Backspaces.
enum class StepKind { kOther, kTyping, kBackspace };

// One change: the flat elements from nFrom on were `before`, and are `after`.
struct UndoStep {
    int nFrom = 0;
    std::vector<std::unique_ptr<CLink>> before;
    std::vector<std::unique_ptr<CLink>> after;
    EditPositions posBefore;
    EditPositions posAfter;
    StepKind kind = StepKind::kOther;
};

class UndoHistory {
  public:
    // At least this many steps are kept; older ones are dropped first.
    static constexpr std::size_t kMaxSteps = 1000;

    // Starts from the page as it is now (as opened): no steps to undo or redo.
    void Reset(std::span<const FlatEntry> page);

    // Records the change from the recorded page to the live one as a step; posBefore are the
    // positions before the change, posAfter after it. A step of kind kTyping or kBackspace
    // joins the last step when that one has the same kind, was recorded last (nothing undone
    // since), and its posAfter equals this step's posBefore. Nothing is recorded when the page
    // did not change, and a joined step that gives back the page it started from is dropped.
    // A recorded step clears what could be redone. True when a step was made
    // or joined.
    bool Record(std::span<const FlatEntry> page, const EditPositions& posBefore,
                const EditPositions& posAfter, StepKind kind);

    // Takes a change that is not a step of its own (the layout's tidying of a page) into the
    // recorded page, so that it is neither undone nor recorded later. The steps are left as
    // they are; the next step still joins the last one only when the absorbed change lies
    // wholly after what the last step made.
    void Absorb(std::span<const FlatEntry> page);

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }

    // The step to undo, now moved to the redo side: the live page must get, in place of its
    // flat elements from nFrom on (after.size() of them), copies of `before`, and the user
    // goes back to posBefore. Null when there is nothing to undo. The step stays valid until
    // the history changes again.
    const UndoStep* Undo();
    // The step to redo, moved back to the undo side: in place of before.size() flat elements
    // from nFrom on, copies of `after`; the user goes to posAfter. Null when there is none.
    const UndoStep* Redo();

    // The page as recorded.
    const std::vector<std::unique_ptr<CLink>>& Page() const { return m_page; }
    std::size_t UndoCount() const { return m_undo.size(); }
    std::size_t RedoCount() const { return m_redo.size(); }

  private:
    std::vector<std::unique_ptr<CLink>> m_page;
    // Oldest first; a deque so that dropping the oldest step is cheap and the step an Undo or
    // Redo hands out stays where it is while the other side grows.
    std::deque<UndoStep> m_undo;
    std::deque<UndoStep> m_redo;
    // Whether the last step on the undo side may still be joined (nothing undone since).
    bool m_bJoinable = false;
};

}  // namespace tessel::editor
