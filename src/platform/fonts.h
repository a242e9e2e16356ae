#pragma once

#include <string>

#include "platform/gdi.h"

namespace tessel::platform {

// The family of the installed font that stands in for a LOGFONT's face (UTF-8), as the font
// system resolves it: "Arial" gives a metric-compatible "Liberation Sans", "宋体" a face that
// covers GBK. Needs a running QGuiApplication, like all text measurement and drawing.
std::string ResolvedFamily(const LOGFONT& lf);

}  // namespace tessel::platform
