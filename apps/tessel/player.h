#pragma once

// Scripted sessions: a script of what a user does at an open editor (typing, keys, an input
// method, the mouse, waiting) played as made-up input events, with prints of what the editor
// then holds; the clipboard as other programs fill it, the editor's commands, and the answers
// to its file dialogs. The script language is described in docs/play.md.
//
//   tessel::play::Player player(editor);
//   const tessel::play::PlayResult result = player.Play("type abc\nprint caret\n");
//   // result.nExit == 0, result.strOut == "0 1 0\n" (for instance)

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_input.h"

class CTesselEdit;

namespace tessel::play {

// What a script's play gave.
struct PlayResult {
    int nExit = 0;         // 0 every line ran; 2 a line was wrong or could not be run
    std::string strOut;    // what the print lines printed, up to the end or the error
    std::string strError;  // why the play stopped ("script line 7: unknown action \"tpye\"")
    int nLine = 0;         // the line named in strError; 0 when there is no error
    // What is worth saying but did not stop the play, in the order it happened ("script line 4:
    // a file dialog was cancelled: no answer queued", "1 answer was not used (script line 6)").
    std::vector<std::string> reports;
};

// Plays scripts against one editor, the top-level editor a host opened. The editor must stay
// open while a play runs. Keys go to the window that has the keyboard focus (the top-level
// editor when no window of the platform has it); the mouse acts at client coordinates of the
// top-level editor's window.
class Player {
  public:
    explicit Player(CTesselEdit& editor);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Reads the whole script first: a line that is not understood stops the play before
    // anything runs. Then runs the lines in order; a line that cannot be run (a snapshot that
    // cannot be written) stops it there. Lines are counted from 1 in each call. Modifier keys
    // held by one call ("key Shift") are still held in the next. While the lines run, the
    // player answers the file dialogs of the process from the answers the script queued
    // ("answer file PATH"); the answers a call leaves unused are dropped at its end. A context
    // menu a call leaves open is still open for the first line of the next.
    PlayResult Play(std::string_view script);

    // The modifier keys the script holds down now.
    platform::Modifiers HeldModifiers() const { return m_nHeld; }

  private:
    CTesselEdit& m_editor;
    platform::Modifiers m_nHeld = platform::kNoModifiers;
    // The context menu a right click left open, for the next line to choose from, in this
    // call or the next one.
    std::shared_ptr<struct OpenMenu> m_pMenu;
};

// Plays the script with a new Player.
PlayResult PlayScript(CTesselEdit& editor, std::string_view script);

// The texts of the prints, shared with the tessel commands that print the same.
// The row table as "tessel rows" prints it: one line "HEIGHT NLINK NWORD NCHAR" per row in
// use, then "end".
std::string RowTableText(const CTesselEdit& editor);
// The document in its flat form (frames as MultiColumn, StartColumn and EndColumn elements),
// one element per line as "tessel dump" prints them, then "end".
std::string DumpText(CTesselEdit& editor);

}  // namespace tessel::play
