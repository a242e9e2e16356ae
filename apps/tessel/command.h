#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

// The commands of the tessel tool. main() dispatches through a table of these; each command
// lives in its own cmd_*.cpp and receives the arguments that follow its name, with "--help"
// and "-h" already handled.
namespace tessel::cli {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitLoss = 1;  // check: something would be lost
inline constexpr int kExitFail = 2;  // the input cannot be read, or the command line is wrong

struct Command {
    std::string_view strName;
    std::string_view strSynopsis;       // the arguments, as the usage line shows them
    std::string_view strSummary;        // one line for the overview
    std::string_view strHelp;           // what "tessel NAME --help" prints after the usage line
    std::string_view strMoreHelp = {};  // options shared with other commands, printed after it
    int (*pRun)(const Command& command, std::span<const std::string_view> args);
};

extern const Command kDumpCommand;
extern const Command kMarkupCommand;
extern const Command kCheckCommand;
extern const Command kPictureCommand;
extern const Command kFormulaCommand;
extern const Command kHtmlCommand;
extern const Command kPublishCommand;
extern const Command kRenderCommand;
extern const Command kRowsCommand;
extern const Command kPlayCommand;

// Joins the pieces of a message.
std::string Join(std::initializer_list<std::string_view> pieces);

// Prints "usage: tessel NAME SYNOPSIS" and a pointer to the command's help to stderr, after
// the complaint when one is given. Returns kExitFail for the caller to return.
int UsageError(const Command& command, std::string_view strComplaint);

// Reads the "[FILE|-]" arguments shared by the commands that take one input: at most one
// operand; "--" ends the options so that a file named "-x" can be given. On success sets
// strPath ("-" for standard input, also when no operand is given) and returns true; on a bad
// option or a second operand reports it with UsageError and returns false.
bool ParseInputArgument(const Command& command, std::span<const std::string_view> args,
                        std::string_view& strPath);

// An option a command takes besides its input: "--name VALUE" or "--name=VALUE" stores the
// value when pValue is set; a flag ("--name", no value) sets *pFlag.
struct Option {
    std::string_view strName;
    std::string_view* pValue = nullptr;
    bool* pFlag = nullptr;
};

// ParseInputArgument with options: each argument that starts with "-" (before "--") must be
// one of them.
bool ParseArguments(const Command& command, std::span<const std::string_view> args,
                    std::span<const Option> options, std::string_view& strPath);

// Writes the bytes to standard output as they are. Returns false (after a message on stderr)
// when standard output cannot be written.
bool WriteStdout(std::string_view bytes);
// Flushes standard output; false (after a message on stderr) when that fails.
bool FlushStdout();

}  // namespace tessel::cli
