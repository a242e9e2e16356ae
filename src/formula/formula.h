#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/gdi.h"
#include "platform/geometry.h"

namespace tessel::formula {
struct Node;
struct Box;
}  // namespace tessel::formula

// A formula read from a ".fml" file (docs/formula.md): it reports its natural size in pixels
// and draws itself into a rectangle of a drawing context. The editor holds one per Formula
// element.
//
// Measuring and drawing use the platform's fonts, so GetRect and Draw need a running
// QGuiApplication, as all text measurement of the platform does. Nothing here throws.
class CFormula {
  public:
    // Extra height GetRect reports below the drawing. The editor takes it off again (it
    // stores the height less 5), so a formula takes exactly the room it draws in.
    static constexpr int kBottomSlack = 5;
    // Blank pixels round the drawing on every side.
    static constexpr int kMargin = 2;
    // GetRect cuts the natural width and height to this many pixels; a formula larger than
    // that is drawn smaller, to fit.
    static constexpr int kMaxExtent = 8192;

    CFormula();
    virtual ~CFormula();
    CFormula(const CFormula&) = delete;
    CFormula& operator=(const CFormula&) = delete;

    // Reads and parses a formula file. A relative name is taken relative to the current
    // directory; "\" separates folders as well as "/", and letter case need not match (a
    // page names files the Windows way). Returns 1 when the file was read and parsed (an
    // empty file is an empty formula); 0 when it cannot be read, is larger than 64 KB or
    // has a syntax error: the object then keeps the formula and file name it had.
    int Open(const char* szFileName);

    // Parses formula text (UTF-8, or GBK when it is not well-formed UTF-8) in place of the
    // current formula. Returns 1 on success; 0 on a syntax error, which keeps the current
    // formula. The file name is not changed.
    int Parse(std::string_view text);

    // The natural extent: CRect(0, 0, w, h), where h includes kBottomSlack. An empty
    // formula reports CRect(0, 0, 0, kBottomSlack): no room at all.
    CRect GetRect();

    // Draws the formula in black into rc, scaled to fit it with its proportions kept and
    // centred; nothing is drawn outside rc. dScale magnifies (or shrinks) the fitted drawing
    // further about rc's centre; the editor passes 1.0. Values that are not positive count
    // as 1.0. The background is left as it is.
    void Draw(CDC* pDC, CRect rc, double dScale);

    // The file name the formula was last opened from, as it was given to Open.
    std::string GetCurrentFileName() const;

    // Why the last Open or Parse failed, with the line and column (from 1) of the fault;
    // empty after a success.
    const std::string& GetLastError() const { return m_strError; }
    int GetErrorLine() const { return m_nErrorLine; }
    int GetErrorColumn() const { return m_nErrorColumn; }

    bool IsEmpty() const;

  private:
    // The layout at natural size, made on first use (measured with pDC's fonts, or with a
    // memory context's when pDC is null), and its extent with the margins; (0, 0) when
    // there is nothing to draw.
    const tessel::formula::Box& NaturalLayout(CDC* pDC);
    CSize NaturalSize(CDC* pDC);

    std::string m_strFileName;
    std::unique_ptr<tessel::formula::Node> m_pRoot;
    std::unique_ptr<tessel::formula::Box> m_pLayout;
    std::string m_strError;
    int m_nErrorLine = 0;
    int m_nErrorColumn = 0;
};
