// Drawing, checked on pixels, and the caret's place and height.
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "formula/formula.h"
#include "page_fixture.h"
#include "resources/bitmaps.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

class RenderTest : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        ASSERT_TRUE(m_bitmap.CreateBitmap(300, 120));
        m_dc.SelectObject(&m_bitmap);
    }
    // The first row from the top whose pixel in column x has the colour; -1 for none.
    int FirstRow(int x, COLORREF cr) {
        for (int y = 0; y < 120; ++y)
            if (m_dc.GetPixel(x, y) == cr) return y;
        return -1;
    }
    int Count(CRect rc, bool (*pred)(COLORREF)) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += pred(m_dc.GetPixel(x, y)) ? 1 : 0;
        return n;
    }
    // A picture file (the library's empty square, 19 x 19) in a directory of its own.
    std::filesystem::path PictureDir() {
        const auto dir =
            std::filesystem::temp_directory_path() / ("tessel_render_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        const auto bytes = tessel::resources::BitmapResource(533);
        std::ofstream(dir / "sq.bmp", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        m_ed.m_strDirPrj = dir.string();
        return dir;
    }
    CBitmap m_bitmap;
};

TEST_F(RenderTest, TextIsPlacedByItsFootNoteAndColouredBySelectionAndHotLink) {
    // Spaces draw only their opaque background: its top edge is the text's top.
    m_dc.SetBkColor(kGreen);
    int x = 0;
    m_ed.ShowTextOneLink(&m_dc, Text("  ", 20), x, 0, 22, 0, 0, kEndMark, kEndMark, 0);
    EXPECT_EQ(FirstRow(1, kGreen), 2);
    const int nRaisedX = x;
    m_ed.ShowTextOneLink(&m_dc, Text("  ", 20, kFootNoteRaised), x, 0, 22, 0, 0, kEndMark, kEndMark,
                         0);
    EXPECT_EQ(FirstRow(nRaisedX + 1, kGreen), 2);
    const int nLoweredX = x;
    m_ed.ShowTextOneLink(&m_dc, Text("  ", 20, kFootNoteLowered), x, 0, 22, 0, 0, kEndMark,
                         kEndMark, 0);
    EXPECT_EQ(FirstRow(nLoweredX + 1, kGreen), 12);

    // Selected: white on black, and the context's colours come back.
    const int nSelectedX = x;
    CLink* pSelected = Text("  ", 20);
    m_ed.ShowTextOneLink(&m_dc, pSelected, x, 0, 22, 0, 0, kEndMark, kEndMark, 1);
    EXPECT_EQ(x - nSelectedX, Width(pSelected, 0, 0, kEndMark, kEndMark));
    EXPECT_EQ(FirstRow(nSelectedX + 1, kBlack), 2);
    EXPECT_EQ(m_dc.GetBkColor(), kGreen);

    // A hot link is drawn in the editor's hot-link colour, whatever the run's own colour.
    m_dc.SetBkColor(kWhite);
    m_ed.m_crHotLink = RGB(255, 0, 0);
    CLink* pLink = Text("HH", 60);
    pLink->m_Color[1].nValue = 255;
    pLink->m_HotLink[0].nValue = 1;
    x = 0;
    m_ed.ShowTextOneLink(&m_dc, pLink, x, 40, 70, 0, 0, kEndMark, kEndMark, 0);
    const CRect cell(0, 40, x, 110);
    EXPECT_GT(Count(cell, [](COLORREF c) { return c == RGB(255, 0, 0); }), 20);
    EXPECT_EQ(Count(cell, [](COLORREF c) { return GetGValue(c) > 128 && GetRValue(c) < 128; }), 0);
}

TEST_F(RenderTest, ObjectsAreBottomAlignedAndInvertedWhenSelected) {
    const auto dir = PictureDir();
    CLink* pImage = Object(kKindImage, {0, 0, 0}, "sq.bmp");
    int x = 0, nRowHeight = 0;
    m_ed.GetImageLineMaxHeight(&m_dc, m_ed.m_rcEdit, pImage, x, nRowHeight);  // loads it
    ASSERT_NE(pImage->m_pPicture.get(), nullptr);
    x = 10;
    m_ed.ShowImageOneLink(&m_dc, pImage, x, 0, 30, 0);
    EXPECT_EQ(pImage->m_Command[2].nValue, 100);  // zoom 0 is drawn at natural size
    EXPECT_EQ(x, 10 + 19);
    EXPECT_EQ(m_dc.GetPixel(10 + 2, 11 + 2), kBlack);  // the square's outline, bottom-aligned
    EXPECT_EQ(m_dc.GetPixel(10 + 9, 11 + 9), kWhite);
    m_ed.ShowImageOneLink(&m_dc, pImage, x, 0, 30, 1);
    EXPECT_EQ(m_dc.GetPixel(29 + 2, 11 + 2), kWhite);
    EXPECT_EQ(m_dc.GetPixel(29 + 9, 11 + 9), kBlack);

    // The check boxes: a cross for state 0, inverted when selected.
    x = 100;
    m_ed.ShowBmpOneLink(&m_dc, 534, x, 0, 30, 0);
    EXPECT_EQ(x, 118);
    EXPECT_EQ(m_dc.GetPixel(101, 14), kBlack);
    m_ed.ShowBmpOneLink(&m_dc, 534, x, 0, 30, 1);
    EXPECT_EQ(m_dc.GetPixel(119, 14), kWhite);
    EXPECT_EQ(m_dc.GetPixel(118, 14), kBlack);

    // An edit frame is a plain rectangle, selected or not.
    x = 150;
    m_ed.ShowEditOneLink(&m_dc, Object(kKindEdit, {40, 20}), x, 0, 30, 1);
    EXPECT_EQ(x, 190);
    EXPECT_EQ(m_dc.GetPixel(150, 10), kBlack);
    EXPECT_EQ(m_dc.GetPixel(187, 27), kBlack);
    EXPECT_EQ(m_dc.GetPixel(160, 20), kWhite);

    // A score field takes its size from its first drawing.
    CLink* pScore = Object(kKindPageScore, {0, 0, 0, 0});
    pScore->m_Font[1].nValue = 16;
    int nPlaced = 0, nHeight = 0;
    m_ed.GetScoreLineMaxHeight(&m_dc, m_ed.m_rcEdit, pScore, nPlaced, nHeight);
    EXPECT_EQ(nPlaced, 0);
    EXPECT_EQ(nHeight, 2);
    x = 0;
    m_ed.ShowScoreOneLink(&m_dc, pScore, x, 60, 40, 0);
    EXPECT_GT(pScore->m_Command[2].nValue, 0);
    EXPECT_GT(pScore->m_Command[3].nValue, 0);
    EXPECT_EQ(x, pScore->m_Command[2].nValue);
    std::filesystem::remove_all(dir);
}

TEST_F(RenderTest, TheDocumentIsDrawnOffScreenOverWhite) {
    m_ed.m_rcEdit = CRect(0, 0, 300, 120);
    Text("ab\ncd");
    Object(kKindCheck, {1});
    Layout();
    m_dc.PatBlt(0, 0, 300, 120, BLACKNESS);
    m_ed.m_nViewOrgY = -22;  // scrolled by one row
    EXPECT_EQ(m_ed.DrawMyList(&m_dc, m_ed.m_pList, m_ed.m_Row, m_ed.m_rcEdit), 1);
    EXPECT_EQ(m_ed.m_pMemBitmap, nullptr);
    EXPECT_EQ(m_dc.GetViewportOrg(), CPoint(0, -22));
    m_dc.SetViewportOrg(0, 0);
    EXPECT_EQ(m_dc.GetPixel(299, 119), kWhite);
    EXPECT_EQ(m_dc.GetPixel(299, 0), kWhite);
    // The second row's tick box now stands at the top: its box's bottom edge at 22 - 2.
    m_ed.m_pList->First();
    const int nTextWidth = Width(m_ed.m_pList->GetCurr(), 2, 0, kEndMark, kEndMark);
    EXPECT_EQ(m_dc.GetPixel(nTextWidth + 1, 22 - 2), kBlack);
    EXPECT_EQ(m_dc.GetPixel(nTextWidth + 1, 22 - 1), kWhite);
}

TEST_F(RenderTest, TheCaretStandsBesideTheCharacterBeforeIt) {
    m_ed.m_rcEdit = CRect(0, 0, 300, 120);
    CLink* pFirst = Text("ab" + std::string("\xd6\xd0") + "c", 30, kFootNoteRaised);
    Text("\nx", 20);
    Layout();
    EXPECT_EQ(m_ed.GetProperCharHeight(&m_dc, m_ed.m_pList), 30);  // at the start: not halved

    // A cursor at the start of row 1 is drawn at the left edge of row 1, with its height.
    int x = -1, y = -1, h = -1;
    m_ed.m_CurPos = RowStart(1);
    ASSERT_EQ(m_ed.m_CurPos, (TEXTPOS{1, 1, 0}));
    m_ed.RePostitionCaret(&m_dc, m_ed.m_pList, m_ed.m_Row, m_ed.m_rcEdit, x, y, h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, m_ed.m_Row[0].nHeight);
    EXPECT_EQ(h, m_ed.m_Row[1].nHeight);
    m_ed.m_CurPos = TEXTPOS{0, 1, 0};
    m_ed.RePostitionCaret(&m_dc, m_ed.m_pList, m_ed.m_Row, m_ed.m_rcEdit, x, y, h);
    EXPECT_EQ(x, Width(pFirst, 0, 0, 1, 0));
    EXPECT_EQ(y, 0);
    EXPECT_EQ(m_ed.GetProperCharHeight(&m_dc, m_ed.m_pList), 30);

    m_ed.m_pList->Clear();
    m_ed.m_CurPos = TEXTPOS{};
    EXPECT_EQ(m_ed.GetProperCharHeight(&m_dc, m_ed.m_pList), 17);
    CLink* pFormula = Object(kKindFormula, {0, 50, 40, 30});
    m_ed.m_CurPos = TEXTPOS{1, 0, 0};
    EXPECT_EQ(m_ed.GetProperCharHeight(&m_dc, m_ed.m_pList), 17);  // no formula object
    pFormula->m_pFormula = new CFormula;
    EXPECT_EQ(m_ed.GetProperCharHeight(&m_dc, m_ed.m_pList), 15);
}

}  // namespace

// With windows: a pasted copy of a frame gets column editors of its own, the columns follow
// the scroll, and the caret stands on the foot of its row.
TEST(EditorWindowTest, CopiedFramesColumnWindowsAndTheCaret) {
    tessel::platform::EnsureApplication();
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, 0, 0, 520,
                              300, nullptr, 0));
    {
        const std::string run = "<Font('Arial',12,0,0,0)><Color(0,0,0)>x</Color></Font>";
        const std::string page = "<MultiColumn(2,10,200,300)><StartColumn>" + run +
                                 "<EndColumn><StartColumn>" + run + "<EndColumn>";
        CTesselEdit ed;
        // The last column takes the rest of the line: 510 - 200.
        ASSERT_EQ(ed.Edit(host.m_hWnd, CRect(0, 0, 510, 300), 0, page.c_str(), 0, 2, 1.0), 1);
        ed.m_pList->First();
        auto* pCopy = new CLink;
        CopyLink(pCopy, ed.m_pList->GetCurr());
        ed.m_pList->Append(pCopy);
        CClientDC dc(&ed);
        ed.SetRow(&dc);
        EXPECT_EQ(pCopy->m_Command[4].nValue, 1);
        CTesselEdit* pColumn = ed.m_pChildEdit[1][1];
        ASSERT_NE(pColumn, nullptr);
        EXPECT_NE(pColumn, ed.m_pChildEdit[0][1]);
        EXPECT_EQ(pColumn->m_nEditID, 17);
        pColumn->m_pList->First();
        EXPECT_EQ(pColumn->m_pList->GetCurr()->m_Command[0].strText, "x");

        ed.m_nViewOrgY = -5;
        ASSERT_EQ(ed.DrawMyList(&dc, ed.m_pList, ed.m_Row, ed.m_rcEdit), 1);
        CRect rc;
        pColumn->GetWindowRect(&rc);
        ed.ScreenToClient(&rc);
        EXPECT_EQ(rc, CRect(210, ed.m_Row[0].nHeight - 5, 520, ed.m_Row[0].nHeight * 2 - 5));
        EXPECT_TRUE(pColumn->IsWindowVisible());

        ed.m_CurPos = TEXTPOS{2, 0, 0};  // after the second frame: the start of row 2
        ed.RefreshCaret(nullptr);
        const auto caret = tessel::platform::GetCaretInfo();
        EXPECT_EQ(caret.size, CSize(2, 17));
        EXPECT_EQ(caret.pos, CPoint(0, ed.m_Row[0].nHeight * 2 + 18 - 17 - 5));

        ed.SendMessage(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(tessel::platform::CurrentCursor(), ed.m_hIBeam);
        CBitmap caretBitmap;
        EXPECT_EQ(ed.CreateCaretBmp(&dc, 10, &caretBitmap), 1);
        EXPECT_EQ(caretBitmap.GetSize(), CSize(3, 10));
        EXPECT_EQ(caretBitmap.GetPixel(0, 5), kWhite);
    }
    host.DestroyWindow();
}
