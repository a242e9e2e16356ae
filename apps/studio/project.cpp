#include "project.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "page_file.h"
#include "platform/gbk.h"

namespace tessel::studio {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxDepth = 8;
constexpr size_t kMaxMediaFiles = 5000;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool IsValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80         ? 1
                         : (c >> 5) == 6  ? 2
                         : (c >> 4) == 14 ? 3
                         : (c >> 3) == 30 ? 4
                                          : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += n;
    }
    return true;
}

// A name from the file system (UTF-8 on this system) as the editor keeps it.
std::string ToGbk(const std::string& s) {
    return IsValidUtf8(s) ? platform::Utf8ToGbk(s) : s;
}

void ScanMedia(const fs::path& dir, const std::string& strRelative, int nDepth,
               std::vector<std::string>& found) {
    std::error_code ec;
    fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
    if (ec) return;
    std::vector<fs::directory_entry> entries;
    for (; it != fs::directory_iterator() && !ec; it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename() < b.path().filename();
    });
    for (const fs::directory_entry& entry : entries) {
        if (found.size() >= kMaxMediaFiles) return;
        const std::string strName = entry.path().filename().string();
        if (strName.starts_with(".")) continue;
        const std::string strRel = strRelative.empty() ? strName : strRelative + "\\" + strName;
        if (entry.is_symlink(ec)) {
            if (entry.is_regular_file(ec) && IsMediaFile(strName)) found.push_back(strRel);
            continue;
        }
        if (entry.is_directory(ec)) {
            if (nDepth < kMaxDepth) ScanMedia(entry.path(), strRel, nDepth + 1, found);
        } else if (entry.is_regular_file(ec) && IsMediaFile(strName)) {
            found.push_back(strRel);
        }
    }
}

}  // namespace

bool IsMediaFile(const std::string& strName) {
    static const char* const kExtensions[] = {".wav", ".mid",  ".midi", ".mp3", ".wma", ".ogg",
                                              ".avi", ".mpg",  ".mpeg", ".mp4", ".wmv", ".mov",
                                              ".rm",  ".rmvb", ".asf",  ".swf", ".flv"};
    const std::string strLower = Lower(strName);
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&](const char* ext) { return strLower.ends_with(ext); });
}

ProjectLists ScanProject(const std::string& strDir, const std::string& strCurrentPage) {
    ProjectLists lists;
    if (strDir.empty()) return lists;
    std::error_code ec;
    std::vector<std::string> pages;
    for (fs::directory_iterator it(strDir, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string strName = it->path().filename().string();
        if (strName.starts_with(".") || strName == strCurrentPage) continue;
        if (Lower(strName).ends_with(".tsm") && it->is_regular_file(ec))
            pages.push_back(strName.substr(0, strName.size() - 4));
    }
    std::sort(pages.begin(), pages.end());
    for (const std::string& page : pages)
        lists.pages.push_back(ToGbk(page));

    std::vector<std::string> media;
    ScanMedia(strDir, "", 0, media);
    for (size_t i = 0; i < media.size(); ++i)
        lists.media.push_back(std::to_string(i + 1) + "," + ToGbk(media[i]));

    std::string strError;
    const std::optional<std::string> project =
        ReadPageFile(strDir + "/" + kProjectFileName, &strError);
    if (!project) return lists;
    size_t nStart = 0;
    int nLine = 0;
    while (nStart < project->size()) {
        size_t nEnd = project->find('\n', nStart);
        if (nEnd == std::string::npos) nEnd = project->size();
        std::string line = project->substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        ++nLine;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t nFirst = line.find_first_not_of(" \t");
        if (nFirst == std::string::npos) continue;
        line.erase(0, nFirst);
        if (line[0] == '#' || line[0] == ';' || line[0] == '[') continue;
        size_t nDigits = 0;
        while (nDigits < line.size() && std::isdigit(static_cast<unsigned char>(line[nDigits])))
            ++nDigits;
        const bool bGood = nDigits > 0 && nDigits <= 9 && nDigits < line.size() &&
                           (line[nDigits] == ' ' || line[nDigits] == '\t') &&
                           line.find_first_not_of(" \t", nDigits) != std::string::npos;
        if (!bGood || line.find('\0') != std::string::npos) {
            lists.problems.push_back(std::string(kProjectFileName) + " line " +
                                     std::to_string(nLine) +
                                     " is not \"NUMBER NAME\" and is skipped");
            continue;
        }
        const size_t nName = line.find_first_not_of(" \t", nDigits);
        lists.idents.push_back(line.substr(0, nDigits) + " " + ToGbk(line.substr(nName)));
    }
    return lists;
}

}  // namespace tessel::studio
