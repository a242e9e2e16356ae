#include "formula/formula.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "formula/layout.h"
#include "formula/parser.h"
#include "formula/render.h"
#include "platform/file_path.h"

using tessel::formula::Box;
using tessel::formula::CDCMetrics;
using tessel::formula::kBaseFontSize;
using tessel::formula::kMaxFormulaBytes;
using tessel::formula::LayoutFormula;
using tessel::formula::ParseFormula;
using tessel::formula::ParseResult;

namespace {

// Reads a whole file of at most kMaxFormulaBytes bytes; false when it cannot be read or is
// larger.
bool ReadSmallFile(const std::string& strPath, std::string& strOut) {
    std::optional<std::string> text = tessel::platform::ReadRegularFile(strPath, kMaxFormulaBytes);
    if (!text) return false;
    strOut = std::move(*text);
    return true;
}

bool IsBlank(const Box& box) {
    return box.width <= 0 && box.ascent + box.descent <= 0;
}

}  // namespace

CFormula::CFormula() = default;
CFormula::~CFormula() = default;

int CFormula::Open(const char* szFileName) {
    if (!szFileName || !*szFileName) return 0;
    const std::string strPath = tessel::platform::ResolvePath("", szFileName);
    std::string strText;
    if (!ReadSmallFile(strPath, strText)) {
        m_strError = "cannot read " + strPath + " (or it is larger than 64 KB)";
        m_nErrorLine = m_nErrorColumn = 0;
        return 0;
    }
    if (!Parse(strText)) return 0;
    m_strFileName = szFileName;
    return 1;
}

int CFormula::Parse(std::string_view text) {
    ParseResult result = ParseFormula(text);
    m_strError = result.strError;
    m_nErrorLine = result.nLine;
    m_nErrorColumn = result.nColumn;
    if (!result.Ok()) return 0;
    m_pRoot = std::move(result.pRoot);
    m_pLayout.reset();
    return 1;
}

bool CFormula::IsEmpty() const {
    return !m_pRoot || (m_pRoot->kind == tessel::formula::NodeKind::kRow && m_pRoot->kids.empty());
}

const Box& CFormula::NaturalLayout(CDC* pDC) {
    if (!m_pLayout) {
        CDC screen;
        if (!pDC) {
            screen.CreateCompatibleDC(nullptr);
            pDC = &screen;
        }
        m_pLayout = std::make_unique<Box>(LayoutFormula(*m_pRoot, CDCMetrics(pDC)));
        tessel::formula::ContainInk(*m_pLayout);
    }
    return *m_pLayout;
}

CSize CFormula::NaturalSize(CDC* pDC) {
    if (IsEmpty()) return {0, 0};
    const Box& box = NaturalLayout(pDC);
    if (IsBlank(box)) return {0, 0};
    auto extent = [](double d) {
        return static_cast<int>(std::min(1e8, std::ceil(d))) + 2 * kMargin;
    };
    return {extent(box.width), extent(box.ascent + box.descent)};
}

CRect CFormula::GetRect() {
    const CSize size = NaturalSize(nullptr);
    if (size.cx == 0) return CRect(0, 0, 0, kBottomSlack);
    return CRect(0, 0, std::min(size.cx, kMaxExtent), std::min(size.cy, kMaxExtent) + kBottomSlack);
}

void CFormula::Draw(CDC* pDC, CRect rc, double dScale) {
    if (!pDC || rc.IsRectEmpty()) return;
    const CSize natural = NaturalSize(pDC);
    if (natural.cx == 0) return;
    if (!(dScale > 0) || !std::isfinite(dScale)) dScale = 1.0;
    const double dFit = std::min(static_cast<double>(rc.Width()) / natural.cx,
                                 static_cast<double>(rc.Height()) / natural.cy);
    double s = dFit * dScale;

    // Drawn at another size, the formula is laid out again with fonts of that size, so that
    // text and lines stay in step. The text may then come out a little wider or narrower
    // than a plain magnification would make it: a second pass shrinks what does not fit.
    Box scaled;
    const Box* pBox = m_pLayout.get();
    if (std::abs(s - 1) > 1e-9) {
        CDCMetrics metrics(pDC);
        for (int nPass = 0; nPass < 2; ++nPass) {
            scaled = LayoutFormula(*m_pRoot, metrics, kBaseFontSize * s);
            tessel::formula::ContainInk(scaled);
            const double w = scaled.width + 2 * kMargin * s;
            const double h = scaled.ascent + scaled.descent + 2 * kMargin * s;
            const double over = std::max(w / rc.Width(), h / rc.Height());
            if (over <= 1.0 || dScale != 1.0) break;
            s /= over;
        }
        pBox = &scaled;
    }
    const double w = pBox->width + 2 * kMargin * s;
    const double h = pBox->ascent + pBox->descent + 2 * kMargin * s;
    const double dX = rc.left + (rc.Width() - w) / 2 + kMargin * s;
    const double dY = rc.top + (rc.Height() - h) / 2 + kMargin * s + pBox->ascent;

    const int nSaved = pDC->SaveDC();
    pDC->IntersectClipRect(rc);
    tessel::formula::RenderBox(pDC, *pBox, dX, dY);
    pDC->RestoreDC(nSaved);
}

std::string CFormula::GetCurrentFileName() const {
    return m_strFileName;
}
