#pragma once

// What the tests that open pages in headless Chromium share: the browser found on PATH, the
// pages' GBK text written by the C library, the pictures they show, and the report a page's
// script leaves in its DOM.

#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace tessel::browser_test {

// Text converted between encodings by the C library (at most three bytes out for one in).
inline std::string Converted(const std::string& text, const char* szTo, const char* szFrom) {
    iconv_t cd = iconv_open(szTo, szFrom);
    std::string out(text.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    char* to = out.data();
    size_t nIn = text.size(), nOut = out.size();
    const size_t nDone = iconv(cd, &in, &nIn, &to, &nOut);
    iconv_close(cd);
    EXPECT_NE(nDone, static_cast<size_t>(-1)) << text;
    out.resize(out.size() - nOut);
    return out;
}

// UTF-8 text as GBK bytes, and back.
inline std::string Gbk(const std::string& utf8) {
    return Converted(utf8, "GBK", "UTF-8");
}
inline std::string Utf8(const std::string& gbk) {
    return Converted(gbk, "UTF-8", "GBK");
}

// An uncompressed 24-bit BMP of the given size, all grey.
inline std::string Bmp(int nWidth, int nHeight) {
    const int nRow = (nWidth * 3 + 3) / 4 * 4;
    std::string bmp(54, '\0');
    const auto put = [&](int nAt, std::uint32_t nValue, int nBytes) {
        for (int i = 0; i < nBytes; ++i)
            bmp[nAt + i] = static_cast<char>(nValue >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put(2, 54 + nRow * nHeight, 4), put(10, 54, 4), put(14, 40, 4);
    put(18, nWidth, 4), put(22, nHeight, 4), put(26, 1, 2), put(28, 24, 2);
    return bmp + std::string(nRow * nHeight, '\x80');
}

// The browser on PATH, empty when there is none.
inline std::string FindChromium() {
    std::istringstream path(getenv("PATH") ? getenv("PATH") : "");
    for (std::string dir; std::getline(path, dir, ':');) {
        for (const char* name : {"chromium", "chromium-browser"}) {
            const std::filesystem::path file = std::filesystem::path(dir) / name;
            if (access(file.c_str(), X_OK) == 0) return file.string();
        }
    }
    return "";
}

// Undoes the report's encodeURIComponent: the bytes of its UTF-8 text.
inline std::string PercentDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

}  // namespace tessel::browser_test
