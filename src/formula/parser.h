#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "formula/node.h"

// Reads the text of a formula file into a tree. docs/formula.md describes the language.
namespace tessel::formula {

// Larger files are refused.
inline constexpr std::size_t kMaxFormulaBytes = 64 * 1024;
// Groups, arguments, scripts and environments nest at most this deep.
inline constexpr int kMaxNesting = 64;

struct ParseResult {
    NodePtr pRoot;  // null when the text was refused
    // Where and why the text was refused: line and column (both from 1, columns counted in
    // characters) and a message in English.
    int nLine = 0;
    int nColumn = 0;
    std::string strError;

    bool Ok() const { return pRoot != nullptr; }
};

// Reads a whole formula. The text is UTF-8 (a byte-order mark is skipped); text that is not
// well-formed UTF-8 is read as GBK. An empty text, or one of only spaces and comments, gives
// an empty row. Never throws.
ParseResult ParseFormula(std::string_view text);

}  // namespace tessel::formula
