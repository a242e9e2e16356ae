#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formula/node.h"

// Lays a formula tree out as boxes, TeX fashion: every item has a width, a height above the
// baseline (ascent) and a depth below it (descent). The result is a flat list of things to
// draw, in pixels, relative to the left end of the formula's baseline, y growing downwards.
// Nothing here draws; text widths come from a metrics object, so the layout can be run
// without a drawing context (CEstimateMetrics) or against real fonts (render.h).
namespace tessel::formula {

// The size of the formula's letters, in pixels, at natural size.
inline constexpr double kBaseFontSize = 20;

// A font: its face, style and size in pixels.
struct FontDesc {
    Face face = Face::kSerif;
    bool bItalic = false;
    bool bBold = false;
    int nSize = 20;

    bool operator==(const FontDesc&) const = default;
};

// Face names as the drawing context takes them (GBK).
inline constexpr const char* kSerifFaceGbk = "Times New Roman";
inline constexpr const char* kCjkFaceGbk = "\xCB\xCE\xCC\xE5";  // SimSun

// Widths of text.
class IFormulaMetrics {
  public:
    virtual ~IFormulaMetrics() = default;
    // The advance width of GBK text in the font, in pixels.
    virtual double TextWidth(const FontDesc& font, std::string_view gbk) const = 0;
};

// Widths from a built-in table shaped after Times New Roman: no fonts needed. Used where no
// drawing context is at hand (tests, the fuzz target).
class CEstimateMetrics : public IFormulaMetrics {
  public:
    double TextWidth(const FontDesc& font, std::string_view gbk) const override;
};

struct DPoint {
    double x = 0;
    double y = 0;
};

struct DRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// One thing to draw.
struct DrawItem {
    enum Kind {
        kText,      // strGbk in font, left end of the baseline at (x, y); w its width
        kRect,      // a filled rectangle: (x, y) top left, w × h
        kPolygon,   // a filled polygon through points
        kPolyline,  // a line through points, dPen wide
        kEllipse,   // inside the rectangle (x, y) w × h; filled when dPen is 0
    };
    Kind kind = kRect;
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
    double dPen = 0;
    // kText: how far the letters reach above and below the baseline
    double dAscent = 0;
    double dDescent = 0;
    FontDesc font;
    std::string strGbk;
    std::vector<DPoint> points;
};

// The area an item covers (pens and letters included).
DRect ItemBounds(const DrawItem& item);

struct Box {
    double width = 0;
    double ascent = 0;
    double descent = 0;
    std::vector<DrawItem> items;

    // How scripts attach: a superscript moves right by dSupKern beyond the width (the slant
    // of an italic letter), a subscript moves left by dSubKern (under an integral's foot).
    double dSupKern = 0;
    double dSubKern = 0;
    bool bChar = false;  // a single character: scripts sit at fixed heights
};

// Widens the box (moving its items right when some reach left of it) and makes it taller,
// where needed, to contain every item.
void ContainInk(Box& box);

// Lays out a formula at dBaseSize pixels, in display style.
Box LayoutFormula(const Node& root, const IFormulaMetrics& metrics,
                  double dBaseSize = kBaseFontSize);

}  // namespace tessel::formula
