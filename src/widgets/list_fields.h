#pragma once

// Lists kept as one text of fields separated by "|" ("Standard|Frame|Underline|"): the
// string table's lists, and the lists the dialogs fill their drop-down lists from.

#include <string>
#include <string_view>

class CComboBox;
class CDialog;

namespace tessel::widgets {

// Field n of the list, counted from 1: the text between the (n-1)-th and the n-th "|"; the
// last field is what follows the last "|"; past the last field (and for n < 1), the empty
// text. The text is GBK: the second byte of a double-byte character is never a separator.
std::string GetListField(std::string_view strList, int n);

// Adds fields 1, 2, 3, ... to a drop-down list in order, up to the first empty field (so a
// trailing "|" or an empty field ends the list). A sorted list puts each where it belongs.
void FillComboFromList(CComboBox& combo, std::string_view strList);
void FillComboFromList(CDialog& dialog, int nID, std::string_view strList);

}  // namespace tessel::widgets
