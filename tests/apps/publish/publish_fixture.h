#pragma once

// What the publishing tests share: a folder of their own, files written into it, GBK text,
// and the image addresses of a written page.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "browser_support.h"

namespace tessel::publish::test {

namespace fs = std::filesystem;

using browser_test::Gbk;

using browser_test::Utf8;

using browser_test::Bmp;

inline std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// The attribute value as a browser reads it back (the entities the export writes).
inline std::string DecodeEntities(std::string s) {
    for (auto [from, to] : {std::pair<std::string, std::string>{"&quot;", "\""},
                            {"&#13;", "\r"},
                            {"&#10;", "\n"},
                            {"&amp;", "&"}}) {
        for (size_t n = s.find(from); n != std::string::npos; n = s.find(from, n + to.size()))
            s.replace(n, from.size(), to);
    }
    return s;
}

// The SRC of every image tag of the HTML, case of the attribute name ignored, decoded.
inline std::vector<std::string> ImageSources(const std::string& html) {
    std::vector<std::string> out;
    std::string lower = html;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (size_t n = lower.find("<img"); n != std::string::npos; n = lower.find("<img", n + 1)) {
        const size_t nSrc = lower.find("src=\"", n), nTagEnd = lower.find('>', n);
        if (nSrc == std::string::npos || nSrc > nTagEnd) continue;
        const size_t nEnd = lower.find('"', nSrc + 5);
        out.push_back(DecodeEntities(html.substr(nSrc + 5, nEnd - nSrc - 5)));
    }
    return out;
}

// The file a browser opens for an address relative to the page in folder dir: "\" is a
// folder separator in a URL's path, and the path is the address's UTF-8 form.
inline fs::path FileOfSource(const fs::path& dir, const std::string& srcGbk) {
    std::string s = Utf8(srcGbk);
    for (char& c : s)
        if (c == '\\') c = '/';
    return dir / s;
}

class TempDir : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tessel-publish-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }
    fs::path m_dir;
};

}  // namespace tessel::publish::test
