#include "platform/gbk.h"

#include <iconv.h>

#include <cstddef>
#include <cstdint>

namespace tessel::platform {
namespace {

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";  // U+FFFD

// One iconv conversion descriptor, opened on first use by each thread and kept for the
// thread's lifetime: text is converted character by character (so that every invalid byte
// can be handled on its own) and often, so the descriptor is not reopened per call.
class Converter {
  public:
    Converter(const char* szTo, const char* szFrom) : m_cd(iconv_open(szTo, szFrom)) {}
    ~Converter() {
        if (IsOpen()) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts one whole character. Appends its bytes to out and returns true when iconv
    // takes all of the input and produces between one and four bytes; otherwise appends
    // nothing and returns false. Without a descriptor (the system lacks the GBK tables)
    // every character is refused, so the callers degrade to replacement characters.
    bool ConvertOne(const char* pIn, size_t nIn, std::string& out) {
        if (!IsOpen()) return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        char buffer[8];
        char* pSrc = const_cast<char*>(pIn);  // iconv's prototype is not const-correct
        char* pDst = buffer;
        size_t nSrcLeft = nIn;
        size_t nDstLeft = sizeof buffer;
        if (iconv(m_cd, &pSrc, &nSrcLeft, &pDst, &nDstLeft) == static_cast<size_t>(-1)) {
            return false;
        }
        // Flush: a stateless encoding writes nothing here, but a pending shift would.
        if (iconv(m_cd, nullptr, nullptr, &pDst, &nDstLeft) == static_cast<size_t>(-1)) {
            return false;
        }
        const size_t nOut = sizeof buffer - nDstLeft;
        if (nSrcLeft != 0 || nOut == 0 || nOut > 4) return false;
        out.append(buffer, nOut);
        return true;
    }

  private:
    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    iconv_t m_cd;
};

Converter& GbkDecoder() {
    thread_local Converter converter("UTF-8", "GBK");
    return converter;
}

Converter& GbkEncoder() {
    thread_local Converter converter("GBK", "UTF-8");
    return converter;
}

bool IsGbkLead(uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}
bool IsGbkTrail(uint8_t b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// Decodes one UTF-8 sequence at the start of text. Returns its length in bytes, or 0 when
// the bytes there are not well-formed UTF-8 (the caller then replaces one byte).
size_t Utf8SequenceLength(std::string_view text) {
    const auto b0 = static_cast<uint8_t>(text[0]);
    size_t nLength = 0;
    uint32_t nCode = 0;
    uint32_t nMin = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        nLength = 2;
        nCode = b0 & 0x1F;
        nMin = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        nLength = 3;
        nCode = b0 & 0x0F;
        nMin = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        nLength = 4;
        nCode = b0 & 0x07;
        nMin = 0x10000;
    } else {
        return 0;  // ASCII is handled by the caller; 0x80-0xC1 and 0xF5-0xFF never start one
    }
    if (text.size() < nLength) return 0;
    for (size_t i = 1; i < nLength; ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if ((b & 0xC0) != 0x80) return 0;
        nCode = (nCode << 6) | (b & 0x3F);
    }
    if (nCode < nMin || nCode > 0x10FFFF || (nCode >= 0xD800 && nCode <= 0xDFFF)) return 0;
    return nLength;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    Converter& decoder = GbkDecoder();
    size_t i = 0;
    while (i < gbk.size()) {
        const auto b = static_cast<uint8_t>(gbk[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        if (!IsGbkLead(b)) {  // 0x80 or 0xFF on its own
            out += kReplacementUtf8;
            ++i;
            continue;
        }
        if (i + 1 >= gbk.size()) {  // the text ends inside the character
            out += kReplacementUtf8;
            ++i;
            continue;
        }
        const auto trail = static_cast<uint8_t>(gbk[i + 1]);
        if (IsGbkTrail(trail) && decoder.ConvertOne(gbk.data() + i, 2, out)) {
            i += 2;
            continue;
        }
        // A rejected pair. An ASCII second byte is a character of its own (often markup, such
        // as a bracket), so only the first byte is replaced; otherwise both go.
        out += kReplacementUtf8;
        i += trail < 0x80 ? 1 : 2;
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8, bool* pLossy) {
    std::string out;
    out.reserve(utf8.size());
    Converter& encoder = GbkEncoder();
    bool bLossy = false;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<uint8_t>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        const size_t nLength = Utf8SequenceLength(utf8.substr(i));
        if (nLength == 0) {
            out.push_back('?');
            bLossy = true;
            ++i;
            continue;
        }
        // Only a genuine two-byte GBK character is accepted: a single byte of 0x80 or more
        // that some tables give to U+20AC would not read back as that character.
        const size_t nBefore = out.size();
        if (!encoder.ConvertOne(utf8.data() + i, nLength, out) || out.size() - nBefore != 2 ||
            !IsGbkLead(static_cast<uint8_t>(out[nBefore])) ||
            !IsGbkTrail(static_cast<uint8_t>(out[nBefore + 1]))) {
            out.resize(nBefore);
            out.push_back('?');
            bLossy = true;
        }
        i += nLength;
    }
    if (pLossy) *pLossy = bLossy;
    return out;
}

std::string FoldCase(std::string_view gbk) {
    std::string folded(gbk);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c >= 0x81 && c <= 0xFE)
            ++i;
        else if (c >= 'A' && c <= 'Z')
            folded[i] = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

}  // namespace tessel::platform
