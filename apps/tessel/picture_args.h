#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "command.h"
#include "platform/gdi.h"

namespace tessel::cli {

// "FILE -o OUT.png", the arguments of the commands that draw a file into a PNG. Reports a
// bad command line with UsageError and returns false.
bool ParseDrawArguments(const Command& command, std::span<const std::string_view> args,
                        std::string_view& strInput, std::string_view& strOutput);

// Draws into a white nWidth x nHeight bitmap with draw(pDC) and writes it to strPath as PNG.
// Returns the exit status, after a message on stderr when something failed.
int DrawToPng(int nWidth, int nHeight, const std::function<void(CDC*)>& draw,
              std::string_view strPath);

}  // namespace tessel::cli
