#include "command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tessel::cli {

std::string Join(std::initializer_list<std::string_view> pieces) {
    std::string s;
    for (std::string_view piece : pieces)
        s.append(piece);
    return s;
}

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

bool ParseArguments(const Command& command, std::span<const std::string_view> args,
                    std::span<const Option> options, std::string_view& strPath) {
    strPath = "-";
    bool bHavePath = false;
    bool bOptionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (!bOptionsEnded && arg == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (!bOptionsEnded && arg.size() > 1 && arg[0] == '-') {
            std::string_view strName = arg.substr(0, arg.find('='));
            const Option* pOption = nullptr;
            for (const Option& option : options) {
                if (option.strName == strName) pOption = &option;
            }
            if (!pOption) {
                UsageError(command, Join({"unknown option \"", arg, "\""}));
                return false;
            }
            if (pOption->pFlag) {
                if (strName.size() != arg.size()) {
                    UsageError(command, Join({"\"", strName, "\" takes no value"}));
                    return false;
                }
                *pOption->pFlag = true;
            } else if (strName.size() != arg.size()) {
                *pOption->pValue = arg.substr(strName.size() + 1);
            } else if (i + 1 < args.size()) {
                *pOption->pValue = args[++i];
            } else {
                UsageError(command, Join({"\"", arg, "\" needs a value"}));
                return false;
            }
            continue;
        }
        if (bHavePath) {
            UsageError(command, Join({"one input only; \"", arg, "\" is one too many"}));
            return false;
        }
        strPath = arg;
        bHavePath = true;
    }
    return true;
}

bool ParseInputArgument(const Command& command, std::span<const std::string_view> args,
                        std::string_view& strPath) {
    return ParseArguments(command, args, {}, strPath);
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
