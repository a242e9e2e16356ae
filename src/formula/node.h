#pragma once

#include <memory>
#include <string>
#include <vector>

// The tree a formula file is read into. The reader (parser.h) builds it, the layout
// (layout.h) measures and places it. Text is kept as the file gave it (UTF-8) and in GBK,
// ready for the drawing context.
namespace tessel::formula {

// Classes of atoms; they decide the spacing between neighbours, as in TeX.
enum class AtomClass { kOrd, kOp, kBin, kRel, kOpen, kClose, kPunct, kInner };

// Faces a piece of text is set in: the serif face for letters, digits, Greek and symbols, the
// CJK face for Chinese characters and full-width punctuation.
enum class Face { kSerif, kCjk };

// Signs drawn with lines and curves instead of a font: those that GBK has no code for,
// those the serif face lacks, and the big operators.
enum class Shape {
    kNone,
    // symbols
    kMinus,
    kPrime,
    kMinusPlus,
    kCdot,
    kCdots,
    kVdots,
    kDdots,
    kPartial,
    kNabla,
    kForAll,
    kExists,
    kNotIn,
    kNi,
    kSubset,
    kSupset,
    kSubsetEq,
    kSupsetEq,
    kRightDoubleArrow,
    kLeftDoubleArrow,
    kLeftRightDoubleArrow,
    kLeftRightArrow,
    kLongRightArrow,
    kLongLeftArrow,
    kMapsTo,
    kSim,
    kSimEq,
    kCong,
    kLessLess,
    kGreaterGreater,
    kNeg,
    kEmptySet,
    kOTimes,
    kCirc,
    kBullet,
    kIn,
    kCup,
    kCap,
    kWedge,
    kVee,
    kAngle,
    kPerp,
    kParallel,
    kMid,
    kDoubleBar,
    kOPlus,
    kODot,
    kTherefore,
    kBecause,
    kPropto,
    kNLess,
    kNGtr,
    kLeqSlant,
    kGeqSlant,
    kBackSim,
    kBackCong,
    // big operators
    kSum,
    kProd,
    kCoprod,
    kInt,
    kIInt,
    kIIInt,
    kOInt,
    kBigCup,
    kBigCap,
};

// Delimiters of \left and \right.
enum class Delim {
    kNone,  // "." : an empty delimiter
    kParenL,
    kParenR,
    kBracketL,
    kBracketR,
    kBraceL,
    kBraceR,
    kVert,
    kDoubleVert,
    kAngleL,
    kAngleR,
    kFloorL,
    kFloorR,
    kCeilL,
    kCeilR,
};

enum class Accent {
    kOverline,
    kUnderline,
    kBar,
    kVec,
    kOverRightArrow,
    kOverLeftArrow,
    kHat,
    kCheck,
    kTilde,
    kDot,
    kDDot,
    kOverBrace,
    kUnderBrace,
};

// Letter styles of \mathrm, \mathbf, \mathit; kDefault sets letters italic and everything
// else upright.
enum class Variant { kDefault, kRoman, kBold, kItalic };

// How the scripts of a big operator sit: above and below in display style (kAuto), always
// above and below (\limits) or always at the side (\nolimits).
enum class Limits { kAuto, kAbove, kSide };

enum class NodeKind {
    kRow,        // kids: the items, in order
    kAtom,       // text (or shape) with a class
    kSpace,      // dEm of space (negative: a kern back)
    kFrac,       // kids[0] over kids[1]
    kRoot,       // kids[0] under the sign; kids[1], when present, the index
    kScripts,    // kids[0] the base; pSup and pSub
    kDelimited,  // kids[0] between left and right
    kText,       // runs of text set upright
    kAccent,     // kids[0] with an accent
    kArray,      // kids: the rows, each a kRow whose kids are its cells
};

// A run of text in one face.
struct TextRun {
    Face face = Face::kSerif;
    std::string strUtf8;  // what the file says; the layout reads glyph heights from it
    std::string strGbk;   // what is measured and drawn
};

// Fraction styles forced by \dfrac and \tfrac.
enum class FracStyle { kAuto, kDisplay, kText };

struct Node {
    NodeKind kind = NodeKind::kRow;
    std::vector<std::unique_ptr<Node>> kids;

    // kAtom, and kRow when a group stands for an operator (\operatorname)
    AtomClass cls = AtomClass::kOrd;
    std::vector<TextRun> runs;  // also kText
    Shape shape = Shape::kNone;
    bool bItalic = false;
    bool bBold = false;
    bool bLargeOp = false;  // a big operator or a function with limits
    Limits limits = Limits::kSide;
    Delim delim = Delim::kNone;  // a delimiter used on its own, at its normal size

    // kSpace
    double dEm = 0;

    // kFrac
    bool bBar = true;
    FracStyle fracStyle = FracStyle::kAuto;

    // kScripts
    std::unique_ptr<Node> pSup;
    std::unique_ptr<Node> pSub;

    // kDelimited
    Delim left = Delim::kNone;
    Delim right = Delim::kNone;

    // kAccent
    Accent accent = Accent::kOverline;

    // kArray: column alignments ('l', 'c', 'r'; repeated for further columns), gaps, style
    std::string strAlign;
    double dColumnGapEm = 1.0;
    bool bPairs = false;  // columns pair up right/left, the gap only between pairs (aligned)
    double dRowGapEm = 0.25;
    bool bTextStyle = true;  // cells in text style (matrices) or display style (lines)

    explicit Node(NodeKind k) : kind(k) {}
};

using NodePtr = std::unique_ptr<Node>;

}  // namespace tessel::formula
