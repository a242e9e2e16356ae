// What a read or a write of markup loses, in plain words, from the reader's and the writer's
// diagnostics.
#include "markup/findings.h"

#include <algorithm>
#include <cstdio>

#include "document/gbk_char.h"
#include "document/my_list.h"
#include "markup/diagnostics.h"
#include "markup/markup_limits.h"
#include "markup/word_analyzer.h"

namespace tessel::markup {
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

void AppendHexByte(std::string& out, char c, const char* szFormat) {
    char szByte[8];
    std::snprintf(szByte, sizeof szByte, szFormat, static_cast<unsigned char>(c));
    out += szByte;
}

// Whether the character at nPos (by the document's rule) is a GBK character: an ASCII byte,
// or a lead byte from 0x81 to 0xFE followed by a second byte from 0x40 to 0xFE other than
// 0x7F. Anything else (0x80 or 0xFF leading, a second byte below 0x40, a lead byte with
// nothing after it) is only a byte value.
bool IsGbkCharacter(std::string_view text, size_t nPos) {
    const auto c = static_cast<unsigned char>(text[nPos]);
    if (!IsLeadByte(c)) return true;
    if (CharLength(text, nPos) != 2 || c == 0x80 || c == 0xFF) return false;
    const auto c2 = static_cast<unsigned char>(text[nPos + 1]);
    return c2 >= 0x40 && c2 <= 0xFE && c2 != 0x7F;
}

bool IsAllGbkCharacters(std::string_view text) {
    for (size_t i = 0; i < text.size(); i += static_cast<size_t>(CharLength(text, i))) {
        if (!IsGbkCharacter(text, i)) return false;
    }
    return true;
}

bool IsTagClose(std::string_view text, size_t nPos) {
    return text[nPos] == '>' || text.substr(nPos, 2) == "\xA1\xB5";
}

// The tag that starts at nOffset as it stands in the input, up to and including its tag
// close, quoted; cut after 48 bytes (and at a NUL), since an unclosed tag can run to the end.
std::string QuoteTagAt(std::string_view input, int nOffset) {
    if (nOffset < 0 || static_cast<size_t>(nOffset) >= input.size()) return "\"\"";
    constexpr size_t kMaxExcerpt = 48;
    const std::string_view rest = input.substr(static_cast<size_t>(nOffset));
    size_t nEnd = 0;
    bool bCut = true;
    while (nEnd < rest.size() && nEnd < kMaxExcerpt && rest[nEnd] != '\0') {
        const bool bClose = nEnd > 0 && IsTagClose(rest, nEnd);
        nEnd += static_cast<size_t>(CharLength(rest, nEnd));  // whole characters
        if (bClose) {
            bCut = false;
            break;
        }
    }
    std::string quoted = QuoteExcerpt(rest.substr(0, nEnd), kMaxExcerpt);
    if (bCut && nEnd < rest.size() && rest[nEnd] != '\0') quoted.insert(quoted.size() - 1, "...");
    return quoted;
}

// The bytes [nOffset, nOffset + nLength) of the input, quoted.
std::string QuoteRange(std::string_view input, int nOffset, int nLength) {
    if (nOffset < 0 || static_cast<size_t>(nOffset) >= input.size() || nLength <= 0) return "\"\"";
    return QuoteExcerpt(input.substr(static_cast<size_t>(nOffset), static_cast<size_t>(nLength)));
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

// Dropped characters: quoted when they are whole GBK characters, else (a lone lead byte, say)
// as the byte values, which tell exactly what was there.
std::string DescribeDropped(std::string_view gbk) {
    if (IsAllGbkCharacters(gbk)) return QuoteExcerpt(gbk) + " dropped";
    std::string out = gbk.size() == 1 ? "byte" : "bytes";
    for (const char c : gbk)
        AppendHexByte(out, c, " 0x%02X");
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
    const bool bAtByte = diag.nOffset >= 0 && static_cast<size_t>(diag.nOffset) < input.size();
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
                   " bytes is cut: its last " + Bytes(diag.nLength) +
                   (diag.nLength == 1 ? " is" : " are") + " dropped";
        case MarkupIssue::kTextParamTooLong:
            return "a text parameter longer than " + std::to_string(kMaxTextParamBytes) +
                   " bytes is cut: its last " + Bytes(diag.nLength) +
                   (diag.nLength == 1 ? " is" : " are") + " dropped" +
                   (diag.strDetail.empty() ? "" : " (" + QuoteExcerpt(diag.strDetail) + ")");
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
            std::string strByte = "?";
            if (bAtByte) {
                strByte.clear();
                AppendHexByte(strByte, input[static_cast<size_t>(diag.nOffset)], "0x%02X");
            }
            return "the byte " + strByte +
                   " starts a two-byte character but the text ends after it: it is dropped";
        }
        case MarkupIssue::kStrayEscape: {
            std::string strEscape = QuoteExcerpt(diag.strDetail);
            if (bAtByte) {
                // The escape symbol (one or two bytes) and the character it stands before.
                const auto nAt = static_cast<size_t>(diag.nOffset);
                size_t nLength = static_cast<size_t>(CharLength(input, nAt));
                if (nAt + nLength < input.size())
                    nLength += static_cast<size_t>(CharLength(input, nAt + nLength));
                strEscape = QuoteExcerpt(input.substr(nAt, nLength));
            }
            return "the escape " + strEscape +
                   " protects an ordinary character: it is kept as text as it stands";
        }
        default:
            break;
    }
    return "the read changes something here (diagnostic " +
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
    return "the writer changes something here (diagnostic " +
           std::to_string(static_cast<int>(diag.nIssue)) + ")";
}

// The offset of the character boundary at or before nOffset, stepping from the start by the
// document's character rule as the reader does.
size_t CharBoundaryBefore(std::string_view text, size_t nOffset) {
    size_t n = 0;
    while (n < text.size()) {
        const size_t nNext = n + static_cast<size_t>(CharLength(text, n));
        if (nNext > nOffset) break;
        n = nNext;
    }
    return n;
}

// Where a read cuts markup longer than it takes: after the last character that lies wholly
// within the bytes read. A character that straddles the limit is lost with what follows it.
std::string DescribeCutAt(std::string_view markup, const char* szVerb) {
    constexpr size_t kBefore = 30;  // bytes shown before the cut, about half a line
    const size_t nCut = CharBoundaryBefore(markup, static_cast<size_t>(kMaxMarkupBytes));
    const size_t nBefore = CharBoundaryBefore(markup, nCut > kBefore ? nCut - kBefore : 0);
    return std::string("it ") + szVerb + " cut after " +
           QuoteExcerpt(markup.substr(nBefore, nCut - nBefore)) + ", before " +
           QuoteExcerpt(markup.substr(nCut), kBefore);
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
    auto n = static_cast<size_t>(nOffset);
    while (n < input.size() && (input[n] == '\r' || input[n] == '\n'))
        ++n;
    return n < input.size() ? static_cast<int>(n) : nOffset;
}

// The reader takes a NUL-terminated text and cannot see past the first NUL byte, so what
// lies beyond it is told here. When the read has already stopped before the NUL (at an
// unknown tag, or at the length limit), the bytes from the NUL on belong to that finding,
// which the reader could only count up to the NUL.
void AccountForNul(std::string_view input, std::vector<MarkupDiagnostic>& diags) {
    const size_t nNul = input.find('\0');
    if (nNul == std::string_view::npos) return;
    for (const MarkupDiagnostic& diag : diags) {
        if (diag.nIssue == MarkupIssue::kEmbeddedNul) return;  // the reader saw it after all
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

// Reads the bytes into the list and gives the read findings in byte order.
std::vector<MarkupFinding> ReadFindings(std::string_view bytes, CMyList& list) {
    const std::string strText(bytes);  // NUL-terminated for the reader
    const CWordAnalyzer analyzer;
    CollectingSink sink;
    analyzer.Convert(strText.c_str(), &list, &sink);
    std::vector<MarkupDiagnostic> diags = std::move(sink.m_Diagnostics);
    AccountForNul(bytes, diags);
    for (MarkupDiagnostic& diag : diags) {
        if (IsAboutTag(diag.nIssue)) diag.nOffset = SkipLineBreaks(bytes, diag.nOffset);
    }
    std::stable_sort(diags.begin(), diags.end(),
                     [](const auto& a, const auto& b) { return a.nOffset < b.nOffset; });

    std::vector<MarkupFinding> out;
    for (const MarkupDiagnostic& diag : diags) {
        MarkupFinding finding;
        finding.bLoss = diag.bLoss;
        finding.nOffset = diag.nOffset;
        if (diag.nOffset >= 0) finding.strWhere = "byte " + std::to_string(diag.nOffset);
        finding.strText = DescribeRead(diag, bytes);
        if (diag.nIssue == MarkupIssue::kMarkupTooLong)
            finding.strCutAt = DescribeCutAt(bytes, "is");
        out.push_back(std::move(finding));
    }
    return out;
}

}  // namespace

std::string QuoteExcerpt(std::string_view gbk, size_t nMaxChars) {
    std::string out = "\"";
    size_t nChars = 0;
    for (size_t i = 0; i < gbk.size();) {
        if (nChars++ == nMaxChars) {
            out += "...";
            break;
        }
        const auto n = static_cast<size_t>(CharLength(gbk, i));
        const char c = gbk[i];
        if (!IsGbkCharacter(gbk, i)) {
            for (size_t k = 0; k < n; ++k)
                AppendHexByte(out, gbk[i + k], "\\x%02X");
        } else if (n == 2) {
            out.append(gbk.substr(i, 2));
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            AppendHexByte(out, c, "\\x%02X");
        } else {
            out += c;  // backslashes too: file names in markup are Windows paths
        }
        i += n;
    }
    out += '"';
    return out;
}

std::vector<MarkupFinding> CheckReopen(std::string_view markup) {
    CMyList list;
    return ReadFindings(markup, list);
}

std::vector<MarkupFinding> CheckPage(std::string_view bytes) {
    CMyList list;
    std::vector<MarkupFinding> out = ReadFindings(bytes, list);

    std::vector<int> kinds;  // element kinds by index, for naming elements in findings
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext)
        kinds.push_back(p->m_nKind);

    const CWordAnalyzer analyzer;
    CollectingSink sink;
    std::string strWritten;
    analyzer.CodeGeneration(strWritten, &list, 0, &sink);
    for (const MarkupDiagnostic& diag : sink.m_Diagnostics) {
        const bool bKnown = diag.nElement >= 0 && static_cast<size_t>(diag.nElement) < kinds.size();
        const int nKind = bKnown ? kinds[static_cast<size_t>(diag.nElement)] : -1;
        MarkupFinding finding;
        finding.bLoss = diag.bLoss;
        finding.nElement = diag.nElement;
        if (diag.nElement >= 0) {
            finding.strWhere = "element " + std::to_string(diag.nElement);
            if (bKnown) finding.strWhere += " (" + KindName(nKind) + ")";
        }
        if (!diag.strSlot.empty())
            finding.strWhere += (finding.strWhere.empty() ? "" : ", ") + diag.strSlot;
        finding.strText = DescribeWrite(diag, nKind);
        out.push_back(std::move(finding));
    }

    if (strWritten.size() > static_cast<size_t>(kMaxMarkupBytes)) {
        const auto nWritten = static_cast<long long>(strWritten.size());
        MarkupFinding finding;
        finding.strText = "written back, the markup is " + Bytes(nWritten) +
                          ", but a read takes only the first " + std::to_string(kMaxMarkupBytes) +
                          ": the last " + Bytes(nWritten - kMaxMarkupBytes) + " would be lost";
        finding.strCutAt = DescribeCutAt(strWritten, "would be");
        out.push_back(std::move(finding));
    }
    return out;
}

}  // namespace tessel::markup
