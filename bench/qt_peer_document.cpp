// The peer benchmarks compare against (qt_peer_document.h).

#include "qt_peer_document.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "document/link.h"
#include "document/my_list.h"
#include "document/picture_size.h"
#include "markup/html_writer.h"
#include "platform/gbk.h"

namespace tessel::bench {

QString FromGbk(std::string_view gbk) {
    return QString::fromStdString(tessel::platform::GbkToUtf8(gbk));
}

namespace {

// The fragment writes every anchor it has; one without its address is a fault of the writer.
[[noreturn]] void Fail(const char* szWhat) {
    std::fprintf(stderr, "peer document: %s\n", szWhat);
    std::exit(1);
}

// The href of the element's hot link as our fragment writes it; empty when the action has no
// anchor there.
std::string HotLinkHref(const CLink& link) {
    if (link.m_HotLink[0].nValue == kNoHotLink) return {};
    std::string strAnchor;
    if (!tessel::markup::AppendHtmlAnchor(link, strAnchor)) return {};
    const std::string_view kOpen = "Href=\"";
    size_t nFrom = strAnchor.find(kOpen);
    if (nFrom == std::string::npos) Fail("an anchor without Href");
    nFrom += kOpen.size();
    size_t nTo = strAnchor.find('"', nFrom);
    if (nTo == std::string::npos) Fail("an anchor whose Href does not end");
    std::string strHref;
    std::string_view value(strAnchor.data() + nFrom, nTo - nFrom);
    for (size_t i = 0; i < value.size();) {
        bool bEntity = false;
        for (auto [szEntity, c] :
             {std::pair{"&quot;", '"'}, {"&amp;", '&'}, {"&#13;", '\r'}, {"&#10;", '\n'}}) {
            if (value.substr(i).starts_with(szEntity)) {
                strHref += c;
                i += std::strlen(szEntity);
                bEntity = true;
                break;
            }
        }
        if (!bEntity) strHref += value[i++];
    }
    return strHref;
}

void SetHotLink(QTextCharFormat& format, const CLink& link) {
    std::string strHref = HotLinkHref(link);
    if (strHref.empty()) return;
    format.setAnchor(true);
    format.setAnchorHref(FromGbk(strHref));
}

// The name our fragment gives a formula's picture: lower case, cut at ".fml", ".gif" added.
std::string FormulaPictureName(std::string_view file) {
    std::string name;
    for (size_t i = 0; i < file.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(file[i]);
        if (c >= 0x80 && i + 1 < file.size()) {
            name.append(file.substr(i, 2));
            ++i;
        } else {
            name += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        }
    }
    if (size_t nAt = name.find(".fml"); nAt != std::string::npos) name.resize(nAt);
    return name + ".gif";
}

void InsertImage(QTextCursor& cursor, const CLink& link, const QString& strName,
                 std::int64_t nWidth, std::int64_t nHeight) {
    QTextImageFormat format;
    format.setName(strName);
    format.setWidth(static_cast<qreal>(nWidth));
    format.setHeight(static_cast<qreal>(nHeight));
    SetHotLink(format, link);
    cursor.insertImage(format);
}

void InsertText(QTextCursor& cursor, const CLink& link) {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{FromGbk(link.m_Font[0].strText)});
    format.setFontPointSize(link.m_Font[1].nValue);
    format.setFontItalic(link.m_Font[2].nValue != 0);
    format.setFontWeight(link.m_Font[3].nValue != 0 ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(link.m_Font[4].nValue != 0);
    // The low byte of each colour value, as the fragment writes it.
    format.setForeground(QColor(link.m_Color[0].nValue & 0xFF, link.m_Color[1].nValue & 0xFF,
                                link.m_Color[2].nValue & 0xFF));
    SetHotLink(format, link);
    const std::string& text = link.m_Command[0].strText;
    size_t nFrom = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        bool bEnd = i == text.size();
        if (!bEnd && static_cast<unsigned char>(text[i]) >= 0x80) {
            ++i;  // the second byte of a two-byte character is never a line break
            continue;
        }
        if (!bEnd && text[i] != '\r' && text[i] != '\n') continue;
        if (i > nFrom)
            cursor.insertText(FromGbk(std::string_view(text).substr(nFrom, i - nFrom)), format);
        if (!bEnd) cursor.insertBlock();
        nFrom = i + 1;
    }
}

}  // namespace

void BuildPeerDocument(CMyList& list, QTextDocument& doc, const PictureName& pictureName) {
    QTextCursor cursor(&doc);
    bool bChoice = false;
    for (list.First(); list.IsInList(); list.Next()) {
        const CLink& link = *list.GetCurr();
        switch (link.m_nKind) {
            case kKindText:
                InsertText(cursor, link);
                break;
            case kKindImage: {
                int nWidth = 0, nHeight = 0;
                if (!tessel::QueryPictureSize(link.m_pPicture.get(), &nWidth, &nHeight)) break;
                std::int64_t nScale = link.m_Command[2].nValue;
                InsertImage(cursor, link,
                            pictureName ? pictureName(link) : FromGbk(link.m_Command[0].strText),
                            nWidth * nScale / 100, nHeight * nScale / 100);
                break;
            }
            case kKindFormula: {
                std::int64_t nScale = link.m_Command[1].nValue;
                InsertImage(cursor, link, FromGbk(FormulaPictureName(link.m_Command[0].strText)),
                            nScale * link.m_Command[2].nValue / 100,
                            nScale * link.m_Command[3].nValue / 100);
                break;
            }
            case kKindEdit: {
                QTextCharFormat format;
                format.setFontUnderline(true);
                format.setAnchor(true);
                format.setAnchorNames(QStringList{FromGbk(link.m_Command[2].strText)});
                cursor.insertText(QString(std::max(1, link.m_Command[0].nValue / 8), u' '), format);
                break;
            }
            case kKindCheck:
                cursor.insertText(bChoice ? QString(QChar(0x25CB)) : QString(QChar(0x2610)),
                                  QTextCharFormat());
                break;
            case kKindChoice:
                bChoice = link.m_Command[1].nValue > 0;
                break;
            default:
                break;
        }
    }
}

}  // namespace tessel::bench
