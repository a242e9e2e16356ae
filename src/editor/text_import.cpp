#include "editor/text_import.h"

#include "document/gbk_char.h"
#include "platform/gbk.h"

namespace tessel::editor {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The length of the well-formed UTF-8 sequence at nPos, 0 when there is none; nMissing
// receives the bytes a sequence cut by the end of the text still lacks.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t nPos, std::size_t& nMissing) {
    nMissing = 0;
    const auto c = static_cast<unsigned char>(text[nPos]);
    std::size_t nLength = 0;
    unsigned char lowest = 0x80, highest = 0xBF;  // the range of the second byte
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        nLength = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        nLength = 3;
        if (c == 0xE0) lowest = 0xA0;   // no overlong forms
        if (c == 0xED) highest = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        nLength = 4;
        if (c == 0xF0) lowest = 0x90;
        if (c == 0xF4) highest = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    for (std::size_t i = 1; i < nLength; ++i) {
        if (nPos + i >= text.size()) {
            nMissing = nLength - i;
            return i;
        }
        const auto b = static_cast<unsigned char>(text[nPos + i]);
        const unsigned char lo = i == 1 ? lowest : 0x80;
        const unsigned char hi = i == 1 ? highest : 0xBF;
        if (b < lo || b > hi) return 0;
    }
    return nLength;
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes, bool bCut) {
    if (bytes.starts_with(kUtf8Mark)) return TextEncoding::kUtf8;
    bool bWide = false;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t nMissing = 0;
        const std::size_t n = Utf8SequenceAt(bytes, i, nMissing);
        if (n == 0 || (nMissing > 0 && !bCut)) return TextEncoding::kGbk;
        if (n > 1) bWide = true;
        i += n;
    }
    return bWide ? TextEncoding::kUtf8 : TextEncoding::kGbk;
}

std::string ImportedText(std::string_view bytes, bool bCut) {
    // The text ends at the first zero byte, in either encoding.
    if (const std::size_t nZero = bytes.find('\0'); nZero != std::string_view::npos) {
        bytes = bytes.substr(0, nZero);
        bCut = false;
    }
    std::string gbk;
    if (DetectEncoding(bytes, bCut) == TextEncoding::kUtf8) {
        if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
        // A character that the end of the read part cut short is not a "?" of the page.
        if (bCut) {
            std::size_t nStart = bytes.size();
            while (nStart > 0 && bytes.size() - nStart < 4 &&
                   (static_cast<unsigned char>(bytes[nStart - 1]) & 0xC0) == 0x80)
                --nStart;
            if (nStart > 0) {
                std::size_t nMissing = 0;
                Utf8SequenceAt(bytes, nStart - 1, nMissing);
                if (nMissing > 0) bytes = bytes.substr(0, nStart - 1);
            }
        }
        gbk = platform::Utf8ToGbk(bytes);
    } else {
        gbk.assign(bytes.substr(0, kImportLimit));
    }
    // Whole characters only: a lead byte whose second byte the limit (or the zero byte) cut
    // off is dropped, so that it cannot pair with whatever is typed after the import.
    std::size_t nEnd = 0;
    while (nEnd < gbk.size()) {
        const auto nLength = static_cast<std::size_t>(CharLength(gbk, nEnd));
        const bool bLoneLead = nLength == 1 && IsLeadByte(static_cast<unsigned char>(gbk[nEnd]));
        if (nEnd + nLength > kImportLimit || bLoneLead) break;
        nEnd += nLength;
    }
    std::string text;
    text.reserve(nEnd);
    for (std::size_t i = 0; i < nEnd;) {
        const char c = gbk[i];
        if (c == '\r' || c == '\n') {
            text += '\n';
            ++i;
            if (i < nEnd && (gbk[i] == '\r' || gbk[i] == '\n')) ++i;
            continue;
        }
        const auto nLength = static_cast<std::size_t>(CharLength(gbk, i));
        text.append(gbk, i, nLength);
        i += nLength;
    }
    return text;
}

}  // namespace tessel::editor
