// The player of scripted sessions. Each action of the script language is one entry of the
// table at the end of this file: its name, the reader of its arguments and its runner. A
// script is read into steps first (so that a mistyped line stops the play before anything
// happens), then the steps run one after the other, the event loop running between the
// events as it would between a user's keystrokes. While the steps run, the player answers the
// dialogs, message boxes and file dialogs of the process from the answers the script queued
// (answers.h).

#include "player.h"

#include "answers.h"

#include <QClipboard>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QString>
#include <QTextDocumentFragment>

#include <charconv>
#include <cstdio>
#include <deque>
#include <initializer_list>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "editor/clip_data.h"
#include "editor/tessel_edit.h"
#include "json.h"
#include "platform/file_dialog.h"
#include "platform/gbk.h"
#include "platform/wnd.h"
#include "widgets/colour_popup.h"
#include "widgets/edit_commands.h"
#include "widgets/symbol_window.h"
#include "widgets/tool_window.h"

namespace tessel::play {

// A context menu as the user saw it open: its entries with their state, and the window its
// commands go to.
struct OpenMenu {
    struct Entry {
        UINT nID = 0;  // 0 a separator
        std::string strText;
        bool bEnabled = false;
    };
    std::vector<Entry> entries;
    CWnd* pOwner = nullptr;
};

namespace {

using platform::Key;
using platform::Modifiers;
using platform::MouseButton;

struct Action;
struct Session;

// One line of a script, read: its action and the arguments that action takes.
struct Step {
    const Action* pAction = nullptr;
    int nLine = 0;
    std::u32string strKeys;  // type: the characters typed, '\n' standing for Enter, '\t' for Tab
    // ime: the committed text; snapshot: the file; clipboard: the text, markup or HTML (UTF-8)
    std::string strText;
    // mouse actions: the point; char: the code; wait: milliseconds; command: the id; clipboard
    // bitmap: the width and the height
    int nX = 0;
    int nY = 0;
    int nColor = 0;                                // clipboard bitmap: 0xRRGGBB
    Modifiers modifiers = platform::kNoModifiers;  // held for this line only
    std::optional<Key> key;                        // key, keyup: a key pressed for what it does...
    char32_t chKey = 0;                          // ...or a letter key (its capital) or a digit key
    void (*pPrint)(Session& session) = nullptr;  // print: what is printed
    // clipboard: what puts the data on the clipboard
    bool (*pPut)(const Step& step, std::string& complaint) = nullptr;
    std::optional<QueuedAnswer> answer;  // answer: what it answers
};

// A play under way: the editor, the keys the script holds, what the prints printed, the
// answerer of the modal windows and what is reported besides.
struct Session {
    CTesselEdit& editor;
    Modifiers& held;
    std::string& out;
    std::vector<std::string>& reports;
    Answerer& answerer;
    int& nLine;  // the line that runs now
    // The context menu open now: a right click leaves it open for the next line to choose
    // from; any other line closes it.
    std::optional<OpenMenu>& menu;
};

// An action of the script language. The reader gets the rest of the line after the action's
// name and the space that follows it; it fills the step or says what is wrong. The runner
// does what the line says or says why it cannot.
struct Action {
    std::string_view strName;
    bool (*pRead)(std::string_view args, Step& step, std::string& complaint);
    bool (*pRun)(Session& session, const Step& step, std::string& complaint);
};

// --- Reading arguments ----------------------------------------------------------------------

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        const size_t nStart = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        if (i > nStart) words.push_back(text.substr(nStart, i - nStart));
    }
    return words;
}

std::string Quoted(std::string_view text) {
    return '"' + std::string(text) + '"';
}

bool ReadInt(std::string_view word, int nMin, int nMax, int& nOut, int nBase = 10) {
    int n = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n, nBase);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size() || n < nMin ||
        n > nMax)
        return false;
    nOut = n;
    return true;
}

// "shift" and "ctrl", in any order, after the other arguments.
bool ReadModifierWords(std::span<const std::string_view> words, Modifiers& modifiers,
                       std::string& complaint) {
    for (std::string_view word : words) {
        if (word == "shift") {
            modifiers |= platform::kShiftHeld;
        } else if (word == "ctrl") {
            modifiers |= platform::kControlHeld;
        } else {
            complaint = Quoted(word) + " is neither shift nor ctrl";
            return false;
        }
    }
    return true;
}

// The characters of a UTF-8 text; nothing when it is not well-formed UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view text) {
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int nMore = 0;
        char32_t ch = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            nMore = 1;
            ch = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            nMore = 2;
            ch = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            nMore = 3;
            ch = lead & 0x07;
        } else if (lead >= 0x80) {
            return std::nullopt;
        }
        if (text.size() - i <= static_cast<size_t>(nMore)) return std::nullopt;
        for (int k = 1; k <= nMore; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            ch = (ch << 6) | (next & 0x3F);
        }
        const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (ch < kLeast[nMore] || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
            return std::nullopt;
        out += ch;
        i += static_cast<size_t>(nMore) + 1;
    }
    return out;
}

std::string EncodeUtf8(char32_t ch) {
    std::string out;
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
    return out;
}

std::string CodePointName(char32_t ch) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(ch));
    return buffer;
}

// A text written with the escapes of type: \n stands for a line feed, \t for a tab, \\ for a
// backslash; a tab character stands for itself. Other control characters cannot be written.
// strEscapes names the escapes and strControl says what to do instead of a control character,
// in the action's own words.
struct EscapeWords {
    std::string_view strEscapes;
    std::string_view strControl;
};

std::optional<std::u32string> ReadEscapedText(std::string_view args, const EscapeWords& words,
                                              std::string& complaint) {
    const std::optional<std::u32string> text = DecodeUtf8(args);
    if (!text) {
        complaint = "the text is not UTF-8";
        return std::nullopt;
    }
    std::u32string out;
    for (size_t i = 0; i < text->size(); ++i) {
        char32_t ch = (*text)[i];
        if (ch == U'\\') {
            const char32_t next = i + 1 < text->size() ? (*text)[i + 1] : 0;
            if (next == U'n') {
                ch = U'\n';
            } else if (next == U't') {
                ch = U'\t';
            } else if (next == U'\\') {
                ch = U'\\';
            } else {
                complaint = next == 0 ? std::string("the text ends in a lone backslash")
                                      : "unknown escape \"\\" + EncodeUtf8(next) + "\"";
                complaint += " (" + std::string(words.strEscapes) + ")";
                return std::nullopt;
            }
            ++i;
        } else if (ch != U'\t' && (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F))) {
            complaint =
                "the control character " + CodePointName(ch) + " " + std::string(words.strControl);
            return std::nullopt;
        }
        out += ch;
    }
    return out;
}

bool ReadType(std::string_view args, Step& step, std::string& complaint) {
    std::optional<std::u32string> keys = ReadEscapedText(
        args,
        {"\\n types Enter, \\t Tab, \\\\ a backslash", "is typed by no key (send it with char)"},
        complaint);
    if (!keys) return false;
    if (keys->empty()) {
        complaint = "nothing to type";
        return false;
    }
    step.strKeys = std::move(*keys);
    return true;
}

bool ReadIme(std::string_view args, Step& step, std::string& complaint) {
    if (!DecodeUtf8(args)) {
        complaint = "the text is not UTF-8";
        return false;
    }
    if (args.empty()) {
        complaint = "nothing to commit";
        return false;
    }
    step.strText = std::string(args);
    return true;
}

bool ReadChar(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 1) {
        complaint = "needs one character code";
        return false;
    }
    std::string_view word = words[0];
    const bool bHex = word.starts_with("0x") || word.starts_with("0X");
    if (bHex) word.remove_prefix(2);
    if (!ReadInt(word, 0, 255, step.nX, bHex ? 16 : 10) || word.starts_with("-")) {
        complaint = Quoted(words[0]) +
                    " is not a character code from 0 to 255 (decimal, or hexadecimal after 0x)";
        return false;
    }
    return true;
}

// The key names a script uses, for the keys pressed for what they do.
struct KeyName {
    std::string_view strName;
    Key key;
};
constexpr KeyName kKeyNames[] = {
    {"Left", Key::kLeft},      {"Right", Key::kRight},   {"Up", Key::kUp},
    {"Down", Key::kDown},      {"Home", Key::kHome},     {"End", Key::kEnd},
    {"Back", Key::kBackspace}, {"Delete", Key::kDelete}, {"Enter", Key::kEnter},
    {"Tab", Key::kTab},        {"Escape", Key::kEscape}, {"Shift", Key::kShift},
    {"Ctrl", Key::kControl},   {"PageUp", Key::kPageUp}, {"PageDown", Key::kPageDown},
};

bool ReadKeyName(std::string_view name, Step& step, std::string& complaint) {
    for (const KeyName& entry : kKeyNames) {
        if (entry.strName == name) {
            step.key = entry.key;
            return true;
        }
    }
    int nF = 0;
    if (name.size() > 1 && name[0] == 'F' && name[1] != '0' && ReadInt(name.substr(1), 1, 12, nF)) {
        step.key = static_cast<Key>(static_cast<int>(Key::kF1) + nF - 1);
        return true;
    }
    if (name.size() == 1) {
        const char c = name[0];
        if (c >= 'a' && c <= 'z') {
            step.chKey = static_cast<char32_t>(c - 'a' + 'A');
            return true;
        }
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            step.chKey = static_cast<char32_t>(c);
            return true;
        }
    }
    complaint = "unknown key " + Quoted(name) +
                " (Left Right Up Down Home End Back Delete Enter Tab Escape Shift Ctrl PageUp "
                "PageDown F1 to F12, a letter or a digit)";
    return false;
}

bool ReadKey(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.empty()) {
        complaint = "needs the name of a key";
        return false;
    }
    return ReadKeyName(words[0], step, complaint) &&
           ReadModifierWords(std::span(words).subspan(1), step.modifiers, complaint);
}

bool ReadKeyUp(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 1) {
        complaint = "needs the name of one key";
        return false;
    }
    return ReadKeyName(words[0], step, complaint);
}

// X Y in client coordinates, then shift and ctrl held for this line.
bool ReadPoint(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() < 2) {
        complaint = "needs X Y, a point in the editor window";
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        if (!ReadInt(words[i], -32768, 32767, i == 0 ? step.nX : step.nY)) {
            complaint = Quoted(words[i]) + " is not a coordinate from -32768 to 32767";
            return false;
        }
    }
    return ReadModifierWords(std::span(words).subspan(2), step.modifiers, complaint);
}

bool ReadWait(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    const std::string_view kTime = "a time in milliseconds from 0 to 600000";
    if (words.size() != 1) {
        complaint = "needs " + std::string(kTime);
        return false;
    }
    if (!ReadInt(words[0], 0, 600000, step.nX)) {
        complaint = Quoted(words[0]) + " is not " + std::string(kTime);
        return false;
    }
    return true;
}

bool ReadSnapshot(std::string_view args, Step& step, std::string& complaint) {
    while (!args.empty() && IsBlank(args.back()))
        args.remove_suffix(1);
    while (!args.empty() && IsBlank(args.front()))
        args.remove_prefix(1);
    if (args.empty()) {
        complaint = "needs the name of the PNG file to write";
        return false;
    }
    step.strText = std::string(args);
    return true;
}

// The first word of the arguments (up to the first space or tab) and the rest after the one
// character that ends it, as an action's name is taken from its line.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view args) {
    size_t nEnd = 0;
    while (nEnd < args.size() && !IsBlank(args[nEnd]))
        ++nEnd;
    return {args.substr(0, nEnd), nEnd < args.size() ? args.substr(nEnd + 1) : ""};
}

bool PutText(const Step& step, std::string&);
bool PutBitmap(const Step& step, std::string&);
bool PutMarkup(const Step& step, std::string& complaint);
bool PutHtml(const Step& step, std::string&);
bool ClearClipboard(const Step& step, std::string&);

bool ReadClipboardBitmap(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 3) {
        complaint = "bitmap needs W H RRGGBB";
        return false;
    }
    const char* kSides[] = {"width", "height"};
    for (int i = 0; i < 2; ++i) {
        if (!ReadInt(words[i], 1, 4096, i == 0 ? step.nX : step.nY)) {
            complaint = Quoted(words[i]) + " is not a " + kSides[i] + " from 1 to 4096";
            return false;
        }
    }
    const std::string_view color = words[2];
    bool bHex = color.size() == 6;
    for (const char c : color)
        bHex = bHex && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
    if (!bHex || !ReadInt(color, 0, 0xFFFFFF, step.nColor, 16)) {
        complaint = Quoted(color) + " is not a colour RRGGBB (six hexadecimal digits)";
        return false;
    }
    step.pPut = PutBitmap;
    return true;
}

// Markup and HTML are taken as they are: no escapes.
bool ReadClipboardVerbatim(std::string_view args, Step& step, std::string& complaint) {
    if (!DecodeUtf8(args)) {
        complaint = "the text is not UTF-8";
        return false;
    }
    if (args.empty()) {
        complaint = "nothing to put on the clipboard";
        return false;
    }
    step.strText = std::string(args);
    return true;
}

bool ReadClipboard(std::string_view args, Step& step, std::string& complaint) {
    const auto [strWhat, rest] = SplitWord(args);
    if (strWhat == "text") {
        const std::optional<std::u32string> text =
            ReadEscapedText(rest,
                            {"\\n is a line feed, \\t a tab, \\\\ a backslash",
                             "cannot be written in the text (\\n is a line feed, \\t a tab)"},
                            complaint);
        if (!text) return false;
        if (text->empty()) {
            complaint = "nothing to put on the clipboard (clipboard clear empties it)";
            return false;
        }
        for (const char32_t ch : *text)
            step.strText += EncodeUtf8(ch);
        step.pPut = PutText;
        return true;
    }
    if (strWhat == "bitmap") return ReadClipboardBitmap(rest, step, complaint);
    if (strWhat == "markup" || strWhat == "html") {
        step.pPut = strWhat == "markup" ? PutMarkup : PutHtml;
        return ReadClipboardVerbatim(rest, step, complaint);
    }
    if (strWhat == "clear") {
        if (!Words(rest).empty()) {
            complaint = "clear takes nothing after it";
            return false;
        }
        step.pPut = ClearClipboard;
        return true;
    }
    complaint = strWhat.empty() ? std::string("needs what to put on the clipboard")
                                : "unknown content " + Quoted(strWhat);
    complaint += " (text, bitmap, markup, html or clear)";
    return false;
}

// The commands a script names, as the tool bars and the menus send them.
struct CommandName {
    std::string_view strName;
    UINT nId;
};
constexpr CommandName kCommandNames[] = {
    {"cut", commands::kCut},
    {"copy", commands::kCopy},
    {"paste", commands::kPaste},
    {"pasteplain", commands::kPastePlain},
    {"undo", commands::kUndo},
    {"redo", commands::kRedo},
    {"selectall", commands::kSelectAll},
    {"bold", commands::kBold},
    {"italic", commands::kItalic},
    {"underline", commands::kUnderline},
    {"superscript", commands::kRaised},
    {"subscript", commands::kLowered},
    {"raised", commands::kRaised},
    {"lowered", commands::kLowered},
    {"hotlink", commands::kHotLink},
    {"image", commands::kInsertImage},
    {"formula", commands::kInsertFormula},
    {"edit", commands::kInsertEdit},
    {"check", commands::kInsertCheck},
    {"judgement", commands::kInsertCheck},
    {"choice", commands::kInsertChoice},
    {"pagescore", commands::kInsertPageScore},
    {"totalscore", commands::kInsertTotalScore},
    {"pagetotalscore", commands::kInsertPageTotalScore},
    {"columns", commands::kInsertMultiColumn},
    {"frame", commands::kInsertMultiColumn},
    {"properties", commands::kProperties},
    {"symbol", commands::kInsertSymbol},
    {"text", commands::kImportText},
};

bool ReadCommand(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 1) {
        complaint = "needs the name or the id of one command";
        return false;
    }
    const std::string_view word = words[0];
    if (word[0] >= '0' && word[0] <= '9') {
        if (ReadInt(word, 1, 65535, step.nX)) return true;
        complaint = Quoted(word) + " is not a command id from 1 to 65535";
        return false;
    }
    for (const CommandName& entry : kCommandNames) {
        if (entry.strName == word) {
            step.nX = static_cast<int>(entry.nId);
            return true;
        }
    }
    complaint = "unknown command " + Quoted(word) + " (";
    for (const CommandName& entry : kCommandNames)
        complaint += std::string(entry.strName) + ' ';
    complaint += "or an id from 1 to 65535)";
    return false;
}

// The command of a name or an id, as `command` reads it; 0 for neither.
UINT CommandOf(std::string_view word) {
    int nId = 0;
    if (ReadInt(word, 1, 65535, nId)) return static_cast<UINT>(nId);
    for (const CommandName& entry : kCommandNames)
        if (entry.strName == word) return entry.nId;
    return 0;
}

// check NAME on|off: a check button's state, as a click would leave it.
bool ReadCheck(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 2 || (words[1] != "on" && words[1] != "off")) {
        complaint = "needs the button's command and on or off";
        return false;
    }
    step.nX = static_cast<int>(CommandOf(words[0]));
    if (step.nX == 0) {
        complaint = "unknown command " + Quoted(words[0]);
        return false;
    }
    step.nY = words[1] == "on" ? 1 : 0;
    return true;
}

// font FACE: the rest of the line, as the font box lists it.
bool ReadFont(std::string_view args, Step& step, std::string& complaint) {
    while (!args.empty() && IsBlank(args.back()))
        args.remove_suffix(1);
    if (args.empty() || !DecodeUtf8(args)) {
        complaint = args.empty() ? "needs the face name" : "the face name is not UTF-8";
        return false;
    }
    step.strText = std::string(args);
    return true;
}

bool ReadSize(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 1 || !ReadInt(words[0], 0, 999, step.nX)) {
        complaint = "needs the index of a size box item";
        return false;
    }
    return true;
}

bool ReadColor(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 1 || words[0].size() != 6 ||
        !ReadInt(words[0], 0, 0xFFFFFF, step.nColor, 16)) {
        complaint = "needs a colour as RRGGBB";
        return false;
    }
    return true;
}

bool ReadAnswer(std::string_view args, Step& step, std::string& complaint) {
    step.answer = ReadAnswerLine(args, complaint);
    return step.answer.has_value();
}

// --- Running ------------------------------------------------------------------------------

// The event loop runs between a user's events: what they posted arrives, windows paint.
void Settle() {
    platform::ProcessEvents();
}

// The editor that has the user's attention: the top-level one, or the column editor that
// g_nFocusEdit names.
CTesselEdit& FocusedEditor(CTesselEdit& editor) {
    const int n = g_nFocusEdit;
    if (n >= 0 && n / kMaxColumns < kMaxFrames) {
        if (CTesselEdit* pColumn = editor.m_pChildEdit[n / kMaxColumns][n % kMaxColumns])
            return *pColumn;
    }
    return editor;
}

CWnd* KeyTarget(Session& session) {
    return platform::KeyboardTarget(&session.editor);
}

// The character a letter or digit key types with the modifiers: a capital with Shift.
char32_t TypedBy(char32_t chKey, Modifiers modifiers) {
    if (chKey >= U'A' && chKey <= U'Z' && !(modifiers & platform::kShiftHeld))
        return chKey - U'A' + U'a';
    return chKey;
}

Modifiers ModifierOfKey(const Step& step) {
    if (step.key == Key::kShift) return platform::kShiftHeld;
    if (step.key == Key::kControl) return platform::kControlHeld;
    return platform::kNoModifiers;
}

bool RunKey(Session& session, const Step& step, std::string&) {
    // A modifier key is held from its press on, and its press already carries it.
    session.held |= ModifierOfKey(step);
    const Modifiers modifiers = session.held | step.modifiers;
    if (step.key)
        platform::PressKey(KeyTarget(session), *step.key, modifiers);
    else
        platform::PressCharacterKey(KeyTarget(session), TypedBy(step.chKey, modifiers), modifiers);
    Settle();
    return true;
}

bool RunKeyUp(Session& session, const Step& step, std::string&) {
    session.held &= ~ModifierOfKey(step);
    const Modifiers modifiers = session.held;
    if (step.key)
        platform::ReleaseKey(KeyTarget(session), *step.key, modifiers);
    else
        platform::ReleaseCharacterKey(KeyTarget(session), TypedBy(step.chKey, modifiers),
                                      modifiers);
    Settle();
    return true;
}

bool RunType(Session& session, const Step& step, std::string&) {
    for (const char32_t ch : step.strKeys) {
        const Modifiers modifiers = session.held;
        if (ch == U'\n' || ch == U'\t') {
            const Key key = ch == U'\n' ? Key::kEnter : Key::kTab;
            platform::PressKey(KeyTarget(session), key, modifiers);
            Settle();
            platform::ReleaseKey(KeyTarget(session), key, modifiers);
        } else {
            platform::PressCharacterKey(KeyTarget(session), ch, modifiers);
            Settle();
            platform::ReleaseCharacterKey(KeyTarget(session), ch, modifiers);
        }
        Settle();
    }
    return true;
}

bool RunIme(Session& session, const Step& step, std::string&) {
    platform::CommitInputText(KeyTarget(session), step.strText);
    Settle();
    return true;
}

bool RunChar(Session& session, const Step& step, std::string&) {
    if (CWnd* pTarget = KeyTarget(session))
        pTarget->SendMessage(WM_CHAR, static_cast<WPARAM>(step.nX), 1);
    Settle();
    return true;
}

// The mouse acts on the top-level editor's window; what is held comes with every event.
struct Mouse {
    Session& session;
    const Step& step;
    CPoint Point() const { return CPoint(step.nX, step.nY); }
    Modifiers Held() const { return session.held | step.modifiers; }
    void Press(MouseButton button) const {
        platform::PressMouse(&session.editor, Point(), button, Held());
        Settle();
    }
    void Release(MouseButton button) const {
        platform::ReleaseMouse(&session.editor, Point(), button, Held());
        Settle();
    }
};

bool RunDown(Session& session, const Step& step, std::string&) {
    Mouse{session, step}.Press(MouseButton::kLeft);
    return true;
}

bool RunUp(Session& session, const Step& step, std::string&) {
    Mouse{session, step}.Release(MouseButton::kLeft);
    return true;
}

bool RunMove(Session& session, const Step& step, std::string&) {
    const Mouse mouse{session, step};
    platform::MoveMouse(&session.editor, mouse.Point(), mouse.Held());
    Settle();
    return true;
}

bool RunClick(Session& session, const Step& step, std::string&) {
    const Mouse mouse{session, step};
    mouse.Press(MouseButton::kLeft);
    mouse.Release(MouseButton::kLeft);
    return true;
}

bool RunDoubleClick(Session& session, const Step& step, std::string&) {
    const Mouse mouse{session, step};
    mouse.Press(MouseButton::kLeft);
    mouse.Release(MouseButton::kLeft);
    platform::DoubleClickMouse(&session.editor, mouse.Point(), MouseButton::kLeft, mouse.Held());
    Settle();
    mouse.Release(MouseButton::kLeft);
    return true;
}

bool RunRightClick(Session& session, const Step& step, std::string&) {
    const Mouse mouse{session, step};
    mouse.Press(MouseButton::kRight);
    mouse.Release(MouseButton::kRight);
    return true;
}

bool RunWait(Session&, const Step& step, std::string&) {
    platform::RunEventLoopFor(step.nX);
    return true;
}

// A window as it is shown, written as a PNG file; what names it in a complaint is strWhat.
bool SaveWindowPicture(CWnd* pWnd, const std::string& strFile, std::string_view strWhat,
                       std::string& complaint) {
    CBitmap bitmap;
    if (!platform::CaptureWindow(pWnd, bitmap)) {
        complaint = "cannot capture " + std::string(strWhat);
        return false;
    }
    if (!bitmap.SavePng(strFile)) {
        complaint = "cannot write " + Quoted(strFile);
        return false;
    }
    return true;
}

bool RunSnapshot(Session& session, const Step& step, std::string& complaint) {
    Settle();
    // The caret blinks; the picture shows it in its visible phase, as right after a move.
    if (platform::GetCaretInfo().bShown) CWnd::SetCaretPos(CWnd::GetCaretPos());
    return SaveWindowPicture(&session.editor, step.strText, "the editor window", complaint);
}

// The clipboard as other programs fill it: straight through Qt, not through the editor.
QClipboard& Clipboard() {
    return *QGuiApplication::clipboard();
}

bool PutText(const Step& step, std::string&) {
    Clipboard().setText(QString::fromStdString(step.strText));
    return true;
}

bool PutBitmap(const Step& step, std::string&) {
    QImage image(step.nX, step.nY, QImage::Format_RGB32);
    image.fill(QColor((step.nColor >> 16) & 0xFF, (step.nColor >> 8) & 0xFF, step.nColor & 0xFF));
    Clipboard().setImage(image);
    return true;
}

// The private data as another process of this system puts them.
bool PutMarkup(const Step& step, std::string& complaint) {
    if (editor::PutForeignClip(platform::Utf8ToGbk(step.strText))) return true;
    complaint = "cannot open the clipboard";
    return false;
}

// HTML as a browser or an office program puts it: with its plain text beside it.
bool PutHtml(const Step& step, std::string&) {
    const QString html = QString::fromStdString(step.strText);
    auto* pData = new QMimeData;
    pData->setHtml(html);
    pData->setText(QTextDocumentFragment::fromHtml(html).toPlainText());
    Clipboard().setMimeData(pData);
    return true;
}

bool ClearClipboard(const Step&, std::string&) {
    Clipboard().clear();
    return true;
}

bool RunClipboard(Session&, const Step& step, std::string& complaint) {
    if (!step.pPut(step, complaint)) return false;
    Settle();
    return true;
}

// WM_COMMAND to the top-level editor, as its tool bar sends it.
// menu NAME|ID: the entry of the open context menu, chosen.
bool ReadMenu(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 1 || (step.nX = static_cast<int>(CommandOf(words[0]))) == 0) {
        complaint = "needs the name or the id of one entry's command";
        return false;
    }
    return true;
}

bool RunMenu(Session& session, const Step& step, std::string& complaint) {
    if (!session.menu) {
        complaint = "no context menu is open (rclick opens it)";
        return false;
    }
    const OpenMenu menu = std::move(*session.menu);
    session.menu.reset();
    for (const OpenMenu::Entry& entry : menu.entries) {
        if (entry.nID != static_cast<UINT>(step.nX)) continue;
        if (!entry.bEnabled) {
            // A greyed entry does nothing when it is clicked; the menu stays closed.
            session.reports.push_back("script line " + std::to_string(session.nLine) +
                                      ": the menu entry \"" + platform::GbkToUtf8(entry.strText) +
                                      "\" is greyed: nothing happens");
            return true;
        }
        if (menu.pOwner && menu.pOwner->m_hWnd)
            menu.pOwner->SendMessage(WM_COMMAND, MAKEWPARAM(entry.nID, 0), 0);
        Settle();
        return true;
    }
    complaint = "the context menu has no entry " + std::to_string(step.nX);
    return false;
}

// symbol TAB INDEX: a double click on a symbol of the Insert Symbol window.
bool ReadSymbol(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() != 2 || !ReadInt(words[0], 0, widgets::kSymbolSets - 1, step.nX) ||
        !ReadInt(words[1], 0, 175, step.nY)) {
        complaint = "needs the tab (0 to " + std::to_string(widgets::kSymbolSets - 1) +
                    ") and the symbol's index in it (0 to 175, 22 a row)";
        return false;
    }
    return true;
}

bool RunSymbol(Session&, const Step& step, std::string& complaint) {
    if (g_pSymbolDlg == nullptr || !g_pSymbolDlg->m_hWnd || !g_pSymbolDlg->IsWindowVisible()) {
        complaint = "the Insert Symbol window is not shown (command symbol shows it)";
        return false;
    }
    g_pSymbolDlg->SelectTab(step.nX);
    g_pSymbolDlg->DoubleClickSymbol(step.nY);
    Settle();
    return true;
}

bool RunCommand(Session& session, const Step& step, std::string&) {
    session.editor.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(step.nX), 0), 0);
    Settle();
    return true;
}

// The tool window of the top-level editor, or a complaint that there is none.
CEditToolWnd* ToolWindow(Session& session, std::string& complaint) {
    CEditToolWnd* pToolBar = session.editor.ToolBar();
    if (pToolBar == nullptr) complaint = "the editor has no tool window";
    return pToolBar;
}

bool RunCheck(Session& session, const Step& step, std::string& complaint) {
    CEditToolWnd* pToolBar = ToolWindow(session, complaint);
    if (pToolBar == nullptr) return false;
    const auto nId = static_cast<UINT>(step.nX);
    const CToolBarCtrl* pBar = pToolBar->BarOf(nId);
    TBBUTTON button;
    if (pBar == nullptr || !pBar->GetButton(pBar->CommandToIndex(nId), &button) ||
        !(button.fsStyle & TBSTYLE_CHECK)) {
        complaint = std::to_string(nId) + " is no check button of the tool window";
        return false;
    }
    pToolBar->CheckButton(nId, step.nY);
    Settle();
    return true;
}

bool RunFont(Session& session, const Step& step, std::string& complaint) {
    CEditToolWnd* pToolBar = ToolWindow(session, complaint);
    if (pToolBar == nullptr) return false;
    const std::string strFace = platform::Utf8ToGbk(step.strText);
    const int nItem = pToolBar->m_FontBox.FindStringExact(-1, strFace.c_str());
    if (nItem == CB_ERR) {
        complaint = "the font box has no face " + Quoted(step.strText);
        return false;
    }
    pToolBar->m_FontBox.ChooseItem(nItem);
    Settle();
    return true;
}

bool RunSize(Session& session, const Step& step, std::string& complaint) {
    CEditToolWnd* pToolBar = ToolWindow(session, complaint);
    if (pToolBar == nullptr) return false;
    const int nCount = pToolBar->m_SizeBox.GetCount();
    if (step.nX >= nCount) {
        complaint = "the size box has items 0 to " + std::to_string(nCount - 1);
        return false;
    }
    pToolBar->m_SizeBox.ChooseItem(step.nX);
    Settle();
    return true;
}

bool RunColor(Session& session, const Step& step, std::string& complaint) {
    CEditToolWnd* pToolBar = ToolWindow(session, complaint);
    if (pToolBar == nullptr) return false;
    // What the picker's popup sends its button when a colour is chosen with OK.
    const COLORREF crColour =
        RGB((step.nColor >> 16) & 0xFF, (step.nColor >> 8) & 0xFF, step.nColor & 0xFF);
    pToolBar->m_ColourBtn.SendMessage(CPN_SELENDOK, crColour, 0);
    Settle();
    return true;
}

bool RunToolbarSnapshot(Session& session, const Step& step, std::string& complaint) {
    CEditToolWnd* pToolBar = ToolWindow(session, complaint);
    if (pToolBar == nullptr) return false;
    Settle();
    return SaveWindowPicture(pToolBar, step.strText, "the tool window", complaint);
}

// The colour picker's popup dropped down as a click on its button drops it, drawn, then
// closed with Escape (a cancel: the colour stays).
bool RunPickerSnapshot(Session& session, const Step& step, std::string& complaint) {
    CEditToolWnd* pToolBar = ToolWindow(session, complaint);
    if (pToolBar == nullptr) return false;
    CColourPicker& picker = pToolBar->m_ColourBtn;
    if (!picker.IsActive()) picker.Click();
    Settle();
    CColourPopup* pPopup = picker.GetPopup();
    if (pPopup == nullptr) {
        complaint = "the colour picker did not drop down";
        return false;
    }
    const bool bSaved = SaveWindowPicture(pPopup, step.strText, "the colour picker", complaint);
    pPopup->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    Settle();
    return bSaved;
}

// The Insert Symbol window as it shows (shown first when it is hidden, and left showing).
bool RunSymbolsSnapshot(Session&, const Step& step, std::string& complaint) {
    if (g_pSymbolDlg == nullptr || !g_pSymbolDlg->m_hWnd) {
        complaint = "the editor has no Insert Symbol window";
        return false;
    }
    if (!g_pSymbolDlg->IsWindowVisible()) g_pSymbolDlg->ShowWindow(SW_SHOW);
    Settle();
    if (g_pSymbolDlg->SavePicture(step.strText)) return true;
    complaint = "cannot write " + Quoted(step.strText);
    return false;
}

bool RunAnswer(Session& session, const Step& step, std::string&) {
    QueuedAnswer answer = *step.answer;
    answer.nLine = step.nLine;
    session.answerer.Queue(std::move(answer));
    return true;
}

// --- Prints -----------------------------------------------------------------------------------

void AppendNumbers(std::string& out, std::initializer_list<int> numbers) {
    bool bFirst = true;
    for (const int n : numbers) {
        if (!bFirst) out += ' ';
        bFirst = false;
        out += std::to_string(n);
    }
    out += '\n';
}

void PrintCaret(Session& session) {
    const TEXTPOS& pos = FocusedEditor(session.editor).m_CurPos;
    AppendNumbers(session.out, {pos.nLink, pos.nWord, pos.nChar});
}

void PrintSelection(Session& session) {
    const CTesselEdit& editor = FocusedEditor(session.editor);
    const TEXTPOS &start = editor.m_SelStart, &end = editor.m_SelEnd;
    AppendNumbers(session.out, {start.nLink, start.nWord, start.nChar, end.nLink, end.nWord,
                                end.nChar, editor.m_bSelected, editor.m_bShiftSel});
}

void PrintMarkup(Session& session) {
    session.out += platform::GbkToUtf8(session.editor.GetEditText());
    session.out += '\n';
}

void PrintDump(Session& session) {
    session.out += DumpText(session.editor);
}

void PrintRows(Session& session) {
    session.out += RowTableText(session.editor);
}

void PrintFormat(Session& session) {
    const CTesselEdit& editor = FocusedEditor(session.editor);
    std::string& out = session.out;
    auto flag = [](int b) { return b != 0 ? "1" : "0"; };
    out += "{\"font\":";
    cli::AppendJsonString(out, platform::GbkToUtf8(editor.m_strFontName));
    out += ",\"size\":" + std::to_string(editor.m_nFontSize);
    out += ",\"color\":[" + std::to_string(editor.m_nRed) + ',' + std::to_string(editor.m_nGreen) +
           ',' + std::to_string(editor.m_nBlue) + ']';
    out += ",\"hotlink\":" + std::to_string(editor.m_nHotLink);
    out += std::string(",\"italic\":") + flag(editor.m_bItalic);
    out += std::string(",\"bold\":") + flag(editor.m_bBold);
    out += std::string(",\"underline\":") + flag(editor.m_bUnderline);
    out += std::string(",\"raised\":") + flag(editor.m_bRaised);
    out += std::string(",\"lowered\":") + flag(editor.m_bLowered);
    out += "}\n";
}

void PrintCaretBox(Session& session) {
    const platform::CaretInfo caret = platform::GetCaretInfo();
    if (caret.hOwner == nullptr || !caret.bShown) {
        session.out += "none\n";
        return;
    }
    AppendNumbers(session.out, {caret.pos.x, caret.pos.y, caret.size.cx, caret.size.cy});
}

// Text on one line: line feeds, carriage returns, tabs and backslashes written as escapes.
void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
}

// One line per format the clipboard holds: the private data (the number of elements they
// stand for), the text, HTML, a bitmap (its size).
void PrintClipboard(Session& session) {
    std::string& out = session.out;
    if (const std::optional<int> nCount = editor::PrivateClipElementCount())
        out += "private " + std::to_string(*nCount) + '\n';
    const QMimeData* pData = Clipboard().mimeData();
    if (pData == nullptr) return;
    if (pData->hasText()) {
        out += "text ";
        AppendEscaped(out, pData->text().toStdString());
        out += '\n';
    }
    if (pData->hasHtml()) out += "html\n";
    if (pData->hasImage()) {
        const QImage image = qvariant_cast<QImage>(pData->imageData());
        out += "bitmap ";
        AppendNumbers(out, {image.width(), image.height()});
    }
}

// One line per button of the tool bars (command, enabled or indeterminate, checked), then
// the font box's text, the size box's item and the picker's colour.
void PrintToolbar(Session& session) {
    std::string& out = session.out;
    CEditToolWnd* pToolBar = session.editor.ToolBar();
    if (pToolBar == nullptr) {
        out += "none\n";
        return;
    }
    for (const CToolBarCtrl* pBar : {static_cast<const CToolBarCtrl*>(&pToolBar->m_InsertBar),
                                     static_cast<const CToolBarCtrl*>(&pToolBar->m_FormatBar)}) {
        for (int i = 0; i < pBar->GetButtonCount(); ++i) {
            TBBUTTON button;
            if (!pBar->GetButton(i, &button) || (button.fsStyle & TBSTYLE_SEP)) continue;
            const int nState = pBar->GetState(button.idCommand);
            out += std::to_string(button.idCommand);
            out += (nState & TBSTATE_INDETERMINATE) || !(nState & TBSTATE_ENABLED)
                       ? " indeterminate"
                       : " enabled";
            if (nState & TBSTATE_CHECKED) out += " checked";
            out += '\n';
        }
    }
    const int nFont = pToolBar->m_FontBox.GetCurSel();
    out += "font " +
           (nFont == CB_ERR ? std::string()
                            : platform::GbkToUtf8(pToolBar->m_FontBox.GetLBText(nFont))) +
           '\n';
    out += "size " + std::to_string(pToolBar->m_SizeBox.GetCurSel()) + '\n';
    const COLORREF cr = pToolBar->m_ColourBtn.GetColour();
    char szColour[8];
    std::snprintf(szColour, sizeof szColour, "%02X%02X%02X", GetRValue(cr), GetGValue(cr),
                  GetBValue(cr));
    out += std::string("color ") + szColour + '\n';
}

struct PrintItem {
    std::string_view strName;
    void (*pPrint)(Session& session);
};
void PrintDialogs(Session& session) {
    session.out += session.answerer.TakeShown();
}
// The open context menu, an entry a line: its command, its text and its state.
void PrintMenu(Session& session) {
    std::string& out = session.out;
    if (!session.menu) {
        out += "none\n";
        return;
    }
    for (const OpenMenu::Entry& entry : session.menu->entries) {
        if (entry.nID == 0) {
            out += "separator\n";
            continue;
        }
        out += std::to_string(entry.nID) + ' ';
        cli::AppendJsonString(out, platform::GbkToUtf8(entry.strText));
        out += entry.bEnabled ? " enabled\n" : " greyed\n";
    }
}

constexpr PrintItem kPrintItems[] = {
    {"dialogs", PrintDialogs}, {"caret", PrintCaret},       {"selection", PrintSelection},
    {"markup", PrintMarkup},   {"dump", PrintDump},         {"rows", PrintRows},
    {"format", PrintFormat},   {"caretbox", PrintCaretBox}, {"clipboard", PrintClipboard},
    {"toolbar", PrintToolbar}, {"menu", PrintMenu},
};

bool ReadPrint(std::string_view args, Step& step, std::string& complaint) {
    const std::vector<std::string_view> words = Words(args);
    if (words.size() == 1) {
        for (const PrintItem& item : kPrintItems) {
            if (item.strName == words[0]) {
                step.pPrint = item.pPrint;
                return true;
            }
        }
    }
    complaint = words.size() == 1 ? "unknown item " + Quoted(words[0]) : "needs one item";
    complaint +=
        " (caret, selection, markup, dump, rows, format, caretbox, clipboard, toolbar, menu or "
        "dialogs)";
    return false;
}

bool RunPrint(Session& session, const Step& step, std::string&) {
    // What is printed is what the user sees: the paint that is due happens first.
    Settle();
    step.pPrint(session);
    return true;
}

// --- The actions --------------------------------------------------------------------------

constexpr Action kActions[] = {
    {"type", ReadType, RunType},
    {"ime", ReadIme, RunIme},
    {"char", ReadChar, RunChar},
    {"key", ReadKey, RunKey},
    {"keyup", ReadKeyUp, RunKeyUp},
    {"down", ReadPoint, RunDown},
    {"move", ReadPoint, RunMove},
    {"up", ReadPoint, RunUp},
    {"click", ReadPoint, RunClick},
    {"dblclick", ReadPoint, RunDoubleClick},
    {"rclick", ReadPoint, RunRightClick},
    {"wait", ReadWait, RunWait},
    {"print", ReadPrint, RunPrint},
    {"snapshot", ReadSnapshot, RunSnapshot},
    {"clipboard", ReadClipboard, RunClipboard},
    {"command", ReadCommand, RunCommand},
    {"menu", ReadMenu, RunMenu},
    {"symbol", ReadSymbol, RunSymbol},
    {"answer", ReadAnswer, RunAnswer},
    {"check", ReadCheck, RunCheck},
    {"font", ReadFont, RunFont},
    {"size", ReadSize, RunSize},
    {"color", ReadColor, RunColor},
    {"snapshot-toolbar", ReadSnapshot, RunToolbarSnapshot},
    {"snapshot-picker", ReadSnapshot, RunPickerSnapshot},
    {"snapshot-symbols", ReadSnapshot, RunSymbolsSnapshot},
};

const Action* FindAction(std::string_view strName) {
    for (const Action& action : kActions) {
        if (action.strName == strName) return &action;
    }
    return nullptr;
}

// The editor whose context menu this is: the top-level editor or one of its column editors.
CWnd* MenuOwner(CTesselEdit& editor, const CMenu& menu) {
    if (&menu == &editor.m_Menu) return &editor;
    for (auto& frame : editor.m_pChildEdit)
        for (CTesselEdit* pColumn : frame)
            if (pColumn && &menu == &pColumn->m_Menu) return pColumn;
    return nullptr;
}

void Fail(PlayResult& result, int nLine, const std::string& message) {
    result.nExit = 2;
    result.nLine = nLine;
    result.strError = "script line " + std::to_string(nLine) + ": " + message;
}

}  // namespace

Player::Player(CTesselEdit& editor) : m_editor(editor) {}

PlayResult Player::Play(std::string_view script) {
    PlayResult result;
    std::vector<Step> steps;
    int nLine = 0;
    while (!script.empty()) {
        const size_t nEnd = script.find('\n');
        std::string_view line = script.substr(0, nEnd);
        script.remove_prefix(nEnd == std::string_view::npos ? script.size() : nEnd + 1);
        ++nLine;
        if (line.ends_with('\r')) line.remove_suffix(1);  // a script written with CR LF
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        size_t nName = 0;
        while (nName < line.size() && !IsBlank(line[nName]))
            ++nName;
        const std::string_view strName = line.substr(0, nName);
        const std::string_view args = nName < line.size() ? line.substr(nName + 1) : "";
        Step step;
        step.nLine = nLine;
        step.pAction = FindAction(strName);
        if (step.pAction == nullptr) {
            Fail(result, nLine, "unknown action " + Quoted(strName));
            return result;
        }
        std::string complaint;
        if (!step.pAction->pRead(args, step, complaint)) {
            Fail(result, nLine, std::string(strName) + ": " + complaint);
            return result;
        }
        steps.push_back(std::move(step));
    }

    int nRunning = 0;
    // Modal windows take the answers the script queued; one with none queued is cancelled
    // (a message box gets its safe answer), as no user is there to answer it, and the line
    // that opened it is reported.
    Answerer answerer(result.reports, nRunning);
    if (!m_pMenu) m_pMenu = std::make_shared<OpenMenu>();
    std::optional<OpenMenu> menu;
    if (!m_pMenu->entries.empty()) menu = std::move(*m_pMenu);
    *m_pMenu = OpenMenu{};
    Session session{m_editor, m_nHeld, result.strOut, result.reports, answerer, nRunning, menu};
    // A context menu that opens is not chosen from at once: it is kept for the lines that
    // follow (menu, print menu).
    platform::SetMenuChooser([&](const CMenu& shown, CPoint) -> UINT {
        OpenMenu open;
        for (int i = 0; i < shown.GetMenuItemCount(); ++i) {
            const UINT nID = shown.GetMenuItemID(i);
            const UINT nState = shown.GetMenuState(i, MF_BYPOSITION);
            if (nState & MF_SEPARATOR) {
                open.entries.push_back({});
                continue;
            }
            open.entries.push_back({nID, shown.GetMenuString(i, MF_BYPOSITION),
                                    (nState & (MF_GRAYED | MF_DISABLED)) == 0});
        }
        open.pOwner = MenuOwner(m_editor, shown);
        menu = std::move(open);
        return 0;
    });
    for (const Step& step : steps) {
        session.nLine = step.nLine;
        if (step.pAction->strName != "menu" && step.pAction->strName != "print") menu.reset();
        std::string complaint;
        if (!step.pAction->pRun(session, step, complaint)) {
            Fail(result, step.nLine, std::string(step.pAction->strName) + ": " + complaint);
            break;
        }
    }
    platform::SetMenuChooser({});
    if (menu) *m_pMenu = std::move(*menu);
    if (const std::vector<int> left = answerer.UnusedLines(); !left.empty()) {
        std::string report = std::to_string(left.size()) +
                             (left.size() == 1 ? " answer was not used (script line "
                                               : " answers were not used (script lines ");
        for (size_t i = 0; i < left.size(); ++i)
            report += (i > 0 ? ", " : "") + std::to_string(left[i]);
        result.reports.push_back(report + ")");
    }
    return result;
}

PlayResult PlayScript(CTesselEdit& editor, std::string_view script) {
    Player player(editor);
    return player.Play(script);
}

std::string RowTableText(const CTesselEdit& editor) {
    std::string out;
    for (const ROW& row : editor.m_Row) {
        if (row.IsEndMarker()) break;
        out += std::to_string(row.nHeight) + ' ' + std::to_string(row.nLink) + ' ' +
               std::to_string(row.nWord) + ' ' + std::to_string(row.nChar) + '\n';
    }
    out += "end\n";
    return out;
}

std::string DumpText(CTesselEdit& editor) {
    std::string out;
    if (editor.m_pList != nullptr) {
        CMyList flat;
        editor.FlattenInto(flat);
        for (flat.First(); flat.IsInList(); flat.Next()) {
            cli::AppendElementJson(out, *flat.GetCurr());
            out += '\n';
        }
    }
    out += "end\n";
    return out;
}

}  // namespace tessel::play
