#include "formula_image.h"

#include <algorithm>
#include <cmath>

#include "formula/formula.h"
#include "platform/gdi.h"

namespace tessel::formula_editor {

QImage DrawFormula(CFormula& formula, double dZoom) {
    const CRect rc = formula.GetRect();
    const int nWidth = rc.Width(), nHeight = rc.Height() - CFormula::kBottomSlack;
    if (nWidth <= 0 || nHeight <= 0) return {};
    if (!(dZoom > 0) || !std::isfinite(dZoom)) dZoom = 1.0;
    double dWidth = nWidth * dZoom, dHeight = nHeight * dZoom;
    const double dFit = std::min({1.0, kMaxImageSide / dWidth, kMaxImageSide / dHeight,
                                  std::sqrt(kMaxImagePixels / (dWidth * dHeight))});
    const int w = std::max(1, static_cast<int>(std::lround(dWidth * dFit)));
    const int h = std::max(1, static_cast<int>(std::lround(dHeight * dFit)));

    CDC mem;
    CBitmap bitmap;
    if (!mem.CreateCompatibleDC(nullptr) || !bitmap.CreateBitmap(w, h)) return {};
    CBitmap* pOld = mem.SelectObject(&bitmap);
    mem.PatBlt(0, 0, w, h, WHITENESS);
    formula.Draw(&mem, CRect(0, 0, w, h), 1.0);
    mem.SelectObject(pOld);

    // Top-down 32-bit rows (blue, green, red, 0) are a QImage's RGB32 rows once the fourth
    // byte is made opaque.
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull() || image.bytesPerLine() != DibStride(w, 32)) return {};
    BITMAPINFO info;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (GetDIBits(nullptr, &bitmap, 0, static_cast<unsigned>(h), image.bits(), &info,
                  DIB_RGB_COLORS) != h)
        return {};
    for (int y = 0; y < h; ++y) {
        auto* pRow = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            pRow[x] |= 0xFF000000u;
    }
    return image;
}

}  // namespace tessel::formula_editor
