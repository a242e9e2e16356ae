#pragma once

#include <cstddef>
#include <string>

#include "document/object_ptr.h"

class CPicture;  // imaging layer
class CFormula;  // formula module

// One parameter slot of an element.
struct LINKPARAM {
    int nType = 0;  // how the slot was given: 0 number, 1 text, 2 not given
    int nValue = 0;
    std::string strText;

    bool operator==(const LINKPARAM&) const = default;
};

// Slot types.
inline constexpr int kParamNumber = 0;
inline constexpr int kParamText = 1;
inline constexpr int kParamNotGiven = 2;

// Element kinds (m_nKind). 0 to 15 are the markup's command identifiers in table order.
enum LinkKind : int {
    kKindText = 0,
    kKindImage = 1,
    kKindFormula = 2,
    kKindEdit = 3,
    kKindCheck = 4,
    kKindChoice = 5,
    kKindPageTotalScore = 6,
    kKindPageScore = 7,
    kKindTotalScore = 8,
    kKindDate = 9,
    kKindTime = 10,
    kKindReverseTime = 11,
    kKindCountTime = 12,
    kKindMultiColumn = 13,
    kKindStartColumn = 14,
    kKindEndColumn = 15,
    kKindColumnFrame = 16,  // a multi-column frame as the editor holds it
};

inline constexpr int kNoHotLink = 100;  // m_HotLink[0].nValue when the element has no link
inline constexpr int kFootNoteRaised = 0;
inline constexpr int kFootNoteLowered = 1;
inline constexpr int kFootNoteNormal = 2;

inline constexpr int kFontSlots = 5;
inline constexpr int kColorSlots = 3;
inline constexpr int kFootNoteSlots = 1;
inline constexpr int kHotLinkSlots = 18;
inline constexpr int kCommandSlots = 20;

// One document element: a run of text with its format, or one embedded object.
// Every kind carries the same banks of slots; the kind decides what they mean.
class CLink {
  public:
    CLink();
    ~CLink();
    CLink(const CLink&) = delete;
    CLink& operator=(const CLink&) = delete;

    // Elements are made and freed by the hundred (a page read, a list cleared): the memory
    // of elements freed on a thread is kept for the next elements made on it, up to a limit.
    // Each element is still made with new and freed with delete, one by one.
    static void* operator new(std::size_t nSize);
    static void operator delete(void* p, std::size_t nSize) noexcept;

    int m_nKind = kKindText;
    LINKPARAM m_Font[kFontSlots];    // [0] face, [1] size, [2] italic, [3] bold, [4] underline
    LINKPARAM m_Color[kColorSlots];  // red, green, blue
    LINKPARAM m_FootNote[kFootNoteSlots];    // 0 raised, 1 lowered, 2 normal
    LINKPARAM m_HotLink[kHotLinkSlots];      // [0] action code (100 none), [1..16] parameters
    LINKPARAM m_Command[kCommandSlots];      // the element's own parameters, by kind
    tessel::ObjectPtr<CPicture> m_pPicture;  // owned; loaded by the layout
    tessel::ObjectPtr<CFormula> m_pFormula;  // owned; loaded by the layout
    CLink* m_pNext = nullptr;                // not owned: the list owns its elements
};
