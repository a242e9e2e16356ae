#include "formula/symbols.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace tessel::formula {
namespace {

using A = AtomClass;
using S = Shape;

// Symbols are drawn from the serif font when it has them (its GBK code is taken from the
// UTF-8 character). Those it lacks are drawn as shapes: GBK has no code for some, and the
// others would come from a Chinese font, full width and out of style. The UTF-8 character
// also lets a symbol be typed directly.
constexpr SymbolDef kSymbols[] = {
    // Greek: lower case italic, upper case upright.
    {"alpha", A::kOrd, "α", S::kNone, Delim::kNone, true},
    {"beta", A::kOrd, "β", S::kNone, Delim::kNone, true},
    {"gamma", A::kOrd, "γ", S::kNone, Delim::kNone, true},
    {"delta", A::kOrd, "δ", S::kNone, Delim::kNone, true},
    {"epsilon", A::kOrd, "ε", S::kNone, Delim::kNone, true},
    {"varepsilon", A::kOrd, "ε", S::kNone, Delim::kNone, true},
    {"zeta", A::kOrd, "ζ", S::kNone, Delim::kNone, true},
    {"eta", A::kOrd, "η", S::kNone, Delim::kNone, true},
    {"theta", A::kOrd, "θ", S::kNone, Delim::kNone, true},
    {"vartheta", A::kOrd, "θ", S::kNone, Delim::kNone, true},
    {"iota", A::kOrd, "ι", S::kNone, Delim::kNone, true},
    {"kappa", A::kOrd, "κ", S::kNone, Delim::kNone, true},
    {"lambda", A::kOrd, "λ", S::kNone, Delim::kNone, true},
    {"mu", A::kOrd, "μ", S::kNone, Delim::kNone, true},
    {"nu", A::kOrd, "ν", S::kNone, Delim::kNone, true},
    {"xi", A::kOrd, "ξ", S::kNone, Delim::kNone, true},
    {"omicron", A::kOrd, "ο", S::kNone, Delim::kNone, true},
    {"pi", A::kOrd, "π", S::kNone, Delim::kNone, true},
    {"varpi", A::kOrd, "π", S::kNone, Delim::kNone, true},
    {"rho", A::kOrd, "ρ", S::kNone, Delim::kNone, true},
    {"varrho", A::kOrd, "ρ", S::kNone, Delim::kNone, true},
    {"sigma", A::kOrd, "σ", S::kNone, Delim::kNone, true},
    {"tau", A::kOrd, "τ", S::kNone, Delim::kNone, true},
    {"upsilon", A::kOrd, "υ", S::kNone, Delim::kNone, true},
    {"phi", A::kOrd, "φ", S::kNone, Delim::kNone, true},
    {"varphi", A::kOrd, "φ", S::kNone, Delim::kNone, true},
    {"chi", A::kOrd, "χ", S::kNone, Delim::kNone, true},
    {"psi", A::kOrd, "ψ", S::kNone, Delim::kNone, true},
    {"omega", A::kOrd, "ω", S::kNone, Delim::kNone, true},
    {"Alpha", A::kOrd, "Α"},
    {"Beta", A::kOrd, "Β"},
    {"Gamma", A::kOrd, "Γ"},
    {"Delta", A::kOrd, "Δ"},
    {"Epsilon", A::kOrd, "Ε"},
    {"Zeta", A::kOrd, "Ζ"},
    {"Eta", A::kOrd, "Η"},
    {"Theta", A::kOrd, "Θ"},
    {"Iota", A::kOrd, "Ι"},
    {"Kappa", A::kOrd, "Κ"},
    {"Lambda", A::kOrd, "Λ"},
    {"Mu", A::kOrd, "Μ"},
    {"Nu", A::kOrd, "Ν"},
    {"Xi", A::kOrd, "Ξ"},
    {"Omicron", A::kOrd, "Ο"},
    {"Pi", A::kOrd, "Π"},
    {"Rho", A::kOrd, "Ρ"},
    {"Sigma", A::kOrd, "Σ"},
    {"Tau", A::kOrd, "Τ"},
    {"Upsilon", A::kOrd, "Υ"},
    {"Phi", A::kOrd, "Φ"},
    {"Chi", A::kOrd, "Χ"},
    {"Psi", A::kOrd, "Ψ"},
    {"Omega", A::kOrd, "Ω"},
    // Binary operators.
    {"pm", A::kBin, "±"},
    {"mp", A::kBin, "∓", S::kMinusPlus},
    {"times", A::kBin, "×"},
    {"div", A::kBin, "÷"},
    {"cdot", A::kBin, "⋅", S::kCdot},
    {"ast", A::kBin, "*"},
    {"circ", A::kBin, "∘", S::kCirc},
    {"bullet", A::kBin, "∙", S::kBullet},
    {"cup", A::kBin, "∪", S::kCup},
    {"cap", A::kBin, "∩", S::kCap},
    {"wedge", A::kBin, "∧", S::kWedge},
    {"land", A::kBin, "∧", S::kWedge},
    {"vee", A::kBin, "∨", S::kVee},
    {"lor", A::kBin, "∨", S::kVee},
    {"setminus", A::kBin, "\\"},
    {"oplus", A::kBin, "⊕", S::kOPlus},
    {"otimes", A::kBin, "⊗", S::kOTimes},
    {"odot", A::kBin, "⊙", S::kODot},
    {"bmod", A::kBin, "mod"},
    // Relations.
    {"le", A::kRel, "≤"},
    {"leq", A::kRel, "≤"},
    {"ge", A::kRel, "≥"},
    {"geq", A::kRel, "≥"},
    {"leqslant", A::kRel, "≦", S::kLeqSlant},
    {"geqslant", A::kRel, "≧", S::kGeqSlant},
    {"ne", A::kRel, "≠"},
    {"neq", A::kRel, "≠"},
    {"nless", A::kRel, "≮", S::kNLess},
    {"ngtr", A::kRel, "≯", S::kNGtr},
    {"approx", A::kRel, "≈"},
    {"equiv", A::kRel, "≡"},
    {"sim", A::kRel, "∼", S::kSim},
    {"simeq", A::kRel, "≃", S::kSimEq},
    {"cong", A::kRel, "≅", S::kCong},
    {"backsim", A::kRel, "∽", S::kBackSim},
    {"backcong", A::kRel, "≌", S::kBackCong},
    {"propto", A::kRel, "∝", S::kPropto},
    {"in", A::kRel, "∈", S::kIn},
    {"notin", A::kRel, "∉", S::kNotIn},
    {"ni", A::kRel, "∋", S::kNi},
    {"owns", A::kRel, "∋", S::kNi},
    {"subset", A::kRel, "⊂", S::kSubset},
    {"supset", A::kRel, "⊃", S::kSupset},
    {"subseteq", A::kRel, "⊆", S::kSubsetEq},
    {"supseteq", A::kRel, "⊇", S::kSupsetEq},
    {"ll", A::kRel, "≪", S::kLessLess},
    {"gg", A::kRel, "≫", S::kGreaterGreater},
    {"perp", A::kRel, "⊥", S::kPerp},
    {"parallel", A::kRel, "∥", S::kParallel},
    {"mid", A::kRel, "∣", S::kMid},
    {"to", A::kRel, "→"},
    {"rightarrow", A::kRel, "→"},
    {"leftarrow", A::kRel, "←"},
    {"gets", A::kRel, "←"},
    {"uparrow", A::kRel, "↑"},
    {"downarrow", A::kRel, "↓"},
    {"leftrightarrow", A::kRel, "↔", S::kLeftRightArrow},
    {"Rightarrow", A::kRel, "⇒", S::kRightDoubleArrow},
    {"Leftarrow", A::kRel, "⇐", S::kLeftDoubleArrow},
    {"Leftrightarrow", A::kRel, "⇔", S::kLeftRightDoubleArrow},
    {"iff", A::kRel, "⇔", S::kLeftRightDoubleArrow},
    {"implies", A::kRel, "⇒", S::kRightDoubleArrow},
    {"longrightarrow", A::kRel, "⟶", S::kLongRightArrow},
    {"longleftarrow", A::kRel, "⟵", S::kLongLeftArrow},
    {"mapsto", A::kRel, "↦", S::kMapsTo},
    {"therefore", A::kRel, "∴", S::kTherefore},
    {"because", A::kRel, "∵", S::kBecause},
    // Ordinary signs.
    {"infty", A::kOrd, "∞"},
    {"partial", A::kOrd, "∂", S::kPartial},
    {"nabla", A::kOrd, "∇", S::kNabla},
    {"forall", A::kOrd, "∀", S::kForAll},
    {"exists", A::kOrd, "∃", S::kExists},
    {"emptyset", A::kOrd, "∅", S::kEmptySet},
    {"varnothing", A::kOrd, "∅", S::kEmptySet},
    {"neg", A::kOrd, "¬", S::kNeg},
    {"lnot", A::kOrd, "¬", S::kNeg},
    {"angle", A::kOrd, "∠", S::kAngle},
    {"triangle", A::kOrd, "△"},
    {"square", A::kOrd, "□"},
    {"blacksquare", A::kOrd, "■"},
    {"bigcirc", A::kOrd, "○"},
    {"star", A::kOrd, "☆"},
    {"S", A::kOrd, "§"},
    {"degree", A::kOrd, "°"},
    {"celsius", A::kOrd, "℃"},
    {"permil", A::kOrd, "‰"},
    {"prime", A::kOrd, "′"},
    {"bot", A::kOrd, "⊥", S::kPerp},
    {"ell", A::kOrd, "l", S::kNone, Delim::kNone, true},
    {"ldots", A::kInner, "…"},
    {"dots", A::kInner, "…"},
    {"cdots", A::kInner, "⋯", S::kCdots},
    {"vdots", A::kOrd, "⋮", S::kVdots},
    {"ddots", A::kInner, "⋱", S::kDdots},
    {"arc", A::kOrd, "⌒"},
    // Delimiters used on their own.
    {"langle", A::kOpen, "⟨", S::kNone, Delim::kAngleL},
    {"rangle", A::kClose, "⟩", S::kNone, Delim::kAngleR},
    {"lfloor", A::kOpen, "⌊", S::kNone, Delim::kFloorL},
    {"rfloor", A::kClose, "⌋", S::kNone, Delim::kFloorR},
    {"lceil", A::kOpen, "⌈", S::kNone, Delim::kCeilL},
    {"rceil", A::kClose, "⌉", S::kNone, Delim::kCeilR},
    {"lbrack", A::kOpen, "["},
    {"rbrack", A::kClose, "]"},
    {"lbrace", A::kOpen, "{"},
    {"rbrace", A::kClose, "}"},
    {"vert", A::kOrd, "|"},
    {"lvert", A::kOpen, "|"},
    {"rvert", A::kClose, "|"},
    {"Vert", A::kOrd, "‖", S::kDoubleBar},
    {"lVert", A::kOpen, "‖", S::kDoubleBar},
    {"rVert", A::kClose, "‖", S::kDoubleBar},
    {"backslash", A::kOrd, "\\"},
    // Escaped characters.
    {"{", A::kOpen, "{"},
    {"}", A::kClose, "}"},
    {"|", A::kOrd, "‖", S::kDoubleBar},
    {"%", A::kOrd, "%"},
    {"$", A::kOrd, "$"},
    {"&", A::kOrd, "&"},
    {"#", A::kOrd, "#"},
    {"_", A::kOrd, "_"},
};

constexpr FunctionDef kFunctions[] = {
    {"sin", false},  {"cos", false},    {"tan", false},    {"cot", false},    {"sec", false},
    {"csc", false},  {"arcsin", false}, {"arccos", false}, {"arctan", false}, {"sinh", false},
    {"cosh", false}, {"tanh", false},   {"coth", false},   {"log", false},    {"ln", false},
    {"lg", false},   {"exp", false},    {"det", false},    {"gcd", false},    {"deg", false},
    {"arg", false},  {"dim", false},    {"ker", false},    {"hom", false},    {"Pr", false},
    {"lim", true},   {"limsup", true},  {"liminf", true},  {"max", true},     {"min", true},
    {"sup", true},   {"inf", true},
};

constexpr BigOpDef kBigOps[] = {
    {"sum", S::kSum, false},       {"prod", S::kProd, false},     {"coprod", S::kCoprod, false},
    {"bigcup", S::kBigCup, false}, {"bigcap", S::kBigCap, false}, {"int", S::kInt, true},
    {"iint", S::kIInt, true},      {"iiint", S::kIIInt, true},    {"oint", S::kOInt, true},
};

struct SpaceDef {
    std::string_view name;
    double dEm;
};
constexpr SpaceDef kSpaces[] = {
    {",", 3.0 / 18}, {"thinspace", 3.0 / 18}, {":", 4.0 / 18}, {">", 4.0 / 18},
    {";", 5.0 / 18}, {"!", -3.0 / 18},        {" ", 0.25},     {"enspace", 0.5},
    {"quad", 1.0},   {"qquad", 2.0},
};

struct DelimDef {
    std::string_view spelling;
    Delim delim;
};
constexpr DelimDef kDelims[] = {
    {".", Delim::kNone},
    {"(", Delim::kParenL},
    {")", Delim::kParenR},
    {"[", Delim::kBracketL},
    {"]", Delim::kBracketR},
    {"\\lbrack", Delim::kBracketL},
    {"\\rbrack", Delim::kBracketR},
    {"\\{", Delim::kBraceL},
    {"\\}", Delim::kBraceR},
    {"\\lbrace", Delim::kBraceL},
    {"\\rbrace", Delim::kBraceR},
    {"|", Delim::kVert},
    {"\\vert", Delim::kVert},
    {"\\lvert", Delim::kVert},
    {"\\rvert", Delim::kVert},
    {"\\|", Delim::kDoubleVert},
    {"\\Vert", Delim::kDoubleVert},
    {"\\lVert", Delim::kDoubleVert},
    {"\\rVert", Delim::kDoubleVert},
    {"<", Delim::kAngleL},
    {">", Delim::kAngleR},
    {"\\langle", Delim::kAngleL},
    {"\\rangle", Delim::kAngleR},
    {"\\lfloor", Delim::kFloorL},
    {"\\rfloor", Delim::kFloorR},
    {"\\lceil", Delim::kCeilL},
    {"\\rceil", Delim::kCeilR},
};

template <typename T, std::size_t N>
const T* FindByName(const T (&table)[N], std::string_view name) {
    auto it = std::find_if(std::begin(table), std::end(table),
                           [name](const T& def) { return def.name == name; });
    return it == std::end(table) ? nullptr : &*it;
}

}  // namespace

const SymbolDef* FindSymbol(std::string_view name) {
    return FindByName(kSymbols, name);
}

const SymbolDef* FindSymbolByChar(std::string_view utf8) {
    if (utf8.empty() || static_cast<unsigned char>(utf8[0]) < 0x80) return nullptr;
    auto it = std::find_if(std::begin(kSymbols), std::end(kSymbols),
                           [utf8](const SymbolDef& def) { return def.utf8 == utf8; });
    return it == std::end(kSymbols) ? nullptr : &*it;
}

const FunctionDef* FindFunction(std::string_view name) {
    return FindByName(kFunctions, name);
}

const BigOpDef* FindBigOp(std::string_view name) {
    return FindByName(kBigOps, name);
}

bool FindSpace(std::string_view name, double* pEm) {
    const SpaceDef* pDef = FindByName(kSpaces, name);
    if (pDef) *pEm = pDef->dEm;
    return pDef != nullptr;
}

bool FindDelimiter(std::string_view spelling, Delim* pDelim) {
    auto it = std::find_if(std::begin(kDelims), std::end(kDelims),
                           [spelling](const DelimDef& def) { return def.spelling == spelling; });
    if (it == std::end(kDelims)) return false;
    *pDelim = it->delim;
    return true;
}

bool IsCjkCodePoint(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

}  // namespace tessel::formula
