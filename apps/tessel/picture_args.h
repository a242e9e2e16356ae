#pragma once

#include <span>
#include <string_view>

#include "command.h"

namespace tessel::cli {

// "FILE -o OUT.png", the arguments of the commands that draw a file into a PNG. Reports a
// bad command line with UsageError and returns false.
bool ParseDrawArguments(const Command& command, std::span<const std::string_view> args,
                        std::string_view& strInput, std::string_view& strOutput);

}  // namespace tessel::cli
