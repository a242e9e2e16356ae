#pragma once

// Other programs of the project started from the editor (the formula editor, say): found
// beside the running program or on PATH, and started without waiting for them. Tests and
// tools put a starter of their own in place (SetProgramStarter), which is then called instead
// of starting anything.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::platform {

// The path of the program called name: in the folder of the running program first (the
// programs of a build and of an installation lie side by side), then in the folders of PATH
// in order. Only an executable regular file counts. A name that holds a "/" is taken as a
// path of its own. Nothing when none is found.
std::optional<std::string> FindProgram(std::string_view name);

// Starts the program at path with the arguments (native names, passed as they are, no shell
// in between) and returns at once; the program goes on after this one ends. False when it
// could not be started.
bool StartProgram(const std::string& path, const std::vector<std::string>& args);

// While a starter is set, StartProgram calls it instead of starting anything and returns
// what it returns. An empty function removes it.
using ProgramStarter =
    std::function<bool(const std::string& program, const std::vector<std::string>& args)>;
void SetProgramStarter(ProgramStarter starter);

// A program that answers: started like StartProgram, and when it ends, what it wrote on its
// standard output is handed to reply, on the user-interface thread from the event loop (empty
// when it wrote nothing, wrote more than 1 MiB, or could not run to its end). False when it
// could not be started, or when there is no application whose event loop could deliver the
// reply; reply is then never called.
using ProgramReply = std::function<void(const std::string& strOutput)>;
bool StartProgramForReply(const std::string& path, const std::vector<std::string>& args,
                          ProgramReply reply);

// While a replying starter is set, StartProgramForReply calls it instead of starting anything
// and returns what it returns; the starter calls the reply itself, at once or later. An empty
// function removes it.
using ReplyingProgramStarter = std::function<bool(
    const std::string& program, const std::vector<std::string>& args, ProgramReply reply)>;
void SetReplyingProgramStarter(ReplyingProgramStarter starter);

}  // namespace tessel::platform
