// tessel check: everything a read of the markup drops or cuts, and everything the writer
// cannot write so that it reads back whole, in plain words with byte offsets.

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "document/my_list.h"
#include "input.h"
#include "markup/word_analyzer.h"
#include "platform/gbk.h"
#include "quote.h"

namespace tessel::cli {
namespace {

// Keeps every diagnostic the library reports, in order.
class CollectingSink : public IMarkupSink {
  public:
    void Report(const MarkupDiagnostic& diag) override { m_Diagnostics.push_back(diag); }
    std::vector<MarkupDiagnostic> m_Diagnostics;
};

std::string Bytes(long long nCount) {
    return std::to_string(nCount) + (nCount == 1 ? " byte" : " bytes");
}

std::string Plural(long long nCount, const char* szOne, const char* szMany) {
    return std::to_string(nCount) + " " + (nCount == 1 ? szOne : szMany);
}

bool IsTagClose(std::string_view text, size_t nPos) {
    return text[nPos] == '>' || text.substr(nPos, 2) == "\xA1\xB5";
}

// The tag that starts at nOffset as it stands in the input, up to and including its tag
// close, quoted; cut after 48 bytes (and at a NUL), since an unclosed tag can run to the end.
std::string QuoteTagAt(std::string_view input, int nOffset) {
    if (nOffset < 0 || static_cast<size_t>(nOffset) >= input.size()) return "\"\"";
    constexpr size_t kMaxExcerpt = 48;
    const std::string_view rest = input.substr(nOffset);
    size_t nEnd = 0;
    bool bCut = true;
    while (nEnd < rest.size() && nEnd < kMaxExcerpt && rest[nEnd] != '\0') {
        const bool bClose = nEnd > 0 && IsTagClose(rest, nEnd);
        nEnd += static_cast<unsigned char>(rest[nEnd]) >= 0x80 ? 2 : 1;  // whole characters
        if (bClose) {
            bCut = false;
            break;
        }
    }
    nEnd = std::min(nEnd, rest.size());
    std::string quoted = QuoteGbk(rest.substr(0, nEnd), kMaxExcerpt);
    if (bCut && nEnd < rest.size() && rest[nEnd] != '\0') quoted.insert(quoted.size() - 1, "...");
    return quoted;
}

// The bytes [nOffset, nOffset + nLength) of the input, quoted.
std::string QuoteRange(std::string_view input, int nOffset, int nLength) {
    if (nOffset < 0 || static_cast<size_t>(nOffset) >= input.size() || nLength <= 0) return "\"\"";
    return QuoteGbk(input.substr(nOffset, nLength));
}

// The name of an element kind, as its tag is written.
std::string KindName(int nKind) {
    if (nKind == kKindColumnFrame) return "column frame";
    for (int i = 0; nKind >= 0 && CWordAnalyzer::m_CommandID[i][0] != '\0'; ++i) {
        if (i == nKind) return CWordAnalyzer::m_CommandID[i];
    }
    return "kind " + std::to_string(nKind);
}

// What a slot holds, in words, for the parameters that are written as text.
std::string SlotMeaning(int nKind, std::string_view strSlot) {
    if (strSlot == "Font[0]") return "the font face";
    if (strSlot.starts_with("HotLink[")) return "the hot-link parameter";
    if (strSlot == "Command[0]") {
        switch (nKind) {
            case kKindText:
                return "the text";
            case kKindImage:
            case kKindFormula:
                return "the file name";
            case kKindPageTotalScore:
            case kKindPageScore:
            case kKindTotalScore:
                return "the score text";
            default:
                break;
        }
    }
    if (strSlot == "Command[2]" && nKind == kKindEdit) return "the standard answer";
    return "the parameter";
}

// Dropped characters for a message: quoted when they are whole GBK characters, else (a lone
// lead byte, say) as the byte values, since U+FFFD would not tell which byte it was.
std::string DescribeDropped(std::string_view gbk) {
    if (platform::GbkToUtf8(gbk).find("\xEF\xBF\xBD") == std::string::npos) {
        return QuoteGbk(gbk) + " dropped";
    }
    std::string out = gbk.size() == 1 ? "byte" : "bytes";
    for (const char c : gbk) {
        char szByte[8];
        std::snprintf(szByte, sizeof szByte, " 0x%02X", static_cast<unsigned char>(c));
        out += szByte;
    }
    return out + " dropped";
}

// What a parameter loses: its dropped characters and, when it is longer than a read keeps,
// its length (nValue).
std::string DescribeParamLoss(const MarkupDiagnostic& diag) {
    std::string out;
    if (diag.nValue > 0) {
        out = "it is " + Bytes(diag.nValue) + " long and a read keeps " +
              std::to_string(kMaxTextParamBytes) + ": the rest is dropped";
    }
    if (!diag.strDetail.empty()) {
        out += out.empty() ? "" : "; also ";
        out += DescribeDropped(diag.strDetail);
    }
    return out.empty() ? "part of it is dropped" : out;
}

// The plain-words account of a read diagnostic (what follows "byte N: ").
std::string DescribeRead(const MarkupDiagnostic& diag, std::string_view input) {
    const std::string strTag = QuoteTagAt(input, diag.nOffset);
    switch (diag.nIssue) {
        case MarkupIssue::kUnknownTag:
            return "unknown tag " + strTag + ": reading stops here; " + Bytes(diag.nLength) +
                   (diag.nLength == 1 ? " is" : " are") + " not read";
        case MarkupIssue::kMarkupTooLong:
            return "the markup is longer than " + std::to_string(kMaxMarkupBytes) +
                   " bytes, the most one read takes: the last " + Bytes(diag.nLength) +
                   (diag.nLength == 1 ? " is" : " are") + " not read";
        case MarkupIssue::kEmbeddedNul:
            if (diag.nLength == 0) return "a NUL byte ends the markup; nothing follows it";
            return "a NUL byte ends the markup; " + Bytes(diag.nLength) + " after it " +
                   (diag.nLength == 1 ? "is" : "are") + " not read";
        case MarkupIssue::kTextRunTooLong:
            return "a text run longer than " + std::to_string(kMaxTextRunBytes) +
                   " bytes is cut: the " + Bytes(diag.nLength) + " after its first " +
                   std::to_string(kMaxTextRunBytes) + " are dropped";
        case MarkupIssue::kTextParamTooLong:
            return "a text parameter longer than " + std::to_string(kMaxTextParamBytes) +
                   " bytes is cut: the " + Bytes(diag.nLength) + " after its first " +
                   std::to_string(kMaxTextParamBytes) + " are dropped" +
                   (diag.strDetail.empty() ? "" : " (" + QuoteGbk(diag.strDetail) + ")");
        case MarkupIssue::kNumberTooLong:
            return "a number longer than " + std::to_string(kMaxNumberChars) +
                   " characters is cut: its last " +
                   Plural(diag.nLength, "character", "characters") + ", " +
                   QuoteRange(input, diag.nOffset, diag.nLength) + ", " +
                   (diag.nLength == 1 ? "is" : "are") + " ignored";
        case MarkupIssue::kTooManyParams:
            return "the tag gives more than " + std::to_string(kMaxParams) +
                   " parameters: from parameter " + std::to_string(kMaxParams + 1) + " on, " +
                   QuoteRange(input, diag.nOffset, diag.nLength) + " (" + Bytes(diag.nLength) +
                   ") " + (diag.nLength == 1 ? "is" : "are") + " ignored";
        case MarkupIssue::kUnclosedTag:
            return "the tag " + strTag + " is never closed: it is read as text";
        case MarkupIssue::kMissingListClose:
            return "the parameter list " + strTag +
                   " has no closing bracket: its parameters are read up to the tag close";
        case MarkupIssue::kUnmatchedClose:
            return "the closing tag " + strTag + " closes nothing and is ignored";
        case MarkupIssue::kEmptyTag:
            return "the empty tag " + strTag + " is ignored";
        case MarkupIssue::kIgnoredKeyword:
            return "the tag " + strTag + " makes no element and is skipped";
        case MarkupIssue::kIncompleteCharacter: {
            char szByte[8] = "?";
            if (diag.nOffset >= 0 && static_cast<size_t>(diag.nOffset) < input.size()) {
                std::snprintf(szByte, sizeof szByte, "0x%02X",
                              static_cast<unsigned char>(input[diag.nOffset]));
            }
            return std::string("the byte ") + szByte +
                   " starts a two-byte character but the text ends after it: it is dropped";
        }
        case MarkupIssue::kStrayEscape: {
            std::string strEscape = QuoteGbk(diag.strDetail);
            if (diag.nOffset >= 0 && static_cast<size_t>(diag.nOffset) < input.size()) {
                // The escape symbol (one or two bytes) and the character it stands before.
                size_t nLength = static_cast<unsigned char>(input[diag.nOffset]) >= 0x80 ? 2 : 1;
                if (diag.nOffset + nLength < input.size()) {
                    nLength +=
                        static_cast<unsigned char>(input[diag.nOffset + nLength]) >= 0x80 ? 2 : 1;
                }
                strEscape = QuoteGbk(input.substr(diag.nOffset, nLength));
            }
            return "the escape " + strEscape +
                   " protects an ordinary character: it is kept as text as it stands";
        }
        default:
            break;
    }
    return "the read changes something here (issue " +
           std::to_string(static_cast<int>(diag.nIssue)) + ")";
}

// The plain-words account of a write diagnostic (what follows "element N (Kind), Slot: ").
std::string DescribeWrite(const MarkupDiagnostic& diag, int nKind) {
    switch (diag.nIssue) {
        case MarkupIssue::kParamNotWritable:
            return SlotMeaning(nKind, diag.strSlot) +
                   " cannot be written whole: " + DescribeParamLoss(diag);
        case MarkupIssue::kHotLinkNotWritable:
            return "the hot-link action code " + std::to_string(diag.nValue) +
                   " has no markup form: the link is not written and is lost";
        case MarkupIssue::kTextNotWritable:
            return "the text cannot be written whole: " + (diag.strDetail.empty()
                                                               ? "part of it is dropped"
                                                               : DescribeDropped(diag.strDetail));
        case MarkupIssue::kTextSplit:
            return "the text is longer than one run can hold: it is written as " +
                   std::to_string(diag.nValue) + " runs, which read back as " +
                   std::to_string(diag.nValue) + " separate elements";
        case MarkupIssue::kKindNotWritable:
            return "an element of kind " + std::to_string(diag.nValue) +
                   " has no markup form: it is not written";
        default:
            break;
    }
    return "the writer changes something here (issue " +
           std::to_string(static_cast<int>(diag.nIssue)) + ")";
}

// Issues whose offset names a tag.
bool IsAboutTag(MarkupIssue nIssue) {
    switch (nIssue) {
        case MarkupIssue::kUnknownTag:
        case MarkupIssue::kUnclosedTag:
        case MarkupIssue::kUnmatchedClose:
        case MarkupIssue::kEmptyTag:
        case MarkupIssue::kIgnoredKeyword:
            return true;
        default:
            return false;
    }
}

// The reader skips line breaks before a unit; a finding about a tag points at the tag itself.
int SkipLineBreaks(std::string_view input, int nOffset) {
    if (nOffset < 0) return nOffset;
    size_t n = static_cast<size_t>(nOffset);
    while (n < input.size() && (input[n] == '\r' || input[n] == '\n'))
        ++n;
    return n < input.size() ? static_cast<int>(n) : nOffset;
}

// The library reads a NUL-terminated text and cannot see past the first NUL byte, so the
// tool tells what lies beyond it. When the read has already stopped before the NUL (at an
// unknown tag, or at the length limit), the bytes from the NUL on belong to that finding,
// which the library could only count up to the NUL.
void AccountForNul(std::string_view input, std::vector<MarkupDiagnostic>& diags) {
    const size_t nNul = input.find('\0');
    if (nNul == std::string_view::npos) return;
    for (const MarkupDiagnostic& diag : diags) {
        if (diag.nIssue == MarkupIssue::kEmbeddedNul) return;  // the library saw it after all
    }
    const auto nFromNul = static_cast<int>(input.size() - nNul);
    for (MarkupDiagnostic& diag : diags) {
        const bool bStops =
            diag.nIssue == MarkupIssue::kUnknownTag || diag.nIssue == MarkupIssue::kMarkupTooLong;
        if (bStops && diag.nOffset >= 0 && static_cast<size_t>(diag.nOffset) <= nNul) {
            diag.nLength += nFromNul;
            return;
        }
    }
    MarkupDiagnostic diag;
    diag.nIssue = MarkupIssue::kEmbeddedNul;
    diag.nOffset = static_cast<int>(nNul);
    diag.nLength = nFromNul - 1;
    diag.bLoss = diag.nLength > 0;  // a single NUL at the very end hides nothing
    diags.push_back(diag);
}

struct Finding {
    bool bLoss = true;
    std::string strWhere;  // "byte 12", "element 3 (Image), Command[0]", or empty
    std::string strText;
};

int RunCheck(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPath;
    if (!ParseInputArgument(command, args, strPath)) return kExitFail;
    const std::optional<Input> input = ReadInput(strPath);
    if (!input) return kExitFail;
    const std::string_view bytes = input->strBytes;

    const CWordAnalyzer analyzer;
    CMyList list;
    CollectingSink readSink;
    analyzer.Convert(input->strBytes.c_str(), &list, &readSink);
    std::vector<MarkupDiagnostic> readDiags = std::move(readSink.m_Diagnostics);

    AccountForNul(bytes, readDiags);
    for (MarkupDiagnostic& diag : readDiags) {
        if (IsAboutTag(diag.nIssue)) diag.nOffset = SkipLineBreaks(bytes, diag.nOffset);
    }
    std::stable_sort(readDiags.begin(), readDiags.end(),
                     [](auto& a, auto& b) { return a.nOffset < b.nOffset; });

    std::vector<int> kinds;  // element kinds by index, for naming elements in findings
    for (list.First(); list.IsInList(); list.Next())
        kinds.push_back(list.GetCurr()->m_nKind);

    CollectingSink writeSink;
    std::string strWritten;
    analyzer.CodeGeneration(strWritten, &list, 0, &writeSink);

    std::vector<Finding> findings;
    for (const MarkupDiagnostic& diag : readDiags) {
        findings.push_back({diag.bLoss,
                            diag.nOffset >= 0 ? "byte " + std::to_string(diag.nOffset) : "",
                            DescribeRead(diag, bytes)});
    }
    for (const MarkupDiagnostic& diag : writeSink.m_Diagnostics) {
        const bool bKnown = diag.nElement >= 0 && static_cast<size_t>(diag.nElement) < kinds.size();
        const int nKind = bKnown ? kinds[diag.nElement] : -1;
        std::string strWhere;
        if (diag.nElement >= 0) {
            strWhere = "element " + std::to_string(diag.nElement);
            if (bKnown) strWhere += " (" + KindName(nKind) + ")";
        }
        if (!diag.strSlot.empty()) strWhere += (strWhere.empty() ? "" : ", ") + diag.strSlot;
        findings.push_back({diag.bLoss, strWhere, DescribeWrite(diag, nKind)});
    }
    if (strWritten.size() > static_cast<size_t>(kMaxMarkupBytes)) {
        const auto nWritten = static_cast<long long>(strWritten.size());
        findings.push_back({true, "",
                            "written back, the markup is " + Bytes(nWritten) +
                                ", but a read takes only the first " +
                                std::to_string(kMaxMarkupBytes) + ": the last " +
                                Bytes(nWritten - kMaxMarkupBytes) + " would be lost"});
    }

    std::string out;
    int nProblems = 0;
    int nNotes = 0;
    for (const Finding& finding : findings) {
        (finding.bLoss ? nProblems : nNotes) += 1;
        out += input->strName + ": ";
        if (!finding.strWhere.empty()) out += finding.strWhere + ": ";
        if (!finding.bLoss) out += "note: ";
        out += finding.strText + "\n";
    }
    out += input->strName + ": ";
    if (nProblems == 0) {
        out += "nothing is lost";
    } else {
        out += Plural(nProblems, "problem", "problems") + ": something would be lost";
    }
    if (nNotes > 0) out += " (" + Plural(nNotes, "note", "notes") + ")";
    out += "\n";
    if (!WriteStdout(out) || !FlushStdout()) return kExitFail;
    return nProblems == 0 ? kExitOk : kExitLoss;
}

}  // namespace

const Command kCheckCommand{
    .strName = "check",
    .strSynopsis = "[FILE|-]",
    .strSummary = "tell what a read or a write of the markup would drop or cut",
    .strHelp =
        "Reads the markup, writes the elements read back as markup, and tells, one finding\n"
        "per line, everything that gets lost on the way:\n"
        "\n"
        "  - what the read drops or cuts, with the byte offset (counted from 0) where it\n"
        "    happens: an unknown tag (reading stops there), a NUL byte (nothing after it is\n"
        "    read), markup past 20481 bytes, a text run past 2001 bytes, a text parameter\n"
        "    past 129 bytes, a number past 19 characters, parameters past the 20th, a lead\n"
        "    byte with no second byte;\n"
        "  - every parameter the writer cannot write so that it reads back whole, with the\n"
        "    element (counted from 0, in the order \"tessel dump\" prints them), its kind and\n"
        "    the slot, e.g. a file name holding \")\", \">\" or a line break, and markup\n"
        "    that, written back, is longer than a read takes;\n"
        "  - notes: things the read takes differently than written but without loss, such\n"
        "    as a closing tag that closes nothing. Notes are marked \"note:\".\n"
        "\n"
        "  exam.tsm: byte 1234: unknown tag \"<Foo>\": reading stops here; 5678 bytes are not "
        "read\n"
        "  exam.tsm: element 12 (Image), Command[0]: the file name cannot be written whole: "
        "\")\" dropped\n"
        "  exam.tsm: 2 problems: something would be lost\n"
        "\n"
        "Texts are quoted in UTF-8; control characters are shown as \\n, \\r, \\t or \\xHH.\n"
        "The last line sums up: \"nothing is lost\", or how many problems there are.\n"
        "\n"
        "Exit status: 0 nothing is lost (notes only, or no finding), 1 something would be\n"
        "lost, 2 the input cannot be read (or the output cannot be written).\n",
    .pRun = RunCheck,
};

}  // namespace tessel::cli
