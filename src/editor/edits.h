#pragma once

#include <functional>
#include <string_view>

#include "document/char_format.h"
#include "document/my_list.h"
#include "editor/text_pos.h"

// The changes an editor makes to its document, as plain functions over the element list and
// the positions stored beside it. The editor's handlers call these and then refresh the view;
// tests call them without any window. Every element that leaves the document goes through
// TakeLink, which keeps the cursor and both selection ends pointing at the same places.
namespace tessel::editor {

// A document with the positions that must follow its changes.
struct Document {
    CMyList& list;
    TEXTPOS& cursor;
    TEXTPOS& selStart;
    TEXTPOS& selEnd;
    // Called for a multi-column frame (kind 16) before it is destroyed, so that its column
    // editors go with it. May be empty when the document holds no frames.
    std::function<void(CLink&)> releaseFrame;
    // Appends a frame in its flat form (the frame as its MultiColumn element, then each column's
    // elements between StartColumn and EndColumn) to a list: what a cut or a copy keeps of a
    // frame, whose columns live outside the document. May be empty when the document holds no
    // frames; a frame is then kept as its element alone.
    std::function<void(const CLink&, CMyList&)> copyFrame;
};

// Unlinks element nLink and hands it to the caller; null when there is none. Every stored
// position after it moves back by one element, and a position on it moves to the start of
// what followed it.
CLink* TakeLink(Document& doc, int nLink);
// TakeLink, then destroys the element (releasing a frame's column editors first).
void RemoveLink(Document& doc, int nLink);

// Inserts element pLink at index nLink (appends it when nLink is the element count); the list
// takes ownership. Stored positions are not moved: the caller places the cursor.
void InsertLinkAt(CMyList& list, int nLink, CLink* pLink);

// Inserts text at the cursor in the format fmt: into the Text element at the cursor when it is
// in that format, splitting a Text element of another format when the cursor is inside it,
// joining the Text element before the cursor when that one is in the format, or as a new
// element. The cursor ends after the text. Nothing happens for an empty text.
void InsertText(Document& doc, std::string_view text, const CharFormat& fmt);

// Inserts a ready element at the cursor; the list takes ownership. A Text element joins the
// Text element before the cursor when their formats are the same and the cursor is at an
// element's start; inside a Text element the element is split around it. A cursor past the
// end frees the element and changes nothing. Returns whether the element went in.
bool InsertElement(Document& doc, CLink* pLink);

// Removes the range from s to t (s <= t) and appends what it removed to pCut (copies of the
// parts of Text elements, the whole elements themselves, frames in their flat form); pCut may
// be null, and what was removed is then destroyed. The cursor ends where the range began. A
// document left empty gets one empty Text element in fmt. Returns whether anything was removed.
bool RemoveRange(Document& doc, TEXTPOS s, TEXTPOS t, CMyList* pCut, const CharFormat& fmt);

// Appends copies of what the range from s to t covers to out, in order, without changing the
// document: the covered bytes of Text elements, whole objects, frames in their flat form.
// Either end may come first. Returns whether anything was copied.
bool CopyRange(Document& doc, TEXTPOS s, TEXTPOS t, CMyList& out);

// Deletes the character or object before the cursor (Backspace). Empty Text elements right
// before the cursor are removed instead of a character. A document left empty gets one empty
// Text element in fmt, with the cursor at its start.
void DeleteBefore(Document& doc, const CharFormat& fmt);

}  // namespace tessel::editor
