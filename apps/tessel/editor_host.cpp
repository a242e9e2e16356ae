#include "editor_host.h"

#include <charconv>
#include <cstdio>

#include <optional>
#include <tuple>

#include "platform/application.h"
#include "platform/file_path.h"
#include "platform/gbk.h"

namespace tessel::cli {
namespace {

bool ParseInt(std::string_view text, int nMin, int nMax, int& nOut) {
    int n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < nMin || n > nMax) return false;
    nOut = n;
    return true;
}

bool ParseDouble(std::string_view text, double dMin, double dMax, double& dOut) {
    double d = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec != std::errc() || end != text.data() + text.size() || !(d >= dMin && d <= dMax))
        return false;
    dOut = d;
    return true;
}

bool ParseColour(std::string_view text, COLORREF& crOut) {
    if (text.starts_with("#")) text.remove_prefix(1);
    unsigned v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
    if (text.size() != 6 || ec != std::errc() || end != text.data() + text.size()) return false;
    crOut = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    return true;
}

// The lines of a UTF-8 text file, each converted to GBK; blank lines are skipped.
bool ReadList(std::string_view file, std::vector<std::string>& list) {
    const std::optional<std::string> bytes =
        tessel::platform::ReadRegularFile(std::string(file), 1 << 20);
    if (!bytes) return false;
    std::string_view rest = *bytes;
    while (!rest.empty()) {
        const size_t nEnd = rest.find('\n');
        std::string_view line = rest.substr(0, nEnd);
        rest.remove_prefix(nEnd == std::string_view::npos ? rest.size() : nEnd + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!line.empty()) list.push_back(tessel::platform::Utf8ToGbk(line));
    }
    return true;
}

}  // namespace

bool ParseEditorArguments(const Command& command, std::span<const std::string_view> args,
                          std::span<const Option> extra, std::string_view& strPath,
                          EditorSettings& settings) {
    std::string_view width, height, zoom, charSpace, lineSpace, colour, project, media, pages,
        idents;
    std::vector<Option> options = {{.strName = "--width", .pValue = &width},
                                   {.strName = "--height", .pValue = &height},
                                   {.strName = "--zoom", .pValue = &zoom},
                                   {.strName = "--char-space", .pValue = &charSpace},
                                   {.strName = "--line-space", .pValue = &lineSpace},
                                   {.strName = "--hotlink-color", .pValue = &colour},
                                   {.strName = "--project", .pValue = &project},
                                   {.strName = "--media", .pValue = &media},
                                   {.strName = "--pages", .pValue = &pages},
                                   {.strName = "--idents", .pValue = &idents}};
    options.insert(options.end(), extra.begin(), extra.end());
    if (!ParseArguments(command, args, options, strPath)) return false;
    auto bad = [&](std::string_view name, std::string_view value, std::string_view want) {
        UsageError(command, Join({name, " \"", value, "\": ", want}));
        return false;
    };
    if (!width.empty() && !ParseInt(width, 1, 16384, settings.nWidth))
        return bad("--width", width, "a width in pixels from 1 to 16384");
    if (!height.empty() && !ParseInt(height, 1, 16384, settings.nHeight))
        return bad("--height", height, "a height in pixels from 1 to 16384");
    if (!zoom.empty() && !ParseDouble(zoom, 0.01, 100.0, settings.dZoom))
        return bad("--zoom", zoom, "a factor from 0.01 to 100");
    if (!charSpace.empty() && !ParseInt(charSpace, -1000, 1000, settings.nCharSpace))
        return bad("--char-space", charSpace, "pixels from -1000 to 1000");
    if (!lineSpace.empty() && !ParseInt(lineSpace, -1000, 1000, settings.nLineSpace))
        return bad("--line-space", lineSpace, "pixels from -1000 to 1000");
    if (!colour.empty() && !ParseColour(colour, settings.crHotLink))
        return bad("--hotlink-color", colour, "six hexadecimal digits, RRGGBB");
    settings.strProject = project;
    for (auto [name, file, list] : {std::tuple{"--media", media, &settings.media},
                                    std::tuple{"--pages", pages, &settings.pages},
                                    std::tuple{"--idents", idents, &settings.idents}}) {
        if (file.empty()) continue;
        if (!ReadList(file, *list)) return bad(name, file, "a readable text file of lines");
    }
    return true;
}

std::unique_ptr<EditorHost> EditorHost::Open(const EditorSettings& settings,
                                             const std::string& strMarkup) {
    tessel::platform::EnsureApplication();
    std::unique_ptr<EditorHost> pHost(new EditorHost);
    const char* szClass = AfxRegisterWndClass(0);
    if (!pHost->m_host.CreateEx(0, szClass, "tessel", WS_POPUP | WS_VISIBLE, 0, 0, settings.nWidth,
                                settings.nHeight, nullptr, 0)) {
        std::fprintf(stderr, "tessel: cannot make a %d x %d host window\n", settings.nWidth,
                     settings.nHeight);
        return nullptr;
    }
    CTesselEdit& edit = pHost->m_edit;
    // The editor puts the project directory before file names as it stands, so it must end
    // with a separator.
    if (!settings.strProject.empty()) {
        std::string strDir = settings.strProject;
        if (strDir.back() != '/' && strDir.back() != '\\') strDir += '/';
        edit.SetDirPrj(strDir);
    }
    edit.SetStringArray(&settings.media, &settings.pages, &settings.idents);
    if (!edit.Edit(pHost->m_host.m_hWnd, CRect(0, 0, settings.nWidth, settings.nHeight),
                   settings.crHotLink, strMarkup.c_str(), settings.nCharSpace, settings.nLineSpace,
                   settings.dZoom)) {
        std::fprintf(stderr, "tessel: cannot open the editor window\n");
        return nullptr;
    }
    return pHost;
}

EditorHost::~EditorHost() {
    if (m_edit.m_hWnd) m_edit.DestroyWindow();
    if (m_host.m_hWnd) m_host.DestroyWindow();
}

}  // namespace tessel::cli
