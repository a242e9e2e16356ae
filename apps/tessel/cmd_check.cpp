// tessel check: everything a read of the markup drops or cuts, and everything the writer
// cannot write so that it reads back whole, in plain words with byte offsets.

#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "input.h"
#include "markup/findings.h"
#include "platform/gbk.h"

namespace tessel::cli {
namespace {

std::string Plural(long long nCount, const char* szOne, const char* szMany) {
    return std::to_string(nCount) + " " + (nCount == 1 ? szOne : szMany);
}

int RunCheck(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPath;
    if (!ParseInputArgument(command, args, strPath)) return kExitFail;
    const std::optional<Input> input = ReadInput(strPath);
    if (!input) return kExitFail;

    // The findings are GBK like the page; the tool speaks UTF-8.
    const std::vector<markup::MarkupFinding> findings = markup::CheckPage(input->strBytes);

    std::string out;
    int nProblems = 0;
    int nNotes = 0;
    for (const markup::MarkupFinding& finding : findings) {
        (finding.bLoss ? nProblems : nNotes) += 1;
        out += input->strName + ": ";
        if (!finding.strWhere.empty()) out += finding.strWhere + ": ";
        if (!finding.bLoss) out += "note: ";
        out += platform::GbkToUtf8(finding.strText) + "\n";
    }
    out += input->strName + ": ";
    if (nProblems == 0) {
        out += "nothing is lost";
    } else {
        out += Plural(nProblems, "problem", "problems") + ": something would be lost";
    }
    if (nNotes > 0) out += " (" + Plural(nNotes, "note", "notes") + ")";
    out += "\n";
    if (!WriteStdout(out) || !FlushStdout()) return kExitFail;
    return nProblems == 0 ? kExitOk : kExitLoss;
}

}  // namespace

const Command kCheckCommand{
    .strName = "check",
    .strSynopsis = "[FILE|-]",
    .strSummary = "tell what a read or a write of the markup would drop or cut",
    .strHelp =
        "Reads the markup, writes the elements read back as markup, and tells, one finding\n"
        "per line, everything that gets lost on the way:\n"
        "\n"
        "  - what the read drops or cuts, with the byte offset (counted from 0) where it\n"
        "    happens: an unknown tag (reading stops there), a NUL byte (nothing after it is\n"
        "    read), markup past 20481 bytes, a text run past 2001 bytes, a text parameter\n"
        "    past 129 bytes, a number past 19 characters, parameters past the 20th, a lead\n"
        "    byte with no second byte;\n"
        "  - every parameter the writer cannot write so that it reads back whole, with the\n"
        "    element (counted from 0, in the order \"tessel dump\" prints them), its kind and\n"
        "    the slot, e.g. a file name holding \")\", \">\" or a line break, and markup\n"
        "    that, written back, is longer than a read takes;\n"
        "  - notes: things the read takes differently than written but without loss, such\n"
        "    as a closing tag that closes nothing. Notes are marked \"note:\".\n"
        "\n"
        "  exam.tsm: byte 1234: unknown tag \"<Foo>\": reading stops here; 5678 bytes are not "
        "read\n"
        "  exam.tsm: element 12 (Image), Command[0]: the file name cannot be written whole: "
        "\")\" dropped\n"
        "  exam.tsm: 2 problems: something would be lost\n"
        "\n"
        "Texts are quoted in UTF-8; control characters are shown as \\n, \\r, \\t or \\xHH,\n"
        "and so are bytes that make no GBK character.\n"
        "The last line sums up: \"nothing is lost\", or how many problems there are.\n"
        "\n"
        "Exit status: 0 nothing is lost (notes only, or no finding), 1 something would be\n"
        "lost, 2 the input cannot be read (or the output cannot be written).\n",
    .pRun = RunCheck,
};

}  // namespace tessel::cli
