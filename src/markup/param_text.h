#pragma once

#include <string>
#include <string_view>

namespace tessel::markup {

// A text parameter made fit to be written between quotation marks so that the reader gives
// back exactly strText: the reader takes a quoted parameter as it stands, so a character
// that would end the parameter, the parameter list or the tag early cannot be written.
struct WritableParam {
    std::string strText;     // what is written (and what reads back)
    int nQuote = 0;          // index of the quotation pair to write it in
    std::string strDropped;  // the characters left out, for the diagnostic
    bool bCut = false;       // cut to the length the reader keeps
};

WritableParam MakeWritable(std::string_view text);

}  // namespace tessel::markup
