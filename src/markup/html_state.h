#pragma once

#include <string>

// What the HTML writer carries from one element to the next. Process-wide, like the writer
// objects that hold nothing themselves; used on the host's user-interface thread only.
namespace tessel::markup {

// Options of the last choice element; while positive, check boxes are written as radio
// buttons of the current group. Reset by every CodeGeneration call, in either mode.
extern int g_nRadioGroupSize;
// Number of the current radio group: the first choice element makes it 1.
extern int g_nRadioGroupNumber;
// The tags that open and close the format of the text being written; a line break in the
// text closes the format, starts a paragraph and opens the format again.
extern std::string g_strHtmlOpen;
extern std::string g_strHtmlClose;

void ResetRadioGroups();

}  // namespace tessel::markup
