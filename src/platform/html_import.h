#pragma once

// Formatted text from other programs: HTML (as a browser or an office program puts it on the
// clipboard) read with Qt's rich-text import into runs of text with the formats a page can
// hold. Everything else the HTML says (tables, pictures, lists, styles of blocks) is dropped;
// the text of blocks is kept, with a line break between blocks (none before the first text or
// after the last: the empty blocks around a table or at the end leave nothing). HTML past its
// first 4 MB is not read.

#include <string>
#include <string_view>
#include <vector>

namespace tessel::platform {

struct HtmlRun {
    std::string strText;  // GBK; what GBK cannot hold is left out; "\n" between blocks
    std::string strFace;  // GBK; empty when the HTML gives no face
    int nPixelSize = 0;   // the character height in pixels at 96 dots per inch; 0: not given
    int bBold = 0;
    int bItalic = 0;
    int bUnderline = 0;
    bool bColor = false;  // whether the HTML gives a colour (else the colour fields are 0)
    int nRed = 0;
    int nGreen = 0;
    int nBlue = 0;
    int nVertical = 0;  // 0 normal, 1 superscript, 2 subscript

    bool operator==(const HtmlRun&) const = default;
};

// The runs of an HTML text given as GBK bytes, in order; neighbouring runs of the same format
// are joined. Never fails: what cannot be read is left out.
std::vector<HtmlRun> ReadHtmlRuns(std::string_view gbkHtml);

}  // namespace tessel::platform
