// tessel markup: the markup read and written back by the library's writer.

#include <optional>
#include <string>

#include "command.h"
#include "document/my_list.h"
#include "editor_host.h"
#include "input.h"
#include "markup/word_analyzer.h"

namespace tessel::cli {
namespace {

int RunMarkup(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPath;
    EditorSettings settings;
    bool bEditor = false;
    const Option editor[] = {{.strName = "--editor", .pFlag = &bEditor}};
    if (!ParseEditorArguments(command, args, editor, strPath, settings)) return kExitFail;
    const std::optional<Input> input = ReadInput(strPath);
    if (!input) return kExitFail;

    if (bEditor) {
        std::unique_ptr<EditorHost> pHost = EditorHost::Open(settings, input->strBytes);
        if (!pHost) return kExitFail;
        return WriteStdout(pHost->Editor().GetEditText()) && FlushStdout() ? kExitOk : kExitFail;
    }
    const CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(input->strBytes.c_str(), &list);
    std::string out;
    analyzer.CodeGeneration(out, &list, 0);
    return WriteStdout(out) && FlushStdout() ? kExitOk : kExitFail;
}

}  // namespace

const Command kMarkupCommand{
    .strName = "markup",
    .strSynopsis =
        "[FILE|-] [--editor [--width 600] [--height 400] [--zoom 1.0] "
        "[--char-space 0] [--line-space 2] [--hotlink-color RRGGBB] "
        "[--project DIR]]",
    .strSummary = "read the markup and write it back as the library writes it",
    .strHelp =
        "Reads the markup into elements and writes them back as markup, the way the editor\n"
        "saves a page: every element with its own Font, Color, FootNote and HotLink tags,\n"
        "text escaped. The bytes go to standard output unchanged (GBK, no line-ending\n"
        "translation, no newline added). Markup that this command wrote comes back from it\n"
        "byte for byte.\n"
        "\n"
        "What the read drops (after an unknown tag, a NUL byte, 20481 bytes) is not written.\n"
        "\"tessel check\" tells what is lost.\n"
        "\n"
        "With --editor the page is opened in the editor (headless, with the window options)\n"
        "and the markup is what the editor hands back: the document after its first layout,\n"
        "which drops empty text runs and multiple choices without options, with multi-column\n"
        "frames written back in their flat form.\n"
        "\n"
        "Exit status: 0 written, 2 the input cannot be read (or the output cannot be\n"
        "written).\n",
    .strMoreHelp = kEditorOptionsHelp,
    .pRun = RunMarkup,
};

}  // namespace tessel::cli
