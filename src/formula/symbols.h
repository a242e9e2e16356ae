#pragma once

#include <string_view>

#include "formula/node.h"

// The formula language's tables: symbols, function names, big operators, spaces and
// delimiters, looked up by command name (without the backslash) or by the character itself.
namespace tessel::formula {

// A symbol: a Greek letter, an operator, a relation, an arrow or another sign. It is drawn
// as text (its UTF-8 character, converted to GBK) unless it has a shape or a delimiter.
struct SymbolDef {
    std::string_view name;
    AtomClass cls;
    std::string_view utf8;
    Shape shape = Shape::kNone;
    Delim delim = Delim::kNone;
    bool bItalic = false;
};

// Function names set upright (\sin, \log); some take limits below in display style (\lim).
struct FunctionDef {
    std::string_view name;
    bool bLimits;
};

// Big operators drawn with lines and curves; limits above and below in display style unless
// bSide (integrals).
struct BigOpDef {
    std::string_view name;
    Shape shape;
    bool bSide;
};

const SymbolDef* FindSymbol(std::string_view name);
// A symbol typed as its own character (α, ≤, ∂) rather than as a command.
const SymbolDef* FindSymbolByChar(std::string_view utf8);
const FunctionDef* FindFunction(std::string_view name);
const BigOpDef* FindBigOp(std::string_view name);
// Spacing commands in ems (\, \quad); false when the name is none of them.
bool FindSpace(std::string_view name, double* pEm);
// The delimiter that follows \left or \right, spelt as in the file ("(", "\{", "\langle",
// "." for none); false when it is not a delimiter.
bool FindDelimiter(std::string_view spelling, Delim* pDelim);

// True for the characters set in the CJK face: CJK punctuation, kana, bopomofo, hangul,
// ideographs and full-width forms.
bool IsCjkCodePoint(char32_t c);

}  // namespace tessel::formula
