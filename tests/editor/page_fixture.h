#pragma once

// An editor without a window, laid out and drawn on memory contexts: elements are put into its
// list directly. Widths that tests depend on are measured with the editor's own functions, so
// that no test depends on the fonts a machine has.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "editor/tessel_edit.h"
#include "platform/application.h"

class PageTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
    void SetUp() override {
        m_dc.CreateCompatibleDC(nullptr);
        m_ed.m_pList = new CMyList;
        m_ed.m_rcEdit = CRect(0, 0, 300, 400);
    }

    CLink* Add(CLink* pLink) {
        m_ed.m_pList->Append(pLink);
        return pLink;
    }
    CLink* Text(const std::string& text, int nSize = 20, int nFootNote = kFootNoteNormal) {
        auto* p = new CLink;
        p->m_Font[0].strText = "Arial";
        p->m_Font[1].nValue = nSize;
        p->m_FootNote[0].nValue = nFootNote;
        p->m_Command[0].strText = text;
        return Add(p);
    }
    CLink* Object(int nKind, std::initializer_list<int> values, const std::string& name = "") {
        auto* p = new CLink;
        p->m_nKind = nKind;
        int i = 0;
        for (int v : values)
            p->m_Command[i++].nValue = v;
        p->m_Command[0].strText = name;
        return Add(p);
    }
    int Width(CLink* p, int nWord0, int nChar0, int nWord1, int nChar1) {
        return m_ed.GetTextLength(&m_dc, p, nWord0, nChar0, nWord1, nChar1);
    }
    void Layout() { m_ed.SetRow(&m_dc); }
    int RowsInUse() const {
        int r = 0;
        while (!m_ed.m_Row[r].IsEndMarker())
            ++r;
        return r;
    }
    TEXTPOS RowStart(int r) const { return m_ed.m_Row[r].Start(); }

    CDC m_dc;
    CTesselEdit m_ed;
};
