#include "formula/render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace tessel::formula {
namespace {

int Round(double d) {
    return static_cast<int>(std::lround(d));
}

std::vector<CPoint> DevicePoints(const DrawItem& item, double dX, double dY) {
    std::vector<CPoint> pts;
    pts.reserve(item.points.size());
    for (const DPoint& p : item.points)
        pts.emplace_back(Round(p.x + dX), Round(p.y + dY));
    return pts;
}

}  // namespace

LOGFONT MakeLogFont(const FontDesc& font) {
    LOGFONT lf;
    lf.lfHeight = -std::max(1, font.nSize);
    lf.lfWeight = font.bBold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.bItalic ? 1 : 0;
    const char* szFace = font.face == Face::kCjk ? kCjkFaceGbk : kSerifFaceGbk;
    lf.lfCharSet = font.face == Face::kCjk ? GB2312_CHARSET : DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, szFace, LF_FACESIZE - 1);
    return lf;
}

CFont* CFontCache::Get(const FontDesc& font) {
    auto key = std::make_tuple(static_cast<int>(font.face), font.bItalic, font.bBold, font.nSize);
    std::unique_ptr<CFont>& pFont = m_fonts[key];
    if (!pFont) {
        pFont = std::make_unique<CFont>();
        const LOGFONT lf = MakeLogFont(font);
        pFont->CreateFontIndirect(&lf);
    }
    return pFont.get();
}

double CDCMetrics::TextWidth(const FontDesc& font, std::string_view gbk) const {
    if (!m_pDC || gbk.empty()) return 0;
    CFont* pOld = m_pDC->SelectObject(m_fonts.Get(font));
    const double dWidth = m_pDC->GetTextExtent(gbk).cx;
    m_pDC->SelectObject(pOld);
    return dWidth;
}

void RenderBox(CDC* pDC, const Box& box, double dX, double dY) {
    if (!pDC) return;
    const COLORREF kInk = RGB(0, 0, 0);
    CFontCache fonts;
    std::map<int, std::unique_ptr<CPen>> pens;
    auto pen = [&pens, kInk](double dWidth) {
        const int nWidth = std::max(1, Round(dWidth));
        std::unique_ptr<CPen>& pPen = pens[nWidth];
        if (!pPen) pPen = std::make_unique<CPen>(PS_SOLID, nWidth, kInk);
        return pPen.get();
    };
    CBrush ink(kInk);
    CBrush hollow;
    hollow.CreateNullBrush();

    const int nSaved = pDC->SaveDC();
    pDC->SetTextColor(kInk);
    pDC->SetBkMode(TRANSPARENT);
    for (const DrawItem& item : box.items) {
        switch (item.kind) {
            case DrawItem::kText: {
                pDC->SelectObject(fonts.Get(item.font));
                TEXTMETRIC tm;
                pDC->GetTextMetrics(&tm);
                pDC->TextOut(Round(item.x + dX), Round(item.y + dY) - tm.tmAscent, item.strGbk);
                break;
            }
            case DrawItem::kRect: {
                const int l = Round(item.x + dX), t = Round(item.y + dY);
                const int r = std::max(l + 1, Round(item.x + item.w + dX));
                const int b = std::max(t + 1, Round(item.y + item.h + dY));
                pDC->FillSolidRect(CRect(l, t, r, b), kInk);
                break;
            }
            case DrawItem::kPolygon: {
                const std::vector<CPoint> pts = DevicePoints(item, dX, dY);
                pDC->SelectObject(pen(1));
                pDC->SelectObject(&ink);
                pDC->Polygon(pts.data(), static_cast<int>(pts.size()));
                break;
            }
            case DrawItem::kPolyline: {
                const std::vector<CPoint> pts = DevicePoints(item, dX, dY);
                pDC->SelectObject(pen(item.dPen));
                pDC->Polyline(pts.data(), static_cast<int>(pts.size()));
                break;
            }
            case DrawItem::kEllipse: {
                const int l = Round(item.x + dX), t = Round(item.y + dY);
                const int r = std::max(l + 2, Round(item.x + item.w + dX));
                const int b = std::max(t + 2, Round(item.y + item.h + dY));
                pDC->SelectObject(pen(item.dPen > 0 ? item.dPen : 1));
                pDC->SelectObject(item.dPen > 0 ? &hollow : &ink);
                pDC->Ellipse(l, t, r, b);
                break;
            }
        }
    }
    pDC->RestoreDC(nSaved);
}

}  // namespace tessel::formula
