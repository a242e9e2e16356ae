// Reads arbitrary bytes as markup and checks the reader and the writer against each other.
//
//   E1 = read(input)  W1 = write(E1)  E2 = read(W1)  W2 = write(E2)  E3 = read(W2)
//   W3 = write(E3)
//
// - Every diagnostic names bytes of the text read (reading) or an element (writing).
// - The two forms of CodeGeneration write the same bytes.
// - Whenever a write reports no loss, reading its markup loses nothing; when it reports
//   nothing at all, reading it gives back every element with the values its tags carry
//   (tabs as four spaces, carriage returns as line feeds, Text elements with empty text
//   not written).
// - Reading and writing are stable from E2 on: E2 == E3 in every field of every slot, and
//   W2 == W3. When writing E2 still reports something, E2 is read again from W2 (a few
//   rounds at most) before the comparison.
// - The HTML form of E1 keeps every value inside its tag: outside tags a "<" only starts a
//   tag the writer writes, ">" never stands alone, and a byte that starts a two-byte
//   character is followed by one a browser pairs with it; inside tags quotation marks pair.
// On a failure both sides are printed and the target aborts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/findings.h"
#include "markup/word_analyzer.h"
#include "print_bytes.h"

namespace {

class CollectingSink : public IMarkupSink {
  public:
    void Report(const MarkupDiagnostic& diag) override { m_Diags.push_back(diag); }
    std::vector<MarkupDiagnostic> m_Diags;
};

[[noreturn]] void Fail(const char* szWhat) {
    std::fprintf(stderr, "convert_fuzz: %s\n", szWhat);
    std::fflush(stderr);
    std::abort();
}

void PrintDiagnostic(const MarkupDiagnostic& d) {
    std::fprintf(stderr, "  issue %d loss %d offset %d length %d element %d value %d slot '%s'\n",
                 static_cast<int>(d.nIssue), d.bLoss ? 1 : 0, d.nOffset, d.nLength, d.nElement,
                 d.nValue, d.strSlot.c_str());
    PrintBytes("  detail", d.strDetail);
}

bool IsReadIssue(MarkupIssue issue) {
    return static_cast<int>(issue) >= static_cast<int>(MarkupIssue::kUnknownTag) &&
           static_cast<int>(issue) <= static_cast<int>(MarkupIssue::kStrayEscape);
}

bool IsWriteIssue(MarkupIssue issue) {
    return static_cast<int>(issue) >= static_cast<int>(MarkupIssue::kParamNotWritable) &&
           static_cast<int>(issue) <= static_cast<int>(MarkupIssue::kKindNotWritable);
}

// Every diagnostic of a read names bytes of the text that was read (nLen bytes, the
// reader sees the text up to its first NUL).
void CheckReadDiagnostics(const CollectingSink& sink, std::string_view text) {
    const long long nLen = static_cast<long long>(text.size());
    for (const MarkupDiagnostic& d : sink.m_Diags) {
        bool bGood = IsReadIssue(d.nIssue) && d.nElement == -1 && d.nOffset >= 0 &&
                     d.nOffset < nLen && d.nLength >= 0 &&
                     static_cast<long long>(d.nOffset) + d.nLength <= nLen;
        if (bGood && d.nIssue == MarkupIssue::kMarkupTooLong)
            bGood = d.nOffset == kMaxMarkupBytes && d.nLength == nLen - kMaxMarkupBytes;
        if (!bGood) {
            PrintBytes("markup", text);
            PrintDiagnostic(d);
            Fail("the reader reported a diagnostic outside the text");
        }
    }
}

// Every diagnostic of a write names an element of the list written.
void CheckWriteDiagnostics(const CollectingSink& sink, int nElements) {
    for (const MarkupDiagnostic& d : sink.m_Diags) {
        if (!IsWriteIssue(d.nIssue) || d.nOffset != -1 || d.nElement < 0 ||
            d.nElement >= nElements) {
            PrintDiagnostic(d);
            Fail("the writer reported a diagnostic that names no element");
        }
    }
}

std::vector<const CLink*> Elements(CMyList& list) {
    std::vector<const CLink*> links;
    for (list.First(); list.IsInList(); list.Next())
        links.push_back(list.GetCurr());
    return links;
}

struct Bank {
    const char* szName;
    const LINKPARAM* (*pfnSlots)(const CLink&);
    int nSlots;
};

const Bank kBanks[] = {
    {"Font", [](const CLink& l) -> const LINKPARAM* { return l.m_Font; }, kFontSlots},
    {"Color", [](const CLink& l) -> const LINKPARAM* { return l.m_Color; }, kColorSlots},
    {"FootNote", [](const CLink& l) -> const LINKPARAM* { return l.m_FootNote; }, kFootNoteSlots},
    {"HotLink", [](const CLink& l) -> const LINKPARAM* { return l.m_HotLink; }, kHotLinkSlots},
    {"Command", [](const CLink& l) -> const LINKPARAM* { return l.m_Command; }, kCommandSlots},
};

void PrintSlot(const char* szSide, const LINKPARAM& slot) {
    std::fprintf(stderr, "  %s: nType %d nValue %d\n", szSide, slot.nType, slot.nValue);
    PrintBytes("  strText", slot.strText);
}

// Compares two readings field by field; on the first difference prints both sides.
bool SameElements(const std::vector<const CLink*>& a, const std::vector<const CLink*>& b) {
    if (a.size() != b.size()) {
        std::fprintf(stderr, "element count: %zu against %zu\n", a.size(), b.size());
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i]->m_nKind != b[i]->m_nKind) {
            std::fprintf(stderr, "element %zu: kind %d against %d\n", i, a[i]->m_nKind,
                         b[i]->m_nKind);
            return false;
        }
        for (const Bank& bank : kBanks) {
            const LINKPARAM* pA = bank.pfnSlots(*a[i]);
            const LINKPARAM* pB = bank.pfnSlots(*b[i]);
            for (int k = 0; k < bank.nSlots; ++k) {
                if (pA[k] == pB[k]) continue;
                std::fprintf(stderr, "element %zu (kind %d): %s[%d] differs\n", i, a[i]->m_nKind,
                             bank.szName, k);
                PrintSlot("E2", pA[k]);
                PrintSlot("E3", pB[k]);
                return false;
            }
        }
    }
    return true;
}

struct Reading {
    CMyList list;
    std::vector<const CLink*> links;
    std::vector<MarkupDiagnostic> diags;
};

std::unique_ptr<Reading> Read(const CWordAnalyzer& analyzer, std::string_view markup,
                              const char* szText) {
    auto reading = std::make_unique<Reading>();
    CollectingSink sink;
    analyzer.Convert(szText, &reading->list, &sink);
    CheckReadDiagnostics(sink, markup);
    reading->links = Elements(reading->list);
    reading->diags = std::move(sink.m_Diags);
    return reading;
}

std::unique_ptr<Reading> Read(const CWordAnalyzer& analyzer, const std::string& strMarkup) {
    return Read(analyzer, strMarkup, strMarkup.c_str());
}

// Writes the elements and returns what the writer reported.
std::vector<MarkupDiagnostic> Write(const CWordAnalyzer& analyzer, Reading& reading,
                                    std::string& strOut) {
    CollectingSink sink;
    analyzer.CodeGeneration(strOut, &reading.list, 0, &sink);
    CheckWriteDiagnostics(sink, static_cast<int>(reading.links.size()));
    return std::move(sink.m_Diags);
}

// --- What a write carries ---------------------------------------------------------------
// When the writer reports nothing, reading its markup gives back every element it wrote
// with the values its tag carries: a Text element with empty text is not written, a tab
// comes back as four spaces and a carriage return as a line feed.

std::string ExpectedText(const std::string& strText) {
    std::string strOut;
    for (std::size_t i = 0; i < strText.size(); ++i) {
        const char c = strText[i];
        if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < strText.size()) {
            strOut += c;  // a two-byte character is written unchanged, whatever its bytes
            strOut += strText[++i];
        } else if (c == '\t') {
            strOut += "    ";
        } else if (c == '\r') {
            strOut += '\n';
        } else {
            strOut += c;
        }
    }
    return strOut;
}

bool IsWritten(const CLink& link) {
    if (link.m_nKind == kKindText) return !link.m_Command[0].strText.empty();
    return link.m_nKind >= kKindText && link.m_nKind <= kKindEndColumn &&
           (link.m_nKind < kKindDate || link.m_nKind > kKindCountTime);
}

class Agreement {
  public:
    Agreement(const CLink& written, const CLink& read, std::size_t nIndex)
        : m_w(written), m_r(read), m_nIndex(nIndex) {}

    bool Check() {
        if (m_w.m_nKind != m_r.m_nKind) return Mismatch("kind", m_w.m_nKind, m_r.m_nKind);
        switch (m_w.m_nKind) {
            case kKindText:
                return Format() && FootNote() && HotLink() &&
                       Text("Command[0]", ExpectedText(m_w.m_Command[0].strText),
                            m_r.m_Command[0].strText);
            case kKindImage:
                return CommandText(0) && CommandValues(1, 2) && HotLink();
            case kKindFormula:
                return CommandText(0) && CommandValues(1, 3);
            case kKindEdit:
                return CommandValues(0, 1) && CommandText(2) && CommandValues(3, 5);
            case kKindCheck:
                return CommandValues(0, 0);
            case kKindChoice:
                return CommandValues(0, 1);
            case kKindPageTotalScore:
            case kKindPageScore:
            case kKindTotalScore:
                return Format() && CommandText(0);
            case kKindMultiColumn: {
                int nLast = m_w.m_Command[0].nValue + 1;
                if (nLast > kCommandSlots - 1) nLast = kCommandSlots - 1;
                return CommandValues(0, nLast < 0 ? 0 : nLast);
            }
            default:
                return true;
        }
    }

  private:
    bool Mismatch(const char* szWhat, int nWritten, int nRead) {
        std::fprintf(stderr, "element %zu (kind %d): %s written %d, read back %d\n", m_nIndex,
                     m_w.m_nKind, szWhat, nWritten, nRead);
        return false;
    }
    bool Value(const char* szBank, int k, int nWritten, int nRead) {
        if (nWritten == nRead) return true;
        std::string strWhat = std::string(szBank) + "[" + std::to_string(k) + "]";
        return Mismatch(strWhat.c_str(), nWritten, nRead);
    }
    bool Text(const char* szWhat, const std::string& strWritten, const std::string& strRead) {
        if (strWritten == strRead) return true;
        std::fprintf(stderr, "element %zu (kind %d): %s differs\n", m_nIndex, m_w.m_nKind, szWhat);
        PrintBytes("  written", strWritten);
        PrintBytes("  read back", strRead);
        return false;
    }
    bool CommandText(int k) {
        std::string strWhat = "Command[" + std::to_string(k) + "]";
        return Text(strWhat.c_str(), m_w.m_Command[k].strText, m_r.m_Command[k].strText);
    }
    bool CommandValues(int nFirst, int nLast) {
        for (int k = nFirst; k <= nLast; ++k)
            if (!Value("Command", k, m_w.m_Command[k].nValue, m_r.m_Command[k].nValue))
                return false;
        return true;
    }
    bool Format() {
        if (!Text("Font[0]", m_w.m_Font[0].strText, m_r.m_Font[0].strText)) return false;
        for (int k = 1; k < kFontSlots; ++k)
            if (!Value("Font", k, m_w.m_Font[k].nValue, m_r.m_Font[k].nValue)) return false;
        for (int k = 0; k < kColorSlots; ++k)
            if (!Value("Color", k, m_w.m_Color[k].nValue, m_r.m_Color[k].nValue)) return false;
        return true;
    }
    bool FootNote() {
        return Value("FootNote", 0, m_w.m_FootNote[0].nValue, m_r.m_FootNote[0].nValue);
    }
    bool LinkValue(int k) {
        return Value("HotLink", k, m_w.m_HotLink[k].nValue, m_r.m_HotLink[k].nValue);
    }
    bool LinkText(int k) {
        std::string strWhat = "HotLink[" + std::to_string(k) + "]";
        return Text(strWhat.c_str(), m_w.m_HotLink[k].strText, m_r.m_HotLink[k].strText);
    }
    // The code and the parameters its tag carries.
    bool HotLink() {
        const int nCode = m_w.m_HotLink[0].nValue;
        if (!LinkValue(0)) return false;
        switch (nCode) {
            case 0:
            case 4:
            case 5:
            case 30:
                return LinkText(1);
            case 1:
            case 21:
            case 22:
                return LinkValue(1) && LinkValue(2) && LinkValue(3) && LinkValue(4) && LinkText(5);
            case 2:
                return LinkValue(1) && LinkValue(2) && LinkText(3);
            case 3:
                return LinkValue(1) && LinkText(2);
            case 10:
            case 11:
            case 12:
            case 13:
                return (m_w.m_HotLink[1].nType != 0 ? LinkText(1) : LinkValue(1)) && LinkValue(2) &&
                       LinkValue(3);
            case 23:
                return LinkText(1) && LinkText(2) && LinkText(3) && LinkValue(4) && LinkValue(5);
            default:
                return true;
        }
    }

    const CLink& m_w;
    const CLink& m_r;
    std::size_t m_nIndex;
};

void CheckAgreement(const Reading& written, const Reading& read, std::string_view input,
                    const std::string& strMarkup) {
    std::vector<const CLink*> expected;
    for (const CLink* p : written.links)
        if (IsWritten(*p)) expected.push_back(p);
    bool bSame = expected.size() == read.links.size();
    if (!bSame)
        std::fprintf(stderr, "%zu elements written, %zu read back\n", expected.size(),
                     read.links.size());
    for (std::size_t i = 0; bSame && i < expected.size(); ++i)
        bSame = Agreement(*expected[i], *read.links[i], i).Check();
    if (!bSame) {
        PrintBytes("input", input);
        PrintBytes("markup written", strMarkup);
        Fail("the writer reported nothing, but its markup does not read back as written");
    }
}

constexpr std::size_t kReadable = static_cast<std::size_t>(kMaxMarkupBytes);

// Checks a reading of the writer's markup against what the writer reported about it: when
// it reported no loss, the reader loses nothing; when it reported nothing at all, the
// reader gets back what was written.
void CheckReadOfWrite(const Reading& written, const std::vector<MarkupDiagnostic>& writeDiags,
                      const std::string& strMarkup, const Reading& read, std::string_view input) {
    if (strMarkup.size() > kReadable) return;  // the reader cuts it, as it says
    bool bWriteLoss = false;
    for (const MarkupDiagnostic& d : writeDiags)
        bWriteLoss = bWriteLoss || d.bLoss;
    if (!bWriteLoss) {
        for (const MarkupDiagnostic& d : read.diags) {
            if (!d.bLoss) continue;
            PrintBytes("input", input);
            PrintBytes("markup written", strMarkup);
            PrintDiagnostic(d);
            Fail("the writer reported no loss, but reading its markup loses something");
        }
    }
    if (writeDiags.empty()) CheckAgreement(written, read, input, strMarkup);
}

// Rounds of reading the writer's markup again before the writer has nothing to report.
constexpr int kSettleRounds = 3;

}  // namespace

// The tags the HTML writer writes; in text, "<" starts nothing else.
constexpr std::string_view kHtmlTags[] = {"<Font ",  "</Font>", "<I>",  "</I>", "<B>",
                                          "</B>",    "<U>",     "</U>", "<p>",  "<Img ",
                                          "<input ", "<a ",     "</a>"};

void CheckHtml(CWordAnalyzer& analyzer, CMyList& list) {
    std::string html;
    analyzer.CodeGeneration(html, &list, 1);
    for (size_t i = 0; i < html.size();) {
        unsigned char c = static_cast<unsigned char>(html[i]);
        if (c == '<') {
            std::string_view rest = std::string_view(html).substr(i);
            bool bKnown = false;
            for (std::string_view tag : kHtmlTags)
                bKnown = bKnown || rest.starts_with(tag);
            if (!bKnown) {
                PrintBytes("HTML", html);
                Fail("a \"<\" in the HTML starts no tag of the writer");
            }
            // Inside the tag: quotation marks pair, and ">" outside them ends it.
            bool bQuoted = false;
            size_t j = i + 1;
            for (; j < html.size() && (bQuoted || html[j] != '>'); ++j) {
                if (html[j] == '"') bQuoted = !bQuoted;
            }
            if (j == html.size()) {
                PrintBytes("HTML", html);
                Fail("an HTML tag is not closed");
            }
            i = j + 1;
        } else if (c == '>') {
            PrintBytes("HTML", html);
            Fail("a \">\" stands alone in the HTML text");
        } else if (c >= 0x80) {
            if (i + 1 >= html.size() || static_cast<unsigned char>(html[i + 1]) < 0x40) {
                PrintBytes("HTML", html);
                Fail("half a character in the HTML text");
            }
            i += 2;
        } else {
            ++i;
        }
    }
}

// The account of what the page loses, made of all its bytes (NULs included): every finding
// names a byte of them or an element, says something, and the write's losses are among them.
void CheckFindings(std::string_view bytes, const std::vector<MarkupDiagnostic>& writeDiags) {
    const std::vector<tessel::markup::MarkupFinding> findings = tessel::markup::CheckPage(bytes);
    std::size_t nElementFindings = 0;
    for (const tessel::markup::MarkupFinding& finding : findings) {
        if (finding.strText.empty()) Fail("a finding says nothing");
        if (finding.nOffset >= 0 && static_cast<std::size_t>(finding.nOffset) > bytes.size())
            Fail("a finding names a byte beyond the page");
        nElementFindings += finding.nElement >= 0;
    }
    std::size_t nElementDiags = 0;
    for (const MarkupDiagnostic& d : writeDiags)
        nElementDiags += d.nElement >= 0;
    if (nElementFindings != nElementDiags) {
        std::fprintf(stderr, "  %zu element findings, %zu element diagnostics\n", nElementFindings,
                     nElementDiags);
        Fail("the findings do not account for every diagnostic of the write");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    // An exact copy with its terminating NUL, so that a read past the end is caught.
    auto text = std::make_unique<char[]>(nSize + 1);
    if (nSize) std::memcpy(text.get(), pData, nSize);
    text[nSize] = '\0';
    const std::string_view seen(text.get());  // the reader stops at the first NUL

    CWordAnalyzer analyzer;
    std::unique_ptr<Reading> e1 = Read(analyzer, seen, text.get());
    std::string w1;
    const std::vector<MarkupDiagnostic> d1 = Write(analyzer, *e1, w1);

    // The caller's-buffer form writes the same bytes into a buffer of exactly that size.
    {
        auto buffer = std::make_unique<char[]>(w1.size() + 1);
        analyzer.CodeGeneration(buffer.get(), &e1->list, 0);
        if (std::string_view(buffer.get()) != w1) {
            PrintBytes("W1 (string)", w1);
            PrintBytes("W1 (buffer)", buffer.get());
            Fail("the two forms of CodeGeneration differ");
        }
    }

    CheckHtml(analyzer, e1->list);
    CheckFindings(std::string_view(reinterpret_cast<const char*>(pData), nSize), d1);

    std::unique_ptr<Reading> e2 = Read(analyzer, w1);
    CheckReadOfWrite(*e1, d1, w1, *e2, seen);

    // E2 and W2. Reading W1 normalises what the first write could not carry. When writing
    // E2 still reports something (a text that grew past one run when its tabs became
    // spaces, say), the next reading is taken as the starting point instead.
    std::string w2;
    std::vector<MarkupDiagnostic> d2 = Write(analyzer, *e2, w2);
    for (int nRound = 0; !d2.empty() && nRound < kSettleRounds; ++nRound) {
        if (w2.size() > kReadable) break;
        std::unique_ptr<Reading> next = Read(analyzer, w2);
        CheckReadOfWrite(*e2, d2, w2, *next, seen);
        e2 = std::move(next);
        d2 = Write(analyzer, *e2, w2);
    }
    // A write longer than the reader takes cannot come back whole.
    if (w2.size() > kReadable) return 0;

    std::unique_ptr<Reading> e3 = Read(analyzer, w2);
    CheckReadOfWrite(*e2, d2, w2, *e3, seen);
    std::string w3;
    Write(analyzer, *e3, w3);

    if (!SameElements(e2->links, e3->links)) {
        PrintBytes("input", seen);
        PrintBytes("W1", w1);
        PrintBytes("W2", w2);
        Fail("reading the writer's markup again gives other elements (E2 != E3)");
    }
    if (w2 != w3) {
        PrintBytes("W2", w2);
        PrintBytes("W3", w3);
        Fail("writing the same elements again gives other markup (W2 != W3)");
    }
    return 0;
}
