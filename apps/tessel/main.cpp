// tessel: a command-line tool over the Tessel markup library. Each command is one entry of
// the table below; its code lives in cmd_<name>.cpp.

#include <array>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "command.h"

namespace tessel::cli {
namespace {

constexpr std::array<const Command*, 10> kCommands = {
    &kDumpCommand,   &kMarkupCommand, &kCheckCommand, &kHtmlCommand,    &kPublishCommand,
    &kRenderCommand, &kRowsCommand,   &kPlayCommand,  &kPictureCommand, &kFormulaCommand};

bool IsHelpOption(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

const Command* FindCommand(std::string_view strName) {
    for (const Command* pCommand : kCommands) {
        if (pCommand->strName == strName) return pCommand;
    }
    return nullptr;
}

void PrintOverview(std::FILE* pStream) {
    std::fputs(
        "usage: tessel COMMAND [FILE|-]\n"
        "       tessel COMMAND --help\n"
        "       tessel --version\n"
        "\n"
        "Reads Tessel page markup (8-bit text, Chinese in GBK) and shows what the library\n"
        "makes of it.\n"
        "\n"
        "Commands:\n",
        pStream);
    for (const Command* pCommand : kCommands) {
        std::fprintf(pStream, "  %-8.*s %.*s\n", static_cast<int>(pCommand->strName.size()),
                     pCommand->strName.data(), static_cast<int>(pCommand->strSummary.size()),
                     pCommand->strSummary.data());
    }
    std::fputs(
        "\n"
        "FILE is read as bytes; \"-\" or no FILE reads standard input.\n"
        "\n"
        "Exit status: 0 success; 1 \"check\" found something that would be lost, or \"html\"\n"
        "and \"publish\" left out what they name on standard error; 2 the input cannot be\n"
        "read, the output cannot be written, or the command line is wrong.\n",
        pStream);
}

void PrintCommandHelp(const Command& command) {
    std::printf("usage: tessel %.*s %.*s\n\n%.*s", static_cast<int>(command.strName.size()),
                command.strName.data(), static_cast<int>(command.strSynopsis.size()),
                command.strSynopsis.data(), static_cast<int>(command.strHelp.size()),
                command.strHelp.data());
    if (!command.strMoreHelp.empty())
        std::printf("\n%.*s", static_cast<int>(command.strMoreHelp.size()),
                    command.strMoreHelp.data());
}

int Main(std::span<const std::string_view> args) {
    if (args.empty()) {
        std::fputs("tessel: no command given\n\n", stderr);
        PrintOverview(stderr);
        return kExitFail;
    }
    if (IsHelpOption(args[0])) {
        PrintOverview(stdout);
        return FlushStdout() ? kExitOk : kExitFail;
    }
    if (args[0] == "--version") {
        std::printf("tessel %s\n", TESSEL_VERSION);
        return FlushStdout() ? kExitOk : kExitFail;
    }
    const Command* pCommand = FindCommand(args[0]);
    if (!pCommand) {
        std::fprintf(stderr, "tessel: unknown command \"%.*s\"\n\n",
                     static_cast<int>(args[0].size()), args[0].data());
        PrintOverview(stderr);
        return kExitFail;
    }
    const std::span<const std::string_view> rest = args.subspan(1);
    for (std::string_view arg : rest) {
        if (arg == "--") break;  // what follows is an operand, even "--help"
        if (IsHelpOption(arg)) {
            PrintCommandHelp(*pCommand);
            return FlushStdout() ? kExitOk : kExitFail;
        }
    }
    return pCommand->pRun(*pCommand, rest);
}

}  // namespace
}  // namespace tessel::cli

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return tessel::cli::Main(args);
}
