// Writing elements back as markup.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "document/link_slots.h"
#include "markup/html_state.h"
#include "markup/html_writer.h"
#include "markup/param_text.h"
#include "markup/symbols.h"
#include "markup/word_analyzer.h"

namespace tessel::markup {
namespace {

constexpr int kMarkupMode = 0;

// Parameters of each hot-link opening tag after the code, by action code: 'd' writes the
// value of the next slot, 's' its text. Codes 10 to 13 depend on how slot 1 was given.
const char* HotLinkShape(const CLink& link) {
    switch (int nCode = link.m_HotLink[0].nValue) {
        case 0:
            return "s";
        case 1:
            return "dddds";
        case 2:
            return "dds";
        case 3:
            return "ds";
        case 4:
            return "s";
        case 5:
            return "s";
        case 10:
        case 11:
        case 12:
        case 13:
            return link.m_HotLink[1].nType != kParamNumber ? "sdd" : "ddd";
        case 20:
            return "";
        case 21:
        case 22:
            return "dddds";
        case 23:
            return "sssdd";
        case 30:
            return "s";
        case 31:
            return "";
        default:
            (void)nCode;
            return nullptr;
    }
}

const char* KindName(int nKind) {
    if (nKind >= 0 && nKind <= kKindEndColumn) return CWordAnalyzer::m_CommandID[nKind];
    return "frame";
}

class MarkupWriter {
  public:
    MarkupWriter(std::string& out, IMarkupSink* pSink) : m_out(out), m_pSink(pSink) {}

    void Element(const CLink& link, int nIndex) {
        m_nIndex = nIndex;
        switch (link.m_nKind) {
            case kKindText:
                Text(link);
                break;
            case kKindImage: {
                bool bLink = HotLinkOpen(link);
                Begin("Image");
                Quoted(slots::FileName(link), "Command", 0);
                Number(slots::ImageTransparent(link));
                Number(slots::ImageScale(link));
                End();
                if (bLink) Emit("</HotLink>");
                break;
            }
            case kKindFormula:
                Begin("Formula");
                Quoted(slots::FileName(link), "Command", 0);
                Number(slots::FormulaScale(link));
                Number(slots::FormulaWidth(link));
                Number(slots::FormulaHeight(link));
                End();
                break;
            case kKindEdit:
                Begin("Edit");
                Number(slots::EditWidth(link));
                Number(slots::EditHeight(link));
                Quoted(slots::EditAnswer(link), "Command", 2);
                Number(slots::EditTextColor(link));
                Number(slots::EditBackColor(link));
                Number(slots::EditStyle(link));
                End();
                break;
            case kKindCheck:
                Begin("Check");
                Number(slots::CheckState(link));
                End();
                break;
            case kKindChoice:
                Begin("Choice");
                Number(slots::ChoiceAnswer(link));
                Number(slots::ChoiceOptions(link));
                End();
                break;
            case kKindPageTotalScore:
            case kKindPageScore:
            case kKindTotalScore:
                FontOpen(link);
                Begin(KindName(link.m_nKind));
                Quoted(slots::ScorePage(link), "Command", 0);
                End();
                Emit("</Color></Font>");
                break;
            case kKindMultiColumn: {
                // The count, the gap and one width per column, as far as the slots go.
                int nWidths = std::clamp(slots::ColumnCount(link), 0, kCommandSlots - 2);
                Begin("MultiColumn");
                Number(slots::ColumnCount(link));
                Number(slots::ColumnGap(link));
                for (int i = 0; i < nWidths; ++i)
                    Number(slots::ColumnWidth(link, i));
                End();
                break;
            }
            case kKindStartColumn:
                Emit("<StartColumn>");
                break;
            case kKindEndColumn:
                Emit("<EndColumn>");
                break;
            default:
                Report(MarkupIssue::kKindNotWritable, true, {}, KindName(link.m_nKind),
                       link.m_nKind);
                break;
        }
    }

    // The opening hot-link tag of the element into m_tag; false when the code has none.
    bool HotLinkTag(const CLink& link) {
        const char* shape = HotLinkShape(link);
        if (!shape) return false;
        m_tag.clear();
        m_tag += "<HotLink(";
        AppendInt(m_tag, link.m_HotLink[0].nValue);
        for (int k = 1; shape[k - 1]; ++k) {
            m_tag += ',';
            if (shape[k - 1] == 'd')
                AppendInt(m_tag, link.m_HotLink[k].nValue);
            else
                AppendQuoted(link.m_HotLink[k].strText, "HotLink", k);
        }
        m_tag += ")>";
        return true;
    }
    const std::string& Tag() const { return m_tag; }

  private:
    void Text(const CLink& link) {
        bool bLink = HotLinkOpen(link);
        // The tags that open and close the run, kept so that a long text can be written as
        // several runs in the same format.
        size_t nOpenStart = m_out.size();
        FontOpen(link);
        int nFootNote = link.m_FootNote[0].nValue;
        if (nFootNote != kFootNoteNormal) {
            Begin("FootNote");
            Number(nFootNote);
            End();
        }
        std::string open = m_out.substr(nOpenStart);
        const char* szClose =
            nFootNote != kFootNoteNormal ? "</FootNote></Color></Font>" : "</Color></Font>";
        const std::string& text = slots::Text(link);
        int nRun = 0, nRuns = 1;
        std::string dropped;
        for (size_t i = 0; i < text.size();) {
            char piece[4];
            int nPiece = 0, nWeight = 0;
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (IsLeadByte(c)) {
                if (CharLength(text, i) == 1) {
                    // A lead byte that ends the text: written before the closing tags, it
                    // would take their "<". Nothing can carry it.
                    dropped += text[i];
                    ++i;
                    continue;
                }
                // The byte after a lead byte belongs to its character whatever it is, and is
                // written unchanged. "〈" would open a tag and "＼" would escape: protect them
                // with "\".
                if ((c == 0xA1 && text[i + 1] == '\xB4') || (c == 0xA3 && text[i + 1] == '\xDC'))
                    piece[nPiece++] = '\\';
                piece[nPiece++] = text[i];
                piece[nPiece++] = text[i + 1];
                i += 2;
                nWeight = nPiece;
            } else {
                switch (c) {
                    case '>':
                    case '<':
                    case '&':
                    case '(':
                    case ')':
                    case '\\':
                        piece[nPiece++] = '&';
                        break;
                    case '"':
                        piece[nPiece++] = '\\';
                        break;
                }
                if (c == '\r' || c == '\n') {
                    memcpy(piece, "&\r\n", 3);
                    nPiece = 3;
                } else {
                    piece[nPiece++] = text[i];
                }
                ++i;
                nWeight = c == '\t' ? 4 : nPiece;  // a tab reads back as four spaces
            }
            if (nRun + nWeight > kMaxTextRunBytes) {
                m_out += szClose;
                m_out += open;
                nRun = 0;
                ++nRuns;
            }
            m_out.append(piece, nPiece);
            nRun += nWeight;
        }
        m_out += szClose;
        if (bLink) m_out += "</HotLink>";
        if (!dropped.empty())
            Report(MarkupIssue::kTextNotWritable, true, Slot("Command", 0), dropped);
        if (nRuns > 1) Report(MarkupIssue::kTextSplit, false, Slot("Command", 0), {}, nRuns);
    }

    bool HotLinkOpen(const CLink& link) {
        int nCode = link.m_HotLink[0].nValue;
        if (nCode == kNoHotLink) return false;
        if (!HotLinkTag(link)) {
            Report(MarkupIssue::kHotLinkNotWritable, true, Slot("HotLink", 0), {}, nCode);
            return false;
        }
        Emit(m_tag);
        return true;
    }

    void FontOpen(const CLink& link) {
        Begin("Font");
        Quoted(link.m_Font[0].strText, "Font", 0);
        for (int i = 1; i <= 4; ++i)
            Number(link.m_Font[i].nValue);
        End();
        Begin("Color");
        for (int i = 0; i <= 2; ++i)
            Number(link.m_Color[i].nValue);
        End();
    }

    // Tag building: Begin, then parameters, then End writes the tag.
    void Begin(const char* szKeyword) {
        m_tag.clear();
        m_tag += '<';
        m_tag += szKeyword;
        m_tag += '(';
        m_bFirst = true;
    }
    void Separator() {
        if (!m_bFirst) m_tag += ',';
        m_bFirst = false;
    }
    void Number(int n) {
        Separator();
        AppendInt(m_tag, n);
    }
    void Quoted(const std::string& text, const char* szBank, int nSlot) {
        Separator();
        AppendQuoted(text, szBank, nSlot);
    }
    void End() {
        m_tag += ")>";
        Emit(m_tag);
    }
    void Emit(std::string_view s) { CWordAnalyzer().appendstr(s, m_out, kMarkupMode); }

    static void AppendInt(std::string& s, int n) {
        char buf[16];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
        s.append(buf, end);
    }

    // szBank and nSlot name the slot in what is reported.
    void AppendQuoted(const std::string& text, const char* szBank, int nSlot) {
        if (IsPlain(text)) {  // the common case needs no copy
            m_tag += '\'';
            m_tag += text;
            m_tag += '\'';
            return;
        }
        WritableParam w = MakeWritable(text);
        m_tag += CWordAnalyzer::m_szDelLQuotation[w.nQuote];
        m_tag += w.strText;
        m_tag += CWordAnalyzer::m_szDelRQuotation[w.nQuote];
        if (!w.strDropped.empty() || w.bCut) {
            std::string detail = w.strDropped;
            Report(MarkupIssue::kParamNotWritable, true, Slot(szBank, nSlot), detail,
                   w.bCut ? static_cast<int>(text.size()) : 0);
        }
    }

    // True when the text can be written in plain quotes as it stands: short, and free of
    // everything that could end it early.
    static bool IsPlain(const std::string& text) {
        if (text.size() > static_cast<size_t>(kMaxTextParamBytes)) return false;
        for (char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80 || c == '\'' || c == ')' || c == '>' ||
                c == '\\' || c == '\r' || c == '\n')
                return false;
        }
        return true;
    }

    static std::string Slot(const char* szBank, int nSlot) {
        return std::string(szBank) + "[" + std::to_string(nSlot) + "]";
    }

    void Report(MarkupIssue nIssue, bool bLoss, std::string_view slot, std::string_view detail,
                int nValue = 0) {
        if (!m_pSink) return;
        MarkupDiagnostic d;
        d.nIssue = nIssue;
        d.bLoss = bLoss;
        d.nElement = m_nIndex;
        d.nValue = nValue;
        d.strSlot = slot;
        d.strDetail = detail;
        m_pSink->Report(d);
    }

    std::string& m_out;
    IMarkupSink* m_pSink;
    std::string m_tag;
    bool m_bFirst = true;
    int m_nIndex = 0;
};

}  // namespace
}  // namespace tessel::markup

using namespace tessel::markup;

void CWordAnalyzer::CodeGeneration(std::string& strOut, CMyList* pList, int nMode,
                                   IMarkupSink* pSink) const {
    strOut.clear();
    ResetRadioGroups();  // radio groups never carry over from an earlier call, in either mode
    if (!pList) return;
    if (nMode != kMarkupMode) {
        WriteHtml(strOut, *pList);
        return;
    }
    MarkupWriter writer(strOut, pSink);
    int nIndex = 0;
    for (pList->First(); pList->IsInList(); pList->Next())
        writer.Element(*pList->GetCurr(), nIndex++);
}

void CWordAnalyzer::CodeGeneration(char* szOut, CMyList* pList, int nMode) const {
    std::string out;
    CodeGeneration(out, pList, nMode);
    memcpy(szOut, out.c_str(), out.size() + 1);
}

int CWordAnalyzer::FillHotLink(CMyList* pList, std::string& strOut, int nMode) const {
    strOut.clear();
    if (!pList || !pList->GetCurr()) return 0;
    if (nMode != kMarkupMode) return AppendHtmlAnchor(*pList->GetCurr(), strOut) ? 1 : 0;
    std::string scratch;
    MarkupWriter writer(scratch, nullptr);
    if (!writer.HotLinkTag(*pList->GetCurr())) return 0;
    appendstr(writer.Tag(), strOut, nMode);
    return 1;
}

int CWordAnalyzer::FillHotLink(CMyList* pList, char* szOut, int nMode) const {
    std::string out;
    int n = FillHotLink(pList, out, nMode);
    memcpy(szOut, out.c_str(), out.size() + 1);
    return n;
}

void CWordAnalyzer::appendstr(std::string_view text, std::string& strOut, int nMode) const {
    if (nMode != kMarkupMode) {
        AppendHtmlText(text, strOut);
        return;
    }
    size_t nFrom = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (tessel::CharLength(text, i) == 2) {
            i += 2;  // a two-byte character is never taken apart, whatever its second byte
        } else if (c == '\r' || c == '\n') {
            strOut.append(text.substr(nFrom, i - nFrom));
            strOut += "&\r\n";
            nFrom = ++i;
        } else {
            ++i;
        }
    }
    strOut.append(text.substr(nFrom));
}

void CWordAnalyzer::appendstr(const char* szText, char* szOut, int nMode) const {
    std::string out;
    appendstr(szText, out, nMode);
    memcpy(szOut + strlen(szOut), out.c_str(), out.size() + 1);
}
