#include "formula/layout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <utility>

#include "formula/symbols.h"

namespace tessel::formula {
namespace {

// --- Characters -------------------------------------------------------------------------

char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int n = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
    if (i + n > s.size()) n = 1;
    char32_t c = n == 1 ? b0 : n == 2 ? (b0 & 0x1F) : n == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (int k = 1; k < n; ++k)
        c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += n;
    return c;
}

struct Extent {
    double asc;
    double desc;
};

// How far a character's ink reaches above and below the baseline, in ems.
Extent CharExtent(char32_t c) {
    auto in = [c](const char* sz) { return c < 0x80 && std::strchr(sz, static_cast<int>(c)); };
    if (c >= 'A' && c <= 'Z') return {0.66, c == 'Q' ? 0.15 : 0.0};
    if (c >= '0' && c <= '9') return {0.68, 0};
    if (c >= 'a' && c <= 'z') {
        const double asc = c == 't' ? 0.58 : in("bdfhklij") ? 0.69 : 0.46;
        return {asc, in("fgjpqy") ? 0.22 : 0.0};
    }
    if (c < 0x80) {
        if (in("()[]{}|")) return {0.72, 0.22};
        if (in("/\\")) return {0.70, 0.05};
        if (in("+<>")) return {0.50, 0};
        if (c == '=') return {0.40, 0};
        if (c == ',') return {0.10, 0.15};
        if (c == ';') return {0.46, 0.15};
        if (c == ':') return {0.46, 0};
        if (c == '.') return {0.10, 0};
        if (c == '_') return {0, 0.12};
        if (c == ' ') return {0, 0};
        return {0.68, 0.05};
    }
    if (c >= 0x391 && c <= 0x3A9) return {0.66, 0};
    if (c >= 0x3B1 && c <= 0x3C9) {
        const std::u32string_view tall = U"βδζθλξ";
        const std::u32string_view deep = U"βγζημξρςφχψ";
        return {tall.find(c) != tall.npos ? 0.70 : 0.46, deep.find(c) != deep.npos ? 0.22 : 0.0};
    }
    if (IsCjkCodePoint(c)) return {0.80, 0.12};
    return {0.62, 0.10};
}

Extent TextExtent(std::string_view utf8) {
    Extent e{0, 0};
    for (std::size_t i = 0; i < utf8.size();) {
        const Extent c = CharExtent(NextCodePoint(utf8, i));
        e.asc = std::max(e.asc, c.asc);
        e.desc = std::max(e.desc, c.desc);
    }
    return e;
}

// The slant of an italic character beyond its advance, in ems.
double ItalicCorrection(std::string_view utf8) {
    if (utf8.empty()) return 0;
    std::size_t i = 0;
    char32_t c = 0;
    while (i < utf8.size())
        c = NextCodePoint(utf8, i);
    if (c == 'f') return 0.12;
    if (c >= 'A' && c <= 'Z')
        return std::u32string_view(U"TVWY").find(c) == std::u32string_view::npos ? 0.06 : 0.10;
    return 0.04;
}

// --- Geometry ----------------------------------------------------------------------------

void AddCubic(std::vector<DPoint>& pts, DPoint p0, DPoint c1, DPoint c2, DPoint p3,
              int nSteps = 12) {
    if (pts.empty()) pts.push_back(p0);
    for (int k = 1; k <= nSteps; ++k) {
        const double t = static_cast<double>(k) / nSteps;
        const double u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        pts.push_back(
            {a * p0.x + b * c1.x + c * c2.x + d * p3.x, a * p0.y + b * c1.y + c * c2.y + d * p3.y});
    }
}

void AddRect(Box& box, double x, double y, double w, double h) {
    DrawItem item;
    item.kind = DrawItem::kRect;
    item.x = x, item.y = y, item.w = w, item.h = h;
    box.items.push_back(std::move(item));
}

void AddLine(Box& box, std::vector<DPoint> pts, double dPen) {
    DrawItem item;
    item.kind = DrawItem::kPolyline;
    item.points = std::move(pts);
    item.dPen = dPen;
    box.items.push_back(std::move(item));
}

void AddFill(Box& box, std::vector<DPoint> pts) {
    DrawItem item;
    item.kind = DrawItem::kPolygon;
    item.points = std::move(pts);
    box.items.push_back(std::move(item));
}

// A circle round (cx, cy); filled when dPen is 0.
void AddCircle(Box& box, double cx, double cy, double r, double dPen) {
    DrawItem item;
    item.kind = DrawItem::kEllipse;
    item.x = cx - r, item.y = cy - r, item.w = 2 * r, item.h = 2 * r;
    item.dPen = dPen;
    box.items.push_back(std::move(item));
}

// A horizontal arrow from x0 to x1 at height y (the head at x1; at both ends when bBoth).
void AddArrow(Box& box, double x0, double x1, double y, double dHead, double dPen, bool bBoth) {
    AddLine(box, {{x0, y}, {x1, y}}, dPen);
    const double dir = x1 > x0 ? 1 : -1;
    AddLine(box,
            {{x1 - dir * dHead, y - dHead * 0.8}, {x1, y}, {x1 - dir * dHead, y + dHead * 0.8}},
            dPen);
    if (bBoth)
        AddLine(box,
                {{x0 + dir * dHead, y - dHead * 0.8}, {x0, y}, {x0 + dir * dHead, y + dHead * 0.8}},
                dPen);
}

// A double arrow: two lines and a head, pointing right, left or both ways.
void AddDoubleArrow(Box& box, double x0, double x1, double y, double em, double dPen, bool bRight,
                    bool bLeft) {
    const double gap = 0.09 * em;
    const double head = 0.22 * em;
    const double l = x0 + (bLeft ? 0.1 * em : 0);
    const double r = x1 - (bRight ? 0.1 * em : 0);
    AddLine(box, {{l, y - gap}, {r, y - gap}}, dPen);
    AddLine(box, {{l, y + gap}, {r, y + gap}}, dPen);
    if (bRight) AddLine(box, {{x1 - head, y - head}, {x1, y}, {x1 - head, y + head}}, dPen);
    if (bLeft) AddLine(box, {{x0 + head, y - head}, {x0, y}, {x0 + head, y + head}}, dPen);
}

// An open curve like a subset sign, between heights top and bottom, from x0 to x1, open
// towards x1.
void AddOpenCurve(Box& box, double x0, double x1, double top, double bottom, double dPen) {
    const double r = (bottom - top) / 2;
    const double xm = x0 + (x1 > x0 ? r : -r);
    std::vector<DPoint> pts{{x1, top}, {xm, top}};
    const double k = 0.5523 * r * (x1 > x0 ? 1 : -1);
    AddCubic(pts, {xm, top}, {xm - k, top}, {x0, top + r - std::abs(k)}, {x0, top + r});
    AddCubic(pts, {x0, top + r}, {x0, top + r + std::abs(k)}, {xm - k, bottom}, {xm, bottom});
    pts.push_back({x1, bottom});
    AddLine(box, std::move(pts), dPen);
}

// A wave like a tilde from x0 to x1 round height y.
void AddWave(Box& box, double x0, double x1, double y, double amp, double dPen) {
    std::vector<DPoint> pts;
    const double w = x1 - x0;
    AddCubic(pts, {x0, y + amp * 0.4}, {x0 + w * 0.3, y - amp * 2}, {x0 + w * 0.7, y + amp * 2},
             {x1, y - amp * 0.4});
    AddLine(box, std::move(pts), dPen);
}

// A filled stroke along a cubic, thin at both ends and thickest in the middle.
void AddSwell(Box& box, DPoint p0, DPoint c1, DPoint c2, DPoint p3, double thin, double thick) {
    const int n = 24;
    std::vector<DPoint> left, right;
    for (int k = 0; k <= n; ++k) {
        const double t = static_cast<double>(k) / n;
        const double u = 1 - t;
        const DPoint p{
            u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x,
            u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y};
        const DPoint d{
            3 * u * u * (c1.x - p0.x) + 6 * u * t * (c2.x - c1.x) + 3 * t * t * (p3.x - c2.x),
            3 * u * u * (c1.y - p0.y) + 6 * u * t * (c2.y - c1.y) + 3 * t * t * (p3.y - c2.y)};
        const double len = std::max(1e-9, std::hypot(d.x, d.y));
        const double half = (thin + (thick - thin) * std::sin(std::numbers::pi * t)) / 2;
        left.push_back({p.x - d.y / len * half, p.y + d.x / len * half});
        right.push_back({p.x + d.y / len * half, p.y - d.x / len * half});
    }
    left.insert(left.end(), right.rbegin(), right.rend());
    AddFill(box, std::move(left));
}

// Moves src's items by (dx, dy) into dst.
void Place(Box& dst, Box&& src, double dx, double dy) {
    for (DrawItem& item : src.items) {
        item.x += dx;
        item.y += dy;
        for (DPoint& p : item.points) {
            p.x += dx;
            p.y += dy;
        }
        dst.items.push_back(std::move(item));
    }
}

// --- Styles ------------------------------------------------------------------------------

struct Style {
    int nLevel = 0;  // 0 display, 1 text, 2 script, 3 scriptscript
    bool bCramped = false;

    Style Sup() const { return {nLevel < 2 ? 2 : 3, bCramped}; }
    Style Sub() const { return {nLevel < 2 ? 2 : 3, true}; }
    Style Num() const { return {nLevel == 0 ? 1 : nLevel == 1 ? 2 : 3, bCramped}; }
    Style Den() const { return {Num().nLevel, true}; }
    Style Cramped() const { return {nLevel, true}; }
    bool IsDisplay() const { return nLevel == 0; }
    bool IsScript() const { return nLevel >= 2; }
};

constexpr double kSizeFactor[] = {1.0, 1.0, 0.7, 0.5};

// Spacing between atom classes in eighteenths of an em: row = left class, column = right
// class (Ord, Op, Bin, Rel, Open, Close, Punct, Inner). Negative: only outside scripts.
constexpr int kSpacing[8][8] = {
    {0, 3, -4, -5, 0, 0, 0, -3},     {3, 3, 0, -5, 0, 0, 0, -3},     {-4, -4, 0, 0, -4, 0, 0, -4},
    {-5, -5, 0, 0, -5, 0, 0, -5},    {0, 0, 0, 0, 0, 0, 0, 0},       {0, 3, -4, -5, 0, 0, 0, -3},
    {-3, -3, 0, -3, -3, -3, -3, -3}, {-3, 3, -4, -5, -3, 0, -3, -3},
};

class Layouter {
  public:
    Layouter(const IFormulaMetrics& metrics, double dBase) : m_metrics(metrics), m_dBase(dBase) {}

    Box Layout(const Node& node, Style st) {
        switch (node.kind) {
            case NodeKind::kRow:
                return Row(node.kids, st, false);
            case NodeKind::kAtom:
                return Atom(node, st);
            case NodeKind::kSpace: {  // on its own, as an argument: a negative one is none
                Box box;
                box.width = std::max(0.0, node.dEm * Em(st));
                return box;
            }
            case NodeKind::kFrac:
                return Fraction(node, st);
            case NodeKind::kRoot:
                return Root(node, st);
            case NodeKind::kScripts:
                return Scripts(node, st);
            case NodeKind::kDelimited:
                return Delimited(node, st);
            case NodeKind::kText:
                return Runs(node.runs, st, false, false);
            case NodeKind::kAccent:
                return Accented(node, st);
            case NodeKind::kArray:
                return Array(node, st);
        }
        return Box();
    }

  private:
    double Em(Style st) const { return m_dBase * kSizeFactor[st.nLevel]; }
    double Axis(Style st) const { return 0.25 * Em(st); }
    double XHeight(Style st) const { return 0.46 * Em(st); }
    // Rule thickness: fraction bars, radicals, strokes of drawn signs.
    double Rule(Style st) const { return std::max(0.05 * Em(st), m_dBase / 20); }

    FontDesc Font(Style st, Face face, bool bItalic, bool bBold) const {
        FontDesc font;
        font.face = face;
        font.bItalic = bItalic;
        font.bBold = bBold;
        font.nSize = std::max(1, static_cast<int>(std::lround(Em(st))));
        return font;
    }

    static AtomClass ClassOf(const Node& node) {
        switch (node.kind) {
            case NodeKind::kAtom:
            case NodeKind::kRow:
                return node.cls;
            case NodeKind::kScripts:
                return ClassOf(*node.kids[0]);
            case NodeKind::kFrac:
            case NodeKind::kDelimited:
                return AtomClass::kInner;
            default:
                return AtomClass::kOrd;
        }
    }

    // --- Rows and text -----------------------------------------------------------------

    // Items side by side with TeX's spacing. bAfterOrd: the row continues an empty
    // ordinary item (the right half of an aligned pair, "&= b").
    Box Row(const std::vector<NodePtr>& kids, Style st, bool bAfterOrd) {
        std::vector<AtomClass> classes;
        std::vector<bool> spaces;
        for (const NodePtr& pKid : kids) {
            spaces.push_back(pKid->kind == NodeKind::kSpace);
            classes.push_back(ClassOf(*pKid));
        }
        // A binary operator with nothing to its left, or after another operator, relation,
        // opening or punctuation, is an ordinary sign (a minus sign); so is one before a
        // relation, a closing or punctuation.
        int nPrev = bAfterOrd ? -2 : -1;
        for (std::size_t i = 0; i < kids.size(); ++i) {
            if (spaces[i]) continue;
            const AtomClass prev = nPrev >= 0    ? classes[nPrev]
                                   : nPrev == -2 ? AtomClass::kOrd
                                                 : AtomClass::kBin;
            if (classes[i] == AtomClass::kBin &&
                (prev == AtomClass::kBin || prev == AtomClass::kOp || prev == AtomClass::kRel ||
                 prev == AtomClass::kOpen || prev == AtomClass::kPunct))
                classes[i] = AtomClass::kOrd;
            if (nPrev >= 0 && classes[nPrev] == AtomClass::kBin &&
                (classes[i] == AtomClass::kRel || classes[i] == AtomClass::kClose ||
                 classes[i] == AtomClass::kPunct))
                classes[nPrev] = AtomClass::kOrd;
            nPrev = static_cast<int>(i);
        }
        if (nPrev >= 0 && classes[nPrev] == AtomClass::kBin) classes[nPrev] = AtomClass::kOrd;

        // Spaces move the pen, negative ones back, but never before the start; the row
        // reaches at least to the right end of every item.
        Box row;
        double right = 0;
        nPrev = bAfterOrd ? -2 : -1;
        for (std::size_t i = 0; i < kids.size(); ++i) {
            if (spaces[i]) {
                row.width = std::max(0.0, row.width + kids[i]->dEm * Em(st));
                continue;
            }
            if (nPrev != -1) {
                const AtomClass left = nPrev >= 0 ? classes[nPrev] : AtomClass::kOrd;
                const int mu = kSpacing[static_cast<int>(left)][static_cast<int>(classes[i])];
                if (mu > 0 || (mu < 0 && !st.IsScript())) row.width += std::abs(mu) * Em(st) / 18;
            }
            nPrev = static_cast<int>(i);
            Box kid = Layout(*kids[i], st);
            row.ascent = std::max(row.ascent, kid.ascent);
            row.descent = std::max(row.descent, kid.descent);
            const double x = row.width;
            row.width += kid.width;
            right = std::max(right, row.width);
            if (kids.size() == 1) {
                row.dSupKern = kid.dSupKern;
                row.dSubKern = kid.dSubKern;
                row.bChar = kid.bChar;
            }
            Place(row, std::move(kid), x, 0);
        }
        row.width = std::max(row.width, right);
        return row;
    }

    Box Runs(const std::vector<TextRun>& runs, Style st, bool bItalic, bool bBold) {
        Box box;
        for (const TextRun& run : runs) {
            DrawItem item;
            item.kind = DrawItem::kText;
            item.font = Font(st, run.face, bItalic && run.face == Face::kSerif, bBold);
            item.strGbk = run.strGbk;
            item.x = box.width;
            item.w = m_metrics.TextWidth(item.font, run.strGbk);
            const Extent e = TextExtent(run.strUtf8);
            item.dAscent = e.asc * Em(st);
            item.dDescent = e.desc * Em(st);
            box.width += item.w;
            box.ascent = std::max(box.ascent, item.dAscent);
            box.descent = std::max(box.descent, item.dDescent);
            box.items.push_back(std::move(item));
        }
        return box;
    }

    Box Atom(const Node& node, Style st) {
        if (node.shape != Shape::kNone) return ShapeBox(node.shape, st);
        if (node.delim != Delim::kNone) {
            return Delimiter(node.delim, Em(st), st);
        }
        Box box = Runs(node.runs, st, node.bItalic, node.bBold);
        std::size_t nChars = 0;
        for (const TextRun& run : node.runs)
            for (std::size_t i = 0; i < run.strUtf8.size(); ++nChars)
                NextCodePoint(run.strUtf8, i);
        box.bChar = nChars == 1;
        if (node.bItalic && !node.runs.empty()) {
            const double ic = ItalicCorrection(node.runs.back().strUtf8) * Em(st);
            box.width += ic;
            box.dSubKern = ic;
        }
        return box;
    }

    // --- Signs drawn with lines ----------------------------------------------------------

    Box ShapeBox(Shape shape, Style st) {
        const double e = Em(st);
        const double a = Axis(st);
        const double t = Rule(st);
        Box box;
        auto size = [&](double w, double asc, double desc) {
            box.width = w;
            box.ascent = asc;
            box.descent = desc;
        };
        switch (shape) {
            case Shape::kNone:
                break;
            case Shape::kMinus:
            case Shape::kMinusPlus: {
                const double w = m_metrics.TextWidth(Font(st, Face::kSerif, false, false), "+");
                const double inset = 0.1 * w;
                if (shape == Shape::kMinus) {
                    size(w, a + t, 0);
                    AddRect(box, inset, -a - t / 2, w - 2 * inset, t);
                } else {
                    size(w, 0.62 * e, 0);
                    AddRect(box, inset, -0.58 * e - t / 2, w - 2 * inset, t);
                    AddRect(box, inset, -0.22 * e - t / 2, w - 2 * inset, t);
                    AddRect(box, w / 2 - t / 2, -0.42 * e, t, 0.4 * e);
                }
                break;
            }
            case Shape::kPrime:
                size(0.34 * e, 0.66 * e, 0);
                AddFill(box, {{0.17 * e, -0.66 * e},
                              {0.32 * e, -0.66 * e},
                              {0.08 * e, -0.1 * e},
                              {0.04 * e, -0.1 * e}});
                break;
            case Shape::kCdot:
                size(0.28 * e, a + 0.06 * e, 0);
                AddCircle(box, 0.14 * e, -a, std::max(0.055 * e, t * 0.7), 0);
                break;
            case Shape::kCdots:
                size(1.0 * e, a + 0.06 * e, 0);
                for (double x : {0.17, 0.5, 0.83})
                    AddCircle(box, x * e, -a, std::max(0.055 * e, t * 0.7), 0);
                break;
            case Shape::kVdots:
                size(0.3 * e, 0.75 * e, 0);
                for (double y : {0.1, 0.4, 0.7})
                    AddCircle(box, 0.15 * e, -y * e, std::max(0.055 * e, t * 0.7), 0);
                break;
            case Shape::kDdots:
                size(1.0 * e, 0.75 * e, 0);
                for (int k = 0; k < 3; ++k)
                    AddCircle(box, (0.17 + 0.33 * k) * e, -(0.7 - 0.3 * k) * e,
                              std::max(0.055 * e, t * 0.7), 0);
                break;
            case Shape::kPartial: {
                size(0.56 * e, 0.7 * e, 0.02 * e);
                std::vector<DPoint> pts;
                AddCubic(pts, {0.14 * e, -0.6 * e}, {0.25 * e, -0.72 * e}, {0.5 * e, -0.7 * e},
                         {0.5 * e, -0.4 * e});
                AddCubic(pts, {0.5 * e, -0.4 * e}, {0.5 * e, -0.1 * e}, {0.35 * e, 0},
                         {0.22 * e, 0});
                AddCubic(pts, {0.22 * e, 0}, {0.08 * e, 0}, {0.04 * e, -0.12 * e},
                         {0.06 * e, -0.22 * e});
                AddCubic(pts, {0.06 * e, -0.22 * e}, {0.1 * e, -0.38 * e}, {0.35 * e, -0.42 * e},
                         {0.49 * e, -0.33 * e});
                AddLine(box, std::move(pts), 1.3 * t);
                break;
            }
            case Shape::kNabla:
                size(0.76 * e, 0.68 * e, 0);
                AddLine(box,
                        {{0.05 * e, -0.66 * e},
                         {0.71 * e, -0.66 * e},
                         {0.38 * e, -0.01 * e},
                         {0.05 * e, -0.66 * e}},
                        t);
                break;
            case Shape::kForAll:
                size(0.66 * e, 0.68 * e, 0);
                AddLine(box, {{0.05 * e, -0.67 * e}, {0.33 * e, 0}, {0.61 * e, -0.67 * e}}, t);
                AddLine(box, {{0.19 * e, -0.34 * e}, {0.47 * e, -0.34 * e}}, t);
                break;
            case Shape::kExists:
                size(0.56 * e, 0.68 * e, 0);
                AddLine(
                    box,
                    {{0.06 * e, -0.67 * e}, {0.48 * e, -0.67 * e}, {0.48 * e, 0}, {0.06 * e, 0}},
                    t);
                AddLine(box, {{0.1 * e, -0.34 * e}, {0.48 * e, -0.34 * e}}, t);
                break;
            case Shape::kNotIn:
                box = ShapeBox(Shape::kIn, st);
                box.ascent = 0.75 * e;
                box.descent = 0.12 * e;
                AddLine(box, {{0.16 * e, 0.1 * e}, {0.5 * e, -0.72 * e}}, t);
                break;
            case Shape::kNi:
                size(0.66 * e, a + 0.27 * e, 0.02 * e);
                AddOpenCurve(box, 0.61 * e, 0.05 * e, -a - 0.25 * e, -a + 0.25 * e, t);
                AddLine(box, {{0.05 * e, -a}, {0.61 * e, -a}}, t);
                break;
            case Shape::kSubset:
            case Shape::kSupset: {
                size(0.72 * e, a + 0.27 * e, 0.02 * e);
                const bool bSub = shape == Shape::kSubset;
                AddOpenCurve(box, bSub ? 0.06 * e : 0.66 * e, bSub ? 0.66 * e : 0.06 * e,
                             -a - 0.25 * e, -a + 0.25 * e, t);
                break;
            }
            case Shape::kSubsetEq:
            case Shape::kSupsetEq: {
                size(0.72 * e, a + 0.36 * e, 0.1 * e);
                const bool bSub = shape == Shape::kSubsetEq;
                AddOpenCurve(box, bSub ? 0.06 * e : 0.66 * e, bSub ? 0.66 * e : 0.06 * e,
                             -a - 0.34 * e, -a + 0.12 * e, t);
                AddLine(box, {{0.06 * e, -a + 0.3 * e}, {0.66 * e, -a + 0.3 * e}}, t);
                break;
            }
            case Shape::kRightDoubleArrow:
            case Shape::kLeftDoubleArrow:
                size(1.1 * e, a + 0.25 * e, 0);
                AddDoubleArrow(box, 0.05 * e, 1.05 * e, -a, e, t, shape == Shape::kRightDoubleArrow,
                               shape == Shape::kLeftDoubleArrow);
                break;
            case Shape::kLeftRightDoubleArrow:
                size(1.3 * e, a + 0.25 * e, 0);
                AddDoubleArrow(box, 0.05 * e, 1.25 * e, -a, e, t, true, true);
                break;
            case Shape::kLeftRightArrow:
                size(1.1 * e, a + 0.2 * e, 0);
                AddArrow(box, 0.05 * e, 1.05 * e, -a, 0.18 * e, t, true);
                break;
            case Shape::kLongRightArrow:
            case Shape::kLongLeftArrow: {
                size(1.6 * e, a + 0.2 * e, 0);
                const bool bRight = shape == Shape::kLongRightArrow;
                AddArrow(box, bRight ? 0.05 * e : 1.55 * e, bRight ? 1.55 * e : 0.05 * e, -a,
                         0.18 * e, t, false);
                break;
            }
            case Shape::kMapsTo:
                size(1.1 * e, a + 0.2 * e, 0);
                AddArrow(box, 0.06 * e, 1.05 * e, -a, 0.18 * e, t, false);
                AddLine(box, {{0.06 * e, -a - 0.15 * e}, {0.06 * e, -a + 0.15 * e}}, t);
                break;
            case Shape::kSim:
                size(0.78 * e, a + 0.12 * e, 0);
                AddWave(box, 0.06 * e, 0.72 * e, -a, 0.08 * e, 1.2 * t);
                break;
            case Shape::kSimEq:
            case Shape::kCong: {
                const bool bCong = shape == Shape::kCong;
                size(0.78 * e, a + (bCong ? 0.3 : 0.22) * e, 0);
                AddWave(box, 0.06 * e, 0.72 * e, -a - (bCong ? 0.18 : 0.1) * e, 0.07 * e, 1.2 * t);
                AddLine(box, {{0.06 * e, -a + 0.08 * e}, {0.72 * e, -a + 0.08 * e}}, t);
                if (bCong) AddLine(box, {{0.06 * e, -a - 0.06 * e}, {0.72 * e, -a - 0.06 * e}}, t);
                break;
            }
            case Shape::kLessLess:
            case Shape::kGreaterGreater: {
                size(0.95 * e, a + 0.25 * e, 0);
                const bool bLess = shape == Shape::kLessLess;
                for (double x0 : {0.06, 0.36}) {
                    const double tip = (bLess ? x0 : x0 + 0.53) * e;
                    const double open = (bLess ? x0 + 0.53 : x0) * e;
                    AddLine(box, {{open, -a - 0.22 * e}, {tip, -a}, {open, -a + 0.22 * e}}, t);
                }
                break;
            }
            case Shape::kNeg:
                size(0.68 * e, a + 0.05 * e, 0);
                AddLine(box, {{0.06 * e, -a}, {0.62 * e, -a}, {0.62 * e, -a + 0.2 * e}}, t);
                break;
            case Shape::kEmptySet:
                size(0.62 * e, 0.74 * e, 0.06 * e);
                AddCircle(box, 0.31 * e, -0.34 * e, 0.25 * e, t);
                AddLine(box, {{0.04 * e, 0.04 * e}, {0.58 * e, -0.72 * e}}, t);
                break;
            case Shape::kOTimes:
            case Shape::kCirc:
            case Shape::kBullet: {
                const double r = shape == Shape::kOTimes ? 0.3 * e
                                 : shape == Shape::kCirc ? 0.13 * e
                                                         : 0.11 * e;
                size(2 * r + 0.12 * e, a + r + t, 0);
                const double cx = r + 0.06 * e;
                AddCircle(box, cx, -a, r, shape == Shape::kBullet ? 0 : t);
                if (shape == Shape::kOTimes) {
                    const double d = r * std::numbers::sqrt2 / 2;
                    AddLine(box, {{cx - d, -a - d}, {cx + d, -a + d}}, t);
                    AddLine(box, {{cx - d, -a + d}, {cx + d, -a - d}}, t);
                }
                break;
            }
            case Shape::kIn:
                size(0.66 * e, a + 0.27 * e, 0.02 * e);
                AddOpenCurve(box, 0.05 * e, 0.61 * e, -a - 0.25 * e, -a + 0.25 * e, t);
                AddLine(box, {{0.05 * e, -a}, {0.61 * e, -a}}, t);
                break;
            case Shape::kCup:
            case Shape::kCap: {
                size(0.7 * e, 0.6 * e, 0.02 * e);
                const bool bCup = shape == Shape::kCup;
                const double yEnd = bCup ? -0.6 * e : 0;
                const double yFar = bCup ? 0 : -0.6 * e;
                const double yTurn = bCup ? -0.28 * e : -0.32 * e;
                std::vector<DPoint> pts{{0.08 * e, yEnd}};
                AddCubic(pts, {0.08 * e, yTurn}, {0.08 * e, yFar}, {0.62 * e, yFar},
                         {0.62 * e, yTurn});
                pts.push_back({0.62 * e, yEnd});
                AddLine(box, std::move(pts), t);
                break;
            }
            case Shape::kWedge:
            case Shape::kVee: {
                size(0.66 * e, 0.6 * e, 0.02 * e);
                const double yEnd = shape == Shape::kWedge ? 0 : -0.58 * e;
                const double yTip = shape == Shape::kWedge ? -0.58 * e : 0;
                AddLine(box, {{0.08 * e, yEnd}, {0.33 * e, yTip}, {0.58 * e, yEnd}}, t);
                break;
            }
            case Shape::kAngle:
                size(0.78 * e, 0.64 * e, 0.02 * e);
                AddLine(box, {{0.62 * e, -0.62 * e}, {0.08 * e, 0}, {0.72 * e, 0}}, t);
                break;
            case Shape::kPerp:
                size(0.78 * e, 0.68 * e, 0.02 * e);
                AddLine(box, {{0.39 * e, -0.66 * e}, {0.39 * e, 0}}, t);
                AddLine(box, {{0.06 * e, 0}, {0.72 * e, 0}}, t);
                break;
            case Shape::kParallel:  // slanted, as Chinese textbooks write it
                size(0.56 * e, 0.74 * e, 0.22 * e);
                AddLine(box, {{0.06 * e, 0.2 * e}, {0.32 * e, -0.72 * e}}, t);
                AddLine(box, {{0.24 * e, 0.2 * e}, {0.5 * e, -0.72 * e}}, t);
                break;
            case Shape::kMid:
                size(0.28 * e, 0.74 * e, 0.24 * e);
                AddLine(box, {{0.14 * e, -0.72 * e}, {0.14 * e, 0.22 * e}}, t);
                break;
            case Shape::kDoubleBar:
                size(0.44 * e, 0.74 * e, 0.24 * e);
                AddLine(box, {{0.12 * e, -0.72 * e}, {0.12 * e, 0.22 * e}}, t);
                AddLine(box, {{0.32 * e, -0.72 * e}, {0.32 * e, 0.22 * e}}, t);
                break;
            case Shape::kOPlus:
            case Shape::kODot: {
                const double r = 0.3 * e;
                const double cx = r + 0.06 * e;
                size(2 * r + 0.12 * e, a + r + t, r - a + t);
                AddCircle(box, cx, -a, r, t);
                if (shape == Shape::kODot) {
                    AddCircle(box, cx, -a, std::max(0.06 * e, t * 0.7), 0);
                } else {
                    AddLine(box, {{cx - r, -a}, {cx + r, -a}}, t);
                    AddLine(box, {{cx, -a - r}, {cx, -a + r}}, t);
                }
                break;
            }
            case Shape::kTherefore:
            case Shape::kBecause: {
                size(0.62 * e, 0.62 * e, 0);
                const double r = std::max(0.06 * e, t * 0.7);
                const double yOne = shape == Shape::kTherefore ? -0.52 * e : -0.08 * e;
                const double yTwo = shape == Shape::kTherefore ? -0.08 * e : -0.52 * e;
                AddCircle(box, 0.31 * e, yOne, r, 0);
                AddCircle(box, 0.1 * e, yTwo, r, 0);
                AddCircle(box, 0.52 * e, yTwo, r, 0);
                break;
            }
            case Shape::kPropto: {
                size(0.78 * e, a + 0.2 * e, 0);
                auto at = [&](double x, double y) { return DPoint{x * e, -a + y * e}; };
                std::vector<DPoint> pts;
                AddCubic(pts, at(0.72, -0.16), at(0.55, -0.16), at(0.45, -0.1), at(0.38, 0));
                AddCubic(pts, at(0.38, 0), at(0.31, 0.1), at(0.26, 0.16), at(0.2, 0.16));
                AddCubic(pts, at(0.2, 0.16), at(0.1, 0.16), at(0.06, 0.08), at(0.06, 0));
                AddCubic(pts, at(0.06, 0), at(0.06, -0.08), at(0.1, -0.16), at(0.2, -0.16));
                AddCubic(pts, at(0.2, -0.16), at(0.26, -0.16), at(0.31, -0.1), at(0.38, 0));
                AddCubic(pts, at(0.38, 0), at(0.45, 0.1), at(0.55, 0.16), at(0.72, 0.16));
                AddLine(box, std::move(pts), t);
                break;
            }
            case Shape::kNLess:
            case Shape::kNGtr:
            case Shape::kLeqSlant:
            case Shape::kGeqSlant: {
                const bool bLess = shape == Shape::kNLess || shape == Shape::kLeqSlant;
                const bool bNot = shape == Shape::kNLess || shape == Shape::kNGtr;
                const double tip = (bLess ? 0.08 : 0.64) * e;
                const double open = (bLess ? 0.64 : 0.08) * e;
                const double y = bNot ? -a : -a - 0.1 * e;
                size(0.72 * e, bNot ? 0.64 * e : -y + 0.27 * e, bNot ? 0.12 * e : y + 0.47 * e);
                AddLine(box, {{open, y - 0.25 * e}, {tip, y}, {open, y + 0.25 * e}}, t);
                if (bNot) {
                    AddLine(box, {{0.2 * e, 0.1 * e}, {0.52 * e, -0.6 * e}}, t);
                } else {
                    AddLine(box, {{tip, y + 0.2 * e}, {open, y + 0.45 * e}}, t);
                }
                break;
            }
            case Shape::kBackSim:
            case Shape::kBackCong: {
                const bool bCong = shape == Shape::kBackCong;
                size(0.78 * e, a + (bCong ? 0.3 : 0.12) * e, 0);
                const double y = bCong ? -a - 0.18 * e : -a;
                AddWave(box, 0.72 * e, 0.06 * e, y, 0.08 * e, 1.2 * t);
                if (bCong) {
                    AddLine(box, {{0.06 * e, -a - 0.02 * e}, {0.72 * e, -a - 0.02 * e}}, t);
                    AddLine(box, {{0.06 * e, -a + 0.14 * e}, {0.72 * e, -a + 0.14 * e}}, t);
                }
                break;
            }
            default:
                return BigOperator(shape, st);
        }
        return box;
    }

    Box BigOperator(Shape shape, Style st) {
        const double e = Em(st);
        const double a = Axis(st);
        const double t = Rule(st);
        const bool bIntegral = shape == Shape::kInt || shape == Shape::kIInt ||
                               shape == Shape::kIIInt || shape == Shape::kOInt;
        const double h =
            (bIntegral ? (st.IsDisplay() ? 2.2 : 1.2) : (st.IsDisplay() ? 1.4 : 1.0)) * e;
        const double top = -a - h / 2;
        const double bottom = top + h;
        Box box;
        box.ascent = -top;
        box.descent = bottom;
        const double thin = std::max(t, 0.035 * h);
        const double thick = std::max(1.5 * t, 0.085 * h);
        if (bIntegral) {
            const double w = 0.4 * h;
            const int n = shape == Shape::kIInt ? 2 : shape == Shape::kIIInt ? 3 : 1;
            const double step = 0.55 * w;
            for (int k = 0; k < n; ++k) {
                const double x = k * step;
                const double stem = std::max(1.4 * t, 0.048 * h);
                AddSwell(box, {x + 0.95 * w, top + 0.08 * h}, {x + 0.7 * w, top - 0.1 * h},
                         {x + 0.3 * w, top + 1.1 * h}, {x + 0.05 * w, top + 0.92 * h}, 0.6 * t,
                         stem);
                // The ends, kept inside the box however small the sign.
                const double r = 0.7 * stem;
                AddCircle(box, std::min(x + 0.93 * w, x + w - r), top + 0.09 * h, r, 0);
                AddCircle(box, std::max(x + 0.07 * w, x + r), top + 0.91 * h, r, 0);
            }
            if (shape == Shape::kOInt) AddCircle(box, 0.5 * w, top + h / 2, 0.22 * w, t);
            box.width = w + (n - 1) * step;
            box.dSubKern = 0.35 * w;
            return box;
        }
        const double w = (shape == Shape::kSum ? 0.95 : 0.8) * h;
        box.width = w + 0.1 * e;
        const double l = 0.05 * e;
        const double r = l + w;
        switch (shape) {
            case Shape::kSum: {
                const double xm = l + 0.52 * w;
                const double ym = top + h / 2;
                AddRect(box, l, top, w, thin);
                AddRect(box, l, bottom - thin, w, thin);
                AddRect(box, r - thin, top, thin, 0.16 * h);
                AddRect(box, r - thin, bottom - 0.16 * h, thin, 0.16 * h);
                AddFill(box, {{l, top},
                              {l + thick * 1.2, top},
                              {xm + thick * 0.5, ym},
                              {xm - thick * 0.7, ym}});
                AddLine(box, {{xm, ym}, {l + thin / 2, bottom - thin}}, thin);
                break;
            }
            case Shape::kProd:
            case Shape::kCoprod: {
                const bool bUp = shape == Shape::kProd;
                const double barY = bUp ? top : bottom - thin;
                AddRect(box, l, barY, w, thin);
                for (double x : {l + 0.14 * w, r - 0.14 * w - thick}) {
                    AddRect(box, x, top, thick, h);
                    AddRect(box, x - 0.1 * w, bUp ? bottom - thin : top, thick + 0.2 * w, thin);
                }
                break;
            }
            default: {  // big union and intersection: a stroke kept inside the box
                const bool bCup = shape == Shape::kBigCup;
                const double pen = std::max(t, 0.06 * h);
                const double rad = 0.4 * w;
                const double x0 = l + 0.1 * w, x1 = r - 0.1 * w;
                const double yTop = top + pen / 2, yBottom = bottom - pen / 2;
                std::vector<DPoint> pts;
                const double yEnd = bCup ? yTop : yBottom;
                const double yTurn = bCup ? yBottom - rad : yTop + rad;
                const double yFar = bCup ? yBottom : yTop;
                pts.push_back({x0, yEnd});
                AddCubic(pts, {x0, yTurn}, {x0, yFar}, {x1, yFar}, {x1, yTurn});
                pts.push_back({x1, yEnd});
                AddLine(box, std::move(pts), pen);
                break;
            }
        }
        return box;
    }

    // --- Delimiters ----------------------------------------------------------------------

    // A delimiter dTotal high, centred on the axis.
    Box Delimiter(Delim delim, double dTotal, Style st) {
        const double e = Em(st);
        const double t = Rule(st);
        const double top = -Axis(st) - dTotal / 2;
        const double bottom = top + dTotal;
        const double grow = std::max(0.0, dTotal / e - 1);
        Box box;
        box.ascent = -top;
        box.descent = bottom;
        const double stem = std::max(t, 0.06 * e);
        const double pad = 0.06 * e;
        switch (delim) {
            case Delim::kNone:
                box.width = 0.12 * e;
                break;
            case Delim::kParenL:
            case Delim::kParenR: {
                const double w = std::min(0.6, 0.36 + 0.06 * grow) * e;
                box.width = w;
                const bool bLeft = delim == Delim::kParenL;
                const double tipX = bLeft ? w - pad : pad;
                const double bulge = bLeft ? pad : w - pad;
                const double dir = bLeft ? 1 : -1;
                const double thick = std::max(t * 1.2, std::min(0.1, 0.075 + 0.01 * grow) * e);
                auto ctl = [&](double mid) { return (mid - 0.25 * tipX) / 0.75; };
                std::vector<DPoint> pts;
                AddCubic(pts, {tipX, top}, {ctl(bulge), top + 0.2 * dTotal},
                         {ctl(bulge), bottom - 0.2 * dTotal}, {tipX, bottom}, 16);
                std::vector<DPoint> inner;
                const double innerMid = ctl(bulge + dir * thick);
                AddCubic(inner, {tipX, bottom}, {innerMid, bottom - 0.22 * dTotal},
                         {innerMid, top + 0.22 * dTotal}, {tipX, top}, 16);
                pts.insert(pts.end(), inner.begin() + 1, inner.end());
                AddFill(box, std::move(pts));
                break;
            }
            case Delim::kBracketL:
            case Delim::kBracketR:
            case Delim::kFloorL:
            case Delim::kFloorR:
            case Delim::kCeilL:
            case Delim::kCeilR: {
                const double w = 0.34 * e;
                box.width = w;
                const bool bLeft =
                    delim == Delim::kBracketL || delim == Delim::kFloorL || delim == Delim::kCeilL;
                const double x = bLeft ? pad + 0.04 * e : w - pad - 0.04 * e - stem;
                AddRect(box, x, top, stem, dTotal);
                const double serifX = bLeft ? x : pad;
                const double serifW = w - 2 * pad - 0.04 * e;
                if (delim != Delim::kFloorL && delim != Delim::kFloorR)
                    AddRect(box, serifX, top, serifW, t);
                if (delim != Delim::kCeilL && delim != Delim::kCeilR)
                    AddRect(box, serifX, bottom - t, serifW, t);
                break;
            }
            case Delim::kBraceL:
            case Delim::kBraceR: {
                const double w = std::min(0.7, 0.5 + 0.04 * grow) * e;
                box.width = w;
                const bool bLeft = delim == Delim::kBraceL;
                AddVerticalBrace(box, bLeft ? w - pad : pad, bLeft ? pad : w - pad, top, bottom,
                                 std::max(t * 1.2, 0.06 * e));
                break;
            }
            case Delim::kVert:
                box.width = 0.28 * e;
                AddRect(box, 0.14 * e - stem / 2, top, stem * 0.8, dTotal);
                break;
            case Delim::kDoubleVert:
                box.width = 0.44 * e;
                AddRect(box, 0.12 * e - stem / 2, top, stem * 0.8, dTotal);
                AddRect(box, 0.32 * e - stem / 2, top, stem * 0.8, dTotal);
                break;
            case Delim::kAngleL:
            case Delim::kAngleR: {
                const double w = std::min(0.9, 0.38 + 0.1 * grow) * e;
                box.width = w;
                const bool bLeft = delim == Delim::kAngleL;
                const double tip = bLeft ? pad : w - pad;
                const double open = bLeft ? w - pad : pad;
                AddLine(box, {{open, top + t}, {tip, (top + bottom) / 2}, {open, bottom - t}},
                        std::max(t, 0.05 * e));
                break;
            }
        }
        return box;
    }

    // A curly brace from x "open" (its ends) to x "tip" (its point), top to bottom.
    static void AddVerticalBrace(Box& box, double open, double tip, double top, double bottom,
                                 double dPen) {
        const double mid = (top + bottom) / 2;
        const double xm = (open + tip) / 2;
        const double r = std::min(std::abs(open - tip) * 0.8, (mid - top) / 2);
        std::vector<DPoint> pts;
        AddCubic(pts, {open, top + dPen / 2}, {xm, top}, {xm, top}, {xm, top + r});
        AddCubic(pts, {xm, mid - r}, {xm, mid}, {xm, mid}, {tip, mid});
        AddCubic(pts, {tip, mid}, {xm, mid}, {xm, mid}, {xm, mid + r});
        AddCubic(pts, {xm, bottom - r}, {xm, bottom}, {xm, bottom}, {open, bottom - dPen / 2});
        AddLine(box, std::move(pts), dPen);
    }

    Box Delimited(const Node& node, Style st) {
        Box inner = Layout(*node.kids[0], st);
        const double a = Axis(st);
        const double cover = 2 * std::max(inner.ascent - a, inner.descent + a) + 0.1 * Em(st);
        const double total = std::max(Em(st), cover);
        Box left = Delimiter(node.left, total, st);
        Box right = Delimiter(node.right, total, st);
        Box box;
        box.ascent = std::max({left.ascent, inner.ascent, right.ascent});
        box.descent = std::max({left.descent, inner.descent, right.descent});
        const double xInner = left.width;
        const double xRight = xInner + inner.width;
        box.width = xRight + right.width;
        Place(box, std::move(left), 0, 0);
        Place(box, std::move(inner), xInner, 0);
        Place(box, std::move(right), xRight, 0);
        return box;
    }

    // --- Fractions and roots -------------------------------------------------------------

    Box Fraction(const Node& node, Style st) {
        Style fs = st;
        if (node.fracStyle == FracStyle::kDisplay) fs.nLevel = 0;
        if (node.fracStyle == FracStyle::kText) fs.nLevel = std::max(1, st.nLevel);
        Box num = Layout(*node.kids[0], fs.Num());
        Box den = Layout(*node.kids[1], fs.Den());
        const double e = Em(fs);
        const double t = Rule(fs);
        const double a = Axis(fs);
        double u = (fs.IsDisplay() ? 0.677 : 0.394) * e;
        double v = (fs.IsDisplay() ? 0.686 : 0.345) * e;
        if (node.bBar) {
            const double clear = fs.IsDisplay() ? 3 * t : t;
            u += std::max(0.0, clear - ((u - num.descent) - (a + t / 2)));
            v += std::max(0.0, clear - ((a - t / 2) - (den.ascent - v)));
        } else {
            const double clear = fs.IsDisplay() ? 7 * t : 3 * t;
            const double gap = (u - num.descent) - (den.ascent - v);
            if (gap < clear) {
                u += (clear - gap) / 2;
                v += (clear - gap) / 2;
            }
        }
        const double pad = 0.12 * e;
        const double inner = std::max(num.width, den.width);
        Box box;
        box.width = inner + 2 * pad;
        box.ascent = u + num.ascent;
        box.descent = v + den.descent;
        if (node.bBar) AddRect(box, pad * 0.5, -a - t / 2, inner + pad, t);
        const double numX = pad + (inner - num.width) / 2;
        const double denX = pad + (inner - den.width) / 2;
        Place(box, std::move(num), numX, -u);
        Place(box, std::move(den), denX, v);
        return box;
    }

    Box Root(const Node& node, Style st) {
        Box inner = Layout(*node.kids[0], st.Cramped());
        const double e = Em(st);
        const double t = Rule(st);
        const double clear = st.IsDisplay() ? t + XHeight(st) / 4 : 1.25 * t;
        const double top = -(inner.ascent + clear + t);
        const double bottom = std::max(inner.descent + 0.08 * e, top + 0.85 * e);
        const double h = bottom - top;
        const double k = std::min(1.0, h / e);
        const double ws = std::min(0.9, 0.5 + 0.06 * h / e) * e;
        Box index;
        double x0 = 0;
        if (node.kids.size() > 1) {
            index = Layout(*node.kids[1], Style{3, false});
            x0 = std::max(0.0, index.width + 0.05 * e - 0.45 * ws);
        }
        Box box;
        const DPoint pa{x0 + 0.02 * ws, bottom - 0.36 * k * e};
        const DPoint pb{x0 + 0.22 * ws, bottom - 0.46 * k * e};
        const DPoint pc{x0 + 0.5 * ws, bottom};
        const DPoint pd{x0 + ws, top + t / 2};
        AddLine(box, {pa, pb}, t);
        AddFill(box, {{pb.x - t * 0.8, pb.y + t * 0.4},
                      {pb.x + t * 0.8, pb.y - t * 0.4},
                      {pc.x + t * 0.6, pc.y},
                      {pc.x - t * 0.4, pc.y}});
        AddLine(box, {pc, pd}, t);
        const double innerX = x0 + ws + 0.06 * e;
        AddRect(box, x0 + ws - t / 2, top, inner.width + 0.12 * e + t / 2, t);
        box.width = innerX + inner.width + 0.1 * e;
        box.ascent = -top + t;
        box.descent = std::max(inner.descent, bottom + t / 2);
        Place(box, std::move(inner), innerX, 0);
        if (node.kids.size() > 1) {
            const double baseY = bottom - 0.6 * h - index.descent;
            box.ascent = std::max(box.ascent, -baseY + index.ascent);
            Place(box, std::move(index), std::max(0.0, x0 + 0.45 * ws - index.width), baseY);
        }
        return box;
    }

    // --- Scripts -------------------------------------------------------------------------

    static bool TakesLimits(const Node& base, Style st) {
        if (base.kind == NodeKind::kAccent)
            return base.accent == Accent::kOverBrace || base.accent == Accent::kUnderBrace;
        if (base.kind != NodeKind::kAtom || !base.bLargeOp) return false;
        return base.limits == Limits::kAbove || (base.limits == Limits::kAuto && st.IsDisplay());
    }

    Box Scripts(const Node& node, Style st) {
        const Node& baseNode = *node.kids[0];
        Box base = Layout(baseNode, st);
        std::optional<Box> sup, sub;
        if (node.pSup) sup = Layout(*node.pSup, st.Sup());
        if (node.pSub) sub = Layout(*node.pSub, st.Sub());
        const double e = Em(st);
        if (TakesLimits(baseNode, st)) {
            const double w = std::max({base.width, sup ? sup->width : 0, sub ? sub->width : 0});
            Box box;
            box.width = w;
            box.ascent = base.ascent;
            box.descent = base.descent;
            if (sup) {
                const double gap = std::max(0.111 * e, 0.2 * e - sup->descent);
                const double y = -(base.ascent + gap + sup->descent);
                box.ascent = -y + sup->ascent + 0.1 * e;
                Place(box, std::move(*sup), (w - sup->width) / 2, y);
            }
            if (sub) {
                const double gap = std::max(0.167 * e, 0.6 * e - sub->ascent);
                const double y = base.descent + gap + sub->ascent;
                box.descent = y + sub->descent + 0.1 * e;
                Place(box, std::move(*sub), (w - sub->width) / 2, y);
            }
            Place(box, std::move(base), (w - base.width) / 2, 0);
            return box;
        }
        const double xh = XHeight(st);
        const double t = Rule(st);
        const double supSize = Em(st.Sup());
        double u = base.bChar ? 0 : base.ascent - 0.386 * supSize;
        double v = base.bChar ? 0 : base.descent + 0.05 * supSize;
        if (sup) {
            const double p = st.IsDisplay() && !st.bCramped ? 0.413 : st.bCramped ? 0.289 : 0.363;
            u = std::max({u, p * e, sup->descent + xh / 4});
        }
        if (sub && !sup) v = std::max({v, 0.15 * e, sub->ascent - 0.8 * xh});
        if (sub && sup) {
            v = std::max(v, 0.247 * e);
            if ((u - sup->descent) - (sub->ascent - v) < 4 * t)
                v = 4 * t - u + sup->descent + sub->ascent;
            const double psi = 0.8 * xh - (u - sup->descent);
            if (psi > 0) {
                u += psi;
                v -= psi;
            }
        }
        Box box;
        box.ascent = base.ascent;
        box.descent = base.descent;
        const double space = 0.05 * e;
        double w = base.width;
        if (sup) {
            box.ascent = std::max(box.ascent, u + sup->ascent);
            box.descent = std::max(box.descent, sup->descent - u);
            const double x = base.width + base.dSupKern;
            w = std::max(w, x + sup->width + space);
            Place(box, std::move(*sup), x, -u);
        }
        if (sub) {
            box.descent = std::max(box.descent, v + sub->descent);
            box.ascent = std::max(box.ascent, sub->ascent - v);
            const double x = base.width - base.dSubKern;
            w = std::max(w, x + sub->width + space);
            Place(box, std::move(*sub), x, v);
        }
        box.width = w;
        Place(box, std::move(base), 0, 0);
        return box;
    }

    // --- Accents -------------------------------------------------------------------------

    Box Accented(const Node& node, Style st) {
        Box inner = Layout(*node.kids[0], st.Cramped());
        const double e = Em(st);
        const double t = Rule(st);
        const double w = inner.width;
        const double skew = inner.bChar ? inner.dSubKern : 0;
        const double cx = w / 2 + skew / 2;
        const double over = std::max(inner.ascent, XHeight(st));
        Box box;
        box.width = w;
        box.ascent = inner.ascent;
        box.descent = inner.descent;
        auto raise = [&](double dTop) { box.ascent = std::max(box.ascent, dTop); };
        switch (node.accent) {
            case Accent::kOverline:
            case Accent::kBar: {
                const double y = -(inner.ascent + 3 * t) - t;
                const double inset = node.accent == Accent::kBar && inner.bChar ? 0.08 * w : 0;
                AddRect(box, inset + skew / 2, y, w - 2 * inset, t);
                raise(-y + t);
                break;
            }
            case Accent::kUnderline: {
                const double y = inner.descent + 3 * t;
                AddRect(box, 0, y, w, t);
                box.descent = y + 2 * t;
                break;
            }
            case Accent::kVec: {
                const double len = std::max(0.42 * e, std::min(w, 0.6 * e));
                const double y = -(over + 0.14 * e);
                AddArrow(box, cx - len / 2, cx + len / 2, y, 0.12 * e, t, false);
                raise(-y + 0.12 * e);
                box.width = std::max(w, cx + len / 2);
                break;
            }
            case Accent::kOverRightArrow:
            case Accent::kOverLeftArrow: {
                const double y = -(inner.ascent + 0.16 * e);
                const bool bRight = node.accent == Accent::kOverRightArrow;
                const double x0 = 0.02 * e + skew / 2, x1 = std::max(w, 0.5 * e) + skew / 2;
                AddArrow(box, bRight ? x0 : x1, bRight ? x1 : x0, y, 0.14 * e, t, false);
                raise(-y + 0.14 * e);
                box.width = std::max(w, x1);
                break;
            }
            case Accent::kHat:
            case Accent::kCheck: {
                const double hw = std::clamp(w * 0.9, 0.36 * e, std::max(0.36 * e, w));
                const double hh = std::min(0.25, 0.12 + 0.03 * hw / e) * e;
                const double base = -(over + 0.08 * e);
                const bool bHat = node.accent == Accent::kHat;
                AddLine(box,
                        {{cx - hw / 2, bHat ? base : base - hh},
                         {cx, bHat ? base - hh : base},
                         {cx + hw / 2, bHat ? base : base - hh}},
                        t * 1.2);
                raise(-base + hh + t);
                break;
            }
            case Accent::kTilde: {
                const double tw = std::clamp(w * 0.9, 0.4 * e, std::max(0.4 * e, w));
                const double y = -(over + 0.14 * e);
                AddWave(box, cx - tw / 2, cx + tw / 2, y, 0.05 * e, t * 1.2);
                raise(-y + 0.12 * e);
                break;
            }
            case Accent::kDot:
            case Accent::kDDot: {
                const double y = -(over + 0.12 * e);
                const double r = std::max(0.05 * e, t * 0.7);
                if (node.accent == Accent::kDot) {
                    AddCircle(box, cx, y, r, 0);
                } else {
                    AddCircle(box, cx - 0.12 * e, y, r, 0);
                    AddCircle(box, cx + 0.12 * e, y, r, 0);
                }
                raise(-y + r);
                break;
            }
            case Accent::kOverBrace:
            case Accent::kUnderBrace: {
                const bool bOver = node.accent == Accent::kOverBrace;
                const double depth = 0.28 * e;
                const double gap = 0.1 * e;
                const double yOpen = bOver ? -(inner.ascent + gap) : inner.descent + gap;
                const double yTip = bOver ? yOpen - depth : yOpen + depth;
                AddHorizontalBrace(box, 0, w, yOpen, yTip, std::max(t, 0.05 * e));
                if (bOver)
                    raise(-yTip + t);
                else
                    box.descent = yTip + t;
                break;
            }
        }
        Place(box, std::move(inner), 0, 0);
        ContainInk(box);  // an accent may be wider than a narrow base
        return box;
    }

    // A curly brace lying on its side: its ends at height yOpen, its point at yTip.
    static void AddHorizontalBrace(Box& box, double x0, double x1, double yOpen, double yTip,
                                   double dPen) {
        const double mid = (x0 + x1) / 2;
        const double ym = (yOpen + yTip) / 2;
        const double r = std::min(std::abs(yTip - yOpen) * 0.8, (mid - x0) / 2);
        std::vector<DPoint> pts;
        AddCubic(pts, {x0, yOpen}, {x0, ym}, {x0, ym}, {x0 + r, ym});
        AddCubic(pts, {mid - r, ym}, {mid, ym}, {mid, ym}, {mid, yTip});
        AddCubic(pts, {mid, yTip}, {mid, ym}, {mid, ym}, {mid + r, ym});
        AddCubic(pts, {x1 - r, ym}, {x1, ym}, {x1, ym}, {x1, yOpen});
        AddLine(box, std::move(pts), dPen);
    }

    // --- Arrays --------------------------------------------------------------------------

    Box Array(const Node& node, Style st) {
        const Style cellStyle = node.bTextStyle && st.nLevel == 0 ? Style{1, st.bCramped} : st;
        const double e = Em(st);
        std::vector<std::vector<Box>> cells;
        std::vector<double> widths;
        for (const NodePtr& pRow : node.kids) {
            std::vector<Box> row;
            for (std::size_t c = 0; c < pRow->kids.size(); ++c) {
                const Node& cell = *pRow->kids[c];
                const bool bRightHalf = node.bPairs && c % 2 == 1;
                row.push_back(cell.kind == NodeKind::kRow ? Row(cell.kids, cellStyle, bRightHalf)
                                                          : Layout(cell, cellStyle));
                if (widths.size() <= c) widths.push_back(0);
                widths[c] = std::max(widths[c], row.back().width);
            }
            cells.push_back(std::move(row));
        }
        std::vector<double> xs;
        double x = 0;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            if (c > 0) x += (node.bPairs && c % 2 == 1) ? 0 : node.dColumnGapEm * e;
            xs.push_back(x);
            x += widths[c];
        }
        Box box;
        box.width = x;
        const double strutAsc = 0.7 * e, strutDesc = 0.3 * e;
        double y = 0;
        std::vector<double> baselines;
        double prevDesc = 0;
        for (std::size_t r = 0; r < cells.size(); ++r) {
            double asc = strutAsc, desc = strutDesc;
            for (const Box& cell : cells[r]) {
                asc = std::max(asc, cell.ascent);
                desc = std::max(desc, cell.descent);
            }
            y += (r == 0 ? 0 : prevDesc + node.dRowGapEm * e) + asc;
            baselines.push_back(y);
            prevDesc = desc;
        }
        const double total = y + prevDesc;
        const double shift = total / 2 + Axis(st);  // centre on the axis
        box.ascent = shift;
        box.descent = total - shift;
        for (std::size_t r = 0; r < cells.size(); ++r) {
            for (std::size_t c = 0; c < cells[r].size(); ++c) {
                Box& cell = cells[r][c];
                const std::string& align = node.strAlign;
                const char how = align.empty() ? 'c' : align[c % align.size()];
                const double slack = widths[c] - cell.width;
                const double dx = how == 'l' ? 0 : how == 'r' ? slack : slack / 2;
                Place(box, std::move(cell), xs[c] + dx, baselines[r] - shift);
            }
        }
        return box;
    }

    const IFormulaMetrics& m_metrics;
    double m_dBase;
};

}  // namespace

double CEstimateMetrics::TextWidth(const FontDesc& font, std::string_view gbk) const {
    // Advance widths of Times New Roman in thousandths of an em, from the space to the tilde.
    static constexpr short kAscii[95] = {
        250, 333, 408, 500, 500, 833, 778, 180, 333, 333, 500, 564, 250, 333, 250, 278,  //
        500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 278, 278, 564, 564, 564, 444,  //
        921, 722, 667, 667, 722, 611, 556, 722, 722, 333, 389, 722, 611, 889, 722, 722,  //
        556, 722, 667, 556, 611, 722, 722, 944, 722, 722, 611, 333, 278, 333, 469, 500,  //
        333, 444, 500, 444, 500, 444, 333, 500, 500, 278, 278, 500, 278, 778, 500, 500,  //
        500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444, 480, 200, 480, 541};
    double dMilli = 0;
    for (std::size_t i = 0; i < gbk.size(); ++i) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b >= 0x20 && b < 0x7F) {
            dMilli += kAscii[b - 0x20];
        } else if (b >= 0x81 && i + 1 < gbk.size()) {
            dMilli += font.face == Face::kCjk ? 1000 : b == 0xA6 ? 560 : b < 0xB0 ? 800 : 1000;
            ++i;
        } else {
            dMilli += 500;
        }
    }
    return dMilli * font.nSize / 1000 * (font.bBold ? 1.05 : 1.0);
}

DRect ItemBounds(const DrawItem& item) {
    DRect r;
    switch (item.kind) {
        case DrawItem::kText:
            return {item.x, item.y - item.dAscent, item.x + item.w, item.y + item.dDescent};
        case DrawItem::kRect:
        case DrawItem::kEllipse:
            r = {item.x, item.y, item.x + item.w, item.y + item.h};
            break;
        case DrawItem::kPolygon:
        case DrawItem::kPolyline:
            if (item.points.empty()) return r;
            r = {item.points[0].x, item.points[0].y, item.points[0].x, item.points[0].y};
            for (const DPoint& p : item.points) {
                r.left = std::min(r.left, p.x);
                r.right = std::max(r.right, p.x);
                r.top = std::min(r.top, p.y);
                r.bottom = std::max(r.bottom, p.y);
            }
            break;
    }
    const double half = item.dPen / 2;
    return {r.left - half, r.top - half, r.right + half, r.bottom + half};
}

void ContainInk(Box& box) {
    if (box.items.empty()) return;
    DRect ink = ItemBounds(box.items[0]);
    for (const DrawItem& item : box.items) {
        const DRect r = ItemBounds(item);
        ink = {std::min(ink.left, r.left), std::min(ink.top, r.top), std::max(ink.right, r.right),
               std::max(ink.bottom, r.bottom)};
    }
    if (ink.left < 0) {
        Box moved;
        Place(moved, std::move(box), -ink.left, 0);
        box.items = std::move(moved.items);
        box.width -= ink.left;
        ink.right -= ink.left;
    }
    box.width = std::max(box.width, ink.right);
    box.ascent = std::max(box.ascent, -ink.top);
    box.descent = std::max(box.descent, ink.bottom);
}

Box LayoutFormula(const Node& root, const IFormulaMetrics& metrics, double dBaseSize) {
    if (!(dBaseSize > 0) || !std::isfinite(dBaseSize)) dBaseSize = kBaseFontSize;
    return Layouter(metrics, dBaseSize).Layout(root, Style{0, false});
}

}  // namespace tessel::formula
