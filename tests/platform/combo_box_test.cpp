#include "platform/combo_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/user_input.h"
#include "platform/window_qt.h"

namespace {

using tessel::platform::CaptureWindow;
using tessel::platform::Key;
using tessel::platform::kNoModifiers;
using tessel::platform::MouseButton;
using tessel::platform::PressKey;
using tessel::platform::ProcessEvents;

constexpr UINT kBoxId = 77;

// A top-level window that notes the WM_COMMAND notifications and the clicks it gets.
class CParentWnd : public CWnd {
  public:
    struct Command {
        UINT nId;
        UINT nCode;
        LPARAM lParam;
        bool operator==(const Command&) const = default;
    };
    std::vector<Command> commands;
    int nClicks = 0;

    std::vector<UINT> Codes() const {
        std::vector<UINT> codes;
        for (const Command& c : commands)
            codes.push_back(c.nCode);
        return codes;
    }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            commands.push_back({LOWORD(wParam), HIWORD(wParam), lParam});
            return 0;
        }
        if (message == WM_LBUTTONDOWN) ++nClicks;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ComboBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tessel::platform::EnsureApplication();
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP | WS_VISIBLE,
                                      40, 30, 300, 320, nullptr, 0));
        tessel::platform::WidgetOf(&m_parent)->activateWindow();
        ProcessEvents();
    }
    void TearDown() override { CWnd::ReleaseCapture(); }

    // A box of the items in that order (unsorted), with the focus.
    void MakeBox(CComboBox& box, const CRect& rc, int nItems) {
        ASSERT_TRUE(box.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, rc, &m_parent,
                               kBoxId));
        for (int i = 0; i < nItems; ++i) {
            const std::string strItem = "Item " + std::to_string(100 + i).substr(1);
            ASSERT_EQ(box.AddString(strItem.c_str()), i);
        }
        box.SetFocus();
        ProcessEvents();
        ASSERT_EQ(CWnd::GetFocus(), &box);
    }

    static std::vector<std::string> Texts(const CComboBox& box) {
        std::vector<std::string> texts;
        for (int i = 0; i < box.GetCount(); ++i)
            texts.push_back(box.GetLBText(i));
        return texts;
    }
    static CPoint Centre(CWnd& wnd) {
        CRect rc;
        wnd.GetClientRect(&rc);
        return CPoint(rc.Width() / 2, rc.Height() / 2);
    }
    static void Click(CWnd* pWnd, CPoint pt) {
        tessel::platform::PressMouse(pWnd, pt, MouseButton::kLeft, kNoModifiers);
        tessel::platform::ReleaseMouse(pWnd, pt, MouseButton::kLeft, kNoModifiers);
        ProcessEvents();
    }
    // A point on the bottom row of the dropped list, and on its top row.
    static CPoint BottomRow(CWnd* pList) {
        CRect rc;
        pList->GetClientRect(&rc);
        return CPoint(rc.Width() / 3, rc.Height() - 4);
    }
    static CPoint TopRow(CWnd* pList) {
        CRect rc;
        pList->GetClientRect(&rc);
        return CPoint(rc.Width() / 3, 4);
    }
    static void Wheel(CWnd* pList, int nDelta) {
        QWidget* pWidget = tessel::platform::WidgetOf(pList);
        const QPointF pos(10, 10);
        QWheelEvent event(pos, pWidget->mapToGlobal(pos), QPoint(), QPoint(0, nDelta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(pWidget, &event);
        ProcessEvents();
    }
    CParentWnd::Command SelChange(const CComboBox& box) const {
        return {kBoxId, CBN_SELCHANGE, reinterpret_cast<LPARAM>(box.GetSafeHwnd())};
    }

    CParentWnd m_parent;
};

TEST_F(ComboBoxTest, SortedBoxesOrderTextsIgnoringLetterCaseAndUnsortedOnesKeepTheirs) {
    CComboBox sorted;
    ASSERT_TRUE(sorted.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT,
                              CRect(10, 10, 110, 200), &m_parent, 1));
    // Each AddString returns where the text went.
    EXPECT_EQ(sorted.AddString("banana"), 0);
    EXPECT_EQ(sorted.AddString("Apple"), 0);
    EXPECT_EQ(sorted.AddString("cherry"), 2);
    EXPECT_EQ(sorted.AddString("\xCB\xCE\xCC\xE5"), 3);  // 宋体: GBK bytes sort after ASCII
    EXPECT_EQ(sorted.AddString("Zebra"), 3);
    EXPECT_EQ(sorted.AddString("apple pie"), 1);
    EXPECT_EQ(sorted.AddString("APPLE"), 1);             // after the equal "Apple"
    EXPECT_EQ(sorted.AddString("\xBA\xDA\xCC\xE5"), 6);  // 黑体: BA before CB
    EXPECT_EQ(Texts(sorted),
              (std::vector<std::string>{"Apple", "APPLE", "apple pie", "banana", "cherry", "Zebra",
                                        "\xBA\xDA\xCC\xE5", "\xCB\xCE\xCC\xE5"}));
    // Item data and the selection travel with their items.
    ASSERT_EQ(sorted.SetItemData(3, 33), 0);
    ASSERT_EQ(sorted.SetCurSel(4), 4);  // cherry
    EXPECT_EQ(sorted.AddString("b"), 3);
    EXPECT_EQ(sorted.GetItemData(4), 33u);
    EXPECT_EQ(sorted.GetLBText(sorted.GetCurSel()), "cherry");
    // InsertString puts the text where it is told, sorted box or not.
    EXPECT_EQ(sorted.InsertString(0, "zzz"), 0);
    EXPECT_EQ(sorted.GetLBText(0), "zzz");
    EXPECT_EQ(sorted.GetLBText(sorted.GetCurSel()), "cherry");

    CComboBox plain;
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(120, 10, 220, 200),
                             &m_parent, 2));
    EXPECT_EQ(plain.AddString("b"), 0);
    EXPECT_EQ(plain.AddString("A"), 1);
    EXPECT_EQ(plain.AddString("c"), 2);
    EXPECT_EQ(plain.InsertString(1, "x"), 1);
    EXPECT_EQ(plain.InsertString(-1, "end"), 4);
    EXPECT_EQ(plain.InsertString(9, "past the end"), CB_ERR);
    EXPECT_EQ(Texts(plain), (std::vector<std::string>{"b", "x", "A", "c", "end"}));

    // Deleting: the count left; the selected item's deletion leaves nothing selected.
    ASSERT_EQ(plain.SetCurSel(3), 3);
    EXPECT_EQ(plain.DeleteString(0), 4);
    EXPECT_EQ(plain.GetCurSel(), 2);
    EXPECT_EQ(plain.DeleteString(2), 3);
    EXPECT_EQ(plain.GetCurSel(), CB_ERR);
    EXPECT_EQ(plain.DeleteString(3), CB_ERR);
    EXPECT_EQ(plain.GetLBTextLen(2), 3);
    EXPECT_EQ(plain.GetLBTextLen(3), CB_ERR);
    EXPECT_EQ(plain.GetLBText(3), "");
    std::string strKept = "kept";
    plain.GetLBText(7, strKept);
    EXPECT_EQ(strKept, "kept");
    plain.ResetContent();
    EXPECT_EQ(plain.GetCount(), 0);
    EXPECT_EQ(plain.GetCurSel(), CB_ERR);
    EXPECT_TRUE(m_parent.commands.empty());
}

TEST_F(ComboBoxTest, FindsIgnoreLetterCaseAndWrapAfterTheStartItem) {
    CComboBox box;
    ASSERT_TRUE(box.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(10, 10, 110, 200),
                           &m_parent, 1));
    for (const char* sz : {"Song", "sONG ti", "Hei", "song", "\x81\x41", "\x81\x61"})
        box.AddString(sz);

    EXPECT_EQ(box.FindString(-1, "SONG"), 0);
    EXPECT_EQ(box.FindString(0, "song"), 1);
    EXPECT_EQ(box.FindString(1, "song"), 3);
    EXPECT_EQ(box.FindString(3, "song"), 0);  // past the end, on from the first
    EXPECT_EQ(box.FindString(2, "hei"), 2);   // the start item itself comes last
    EXPECT_EQ(box.FindString(-1, "So"), 0);
    EXPECT_EQ(box.FindString(-1, "x"), CB_ERR);

    EXPECT_EQ(box.FindStringExact(-1, "SONG"), 0);
    EXPECT_EQ(box.FindStringExact(0, "SONG"), 3);
    EXPECT_EQ(box.FindStringExact(3, "song"), 0);
    EXPECT_EQ(box.FindStringExact(-1, "Song TI"), 1);
    EXPECT_EQ(box.FindStringExact(-1, "So"), CB_ERR);
    // The second byte of a double-byte character is no letter: 81 41 and 81 61 differ.
    EXPECT_EQ(box.FindStringExact(-1, "\x81\x61"), 5);
    EXPECT_EQ(box.FindString(-1, "\x81\x61"), 5);
}

TEST_F(ComboBoxTest, ProgramSelectionsSendNothingAndEachUserChoiceOneSelChange) {
    CComboBox box;
    MakeBox(box, CRect(10, 10, 110, 200), 5);
    EXPECT_EQ(box.SetCurSel(2), 2);
    EXPECT_EQ(box.SetCurSel(5), CB_ERR);
    EXPECT_EQ(box.GetCurSel(), 2);
    EXPECT_EQ(box.SetCurSel(-1), CB_ERR);
    EXPECT_EQ(box.GetCurSel(), CB_ERR);
    EXPECT_TRUE(m_parent.commands.empty());

    // Keys on the closed box.
    struct Step {
        Key key;
        int nSel;      // the selection after the key
        bool bChange;  // whether the key changed it (and notified)
    };
    box.SetCurSel(1);
    for (const Step& step :
         {Step{Key::kDown, 2, true}, Step{Key::kUp, 1, true}, Step{Key::kUp, 0, true},
          Step{Key::kUp, 0, false}, Step{Key::kEnd, 4, true}, Step{Key::kDown, 4, false},
          Step{Key::kHome, 0, true}, Step{Key::kPageDown, 4, true}}) {
        m_parent.commands.clear();
        PressKey(&box, step.key, kNoModifiers);
        ProcessEvents();
        EXPECT_EQ(box.GetCurSel(), step.nSel);
        if (step.bChange)
            EXPECT_EQ(m_parent.commands, std::vector<CParentWnd::Command>{SelChange(box)});
        else
            EXPECT_TRUE(m_parent.commands.empty());
        EXPECT_FALSE(box.GetDroppedState());
    }

    // The mouse on the dropped list: a click on the box drops it, a click on an item
    // chooses the item and closes the list.
    m_parent.commands.clear();
    Click(&box, Centre(box));
    ASSERT_TRUE(box.GetDroppedState());
    CWnd* pList = box.GetDroppedList();
    ASSERT_NE(pList, nullptr);
    EXPECT_TRUE(pList->IsWindowVisible());
    EXPECT_EQ(m_parent.Codes(), std::vector<UINT>{CBN_DROPDOWN});
    CRect rcList;
    pList->GetClientRect(&rcList);
    // All five items show: the fourth row is item 3.
    const CPoint ptItem3(rcList.Width() / 3, rcList.Height() * 7 / 10);
    tessel::platform::MoveMouse(pList, ptItem3, kNoModifiers);
    Click(pList, ptItem3);
    EXPECT_EQ(box.GetCurSel(), 3);
    EXPECT_FALSE(box.GetDroppedState());
    EXPECT_EQ(box.GetDroppedList(), nullptr);
    EXPECT_FALSE(pList->IsWindowVisible());
    ASSERT_EQ(m_parent.commands.size(), 3u);
    EXPECT_EQ(m_parent.commands[1], SelChange(box));
    EXPECT_EQ(m_parent.commands[2].nCode, CBN_CLOSEUP);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetFocus(), &box);

    // A choice of the item already selected is a choice all the same.
    m_parent.commands.clear();
    box.ChooseItem(3);
    EXPECT_EQ(m_parent.commands, std::vector<CParentWnd::Command>{SelChange(box)});
    m_parent.commands.clear();
    box.ChooseItem(5);
    EXPECT_TRUE(m_parent.commands.empty());
    box.ShowDropDown(TRUE);
    ASSERT_TRUE(box.GetDroppedState());
    m_parent.commands.clear();
    box.ChooseItem(1);
    EXPECT_EQ(box.GetCurSel(), 1);
    EXPECT_EQ(m_parent.Codes(), (std::vector<UINT>{CBN_SELCHANGE, CBN_CLOSEUP}));
    EXPECT_FALSE(box.GetDroppedState());
}

TEST_F(ComboBoxTest, TheListReachesAsFarAsTheCreateRectangleAndScrollsToTheLastItem) {
    CComboBox box, shortBox;
    MakeBox(box, CRect(10, 10, 130, 160), 30);
    CRect rcBox;
    box.GetWindowRect(&rcBox);
    EXPECT_LT(rcBox.Height(), 150);  // one item high, not the rectangle's height
    const int nCreateBottom = rcBox.top + 150;

    box.ShowDropDown(TRUE);
    CWnd* pList = box.GetDroppedList();
    ASSERT_NE(pList, nullptr);
    CRect rcList;
    pList->GetWindowRect(&rcList);
    EXPECT_EQ(rcList.top, rcBox.bottom);
    EXPECT_EQ(rcList.left, rcBox.left);
    EXPECT_EQ(rcList.Width(), rcBox.Width());
    EXPECT_LE(rcList.bottom, nCreateBottom);
    EXPECT_GT(rcList.bottom, nCreateBottom - rcBox.Height());  // less than a row is left over

    // The bottom row holds an item short of the last; wheeling down brings the last there.
    Click(pList, BottomRow(pList));
    const int nBottom = box.GetCurSel();
    EXPECT_GT(nBottom, 2);
    EXPECT_LT(nBottom, 29);
    // The bottom end of the scroll bar (at the right edge) scrolls a line; it chooses nothing.
    box.SetCurSel(0);
    box.ShowDropDown(TRUE);
    m_parent.commands.clear();
    Click(pList, CPoint(rcList.Width() - 3, rcList.Height() - 3));
    EXPECT_TRUE(box.GetDroppedState());
    EXPECT_TRUE(m_parent.commands.empty());
    Click(pList, BottomRow(pList));
    EXPECT_EQ(box.GetCurSel(), nBottom + 1);
    box.ShowDropDown(TRUE);
    Wheel(pList, -120 * 20);
    Click(pList, BottomRow(pList));
    EXPECT_EQ(box.GetCurSel(), 29);
    box.ShowDropDown(TRUE);
    Wheel(pList, 120 * 20);
    Click(pList, TopRow(pList));
    EXPECT_EQ(box.GetCurSel(), 0);

    // Keys move the list's highlight, scrolling it along; Enter chooses, with one
    // notification.
    box.ShowDropDown(TRUE);
    m_parent.commands.clear();
    PressKey(&box, Key::kEnd, kNoModifiers);
    PressKey(&box, Key::kUp, kNoModifiers);
    EXPECT_EQ(box.GetCurSel(), 0);
    EXPECT_TRUE(m_parent.commands.empty());
    PressKey(&box, Key::kEnter, kNoModifiers);
    EXPECT_EQ(box.GetCurSel(), 28);
    EXPECT_EQ(m_parent.Codes(), (std::vector<UINT>{CBN_SELCHANGE, CBN_CLOSEUP}));
    // Dropped again, the highlight starts on the selection.
    box.ShowDropDown(TRUE);
    PressKey(&box, Key::kDown, kNoModifiers);
    PressKey(&box, Key::kEnter, kNoModifiers);
    EXPECT_EQ(box.GetCurSel(), 29);

    // With few items the list is only as tall as they need.
    ASSERT_TRUE(shortBox.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(140, 10, 260, 160),
                                &m_parent, 2));
    shortBox.AddString("one");
    shortBox.AddString("two");
    CRect rcShortBox;
    shortBox.GetWindowRect(&rcShortBox);
    EXPECT_EQ(rcShortBox.Height(), rcBox.Height());
    shortBox.ShowDropDown(TRUE);
    ASSERT_NE(shortBox.GetDroppedList(), nullptr);
    CRect rcShort;
    shortBox.GetDroppedList()->GetWindowRect(&rcShort);
    EXPECT_LT(rcShort.Height(), rcList.Height() / 2);
    Click(shortBox.GetDroppedList(), BottomRow(shortBox.GetDroppedList()));
    EXPECT_EQ(shortBox.GetLBText(shortBox.GetCurSel()), "two");
}

TEST_F(ComboBoxTest, AClickElsewhereEscapeOrTheBoxItselfClosesTheListUnchanged) {
    CComboBox box;
    MakeBox(box, CRect(10, 10, 110, 200), 5);
    box.SetCurSel(2);
    Click(&box, Centre(box));
    ASSERT_TRUE(box.GetDroppedState());
    ASSERT_NE(box.GetDroppedList(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), box.GetDroppedList());
    tessel::platform::MoveMouse(box.GetDroppedList(), TopRow(box.GetDroppedList()), kNoModifiers);

    // The click elsewhere is the list's: the window under it hears nothing.
    m_parent.commands.clear();
    Click(&m_parent, CPoint(250, 300));
    EXPECT_FALSE(box.GetDroppedState());
    EXPECT_EQ(box.GetCurSel(), 2);
    EXPECT_EQ(m_parent.Codes(), std::vector<UINT>{CBN_CLOSEUP});
    EXPECT_EQ(m_parent.nClicks, 0);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);

    // F4 drops it, Escape closes it, after the highlight was moved.
    m_parent.commands.clear();
    PressKey(&box, static_cast<Key>(static_cast<int>(Key::kF1) + 3), kNoModifiers);  // F4
    ASSERT_TRUE(box.GetDroppedState());
    PressKey(&box, Key::kDown, kNoModifiers);
    PressKey(&box, Key::kEscape, kNoModifiers);
    EXPECT_FALSE(box.GetDroppedState());
    EXPECT_EQ(box.GetCurSel(), 2);
    EXPECT_EQ(m_parent.Codes(), (std::vector<UINT>{CBN_DROPDOWN, CBN_CLOSEUP}));

    // A click on the box while the list is dropped closes it and does not drop it again.
    Click(&box, Centre(box));
    ASSERT_TRUE(box.GetDroppedState());
    m_parent.commands.clear();
    Click(&box, Centre(box));
    EXPECT_FALSE(box.GetDroppedState());
    EXPECT_EQ(m_parent.Codes(), std::vector<UINT>{CBN_CLOSEUP});
    EXPECT_EQ(box.GetCurSel(), 2);
}

TEST_F(ComboBoxTest, TheBoxShowsTheSelectionAndFocusAndTheListTheItemUnderTheMouse) {
    CComboBox box;
    MakeBox(box, CRect(10, 10, 110, 200), 5);
    const COLORREF crHighlight = GetSysColor(COLOR_HIGHLIGHT);
    auto count = [](CWnd& wnd, COLORREF cr) {
        CBitmap bitmap;
        EXPECT_TRUE(CaptureWindow(&wnd, bitmap));
        int n = 0;
        const CSize size = bitmap.GetSize();
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x)
                n += bitmap.GetPixel(x, y) == cr ? 1 : 0;
        return n;
    };
    auto pixels = [](CWnd& wnd) {
        CBitmap bitmap;
        EXPECT_TRUE(CaptureWindow(&wnd, bitmap));
        std::vector<COLORREF> result;
        const CSize size = bitmap.GetSize();
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x)
                result.push_back(bitmap.GetPixel(x, y));
        return result;
    };
    // With the focus the closed box is marked in the highlight colour, without it not.
    EXPECT_GT(count(box, crHighlight), 20);
    m_parent.SetFocus();
    ProcessEvents();
    EXPECT_EQ(count(box, crHighlight), 0);
    // The selected item's text shows.
    const std::vector<COLORREF> empty = pixels(box);
    box.SetCurSel(0);
    EXPECT_NE(pixels(box), empty);
    box.SetCurSel(-1);
    EXPECT_EQ(pixels(box), empty);

    // The dropped list highlights the item under the mouse.
    box.SetFocus();
    box.ShowDropDown(TRUE);
    CWnd* pList = box.GetDroppedList();
    ASSERT_NE(pList, nullptr);
    CRect rc;
    pList->GetClientRect(&rc);
    const CPoint ptRow1(rc.Width() - 5, rc.Height() * 3 / 10),
        ptRow3(rc.Width() - 5, rc.Height() * 7 / 10);
    tessel::platform::MoveMouse(pList, ptRow3, kNoModifiers);
    CBitmap bitmap;
    ASSERT_TRUE(CaptureWindow(pList, bitmap));
    EXPECT_EQ(bitmap.GetPixel(ptRow3.x, ptRow3.y), crHighlight);
    EXPECT_EQ(bitmap.GetPixel(ptRow1.x, ptRow1.y), GetSysColor(COLOR_WINDOW));
    tessel::platform::MoveMouse(pList, ptRow1, kNoModifiers);
    ASSERT_TRUE(CaptureWindow(pList, bitmap));
    EXPECT_EQ(bitmap.GetPixel(ptRow1.x, ptRow1.y), crHighlight);
    EXPECT_EQ(bitmap.GetPixel(ptRow3.x, ptRow3.y), GetSysColor(COLOR_WINDOW));
    box.ShowDropDown(FALSE);
}

}  // namespace
