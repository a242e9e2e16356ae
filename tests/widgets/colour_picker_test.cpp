// The colour picker and its popup, driven as a user would (clicks, mouse moves, keys) with a
// parent window that records the picker's messages. Where the popup lies and how large it is
// are worked out here from the picker's rules: 8 columns and 5 rows of 18-pixel boxes inside
// an edge-wide margin, under a "More..." box measured in the message font.

#include "widgets/colour_picker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/color_dialog.h"
#include "platform/user_input.h"
#include "widgets/colour_popup.h"
#include "widgets/edit_commands.h"

namespace {

using tessel::platform::Key;
using tessel::platform::kNoModifiers;
using tessel::platform::MouseButton;
using tessel::platform::ProcessEvents;
using tessel::widgets::kPickerColours;
using Cell = CColourPopup::Cell;

constexpr UINT kPickerId = 323;
constexpr COLORREF kRed = RGB(255, 0, 0);            // cell 16: row 2, column 0
constexpr COLORREF kOffTable = RGB(1, 2, 3);         // none of the grid's colours
constexpr COLORREF kDialogColour = RGB(10, 20, 30);  // what the colour dialog answers

struct Received {
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};

// Records the picker's messages, as a parent or as the editor a picker is linked to.
class CRecorder : public CWnd {
  public:
    std::vector<Received> m_log;
    std::vector<UINT> Messages() const {
        std::vector<UINT> result;
        for (const Received& r : m_log)
            result.push_back(r.nMessage);
        return result;
    }
    std::vector<COLORREF> Colours(UINT nMessage) const {
        std::vector<COLORREF> result;
        for (const Received& r : m_log)
            if (r.nMessage == nMessage) result.push_back(static_cast<COLORREF>(r.wParam));
        return result;
    }

  protected:
    const MessageMap* GetMessageMap() const override {
        static constexpr MessageMapEntry kEntries[] = {
            MapMessage<CPN_SELCHANGE, &CRecorder::OnAny<CPN_SELCHANGE>>(),
            MapMessage<CPN_DROPDOWN, &CRecorder::OnAny<CPN_DROPDOWN>>(),
            MapMessage<CPN_CLOSEUP, &CRecorder::OnAny<CPN_CLOSEUP>>(),
            MapMessage<CPN_SELENDOK, &CRecorder::OnAny<CPN_SELENDOK>>(),
            MapMessage<CPN_SELENDCANCEL, &CRecorder::OnAny<CPN_SELENDCANCEL>>(),
        };
        static const MessageMap kMap{CWnd::GetThisMessageMap(), kEntries};
        return &kMap;
    }
    template <UINT Message>
    LRESULT OnAny(WPARAM wParam, LPARAM lParam) {
        m_log.push_back({Message, wParam, lParam});
        return 0;
    }
};

// The popup's layout by the rules, in its client coordinates.
struct Layout {
    int nMargin = 0;
    int nBox = 0;
    CRect rcText;  // the "More..." box
    CSize size;    // the whole popup
    CRect CellRect(int nRow, int nCol) const {
        const int nLeft = nCol * nBox + nMargin, nTop = nRow * nBox + nMargin + rcText.Height();
        return CRect(nLeft, nTop, nLeft + nBox, nTop + nBox);
    }
};

Layout ExpectedLayout() {
    Layout layout;
    layout.nMargin = GetSystemMetrics(SM_CXEDGE);
    const int m = layout.nMargin;
    layout.nBox = 18 - 2 * m - 2 < 5 ? 2 * m + 7 : 18;
    NONCLIENTMETRICS metrics;
    EXPECT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    CFont font;
    EXPECT_TRUE(font.CreateFontIndirect(&metrics.lfMessageFont));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&font);
    const CSize text = dc.GetTextExtent("More...");
    const int nTextWidth = text.cx + 2 * m, nTextBoxHeight = text.cy + 2 * m + 2 * m + 2;
    const int nWidth = std::max(8 * layout.nBox + 2 * m, nTextWidth);
    layout.size = CSize(nWidth, 5 * layout.nBox + 2 * m + m + nTextBoxHeight);
    layout.rcText = CRect(m, m, nWidth - m, m + nTextBoxHeight);
    return layout;
}

CPoint Centre(const CRect& rc) {
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

COLORREF ColourAt(int nRow, int nCol) {
    return kPickerColours[static_cast<std::size_t>(nRow * 8 + nCol)].crColour;
}

class ColourPickerTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
    void SetUp() override { m_layout = ExpectedLayout(); }
    void TearDown() override {
        tessel::platform::SetColorDialogAnswerer(nullptr);
        m_picker.DestroyWindow();
        m_parent.DestroyWindow();
        m_editor.DestroyWindow();
        CWnd::ReleaseCapture();
        ProcessEvents();
    }

    // The parent window at (x, y) on the screen with the picker in it at (10, 10), 93 x 20.
    void Build(int x = 40, int y = 30) {
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP | WS_VISIBLE, x,
                                      y, 200, 60, nullptr, 0));
        ASSERT_TRUE(m_picker.Create("...", WS_CHILD | WS_VISIBLE, CRect(10, 10, 103, 30), &m_parent,
                                    kPickerId));
        ProcessEvents();
    }
    // Clicks the picker showing crColour; the popup it opened.
    CColourPopup* Open(COLORREF crColour) {
        m_picker.SetColour(crColour);
        const CPoint ptButton(20, 10);
        tessel::platform::PressMouse(&m_picker, ptButton, MouseButton::kLeft, kNoModifiers);
        tessel::platform::ReleaseMouse(&m_picker, ptButton, MouseButton::kLeft, kNoModifiers);
        ProcessEvents();
        return m_picker.GetPopup();
    }
    void Hover(CColourPopup* pPopup, int nRow, int nCol) {
        tessel::platform::MoveMouse(pPopup, Centre(m_layout.CellRect(nRow, nCol)), kNoModifiers);
    }
    void HoverMore(CColourPopup* pPopup) {
        tessel::platform::MoveMouse(pPopup, Centre(m_layout.rcText), kNoModifiers);
    }
    // A key pressed where the keyboard is: the popup has the focus while it is open.
    void Press(CColourPopup* pPopup, Key key) {
        CWnd* pTarget = tessel::platform::KeyboardTarget(&m_parent);
        EXPECT_EQ(pTarget, pPopup);
        tessel::platform::PressKey(pTarget, key, kNoModifiers);
        ProcessEvents();
    }
    CRect ButtonRect() const {
        CRect rc;
        m_picker.GetWindowRect(&rc);
        return rc;
    }

    Layout m_layout;
    CRecorder m_parent, m_editor;
    CColourPicker m_picker;
};

TEST_F(ColourPickerTest, TableHoldsTheFortyNamedColoursInGridOrder) {
    ASSERT_EQ(kPickerColours.size(), 40u);
    EXPECT_EQ(kPickerColours[0].strName, "Black");
    EXPECT_EQ(kPickerColours[0].crColour, RGB(0, 0, 0));
    EXPECT_EQ(kPickerColours[1].strName, "Brown");
    EXPECT_EQ(kPickerColours[1].crColour, RGB(165, 42, 0));
    EXPECT_EQ(kPickerColours[9].strName, "Orange");
    EXPECT_EQ(kPickerColours[9].crColour, RGB(255, 104, 32));
    EXPECT_EQ(kPickerColours[15].strName, "Grey - 40");
    EXPECT_EQ(kPickerColours[20].crColour, RGB(127, 255, 212));
    EXPECT_EQ(kPickerColours[31].strName, "Light grey");
    EXPECT_EQ(kPickerColours[31].crColour, RGB(192, 192, 192));
    EXPECT_EQ(kPickerColours[35].strName, "Pale green ");  // with its trailing blank
    EXPECT_EQ(kPickerColours[35].crColour, RGB(152, 251, 152));
    EXPECT_EQ(kPickerColours[37].crColour, RGB(104, 131, 139));
    EXPECT_EQ(kPickerColours[39].strName, "White");
    EXPECT_EQ(kPickerColours[39].crColour, RGB(255, 255, 255));
    std::set<std::string_view> names;
    for (const auto& colour : kPickerColours)
        names.insert(colour.strName);
    EXPECT_EQ(names.size(), 40u);
}

TEST_F(ColourPickerTest, PressOpensThePopupUnderTheButtonAndTellsTheParent) {
    Build();
    EXPECT_FALSE(m_picker.IsActive());
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    EXPECT_TRUE(m_picker.IsActive());
    EXPECT_EQ(m_parent.m_log, (std::vector<Received>{{CPN_DROPDOWN, kRed, kPickerId}}));
    EXPECT_EQ(CWnd::GetCapture(), pPopup);

    // A top-level popup at the button's bottom-left corner, sized by the rules.
    EXPECT_EQ(pPopup->GetStyle() & (WS_POPUP | WS_CHILD), WS_POPUP);
    CRect rcPopup, rcClient;
    pPopup->GetWindowRect(&rcPopup);
    pPopup->GetClientRect(&rcClient);
    EXPECT_EQ(rcPopup.TopLeft(), CPoint(ButtonRect().left, ButtonRect().bottom));
    EXPECT_EQ(rcClient.Size(), m_layout.size);
    EXPECT_EQ(pPopup->GetTextRect(), m_layout.rcText);

    // The initial colour's cell is the chosen one; nothing is hovered yet.
    EXPECT_EQ(pPopup->GetChosenCell(), (Cell{2, 0}));
    EXPECT_EQ(pPopup->GetHoverCell(), CColourPopup::kNoCell);
}

TEST_F(ColourPickerTest, HoverSendsEachNewCellsColourOnce) {
    Build();
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    Hover(pPopup, 0, 1);
    Hover(pPopup, 0, 1);  // the same cell again: no news
    Hover(pPopup, 3, 5);
    Hover(pPopup, 4, 7);
    HoverMore(pPopup);  // the "More..." box stands for the initial colour
    EXPECT_EQ(pPopup->GetHoverCell(), CColourPopup::kMoreBox);
    // Outside the grid (right of the last column's margin, below the last row) nothing
    // changes.
    tessel::platform::MoveMouse(pPopup, CPoint(m_layout.size.cx - 1, m_layout.size.cy - 1),
                                kNoModifiers);
    EXPECT_EQ(pPopup->GetHoverCell(), CColourPopup::kMoreBox);

    EXPECT_EQ(m_parent.Colours(CPN_SELCHANGE),
              (std::vector<COLORREF>{ColourAt(0, 1), ColourAt(3, 5), ColourAt(4, 7), kRed}));
    for (const Received& r : m_parent.m_log)
        EXPECT_EQ(r.lParam, static_cast<LPARAM>(kPickerId));
    // Without track selection the button keeps its colour meanwhile.
    EXPECT_EQ(m_picker.GetColour(), kRed);
}

TEST_F(ColourPickerTest, EscapeAfterHoveringEndsWithTheInitialColour) {
    Build();
    m_picker.SetTrackSelection(TRUE);
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    Hover(pPopup, 0, 3);
    Hover(pPopup, 1, 4);
    Hover(pPopup, 4, 2);
    EXPECT_EQ(m_picker.GetColour(), ColourAt(4, 2));  // tracking shows the hovered colour
    m_parent.m_log.clear();

    Press(pPopup, Key::kEscape);
    EXPECT_EQ(m_parent.m_log, (std::vector<Received>{{CPN_CLOSEUP, kRed, kPickerId},
                                                     {CPN_SELENDCANCEL, kRed, kPickerId}}));
    EXPECT_EQ(m_picker.GetColour(), kRed);
    EXPECT_FALSE(m_picker.IsActive());
    EXPECT_EQ(m_picker.GetPopup(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST_F(ColourPickerTest, EnterAfterHoveringEndsWithTheHoveredColour) {
    Build();
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    Hover(pPopup, 1, 5);
    m_parent.m_log.clear();
    Press(pPopup, Key::kEnter);
    const COLORREF crBlue = ColourAt(1, 5);
    EXPECT_EQ(m_parent.m_log, (std::vector<Received>{{CPN_CLOSEUP, crBlue, kPickerId},
                                                     {CPN_SELENDOK, crBlue, kPickerId}}));
    EXPECT_EQ(m_picker.GetColour(), crBlue);
    EXPECT_FALSE(m_picker.IsActive());
    EXPECT_EQ(m_picker.GetPopup(), nullptr);
}

TEST_F(ColourPickerTest, ReleaseInsideChoosesAndReleaseOutsideCancels) {
    Build();
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    Hover(pPopup, 3, 2);
    const CPoint ptCell = Centre(m_layout.CellRect(3, 2));
    tessel::platform::PressMouse(pPopup, ptCell, MouseButton::kLeft, kNoModifiers);
    tessel::platform::ReleaseMouse(pPopup, ptCell, MouseButton::kLeft, kNoModifiers);
    ProcessEvents();
    EXPECT_EQ(m_parent.Messages().back(), CPN_SELENDOK);
    EXPECT_EQ(m_parent.Colours(CPN_SELENDOK), (std::vector<COLORREF>{ColourAt(3, 2)}));
    EXPECT_EQ(m_picker.GetColour(), ColourAt(3, 2));

    // A click on the parent window, away from the popup: the capture brings it to the popup.
    pPopup = Open(ColourAt(3, 2));
    ASSERT_NE(pPopup, nullptr);
    Hover(pPopup, 0, 0);
    m_parent.m_log.clear();
    const CPoint ptAway(190, 5);
    tessel::platform::PressMouse(&m_parent, ptAway, MouseButton::kLeft, kNoModifiers);
    tessel::platform::ReleaseMouse(&m_parent, ptAway, MouseButton::kLeft, kNoModifiers);
    ProcessEvents();
    EXPECT_EQ(m_parent.m_log,
              (std::vector<Received>{{CPN_CLOSEUP, ColourAt(3, 2), kPickerId},
                                     {CPN_SELENDCANCEL, ColourAt(3, 2), kPickerId}}));
    EXPECT_EQ(m_picker.GetColour(), ColourAt(3, 2));
    EXPECT_EQ(m_picker.GetPopup(), nullptr);
}

TEST_F(ColourPickerTest, KeysMoveThroughTheGridAndReachMore) {
    Build();
    struct Step {
        Key key;
        Cell cell;
        COLORREF crSent;
    };
    const Cell kMore = CColourPopup::kMoreBox;
    // Each run starts on a fresh popup, with no cell hovered.
    const std::vector<std::vector<Step>> runs = {
        // Down from no cell to the first cell; Up from the first row to More.
        {{Key::kDown, {0, 0}, ColourAt(0, 0)},
         {Key::kDown, {1, 0}, ColourAt(1, 0)},
         {Key::kUp, {0, 0}, ColourAt(0, 0)},
         {Key::kUp, kMore, kRed}},
        // Up from no cell to the last row's first cell; Down from the last row to More.
        {{Key::kUp, {4, 0}, ColourAt(4, 0)}, {Key::kDown, kMore, kRed}},
        // Left from no cell to the last cell; Right and Left wrap within the row.
        {{Key::kLeft, {4, 7}, ColourAt(4, 7)},
         {Key::kRight, {4, 0}, ColourAt(4, 0)},
         {Key::kRight, {4, 1}, ColourAt(4, 1)},
         {Key::kLeft, {4, 0}, ColourAt(4, 0)},
         {Key::kLeft, {4, 7}, ColourAt(4, 7)}},
        // Right from no cell to the first cell.
        {{Key::kRight, {0, 0}, ColourAt(0, 0)}},
    };
    for (std::size_t nRun = 0; nRun < runs.size(); ++nRun) {
        CColourPopup* pPopup = Open(kRed);
        ASSERT_NE(pPopup, nullptr);
        for (const Step& step : runs[nRun]) {
            m_parent.m_log.clear();
            Press(pPopup, step.key);
            EXPECT_EQ(pPopup->GetHoverCell(), step.cell) << "run " << nRun;
            EXPECT_EQ(m_parent.m_log,
                      (std::vector<Received>{{CPN_SELCHANGE, step.crSent, kPickerId}}))
                << "run " << nRun;
        }
        // A key the popup does not use changes nothing.
        const Cell before = pPopup->GetHoverCell();
        m_parent.m_log.clear();
        Press(pPopup, Key::kHome);
        EXPECT_EQ(pPopup->GetHoverCell(), before);
        EXPECT_TRUE(m_parent.m_log.empty());
        Press(pPopup, Key::kEscape);
        ASSERT_EQ(m_picker.GetPopup(), nullptr);
    }
}

TEST_F(ColourPickerTest, MoreOpensTheFullColourDialog) {
    Build();
    struct Asked {
        COLORREF crInitial;
        DWORD dwFlags;
    };
    std::optional<Asked> asked;
    std::optional<COLORREF> answer = kDialogColour;
    tessel::platform::SetColorDialogAnswerer([&](const CColorDialog& dialog) {
        asked = Asked{dialog.InitialColor(), dialog.Flags()};
        return answer;
    });

    // OK in the dialog: its colour is the choice.
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    HoverMore(pPopup);
    const CPoint ptMore = Centre(m_layout.rcText);
    tessel::platform::PressMouse(pPopup, ptMore, MouseButton::kLeft, kNoModifiers);
    tessel::platform::ReleaseMouse(pPopup, ptMore, MouseButton::kLeft, kNoModifiers);
    ProcessEvents();
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->crInitial, kRed);
    EXPECT_EQ(asked->dwFlags & (CC_FULLOPEN | CC_ANYCOLOR), CC_FULLOPEN | CC_ANYCOLOR);
    EXPECT_EQ(m_parent.Colours(CPN_SELENDOK), (std::vector<COLORREF>{kDialogColour}));
    EXPECT_EQ(m_picker.GetColour(), kDialogColour);

    // Cancel in the dialog: the choice still ends with OK, with the initial colour.
    asked.reset();
    answer.reset();
    pPopup = Open(kOffTable);
    ASSERT_NE(pPopup, nullptr);
    // A colour the table lacks marks "More..." as the chosen cell.
    EXPECT_EQ(pPopup->GetChosenCell(), CColourPopup::kMoreBox);
    Hover(pPopup, 2, 2);
    Press(pPopup, Key::kDown);
    Press(pPopup, Key::kDown);
    Press(pPopup, Key::kDown);  // from the last row to More
    ASSERT_EQ(pPopup->GetHoverCell(), CColourPopup::kMoreBox);
    m_parent.m_log.clear();
    Press(pPopup, Key::kEnter);
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->crInitial, kOffTable);
    EXPECT_EQ(m_parent.m_log, (std::vector<Received>{{CPN_CLOSEUP, kOffTable, kPickerId},
                                                     {CPN_SELENDOK, kOffTable, kPickerId}}));
    EXPECT_EQ(m_picker.GetColour(), kOffTable);
}

TEST_F(ColourPickerTest, PopupStaysOnTheScreen) {
    const int cxScreen = GetSystemMetrics(SM_CXSCREEN);
    const int cyScreen = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(cxScreen, 300);
    ASSERT_GT(cyScreen, 200);

    // Near the bottom: it opens above the button, its bottom on the button's top.
    Build(40, cyScreen - 40);
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    CRect rcButton = ButtonRect(), rcPopup;
    pPopup->GetWindowRect(&rcPopup);
    EXPECT_EQ(rcPopup.left, rcButton.left);
    EXPECT_EQ(rcPopup.bottom, rcButton.top);
    EXPECT_EQ(rcPopup.Size(), m_layout.size);
    Press(pPopup, Key::kEscape);
    m_picker.DestroyWindow();
    m_parent.DestroyWindow();

    // Near the right edge: moved left until its right edge is the screen's.
    Build(cxScreen - 120, 30);
    pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    rcButton = ButtonRect();
    pPopup->GetWindowRect(&rcPopup);
    EXPECT_EQ(rcPopup.right, cxScreen);
    EXPECT_EQ(rcPopup.top, rcButton.bottom);
    EXPECT_EQ(rcPopup.Size(), m_layout.size);
}

TEST_F(ColourPickerTest, ToolTipsOfCellsShowTheColourNames) {
    Build();
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    Hover(pPopup, 4, 3);
    tessel::platform::RunEventLoopFor(1000);
    EXPECT_EQ(tessel::platform::ShownToolTip(), "Pale green ");
    Hover(pPopup, 0, 2);
    tessel::platform::RunEventLoopFor(1000);
    EXPECT_EQ(tessel::platform::ShownToolTip(), "Dark Olive Green");
    Press(pPopup, Key::kEscape);
    ProcessEvents();
    EXPECT_EQ(tessel::platform::ShownToolTip(), "");
}

TEST_F(ColourPickerTest, LinkedPickerSendsTheChoiceToTheEditorOnly) {
    Build();
    ASSERT_TRUE(m_editor.CreateEx(0, AfxRegisterWndClass(0), "editor", WS_POPUP | WS_VISIBLE, 300,
                                  300, 100, 100, nullptr, 0));
    m_picker.LinkToEditor(&m_editor);
    CColourPopup* pPopup = Open(kRed);
    ASSERT_NE(pPopup, nullptr);
    Hover(pPopup, 1, 3);
    Press(pPopup, Key::kEnter);
    const COLORREF crGreen = ColourAt(1, 3);
    EXPECT_EQ(
        m_editor.m_log,
        (std::vector<Received>{{tessel::commands::kColourChosenMessage, crGreen, kPickerId}}));
    EXPECT_EQ(m_parent.Messages(), (std::vector<UINT>{CPN_DROPDOWN, CPN_SELCHANGE}));
    EXPECT_EQ(m_picker.GetColour(), crGreen);
    EXPECT_FALSE(m_picker.IsActive());

    // A cancel is no choice: the parent hears of it as usual, the editor does not.
    m_editor.m_log.clear();
    m_parent.m_log.clear();
    pPopup = Open(crGreen);
    ASSERT_NE(pPopup, nullptr);
    Press(pPopup, Key::kEscape);
    EXPECT_TRUE(m_editor.m_log.empty());
    EXPECT_EQ(m_parent.Messages(),
              (std::vector<UINT>{CPN_DROPDOWN, CPN_CLOSEUP, CPN_SELENDCANCEL}));
}

TEST_F(ColourPickerTest, ButtonFaceShowsTheColourOrTheFaceColourWhenDisabled) {
    Build();
    const COLORREF crShown = RGB(0, 128, 255);
    m_picker.SetColour(crShown);
    ProcessEvents();
    // Inside the sunken edge and the inset, left of the drop arrow.
    const int m = GetSystemMetrics(SM_CXEDGE);
    const CPoint ptFace(2 * m + 3, 10);
    CBitmap bitmap;
    ASSERT_TRUE(tessel::platform::CaptureWindow(&m_picker, bitmap));
    EXPECT_EQ(bitmap.GetPixel(ptFace.x, ptFace.y), crShown);
    // The drop arrow at the right is no part of the colour.
    EXPECT_NE(bitmap.GetPixel(93 - m - 2, 10), crShown);

    m_picker.EnableWindow(FALSE);
    ProcessEvents();
    CBitmap disabled;
    ASSERT_TRUE(tessel::platform::CaptureWindow(&m_picker, disabled));
    EXPECT_EQ(disabled.GetPixel(ptFace.x, ptFace.y), GetSysColor(COLOR_3DFACE));
}

}  // namespace
