// tessel play: a scripted session of a user at the editor, replayed headless.

#include <cstdio>
#include <string>
#include <vector>

#include "editor_host.h"
#include "input.h"
#include "player.h"

namespace tessel::cli {
namespace {

// The options of the editor commands all take a value.
bool TakesValue(std::string_view strOption) {
    for (std::string_view name : {"--width", "--height", "--zoom", "--char-space", "--line-space",
                                  "--hotlink-color", "--project"}) {
        if (strOption == name) return true;
    }
    return false;
}

// Takes the first operand (the script) out of the arguments; the rest are the page and the
// window options. Returns false when there is none. bPage tells whether a page follows.
bool TakeScript(std::span<const std::string_view> args, std::string_view& strScript,
                std::vector<std::string_view>& rest, bool& bPage) {
    bool bFound = false, bOptionsEnded = false;
    int nOperands = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool bOperand = bOptionsEnded || arg == "-" || !arg.starts_with("-");
        if (!bOptionsEnded && arg == "--") bOptionsEnded = true;
        if (bOperand) ++nOperands;
        if (bOperand && !bFound) {
            strScript = arg;
            bFound = true;
            continue;
        }
        rest.push_back(arg);
        if (!bOperand && arg.find('=') == std::string_view::npos && TakesValue(arg) &&
            i + 1 < args.size())
            rest.push_back(args[++i]);
    }
    bPage = nOperands > 1;
    return bFound;
}

int RunPlay(const Command& command, std::span<const std::string_view> args) {
    std::string_view strScript, strPage;
    std::vector<std::string_view> rest;
    bool bPage = false;
    if (!TakeScript(args, strScript, rest, bPage))
        return UsageError(command, "no script given: give its file, or - for standard input");
    EditorSettings settings;
    if (!ParseEditorArguments(command, rest, {}, strPage, settings)) return kExitFail;
    if (bPage && strPage == "-" && strScript == "-")
        return UsageError(command, "the script and the page cannot both be standard input");

    const std::optional<Input> script = ReadInput(strScript);
    if (!script) return kExitFail;
    std::string strMarkup;
    if (bPage) {
        const std::optional<Input> page = ReadInput(strPage);
        if (!page) return kExitFail;
        strMarkup = page->strBytes;
    }

    std::unique_ptr<EditorHost> pHost = EditorHost::Open(settings, strMarkup);
    if (!pHost) return kExitFail;
    const play::PlayResult result = play::PlayScript(pHost->Editor(), script->strBytes);
    if (!WriteStdout(result.strOut) || !FlushStdout()) return kExitFail;
    // Reports (a file dialog cancelled for want of an answer) do not change the exit status.
    for (const std::string& report : result.reports)
        std::fprintf(stderr, "tessel play: %s\n", report.c_str());
    if (result.nExit != 0) {
        std::fprintf(stderr, "tessel play: %s\n", result.strError.c_str());
        return kExitFail;
    }
    return kExitOk;
}

}  // namespace

const Command kPlayCommand{
    .strName = "play",
    .strSynopsis =
        "SCRIPT|- [PAGE] [--width 600] [--height 400] [--zoom 1.0] [--char-space 0] "
        "[--line-space 2] [--hotlink-color RRGGBB] [--project DIR] [--media FILE] [--pages FILE] "
        "[--idents FILE]",
    .strSummary = "replay a script of a user's actions at the editor and print what it shows",
    .strHelp =
        "Opens the editor headless on PAGE (markup; an empty page when none is given) and\n"
        "plays the script SCRIPT (a file, or - for standard input) as a user at the editor:\n"
        "each line is one action, its events delivered to the editor's windows as a\n"
        "keyboard, an input method and a mouse would deliver them. What the print lines\n"
        "print goes to standard output. Blank lines and lines starting with # are skipped.\n"
        "\n"
        "  type TEXT              types TEXT (UTF-8), one key per character; \\n is Enter,\n"
        "                         \\t Tab, \\\\ a backslash\n"
        "  ime TEXT               an input method commits TEXT in one event\n"
        "  char CODE              one character message (decimal, or hexadecimal after 0x)\n"
        "  key NAME [shift] [ctrl]  presses a key: Left Right Up Down Home End Back Delete\n"
        "                         Enter Tab Escape Shift Ctrl PageUp PageDown F1 to F12, a\n"
        "                         letter or a digit; Shift and Ctrl stay held until keyup\n"
        "  keyup NAME             releases the key\n"
        "  down X Y [shift] [ctrl], up X Y, move X Y, click X Y, dblclick X Y, rclick X Y\n"
        "                         the mouse at client coordinates of the editor's window\n"
        "  wait MS                the event loop runs for MS milliseconds (timers fire)\n"
        "  print caret|selection|markup|dump|rows|format|caretbox|clipboard|toolbar|menu|\n"
        "        dialogs\n"
        "                         prints the cursor, the selection, the markup (UTF-8), the\n"
        "                         elements (as dump), the rows (as rows), the character\n"
        "                         format (JSON), the system caret (X Y WIDTH HEIGHT or none),\n"
        "                         the clipboard's formats (one line each), the tool window's\n"
        "                         buttons, boxes and colour, the open context menu's entries,\n"
        "                         the dialogs and message boxes shown since the last print\n"
        "  snapshot FILE.png      writes the editor window, caret included, as render does\n"
        "  clipboard text TEXT|bitmap W H RRGGBB|markup TEXT|html TEXT|clear\n"
        "                         fills the clipboard as another program would (text with\n"
        "                         the escapes of type)\n"
        "  command NAME|ID        a command to the editor, as its tool bar sends it: cut copy\n"
        "                         paste pasteplain undo redo selectall bold ... or an id\n"
        "  menu NAME|ID           chooses an entry of the context menu rclick left open\n"
        "  symbol TAB INDEX       double-clicks a symbol of the Insert Symbol window\n"
        "  check NAME on|off      a tool-bar check button left down or up, no command sent\n"
        "  font FACE, size INDEX  an item of the font or size box chosen as a user chooses it\n"
        "  color RRGGBB           a colour chosen in the colour picker with OK\n"
        "  snapshot-toolbar FILE.png, snapshot-picker FILE.png, snapshot-symbols FILE.png\n"
        "                         writes the tool window, the picker's open popup, or the\n"
        "                         Insert Symbol window\n"
        "  answer ID=VALUE ... [press=ID] ... ok|cancel\n"
        "                         queues the answer to the next dialog: values entered into\n"
        "                         its controls in order, buttons pressed, then OK or Cancel\n"
        "                         (the media-position picker: answer 2053=BEGIN 2054=END ok)\n"
        "  answer yes|no|ok|cancel  queues the answer to the next message box\n"
        "  answer file PATH|cancel  queues the answer to the next file dialog; a dialog with\n"
        "                         none queued is cancelled and reported on standard error\n"
        "\n"
        "docs/play.md describes every action exactly.\n"
        "\n"
        "Exit status: 0 the script ran to its end; 2 a script line is wrong or cannot be run\n"
        "(the message names the line), an input cannot be read, or a bad command line.\n",
    .strMoreHelp = kEditorOptionsHelp,
    .pRun = RunPlay,
};

}  // namespace tessel::cli
