// Writing elements as an HTML fragment for publishing.
#include "markup/html_writer.h"

#include <charconv>
#include <cstdint>

#include "document/link_slots.h"
#include "document/picture_size.h"
#include "markup/html_state.h"
#include "markup/symbols.h"

namespace tessel::markup {
namespace {

void AppendNumber(std::string& s, std::int64_t n) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
    s.append(buf, end);
}

void AppendHex2(std::string& s, int n) {
    static constexpr char kDigits[] = "0123456789abcdef";
    s += kDigits[(n >> 4) & 0xF];
    s += kDigits[n & 0xF];
}

// Whether a browser reads the character at i (a lead byte and the byte after it) as one
// character. It does not when the second byte is missing or below 0x40 ('<', '"', '&' and
// the line breaks among them): it would take that byte as a character of its own.
bool BrowserPairs(std::string_view text, size_t i) {
    return CharLength(text, i) == 2 && static_cast<unsigned char>(text[i + 1]) >= 0x40;
}

// A value inside a double-quoted attribute. Names and answers are written as they stand,
// except for what would end the attribute or change its meaning: '"' and '&' become
// entities, and line breaks become character references so that they stay in the value
// instead of breaking the paragraph. A two-byte character goes out whole, unless a browser
// would not read it as one (BrowserPairs): then it is left out.
void AppendAttribute(std::string& s, std::string_view value) {
    size_t nFrom = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(value[i]))) {
            int n = CharLength(value, i);
            if (!BrowserPairs(value, i)) {
                s.append(value.substr(nFrom, i - nFrom));
                nFrom = i + n;
            }
            i += n - 1;
            continue;
        }
        const char* szEntity = nullptr;
        switch (value[i]) {
            case '"':
                szEntity = "&quot;";
                break;
            case '&':
                szEntity = "&amp;";
                break;
            case '\r':
                szEntity = "&#13;";
                break;
            case '\n':
                szEntity = "&#10;";
                break;
            default:
                continue;
        }
        s.append(value.substr(nFrom, i - nFrom));
        s += szEntity;
        nFrom = i + 1;
    }
    s.append(value.substr(nFrom));
}

// The name of the picture published for a formula: lower case (ASCII letters only; two-byte
// characters are kept whole), cut at the first ".fml", with ".gif" added.
std::string FormulaImageName(std::string_view file) {
    std::string name;
    name.reserve(file.size() + 4);
    for (size_t i = 0; i < file.size();) {
        unsigned char c = static_cast<unsigned char>(file[i]);
        if (CharLength(file, i) == 2) {
            name.append(file.substr(i, 2));
            i += 2;
        } else {
            name += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
            ++i;
        }
    }
    // Search by whole characters, so that ".fml" is never found across a character's bytes.
    for (size_t i = 0; i + 4 <= name.size();) {
        if (name.compare(i, 4, ".fml") == 0) {
            name.resize(i);
            break;
        }
        i += CharLength(name, i);
    }
    name += ".gif";
    return name;
}

void AppendImageTag(std::string& s, std::string_view src, std::int64_t nWidth, std::int64_t nHeight,
                    std::string_view alt) {
    s += "<Img SRC=\"";
    AppendAttribute(s, src);
    s += "\" width=\"";
    AppendNumber(s, nWidth);
    s += "\" height=\"";
    AppendNumber(s, nHeight);
    s += "\" alt=\"";
    AppendAttribute(s, alt);
    s += "\">";
}

class HtmlWriter {
  public:
    explicit HtmlWriter(std::string& out) : m_out(out) {}

    void Element(const CLink& link) {
        switch (link.m_nKind) {
            case kKindText:
                Text(link);
                break;
            case kKindImage:
                Image(link);
                break;
            case kKindFormula: {
                const std::string& file = slots::FileName(link);
                std::int64_t nScale = slots::FormulaScale(link);
                AppendImageTag(m_out, FormulaImageName(file),
                               nScale * slots::FormulaWidth(link) / 100,
                               nScale * slots::FormulaHeight(link) / 100, file);
                break;
            }
            case kKindEdit:
                m_out += "<input type=\"text\" name=\"";
                AppendAttribute(m_out, slots::EditAnswer(link));
                m_out += "\" size=\"";
                AppendNumber(m_out, slots::EditWidth(link) / 8);
                m_out += "\">";
                break;
            case kKindCheck:
                if (g_nRadioGroupSize > 0) {
                    m_out += "<input type=\"radio\" name=\"radioButton";
                    AppendNumber(m_out, g_nRadioGroupNumber);
                    m_out += "\" value=\"radiobutton\">";
                } else {
                    m_out += "<input type=\"checkbox\" name=\"checkbox\" value=\"checkbox\">";
                }
                break;
            case kKindChoice:
                g_nRadioGroupSize = slots::ChoiceOptions(link);
                ++g_nRadioGroupNumber;
                break;
            default:  // scores, clocks and column frames have no HTML form
                break;
        }
    }

  private:
    void Text(const CLink& link) {
        bool bAnchor = link.m_HotLink[0].nValue != kNoHotLink && AppendHtmlAnchor(link, m_out);
        BuildFormat(link);
        m_out += g_strHtmlOpen;
        m_text.clear();
        const std::string& text = slots::Text(link);
        for (size_t i = 0; i < text.size();) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (IsLeadByte(c)) {
                // A character's two bytes go out together, whatever the second one is. One
                // that a browser would not read as one character (BrowserPairs) is not
                // written at all: neither its lead byte, which would show as a broken
                // character, nor its second byte, which belongs to it ('<' included).
                int n = CharLength(text, i);
                if (BrowserPairs(text, i)) m_text.append(text, i, n);
                i += n;
                continue;
            }
            switch (c) {
                case ' ':
                    m_text += "&nbsp;";
                    break;
                case '"':
                    m_text += "&quot;";
                    break;
                case '&':
                    m_text += "&amp;";
                    break;
                case '<':
                    m_text += "&lt;";
                    break;
                case '>':
                    m_text += "&gt;";
                    break;
                default:
                    m_text += static_cast<char>(c);
                    break;
            }
            ++i;
        }
        AppendHtmlText(m_text, m_out);
        m_out += g_strHtmlClose;
        if (bAnchor) m_out += "</a>";
    }

    // The tags that open and close the element's format, into the process-wide strings.
    static void BuildFormat(const CLink& link) {
        std::string& open = g_strHtmlOpen;
        std::string& close = g_strHtmlClose;
        open.clear();
        close.clear();
        open += "<Font Face=\"";
        AppendAttribute(open, link.m_Font[0].strText);
        open += "\" Size=\"";
        AppendNumber(open, HtmlFontSize(link.m_Font[1].nValue));
        // Colour values are taken as the editor draws them: the low byte of each.
        open += "\" Color=\"#";
        for (const LINKPARAM& colour : link.m_Color)
            AppendHex2(open, colour.nValue);
        open += "\">";
        bool bItalic = link.m_Font[2].nValue, bBold = link.m_Font[3].nValue,
             bUnderline = link.m_Font[4].nValue;
        if (bItalic) open += "<I>";
        if (bBold) open += "<B>";
        if (bUnderline) open += "<U>";
        if (bUnderline) close += "</U>";
        if (bBold) close += "</B>";
        if (bItalic) close += "</I>";
        close += "</Font>";
    }

    void Image(const CLink& link) {
        int nWidth = 0, nHeight = 0;
        // A picture that did not load writes nothing, its anchor included, so that no anchor
        // is ever left open.
        if (!QueryPictureSize(link.m_pPicture.get(), &nWidth, &nHeight)) return;
        bool bAnchor = link.m_HotLink[0].nValue != kNoHotLink && AppendHtmlAnchor(link, m_out);
        std::int64_t nScale = slots::ImageScale(link);
        const std::string& file = slots::FileName(link);
        AppendImageTag(m_out, file, nWidth * nScale / 100, nHeight * nScale / 100, file);
        if (bAnchor) m_out += "</a>";
    }

    std::string& m_out;
    std::string m_text;
};

void AppendPageHref(std::string& s, const LINKPARAM& page, bool bTargetBlank) {
    s += "<a Href=\"";
    AppendAttribute(s, page.strText);
    s += ".htm\"";
    if (bTargetBlank) s += " target=_blank";
    s += '>';
}

void AppendHref(std::string& s, std::string_view target) {
    s += "<a Href=\"";
    AppendAttribute(s, target);
    s += "\">";
}

}  // namespace

int HtmlFontSize(int nSize) {
    if (nSize <= 8) return 1;
    if (nSize <= 12) return 2;
    if (nSize <= 18) return 3;
    if (nSize <= 24) return 4;
    if (nSize <= 36) return 5;
    return 7;
}

bool AppendHtmlAnchor(const CLink& link, std::string& strOut) {
    const LINKPARAM* h = link.m_HotLink;
    switch (h[0].nValue) {
        case 0:
            AppendPageHref(strOut, h[1], false);
            return true;
        case 1:
            AppendPageHref(strOut, h[5], true);
            return true;
        case 2:
            AppendPageHref(strOut, h[3], true);
            return true;
        case 3:
            strOut += "<a Href=\"javascript:changeSubPage(";
            AppendNumber(strOut, h[1].nValue);
            strOut += ',';
            AppendAttribute(strOut, h[2].strText);
            strOut += ".htm)\">";
            return true;
        case 5:
            AppendPageHref(strOut, h[1], true);
            return true;
        case 20:
            AppendHref(strOut, "window.close()");
            return true;
        case 23:
        case 30:
            AppendHref(strOut, h[1].strText);
            return true;
        case 31:
            AppendHref(strOut, "parent.history.back()");
            return true;
        default:  // 4, 10 to 13, 21, 22 and codes outside the table: no anchor
            return false;
    }
}

void AppendHtmlText(std::string_view text, std::string& strOut) {
    size_t nFrom = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (CharLength(text, i) == 2) {
            i += 2;
        } else if (c == '\r' || c == '\n') {
            strOut.append(text.substr(nFrom, i - nFrom));
            strOut += g_strHtmlClose;
            strOut += "\n<p>";
            strOut += g_strHtmlOpen;
            nFrom = ++i;
        } else {
            ++i;
        }
    }
    strOut.append(text.substr(nFrom));
}

void WriteHtml(std::string& strOut, CMyList& list) {
    HtmlWriter writer(strOut);
    for (list.First(); list.IsInList(); list.Next())
        writer.Element(*list.GetCurr());
}

}  // namespace tessel::markup
