#pragma once

// The private clipboard data "super text edit" as this system writes them: a first line that
// names the element list they stand for (the process that put it there and the list's serial
// number), then the elements themselves as markup, so that an editor of another process can
// paste them with every element and format.
//
//   tessel-clip 1 PROCESS SERIAL\n   (PROCESS in hexadecimal, SERIAL in decimal)
//   markup\0markup\0 ...
//
// The markup is cut into pieces the markup reader reads whole (each well under its limit on
// the length of a conversion): at element boundaries, outside multi-column frames, with a long
// text split into several elements of the same format, which join again when pasted.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/my_list.h"

namespace tessel::editor {

struct ClipData {
    std::uint64_t nProcess = 0;
    unsigned long nSerial = 0;

    // The data for a list (in its flat form). The markup writer walks the list with the
    // list's own cursor, which is left at its end.
    std::string Write(CMyList& list) const;
    // The first line of data; nothing when they do not start with one.
    static std::optional<ClipData> Read(std::string_view bytes);
    // The elements the data carry (empty for data without a valid first line).
    static std::unique_ptr<CMyList> ReadElements(std::string_view bytes);
};

// The number of elements a list in its flat form stands for in a document: a frame with its
// columns counts as one.
int ElementCount(const CMyList& flat);

// The text of a list for other programs: the Text elements' bytes in order, objects left out,
// each column of a frame ended by a line break.
std::string PlainTextOf(const CMyList& list);

}  // namespace tessel::editor

namespace tessel::editor {

// What the clipboard's private data stand for, for tools and tests: the number of elements
// (of this process's clip list when the data name it, else of the markup they carry; a frame
// with its columns is one); nothing
// when the clipboard holds no private data or cannot be opened.
std::optional<int> PrivateClipElementCount();

// Puts elements on the clipboard as another process of this system would: the private data
// (naming a list no editor of this process has) with the plain text and HTML beside them.
// The markup is GBK. False when the clipboard cannot be opened.
bool PutForeignClip(const std::string& strMarkup);

}  // namespace tessel::editor
