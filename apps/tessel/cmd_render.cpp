// tessel render: the page as the editor shows it, drawn into a PNG.

#include <cstdio>
#include <string>

#include "editor_host.h"
#include "input.h"

namespace tessel::cli {
namespace {

int RunRender(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPath, strOutput;
    EditorSettings settings;
    const Option output[] = {{.strName = "-o", .pValue = &strOutput},
                             {.strName = "--output", .pValue = &strOutput}};
    if (!ParseEditorArguments(command, args, output, strPath, settings)) return kExitFail;
    if (strOutput.empty()) return UsageError(command, "no output file: give it with -o OUT.png");
    const std::optional<Input> input = ReadInput(strPath);
    if (!input) return kExitFail;

    std::unique_ptr<EditorHost> pHost = EditorHost::Open(settings, input->strBytes);
    if (!pHost) return kExitFail;
    CBitmap bitmap;
    if (!tessel::platform::CaptureWindow(&pHost->Window(), bitmap)) {
        std::fprintf(stderr, "tessel render: cannot capture the host window\n");
        return kExitFail;
    }
    const std::string strOut(strOutput);
    if (!bitmap.SavePng(strOut)) {
        std::fprintf(stderr, "tessel render: cannot write \"%s\"\n", strOut.c_str());
        return kExitFail;
    }
    return kExitOk;
}

}  // namespace

const Command kRenderCommand{
    .strName = "render",
    .strSynopsis =
        "[FILE|-] -o OUT.png [--width 600] [--height 400] [--zoom 1.0] "
        "[--char-space 0] [--line-space 2] [--hotlink-color RRGGBB] [--project DIR] [--media FILE] "
        "[--pages FILE] [--idents FILE]",
    .strSummary = "open the page in the editor and draw the window into a PNG",
    .strHelp =
        "Opens the editor on the markup, lets it paint once (column windows of multi-column\n"
        "frames included) and writes the host window's pixels to OUT.png.\n"
        "\n"
        "Exit status: 0 written, 2 the input cannot be read, the PNG cannot be written, or a\n"
        "bad command line.\n",
    .strMoreHelp = kEditorOptionsHelp,
    .pRun = RunRender,
};

}  // namespace tessel::cli
