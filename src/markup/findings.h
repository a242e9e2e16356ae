#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What a page loses when the markup reader reads it and the writer writes the elements back,
// in plain words: the one account that `tessel check` prints and Tessel Studio warns with.
//
// Texts are GBK, as the document's text is everywhere: ASCII words with excerpts of the
// page's bytes in double quotes. An excerpt shows control characters as \n, \r, \t or \xHH,
// and bytes that make no GBK character (a lead byte at the end, a pair whose second byte no
// GBK character has) as \xHH too, so every text is whole GBK and converts to Unicode without
// replacement characters. Callers convert at their boundary.
namespace tessel::markup {

struct MarkupFinding {
    bool bLoss = true;     // false for notes: nothing the reader gives back is lost
    int nOffset = -1;      // byte offset in the page read, -1 for what the writer loses
    int nElement = -1;     // element index (0-based) in the list read, -1 for the reader
    std::string strWhere;  // "byte 12", "element 3 (Image), Command[0]", or empty
    std::string strText;   // what is lost, in words (GBK)
    std::string strCutAt;  // for markup longer than a read takes: where the read cuts it,
                           // a clause of its own ("it is cut after "...", before "..."")
};

// Everything a read of the page's bytes (NULs included) drops, cuts or takes differently, in
// byte order, then everything the writer cannot write back so that it reads back whole, in
// element order, and last markup that, written back, is longer than a read takes. Notes
// (bLoss false) are included; callers that only want losses filter them.
std::vector<MarkupFinding> CheckPage(std::string_view bytes);

// What markup about to be saved would lose when it is opened again: the read findings of
// CheckPage (markup longer than a read takes comes with the place it would be cut).
std::vector<MarkupFinding> CheckReopen(std::string_view markup);

// An excerpt of GBK bytes in double quotes, shown as described above; more than nMaxChars
// characters are cut there and marked with "...".
std::string QuoteExcerpt(std::string_view gbk, size_t nMaxChars = 48);

}  // namespace tessel::markup
