// tessel markup: the markup read and written back by the library's writer.

#include <optional>
#include <string>

#include "command.h"
#include "document/my_list.h"
#include "input.h"
#include "markup/word_analyzer.h"

namespace tessel::cli {
namespace {

int RunMarkup(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPath;
    if (!ParseInputArgument(command, args, strPath)) return kExitFail;
    const std::optional<Input> input = ReadInput(strPath);
    if (!input) return kExitFail;

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
    .strSynopsis = "[FILE|-]",
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
        "Exit status: 0 written, 2 the input cannot be read (or the output cannot be\n"
        "written).\n",
    .pRun = RunMarkup,
};

}  // namespace tessel::cli
