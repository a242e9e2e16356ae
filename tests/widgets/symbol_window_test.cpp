// The Insert Symbol window on its own, with a window of the test's standing in for the
// editor: the symbol sets against the characters they must hold (written here as UTF-8 and
// decoded from GBK by the platform), the grid's cells, its highlight and its picture, the
// tabs, and what reaches the editor on OK.

#include "widgets/symbol_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/user_input.h"
#include "widgets/edit_commands.h"

namespace {

using tessel::commands::kInsertSymbolCharMessage;
using tessel::platform::ProcessEvents;
using tessel::widgets::SymbolAt;
using tessel::widgets::SymbolCount;
using tessel::widgets::SymbolSet;

// The sets as a reader sees them, tab by tab.
const std::array<std::string, 7> kExpectedSets = {
    "±×÷∧∨∑∏∪∩∈∷√⊥∥∠⌒⊙∫∮≡≌≈∽∝≠≮≯≤≥∞∵∴＋－／＜＝＞",
    "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩαβγδεζηθικλμνξοπρστυφχψω",
    "、。·ˉˇ¨〃々—～‖…‘’“”〔〕〈〉《》「」『』〖〗【】∶！＂＇（），．：；？［］｀｛｜｝",
    "°′″℃＄¤￠￡‰￥％",
    "⒈⒉⒊⒋⒌⒍⒎⒏⒐⒑⒒⒓⒔⒕⒖⒗⒘⒙⒚⒛⑴⑵⑶⑷⑸⑹⑺⑻⑼⑽⑾⑿⒀⒁⒂⒃⒄⒅⒆⒇①②③④⑤⑥⑦⑧⑨⑩㈠㈡㈢㈣㈤㈥㈦㈧㈨㈩ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩⅪⅫ",
    "ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦㄧㄨㄩ",
    "§№☆★○●◎◇◆□■△▲※→←↑↓〓＃＆＠＼＾＿￣",
};
const std::array<const char*, 7> kLabels = {"Maths Symbol",  "Greece Symbol", "Interpunction",
                                            "Unit Symbol",   "Figure Symbol", "Old Type Spell",
                                            "Special Symbol"};

// The UTF-8 characters of a text, one string each.
std::vector<std::string> Characters(const std::string& utf8) {
    std::vector<std::string> chars;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        chars.push_back(utf8.substr(i, n));
        i += n;
    }
    return chars;
}

// Stands in for the editor window: records the symbols it is asked to insert.
class CRecorder : public CWnd {
  public:
    std::vector<std::string> m_inserted;  // GBK

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kInsertSymbolCharMessage)
            m_inserted.push_back(
                {static_cast<char>(wParam & 0xFF), static_cast<char>((wParam >> 8) & 0xFF)});
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(SymbolSets, HoldTheirCountsOfDoubleByteCharacters) {
    const std::array<int, 7> counts = {38, 48, 47, 11, 72, 37, 26};
    for (int t = 0; t < 7; ++t) {
        EXPECT_EQ(SymbolCount(t), counts[t]) << t;
        EXPECT_EQ(SymbolSet(t).size(), 2u * static_cast<unsigned>(counts[t])) << t;
        const std::vector<std::string> expected = Characters(kExpectedSets[t]);
        ASSERT_EQ(static_cast<int>(expected.size()), counts[t]) << t;
        for (int i = 0; i < counts[t]; ++i) {
            const std::string_view symbol = SymbolAt(t, i);
            ASSERT_EQ(symbol.size(), 2u) << t << " " << i;
            const auto lead = static_cast<unsigned char>(symbol[0]);
            const auto trail = static_cast<unsigned char>(symbol[1]);
            EXPECT_TRUE(lead >= 0x81 && lead <= 0xFE) << t << " " << i;
            EXPECT_TRUE(trail >= 0x40 && trail <= 0xFE && trail != 0x7F) << t << " " << i;
            EXPECT_EQ(tessel::platform::GbkToUtf8(symbol), expected[static_cast<size_t>(i)])
                << "tab " << t << " symbol " << i;
        }
    }
    EXPECT_TRUE(SymbolSet(-1).empty());
    EXPECT_TRUE(SymbolSet(7).empty());
    EXPECT_EQ(SymbolCount(7), 0);
    EXPECT_TRUE(SymbolAt(0, 38).empty());
    EXPECT_TRUE(SymbolAt(0, -1).empty());
    EXPECT_TRUE(SymbolAt(-1, 0).empty());
}

class SymbolWindowTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
    void SetUp() override {
        ASSERT_TRUE(m_editor.CreateEx(0, AfxRegisterWndClass(0), "editor", WS_POPUP | WS_VISIBLE,
                                      40, 300, 300, 200, nullptr, 0));
        ASSERT_TRUE(m_symbols.Create(nullptr, &m_editor));
        m_symbols.ShowWindow(SW_SHOW);
        ProcessEvents();
    }
    void TearDown() override {
        m_symbols.DestroyWindow();
        m_editor.DestroyWindow();
        ProcessEvents();
    }
    CSymbolGrid& Grid() { return m_symbols.m_Grid; }
    // The grid as it is shown.
    void Picture(CBitmap& bitmap) { ASSERT_TRUE(tessel::platform::CaptureWindow(&Grid(), bitmap)); }
    // The pixels of the rectangle that are white, and that are light (the ink of a white
    // symbol, smoothed at its edges, included).
    static int Count(const CBitmap& bitmap, const CRect& rc, bool bLight) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                const COLORREF cr = bitmap.GetPixel(x, y);
                const int nDarkest = std::min({cr & 0xFF, (cr >> 8) & 0xFF, (cr >> 16) & 0xFF});
                n += bLight ? nDarkest >= 160 : cr == RGB(255, 255, 255);
            }
        return n;
    }
    static bool AllWhite(const CBitmap& bitmap, const CRect& rc) {
        return Count(bitmap, rc, false) == rc.Width() * rc.Height();
    }
    // The inside of cell n, less its lines.
    static CRect Inside(int n) {
        CRect rc = CSymbolGrid::CellRect(n);
        return CRect(rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1);
    }

    CRecorder m_editor;
    CSymbolDlg m_symbols;
};

TEST_F(SymbolWindowTest, HasSevenLabelledTabsAndTheGridInTheirPane) {
    EXPECT_EQ(m_symbols.GetWindowText(), "Insert Symbol");
    CTabCtrl& tabs = m_symbols.m_TabCtrl;
    EXPECT_EQ(tabs.GetDlgCtrlID(), 2007u);
    ASSERT_EQ(tabs.GetItemCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(tabs.GetItemText(i), kLabels[i]);
    EXPECT_EQ(tabs.GetCurSel(), 0);
    // The grid: a bordered child of the tab control at (5, 25), 440 x 160, id 0, no title.
    EXPECT_EQ(Grid().GetParent(), &tabs);
    EXPECT_EQ(tabs.GetParent(), &m_symbols);
    CRect rc;
    Grid().GetWindowRect(&rc);
    tabs.ScreenToClient(&rc);
    EXPECT_EQ(rc, CRect(5, 25, 445, 185));
    EXPECT_TRUE((Grid().GetStyle() & WS_BORDER) && Grid().IsWindowVisible());
    EXPECT_TRUE(Grid().GetDlgCtrlID() == 0 && Grid().GetWindowText().empty());
    EXPECT_TRUE(Grid().m_nCategory == 0 && Grid().m_nSelected == -1);
    // The tab control fills the window and its row ends above the grid.
    CRect rcTabs, rcWindow;
    tabs.GetClientRect(&rcTabs);
    m_symbols.GetClientRect(&rcWindow);
    EXPECT_EQ(rcTabs, rcWindow);
    CRect rcPane = rcTabs;
    tabs.AdjustRect(FALSE, &rcPane);
    EXPECT_LE(rcPane.top, 25);
}

TEST_F(SymbolWindowTest, APointHitsTheCellOfItsRowAndColumnWhileASymbolIsThere) {
    // Maths symbols: 38, so the second row ends at cell 37.
    EXPECT_EQ(Grid().HitTest(CPoint(0, 0)), 0);
    EXPECT_EQ(Grid().HitTest(CPoint(19, 19)), 0);
    EXPECT_EQ(Grid().HitTest(CPoint(20, 0)), 1);
    EXPECT_EQ(Grid().HitTest(CPoint(439, 5)), 21);
    EXPECT_EQ(Grid().HitTest(CPoint(0, 20)), 22);
    EXPECT_EQ(Grid().HitTest(CPoint(319, 39)), 37);
    EXPECT_EQ(Grid().HitTest(CPoint(320, 39)), -1);  // cell 38
    EXPECT_EQ(Grid().HitTest(CPoint(5, 45)), -1);    // cell 44
    EXPECT_EQ(Grid().HitTest(CPoint(439, 159)), -1);
    for (const CPoint& pt : {CPoint(-1, 0), CPoint(0, -1), CPoint(440, 0), CPoint(0, 160)})
        EXPECT_EQ(Grid().HitTest(pt), -1) << pt.x << "," << pt.y;
    // Figure symbols: 72, the fourth row holds cells 66 to 71.
    ASSERT_TRUE(m_symbols.SelectTab(4));
    EXPECT_EQ(Grid().HitTest(CPoint(0, 60)), 66);
    EXPECT_EQ(Grid().HitTest(CPoint(119, 79)), 71);
    EXPECT_EQ(Grid().HitTest(CPoint(120, 79)), -1);
    EXPECT_EQ(CSymbolGrid::CellRect(23), CRect(20, 20, 40, 40));
}

TEST_F(SymbolWindowTest, AClickHighlightsAndAnEmptyCellTakesTheHighlightAway) {
    ASSERT_TRUE(m_symbols.ClickSymbol(3));
    EXPECT_EQ(Grid().m_nSelected, 3);
    ASSERT_TRUE(m_symbols.ClickSymbol(3));
    EXPECT_EQ(Grid().m_nSelected, 3);
    ASSERT_TRUE(m_symbols.ClickSymbol(30));
    EXPECT_EQ(Grid().m_nSelected, 30);
    ASSERT_TRUE(m_symbols.ClickSymbol(100));  // past the 38 maths symbols
    EXPECT_EQ(Grid().m_nSelected, -1);
    m_symbols.OnOK();
    // A double click on an empty cell inserts nothing either.
    ASSERT_TRUE(m_symbols.DoubleClickSymbol(175));
    ProcessEvents();
    EXPECT_TRUE(m_editor.m_inserted.empty());
    EXPECT_FALSE(m_symbols.ClickSymbol(176));
    EXPECT_FALSE(m_symbols.DoubleClickSymbol(-1));
}

TEST_F(SymbolWindowTest, SwitchingTabsClearsTheHighlightSoOkInsertsNothing) {
    ASSERT_TRUE(m_symbols.ClickSymbol(5));
    ASSERT_TRUE(m_symbols.SelectTab(1));
    EXPECT_EQ(Grid().m_nCategory, 1);
    EXPECT_EQ(Grid().m_nSelected, -1);
    m_symbols.OnOK();
    tessel::platform::PressKey(&Grid(), tessel::platform::Key::kEnter, 0);
    ProcessEvents();
    EXPECT_TRUE(m_editor.m_inserted.empty());
    // A click on the tab already selected changes nothing.
    ASSERT_TRUE(m_symbols.ClickSymbol(2));
    ASSERT_TRUE(m_symbols.SelectTab(1));
    EXPECT_EQ(Grid().m_nSelected, 2);
    EXPECT_FALSE(m_symbols.SelectTab(7));
}

TEST_F(SymbolWindowTest, DoubleClicksInsertTheSymbolEachTimeAndClosingOnlyHides) {
    ASSERT_TRUE(m_symbols.SelectTab(1));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(m_symbols.DoubleClickSymbol(24));
        ProcessEvents();
        EXPECT_TRUE(m_symbols.IsWindowVisible());
    }
    ASSERT_EQ(m_editor.m_inserted.size(), 3u);
    for (const std::string& s : m_editor.m_inserted)
        EXPECT_EQ(tessel::platform::GbkToUtf8(s), "α");
    // Enter is OK as well: the highlighted symbol once more.
    m_editor.m_inserted.clear();
    ASSERT_TRUE(m_symbols.SelectTab(6));
    ASSERT_TRUE(m_symbols.ClickSymbol(22));
    tessel::platform::PressKey(&Grid(), tessel::platform::Key::kEnter, 0);
    ProcessEvents();
    ASSERT_EQ(m_editor.m_inserted.size(), 1u);
    EXPECT_EQ(tessel::platform::GbkToUtf8(m_editor.m_inserted[0]), "＼");
    // Closing, and Escape, only hide the window.
    m_symbols.SendMessage(WM_CLOSE);
    ProcessEvents();
    EXPECT_NE(m_symbols.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(m_symbols.IsWindowVisible());
    m_symbols.ShowWindow(SW_SHOW);
    EXPECT_TRUE(m_symbols.IsWindowVisible());
    tessel::platform::PressKey(&Grid(), tessel::platform::Key::kEscape, 0);
    ProcessEvents();
    EXPECT_FALSE(m_symbols.IsWindowVisible());
    EXPECT_NE(CWnd::FromHandle(m_symbols.GetSafeHwnd()), nullptr);
}

TEST_F(SymbolWindowTest, TheUsersMouseDoubleClickInsertsOnce) {
    const CPoint pt = CSymbolGrid::CellRect(0).CenterPoint();
    using tessel::platform::MouseButton;
    tessel::platform::PressMouse(&Grid(), pt, MouseButton::kLeft, 0);
    tessel::platform::ReleaseMouse(&Grid(), pt, MouseButton::kLeft, 0);
    tessel::platform::DoubleClickMouse(&Grid(), pt, MouseButton::kLeft, 0);
    tessel::platform::ReleaseMouse(&Grid(), pt, MouseButton::kLeft, 0);
    ProcessEvents();
    ASSERT_EQ(m_editor.m_inserted.size(), 1u);
    EXPECT_EQ(tessel::platform::GbkToUtf8(m_editor.m_inserted[0]), "±");
}

TEST_F(SymbolWindowTest, TheHighlightedCellIsBlackInsideItsLines) {
    // Drawn at once by the press, and the same when the grid is painted again.
    ASSERT_TRUE(m_symbols.ClickSymbol(23));
    for (int nPass = 0; nPass < 2; ++nPass) {
        CBitmap picture;
        Picture(picture);
        ASSERT_EQ(picture.GetSize(), CSize(440, 160));
        const CRect rc = Inside(23);  // (21, 21) to (39, 39)
        for (const CPoint& pt :
             {CPoint(rc.left, rc.top), CPoint(rc.right - 1, rc.top), CPoint(rc.left, rc.bottom - 1),
              CPoint(rc.right - 1, rc.bottom - 1)})
            EXPECT_EQ(picture.GetPixel(pt.x, pt.y), RGB(0, 0, 0)) << nPass;
        EXPECT_GT(Count(picture, rc, true), 0) << "the symbol, in white";
        // The lines around it and a neighbour's inside: white background, black symbol.
        EXPECT_EQ(picture.GetPixel(20, 30), RGB(0, 0, 0));
        EXPECT_EQ(picture.GetPixel(30, 20), RGB(0, 0, 0));
        EXPECT_EQ(picture.GetPixel(41, 21), RGB(255, 255, 255));
        EXPECT_FALSE(AllWhite(picture, Inside(24)));
        EXPECT_TRUE(AllWhite(picture, Inside(40)));  // past the 38 symbols
        Grid().Invalidate();
    }
    // A click elsewhere gives the cell back its white.
    ASSERT_TRUE(m_symbols.ClickSymbol(0));
    CBitmap after;
    Picture(after);
    EXPECT_EQ(after.GetPixel(21, 21), RGB(255, 255, 255));
    EXPECT_EQ(after.GetPixel(18, 18), RGB(0, 0, 0));
    // Another tab shows its own set: Unit symbols end at cell 10.
    ASSERT_TRUE(m_symbols.SelectTab(3));
    CBitmap units;
    Picture(units);
    EXPECT_FALSE(AllWhite(units, Inside(10)));
    EXPECT_TRUE(AllWhite(units, Inside(11)));
    EXPECT_FALSE(AllWhite(units, Inside(0)));
    EXPECT_EQ(units.GetPixel(18, 18), RGB(255, 255, 255));
    // The window's own picture: the tabs and the grid.
    const std::string strPath = testing::TempDir() + "symbol_window_test.png";
    EXPECT_TRUE(m_symbols.SavePicture(strPath));
    std::remove(strPath.c_str());
}

}  // namespace
