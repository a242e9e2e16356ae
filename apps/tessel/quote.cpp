#include "quote.h"

#include <cstdio>

#include "platform/gbk.h"

namespace tessel::cli {

std::string QuoteGbk(std::string_view gbk, size_t nMaxChars) {
    const std::string utf8 = platform::GbkToUtf8(gbk);
    std::string out = "\"";
    size_t nChars = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) != 0x80 && nChars++ == nMaxChars) {  // a character starts here
            out += "...";
            break;
        }
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\x%02X", c);
                    out += escape;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

}  // namespace tessel::cli
