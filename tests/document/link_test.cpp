#include <gtest/gtest.h>

#include "document/char_format.h"
#include "document/link.h"
#include "owned_objects.h"

namespace {

using Log = std::vector<std::string>;

TEST(LinkTest, ConstructionLeavesNoHotLinkAndNoObjects) {
    CLink link;
    for (const LINKPARAM& slot : link.m_HotLink)
        EXPECT_EQ(slot.nValue, kNoHotLink);
    EXPECT_EQ(link.m_pPicture.get(), nullptr);
    EXPECT_EQ(link.m_pFormula.get(), nullptr);
    EXPECT_EQ(link.m_pNext, nullptr);
}

TEST(LinkTest, ElementFreesItsPictureThenItsFormulaWhole) {
    DestroyedObjects().clear();
    {
        CLink link;
        link.m_pFormula = new CDerivedFormula("f");
        link.m_pPicture = new CPicture("old");
        link.m_pPicture = new CPicture("p");  // replacing frees the old picture at once
        EXPECT_EQ(DestroyedObjects(), Log{"picture old"});
    }
    EXPECT_EQ(DestroyedObjects(), (Log{"picture old", "picture p", "derived f", "formula f"}));
}

TEST(LinkTest, CopyLinkCopiesEverySlotButNeitherObjectsNorSuccessor) {
    DestroyedObjects().clear();
    CLink next, src;
    src.m_nKind = kKindImage;
    src.m_Font[0] = {1, 0, "Arial"};
    src.m_Color[2] = {0, 255, ""};
    src.m_FootNote[0] = {0, kFootNoteLowered, ""};
    src.m_HotLink[5] = {1, 0, "Page 7"};
    src.m_HotLink[17] = {2, -3, "unused"};
    src.m_Command[0] = {1, 0, "Image\\pic.bmp"};
    src.m_Command[19] = {2, 19, "last"};
    src.m_pNext = &next;
    src.m_pPicture = new CPicture("src");
    {
        CLink copy;
        copy.m_pNext = &src;
        CopyLink(&copy, &src);
        EXPECT_EQ(copy.m_nKind, kKindImage);
        EXPECT_EQ(copy.m_pNext, nullptr);
        EXPECT_EQ(copy.m_pPicture.get(), nullptr);
        for (int i = 0; i < kFontSlots; ++i)
            EXPECT_EQ(copy.m_Font[i], src.m_Font[i]);
        for (int i = 0; i < kColorSlots; ++i)
            EXPECT_EQ(copy.m_Color[i], src.m_Color[i]);
        EXPECT_EQ(copy.m_FootNote[0], src.m_FootNote[0]);
        for (int i = 0; i < kHotLinkSlots; ++i)
            EXPECT_EQ(copy.m_HotLink[i], src.m_HotLink[i]);
        for (int i = 0; i < kCommandSlots; ++i)
            EXPECT_EQ(copy.m_Command[i], src.m_Command[i]);
    }
    EXPECT_TRUE(DestroyedObjects().empty());  // the copy's end leaves the source's picture
    EXPECT_EQ(src.m_pNext, &next);
}

TEST(LinkTest, InitLinkMakesAnEmptyTextInTheEditorFormat) {
    CLink link, other;
    link.m_nKind = kKindCheck;
    link.m_Font[0].nType = 1;
    link.m_Command[0] = {1, 9, "keep"};
    link.m_HotLink[3] = {1, 4, "target"};
    link.m_pNext = &other;
    CharFormat fmt{"Arial", 20, -1, 5, 0, 10, 20, 30, 1, 0, 3};
    InitLink(&link, fmt);
    EXPECT_EQ(link.m_nKind, kKindText);
    EXPECT_EQ(link.m_Font[0].strText, "Arial");
    const int expected[] = {20, 1, 1, 0};  // style flags are stored as 0 or 1
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(link.m_Font[i + 1].nValue, expected[i]) << i;
    EXPECT_EQ(link.m_Color[0].nValue, 10);
    EXPECT_EQ(link.m_Color[2].nValue, 30);
    EXPECT_EQ(link.m_FootNote[0].nValue, kFootNoteRaised);
    EXPECT_EQ(link.m_HotLink[0].nValue, 3);
    EXPECT_EQ(link.m_pNext, nullptr);
    // Slot types, command slots and hot-link parameters are left alone.
    EXPECT_EQ(link.m_Font[0].nType, 1);
    EXPECT_EQ(link.m_Command[0], (LINKPARAM{1, 9, "keep"}));
    EXPECT_EQ(link.m_HotLink[3], (LINKPARAM{1, 4, "target"}));

    InitLink(&link, CharFormat{});  // the editor starts in 宋体 12, normal, no hot link
    EXPECT_EQ(link.m_Font[0].strText, "\xcb\xce\xcc\xe5");
    EXPECT_EQ(link.m_Font[1].nValue, 12);
    EXPECT_EQ(link.m_FootNote[0].nValue, kFootNoteNormal);
    EXPECT_EQ(link.m_HotLink[0].nValue, kNoHotLink);

    const int flags[][3] = {{1, 0, kFootNoteRaised},
                            {0, 1, kFootNoteLowered},
                            {0, 0, kFootNoteNormal},
                            {1, 1, kFootNoteNormal},
                            {7, 0, kFootNoteRaised}};
    for (const auto& [raised, lowered, footNote] : flags) {
        fmt.bRaised = raised;
        fmt.bLowered = lowered;
        InitLink(&link, fmt);
        EXPECT_EQ(link.m_FootNote[0].nValue, footNote) << raised << lowered;
        EXPECT_EQ(IsFontSame(&link, fmt), 1);
    }
}

// Each change breaks format equality, with the editor's format and between two elements.
TEST(LinkTest, EveryOneOfTheTenFormatValuesDecidesEquality) {
    const std::vector<void (*)(CLink&)> changes = {
        [](CLink& l) { l.m_Font[0].strText = "\xcb\xce\xcc\xe6"; },
        [](CLink& l) { l.m_Font[1].nValue = 13; },
        [](CLink& l) { l.m_Font[2].nValue = 1; },
        [](CLink& l) { l.m_Font[3].nValue = 1; },
        [](CLink& l) { l.m_Font[4].nValue = 1; },
        [](CLink& l) { l.m_Color[0].nValue = 1; },
        [](CLink& l) { l.m_Color[1].nValue = 1; },
        [](CLink& l) { l.m_Color[2].nValue = 1; },
        [](CLink& l) { l.m_FootNote[0].nValue = kFootNoteLowered; },
        [](CLink& l) { l.m_HotLink[0].nValue = 0; }};
    CLink base;
    InitLink(&base, CharFormat{});
    for (size_t i = 0; i < changes.size(); ++i) {
        CLink link;
        InitLink(&link, CharFormat{});
        changes[i](link);
        EXPECT_EQ(IsFontSame(&link, CharFormat{}), 0) << "change " << i;
        EXPECT_EQ(IsFontSameEachother(&link, &base), 0) << "change " << i;
        EXPECT_EQ(IsFontSameEachother(&base, &link), 0) << "change " << i;
    }
}

TEST(LinkTest, FormatEqualityComparesFaceExactlyAndFlagsAsStored) {
    CharFormat fmt;
    fmt.strFontName = "Arial";
    CLink link, other;
    InitLink(&link, fmt);
    InitLink(&other, fmt);
    fmt.strFontName = "arial";
    EXPECT_EQ(IsFontSame(&link, fmt), 0);
    fmt.strFontName = "Arial";
    fmt.bBold = 4;  // the editor's flags are reduced to 0 or 1 ...
    link.m_Font[3].nValue = 1;
    EXPECT_EQ(IsFontSame(&link, fmt), 1);
    link.m_Font[3].nValue = 100;  // ... the element's are compared as stored
    EXPECT_EQ(IsFontSame(&link, fmt), 0);
    other.m_Font[3].nValue = 1;
    EXPECT_EQ(IsFontSameEachother(&link, &other), 0);
    other.m_Font[3].nValue = 100;
    EXPECT_EQ(IsFontSameEachother(&link, &other), 1);
    // Hot-link targets, slot types, texts and kinds are not part of the format.
    link.m_HotLink[0].nValue = other.m_HotLink[0].nValue = 0;
    link.m_HotLink[1].strText = "Page 1";
    other.m_HotLink[1].strText = "Page 2";
    other.m_Font[1].nType = 2;
    other.m_Command[0].strText = "different text";
    other.m_nKind = kKindPageScore;
    EXPECT_EQ(IsFontSameEachother(&link, &other), 1);
}

}  // namespace
