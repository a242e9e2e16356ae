// Opens arbitrary bytes as a page in the editor, without a window, and lays it out and draws
// it, as a paint does.
//
// - Building frames from the markup, the layout and the drawing never crash or read out of
//   bounds, whatever the markup holds (frames cut short, too many frames or columns, objects
//   whose files are missing, huge sizes).
// - The row table is sound: at most 128 rows, no height negative, starts never going back
//   (a row may start where the one before did, when an object that cannot be loaded is
//   tried again on the next row), the end marker after the last row.
// - Handing the markup back is stable: once the markup handed back has been opened, handing
//   it back and opening it again lays out to the same row table. (The first hand-back may
//   drop what the markup cannot carry, such as half a character.)
// On a failure the row tables are printed and the target aborts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "editor/tessel_edit.h"
#include "platform/application.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

[[noreturn]] void Fail(const char* szWhat, const CTesselEdit& a, const CTesselEdit* pB) {
    std::fprintf(stderr, "layout_fuzz: %s\n", szWhat);
    for (const CTesselEdit* p : {&a, pB}) {
        if (!p) continue;
        for (int r = 0; r <= kMaxRows; ++r) {
            const ROW& row = p->m_Row[r];
            std::fprintf(stderr, "  %d: %d %d %d %d\n", r, row.nHeight, row.nLink, row.nWord,
                         row.nChar);
            if (row.IsEndMarker()) break;
        }
        std::fprintf(stderr, "--\n");
    }
    std::abort();
}

// Opens the markup in an editor that has no window, as far as the layout goes.
std::unique_ptr<CTesselEdit> Open(const char* szMarkup, CDC& dc) {
    auto pEdit = std::make_unique<CTesselEdit>();
    pEdit->m_rcEdit = CRect(0, 0, kWidth, kHeight);
    pEdit->m_pList = new CMyList;
    pEdit->m_Analyzer.Convert(szMarkup, pEdit->m_pList);
    pEdit->PrevCreateList();
    pEdit->SetRow(&dc);
    return pEdit;
}

void CheckRows(const CTesselEdit& edit) {
    int r = 0;
    for (; r < kMaxRows && !edit.m_Row[r].IsEndMarker(); ++r) {
        if (r > 0 && !(edit.m_Row[r - 1].Start() < edit.m_Row[r].Start()) &&
            edit.m_Row[r - 1].Start() != edit.m_Row[r].Start())
            Fail("row starts go backwards", edit, nullptr);
        if (edit.m_Row[r].nHeight < 0) Fail("a row height is negative", edit, nullptr);
    }
    if (!edit.m_Row[r].IsEndMarker()) Fail("no end marker after the last row", edit, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    static const bool bReady = [] {
        tessel::platform::EnsureApplication();
        return true;
    }();
    (void)bReady;
    const std::string markup(reinterpret_cast<const char*>(pData), nSize);

    CDC dc;
    CBitmap bitmap;
    if (!dc.CreateCompatibleDC(nullptr) || !bitmap.CreateBitmap(kWidth, kHeight)) return 0;
    CBitmap* pOld = dc.SelectObject(&bitmap);

    std::unique_ptr<CTesselEdit> pFirst = Open(markup.c_str(), dc);
    CheckRows(*pFirst);
    pFirst->DrawMyList(&dc, pFirst->m_pList, pFirst->m_Row, pFirst->m_rcEdit);

    // What the editor hands back opens to the same rows, from the second round on.
    std::unique_ptr<CTesselEdit> pSecond = Open(pFirst->GetEditText().c_str(), dc);
    std::unique_ptr<CTesselEdit> pThird = Open(pSecond->GetEditText().c_str(), dc);
    bool bSame = true;
    for (int r = 0; r <= kMaxRows && bSame; ++r) {
        bSame = pSecond->m_Row[r] == pThird->m_Row[r];
        if (pSecond->m_Row[r].IsEndMarker()) break;
    }
    if (!bSame) Fail("the markup handed back lays out differently", *pSecond, pThird.get());
    dc.SelectObject(pOld);
    return 0;
}
