// Words and widths, and the row table: wrapping, objects, line feeds, frames, the tidying of the
// list before each layout, and pictures and formulas loaded by the layout.
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "editor/positions.h"
#include "formula/formula.h"
#include "imaging/picture.h"
#include "page_fixture.h"
#include "resources/bitmaps.h"

namespace {

const std::string kZhong = "\xd6\xd0";  // a Chinese character in GBK

std::vector<std::string> Words(CTesselEdit& ed, const std::string& text) {
    std::vector<std::string> words;
    char szWord[128];
    for (int nPos = 0; nPos < static_cast<int>(text.size());) {
        ed.GetWord(text.c_str(), szWord, nPos, static_cast<int>(text.size()) - 1);
        words.emplace_back(szWord);
    }
    return words;
}

using LayoutTest = PageTest;

TEST_F(LayoutTest, WordsFontsAndWidths) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Words(m_ed, "abc def"), (V{"abc", " ", "def"}));
    EXPECT_EQ(Words(m_ed, "a" + kZhong + "b"), (V{"a", kZhong, "b"}));
    const V longRun = Words(m_ed, std::string(200, 'x'));
    ASSERT_EQ(longRun.size(), 2u);
    EXPECT_EQ(longRun[0].size(), 127u);
    EXPECT_EQ(longRun[1].size(), 73u);

    CLink* pRaised = Text("ab\n", 20, kFootNoteRaised);
    EXPECT_EQ(m_ed.TextFont(pRaised).lfHeight, -10);
    EXPECT_EQ(m_ed.TextFont(pRaised, false).lfHeight, -20);
    EXPECT_EQ(m_ed.TextFont(pRaised).lfWeight, 100);
    pRaised->m_Font[3].nValue = 1;
    EXPECT_EQ(m_ed.TextFont(pRaised).lfWeight, 700);
    EXPECT_EQ(m_ed.GetLinkWordNum(pRaised), 2);
    EXPECT_EQ(m_ed.GetLinkWordNum(Text("")), 0);
    EXPECT_EQ(m_ed.GetLinkWordNum(Object(kKindImage, {})), 0);

    // Parts of a text measure what they hold; a trailing line feed has no width.
    CLink* p = Text("ab cd\n");
    EXPECT_EQ(Width(p, 2, 0, 2, 0), 0);
    EXPECT_GT(Width(p, 0, 0, 0, 1), 0);
    EXPECT_EQ(Width(p, 0, 0, 0, 1) + Width(p, 0, 1, kEndMark, kEndMark),
              Width(p, 0, 0, kEndMark, kEndMark));
    EXPECT_EQ(Width(p, 0, 0, kEndMark, kEndMark), Width(p, 0, 0, 3, 0));

    // Across elements: text, then an edit frame and a check box, then part of the next text.
    Object(kKindEdit, {40, 20});
    Object(kKindCheck, {1});
    CLink* pLast = Text("xyz");
    int x = 5;
    m_ed.GetProperX(&m_dc, m_ed.m_pList, x, 3, 0, 1, 6, 0, 2);
    EXPECT_EQ(x, 5 + Width(p, 0, 1, kEndMark, kEndMark) + 40 + 18 + Width(pLast, 0, 0, 0, 2));
}

TEST_F(LayoutTest, WordsWrapAtTheirBoundaries) {
    CLink* p = Text("aaaa bbbb cccc");
    // Room for everything but the last word: the space before it stays on the first row.
    m_ed.m_rcEdit.right = Width(p, 0, 0, 4, 0) + Width(p, 4, 0, 5, 0) - 1;
    Layout();
    ASSERT_EQ(RowsInUse(), 2);
    EXPECT_EQ(m_ed.m_Row[0], (ROW{22, 0, 0, 0}));
    EXPECT_EQ(RowStart(1), (TEXTPOS{0, 4, 0}));
}

TEST_F(LayoutTest, ChineseCharactersWrapAfterTheCellThatCrossesTheEdge) {
    m_ed.m_nCharSpace = 3;  // cells of 20 + 3
    m_ed.m_rcEdit.right = 50;
    Text(kZhong + kZhong + kZhong + kZhong + kZhong);
    Layout();
    ASSERT_EQ(RowsInUse(), 2);
    EXPECT_EQ(m_ed.m_Row[0], (ROW{22, 0, 0, 0}));  // the third character reaches to 69
    EXPECT_EQ(m_ed.m_Row[1], (ROW{22, 0, 3, 0}));
}

TEST_F(LayoutTest, OnlyWordsTooLongForALineAreBrokenBetweenBytes) {
    Object(kKindEdit, {20, 10});
    CLink* p = Text("abcdefghijklmnop");
    const int v = Width(p, 0, 0, kEndMark, kEndMark);
    m_ed.m_rcEdit.right = v + 11;  // not too long: the word moves whole to the next row
    Layout();
    EXPECT_EQ(RowStart(1), (TEXTPOS{1, 0, 0}));

    m_ed.m_rcEdit.right = v / 2;
    Layout();
    const int c = RowStart(1).nChar;
    ASSERT_EQ(RowStart(1).nLink, 1);
    // The first row holds the bytes that end at or before the edge.
    EXPECT_LE(20 + Width(p, 0, 0, 0, c), m_ed.m_rcEdit.right);
    EXPECT_GT(20 + Width(p, 0, 0, 0, c + 1), m_ed.m_rcEdit.right);
}

// A word too long for any line, after a picture wider than the line: the row is already full
// when the word is met, so the next row starts at the word's first byte (not one before it).
TEST_F(LayoutTest, ALongWordAfterAPictureWiderThanTheLineStartsTheNextRowAtItsFirstByte) {
    m_ed.m_strDirPrj = TESSEL_EXAMPLES_DIR;
    Object(kKindImage, {0, 0, 300}, "Image\\Map.bmp");  // 120 x 80 at 300%: 360 wide
    Text(std::string(150, 'a'));
    m_ed.m_rcEdit.right = 300;
    Layout();
    ASSERT_GE(RowsInUse(), 2);
    EXPECT_EQ(RowStart(1), (TEXTPOS{1, 0, 0}));
    for (int r = 0; r < RowsInUse(); ++r) {
        EXPECT_TRUE(tessel::editor::IsPosition(*m_ed.m_pList, RowStart(r))) << "row " << r;
        if (r > 0) {
            EXPECT_LT(RowStart(r - 1), RowStart(r)) << "row " << r;
        }
    }
}

TEST_F(LayoutTest, ObjectsTakeTheirRoomOrStartTheNextRow) {
    Text("ab");
    Object(kKindEdit, {500, 30});  // wider than the line: stays, and x does not move
    Object(kKindEdit, {20, 10});
    Object(kKindEdit, {290, 10});  // does not fit after the others
    Layout();
    ASSERT_EQ(RowsInUse(), 2);
    EXPECT_EQ(m_ed.m_Row[0].nHeight, 32);
    EXPECT_EQ(RowStart(1), (TEXTPOS{3, 0, 0}));
    EXPECT_EQ(m_ed.m_Row[1].nHeight, 12);
}

TEST_F(LayoutTest, LineFeedsEndRowsAndTheTableHoldsAtMost128) {
    Text("ab\ncd");
    Text("ef\n");
    Layout();
    ASSERT_EQ(RowsInUse(), 3);
    EXPECT_EQ(RowStart(1), (TEXTPOS{0, 2, 0}));
    EXPECT_EQ(m_ed.m_Row[2], (ROW{18, 2, 0, 0}));  // after the last line feed: an empty row
    EXPECT_EQ(m_ed.GetWinHeight(), 22 + 22 + 18);

    Text(std::string(200, '\n'));
    Layout();
    EXPECT_EQ(RowsInUse(), 128);
    EXPECT_TRUE(m_ed.m_Row[128].IsEndMarker());
}

TEST_F(LayoutTest, AFrameIsAloneOnItsRowAndAsTallAsItsTallestColumn) {
    for (int i = 0; i < 2; ++i) {
        auto* pColumn = new CTesselEdit;
        pColumn->m_pList = new CMyList;
        auto* p = new CLink;
        p->m_Font[1].nValue = 20;
        p->m_FootNote[0].nValue = kFootNoteNormal;
        p->m_Command[0].strText = i == 0 ? "a" : "a\nb";
        pColumn->m_pList->Append(p);
        pColumn->m_rcEdit = CRect(0, 0, 100, 0);
        pColumn->m_nEditID = i;
        pColumn->SetRow(&m_dc);
        m_ed.m_pChildEdit[0][i] = pColumn;
    }
    Text("x");
    Object(kKindColumnFrame, {2, 10, 100, 150, 0});
    Text("y");
    Object(kKindColumnFrame, {1, 0, 300, 0});  // a pasted copy with the same frame number
    Layout();
    ASSERT_EQ(RowsInUse(), 5);
    EXPECT_EQ(m_ed.m_Row[1], (ROW{44, 1, 0, 0}));
    EXPECT_EQ(m_ed.m_Row[2], (ROW{22, 2, 0, 0}));
    EXPECT_EQ(m_ed.m_Row[4], (ROW{18, 4, 0, 0}));
    m_ed.m_pList->First();
    for (int i = 0; i < 3; ++i)
        m_ed.m_pList->Next();
    EXPECT_EQ(m_ed.m_pList->GetCurr()->m_Command[3].nValue, 1);  // renumbered

    // A column cannot hold a frame: the column drops it, and the cursor follows.
    CTesselEdit& column = *m_ed.m_pChildEdit[0][0];
    auto* pFrame = new CLink;
    pFrame->m_nKind = kKindColumnFrame;
    column.m_pList->First();
    column.m_pList->Insert(pFrame);
    column.m_CurPos = TEXTPOS{1, 0, 1};
    column.SetRow(&m_dc);
    column.m_pList->First();
    EXPECT_EQ(column.m_pList->GetCurr()->m_nKind, kKindText);
    EXPECT_EQ(column.m_pList->GetCurr()->m_pNext, nullptr);
    EXPECT_EQ(column.m_CurPos, (TEXTPOS{0, 0, 1}));
}

TEST_F(LayoutTest, TheListIsTidiedBeforeEachLayout) {
    m_ed.m_CurPos = m_ed.m_SelEnd = TEXTPOS{3, 1, 1};
    Layout();
    EXPECT_EQ(m_ed.m_Row[0], (ROW{18, 0, 0, 0}));
    EXPECT_TRUE(m_ed.m_Row[1].IsEndMarker());
    EXPECT_EQ(m_ed.m_CurPos, TEXTPOS{});
    EXPECT_EQ(m_ed.m_SelEnd, TEXTPOS{});

    // Each Choice counts the option boxes up to the next Choice; one without options goes,
    // and so do empty runs. The cursor moves back for each removal whose index in the list as
    // it was is below the cursor's element as it is at that moment.
    Text("");
    CLink* pFirst = Object(kKindChoice, {1, 0});
    for (int state : {100, 101, 0, 100, 100})
        Object(kKindCheck, {state});
    Object(kKindChoice, {1, 9});
    Text("");
    Text("ab");
    m_ed.m_CurPos = TEXTPOS{9, 0, 1};
    Layout();
    EXPECT_EQ(pFirst->m_Command[1].nValue, 4);
    int n = 0;
    for (m_ed.m_pList->First(); m_ed.m_pList->IsInList(); m_ed.m_pList->Next())
        ++n;
    EXPECT_EQ(n, 7);
    EXPECT_EQ(m_ed.m_CurPos, (TEXTPOS{7, 0, 1}));

    m_ed.m_pList->Clear();
    Text("");
    Layout();
    EXPECT_TRUE(m_ed.m_pList->IsEmpty());
    EXPECT_EQ(RowsInUse(), 1);
}

TEST_F(LayoutTest, PicturesAndFormulasAreLoadedByTheLayoutAndRetriedWhenMissing) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("tessel_layout_" + std::to_string(getpid()));
    fs::create_directories(dir / "Image");
    fs::create_directories(dir / "Formula");
    std::ofstream(dir / "Formula" / "f.fml") << "\\frac{a}{b}";
    m_ed.m_strDirPrj = dir.string();

    CLink* pImage = Object(kKindImage, {0, 0, 2000}, "Image\\PIC.BMP");  // 19 x 19 at 2000%
    Text("ab");
    CLink* pFormula = Object(kKindFormula, {0, 100}, "Formula\\f.fml");
    Layout();
    // A missing picture ends every row before it.
    EXPECT_EQ(pImage->m_pPicture.get(), nullptr);
    EXPECT_EQ(RowsInUse(), 128);
    EXPECT_EQ(m_ed.m_Row[127], (ROW{18, 0, 0, 0}));

    const auto bytes = tessel::resources::BitmapResource(533);
    std::ofstream(dir / "Image" / "pic.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    Layout();
    ASSERT_NE(pImage->m_pPicture.get(), nullptr);
    EXPECT_EQ(m_ed.m_Row[0].nHeight, 380 + 2);  // wider than the line: alone on its row
    EXPECT_EQ(RowStart(1), (TEXTPOS{1, 0, 0}));
    ASSERT_NE(pFormula->m_pFormula.get(), nullptr);
    CFormula formula;
    ASSERT_EQ(formula.Open((dir / "Formula" / "f.fml").c_str()), 1);
    EXPECT_EQ(pFormula->m_Command[2].nValue, formula.GetRect().Width());
    EXPECT_EQ(pFormula->m_Command[3].nValue, formula.GetRect().Height() - 5);
    fs::remove_all(dir);
}

}  // namespace
