#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel::cli {

// One input of a command: its bytes exactly as stored (markup is GBK; no conversion, no
// line-ending translation) and the name that messages give it.
struct Input {
    std::string strName;   // the path as given, or "<stdin>"
    std::string strBytes;  // may hold NUL bytes
};

// Reads a whole file, or standard input when strPath is "-". When the input cannot be read,
// says so on stderr, naming the file and the system's reason, and returns nothing.
std::optional<Input> ReadInput(std::string_view strPath);

}  // namespace tessel::cli
