// tessel rows: the editor's row table after it opened the page.

#include <cstdio>
#include <string>

#include "editor_host.h"
#include "input.h"
#include "player.h"

namespace tessel::cli {
namespace {

int RunRows(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPath;
    EditorSettings settings;
    if (!ParseEditorArguments(command, args, {}, strPath, settings)) return kExitFail;
    const std::optional<Input> input = ReadInput(strPath);
    if (!input) return kExitFail;

    std::unique_ptr<EditorHost> pHost = EditorHost::Open(settings, input->strBytes);
    if (!pHost) return kExitFail;
    return WriteStdout(play::RowTableText(pHost->Editor())) && FlushStdout() ? kExitOk : kExitFail;
}

}  // namespace

const Command kRowsCommand{
    .strName = "rows",
    .strSynopsis =
        "[FILE|-] [--width 600] [--height 400] [--zoom 1.0] [--char-space 0] "
        "[--line-space 2] [--hotlink-color RRGGBB] [--project DIR] [--media FILE] [--pages FILE] "
        "[--idents FILE]",
    .strSummary = "open the page in the editor and print its row table",
    .strHelp =
        "Opens the editor on the markup and prints the rows it laid the page out in, one\n"
        "line per row in use: HEIGHT NLINK NWORD NCHAR (the row's height in pixels and the\n"
        "element, word and byte it starts at), then the line \"end\". A page is laid out in\n"
        "at most 128 rows.\n"
        "\n"
        "Exit status: 0 printed, 2 the input cannot be read, or a bad command line.\n",
    .strMoreHelp = kEditorOptionsHelp,
    .pRun = RunRows,
};

}  // namespace tessel::cli
