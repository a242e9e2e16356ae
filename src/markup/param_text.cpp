#include "markup/param_text.h"

#include "markup/markup_limits.h"
#include "markup/symbols.h"
#include "markup/word_analyzer.h"

namespace tessel::markup {
namespace {

size_t LastCharStart(std::string_view s) {
    size_t i = 0, nLast = 0;
    while (i < s.size()) {
        nLast = i;
        i += CharLength(s, i);
    }
    return nLast;
}

bool IsEscapeChar(std::string_view c) {
    return c == "\\" || c == "\xA3\xDC";
}

// Would the right quotation mark q end this text early? (It does unless an escape stands
// right before it.)
bool HoldsRightQuote(std::string_view s, int q) {
    std::string_view mark = CWordAnalyzer::m_szDelRQuotation[q];
    std::string_view prev;
    for (size_t i = 0; i < s.size();) {
        std::string_view c = s.substr(i, CharLength(s, i));
        if (c == mark && !IsEscapeChar(prev)) return true;
        prev = c;
        i += c.size();
    }
    return false;
}

}  // namespace

WritableParam MakeWritable(std::string_view text) {
    WritableParam w;
    // The reader keeps 129 bytes; cutting first means the rest of the checks see what it sees.
    if (text.size() > static_cast<size_t>(kMaxTextParamBytes)) {
        size_t n = 0;
        while (n < text.size() &&
               n + CharLength(text, n) <= static_cast<size_t>(kMaxTextParamBytes))
            n += CharLength(text, n);
        text = text.substr(0, n);
        w.bCut = true;
    }
    std::string& out = w.strText;
    out.reserve(text.size());
    std::string_view prev;  // the last character kept
    for (size_t i = 0; i < text.size();) {
        int n = CharLength(text, i);
        std::string_view c = text.substr(i, n);
        i += n;
        // A lead byte that ends the text would take the closing quotation mark with it.
        bool bLoneLead = n == 1 && IsLeadByte(static_cast<unsigned char>(c[0]));
        bool bBreak = c == "\r" || c == "\n";
        bool bCloser =
            (c == ")" || c == "\xA3\xA9" || c == ">" || c == "\xA1\xB5") && !IsEscapeChar(prev);
        if (bLoneLead || bBreak || bCloser) {
            w.strDropped.append(c);
            continue;
        }
        out.append(c);
        prev = c;
    }
    // An escape right before the closing quotation mark would hide it.
    while (!out.empty()) {
        size_t nLast = LastCharStart(out);
        std::string_view c = std::string_view(out).substr(nLast);
        if (!IsEscapeChar(c)) break;
        w.strDropped.append(c);
        out.resize(nLast);
    }
    for (int q = 0; CWordAnalyzer::m_szDelRQuotation[q][0]; ++q) {
        if (!HoldsRightQuote(out, q)) {
            w.nQuote = q;
            return w;
        }
    }
    // Every quotation mark occurs: leave out the plain one and write in it.
    std::string kept;
    std::string_view prevKept;
    for (size_t i = 0; i < out.size();) {
        std::string_view c = std::string_view(out).substr(i, CharLength(out, i));
        i += c.size();
        if (c == "'" && !IsEscapeChar(prevKept)) {
            w.strDropped.append(c);
            continue;
        }
        kept.append(c);
        prevKept = c;
    }
    out.swap(kept);
    w.nQuote = 0;
    return w;
}

}  // namespace tessel::markup
