#pragma once

#include <map>
#include <memory>
#include <string_view>
#include <tuple>

#include "formula/layout.h"
#include "platform/gdi.h"

// Measuring and drawing a laid-out formula through a platform drawing context. Like all text
// measurement of the platform, this needs its fonts (a running QGuiApplication).
namespace tessel::formula {

// The LOGFONT of a formula font: the serif face (Times New Roman) or the CJK face (SimSun).
LOGFONT MakeLogFont(const FontDesc& font);

// Fonts made once per face, style and size, for as long as the cache lives.
class CFontCache {
  public:
    CFont* Get(const FontDesc& font);

  private:
    std::map<std::tuple<int, bool, bool, int>, std::unique_ptr<CFont>> m_fonts;
};

// Text widths as the context's fonts give them.
class CDCMetrics : public IFormulaMetrics {
  public:
    explicit CDCMetrics(CDC* pDC) : m_pDC(pDC) {}
    double TextWidth(const FontDesc& font, std::string_view gbk) const override;

  private:
    CDC* m_pDC;
    mutable CFontCache m_fonts;
};

// Draws the box's items in black with the left end of its baseline at (dX, dY) device
// pixels. The context's selections, colours and modes are as before afterwards.
void RenderBox(CDC* pDC, const Box& box, double dX, double dY);

}  // namespace tessel::formula
