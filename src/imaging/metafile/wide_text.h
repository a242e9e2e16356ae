#pragma once

#include <string>
#include <string_view>

namespace tessel::metafile {

// UTF-16 text (an EMF's wide strings) as UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-16 text as GBK, the 8-bit text the drawing layer takes. Characters GBK cannot hold
// become "?".
std::string Utf16ToGbk(std::u16string_view text);

}  // namespace tessel::metafile
