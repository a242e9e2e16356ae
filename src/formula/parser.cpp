#include "formula/parser.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formula/symbols.h"
#include "platform/gbk.h"

namespace tessel::formula {
namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t Utf8Length(std::string_view text, std::size_t i, char32_t* pCode) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        *pCode = b0;
        return 1;
    }
    std::size_t n = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    *pCode = c;
    return n;
}

bool IsWellFormedUtf8(std::string_view text) {
    char32_t c = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8Length(text, i, &c);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

enum class Tok {
    kEnd,      // end of the text
    kChar,     // one character (text: its UTF-8 bytes)
    kCommand,  // a backslash and a name of letters, or one other character (text: the name)
    kOpen,     // {
    kClose,    // }
    kSup,      // ^
    kSub,      // _
    kAmp,      // &
    kPrime,    // '
};

struct Token {
    Tok kind = Tok::kEnd;
    std::string_view text;
    std::size_t pos = 0;
};

// Raised to abandon the whole reading; caught in ParseFormula.
struct Refusal {
    std::size_t pos;
    std::string strMessage;
};

class Parser {
  public:
    explicit Parser(std::string_view text) : m_text(text) {}

    NodePtr ParseAll() {
        NodePtr pBody = ParseBody(Stop::kEndOfText);
        if (pBody->kind == NodeKind::kArray) {
            pBody->bTextStyle = false;
            pBody->dRowGapEm = 0.35;
        }
        return pBody;
    }

  private:
    enum class Stop { kEndOfText, kGroup, kRight, kEnvironment, kOptional };

    [[noreturn]] void Fail(std::size_t pos, std::string strMessage) {
        throw Refusal{pos, std::move(strMessage)};
    }

    // --- Characters and tokens ---------------------------------------------------------

    void SkipSpaceAndComments() {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (IsSpace(c) || c == '$') {
                ++m_pos;
            } else if (c == '%') {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n')
                    ++m_pos;
            } else {
                break;
            }
        }
    }

    Token Peek() {
        SkipSpaceAndComments();
        Token tok;
        tok.pos = m_pos;
        if (m_pos >= m_text.size()) return tok;
        const char c = m_text[m_pos];
        switch (c) {
            case '{':
                tok.kind = Tok::kOpen;
                break;
            case '}':
                tok.kind = Tok::kClose;
                break;
            case '^':
                tok.kind = Tok::kSup;
                break;
            case '_':
                tok.kind = Tok::kSub;
                break;
            case '&':
                tok.kind = Tok::kAmp;
                break;
            case '\'':
                tok.kind = Tok::kPrime;
                break;
            case '\\': {
                std::size_t end = m_pos + 1;
                if (end >= m_text.size()) Fail(m_pos, "a backslash ends the text");
                if (IsAsciiLetter(m_text[end])) {
                    while (end < m_text.size() && IsAsciiLetter(m_text[end]))
                        ++end;
                } else {
                    char32_t code = 0;
                    const std::size_t n = Utf8Length(m_text, end, &code);
                    end += n == 0 ? 1 : n;
                }
                tok.kind = Tok::kCommand;
                tok.text = m_text.substr(m_pos + 1, end - m_pos - 1);
                return tok;
            }
            default: {
                char32_t code = 0;
                const std::size_t n = Utf8Length(m_text, m_pos, &code);
                if (code < 0x20 || code == 0x7F) Fail(m_pos, "a control character");
                if (c == '#') Fail(m_pos, "'#' has no meaning here; write \\# for the sign");
                tok.kind = Tok::kChar;
                tok.text = m_text.substr(m_pos, n);
                return tok;
            }
        }
        tok.text = m_text.substr(m_pos, 1);
        return tok;
    }

    Token Next() {
        Token tok = Peek();
        m_pos = tok.pos + (tok.kind == Tok::kCommand ? tok.text.size() + 1 : tok.text.size());
        return tok;
    }

    bool PeekIsChar(char c) {
        const Token tok = Peek();
        return tok.kind == Tok::kChar && tok.text.size() == 1 && tok.text[0] == c;
    }

    bool PeekIsCommand(std::string_view name) {
        const Token tok = Peek();
        return tok.kind == Tok::kCommand && tok.text == name;
    }

    // --- Nesting -----------------------------------------------------------------------

    class Nest {
      public:
        Nest(Parser& parser, std::size_t pos) : m_parser(parser) {
            if (++m_parser.m_nDepth > kMaxNesting)
                m_parser.Fail(pos, "the formula nests more than 64 levels deep");
        }
        ~Nest() { --m_parser.m_nDepth; }
        Nest(const Nest&) = delete;
        Nest& operator=(const Nest&) = delete;

      private:
        Parser& m_parser;
    };

    // --- Atoms -------------------------------------------------------------------------

    static void AddRun(Node& node, Face face, std::string_view utf8) {
        if (!node.runs.empty() && node.runs.back().face == face) {
            node.runs.back().strUtf8 += utf8;
        } else {
            node.runs.push_back({face, std::string(utf8), {}});
        }
    }

    static void FinishRuns(Node& node) {
        for (TextRun& run : node.runs)
            run.strGbk = platform::Utf8ToGbk(run.strUtf8);
    }

    // Text runs of one character string, each character in the face that holds it.
    static void AddText(Node& node, std::string_view utf8) {
        for (std::size_t i = 0; i < utf8.size();) {
            char32_t code = 0;
            std::size_t n = Utf8Length(utf8, i, &code);
            if (n == 0) n = 1;
            AddRun(node, IsCjkCodePoint(code) ? Face::kCjk : Face::kSerif, utf8.substr(i, n));
            i += n;
        }
        FinishRuns(node);
    }

    NodePtr MakeAtom(AtomClass cls, std::string_view utf8, bool bItalic = false) {
        auto pAtom = std::make_unique<Node>(NodeKind::kAtom);
        pAtom->cls = cls;
        pAtom->bItalic = bItalic;
        pAtom->bBold = m_variant == Variant::kBold;
        AddText(*pAtom, utf8);
        return pAtom;
    }

    NodePtr MakeSymbol(const SymbolDef& def) {
        bool bItalic = def.bItalic;
        if (m_variant == Variant::kRoman) bItalic = false;
        NodePtr pAtom = MakeAtom(def.cls, def.utf8, bItalic);
        pAtom->shape = def.shape;
        pAtom->delim = def.delim;
        if (def.shape != Shape::kNone || def.delim != Delim::kNone) pAtom->runs.clear();
        return pAtom;
    }

    NodePtr MakeShape(AtomClass cls, Shape shape) {
        auto pAtom = std::make_unique<Node>(NodeKind::kAtom);
        pAtom->cls = cls;
        pAtom->shape = shape;
        return pAtom;
    }

    static NodePtr MakeSpace(double dEm) {
        auto pSpace = std::make_unique<Node>(NodeKind::kSpace);
        pSpace->dEm = dEm;
        return pSpace;
    }

    NodePtr Letter(std::string_view utf8) {
        const bool bItalic = m_variant == Variant::kDefault || m_variant == Variant::kItalic;
        return MakeAtom(AtomClass::kOrd, utf8, bItalic);
    }

    // A character read in maths.
    NodePtr Character(const Token& tok, bool bWholeNumber) {
        const std::string_view s = tok.text;
        if (s.size() > 1) {
            if (const SymbolDef* pDef = FindSymbolByChar(s)) return MakeSymbol(*pDef);
            return MakeAtom(AtomClass::kOrd, s);
        }
        const char c = s[0];
        if (IsAsciiLetter(c)) return Letter(s);
        if (IsDigit(c)) {
            // A number: digits with decimal points between them.
            std::size_t end = tok.pos + 1;
            while (bWholeNumber && end < m_text.size() &&
                   (IsDigit(m_text[end]) ||
                    (m_text[end] == '.' && end + 1 < m_text.size() && IsDigit(m_text[end + 1]))))
                ++end;
            m_pos = end;
            return MakeAtom(AtomClass::kOrd, m_text.substr(tok.pos, end - tok.pos));
        }
        switch (c) {
            case '+':
            case '*':
                return MakeAtom(AtomClass::kBin, s);
            case '-':
                return MakeShape(AtomClass::kBin, Shape::kMinus);
            case '=':
            case '<':
            case '>':
            case ':':
                return MakeAtom(AtomClass::kRel, s);
            case ',':
            case ';':
                return MakeAtom(AtomClass::kPunct, s);
            case '(':
            case '[':
                return MakeAtom(AtomClass::kOpen, s);
            case ')':
            case ']':
            case '!':
            case '?':
                return MakeAtom(AtomClass::kClose, s);
            case '~':
                return MakeSpace(0.25);
            default:
                return MakeAtom(AtomClass::kOrd, s);
        }
    }

    // --- Arguments ---------------------------------------------------------------------

    // A group in braces, or one character or symbol.
    NodePtr Argument(const char* szFor) {
        const Token tok = Peek();
        Nest nest(*this, tok.pos);
        switch (tok.kind) {
            case Tok::kOpen:
                Next();
                return ParseBody(Stop::kGroup);
            case Tok::kChar:
                Next();
                return Character(tok, false);
            case Tok::kCommand: {
                NodePtr pItem = SimpleCommand(tok.text);
                if (pItem) {
                    Next();
                    return pItem;
                }
                break;
            }
            default:
                break;
        }
        Fail(tok.pos, std::string("missing argument of ") + szFor);
    }

    // A command that takes no argument: a symbol, a function name, a big operator, a space.
    NodePtr SimpleCommand(std::string_view name) {
        if (const SymbolDef* pDef = FindSymbol(name)) return MakeSymbol(*pDef);
        if (const FunctionDef* pDef = FindFunction(name)) {
            NodePtr pAtom = MakeAtom(AtomClass::kOp, pDef->name);
            pAtom->bBold = false;
            pAtom->bLargeOp = pDef->bLimits;
            pAtom->limits = pDef->bLimits ? Limits::kAuto : Limits::kSide;
            return pAtom;
        }
        if (const BigOpDef* pDef = FindBigOp(name)) {
            NodePtr pAtom = MakeShape(AtomClass::kOp, pDef->shape);
            pAtom->bLargeOp = true;
            pAtom->limits = pDef->bSide ? Limits::kSide : Limits::kAuto;
            return pAtom;
        }
        double dEm = 0;
        if (FindSpace(name, &dEm)) return MakeSpace(dEm);
        return nullptr;
    }

    // The argument of \text: characters up to the matching brace, spaces kept.
    NodePtr TextArgument() {
        const Token open = Next();
        if (open.kind != Tok::kOpen) Fail(open.pos, "\\text needs its text in braces");
        auto pText = std::make_unique<Node>(NodeKind::kText);
        int nBraces = 0;
        std::string strText;
        while (true) {
            if (m_pos >= m_text.size()) Fail(open.pos, "\\text{ is not closed");
            const char c = m_text[m_pos];
            if (c == '}' && nBraces == 0) {
                ++m_pos;
                break;
            }
            if (c == '%') {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n')
                    ++m_pos;
                continue;
            }
            if (c == '\\') {
                const char e = m_pos + 1 < m_text.size() ? m_text[m_pos + 1] : '\0';
                if (std::string_view("{}%$&#_\\ ").find(e) == std::string_view::npos || !e)
                    Fail(m_pos, "inside \\text only \\{ \\} \\% \\$ \\& \\# \\_ \\\\ are allowed");
                strText += e;
                m_pos += 2;
                continue;
            }
            if (c == '{') ++nBraces;
            if (c == '}') --nBraces;
            char32_t code = 0;
            std::size_t n = Utf8Length(m_text, m_pos, &code);
            if (code < 0x20 || code == 0x7F) {
                if (!IsSpace(c)) Fail(m_pos, "a control character");
                strText += ' ';
            } else if (c != '{' && c != '}') {
                strText.append(m_text.substr(m_pos, n));
            }
            m_pos += n;
        }
        AddText(*pText, strText);
        return pText;
    }

    NodePtr Accented(Accent accent, const char* szName) {
        auto pNode = std::make_unique<Node>(NodeKind::kAccent);
        pNode->accent = accent;
        pNode->kids.push_back(Argument(szName));
        return pNode;
    }

    NodePtr Fraction(std::string_view name) {
        auto pFrac = std::make_unique<Node>(NodeKind::kFrac);
        pFrac->cls = AtomClass::kInner;
        pFrac->kids.push_back(Argument("a fraction"));
        pFrac->kids.push_back(Argument("a fraction"));
        if (name == "dfrac") pFrac->fracStyle = FracStyle::kDisplay;
        if (name == "tfrac") pFrac->fracStyle = FracStyle::kText;
        if (name != "binom") return pFrac;
        pFrac->bBar = false;
        auto pDelimited = std::make_unique<Node>(NodeKind::kDelimited);
        pDelimited->left = Delim::kParenL;
        pDelimited->right = Delim::kParenR;
        pDelimited->kids.push_back(std::move(pFrac));
        return pDelimited;
    }

    NodePtr Root() {
        auto pRoot = std::make_unique<Node>(NodeKind::kRoot);
        NodePtr pIndex;
        if (PeekIsChar('[')) {
            const Token open = Next();
            Nest nest(*this, open.pos);
            pIndex = ParseBody(Stop::kOptional);
        }
        pRoot->kids.push_back(Argument("\\sqrt"));
        if (pIndex) pRoot->kids.push_back(std::move(pIndex));
        return pRoot;
    }

    Delim Delimiter(const char* szAfter) {
        const Token tok = Next();
        Delim delim = Delim::kNone;
        bool bFound = false;
        if (tok.kind == Tok::kChar) bFound = FindDelimiter(tok.text, &delim);
        if (tok.kind == Tok::kCommand)
            bFound = FindDelimiter(m_text.substr(tok.pos, tok.text.size() + 1), &delim);
        if (!bFound) Fail(tok.pos, std::string("no delimiter after ") + szAfter);
        return delim;
    }

    NodePtr LeftRight(std::size_t pos) {
        auto pNode = std::make_unique<Node>(NodeKind::kDelimited);
        pNode->cls = AtomClass::kInner;
        pNode->left = Delimiter("\\left");
        Nest nest(*this, pos);
        pNode->kids.push_back(ParseBody(Stop::kRight));
        Next();  // \right
        pNode->right = Delimiter("\\right");
        return pNode;
    }

    std::string EnvironmentName() {
        const Token open = Next();
        if (open.kind != Tok::kOpen) Fail(open.pos, "an environment name must be in braces");
        std::string strName;
        while (m_pos < m_text.size() && (IsAsciiLetter(m_text[m_pos]) || m_text[m_pos] == '*'))
            strName += m_text[m_pos++];
        if (Next().kind != Tok::kClose) Fail(open.pos, "an environment name must be in braces");
        return strName;
    }

    NodePtr Environment(std::size_t pos) {
        const std::string strName = EnvironmentName();
        // Column alignments: one of the fixed sets, or the array's own list.
        std::string_view align = "c";
        std::string strArrayAlign;
        Delim left = Delim::kNone;
        Delim right = Delim::kNone;
        double dColumnGap = 1.0;
        bool bTextStyle = true;
        if (strName == "matrix") {
        } else if (strName == "pmatrix") {
            left = Delim::kParenL, right = Delim::kParenR;
        } else if (strName == "bmatrix") {
            left = Delim::kBracketL, right = Delim::kBracketR;
        } else if (strName == "Bmatrix") {
            left = Delim::kBraceL, right = Delim::kBraceR;
        } else if (strName == "vmatrix") {
            left = Delim::kVert, right = Delim::kVert;
        } else if (strName == "Vmatrix") {
            left = Delim::kDoubleVert, right = Delim::kDoubleVert;
        } else if (strName == "cases") {
            left = Delim::kBraceL, align = "ll";
        } else if (strName == "aligned") {
            align = "rl", dColumnGap = 2.0, bTextStyle = false;
        } else if (strName == "gathered") {
            bTextStyle = false;
        } else if (strName == "array") {
            const Token open = Next();
            if (open.kind != Tok::kOpen) Fail(open.pos, "array needs its columns, as {lcr}");
            while (m_pos < m_text.size() && m_text[m_pos] != '}') {
                const char c = m_text[m_pos];
                if (c == 'l' || c == 'c' || c == 'r') {
                    strArrayAlign += c;
                } else if (!IsSpace(c)) {
                    Fail(m_pos, "array columns are l, c or r");
                }
                ++m_pos;
            }
            if (Next().kind != Tok::kClose || strArrayAlign.empty())
                Fail(open.pos, "array needs its columns, as {lcr}");
            align = strArrayAlign;
        } else {
            Fail(pos, "unknown environment '" + strName + "'");
        }
        m_environments.push_back(strName);
        NodePtr pArray;
        {
            Nest nest(*this, pos);
            pArray = ParseBody(Stop::kEnvironment);
        }
        const Token end = Next();  // \end
        if (EnvironmentName() != strName)
            Fail(end.pos, "\\end does not match \\begin{" + strName + "}");
        m_environments.pop_back();
        if (pArray->kind != NodeKind::kArray) {
            auto pRow = std::make_unique<Node>(NodeKind::kRow);
            pRow->kids.push_back(std::move(pArray));
            pArray = std::make_unique<Node>(NodeKind::kArray);
            pArray->kids.push_back(std::move(pRow));
        }
        pArray->strAlign = align;
        pArray->dColumnGapEm = dColumnGap;
        pArray->bPairs = strName == "aligned";
        pArray->bTextStyle = bTextStyle;
        if (left == Delim::kNone && right == Delim::kNone) return pArray;
        auto pDelimited = std::make_unique<Node>(NodeKind::kDelimited);
        pDelimited->cls = AtomClass::kInner;
        pDelimited->left = left;
        pDelimited->right = right;
        pDelimited->kids.push_back(std::move(pArray));
        return pDelimited;
    }

    NodePtr Styled(Variant variant, const char* szName) {
        const Variant saved = m_variant;
        m_variant = variant;
        NodePtr pArg = Argument(szName);
        m_variant = saved;
        return pArg;
    }

    // \pmod{n}: a space, then "(mod n)".
    NodePtr ModuloInParentheses() {
        auto pRow = std::make_unique<Node>(NodeKind::kRow);
        pRow->kids.push_back(MakeSpace(1.0));
        pRow->kids.push_back(MakeAtom(AtomClass::kOpen, "("));
        pRow->kids.push_back(MakeAtom(AtomClass::kOrd, "mod"));
        pRow->kids.push_back(MakeSpace(1.0 / 3));
        pRow->kids.push_back(Argument("\\pmod"));
        pRow->kids.push_back(MakeAtom(AtomClass::kClose, ")"));
        return pRow;
    }

    NodePtr Command(const Token& tok) {
        const std::string_view name = tok.text;
        if (NodePtr pItem = SimpleCommand(name)) return pItem;
        struct AccentName {
            std::string_view name;
            Accent accent;
        };
        static constexpr AccentName kAccents[] = {
            {"overline", Accent::kOverline},
            {"underline", Accent::kUnderline},
            {"bar", Accent::kBar},
            {"vec", Accent::kVec},
            {"overrightarrow", Accent::kOverRightArrow},
            {"overleftarrow", Accent::kOverLeftArrow},
            {"hat", Accent::kHat},
            {"widehat", Accent::kHat},
            {"check", Accent::kCheck},
            {"tilde", Accent::kTilde},
            {"widetilde", Accent::kTilde},
            {"dot", Accent::kDot},
            {"ddot", Accent::kDDot},
            {"overbrace", Accent::kOverBrace},
            {"underbrace", Accent::kUnderBrace},
        };
        for (const AccentName& a : kAccents)
            if (a.name == name) return Accented(a.accent, "an accent");
        if (name == "frac" || name == "dfrac" || name == "tfrac" || name == "binom")
            return Fraction(name);
        if (name == "sqrt") return Root();
        if (name == "left") return LeftRight(tok.pos);
        if (name == "text" || name == "mbox" || name == "textrm") return TextArgument();
        if (name == "mathrm") return Styled(Variant::kRoman, "\\mathrm");
        if (name == "mathbf") return Styled(Variant::kBold, "\\mathbf");
        if (name == "mathit") return Styled(Variant::kItalic, "\\mathit");
        if (name == "operatorname") {
            NodePtr pName = Styled(Variant::kRoman, "\\operatorname");
            if (pName->kind != NodeKind::kRow) {
                auto pRow = std::make_unique<Node>(NodeKind::kRow);
                pRow->kids.push_back(std::move(pName));
                pName = std::move(pRow);
            }
            pName->cls = AtomClass::kOp;
            return pName;
        }
        if (name == "pmod") return ModuloInParentheses();
        if (name == "begin") return Environment(tok.pos);
        if (name == "right") Fail(tok.pos, "\\right without \\left");
        if (name == "end") Fail(tok.pos, "\\end without \\begin");
        if (name == "limits" || name == "nolimits")
            Fail(tok.pos, "\\limits and \\nolimits follow a big operator");
        Fail(tok.pos, "unknown command \\" + std::string(name));
    }

    // --- Lists -------------------------------------------------------------------------

    // Scripts and primes after an item.
    NodePtr WithScripts(NodePtr pBase) {
        if (pBase->kind == NodeKind::kAtom && pBase->bLargeOp) {
            if (PeekIsCommand("limits")) {
                Next();
                pBase->limits = Limits::kAbove;
            } else if (PeekIsCommand("nolimits")) {
                Next();
                pBase->limits = Limits::kSide;
            }
        }
        NodePtr pScripts;
        bool bPrimesOnly = false;  // the superscript so far holds only primes
        while (true) {
            const Token tok = Peek();
            if (tok.kind != Tok::kSup && tok.kind != Tok::kSub && tok.kind != Tok::kPrime) break;
            if (!pScripts) {
                pScripts = std::make_unique<Node>(NodeKind::kScripts);
                pScripts->kids.push_back(std::move(pBase));
            }
            Next();
            if (tok.kind == Tok::kSub) {
                if (pScripts->pSub) Fail(tok.pos, "a second subscript; use braces");
                pScripts->pSub = Argument("_");
                continue;
            }
            if (pScripts->pSup && !bPrimesOnly) Fail(tok.pos, "a second superscript; use braces");
            if (!pScripts->pSup) pScripts->pSup = std::make_unique<Node>(NodeKind::kRow);
            if (tok.kind == Tok::kPrime) {
                pScripts->pSup->kids.push_back(MakeShape(AtomClass::kOrd, Shape::kPrime));
                bPrimesOnly = true;
            } else {
                pScripts->pSup->kids.push_back(Argument("^"));
                bPrimesOnly = false;
            }
        }
        return pScripts ? std::move(pScripts) : std::move(pBase);
    }

    bool IsStop(const Token& tok, Stop stop) {
        switch (tok.kind) {
            case Tok::kEnd:
                return true;
            case Tok::kClose:
                return true;
            case Tok::kCommand:
                return tok.text == "right" || tok.text == "end";
            case Tok::kChar:
                return stop == Stop::kOptional && tok.text == "]";
            default:
                return false;
        }
    }

    // Checks that the token that ended a body is the one this body waits for.
    void ExpectStop(const Token& tok, Stop stop, std::size_t start) {
        const bool bRight = tok.kind == Tok::kCommand && tok.text == "right";
        const bool bEnd = tok.kind == Tok::kCommand && tok.text == "end";
        switch (stop) {
            case Stop::kEndOfText:
                if (tok.kind == Tok::kClose) Fail(tok.pos, "'}' without '{'");
                if (bRight) Fail(tok.pos, "\\right without \\left");
                if (bEnd) Fail(tok.pos, "\\end without \\begin");
                return;
            case Stop::kGroup:
                if (tok.kind == Tok::kClose) {
                    Next();
                    return;
                }
                Fail(start, "'{' is not closed");
            case Stop::kRight:
                if (bRight) return;
                Fail(start, "\\left without \\right");
            case Stop::kEnvironment:
                if (bEnd) return;
                Fail(start, "\\begin{" + m_environments.back() + "} without \\end");
            case Stop::kOptional:
                if (tok.kind == Tok::kChar) {
                    Next();
                    return;
                }
                Fail(start, "'[' is not closed");
        }
    }

    // A list of items up to the stop; with '&' and "\\" (allowed at the top and in
    // environments) the result is an array whose rows hold the cells.
    NodePtr ParseBody(Stop stop) {
        const std::size_t start = m_pos;
        const bool bCells = stop == Stop::kEndOfText || stop == Stop::kEnvironment;
        std::vector<NodePtr> rows;
        auto pRow = std::make_unique<Node>(NodeKind::kRow);
        auto pCell = std::make_unique<Node>(NodeKind::kRow);
        bool bArray = false;
        bool bAligned = false;
        Token tok = Peek();
        while (!IsStop(tok, stop)) {
            if (tok.kind == Tok::kAmp || (tok.kind == Tok::kCommand && tok.text == "\\")) {
                if (!bCells) Fail(tok.pos, "'&' and \\\\ belong at the top or in an environment");
                Next();
                bArray = true;
                pRow->kids.push_back(std::move(pCell));
                pCell = std::make_unique<Node>(NodeKind::kRow);
                if (tok.kind == Tok::kAmp) {
                    bAligned = true;
                } else {
                    rows.push_back(std::move(pRow));
                    pRow = std::make_unique<Node>(NodeKind::kRow);
                }
            } else {
                pCell->kids.push_back(WithScripts(Item(tok)));
            }
            tok = Peek();
        }
        ExpectStop(tok, stop, start);
        if (!bArray) return pCell;
        // A "\\" at the very end starts no row.
        if (!pCell->kids.empty() || !pRow->kids.empty()) {
            pRow->kids.push_back(std::move(pCell));
            rows.push_back(std::move(pRow));
        }
        auto pArray = std::make_unique<Node>(NodeKind::kArray);
        pArray->kids = std::move(rows);
        pArray->strAlign = bAligned ? "rl" : "c";
        pArray->dColumnGapEm = 2.0;
        pArray->bPairs = bAligned;
        return pArray;
    }

    NodePtr Item(const Token& tok) {
        switch (tok.kind) {
            case Tok::kOpen: {
                Next();
                Nest nest(*this, tok.pos);
                return ParseBody(Stop::kGroup);
            }
            case Tok::kSup:
            case Tok::kSub:
            case Tok::kPrime:
                return std::make_unique<Node>(NodeKind::kRow);  // an empty base
            case Tok::kChar:
                Next();
                return Character(tok, true);
            case Tok::kCommand:
                Next();
                return Command(tok);
            default:
                Fail(tok.pos, "unexpected character");
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_nDepth = 0;
    Variant m_variant = Variant::kDefault;
    std::vector<std::string> m_environments;
};

}  // namespace

ParseResult ParseFormula(std::string_view text) {
    ParseResult result;
    if (text.size() > kMaxFormulaBytes) {
        result.nLine = 1;
        result.nColumn = 1;
        result.strError = "the file is larger than 64 KB";
        return result;
    }
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::string strConverted;
    if (!IsWellFormedUtf8(text)) {
        strConverted = platform::GbkToUtf8(text);
        text = strConverted;
    }
    Parser parser(text);
    try {
        result.pRoot = parser.ParseAll();
    } catch (const Refusal& refusal) {
        result.nLine = 1;
        result.nColumn = 1;
        char32_t code = 0;
        for (std::size_t i = 0; i < refusal.pos && i < text.size();) {
            if (text[i] == '\n') {
                ++result.nLine;
                result.nColumn = 1;
            } else {
                ++result.nColumn;
            }
            const std::size_t n = Utf8Length(text, i, &code);
            i += n == 0 ? 1 : n;
        }
        result.strError = refusal.strMessage;
    } catch (...) {
        result.pRoot.reset();
        result.strError = "out of memory";
    }
    return result;
}

}  // namespace tessel::formula
