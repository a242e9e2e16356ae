#include "command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tessel::cli {

int UsageError(const Command& command, std::string_view strComplaint) {
    if (!strComplaint.empty()) {
        std::fprintf(stderr, "tessel %.*s: %.*s\n", static_cast<int>(command.strName.size()),
                     command.strName.data(), static_cast<int>(strComplaint.size()),
                     strComplaint.data());
    }
    std::fprintf(stderr, "usage: tessel %.*s %.*s\nRun \"tessel %.*s --help\" for details.\n",
                 static_cast<int>(command.strName.size()), command.strName.data(),
                 static_cast<int>(command.strSynopsis.size()), command.strSynopsis.data(),
                 static_cast<int>(command.strName.size()), command.strName.data());
    return kExitFail;
}

bool ParseInputArgument(const Command& command, std::span<const std::string_view> args,
                        std::string_view& strPath) {
    strPath = "-";
    bool bHavePath = false;
    bool bOptionsEnded = false;
    for (std::string_view arg : args) {
        if (!bOptionsEnded && arg == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (!bOptionsEnded && arg.size() > 1 && arg[0] == '-') {
            UsageError(command, "unknown option \"" + std::string(arg) + "\"");
            return false;
        }
        if (bHavePath) {
            UsageError(command, "one input only; \"" + std::string(arg) + "\" is one too many");
            return false;
        }
        strPath = arg;
        bHavePath = true;
    }
    return true;
}

bool WriteStdout(std::string_view bytes) {
    if (bytes.empty()) return true;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size()) return true;
    std::fprintf(stderr, "tessel: cannot write to standard output: %s\n", std::strerror(errno));
    return false;
}

bool FlushStdout() {
    if (std::fflush(stdout) == 0) return true;
    std::fprintf(stderr, "tessel: cannot write to standard output: %s\n", std::strerror(errno));
    return false;
}

}  // namespace tessel::cli
