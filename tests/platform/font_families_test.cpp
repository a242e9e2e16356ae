#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/combo_box.h"
#include "platform/fonts.h"

namespace {

// GBK text with its ASCII letters in lower case (the byte after a lead byte is part of a
// double-byte character, never a letter).
std::string Folded(const std::string& text) {
    std::string folded = text;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c >= 0x81 && c <= 0xFE)
            ++i;
        else if (c >= 'A' && c <= 'Z')
            folded[i] = static_cast<char>(c + ('a' - 'A'));
    }
    return folded;
}

TEST(FontFamilies, InstalledFamiliesAndStandInFacesSortedOnceEach) {
    tessel::platform::EnsureApplication();
    const std::vector<std::string> names = tessel::platform::ScreenFontFamilies();
    auto has = [&names](const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    // Faces the pages name, which the platform draws through its stand-ins.
    EXPECT_TRUE(has("Arial"));
    EXPECT_TRUE(has("Times New Roman"));
    EXPECT_TRUE(has("\xCB\xCE\xCC\xE5"));                              // 宋体
    EXPECT_TRUE(has("\xBA\xDA\xCC\xE5"));                              // 黑体
    EXPECT_TRUE(has("\xBF\xAC\xCC\xE5\x5F\x47\x42\x32\x33\x31\x32"));  // 楷体_GB2312
    // An installed family: the stand-in the platform ships with.
    EXPECT_TRUE(has("Liberation Sans"));
    for (const std::string& name : names) {
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(name.find(" ["), std::string::npos) << name;
    }
    // Strictly ascending by the folded bytes: sorted, and no name twice in any case.
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_LT(Folded(names[i - 1]), Folded(names[i])) << names[i - 1] << " / " << names[i];

    // A sorted font box keeps them in the same order.
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 200, 100, nullptr, 0));
    CComboBox box;
    ASSERT_TRUE(
        box.Create(WS_CHILD | CBS_DROPDOWNLIST | CBS_SORT, CRect(0, 0, 150, 200), &parent, 1));
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        box.AddString(it->c_str());
    ASSERT_EQ(box.GetCount(), static_cast<int>(names.size()));
    for (int i = 0; i < box.GetCount(); ++i)
        EXPECT_EQ(box.GetLBText(i), names[static_cast<std::size_t>(i)]);
}

}  // namespace
