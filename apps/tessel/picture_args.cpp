#include "picture_args.h"

#include <string>

namespace tessel::cli {

bool ParseDrawArguments(const Command& command, std::span<const std::string_view> args,
                        std::string_view& strInput, std::string_view& strOutput) {
    strInput = {};
    strOutput = {};
    bool bOptionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (!bOptionsEnded && arg == "--") {
            bOptionsEnded = true;
        } else if (!bOptionsEnded && (arg == "-o" || arg == "--output")) {
            if (i + 1 == args.size()) {
                UsageError(command, "\"" + std::string(arg) + "\" needs a file name");
                return false;
            }
            strOutput = args[++i];
        } else if (!bOptionsEnded && arg.size() > 1 && arg[0] == '-') {
            UsageError(command, "unknown option \"" + std::string(arg) + "\"");
            return false;
        } else if (strInput.empty()) {
            strInput = arg;
        } else {
            UsageError(command, "one input only; \"" + std::string(arg) + "\" is one too many");
            return false;
        }
    }
    if (strInput.empty()) {
        UsageError(command, "no input file");
        return false;
    }
    if (strOutput.empty()) {
        UsageError(command, "no output file: give it with -o OUT.png");
        return false;
    }
    return true;
}

}  // namespace tessel::cli
