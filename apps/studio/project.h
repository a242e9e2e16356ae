#pragma once

// What a page's project offers the editor's hot-link and score dialogs: the other pages of
// the folder, the media files under it and the sub-page identifiers of the project file.
// Strings are GBK, as the editor keeps them.

#include <string>
#include <vector>

namespace tessel::studio {

// The project file in the project folder: one sub-page identifier a line, "NUMBER NAME"
// ("7 intro"); blank lines and lines starting with '#' or ';' are skipped. UTF-8 or GBK.
inline constexpr const char* kProjectFileName = "tessel-project.ini";

// Extensions (lower case) of the files offered as media.
bool IsMediaFile(const std::string& strName);

struct ProjectLists {
    std::vector<std::string> media;   // "1,Sound\\Bell.wav": numbered from 1, Windows separators
    std::vector<std::string> pages;   // page names: file names without ".tsm", sorted
    std::vector<std::string> idents;  // "7 intro"
    // Lines of the project file that were not understood, as "tessel-project.ini line 3".
    std::vector<std::string> problems;
};

// Scans the project folder strDir: pages directly in it (strCurrentPage, a file name, left
// out), media files in it and its sub-folders (at most 8 levels deep and 5000 files; links
// to folders are not followed), and the project file.
ProjectLists ScanProject(const std::string& strDir, const std::string& strCurrentPage);

}  // namespace tessel::studio
