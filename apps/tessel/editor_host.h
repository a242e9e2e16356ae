#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command.h"
#include "editor/tessel_edit.h"

namespace tessel::cli {

// How the commands that open the editor set it up.
struct EditorSettings {
    int nWidth = 600;
    int nHeight = 400;
    double dZoom = 1.0;
    int nCharSpace = 0;
    int nLineSpace = 2;
    COLORREF crHotLink = RGB(0, 0, 255);
    std::string strProject;
    // The host's lists (GBK): media entries ("NUMBER,PATH"), page names, sub-page identifiers.
    std::vector<std::string> media, pages, idents;
};

// The description of the options every editor command takes, for the commands' help.
inline constexpr std::string_view kEditorOptionsHelp =
    "The editor is opened headless in a host window of --width x --height pixels (600 x 400),\n"
    "with text sizes multiplied by --zoom (1.0), --char-space extra pixels per Chinese\n"
    "character (0), --line-space pixels added to every row (2), and text with a hot link in\n"
    "--hotlink-color (RRGGBB, 0000ff). --project DIR is the project directory that picture\n"
    "and formula names are taken relative to (the current directory when not given).\n"
    "--media FILE, --pages FILE and --idents FILE give the host's lists that the hot-link and\n"
    "score dialogs offer: an entry a line, UTF-8 (media entries as NUMBER,PATH).\n";

// Reads "[FILE|-]", the editor options and the extra options given. Reports what is wrong
// with UsageError and returns false.
bool ParseEditorArguments(const Command& command, std::span<const std::string_view> args,
                          std::span<const Option> extra, std::string_view& strPath,
                          EditorSettings& settings);

// A headless host window of the settings' size with the editor opened in it on the markup.
class EditorHost {
  public:
    // Null (after a message on stderr) when the window or the editor cannot be made.
    static std::unique_ptr<EditorHost> Open(const EditorSettings& settings,
                                            const std::string& strMarkup);
    ~EditorHost();

    CWnd& Window() { return m_host; }
    CTesselEdit& Editor() { return m_edit; }

  private:
    EditorHost() = default;
    CWnd m_host;
    CTesselEdit m_edit;
};

}  // namespace tessel::cli
