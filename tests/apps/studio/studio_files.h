#pragma once

// What the studio's tests share: files written and read whole, and a page of one text run.

#include <fstream>
#include <iterator>
#include <string>

namespace tessel::studio::test {

inline std::string Slurp(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void Put(const std::string& strPath, const std::string& bytes) {
    std::ofstream(strPath, std::ios::binary) << bytes;
}

// A page of one text run in Arial 12, as the markup writer writes it.
inline std::string TextPage(const std::string& strText) {
    return "<Font('Arial',12,0,0,0)><Color(0,0,0)>" + strText + "</Color></Font>";
}

}  // namespace tessel::studio::test
