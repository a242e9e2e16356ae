// Opens a page in the editor through the headless host and plays made-up user input at it,
// through the scripted-session player, so that every action travels the whole road of real
// input: Qt event, the window's widget, the window messages, the editor's handlers.
//
// The input is a page and a list of actions:
//   bytes 0-1   the length of the page, little-endian, taken modulo kMaxPage + 1;
//   then        that many bytes of markup (GBK, as they come; fewer when the input ends);
//   then        actions, each an opcode byte (taken modulo the number of actions) followed
//               by the bytes its arguments need (see DecodeAction). An action whose bytes
//               run out is dropped; at most kMaxActions are played. Besides the keys and
//               the mouse: the context menu's entries after a right click, hot links with
//               answered dialogs, symbols of the Insert Symbol window, text files of the
//               input's bytes imported, and the properties command.
// The page opens in a host window of kWidth x kHeight, smaller than most pages, so that the
// view scrolls; pictures and formulas are looked up in the examples directory. The actions
// are played a few at a time, and after each piece:
//   - the cursor of every editor (the top-level one and its column editors) is a position of
//     that editor's document, and so are the ends of a selection shown or being made;
//   - every row table is sound: at most 128 rows, no height negative, starts never going
//     back, every start a position of the document, the end marker after the last row;
//   - the markup the editor hands back can be read again.
// On a failure the page and the script played so far are printed and the target aborts.
//
// Set TESSEL_SESSION_FUZZ_WRITE=PREFIX to have each input written as PREFIX.tsm (the page)
// and PREFIX.play (the whole script) before it is played, for `tessel play PREFIX.play
// PREFIX.tsm --width 240 --height 160 --project examples`. Set TESSEL_SESSION_FUZZ_TRACE=1
// to have each piece of script printed to stderr before it runs.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "editor/positions.h"
#include "editor/tessel_edit.h"
#include "editor_host.h"
#include "platform/application.h"
#include "platform/wnd.h"
#include "player.h"
#include "print_bytes.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;
constexpr std::size_t kMaxPage = 4096;
constexpr int kMaxActions = 64;
constexpr int kActionsPerPiece = 4;

// Characters typed one key each: Chinese characters, full-width punctuation, Latin letters
// GBK has, and one character GBK does not have (it arrives as nothing).
constexpr std::string_view kWideCharacters[] = {
    "中", "文", "字", "题", "，", "。", "、", "：", "（", "）", "Ａ", "１", "é", "①", "·", "😀",
};
// What an input method commits: words and punctuation, ASCII among them.
constexpr std::string_view kImeTexts[] = {
    "中文", "你好", "，", "ab", "x", "测验 1", "😀", "第3页",
};
// Keys pressed for what they do (the first 13), then the modifier keys, which stay held from
// their press to their release.
constexpr std::string_view kKeyNames[] = {
    "Left",  "Right", "Up",     "Down",   "Home",     "End",   "Back", "Delete",
    "Enter", "Tab",   "Escape", "PageUp", "PageDown", "Shift", "Ctrl",
};
constexpr std::size_t kPlainKeys = 13;
// Letter and digit keys: the character they type (a control character with Ctrl).
constexpr std::string_view kLetterKeys[] = {"a", "c", "v", "x", "z", "Q", "0", "7"};

// Reads the bytes of the actions one at a time.
struct Reader {
    const std::uint8_t* pData;
    std::size_t nSize;
    std::size_t nAt = 0;
    bool Has(std::size_t n) const { return nSize - nAt >= n; }
    std::uint8_t Next() { return pData[nAt++]; }
};

std::string Modifiers(std::uint8_t b) {
    std::string out;
    if (b & 1) out += " shift";
    if (b & 2) out += " ctrl";
    return out;
}

// A point inside the window or up to 16 pixels outside it.
std::string Point(std::uint8_t x, std::uint8_t y) {
    const int nX = -16 + x * (kWidth + 32) / 256;
    const int nY = -16 + y * (kHeight + 32) / 256;
    return std::to_string(nX) + ' ' + std::to_string(nY);
}

void WriteFile(const std::string& path, std::string_view bytes) {
    if (std::FILE* pFile = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), pFile);
        std::fclose(pFile);
    }
}

// Where the mouse was pressed and not released, so that the session can end with the release;
// whether the Insert Symbol window shows (a symbol can only be double-clicked then); the text
// files the session imports, written as the actions are read.
struct MouseState {
    bool bLeftHeld = false;
    std::string strLast = "0 0";
    bool bSymbolsShown = false;
    std::vector<std::string> imports;
};

// The context menu's entries and the hot-link dialog's answers a session chooses from.
constexpr std::string_view kMenuEntries[] = {"cut", "copy", "paste", "hotlink"};
constexpr std::string_view kHotLinkAnswers[] = {
    "answer 2102=Return ok", "answer 2102=\"Link to Another Page\" 2014=p ok", "answer 2049=0 ok",
    "answer 2102=\"Paly Wave\" 2038=A.WAV ok", "answer cancel"};

// The next action as a script line (with its line feed); empty when the bytes run out.
std::string DecodeAction(Reader& in, MouseState& mouse) {
    if (!in.Has(1)) return {};
    enum Op {
        kTypeAscii,
        kTypeWide,
        kTypeEnterOrTab,
        kIme,
        kChar,
        kKey,
        kKeyUp,
        kDown,
        kMove,
        kUp,
        kClick,
        kDoubleClick,
        kRightClick,
        kMenu,
        kHotLink,
        kSymbol,
        kImport,
        kProperties,
        kOpCount
    };
    const int nOp = in.Next() % kOpCount;
    switch (nOp) {
        case kTypeAscii: {
            if (!in.Has(1)) return {};
            const char c = static_cast<char>(0x20 + in.Next() % 95);
            return c == '\\' ? "type \\\\\n" : "type " + std::string(1, c) + '\n';
        }
        case kTypeWide: {
            if (!in.Has(1)) return {};
            const std::uint8_t b = in.Next();
            return "type " + std::string(kWideCharacters[b % std::size(kWideCharacters)]) + '\n';
        }
        case kTypeEnterOrTab: {
            if (!in.Has(1)) return {};
            return in.Next() & 1 ? "type \\t\n" : "type \\n\n";
        }
        case kIme: {
            if (!in.Has(1)) return {};
            const std::uint8_t b = in.Next();
            std::string text(kImeTexts[b % std::size(kImeTexts)]);
            if (b & 0x80) text += kImeTexts[(b >> 3) % std::size(kImeTexts)];
            return "ime " + text + '\n';
        }
        case kChar: {
            if (!in.Has(1)) return {};
            return "char " + std::to_string(in.Next()) + '\n';
        }
        case kKey: {
            if (!in.Has(2)) return {};
            const std::uint8_t nName = in.Next(), nModifiers = in.Next();
            // One value past the names stands for a letter or digit key, chosen by the upper
            // bits of the modifiers byte.
            const std::size_t nKey = nName % (std::size(kKeyNames) + 1);
            const std::string_view name =
                nKey == std::size(kKeyNames)
                    ? kLetterKeys[(nModifiers >> 2) % std::size(kLetterKeys)]
                    : kKeyNames[nKey];
            return "key " + std::string(name) + Modifiers(nModifiers) + '\n';
        }
        case kKeyUp: {
            if (!in.Has(1)) return {};
            const std::uint8_t b = in.Next();
            // Mostly the modifier keys, whose release matters; sometimes a key that was pressed.
            const std::string_view name = b % 4 == 0   ? "Shift"
                                          : b % 4 == 1 ? "Ctrl"
                                          : b % 4 == 2
                                              ? kKeyNames[(b >> 2) % kPlainKeys]
                                              : kLetterKeys[(b >> 2) % std::size(kLetterKeys)];
            return "keyup " + std::string(name) + '\n';
        }
        case kMenu: {
            // A right click, and an entry of the menu it opens.
            if (!in.Has(3)) return {};
            const std::uint8_t x = in.Next(), y = in.Next(), b = in.Next();
            std::string answer;
            if (kMenuEntries[b % std::size(kMenuEntries)] == "hotlink")
                answer = std::string(kHotLinkAnswers[(b >> 2) % std::size(kHotLinkAnswers)]) + '\n';
            return answer + "rclick " + Point(x, y) + "\nmenu " +
                   std::string(kMenuEntries[b % std::size(kMenuEntries)]) + '\n';
        }
        case kHotLink: {
            if (!in.Has(1)) return {};
            return std::string(kHotLinkAnswers[in.Next() % std::size(kHotLinkAnswers)]) +
                   "\ncommand hotlink\n";
        }
        case kSymbol: {
            if (!in.Has(2)) return {};
            const std::uint8_t nTab = in.Next(), nIndex = in.Next();
            // Shown, a symbol is double-clicked (an empty cell now and then); hidden, the
            // window is shown or left hidden.
            if (!mouse.bSymbolsShown || (nTab & 0x80)) {
                mouse.bSymbolsShown = !mouse.bSymbolsShown;
                return "command symbol\n";
            }
            return "symbol " + std::to_string(nTab % 7) + ' ' + std::to_string(nIndex % 80) + '\n';
        }
        case kImport: {
            // A text file of the next bytes, imported at the caret.
            if (!in.Has(1)) return {};
            const std::size_t nLength = std::min<std::size_t>(in.Next() % 64, in.nSize - in.nAt);
            const std::string strFile = std::filesystem::temp_directory_path() /
                                        ("session-fuzz-import-" + std::to_string(getpid()) + '-' +
                                         std::to_string(mouse.imports.size()) + ".txt");
            WriteFile(strFile,
                      std::string_view(reinterpret_cast<const char*>(in.pData + in.nAt), nLength));
            in.nAt += nLength;
            mouse.imports.push_back(strFile);
            return "answer file " + strFile + "\ncommand text\n";
        }
        case kProperties: {
            // The properties command at the last right click, its dialog answered with OK as
            // it opens (or a message box with OK).
            if (!in.Has(1)) return {};
            return in.Next() & 1 ? "answer ok\ncommand properties\n" : "command properties\n";
        }
        default: {
            if (!in.Has(3)) return {};
            const std::uint8_t x = in.Next(), y = in.Next(), nModifiers = in.Next();
            const std::string point = Point(x, y);
            static constexpr std::string_view kMouseActions[] = {"down",  "move",     "up",
                                                                 "click", "dblclick", "rclick"};
            mouse.strLast = point;
            if (nOp == kDown) mouse.bLeftHeld = true;
            if (nOp == kUp || nOp == kClick || nOp == kDoubleClick) mouse.bLeftHeld = false;
            return std::string(kMouseActions[nOp - kDown]) + ' ' + point + Modifiers(nModifiers) +
                   '\n';
        }
    }
}

// What the failure report shows: the page and the script played so far.
struct Session {
    std::string_view page;
    std::string script;
};

[[noreturn]] void Fail(const Session& session, const std::string& what) {
    std::fprintf(stderr, "session_fuzz: %s\n", what.c_str());
    PrintBytes("page", session.page);
    std::fprintf(stderr, "script:\n%s--\n", session.script.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string PositionText(const TEXTPOS& p) {
    return std::to_string(p.nLink) + ' ' + std::to_string(p.nWord) + ' ' + std::to_string(p.nChar);
}

void CheckEditor(const Session& session, const CTesselEdit& edit, const std::string& name) {
    if (!edit.m_pList) return;
    const CMyList& list = *edit.m_pList;
    if (!tessel::editor::IsPosition(list, edit.m_CurPos))
        Fail(session, name + ": the cursor " + PositionText(edit.m_CurPos) +
                          " is no position of the document");
    // While a selection is shown or being made with Shift, its ends are places of the
    // document too (or the end marker, which stands for the end).
    if (edit.m_bSelected || edit.m_bShiftSel) {
        for (const TEXTPOS* p : {&edit.m_SelStart, &edit.m_SelEnd}) {
            if (p->nLink != kEndMark && !tessel::editor::IsPosition(list, *p))
                Fail(session, name + ": the selection's end " + PositionText(*p) +
                                  " is no position of the document");
        }
    }
    int r = 0;
    for (; r < kMaxRows && !edit.m_Row[r].IsEndMarker(); ++r) {
        const ROW& row = edit.m_Row[r];
        const std::string where = name + ": row " + std::to_string(r) + " (" +
                                  std::to_string(row.nHeight) + ' ' + PositionText(row.Start()) +
                                  ")";
        if (row.nHeight < 0) Fail(session, where + " has a negative height");
        if (r > 0 && row.Start() < edit.m_Row[r - 1].Start())
            Fail(session, where + " starts before the row above");
        if (!tessel::editor::IsPosition(list, row.Start()))
            Fail(session, where + " starts at no position of the document");
    }
    if (!edit.m_Row[r].IsEndMarker()) Fail(session, name + ": no end marker after the last row");
}

void CheckSession(const Session& session, CTesselEdit& edit) {
    CheckEditor(session, edit, "the editor");
    for (int f = 0; f < kMaxFrames; ++f) {
        for (int c = 0; c < kMaxColumns; ++c) {
            if (const CTesselEdit* pColumn = edit.m_pChildEdit[f][c])
                CheckEditor(session, *pColumn,
                            "column editor " + std::to_string(f) + '/' + std::to_string(c));
        }
    }
    // The markup handed back reads again.
    const std::string markup = edit.GetEditText();
    CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(markup.c_str(), &list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    static const bool bTrace = [] {
        tessel::platform::EnsureApplication();
        const char* sz = std::getenv("TESSEL_SESSION_FUZZ_TRACE");
        return sz && *sz && std::string_view(sz) != "0";
    }();
    if (nSize < 2) return 0;
    const std::size_t nPage =
        std::min<std::size_t>((pData[0] | (pData[1] << 8)) % (kMaxPage + 1), nSize - 2);
    Session session;
    session.page = std::string_view(reinterpret_cast<const char*>(pData) + 2, nPage);

    // The whole script is decoded first: pieces of it are played, and the script is what a
    // failure report shows.
    Reader in{pData + 2 + nPage, nSize - 2 - nPage};
    MouseState mouse;
    std::string pieces[kMaxActions / kActionsPerPiece + 1];
    int nPieces = 0;
    for (int nActions = 0; nActions < kMaxActions; ++nActions) {
        const std::string line = DecodeAction(in, mouse);
        if (line.empty()) break;
        pieces[nActions / kActionsPerPiece] += line;
        nPieces = nActions / kActionsPerPiece + 1;
    }
    // The session ends with the mouse button and the modifier keys released, so that the next
    // input starts from a keyboard and a mouse at rest.
    std::string& ending = pieces[nPieces++];
    if (mouse.bLeftHeld) ending += "up " + mouse.strLast + '\n';
    ending += "keyup Shift\nkeyup Ctrl\n";

    if (const char* szPrefix = std::getenv("TESSEL_SESSION_FUZZ_WRITE"); szPrefix && *szPrefix) {
        std::string script;
        for (int i = 0; i < nPieces; ++i)
            script += pieces[i];
        WriteFile(std::string(szPrefix) + ".tsm", session.page);
        WriteFile(std::string(szPrefix) + ".play", script);
    }

    tessel::cli::EditorSettings settings;
    settings.nWidth = kWidth;
    settings.nHeight = kHeight;
    settings.strProject = TESSEL_EXAMPLES_DIR;
    std::unique_ptr<tessel::cli::EditorHost> pHost =
        tessel::cli::EditorHost::Open(settings, std::string(session.page));
    if (!pHost) Fail(session, "the host could not open the editor");
    tessel::platform::ProcessEvents();
    CTesselEdit& edit = pHost->Editor();
    CheckSession(session, edit);

    tessel::play::Player player(edit);
    for (int i = 0; i < nPieces; ++i) {
        if (bTrace) std::fprintf(stderr, "session_fuzz: playing\n%s", pieces[i].c_str());
        session.script += pieces[i];
        const tessel::play::PlayResult result = player.Play(pieces[i]);
        if (result.nExit != 0) Fail(session, "the player refused the script: " + result.strError);
        CheckSession(session, edit);
    }

    pHost.reset();
    tessel::platform::ProcessEvents();
    for (const std::string& strFile : mouse.imports)
        std::remove(strFile.c_str());
    // A lead byte left waiting by this session must not become half of the next one's first
    // character.
    g_DoubleByte = DoubleByteBuffer{};
    return 0;
}
