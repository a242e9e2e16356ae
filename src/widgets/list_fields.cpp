#include "widgets/list_fields.h"

#include "document/gbk_char.h"
#include "platform/combo_box.h"
#include "platform/dialog.h"

namespace tessel::widgets {

namespace {

// Calls add with fields 1, 2, ... up to the first empty one.
template <class Add>
void ForEachField(std::string_view strList, Add add) {
    for (int n = 1;; ++n) {
        const std::string strField = GetListField(strList, n);
        if (strField.empty()) return;
        add(strField);
    }
}

}  // namespace

std::string GetListField(std::string_view strList, int n) {
    if (n < 1) return {};
    int nField = 1;
    std::size_t nStart = 0;
    for (std::size_t i = 0; i < strList.size();
         i += static_cast<std::size_t>(CharLength(strList, i))) {
        if (strList[i] != '|') continue;
        if (nField == n) return std::string(strList.substr(nStart, i - nStart));
        ++nField;
        nStart = i + 1;
    }
    return nField == n ? std::string(strList.substr(nStart)) : std::string();
}

void FillComboFromList(CComboBox& combo, std::string_view strList) {
    ForEachField(strList, [&](const std::string& strField) { combo.AddString(strField.c_str()); });
}

void FillComboFromList(CDialog& dialog, int nID, std::string_view strList) {
    ForEachField(strList, [&](const std::string& strField) { dialog.AddString(nID, strField); });
}

}  // namespace tessel::widgets
