#include "widgets/string_table.h"

#include <array>
#include <string>

namespace tessel::widgets {

namespace {

// "Insert Column1's Whith:" to "Insert Column16's Whith:", made once.
const std::array<std::string, kColumnWidthTexts>& ColumnWidthTexts() {
    static const auto texts = [] {
        std::array<std::string, kColumnWidthTexts> made;
        for (int i = 0; i < kColumnWidthTexts; ++i)
            made[i] = "Insert Column" + std::to_string(i + 1) + "'s Whith:";
        return made;
    }();
    return texts;
}

}  // namespace

std::string_view LoadString(UINT nID) {
    switch (nID) {
        case kStringInsertTips:
            return "Insert Image|Insert Formula|Insert Edit Frame|Insert Judgement|Insert "
                   "Choices|Insert Page Total Score|Insert Total Score|Insert Page Score";
        case kStringFrameTips:
            return "Insert Frame|Insert Hot Link|Insert Superscript|Insert Subscript|Copy|Cut|"
                   "Paste|Insert Text|Insert Symbol";
        case kStringFormatTips:
            return "Bold|Italic|UnderLine";
        case kStringSizes:
            return "72|48|36|28|26|24|22|20|18|16|14|12|11|10.5|10|9|8|7.5|6.5|5.5|5";
        case kStringToolWindowTitle:
            return "Text Editor";
        case kStringEditFrameStyles:
            return "Standard|Frame|Underline|Plug-In|Shadow|";
        case kStringColumnMatter:
            return "Input Column Matter";
        case kStringHotLinkActions:
            return "Link to Another Page|Pop-up Another Page|Note Page|Replace SubPage|Execute "
                   "Funtional Page|Paly Wave|Play Music|Play Movie|Play Cartoon|Exit/Close this "
                   "page|Score This Page|Score All Pages|Run Programe|Link to WWW|Return";
        case kStringRunModes:
            return "Standard|Hide|Minimize|Maximize";
        case kStringSymbolSets:
            return "Maths Symbol|Greece Symbol|Interpunction|Unit Symbol|Figure Symbol|Old Type "
                   "Spell|Special Symbol";
        case kStringProperties:
            return "Properities";
        default:
            if (nID >= kStringColumnWidth1 && nID < kStringColumnWidth1 + kColumnWidthTexts)
                return ColumnWidthTexts()[nID - kStringColumnWidth1];
            return {};
    }
}

}  // namespace tessel::widgets
