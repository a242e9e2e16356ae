// The text import on any bytes: the page text it gives is within the limit, holds no zero
// byte and no carriage return standing as a character, and ends on a whole character. The first
// byte says whether the bytes stand for the start of a longer file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/gbk_char.h"
#include "editor/text_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize == 0) return 0;
    const bool bCut = (pData[0] & 1) != 0;
    const std::string_view bytes(reinterpret_cast<const char*>(pData + 1), nSize - 1);
    const std::string text = tessel::editor::ImportedText(bytes, bCut);
    if (text.size() > tessel::editor::kImportLimit) std::abort();
    if (text.find('\0') != std::string::npos) std::abort();
    // Character by character (the second byte of a double-byte character may be any byte, a
    // carriage return included): no carriage return of its own, no lone lead byte.
    std::size_t i = 0;
    while (i < text.size()) {
        const int n = tessel::CharLength(text, i);
        if (n == 1 && (text[i] == '\r' || tessel::IsLeadByte(static_cast<unsigned char>(text[i]))))
            std::abort();
        i += static_cast<std::size_t>(n);
    }
    return 0;
}
