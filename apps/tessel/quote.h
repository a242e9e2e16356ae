#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel::cli {

// Quotes a GBK text for a message meant for people: converted to UTF-8 (invalid bytes as
// U+FFFD) and put in double quotes. Control characters are shown as \n, \r, \t or \xHH so
// that a finding stays on one line; everything else, backslashes included, is shown as it
// is, since file names in markup are Windows paths. A text of more than nMaxChars characters
// is cut there and marked with "...".
std::string QuoteGbk(std::string_view gbk, size_t nMaxChars = 48);

}  // namespace tessel::cli
