#pragma once

#include <string>
#include <string_view>

#include "document/my_list.h"

// The HTML form of a page: the writer's second mode.
namespace tessel::markup {

// Appends the HTML of every element of the list (from its first, leaving the cursor at the
// end). The radio-group state is expected to be reset by the caller.
void WriteHtml(std::string& strOut, CMyList& list);

// Appends the anchor that opens the element's hot link; false (nothing written) when its
// action has no HTML form.
bool AppendHtmlAnchor(const CLink& link, std::string& strOut);

// Appends text with every carriage return and line feed turned into the end of the current
// format, a line feed, a paragraph and the format again.
void AppendHtmlText(std::string_view text, std::string& strOut);

// The HTML font size for a point size.
int HtmlFontSize(int nSize);

}  // namespace tessel::markup
