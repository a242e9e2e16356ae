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
