#pragma once

#include <string>

#include "document/link.h"

// Named access to the slots each kind of element uses. Every element carries the same banks
// of slots and its kind decides what they mean; these accessors say it once, so that the
// reader, the writers and the editor never index m_Command by bare numbers. Each comes in a
// const form (a value or a const reference) and a mutable form (a reference to the slot).
namespace tessel::slots {

#define TESSEL_SLOT_NUMBER(Name, nSlot)      \
    inline int Name(const CLink& link) {     \
        return link.m_Command[nSlot].nValue; \
    }                                        \
    inline int& Name(CLink& link) {          \
        return link.m_Command[nSlot].nValue; \
    }
#define TESSEL_SLOT_TEXT(Name, nSlot)                   \
    inline const std::string& Name(const CLink& link) { \
        return link.m_Command[nSlot].strText;           \
    }                                                   \
    inline std::string& Name(CLink& link) {             \
        return link.m_Command[nSlot].strText;           \
    }

// Text (kind 0): the run's characters, line feeds included.
TESSEL_SLOT_TEXT(Text, 0)

// Image (kind 1) and Formula (kind 2): the file's name as the page gives it.
TESSEL_SLOT_TEXT(FileName, 0)

// Image (kind 1).
TESSEL_SLOT_NUMBER(ImageTransparent, 1)  // 0 or 1
TESSEL_SLOT_NUMBER(ImageScale, 2)        // percent

// Formula (kind 2): the scale, and the size the formula module measured.
TESSEL_SLOT_NUMBER(FormulaScale, 1)  // percent
TESSEL_SLOT_NUMBER(FormulaWidth, 2)
TESSEL_SLOT_NUMBER(FormulaHeight, 3)

// Edit, the fill-in frame (kind 3).
TESSEL_SLOT_NUMBER(EditWidth, 0)
TESSEL_SLOT_NUMBER(EditHeight, 1)
TESSEL_SLOT_TEXT(EditAnswer, 2)       // also the field's name in HTML
TESSEL_SLOT_NUMBER(EditTextColor, 3)  // packed red-green-blue, red in the low byte
TESSEL_SLOT_NUMBER(EditBackColor, 4)  // packed likewise
TESSEL_SLOT_NUMBER(EditStyle, 5)      // index in the dialog's style list

// Check (kind 4): 0 or 1 a judgement box (1 correct), 100 or 101 an option box (101 right).
TESSEL_SLOT_NUMBER(CheckState, 0)

// Choice (kind 5).
TESSEL_SLOT_NUMBER(ChoiceAnswer, 0)   // the right option, counted from 1
TESSEL_SLOT_NUMBER(ChoiceOptions, 1)  // option boxes that follow, counted by the layout

// Score fields (kinds 6, 7, 8): the page whose score is shown, and the label's drawn size.
TESSEL_SLOT_TEXT(ScorePage, 0)
TESSEL_SLOT_NUMBER(ScoreWidth, 2)
TESSEL_SLOT_NUMBER(ScoreHeight, 3)

// MultiColumn (kind 13) and the editor's frame (kind 16): n columns, the gap between them
// and the n widths; a frame adds its number in the table of column editors after them.
TESSEL_SLOT_NUMBER(ColumnCount, 0)
TESSEL_SLOT_NUMBER(ColumnGap, 1)
inline int ColumnWidth(const CLink& link, int i) {
    return link.m_Command[2 + i].nValue;
}
inline int& ColumnWidth(CLink& link, int i) {
    return link.m_Command[2 + i].nValue;
}

// The character format every element carries (what text typed next to an object takes, and
// what a Text element is drawn in).
#define TESSEL_BANK_NUMBER(Name, bank, nSlot) \
    inline int Name(const CLink& link) {      \
        return link.bank[nSlot].nValue;       \
    }                                         \
    inline int& Name(CLink& link) {           \
        return link.bank[nSlot].nValue;       \
    }
inline const std::string& FontFace(const CLink& link) {
    return link.m_Font[0].strText;
}
inline std::string& FontFace(CLink& link) {
    return link.m_Font[0].strText;
}
TESSEL_BANK_NUMBER(FontSize, m_Font, 1)  // pixels
TESSEL_BANK_NUMBER(FontItalic, m_Font, 2)
TESSEL_BANK_NUMBER(FontBold, m_Font, 3)
TESSEL_BANK_NUMBER(FontUnderline, m_Font, 4)
TESSEL_BANK_NUMBER(ColourRed, m_Color, 0)
TESSEL_BANK_NUMBER(ColourGreen, m_Color, 1)
TESSEL_BANK_NUMBER(ColourBlue, m_Color, 2)
TESSEL_BANK_NUMBER(FootNote, m_FootNote, 0)      // kFootNoteRaised, kFootNoteLowered, else normal
TESSEL_BANK_NUMBER(HotLinkAction, m_HotLink, 0)  // kNoHotLink when the element has no link

// The whole slot of a text parameter, for code that makes an element as reading its tag
// would and records that the parameter was given as text (nType).
inline LINKPARAM& EditAnswerParam(CLink& link) {
    return link.m_Command[2];
}
inline LINKPARAM& ScorePageParam(CLink& link) {
    return link.m_Command[0];
}
inline LINKPARAM& FontFaceParam(CLink& link) {
    return link.m_Font[0];
}

// Hot links: the action code in m_HotLink[0] and the action's parameters in the slots after
// it, by action.
inline constexpr int kActionLinkPage = 0;        // go to a page
inline constexpr int kActionPopupPage = 1;       // a page in a window of its own
inline constexpr int kActionNotePage = 2;        // a note page
inline constexpr int kActionReplaceSubPage = 3;  // a sub-page of the page replaced
inline constexpr int kActionFunctionalPage = 4;  // a page that runs a function
inline constexpr int kActionPageText = 5;        // read and written, never offered by the dialog
inline constexpr int kActionPlayWave = 10;
inline constexpr int kActionPlayMusic = 11;
inline constexpr int kActionPlayMovie = 12;
inline constexpr int kActionPlayCartoon = 13;
inline constexpr int kActionClosePage = 20;
inline constexpr int kActionScorePage = 21;
inline constexpr int kActionScoreAllPages = 22;
inline constexpr int kActionRunProgram = 23;
inline constexpr int kActionWebAddress = 30;
inline constexpr int kActionReturn = 31;

// Whether the page can keep a hot link on an element of this kind: the markup carries one
// around text and pictures only.
inline bool CarriesHotLink(const CLink& link) {
    return link.m_nKind == kKindText || link.m_nKind == kKindImage;
}

inline bool IsMediaAction(int nCode) {
    return nCode >= kActionPlayWave && nCode <= kActionPlayCartoon;
}
inline bool IsScoreAction(int nCode) {
    return nCode == kActionScorePage || nCode == kActionScoreAllPages;
}
// The slot of the page an action names (0 for an action that names none).
inline int HotLinkPageSlot(int nCode) {
    switch (nCode) {
        case kActionLinkPage:
        case kActionFunctionalPage:
            return 1;
        case kActionPopupPage:
        case kActionScorePage:
        case kActionScoreAllPages:
            return 5;
        case kActionNotePage:
            return 3;
        case kActionReplaceSubPage:
            return 2;
        default:
            return 0;
    }
}
// A pop-up or score action's window rectangle, in screen pixels.
inline constexpr int kHotLinkLeft = 1;
inline constexpr int kHotLinkTop = 2;
inline constexpr int kHotLinkRight = 3;
inline constexpr int kHotLinkBottom = 4;
// A note page's bottom-right corner.
inline constexpr int kNoteRight = 1;
inline constexpr int kNoteBottom = 2;
// The sub-page identifier of a sub-page replacement.
inline constexpr int kHotLinkSubPage = 1;
// A media action: the file (nType 1, its name in strText) or the entry of the host's media
// list (nType 0, its number in nValue), and the play positions (0 and 0 when not set).
inline constexpr int kHotLinkMedia = 1;
inline constexpr int kHotLinkPlayBegin = 2;
inline constexpr int kHotLinkPlayEnd = 3;
// A program to run.
inline constexpr int kHotLinkProgram = 1;
inline constexpr int kHotLinkParameters = 2;
inline constexpr int kHotLinkCatalog = 3;  // the working folder
inline constexpr int kHotLinkSetPath = 4;  // 0 or 1
inline constexpr int kHotLinkRunMode = 5;  // 0 standard, 1 hidden, 2 minimised, 3 maximised
// A web address.
inline constexpr int kHotLinkAddress = 1;

#undef TESSEL_SLOT_NUMBER
#undef TESSEL_SLOT_TEXT
#undef TESSEL_BANK_NUMBER

// Check states.
inline constexpr int kCheckWrong = 0;
inline constexpr int kCheckRight = 1;
inline constexpr int kOptionWrong = 100;
inline constexpr int kOptionRight = 101;

inline bool IsOptionBox(const CLink& link) {
    return link.m_nKind == kKindCheck &&
           (CheckState(link) == kOptionWrong || CheckState(link) == kOptionRight);
}

}  // namespace tessel::slots
