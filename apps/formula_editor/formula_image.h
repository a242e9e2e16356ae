#pragma once

#include <QImage>

class CFormula;

namespace tessel::formula_editor {

// The preview never grows larger than this many pixels a side, nor than kMaxImagePixels in
// all: a large formula at a large zoom is drawn smaller, to fit.
inline constexpr int kMaxImageSide = 4096;
inline constexpr double kMaxImagePixels = 4.0e6;

// The formula drawn black on white by the formula module, dZoom times the size a page gives
// it (the width GetRect reports, the height less CFormula::kBottomSlack). A null image for an
// empty formula, or when there is no memory for the drawing.
QImage DrawFormula(CFormula& formula, double dZoom);

}  // namespace tessel::formula_editor
