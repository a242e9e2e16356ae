#pragma once

#include <string>
#include <string_view>

class CLink;

namespace tessel::cli {

// Appends a UTF-8 text as a JSON string, quotes included: '"' and '\' are escaped, and the
// control characters below U+0020 are written as \n, \r, \t, \b, \f or \u00XX.
void AppendJsonString(std::string& out, std::string_view utf8);

// Appends one element as a single-line JSON object without spaces outside strings:
// {"kind":K,"font":[5 slots],"color":[3],"footnote":[1],"hotlink":[18],"command":[20]},
// each slot {"type":T,"value":V,"text":"..."} with the text converted from GBK to UTF-8.
void AppendElementJson(std::string& out, const CLink& link);

}  // namespace tessel::cli
