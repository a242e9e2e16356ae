#pragma once

// The text a plain-text file gives the page: the plain function behind the editor's text
// import, apart from the file and the window so that it can be tested and fuzzed alone.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel::editor {

// The most bytes of page text one import brings in.
inline constexpr std::size_t kImportLimit = 3071;
// How much of a file the import reads: a UTF-8 file needs up to four bytes for each byte of
// page text it gives (a character outside GBK becomes one "?"), plus a character cut at the
// end.
inline constexpr std::size_t kImportReadLimit = 4 * kImportLimit + 3;

enum class TextEncoding { kGbk, kUtf8 };

// How a file's first bytes are encoded: UTF-8 when they start with its byte-order mark, or
// when they hold a byte of 0x80 or more and are well-formed UTF-8 throughout (a sequence cut
// short at the very end is allowed when the file was read only in part, bCut). Anything else
// is taken as GBK, the page's own encoding. Real GBK text is practically never well-formed
// UTF-8: its two-byte characters rarely have the shapes UTF-8 demands.
TextEncoding DetectEncoding(std::string_view bytes, bool bCut);

// The page text that the first bytes of a file give (bCut: the file goes on after them):
// the text ends at the first zero byte; UTF-8 is converted to GBK; at most kImportLimit bytes
// are kept, never half of a double-byte character; every line break (a carriage return or a
// line feed, together with one carriage return or line feed right after it) becomes one
// "\n". Characters are taken as the page takes them: a lead byte with whatever byte follows.
std::string ImportedText(std::string_view bytes, bool bCut);

}  // namespace tessel::editor
