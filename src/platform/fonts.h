#pragma once

#include <string>
#include <vector>

#include "platform/gdi.h"

namespace tessel::platform {

// The family of the installed font that stands in for a LOGFONT's face (UTF-8), as the font
// system resolves it: "Arial" gives a metric-compatible "Liberation Sans", "宋体" a face that
// covers GBK. Needs a running QGuiApplication, like all text measurement and drawing.
std::string ResolvedFamily(const LOGFONT& lf);

// The face names (GBK) a font list offers: every installed font family whose name GBK can
// hold, and every Windows face the platform draws through a stand-in (Arial, Times New
// Roman, 宋体, 黑体, 楷体_GB2312, ...), as pages name those. Sorted by their bytes with ASCII
// letter case ignored, as a sorted combo box keeps them, with no name twice in any case. Needs
// a running QGuiApplication for the installed families; without one, only the stand-in faces.
std::vector<std::string> ScreenFontFamilies();

}  // namespace tessel::platform
