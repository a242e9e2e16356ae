// tessel dump: the elements a read of the markup yields, as JSON lines.

#include <optional>
#include <string>

#include "command.h"
#include "document/my_list.h"
#include "input.h"
#include "json.h"
#include "markup/word_analyzer.h"

namespace tessel::cli {
namespace {

int RunDump(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPath;
    if (!ParseInputArgument(command, args, strPath)) return kExitFail;
    const std::optional<Input> input = ReadInput(strPath);
    if (!input) return kExitFail;

    CMyList list;
    CWordAnalyzer().Convert(input->strBytes.c_str(), &list);
    std::string out;
    for (list.First(); list.IsInList(); list.Next()) {
        AppendElementJson(out, *list.GetCurr());
        out += '\n';
    }
    return WriteStdout(out) && FlushStdout() ? kExitOk : kExitFail;
}

}  // namespace

const Command kDumpCommand{
    .strName = "dump",
    .strSynopsis = "[FILE|-]",
    .strSummary = "print the elements the markup reads into, one JSON object per line",
    .strHelp =
        "Reads the markup and prints every element it yields, in document order, one JSON\n"
        "object per line and nothing else (no spaces outside strings):\n"
        "\n"
        "  {\"kind\":K,\"font\":[5 slots],\"color\":[3 slots],\"footnote\":[1 slot],\n"
        "   \"hotlink\":[18 slots],\"command\":[20 slots]}\n"
        "\n"
        "Each slot is {\"type\":T,\"value\":V,\"text\":\"...\"}: T is how the slot was given\n"
        "(0 number, 1 text, 2 not given), V its number, and the text is converted from GBK\n"
        "to UTF-8, with every byte that is not valid GBK shown as U+FFFD.\n"
        "\n"
        "Kinds: 0 Text, 1 Image, 2 Formula, 3 Edit, 4 Check, 5 Choice, 6 PageTotalScore,\n"
        "7 PageScore, 8 TotalScore, 13 MultiColumn, 14 StartColumn, 15 EndColumn.\n"
        "\n"
        "The read is the library's, with its limits: it stops at an unknown tag, at a NUL\n"
        "byte and after 20481 bytes. \"tessel check\" tells what was left out.\n"
        "\n"
        "Exit status: 0 printed, 2 the input cannot be read (or the output cannot be\n"
        "written).\n",
    .pRun = RunDump,
};

}  // namespace tessel::cli
