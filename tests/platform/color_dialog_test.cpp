#include "platform/color_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/application.h"

namespace {

class ColorDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { tessel::platform::EnsureApplication(); }
    void TearDown() override { tessel::platform::SetColorDialogAnswerer(nullptr); }
};

TEST_F(ColorDialogTest, TheAnswererChoosesOrCancelsAndACancelKeepsTheInitialColour) {
    struct Seen {
        COLORREF crInit;
        DWORD dwFlags;
    };
    std::vector<Seen> seen;
    std::optional<COLORREF> answer = RGB(10, 20, 30);
    tessel::platform::SetColorDialogAnswerer([&](const CColorDialog& dialog) {
        seen.push_back({dialog.InitialColor(), dialog.Flags()});
        return answer;
    });

    CColorDialog chosen(RGB(200, 100, 50), CC_FULLOPEN | CC_ANYCOLOR);
    EXPECT_EQ(chosen.GetColor(), RGB(200, 100, 50));
    EXPECT_EQ(chosen.DoModal(), IDOK);
    EXPECT_EQ(chosen.GetColor(), RGB(10, 20, 30));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].crInit, RGB(200, 100, 50));
    EXPECT_EQ(seen[0].dwFlags, CC_FULLOPEN | CC_ANYCOLOR);

    // A COLORREF's high byte is no part of the colour.
    answer = 0xFF0000FFu;
    EXPECT_EQ(chosen.DoModal(), IDOK);
    EXPECT_EQ(chosen.GetColor(), RGB(255, 0, 0));

    answer = std::nullopt;
    CColorDialog cancelled(RGB(1, 2, 3), CC_RGBINIT);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.GetColor(), RGB(1, 2, 3));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].dwFlags, CC_RGBINIT);
}

TEST_F(ColorDialogTest, WithNoAnswererOffscreenTheDialogIsCancelled) {
    CColorDialog dialog(RGB(7, 8, 9), CC_FULLOPEN);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetColor(), RGB(7, 8, 9));
}

}  // namespace
