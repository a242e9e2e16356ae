#include "markup/html_state.h"

namespace tessel::markup {

int g_nRadioGroupSize = 0;
int g_nRadioGroupNumber = 0;
std::string g_strHtmlOpen;
std::string g_strHtmlClose;

void ResetRadioGroups() {
    g_nRadioGroupSize = 0;
    g_nRadioGroupNumber = 0;
}

}  // namespace tessel::markup
