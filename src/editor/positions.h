#pragma once

#include <string_view>

#include "document/my_list.h"
#include "editor/text_pos.h"

// Positions in a document and the one-step moves between them, as plain functions over an
// element list. None of them changes the list, not even its internal cursor: they walk the
// chain from CMyList::FirstLink.
//
// A position (element, word, byte) stands before a byte: before word nWord of element nLink
// and, inside a run of letters and digits, before its byte nChar. Every element that is not
// Text has the single position (e, 0, 0) before it. The place after the last element is
// (count, 0, 0), or (last, word count, 0) when the last element is Text.
namespace tessel::editor {

// Lets OffsetOf go on from the word where it last stopped in the same text, instead of from
// the text's start, while no text changes (the layout and the drawing visit one long Text
// element row after row).
struct WordHint {
    const char* pData = nullptr;
    std::size_t nSize = 0;
    int nWord = 0;
    int nPos = 0;
};

// Element nLink of the list; null when there is none.
CLink* LinkAt(const CMyList& list, int nLink);
// The number of elements.
int LinkCount(const CMyList& list);
// The number of words of a Text element's text; 0 for any other element (and for null).
int WordCount(const CLink* pLink);
int WordCount(std::string_view text);

// The byte offset in text of (nWord, nChar): the lengths of words 0 .. nWord - 1 plus nChar.
// kEndMark in nWord stands for the end of the text, in nChar for the end of word nWord. Never
// beyond the text's length, never below 0. Every conversion of a position to bytes goes here.
int OffsetOf(std::string_view text, int nWord, int nChar, WordHint* pHint = nullptr);
// The position of byte offset k in the text of element nLink: (nLink, words before k, 0) when
// k starts a word, else inside the letter-and-digit word that holds k. k is kept in the text.
TEXTPOS PositionAt(int nLink, std::string_view text, int k);
// The start of the last word of a Text element's text, with its length (both 0 when empty).
struct LastWord {
    int nIndex = 0;
    int nStart = 0;
    int nLength = 0;
};
LastWord LastWordOf(std::string_view text);
// Whether a position inside a word may stand before byte nChar of the word that starts at
// nStart: only letter-and-digit words have inner positions.
bool IsLetterWordAt(std::string_view text, int nStart);

// The end of the document: (count, 0, 0) when the last element is not Text (or there is none),
// else (count - 1, its word count, 0).
TEXTPOS DocumentEnd(const CMyList& list);

// The place of p counted through the document: the bytes of the Text elements before it, one
// for every other element before it, and p's byte offset in its own element. What changes
// after p leaves it alone, so a place survives a change behind it (the formatting of a range
// cuts it and puts changed copies back: the range's start keeps its count). The end marker
// counts as the document's end.
int DocumentOffsetOf(const CMyList& list, TEXTPOS p);
// The position of a count: inside the element that holds it, or at the start of the first
// element that is not empty text where it falls between two; the document's end past the
// last element.
TEXTPOS PositionAtDocumentOffset(const CMyList& list, int nOffset);

// One step back: before the previous character or object. The start of the document stays;
// the end marker (kEndMark in nLink) steps back from the document's end.
TEXTPOS StepBack(const CMyList& list, TEXTPOS p);
// One step forward: past the character or object at p. The end of the document stays; the
// end marker becomes (count, 0, 0).
TEXTPOS StepForward(const CMyList& list, TEXTPOS p);

// Whether p is a place of the document: an element that exists (or the count, for the end),
// a word of a Text element (or its word count, for the place after its last word), and a byte
// inside a letter-and-digit word only.
bool IsPosition(const CMyList& list, TEXTPOS p);

}  // namespace tessel::editor
