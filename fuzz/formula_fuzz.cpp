// Reads arbitrary bytes as a formula file and lays the formula out, without drawing.
//
// - Reading never crashes, hangs or recurses without bound; a refusal names a place in the
//   text (line and column from 1) and a reason.
// - A formula that is read is laid out at two sizes. Every number of the layout is finite,
//   every box has a width and a height of at least 0, and everything drawn lies within the
//   formula's box (half a pixel of rounding allowed), so nothing is cut off when the formula
//   is drawn in the rectangle it reports.
// On a failure the input and the offending item are printed and the target aborts.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "formula/layout.h"
#include "formula/parser.h"
#include "print_bytes.h"

namespace {

using tessel::formula::Box;
using tessel::formula::CEstimateMetrics;
using tessel::formula::DrawItem;
using tessel::formula::DRect;
using tessel::formula::ItemBounds;
using tessel::formula::LayoutFormula;
using tessel::formula::ParseFormula;
using tessel::formula::ParseResult;

[[noreturn]] void Fail(std::string_view input, const char* szWhat) {
    PrintBytes("input", input);
    std::fprintf(stderr, "formula_fuzz: %s\n", szWhat);
    std::fflush(stderr);
    std::abort();
}

bool Finite(const DRect& r) {
    return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.right) &&
           std::isfinite(r.bottom);
}

void CheckLayout(std::string_view input, const Box& box, double dBase) {
    if (!std::isfinite(box.width) || !std::isfinite(box.ascent) || !std::isfinite(box.descent))
        Fail(input, "the formula's box is not finite");
    if (box.width < 0 || box.ascent + box.descent < 0) Fail(input, "a negative extent");
    constexpr double kSlack = 0.5;
    for (const DrawItem& item : box.items) {
        const DRect r = ItemBounds(item);
        if (!Finite(r)) Fail(input, "an item has a coordinate that is not finite");
        if (item.kind == DrawItem::kText && item.font.nSize < 1) Fail(input, "a font of no size");
        if (r.left < -kSlack || r.right > box.width + kSlack || r.top < -box.ascent - kSlack ||
            r.bottom > box.descent + kSlack) {
            std::fprintf(stderr,
                         "base %g: item kind %d at [%g %g %g %g], box width %g ascent %g "
                         "descent %g\n",
                         dBase, static_cast<int>(item.kind), r.left, r.top, r.right, r.bottom,
                         box.width, box.ascent, box.descent);
            Fail(input, "an item lies outside the formula's box");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string_view input(reinterpret_cast<const char*>(pData), nSize);
    const ParseResult result = ParseFormula(input);
    if (!result.Ok()) {
        if (result.strError.empty() || result.nLine < 1 || result.nColumn < 1)
            Fail(input, "a refusal without a place or a reason");
        return 0;
    }
    const CEstimateMetrics metrics;
    for (double dBase : {20.0, 7.0})
        CheckLayout(input, LayoutFormula(*result.pRoot, metrics, dBase), dBase);
    return 0;
}
