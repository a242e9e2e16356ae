// Random editing sessions on random pages, checked after every step against what the editing
// rules predict.
//
// A page is built from random pieces (text runs in several formats with English words, Chinese
// characters, punctuation and line breaks, runs longer than the reader keeps, pages longer than
// the row table holds, pictures, formulas, fill-in frames, check boxes, two-column frames). A
// session is a random sequence of what a user does: typing English and Chinese (by keys and by
// an input method), Enter, Tab, Backspace, Delete, the arrows, Home, End, Shift selections,
// clicks and drags anywhere in the window, select all, cut, copy and paste (of its own copies,
// of text and of bitmaps other programs put on the clipboard), the formatting commands (the
// buttons, the boxes, the picker and Ctrl+B, I, U), the object commands with random answers
// to their dialogs, hot links with random actions, double clicks on whatever lies under the
// mouse with random answers to the dialog that opens, right clicks and the context menu's
// entries, symbols from the Insert Symbol window, text files imported, undo and redo. Each
// step goes in
// through the scripted-session player, so through Qt's events, and after it:
// - the cursor of every editor is a place of its document;
// - every row of the row table starts at a place inside its document;
// - the markup handed back reads back to the same elements;
// - a shadow model predicts the editor's document: the page as one string of bytes (an object
//   counts as one unit), where typing inserts the typed bytes at the offset the cursor stands
//   for (after removing a selection), Backspace removes the character before it and Delete the
//   one after it, and the moves change nothing; a cut removes the selection into the model's
//   clipboard, a copy copies it there, a paste replaces the selection by the clipboard's units
//   (its own copies as they were, another program's text as its GBK bytes, a bitmap as one
//   picture). The cursor's offset after each change is predicted too;
// - a formatting command loses no unit, and of the units' formats exactly the one field it
//   sets changes, in the selected units only (units outside the selection keep theirs); a hot
//   link is such a field: its action and its first parameter;
// - a symbol or an imported file goes into the top-level editor as its text, replacing the
//   selection there, one step of the history of its own;
// - undo and redo give back the pages the session went through: a model of the history keeps
//   the page after each step (a run of typed characters, or of Backspaces, is one step), and
//   an undo must give the page before the last step back, with the cursor and the selection
//   where they were before it. At the end every step is undone, which must give the page as
//   it was opened, then redone, which must give the last page.
// The model has its own word rule and offsets, written from the rules and not from the editor.
//
// TESSEL_SESSIONS sets the number of sessions (a small number by default, so that the
// sanitizer build stays quick) and TESSEL_SESSION_SEED the first seed; a failure names the
// seed and the script up to the step that failed, which `tessel play` replays.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "document/link_slots.h"
#include "editor/tessel_edit.h"
#include "editor_host.h"
#include "markup/markup_limits.h"
#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/settings.h"
#include "platform/user_input.h"
#include "player.h"
#include "widgets/edit_commands.h"
#include "widgets/symbol_window.h"
#include "widgets/tool_window.h"

namespace {

using tessel::cli::EditorHost;
using tessel::cli::EditorSettings;

constexpr int kWidth = 300;
constexpr int kHeight = 200;

int EnvInt(const char* szName, int nDefault) {
    const char* sz = std::getenv(szName);
    return sz && *sz ? std::atoi(sz) : nDefault;
}

// --- The model's own word rule and places ------------------------------------------------------

bool IsLetterOrDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The lengths of a text's words: a byte of 0x80 or more with the byte after it, a run of at
// most 127 letters and digits, or any other single byte.
std::vector<int> Words(const std::string& text) {
    std::vector<int> words;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = 1;
        if (c >= 0x80) {
            n = i + 1 < text.size() ? 2 : 1;
        } else if (IsLetterOrDigit(c)) {
            while (i + n < text.size() && n < 127 &&
                   IsLetterOrDigit(static_cast<unsigned char>(text[i + n])))
                ++n;
        }
        words.push_back(static_cast<int>(n));
        i += n;
    }
    return words;
}

bool IsLetterWord(const std::string& text, int nStart) {
    return nStart < static_cast<int>(text.size()) &&
           IsLetterOrDigit(static_cast<unsigned char>(text[nStart]));
}

std::vector<const CLink*> Elements(const CMyList* pList) {
    std::vector<const CLink*> links;
    if (!pList) return links;
    for (const CLink* p = pList->FirstLink(); p; p = p->m_pNext)
        links.push_back(p);
    return links;
}

// Whether p is a place of the document: before an element, or inside a Text element before one
// of its words (or after its last one), inside a letter-and-digit word before one of its bytes.
std::string PlaceError(const std::vector<const CLink*>& links, const TEXTPOS& p) {
    const int n = static_cast<int>(links.size());
    auto where = [&] {
        return " (" + std::to_string(p.nLink) + " " + std::to_string(p.nWord) + " " +
               std::to_string(p.nChar) + " in " + std::to_string(n) + " elements)";
    };
    if (p.nLink < 0 || p.nLink > n) return "element out of range" + where();
    if (p.nLink == n) return p.nWord == 0 && p.nChar == 0 ? "" : "past the end" + where();
    const CLink& e = *links[p.nLink];
    if (e.m_nKind != kKindText)
        return p.nWord == 0 && p.nChar == 0 ? "" : "inside an object" + where();
    const std::string& text = e.m_Command[0].strText;
    const std::vector<int> words = Words(text);
    if (p.nWord < 0 || p.nWord > static_cast<int>(words.size()))
        return "word out of range" + where();
    if (p.nChar == 0) return "";
    if (p.nWord == static_cast<int>(words.size())) return "byte after the last word" + where();
    int nStart = 0;
    for (int w = 0; w < p.nWord; ++w)
        nStart += words[w];
    if (!IsLetterWord(text, nStart) || p.nChar < 0 || p.nChar >= words[p.nWord])
        return "byte out of its word" + where();
    return "";
}

// The page as the model sees it: the bytes of every Text element, each other element one unit
// of its own (a value above any byte; the option box of a choice has its own).
using Shadow = std::vector<int>;
constexpr int kOptionUnit = 512;
constexpr int kChoiceUnit = 256 + kKindChoice;
constexpr int kFrameUnit = 256 + kKindColumnFrame;
constexpr int kFlatFrameUnit = 256 + kKindMultiColumn;

Shadow ShadowOf(const std::vector<const CLink*>& links) {
    Shadow s;
    for (const CLink* p : links) {
        if (p->m_nKind == kKindCheck && p->m_Command[0].nValue >= 100) {
            s.push_back(kOptionUnit);
            continue;
        }
        if (p->m_nKind != kKindText) {
            s.push_back(256 + p->m_nKind);
            continue;
        }
        for (const char c : p->m_Command[0].strText)
            s.push_back(static_cast<unsigned char>(c));
    }
    return s;
}

// The offset in the shadow that a (valid) place stands for.
int OffsetOf(const std::vector<const CLink*>& links, const TEXTPOS& p) {
    int nOffset = 0;
    for (int i = 0; i < p.nLink && i < static_cast<int>(links.size()); ++i)
        nOffset += links[i]->m_nKind == kKindText
                       ? static_cast<int>(links[i]->m_Command[0].strText.size())
                       : 1;
    if (p.nLink < static_cast<int>(links.size()) && links[p.nLink]->m_nKind == kKindText) {
        const std::vector<int> words = Words(links[p.nLink]->m_Command[0].strText);
        for (int w = 0; w < p.nWord && w < static_cast<int>(words.size()); ++w)
            nOffset += words[w];
        nOffset += p.nChar;
    }
    return nOffset;
}

// How many units the character that holds unit u takes: the word rule read from the start
// of the Text element that holds it (a letter or digit is one unit, a double-byte character
// two). 1 for an object.
int CharacterUnits(const std::vector<const CLink*>& links, int u) {
    int nStart = 0;
    for (const CLink* p : links) {
        const int n =
            p->m_nKind == kKindText ? static_cast<int>(p->m_Command[0].strText.size()) : 1;
        if (u >= nStart && u < nStart + n) {
            if (p->m_nKind != kKindText) return 1;
            int nAt = nStart;
            for (const int w : Words(p->m_Command[0].strText)) {
                if (u < nAt + w) return IsLetterWord(p->m_Command[0].strText, nAt - nStart) ? 1 : w;
                nAt += w;
            }
        }
        nStart += n;
    }
    return 1;
}

// --- Elements compared as the markup carries them -------------------------------------------

// One line per element: the kind and every slot's value and text (slot types are left out:
// the reader fills them in, elements made by typing have none). Adjacent Text elements of one
// format are one line, empty ones none: the writer splits long runs and writes no empty one.
std::vector<std::string> Carried(CTesselEdit& editor) {
    CMyList flat;
    editor.FlattenInto(flat);
    std::vector<std::string> lines;
    std::string lastFormat;
    for (const CLink* p = flat.FirstLink(); p; p = p->m_pNext) {
        std::string format = std::to_string(p->m_nKind);
        auto add = [&format](const auto& slots) {
            for (const LINKPARAM& slot : slots)
                format += '|' + std::to_string(slot.nValue) + ':' + slot.strText;
            format += '/';
        };
        const bool bText = p->m_nKind == kKindText;
        // The markup carries the character format of text only (a formatting command sets it
        // in objects too, where nothing reads it).
        if (bText) {
            add(p->m_Font);
            add(p->m_Color);
            add(p->m_FootNote);
        }
        // Of a hot link only its action code: no page here has links, and the parameters
        // the code's tag does not carry are not kept.
        format += "|link:" + std::to_string(p->m_HotLink[0].nValue) + '/';
        // A frame's number in the table of column editors is the editor's own: not carried.
        const int nFrameNumberSlot =
            p->m_nKind == kKindMultiColumn ? 2 + tessel::slots::ColumnCount(*p) : -1;
        // Nor the last column's width: the reader gives the last column the rest of the line
        // (gaps not counted), while an inserted frame counted them.
        const int nLastWidthSlot =
            p->m_nKind == kKindMultiColumn ? 1 + tessel::slots::ColumnCount(*p) : -1;
        // A score field's label size is the drawing's, not carried either.
        const bool bScore = p->m_nKind == kKindPageTotalScore || p->m_nKind == kKindPageScore ||
                            p->m_nKind == kKindTotalScore;
        for (int i = 0; i < kCommandSlots; ++i) {
            const LINKPARAM& slot = p->m_Command[i];
            if (i == nFrameNumberSlot || i == nLastWidthSlot || (bScore && (i == 2 || i == 3)))
                continue;
            format += '|' + std::to_string(slot.nValue) + ':';
            if (!(i == 0 && bText)) format += slot.strText;
        }
        if (bText) {
            const std::string& text = p->m_Command[0].strText;
            if (text.empty()) continue;
            if (!lines.empty() && format == lastFormat) {
                lines.back() += text;
                continue;
            }
            lastFormat = format;
            lines.push_back(format + "#" + text);
        } else {
            lastFormat.clear();
            lines.push_back(format);
        }
    }
    return lines;
}

// --- Random pages ------------------------------------------------------------------------------

class Random {
  public:
    explicit Random(unsigned nSeed) : m_engine(nSeed) {}
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_engine); }
    bool Chance(int nPercent) { return Below(100) < nPercent; }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(static_cast<int>(items.size()))];
    }

  private:
    std::mt19937 m_engine;
};

const std::vector<std::string> kChinese = {"中", "文", "字", "水", "的",
                                           "化", "学", "题", "，", "。"};
const std::vector<std::string> kEnglish = {"a", "ab",     "word", "Unit3", "x",
                                           "9", "answer", "H2O",  "test",  "E"};
const std::vector<std::string> kPunctuation = {" ", " ", ".", ",", "-", "=", "!", "?"};

std::string RandomText(Random& random, int nPieces) {
    std::string text;
    for (int i = 0; i < nPieces; ++i) {
        switch (random.Below(5)) {
            case 0:
            case 1:
                text += random.Pick(kEnglish);
                break;
            case 2:
                text += random.Pick(kChinese);
                break;
            case 3:
                text += random.Pick(kPunctuation);
                break;
            default:
                text += random.Chance(50) ? "\\n" : " ";
        }
    }
    return text;
}

std::string RandomRun(Random& random, int nPieces) {
    static const std::vector<std::string> faces = {"Arial", "Times New Roman", "宋体"};
    static const std::vector<int> sizes = {10, 12, 16, 28};
    return "<Font('" + random.Pick(faces) + "'," + std::to_string(random.Pick(sizes)) + "," +
           std::to_string(random.Below(2)) + "," + std::to_string(random.Below(2)) +
           ",0)><Color(0," + std::to_string(random.Chance(80) ? 0 : 200) + ",0)>" +
           RandomText(random, nPieces) + "</Color></Font>";
}

std::string RandomObject(Random& random) {
    switch (random.Below(5)) {
        case 0:
            return "<Image('Image\\Map.bmp',0," + std::to_string(25 + random.Below(4) * 25) + ")>";
        case 1:
            return "<Formula('Formula\\Sum.fml',100,96,40)>";
        case 2:
            return "<Edit(60,20,'2:1',0,16777215,0)>";
        case 3:
            return "<Check(" + std::to_string(random.Below(2)) + ")>";
        default:
            return "<MultiColumn(2,10,120,120)><StartColumn>" + RandomRun(random, 3) +
                   "<EndColumn><StartColumn>" + RandomRun(random, 2) + "<EndColumn>";
    }
}

std::string RandomPage(Random& random) {
    std::string page;
    const int nPieces = random.Below(8);
    for (int i = 0; i < nPieces; ++i) {
        if (random.Chance(30)) {
            page += RandomObject(random);
        } else if (random.Chance(4)) {
            // A run longer than the reader keeps.
            page += "<Font('Arial',12,0,0,0)><Color(0,0,0)>" + std::string(2100, 'q') +
                    "</Color></Font>";
        } else if (random.Chance(4)) {
            // More rows than the row table holds.
            std::string breaks;
            for (int n = 0; n < 140; ++n)
                breaks += "r\\n";
            page += "<Font('Arial',10,0,0,0)><Color(0,0,0)>" + breaks + "</Color></Font>";
        } else {
            page += RandomRun(random, 1 + random.Below(6));
        }
    }
    return tessel::platform::Utf8ToGbk(page);
}

// --- Steps -------------------------------------------------------------------------------------

enum class Change {
    kNone,
    kType,
    kBack,
    kDelete,
    kCut,
    kCopy,
    kPaste,
    kUndo,
    kRedo,
    kFormat,
    kObject,
    kInsert,     // text put in by the Insert Symbol window or an import, at the top-level editor
    kProperties  // a double click: an object's dialog, answered at random; not predicted
};

// What a formatting command sets in every unit of the selection, and what the buttons it
// reads must be for that: the field and its value, or for the raised and lowered buttons the
// value that depends on the other button.
struct FormatOp {
    enum class Field {
        kBold,
        kItalic,
        kUnderline,
        kRaised,
        kLowered,
        kSize,
        kFace,
        kColour,
        kHotLink
    };
    Field field = Field::kBold;
    int nValue = 0;       // bold, italic, underline: 0 or 1 (-1: toggles the button); a size
    bool bOn = false;     // raised, lowered: the button left down
    std::string strFace;  // GBK
    int nRed = 0, nGreen = 0, nBlue = 0;
    // kHotLink: the code in nValue, and the first parameter's text when the action names one
    // (else every unit gets the first selected element's).
    std::optional<std::string> hotText;
};

struct Step {
    Step(std::string script, Change c, std::string bytes)
        : strScript(std::move(script)), change(c), strBytes(std::move(bytes)) {}
    std::string strScript;  // the player's lines
    Change change = Change::kNone;
    std::string strBytes;  // what kType types, in GBK
    // What the step puts on the clipboard as another program would: text (GBK) or a picture.
    std::optional<std::string> foreignText;
    bool bForeignBitmap = false;
    bool bAnswered = false;          // a bitmap paste is given a file name
    std::optional<FormatOp> format;  // kFormat
    std::vector<int> objectUnits;    // kObject: the units the answered dialog inserts
    bool bFrame = false;             // kObject: a multi-column frame (top-level editor only)
};

// The sessions' project: a copy of the examples made once, since a dialog answered with OK
// copies a picture from outside the project into it.
const std::string& ProjectDir() {
    static const std::string strDir = [] {
        const std::filesystem::path dir =
            std::filesystem::path(testing::TempDir()) / "session-property-project";
        std::filesystem::remove_all(dir);
        std::filesystem::copy(TESSEL_EXAMPLES_DIR, dir, std::filesystem::copy_options::recursive);
        return dir.string();
    }();
    return strDir;
}

// The file a bitmap paste writes: one per session and step, in the build's scratch folder.
std::string PictureFile(int nSeed, int nStep) {
    return testing::TempDir() + "session-" + std::to_string(nSeed) + "-" + std::to_string(nStep) +
           ".bmp";
}

Step RandomFormatStep(Random& random) {
    using Field = FormatOp::Field;
    FormatOp op;
    std::string script;
    switch (random.Below(7)) {
        case 0: {
            // Ctrl+B, I or U: the button toggles, then its command runs.
            static const std::vector<std::pair<std::string, Field>> keys = {
                {"B", Field::kBold}, {"I", Field::kItalic}, {"U", Field::kUnderline}};
            const auto& [strKey, field] = random.Pick(keys);
            op.field = field;
            op.nValue = -1;
            script = "key " + strKey + " ctrl\n";
            break;
        }
        case 1: {
            static const std::vector<std::pair<std::string, Field>> buttons = {
                {"bold", Field::kBold},
                {"italic", Field::kItalic},
                {"underline", Field::kUnderline}};
            const auto& [strName, field] = random.Pick(buttons);
            op.field = field;
            op.nValue = random.Below(2);
            script =
                "check " + strName + (op.nValue ? " on" : " off") + "\ncommand " + strName + "\n";
            break;
        }
        case 2: {
            const bool bRaised = random.Chance(50);
            op.field = bRaised ? Field::kRaised : Field::kLowered;
            op.bOn = random.Chance(60);
            const std::string strName = bRaised ? "superscript" : "subscript";
            script = "check " + strName + (op.bOn ? " on" : " off") + "\ncommand " + strName + "\n";
            break;
        }
        case 3: {
            op.field = Field::kSize;
            const int nItem = random.Below(21);
            op.nValue = CTesselEdit::kSizeTable[nItem];
            script = "size " + std::to_string(nItem) + "\n";
            break;
        }
        case 4: {
            static const std::vector<std::string> faces = {"Arial", "Times New Roman", "宋体",
                                                           "黑体"};
            const std::string& face = random.Pick(faces);
            op.field = Field::kFace;
            op.strFace = tessel::platform::Utf8ToGbk(face);
            script = "font " + face + "\n";
            break;
        }
        default: {
            static const std::vector<std::string> colours = {"FF0000", "008000", "0000FF", "000000",
                                                             "7B7BC0"};
            const std::string& colour = random.Pick(colours);
            op.field = Field::kColour;
            op.nRed = std::stoi(colour.substr(0, 2), nullptr, 16);
            op.nGreen = std::stoi(colour.substr(2, 2), nullptr, 16);
            op.nBlue = std::stoi(colour.substr(4, 2), nullptr, 16);
            script = "color " + colour + "\n";
            break;
        }
    }
    Step step{script, Change::kFormat, ""};
    step.format = op;
    return step;
}

// An object command with its dialog answered at random: values inside and outside the
// dialog's ranges, OK or Cancel. A refused OK shows its message (answered) and the dialog
// stays open for the Cancel queued after it. Files are taken from the project, so nothing is
// copied into it.
Step RandomObjectStep(Random& random) {
    const std::string strProject = ProjectDir();
    const bool bOk = random.Chance(85);
    auto end = [bOk](bool bPasses, std::string strScript, std::vector<int> units) {
        if (!bOk) return std::make_pair(strScript + "cancel\n", std::vector<int>{});
        if (bPasses) return std::make_pair(strScript + "ok\n", units);
        return std::make_pair(strScript + "ok\nanswer ok\nanswer cancel\n", std::vector<int>{});
    };
    std::pair<std::string, std::vector<int>> answer;
    std::string strCommand;
    bool bFrame = false;
    switch (random.Below(9)) {
        case 0:
            strCommand = "image";
            answer = end(true,
                         "answer 2009=" + strProject +
                             "/image/map.bmp 2040=" + std::to_string(10 + random.Below(200)) +
                             " 2011=" + std::to_string(random.Below(2)) + " ",
                         {256 + kKindImage});
            break;
        case 1: {
            strCommand = "formula";
            const int nScale = 10 + random.Below(100);
            answer = end(nScale >= 20,
                         "answer 2184=" + strProject +
                             "/formula/sum.fml 2040=" + std::to_string(nScale) + " ",
                         {256 + kKindFormula});
            break;
        }
        case 2: {
            strCommand = "edit";
            const int nWidth = 5 + random.Below(80), nHeight = 12 + random.Below(20);
            std::string strScript = "answer 2045=\"x y\" 2012=" + std::to_string(nWidth) +
                                    " 2030=" + std::to_string(nHeight) + " 2044=Shadow ";
            answer = end(nHeight >= 16, strScript, {256 + kKindEdit});
            // A narrow frame is a warning only: its message is answered and it goes in.
            if (bOk && nHeight >= 16 && nWidth < 10) answer.first += "answer ok\n";
            break;
        }
        case 3:
            strCommand = "judgement";
            answer = end(true, "answer 2013=" + std::to_string(random.Below(2)) + " ",
                         {256 + kKindCheck});
            break;
        case 4: {
            strCommand = "choice";
            const int nAmount = random.Below(5), nRight = random.Below(6);
            std::vector<int> units{kChoiceUnit};
            units.insert(units.end(), static_cast<std::size_t>(nAmount), kOptionUnit);
            answer = end(
                nRight >= 1 && nRight <= nAmount,
                "answer 2033=" + std::to_string(nAmount) + " 2018=" + std::to_string(nRight) + " ",
                units);
            break;
        }
        case 5:
            strCommand = "pagescore";
            answer = end(true, "answer ", {256 + kKindPageScore});
            break;
        case 6:
            strCommand = "pagetotalscore";
            answer = end(true, "answer ", {256 + kKindPageTotalScore});
            break;
        case 7:
            strCommand = "totalscore";
            answer = {"", {256 + kKindTotalScore}};
            break;
        default: {
            strCommand = "frame";
            bFrame = true;
            const int nCount = 1 + random.Below(3);
            answer = end(true,
                         "answer 2028=" + std::to_string(nCount) +
                             " 2039=" + std::to_string(random.Below(20)) + " ",
                         {kFrameUnit});
            break;
        }
    }
    Step step{answer.first + "command " + strCommand + "\n", Change::kObject, ""};
    step.objectUnits = std::move(answer.second);
    step.bFrame = bFrame;
    return step;
}

// A hot link with a random action (or switched off), answered with OK or Cancel.
Step RandomHotLinkStep(Random& random) {
    struct Action {
        std::string strAnswer;  // the dialog's fields
        int nCode;
        std::optional<std::string> hotText;  // the first parameter's text it sets (GBK)
    };
    static const std::vector<Action> actions = {
        {"2102=\"Link to Another Page\" 2014=p2", tessel::slots::kActionLinkPage, "p2"},
        {"2102=Return", tessel::slots::kActionReturn, std::nullopt},
        {"2102=\"Exit/Close this page\"", tessel::slots::kActionClosePage, std::nullopt},
        {"2102=\"Link to WWW\" 2017=http://example.org/", tessel::slots::kActionWebAddress,
         "http://example.org/"},
        {"2102=\"Paly Wave\" 2038=SOUND\\A.WAV", tessel::slots::kActionPlayWave, "SOUND\\A.WAV"},
        {"2102=\"Run Programe\" 2038=RUN.EXE 2051=-x", tessel::slots::kActionRunProgram, "RUN.EXE"},
        {"2049=0", kNoHotLink, std::nullopt},
    };
    const Action& action = random.Pick(actions);
    if (random.Chance(15))
        return {"answer " + action.strAnswer + " cancel\ncommand hotlink\n", Change::kNone, ""};
    Step step{"answer " + action.strAnswer + " ok\ncommand hotlink\n", Change::kFormat, ""};
    FormatOp op;
    op.field = FormatOp::Field::kHotLink;
    op.nValue = action.nCode;
    op.hotText = action.hotText;
    step.format = op;
    return step;
}

// Text files the sessions import, written once, each with the page text it gives (GBK): GBK
// with a CR LF, UTF-8 with two line feeds, and bytes that stop at a zero byte.
const std::vector<std::pair<std::string, std::string>>& ImportFiles() {
    static const std::vector<std::pair<std::string, std::string>> files = [] {
        const std::vector<std::pair<std::string, std::string>> contents = {
            {"\xBC\xD7\xD2\xD2\r\n\xB1\xFB", "\xBC\xD7\xD2\xD2\n\xB1\xFB"},
            {"a\xE4\xB8\xAD\n\nb", "a\xD6\xD0\nb"},
            {std::string("xy\0z", 4), "xy"},
        };
        std::vector<std::pair<std::string, std::string>> made;
        for (std::size_t i = 0; i < contents.size(); ++i) {
            const std::string strPath =
                testing::TempDir() + "session-import-" + std::to_string(i) + ".txt";
            std::ofstream(strPath, std::ios::binary) << contents[i].first;
            made.emplace_back(strPath, contents[i].second);
        }
        return made;
    }();
    return files;
}

Step RandomStep(Random& random, int nSeed, int nStep) {
    const int n = random.Below(160);
    if (n < 18) {
        const std::string word = random.Pick(kEnglish);
        return {"type " + word + "\n", Change::kType, word};
    }
    if (n < 26) {
        const std::string ch = random.Pick(kChinese);
        return {"type " + ch + "\n", Change::kType, tessel::platform::Utf8ToGbk(ch)};
    }
    if (n < 30) return {"ime 文字\n", Change::kType, tessel::platform::Utf8ToGbk("文字")};
    if (n < 33) return {"key Enter\n", Change::kType, "\n"};
    if (n < 35) return {"key Tab\n", Change::kType, "    "};
    if (n < 37) return {"type  \n", Change::kType, " "};
    if (n < 47) return {"key Back\n", Change::kBack, ""};
    if (n < 55) return {"key Delete\n", Change::kDelete, ""};
    if (n < 80) {
        static const std::vector<std::string> moves = {"Left", "Right", "Up",   "Down",
                                                       "Home", "End",   "Left", "Right"};
        return {"key " + random.Pick(moves) + "\n", Change::kNone, ""};
    }
    if (n < 87) {
        // A Shift selection over a few steps.
        static const std::vector<std::string> moves = {"Left", "Right", "Up",
                                                       "Down", "Home",  "End"};
        std::string script = "key Shift\n";
        for (int i = 1 + random.Below(4); i > 0; --i)
            script += "key " + random.Pick(moves) + " shift\n";
        return {script + "keyup Shift\n", Change::kNone, ""};
    }
    auto point = [&random] {
        return std::to_string(random.Below(kWidth + 20) - 10) + " " +
               std::to_string(random.Below(kHeight + 20) - 10);
    };
    if (n < 92) return {"click " + point() + "\n", Change::kNone, ""};
    if (n < 98) {
        // A drag: the press, a move or two, the release.
        std::string script = "down " + point() + "\n";
        for (int i = 1 + random.Below(2); i > 0; --i)
            script += "move " + point() + "\n";
        return {script + "up " + point() + "\n", Change::kNone, ""};
    }
    if (n < 100) return {"key A ctrl\n", Change::kNone, ""};
    if (n < 106) return {"key X ctrl\n", Change::kCut, ""};
    if (n < 112) return {"key C ctrl\n", Change::kCopy, ""};
    if (n < 119) return {"key V ctrl\n", Change::kPaste, ""};
    if (n < 121) {
        const std::string text =
            random.Pick(kEnglish) + (random.Chance(50) ? "\\n" : "") + random.Pick(kChinese) + "😀";
        Step step{"clipboard text " + text + "\nkey V ctrl\n", Change::kPaste, ""};
        // The escape is the player's; the emoji is no GBK character and is dropped.
        std::string typed = text.substr(0, text.size() - 4);
        if (const auto at = typed.find("\\n"); at != std::string::npos) typed.replace(at, 2, "\n");
        step.foreignText = tessel::platform::Utf8ToGbk(typed);
        return step;
    }
    if (n < 122) {
        Step step{"clipboard bitmap 3 2 FF8000\n", Change::kPaste, ""};
        step.bForeignBitmap = true;
        step.bAnswered = random.Chance(80);
        if (step.bAnswered) step.strScript += "answer file " + PictureFile(nSeed, nStep) + "\n";
        step.strScript += "key V ctrl\n";
        return step;
    }
    if (n < 127) return {"key Z ctrl\n", Change::kUndo, ""};
    if (n < 130)
        return {random.Chance(50) ? "key Y ctrl\n" : "key Z ctrl shift\n", Change::kRedo, ""};
    if (n < 140) return RandomFormatStep(random);
    if (n < 148) return RandomObjectStep(random);
    if (n < 152) return RandomHotLinkStep(random);
    if (n < 155) {
        // Whatever lies under the double click has its dialog answered at random (values
        // that one dialog or another takes, OK or Cancel); plain text opens none.
        static const std::vector<std::string> answers = {
            "answer ok\n",
            "answer cancel\n",
            "answer 2045=new 2012=70 ok\n",
            "answer 2013=1 ok\n",
            "answer 2033=5 2018=2 ok\nanswer ok\nanswer cancel\n",
            "answer 2040=50 ok\nanswer ok\nanswer cancel\n"};
        return {random.Pick(answers) + "dblclick " + point() + "\n", Change::kProperties, ""};
    }
    if (n < 157) {
        // A right click, and one of the context menu's entries chosen in the next step (a
        // greyed one does nothing).
        static const std::vector<std::pair<std::string, Change>> entries = {
            {"cut", Change::kCut}, {"copy", Change::kCopy}, {"hotlink", Change::kNone}};
        if (random.Chance(50)) return {"rclick " + point() + "\n", Change::kNone, ""};
        const auto& [strEntry, change] = random.Pick(entries);
        if (change == Change::kNone) {
            Step step = RandomHotLinkStep(random);
            step.strScript.replace(step.strScript.find("command hotlink"), 15,
                                   "rclick " + point() + "\nmenu hotlink");
            // The right click may drop the selection: the link's extent is not predicted.
            step.change = Change::kProperties;
            step.format.reset();
            return step;
        }
        return {"rclick " + point() + "\nmenu " + strEntry + "\n", Change::kProperties, ""};
    }
    if (n < 159) {
        if (g_pSymbolDlg == nullptr || !g_pSymbolDlg->IsWindowVisible())
            return {"command symbol\n", Change::kNone, ""};
        const int nTab = random.Below(tessel::widgets::kSymbolSets);
        const int nIndex = random.Below(tessel::widgets::SymbolCount(nTab) + 3);
        const std::string symbol = nIndex < tessel::widgets::SymbolCount(nTab)
                                       ? std::string(tessel::widgets::SymbolAt(nTab, nIndex))
                                       : std::string();
        return {"symbol " + std::to_string(nTab) + " " + std::to_string(nIndex) + "\n",
                Change::kInsert, symbol};
    }
    const auto& [strFile, strText] = random.Pick(ImportFiles());
    return {"answer file " + strFile + "\ncommand text\n", Change::kInsert, strText};
}

// --- The sessions ------------------------------------------------------------------------------

class SessionPropertyTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        tessel::platform::EnsureApplication();
        // The web addresses the hot-link dialog remembers go to a file of the test's own.
        tessel::platform::SetSettingsFile(testing::TempDir() + "session-property-settings.conf");
    }
};

// The editor the next key reaches: the one with the keyboard focus, else the top-level one.
CTesselEdit& KeyEditor(CTesselEdit& top) {
    if (auto* p = dynamic_cast<CTesselEdit*>(tessel::platform::KeyboardTarget(&top))) return *p;
    return top;
}

std::vector<CTesselEdit*> AllEditors(CTesselEdit& top) {
    std::vector<CTesselEdit*> editors = {&top};
    for (auto& frame : top.m_pChildEdit)
        for (CTesselEdit* p : frame)
            if (p) editors.push_back(p);
    return editors;
}

// Where two pages of lines first differ; empty when they do not.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string x = i < a.size() ? a[i] : "(none)";
        const std::string y = i < b.size() ? b[i] : "(none)";
        if (x != y)
            return "element " + std::to_string(i) + ":\n  " + tessel::platform::GbkToUtf8(x) +
                   "\n  " + tessel::platform::GbkToUtf8(y);
    }
    return "";
}

// Everything that must hold of an editor between two steps; empty when it does.
std::string Unsound(CTesselEdit& top, const std::string& strProject) {
    for (CTesselEdit* p : AllEditors(top)) {
        const std::vector<const CLink*> links = Elements(p->m_pList);
        const std::string who = p == &top ? "editor" : "column editor";
        if (std::string e = PlaceError(links, p->m_CurPos); !e.empty())
            return who + " cursor: " + e;
        for (int r = 0; r < kMaxRows && !p->m_Row[r].IsEndMarker(); ++r) {
            if (std::string e = PlaceError(links, p->m_Row[r].Start()); !e.empty())
                return who + " row " + std::to_string(r) + " start: " + e;
        }
    }
    // The markup handed back, opened again, holds the same elements; a page grown past what
    // the reader takes (a known limit: the reader keeps the first kMaxMarkupBytes) is not
    // read back.
    const std::string markup = top.GetEditText();
    if (markup.size() > static_cast<std::size_t>(kMaxMarkupBytes)) return "";
    CTesselEdit again;
    again.m_rcEdit = top.m_rcEdit;
    again.SetDirPrj(strProject);
    again.m_pList = new CMyList;
    again.m_Analyzer.Convert(markup.c_str(), again.m_pList);
    again.PrevCreateList();
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    again.SetRow(&dc);
    const std::string difference = FirstDifference(Carried(top), Carried(again));
    if (!difference.empty()) return "the markup handed back reads back differently: " + difference;
    return "";
}

// The format of every unit of the page as the formatting commands set it: face, size,
// italic, bold, underline, red, green, blue, footnote.
struct UnitFormat {
    std::string strFace;
    int nSize = 0, nItalic = 0, nBold = 0, nUnderline = 0, nRed = 0, nGreen = 0, nBlue = 0,
        nFootNote = 0, nHotLink = kNoHotLink;
    std::string strHotText;     // the hot link's first parameter
    bool bCarriesLink = false;  // a unit of text or of a picture
    bool operator==(const UnitFormat&) const = default;
};

std::vector<UnitFormat> UnitFormats(const std::vector<const CLink*>& links) {
    std::vector<UnitFormat> formats;
    for (const CLink* p : links) {
        const UnitFormat f{
            p->m_Font[0].strText,    p->m_Font[1].nValue,
            p->m_Font[2].nValue,     p->m_Font[3].nValue,
            p->m_Font[4].nValue,     p->m_Color[0].nValue,
            p->m_Color[1].nValue,    p->m_Color[2].nValue,
            p->m_FootNote[0].nValue, p->m_HotLink[0].nValue,
            p->m_HotLink[1].strText, p->m_nKind == kKindText || p->m_nKind == kKindImage};
        const std::size_t n =
            p->m_nKind == kKindText ? p->m_Command[0].strText.size() : std::size_t{1};
        formats.insert(formats.end(), n, f);
    }
    return formats;
}

std::string Describe(const UnitFormat& f) {
    return tessel::platform::GbkToUtf8(f.strFace) + " " + std::to_string(f.nSize) + " i" +
           std::to_string(f.nItalic) + " b" + std::to_string(f.nBold) + " u" +
           std::to_string(f.nUnderline) + " rgb " + std::to_string(f.nRed) + "," +
           std::to_string(f.nGreen) + "," + std::to_string(f.nBlue) + " foot " +
           std::to_string(f.nFootNote) + " link " + std::to_string(f.nHotLink) + " " +
           tessel::platform::GbkToUtf8(f.strHotText);
}

// The formats a formatting step must leave: the field it sets changed in units nLo to nHi,
// every other unit and field as it was. Reads the buttons the command reads, before the step.
std::vector<UnitFormat> Formatted(std::vector<UnitFormat> formats, int nLo, int nHi,
                                  const FormatOp& op, CTesselEdit& top,
                                  const std::string& strFirstHotText) {
    using Field = FormatOp::Field;
    const CEditToolWnd* pTools = top.ToolBar();
    auto down = [pTools](UINT nId) { return pTools && pTools->IsButtonChecked(nId); };
    for (int u = nLo; u < nHi; ++u) {
        UnitFormat& f = formats[static_cast<std::size_t>(u)];
        switch (op.field) {
            case Field::kBold:
                f.nBold = op.nValue >= 0 ? op.nValue : !down(tessel::commands::kBold);
                break;
            case Field::kItalic:
                f.nItalic = op.nValue >= 0 ? op.nValue : !down(tessel::commands::kItalic);
                break;
            case Field::kUnderline:
                f.nUnderline = op.nValue >= 0 ? op.nValue : !down(tessel::commands::kUnderline);
                break;
            case Field::kRaised:
                f.nFootNote = op.bOn ? 0 : down(tessel::commands::kLowered) ? 1 : 2;
                break;
            case Field::kLowered:
                f.nFootNote = op.bOn ? 1 : down(tessel::commands::kRaised) ? 0 : 2;
                break;
            case Field::kSize:
                f.nSize = op.nValue;
                break;
            case Field::kFace:
                f.strFace = op.strFace;
                break;
            case Field::kColour:
                f.nRed = op.nRed;
                f.nGreen = op.nGreen;
                f.nBlue = op.nBlue;
                break;
            case Field::kHotLink:
                // Every element that the page can keep a link on (text, pictures) takes the
                // whole link that the dialog started from (the first selected element's) with
                // the answer written into it.
                if (!f.bCarriesLink) break;
                f.nHotLink = op.nValue;
                f.strHotText = op.hotText ? *op.hotText : strFirstHotText;
                break;
        }
    }
    return formats;
}

// What the model's clipboard holds: the units of its own last cut or copy, or what another
// program put there.
struct ClipModel {
    // kUnknown: a step the model does not follow (a menu's cut, say) may have changed it.
    enum class Kind { kNone, kOwn, kText, kBitmap, kUnknown } kind = Kind::kNone;
    Shadow units;            // kOwn: the units copied; kText: the text's bytes
    bool bAnswered = false;  // kBitmap: the paste's file dialog is answered
};

// What the model expects of the key editor after a change: the page's units, when the rules
// fix them, and the cursor's offset, where they fix it.
struct Prediction {
    std::optional<Shadow> shadow;
    std::optional<int> nCursor;
};

Prediction Predict(CTesselEdit& editor, const Step& step, ClipModel& clip) {
    const std::vector<const CLink*> links = Elements(editor.m_pList);
    Prediction p{ShadowOf(links), std::nullopt};
    Shadow& shadow = *p.shadow;
    int k = OffsetOf(links, editor.m_CurPos);
    const int nLo = std::min(OffsetOf(links, editor.m_SelStart), OffsetOf(links, editor.m_SelEnd));
    const int nHi = std::max(OffsetOf(links, editor.m_SelStart), OffsetOf(links, editor.m_SelEnd));
    const bool bSelection = editor.m_SelStart != editor.m_SelEnd;
    auto removeSelection = [&] {
        shadow.erase(shadow.begin() + nLo, shadow.begin() + nHi);
        k = nLo;
    };
    // The step's bytes typed at the cursor over the selection.
    auto typeIn = [&] {
        if (bSelection) removeSelection();
        shadow.insert(shadow.begin() + k, step.strBytes.begin(), step.strBytes.end());
        for (std::size_t i = 0; i < step.strBytes.size(); ++i)
            shadow[k + i] = static_cast<unsigned char>(step.strBytes[i]);
        p.nCursor = k + static_cast<int>(step.strBytes.size());
    };
    switch (step.change) {
        case Change::kNone:
        case Change::kUndo:
        case Change::kRedo:
            return p;
        case Change::kProperties:
            // Which object the point hits, and what its dialog then changes, is the business
            // of the sessions that test them: here only soundness and the history count. A
            // menu's entry may have filled or emptied the clipboard.
            p.shadow.reset();
            if (step.strScript.find("menu ") != std::string::npos)
                clip.kind = ClipModel::Kind::kUnknown;
            return p;
        case Change::kInsert:
            if (!step.strBytes.empty()) typeIn();
            return p;
        case Change::kFormat:
            // The units stay; the changed range stays selected, the cursor at its end. The
            // clipboard carried the range and is left empty (a selection is put there as a
            // cut or a copy puts it: see above).
            if (bSelection &&
                std::min(editor.m_SelStart, editor.m_SelEnd).nLink < static_cast<int>(links.size()))
                clip = ClipModel{};
            if (!bSelection) p.nCursor = k;
            if (nLo < nHi) p.nCursor = nHi;
            return p;
        case Change::kType:
            typeIn();
            return p;
        case Change::kBack:
            if (k > 0) {
                const int n = CharacterUnits(links, k - 1);
                shadow.erase(shadow.begin() + k - n, shadow.begin() + k);
                k -= n;
            }
            p.nCursor = k;
            return p;
        case Change::kDelete:
            if (bSelection) {
                removeSelection();
            } else if (k < static_cast<int>(shadow.size())) {
                const int n = CharacterUnits(links, k);
                shadow.erase(shadow.begin() + k, shadow.begin() + k + n);
            }
            p.nCursor = k;
            return p;
        case Change::kCopy:
        case Change::kCut:
            // A selection whose ends are the same place leaves the clipboard as it was, and so
            // does one that starts past the last element. Ends that differ otherwise fill it,
            // even when they stand for the same offset (around an empty Text element): the
            // list then holds what is between them, which may be no unit at all.
            if (bSelection && std::min(editor.m_SelStart, editor.m_SelEnd).nLink <
                                  static_cast<int>(links.size())) {
                clip.kind = ClipModel::Kind::kOwn;
                clip.units.assign(shadow.begin() + nLo, shadow.begin() + nHi);
            }
            if (step.change == Change::kCut && bSelection) {
                removeSelection();
                p.nCursor = k;
            }
            return p;
        case Change::kObject: {
            // An object goes in at the cursor; a selection stays where it is. A frame goes
            // into the top-level editor only, and only while a row of column editors is free.
            const bool bColumn = editor.m_nEditID != -1;
            const auto frames = std::count(shadow.begin(), shadow.end(), kFrameUnit);
            if (step.bFrame && (bColumn || frames >= kMaxFrames)) return p;
            shadow.insert(shadow.begin() + k, step.objectUnits.begin(), step.objectUnits.end());
            p.nCursor = k + static_cast<int>(step.objectUnits.size());
            return p;
        }
        case Change::kPaste: {
            if (step.foreignText) {
                clip.kind = ClipModel::Kind::kText;
                clip.units.assign(step.foreignText->begin(), step.foreignText->end());
                for (int& u : clip.units)
                    u &= 0xFF;
            } else if (step.bForeignBitmap) {
                clip.kind = ClipModel::Kind::kBitmap;
                clip.bAnswered = step.bAnswered;
            } else {
                // An answer serves one file dialog only.
                clip.bAnswered = false;
            }
            if (clip.kind == ClipModel::Kind::kUnknown) {
                p.shadow.reset();
                return p;
            }
            Shadow insert;
            if (clip.kind == ClipModel::Kind::kOwn || clip.kind == ClipModel::Kind::kText)
                insert = clip.units;
            else if (clip.kind == ClipModel::Kind::kBitmap && clip.bAnswered)
                insert = {256 + kKindImage};
            const bool bColumn = editor.m_nEditID != -1;
            const auto frames = std::count(insert.begin(), insert.end(), kFrameUnit) +
                                std::count(insert.begin(), insert.end(), kFlatFrameUnit);
            // Frames do not nest: a column takes nothing from a clipboard that holds one.
            if (bColumn && frames > 0) insert.clear();
            // What is pasted replaces the selection, whatever is pasted.
            if (bSelection) removeSelection();
            if (!bColumn && frames > 0) {
                // A frame beyond the eighth has no column editors to go to: it stays in its
                // flat form, which the model does not follow.
                if (std::count(shadow.begin(), shadow.end(), kFrameUnit) + frames > kMaxFrames)
                    p.shadow.reset();
            }
            if (p.shadow) shadow.insert(shadow.begin() + k, insert.begin(), insert.end());
            p.nCursor = k + static_cast<int>(insert.size());
            if (!p.shadow) p.nCursor.reset();
            return p;
        }
    }
    return p;
}

// The layout's rule for choices: a choice with no option after it (before the next choice or
// the end) is dropped. The cursor after a dropped choice moves back with it.
void DropEmptyChoices(Prediction& p) {
    if (!p.shadow) return;
    Shadow& s = *p.shadow;
    for (std::size_t i = s.size(); i-- > 0;) {
        if (s[i] != kChoiceUnit) continue;
        std::size_t j = i + 1;
        while (j < s.size() && s[j] != kChoiceUnit && s[j] != kOptionUnit)
            ++j;
        if (j < s.size() && s[j] == kOptionUnit) continue;
        s.erase(s.begin() + static_cast<std::ptrdiff_t>(i));
        if (p.nCursor && *p.nCursor > static_cast<int>(i)) --*p.nCursor;
    }
}

// The whole page, columns included, one line per element of its flat form with every slot's
// value and text. Left out: a frame's number in the table of column editors (an undo may give
// a frame another free row of the table), a formula's size, which the layout writes when it
// has measured the formula, and a score field's label size, which the drawing writes.
std::vector<std::string> ExactPage(CTesselEdit& top) {
    CMyList flat;
    top.FlattenInto(flat);
    std::vector<std::string> lines;
    for (const CLink* p = flat.FirstLink(); p; p = p->m_pNext) {
        std::string line = std::to_string(p->m_nKind);
        const int nFrameNumberSlot =
            p->m_nKind == kKindMultiColumn ? 2 + tessel::slots::ColumnCount(*p) : -1;
        // Sizes the layout or the drawing writes: a formula's, a score field's label's.
        const bool bFormula = p->m_nKind == kKindFormula || p->m_nKind == kKindPageTotalScore ||
                              p->m_nKind == kKindPageScore || p->m_nKind == kKindTotalScore;
        auto add = [&](const LINKPARAM* slots, int n, int nSkip) {
            for (int i = 0; i < n; ++i) {
                const bool bSize = bFormula && slots == p->m_Command && (i == 2 || i == 3);
                if (i != nSkip && !bSize)
                    line += '|' + std::to_string(slots[i].nValue) + ':' + slots[i].strText;
            }
            line += '/';
        };
        add(p->m_Font, kFontSlots, -1);
        add(p->m_Color, kColorSlots, -1);
        add(p->m_FootNote, kFootNoteSlots, -1);
        add(p->m_HotLink, kHotLinkSlots, -1);
        add(p->m_Command, kCommandSlots, nFrameNumberSlot);
        lines.push_back(std::move(line));
    }
    return lines;
}

// Where the user is: the editor the keys reach and its cursor and selection.
struct Where {
    int nEditID = -1;
    TEXTPOS cursor, selStart, selEnd;
    bool operator==(const Where&) const = default;
};

Where WhereOf(CTesselEdit& editor) {
    return {editor.m_nEditID, editor.m_CurPos, editor.m_SelStart, editor.m_SelEnd};
}

std::string Describe(const Where& w) {
    auto pos = [](const TEXTPOS& p) {
        return std::to_string(p.nLink) + " " + std::to_string(p.nWord) + " " +
               std::to_string(p.nChar);
    };
    return "editor " + std::to_string(w.nEditID) + " cursor " + pos(w.cursor) + " selection " +
           pos(w.selStart) + " - " + pos(w.selEnd);
}

// The history as the rules make it: the page after every step, and where the user was before
// each step. A run of typed characters, or of Backspaces, with nothing between them that
// moved the cursor, is one step; an undo or a redo ends a run (one with nothing to undo or
// redo does nothing at all).
class HistoryModel {
  public:
    explicit HistoryModel(std::vector<std::string> opened) { m_pages.push_back(std::move(opened)); }

    // After a step that was no undo or redo: the page it left, where the user was before it
    // and after it. bLoose: the place before it is not the model's to predict (see below).
    void After(Change change, std::vector<std::string> page, const Where& before,
               const Where& after, bool bLoose = false) {
        const bool bRun = change == Change::kType || change == Change::kBack;
        if (page == m_pages[m_nAt]) {
            // A run that put back what was there (a selection typed over with its own text)
            // is no step, and what follows starts a new one.
            if (bRun && before != after) m_bJoinable = false;
            return;
        }
        if (bRun && m_bJoinable && change == m_lastChange && before == m_lastAfter) {
            m_pages.resize(m_nAt + 1);
            m_before.resize(m_nAt);
            m_pages[m_nAt] = std::move(page);
        } else {
            m_pages.resize(m_nAt + 1);
            m_before.resize(m_nAt);
            m_pages.push_back(std::move(page));
            m_before.push_back(before);
            m_loose.resize(m_nAt);
            m_loose.push_back(bLoose);
            ++m_nAt;
        }
        m_lastChange = change;
        m_bJoinable = bRun;
        m_lastAfter = after;
    }
    // An undo: the page and the place it must give back; nothing when none is left.
    std::optional<std::pair<std::vector<std::string>, Where>> Undo() {
        if (m_nAt == 0) return std::nullopt;  // nothing happens, and a run goes on
        m_bJoinable = false;
        --m_nAt;
        return std::make_pair(m_pages[m_nAt], m_before[m_nAt]);
    }
    std::optional<std::vector<std::string>> Redo() {
        if (m_nAt + 1 >= m_pages.size()) return std::nullopt;
        m_bJoinable = false;
        return m_pages[++m_nAt];
    }
    // Whether the place before the step an undo just took back is loose.
    bool UndoneIsLoose() const { return m_nAt < m_loose.size() && m_loose[m_nAt]; }
    const std::vector<std::string>& Current() const { return m_pages[m_nAt]; }
    const std::vector<std::string>& Opened() const { return m_pages.front(); }
    const std::vector<std::string>& Last() const { return m_pages.back(); }
    std::size_t Steps() const { return m_nAt; }
    std::size_t Redoable() const { return m_pages.size() - 1 - m_nAt; }

  private:
    std::vector<std::vector<std::string>> m_pages;
    std::vector<Where> m_before;
    std::vector<bool> m_loose;
    std::size_t m_nAt = 0;
    Change m_lastChange = Change::kNone;
    bool m_bJoinable = false;
    Where m_lastAfter;
};

// The editor with the number a history step names, among the top-level editor's.
CTesselEdit* EditorNumbered(CTesselEdit& top, int nEditID) {
    if (nEditID == -1) return &top;
    if (nEditID < 0 || nEditID >= kMaxFrames * kMaxColumns) return nullptr;
    return top.m_pChildEdit[nEditID / kMaxColumns][nEditID % kMaxColumns];
}

std::string Describe(const Shadow& s) {
    std::string out;
    for (const int u : s)
        out +=
            u >= 256 ? "[" + std::to_string(u - 256) + "]" : std::string(1, static_cast<char>(u));
    return tessel::platform::GbkToUtf8(out);
}

TEST_F(SessionPropertyTest, RandomSessionsKeepTheDocumentSoundAndAsTheRulesPredict) {
    const int nSessions = EnvInt("TESSEL_SESSIONS", 150);
    const int nSteps = EnvInt("TESSEL_SESSION_STEPS", 40);
    const int nFirstSeed = EnvInt("TESSEL_SESSION_SEED", 1);
    for (int nSeed = nFirstSeed; nSeed < nFirstSeed + nSessions; ++nSeed) {
        Random random(static_cast<unsigned>(nSeed));
        const std::string page = RandomPage(random);
        EditorSettings settings;
        settings.nWidth = kWidth;
        settings.nHeight = kHeight;
        settings.strProject = ProjectDir();
        std::unique_ptr<EditorHost> pHost = EditorHost::Open(settings, page);
        ASSERT_TRUE(pHost);
        tessel::platform::ProcessEvents();
        CTesselEdit& top = pHost->Editor();
        tessel::play::Player player(top);
        // Each session starts with a clipboard nobody has filled.
        ASSERT_EQ(player.Play("clipboard clear\n").nExit, 0);
        ClipModel clip;
        HistoryModel history(ExactPage(top));
        std::string script;
        auto context = [&] {
            return "seed " + std::to_string(nSeed) + ", page:\n" +
                   tessel::platform::GbkToUtf8(page) + "\nscript:\n" + script;
        };
        ASSERT_EQ(Unsound(top, settings.strProject), "") << context();
        for (int i = 0; i < nSteps; ++i) {
            const Step step = RandomStep(random, nSeed, i);
            // Keys reach the editor that has the keyboard; the tool window's commands go to
            // the one g_nFocusEdit names (the two differ after an undo rebuilt the columns).
            const bool bCommand = (step.format && !step.strScript.starts_with("key ")) ||
                                  step.change == Change::kObject;
            CTesselEdit* pCommanded = EditorNumbered(top, g_nFocusEdit);
            // Symbols and imports go to the editor that owns the window and the command: the
            // top-level one.
            CTesselEdit& target = step.change == Change::kInsert ? top
                                  : bCommand && pCommanded       ? *pCommanded
                                                                 : KeyEditor(top);
            const Where before = WhereOf(target);
            // Typing over a selection whose text the typed word starts with passes, character
            // by character, through the page as it was: the editor's run of typing ends there
            // (no step), and the rest is a step of its own, which starts after that prefix.
            // The model takes the word as one step; its undo is to give the page back but
            // leaves the cursor to the editor.
            bool bSplitRun = false;
            if (step.change == Change::kType && target.m_SelStart != target.m_SelEnd) {
                const std::vector<const CLink*> links = Elements(target.m_pList);
                const Shadow units = ShadowOf(links);
                const int nA = OffsetOf(links, target.m_SelStart);
                const int nB = OffsetOf(links, target.m_SelEnd);
                const auto nLo = static_cast<std::size_t>(std::min(nA, nB));
                const auto nHi = static_cast<std::size_t>(std::max(nA, nB));
                bSplitRun = nHi > nLo && nHi - nLo <= step.strBytes.size() &&
                            std::equal(units.begin() + static_cast<std::ptrdiff_t>(nLo),
                                       units.begin() + static_cast<std::ptrdiff_t>(nHi),
                                       step.strBytes.begin(), [](int u, char c) {
                                           return u == static_cast<unsigned char>(c);
                                       });
            }
            Prediction expected = Predict(target, step, clip);
            DropEmptyChoices(expected);
            std::optional<std::vector<UnitFormat>> formats;
            if (step.format) {
                const std::vector<const CLink*> links = Elements(target.m_pList);
                const int nA = OffsetOf(links, target.m_SelStart);
                const int nB = OffsetOf(links, target.m_SelEnd);
                const int nLo = target.m_SelStart != target.m_SelEnd ? std::min(nA, nB) : 0;
                const int nHi = target.m_SelStart != target.m_SelEnd ? std::max(nA, nB) : 0;
                // The link the dialog starts from: the element the selection's start names.
                const auto nFirst = static_cast<std::size_t>(target.m_SelStart.nLink);
                const std::string strFirstHotText =
                    nFirst < links.size() ? links[nFirst]->m_HotLink[1].strText : std::string();
                formats =
                    Formatted(UnitFormats(links), nLo, nHi, *step.format, top, strFirstHotText);
            }
            script += step.strScript;
            const tessel::play::PlayResult result = player.Play(step.strScript);
            ASSERT_EQ(result.nExit, 0) << result.strError << "\n" << context();
            ASSERT_EQ(Unsound(top, settings.strProject), "") << context();
            const std::vector<std::string> now = ExactPage(top);
            if (step.change == Change::kUndo) {
                const auto back = history.Undo();
                const std::vector<std::string>& want = back ? back->first : history.Current();
                ASSERT_EQ(FirstDifference(now, want), "") << "undo\n" << context();
                if (back && !history.UndoneIsLoose()) {
                    CTesselEdit* pEditor = EditorNumbered(top, back->second.nEditID);
                    ASSERT_NE(pEditor, nullptr) << context();
                    ASSERT_EQ(Describe(WhereOf(*pEditor)), Describe(back->second)) << "undo\n"
                                                                                   << context();
                }
                continue;
            }
            if (step.change == Change::kRedo) {
                const auto forward = history.Redo();
                ASSERT_EQ(FirstDifference(now, forward ? *forward : history.Current()), "")
                    << "redo\n"
                    << context();
                continue;
            }
            // Where a double click or a right click leaves the user before a change is the
            // point's business, which the model does not follow.
            history.After(step.change, now, before, WhereOf(KeyEditor(top)),
                          bSplitRun || step.change == Change::kProperties);
            if ((step.change == Change::kNone || step.change == Change::kProperties) &&
                &KeyEditor(top) != &target)
                continue;
            const std::vector<const CLink*> links = Elements(target.m_pList);
            if (expected.shadow) {
                ASSERT_EQ(Describe(ShadowOf(links)), Describe(*expected.shadow)) << context();
            }
            if (expected.nCursor) {
                ASSERT_EQ(OffsetOf(links, target.m_CurPos), *expected.nCursor) << context();
            }
            if (formats) {
                const std::vector<UnitFormat> got = UnitFormats(links);
                ASSERT_EQ(got.size(), formats->size()) << context();
                for (std::size_t u = 0; u < got.size(); ++u)
                    ASSERT_EQ(Describe(got[u]), Describe((*formats)[u])) << "unit " << u << "\n"
                                                                         << context();
            }
        }
        // Undoing every step gives the page as it was opened, redoing them all the last page.
        const std::size_t nUndo = history.Steps(), nRedo = nUndo + history.Redoable();
        for (std::size_t n = 0; n < nUndo; ++n) {
            ASSERT_EQ(top.CanUndo(), 1) << "undo " << n << " of " << nUndo << "\n" << context();
            ASSERT_EQ(top.Undo(), 1) << context();
            tessel::platform::ProcessEvents();
        }
        ASSERT_EQ(top.CanUndo(), 0) << context();
        ASSERT_EQ(FirstDifference(ExactPage(top), history.Opened()), "") << "all undone\n"
                                                                         << context();
        ASSERT_EQ(Unsound(top, settings.strProject), "") << context();
        for (std::size_t n = 0; n < nRedo; ++n) {
            ASSERT_EQ(top.Redo(), 1) << "redo " << n << " of " << nRedo << "\n" << context();
            tessel::platform::ProcessEvents();
        }
        ASSERT_EQ(top.CanRedo(), 0) << context();
        ASSERT_EQ(FirstDifference(ExactPage(top), history.Last()), "") << "all redone\n"
                                                                       << context();
        tessel::platform::ProcessEvents();
    }
}

}  // namespace
