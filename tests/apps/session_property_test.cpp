// Random editing sessions on random pages, checked after every step against what the editing
// rules predict.
//
// A page is built from random pieces (text runs in several formats with English words, Chinese
// characters, punctuation and line breaks, runs longer than the reader keeps, pages longer than
// the row table holds, pictures, formulas, fill-in frames, check boxes, two-column frames). A
// session is a random sequence of what a user does: typing English and Chinese (by keys and by
// an input method), Enter, Tab, Backspace, Delete, the arrows, Home, End, Shift selections and
// clicks anywhere in the window. Each step goes in through the scripted-session player, so
// through Qt's events, and after it:
// - the cursor of every editor is a place of its document;
// - every row of the row table starts at a place inside its document;
// - the markup handed back reads back to the same elements;
// - a shadow model predicts the editor's document: the page as one string of bytes (an object
//   counts as one unit), where typing inserts the typed bytes at the offset the cursor stands
//   for (after removing a selection), Backspace removes the character before it and Delete the
//   one after it, and the moves change nothing. The cursor's offset after each change is
//   predicted too.
// The model has its own word rule and offsets, written from the rules and not from the editor.
//
// TESSEL_SESSIONS sets the number of sessions (a small number by default, so that the
// sanitizer build stays quick) and TESSEL_SESSION_SEED the first seed; a failure names the
// seed and the script up to the step that failed, which `tessel play` replays.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "document/link_slots.h"
#include "editor/tessel_edit.h"
#include "editor_host.h"
#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/user_input.h"
#include "player.h"

namespace {

using tessel::cli::EditorHost;
using tessel::cli::EditorSettings;

constexpr int kWidth = 300;
constexpr int kHeight = 200;
constexpr int kEnd = 60000;

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
// of its own (a value above any byte).
using Shadow = std::vector<int>;

Shadow ShadowOf(const std::vector<const CLink*>& links) {
    Shadow s;
    for (const CLink* p : links) {
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
        add(p->m_Font);
        add(p->m_Color);
        add(p->m_FootNote);
        // Of a hot link only its action code: no page here has links, and the parameters
        // the code's tag does not carry are not kept.
        format += "|link:" + std::to_string(p->m_HotLink[0].nValue) + '/';
        const bool bText = p->m_nKind == kKindText;
        // A frame's number in the table of column editors is the editor's own: not carried.
        const int nFrameNumberSlot =
            p->m_nKind == kKindMultiColumn ? 2 + tessel::slots::ColumnCount(*p) : -1;
        for (int i = 0; i < kCommandSlots; ++i) {
            const LINKPARAM& slot = p->m_Command[i];
            if (i == nFrameNumberSlot) continue;
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

enum class Change { kNone, kType, kBack, kDelete };

struct Step {
    std::string strScript;  // the player's lines
    Change change = Change::kNone;
    std::string strBytes;  // what kType types, in GBK
};

Step RandomStep(Random& random) {
    const int n = random.Below(100);
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
    if (n < 85) {
        static const std::vector<std::string> moves = {"Left", "Right", "Up",   "Down",
                                                       "Home", "End",   "Left", "Right"};
        return {"key " + random.Pick(moves) + "\n", Change::kNone, ""};
    }
    if (n < 92) {
        // A Shift selection over a few steps.
        static const std::vector<std::string> moves = {"Left", "Right", "Up",
                                                       "Down", "Home",  "End"};
        std::string script = "key Shift\n";
        for (int i = 1 + random.Below(4); i > 0; --i)
            script += "key " + random.Pick(moves) + " shift\n";
        return {script + "keyup Shift\n", Change::kNone, ""};
    }
    return {"click " + std::to_string(random.Below(kWidth + 20) - 10) + " " +
                std::to_string(random.Below(kHeight + 20) - 10) + "\n",
            Change::kNone, ""};
}

// --- The sessions ------------------------------------------------------------------------------

class SessionPropertyTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { tessel::platform::EnsureApplication(); }
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
    // The markup handed back, opened again, holds the same elements.
    const std::string markup = top.GetEditText();
    CTesselEdit again;
    again.m_rcEdit = top.m_rcEdit;
    again.SetDirPrj(strProject);
    again.m_pList = new CMyList;
    again.m_Analyzer.Convert(markup.c_str(), again.m_pList);
    again.PrevCreateList();
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    again.SetRow(&dc);
    const std::vector<std::string> before = Carried(top);
    const std::vector<std::string> after = Carried(again);
    if (before != after) {
        std::string e = "the markup handed back reads back differently:\n";
        for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
            const std::string a = i < before.size() ? before[i] : "(none)";
            const std::string b = i < after.size() ? after[i] : "(none)";
            if (a != b) {
                e += "  element " + std::to_string(i) + ":\n    " + tessel::platform::GbkToUtf8(a) +
                     "\n    " + tessel::platform::GbkToUtf8(b) + "\n";
                break;
            }
        }
        return e;
    }
    return "";
}

// What the model expects of the key editor after a change.
struct Prediction {
    Shadow shadow;
    std::optional<int> nCursor;  // the cursor's offset, where the rules fix it
};

Prediction Predict(CTesselEdit& editor, const Step& step) {
    const std::vector<const CLink*> links = Elements(editor.m_pList);
    Prediction p{ShadowOf(links), std::nullopt};
    int k = OffsetOf(links, editor.m_CurPos);
    const int nLo = OffsetOf(links, editor.m_SelStart);
    const int nHi = OffsetOf(links, editor.m_SelEnd);
    const bool bSelection = editor.m_SelStart != editor.m_SelEnd;
    switch (step.change) {
        case Change::kNone:
            return p;
        case Change::kType:
            if (bSelection) {
                p.shadow.erase(p.shadow.begin() + std::min(nLo, nHi),
                               p.shadow.begin() + std::max(nLo, nHi));
                k = std::min(nLo, nHi);
            }
            p.shadow.insert(p.shadow.begin() + k, step.strBytes.begin(), step.strBytes.end());
            for (std::size_t i = 0; i < step.strBytes.size(); ++i)
                p.shadow[k + i] = static_cast<unsigned char>(step.strBytes[i]);
            p.nCursor = k + static_cast<int>(step.strBytes.size());
            return p;
        case Change::kBack:
            if (k > 0) {
                const int n = CharacterUnits(links, k - 1);
                p.shadow.erase(p.shadow.begin() + k - n, p.shadow.begin() + k);
                k -= n;
            }
            p.nCursor = k;
            return p;
        case Change::kDelete:
            if (bSelection) {
                p.shadow.erase(p.shadow.begin() + std::min(nLo, nHi),
                               p.shadow.begin() + std::max(nLo, nHi));
                p.nCursor = std::min(nLo, nHi);
            } else if (k < static_cast<int>(p.shadow.size())) {
                const int n = CharacterUnits(links, k);
                p.shadow.erase(p.shadow.begin() + k, p.shadow.begin() + k + n);
                p.nCursor = k;
            } else {
                p.nCursor = k;
            }
            return p;
    }
    return p;
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
        settings.strProject = TESSEL_EXAMPLES_DIR;
        std::unique_ptr<EditorHost> pHost = EditorHost::Open(settings, page);
        ASSERT_TRUE(pHost);
        tessel::platform::ProcessEvents();
        CTesselEdit& top = pHost->Editor();
        tessel::play::Player player(top);
        std::string script;
        auto context = [&] {
            return "seed " + std::to_string(nSeed) + ", page:\n" +
                   tessel::platform::GbkToUtf8(page) + "\nscript:\n" + script;
        };
        ASSERT_EQ(Unsound(top, settings.strProject), "") << context();
        for (int i = 0; i < nSteps; ++i) {
            const Step step = RandomStep(random);
            CTesselEdit& target = KeyEditor(top);
            const Prediction expected = Predict(target, step);
            script += step.strScript;
            const tessel::play::PlayResult result = player.Play(step.strScript);
            ASSERT_EQ(result.nExit, 0) << result.strError << "\n" << context();
            ASSERT_EQ(Unsound(top, settings.strProject), "") << context();
            if (step.change == Change::kNone && &KeyEditor(top) != &target) continue;
            const std::vector<const CLink*> links = Elements(target.m_pList);
            ASSERT_EQ(Describe(ShadowOf(links)), Describe(expected.shadow)) << context();
            if (expected.nCursor) {
                ASSERT_EQ(OffsetOf(links, target.m_CurPos), *expected.nCursor) << context();
            }
        }
        tessel::platform::ProcessEvents();
    }
}

}  // namespace
