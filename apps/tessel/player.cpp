// The player of scripted sessions. Each action of the script language is one entry of the
// table at the end of this file: its name, the reader of its arguments and its runner. A
// script is read into steps first (so that a mistyped line stops the play before anything
// happens), then the steps run one after the other, the event loop running between the
// events as it would between a user's keystrokes.

#include "player.h"

#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#include "editor/tessel_edit.h"
#include "json.h"
#include "platform/gbk.h"
#include "platform/wnd.h"

namespace tessel::play {
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
    std::string strText;     // ime: the committed text; snapshot: the file
    int nX = 0;              // mouse actions: the point; char: the code; wait: milliseconds
    int nY = 0;
    Modifiers modifiers = platform::kNoModifiers;  // held for this line only
    std::optional<Key> key;                        // key, keyup: a key pressed for what it does...
    char32_t chKey = 0;                          // ...or a letter key (its capital) or a digit key
    void (*pPrint)(Session& session) = nullptr;  // print: what is printed
};

// A play under way: the editor, the keys the script holds, what the prints printed.
struct Session {
    CTesselEdit& editor;
    Modifiers& held;
    std::string& out;
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

bool ReadType(std::string_view args, Step& step, std::string& complaint) {
    const std::optional<std::u32string> text = DecodeUtf8(args);
    if (!text) {
        complaint = "the text is not UTF-8";
        return false;
    }
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
                complaint += " (\\n types Enter, \\t Tab, \\\\ a backslash)";
                return false;
            }
            ++i;
        } else if (ch != U'\t' && (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F))) {
            complaint = "the control character " + CodePointName(ch) +
                        " is typed by no key (send it with char)";
            return false;
        }
        step.strKeys += ch;
    }
    if (step.strKeys.empty()) {
        complaint = "nothing to type";
        return false;
    }
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

bool RunSnapshot(Session& session, const Step& step, std::string& complaint) {
    Settle();
    // The caret blinks; the picture shows it in its visible phase, as right after a move.
    if (platform::GetCaretInfo().bShown) CWnd::SetCaretPos(CWnd::GetCaretPos());
    CBitmap bitmap;
    if (!platform::CaptureWindow(&session.editor, bitmap)) {
        complaint = "cannot capture the editor window";
        return false;
    }
    if (!bitmap.SavePng(step.strText)) {
        complaint = "cannot write " + Quoted(step.strText);
        return false;
    }
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

struct PrintItem {
    std::string_view strName;
    void (*pPrint)(Session& session);
};
constexpr PrintItem kPrintItems[] = {
    {"caret", PrintCaret},       {"selection", PrintSelection}, {"markup", PrintMarkup},
    {"dump", PrintDump},         {"rows", PrintRows},           {"format", PrintFormat},
    {"caretbox", PrintCaretBox},
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
    complaint += " (caret, selection, markup, dump, rows, format or caretbox)";
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
    {"type", ReadType, RunType},          {"ime", ReadIme, RunIme},
    {"char", ReadChar, RunChar},          {"key", ReadKey, RunKey},
    {"keyup", ReadKeyUp, RunKeyUp},       {"down", ReadPoint, RunDown},
    {"move", ReadPoint, RunMove},         {"up", ReadPoint, RunUp},
    {"click", ReadPoint, RunClick},       {"dblclick", ReadPoint, RunDoubleClick},
    {"rclick", ReadPoint, RunRightClick}, {"wait", ReadWait, RunWait},
    {"print", ReadPrint, RunPrint},       {"snapshot", ReadSnapshot, RunSnapshot},
};

const Action* FindAction(std::string_view strName) {
    for (const Action& action : kActions) {
        if (action.strName == strName) return &action;
    }
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

    Session session{m_editor, m_nHeld, result.strOut};
    for (const Step& step : steps) {
        std::string complaint;
        if (!step.pAction->pRun(session, step, complaint)) {
            Fail(result, step.nLine, std::string(step.pAction->strName) + ": " + complaint);
            return result;
        }
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
