// HTML from other programs read with Qt's rich-text import: QTextDocument parses the HTML
// (its CSS included), and the character formats of its fragments become the runs of text a
// page can hold. Blocks (paragraphs, table cells, list items) are separated by line breaks;
// everything else the document holds (tables' shape, pictures, block styles) is left out.
//
// The input is untrusted clipboard data. Past kMaxHtmlBytes only the first kMaxHtmlBytes are
// read (cut before a GBK character that would be split), which Qt's parser takes as HTML
// whose end is missing; it never reads past what it is given.

#include "platform/html_import.h"

#include <QBrush>
#include <QFont>
#include <QGuiApplication>
#include <QString>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFragment>
#include <QtGlobal>

#include <cmath>
#include <string>

#include "platform/gbk.h"
#include "platform/gdi_qt.h"
#include "platform/window_qt.h"

namespace tessel::platform {
namespace {

constexpr std::size_t kMaxHtmlBytes = std::size_t{4} << 20;
constexpr int kBoldWeight = 600;  // QFont::DemiBold and heavier count as bold
constexpr int kMaxPixelSize = 0xFFFF;

// The first nMax bytes of GBK text, not ending in the middle of a two-byte character.
std::string_view CutGbk(std::string_view gbk, std::size_t nMax) {
    if (gbk.size() <= nMax) return gbk;
    std::size_t n = 0;
    while (n < nMax) {
        const auto b = static_cast<unsigned char>(gbk[n]);
        const std::size_t nLength = b >= 0x81 && b <= 0xFE ? 2 : 1;
        if (n + nLength > nMax) break;
        n += nLength;
    }
    return gbk.substr(0, n);
}

// What office programs and browsers write that Qt's parser would misread, put the way it
// reads it:
// - the fragment markers of Windows clipboard HTML ("<!--StartFragment-->"): with them Qt
//   imports only the fragment and loses the style sheet in the head;
// - Word's empty-paragraph tags ("<o:p>&nbsp;</o:p>"), which Qt styles as paragraphs (its
//   text would lose the size around it): the tags go, their text stays;
// - style sheets wrapped in a comment ("<style><!-- p.MsoNormal {...} --></style>", as Word
//   writes them), which Qt would skip;
// - "&quot;" inside a style attribute (browsers quote font names so), which Qt does not
//   decode there: it becomes the other quotation mark.
QString Prepared(QString html) {
    html.remove(QStringLiteral("<!--StartFragment-->"));
    html.remove(QStringLiteral("<!--EndFragment-->"));
    html.remove(QLatin1String("<o:p>"), Qt::CaseInsensitive);
    html.remove(QLatin1String("</o:p>"), Qt::CaseInsensitive);

    QString out;
    out.reserve(html.size());
    qsizetype nDone = 0;
    for (;;) {
        const qsizetype nOpen = html.indexOf(QLatin1String("<style"), nDone, Qt::CaseInsensitive);
        if (nOpen < 0) break;
        qsizetype nSheet = html.indexOf(QLatin1Char('>'), nOpen);
        if (nSheet < 0) break;
        ++nSheet;
        const qsizetype nClose =
            html.indexOf(QLatin1String("</style"), nSheet, Qt::CaseInsensitive);
        if (nClose < 0) break;
        out += QStringView(html).mid(nDone, nSheet - nDone);
        QString sheet = html.mid(nSheet, nClose - nSheet);
        sheet.remove(QLatin1String("<!--"));
        sheet.remove(QLatin1String("-->"));
        out += sheet;
        nDone = nClose;
    }
    out += QStringView(html).mid(nDone);

    // One pass, building a new string, so that many attributes cost no more than a few.
    const QLatin1String quot("&quot;");
    QString result;
    result.reserve(out.size());
    qsizetype nCopied = 0;
    qsizetype nAt = 0;
    for (;;) {
        nAt = out.indexOf(QLatin1String("style"), nAt, Qt::CaseInsensitive);
        if (nAt < 0) break;
        const bool bAttribute = nAt > 0 && out[nAt - 1].isSpace();
        nAt += 5;
        if (!bAttribute) continue;
        qsizetype n = nAt;
        while (n < out.size() && out[n].isSpace())
            ++n;
        if (n >= out.size() || out[n] != QLatin1Char('=')) continue;
        ++n;
        while (n < out.size() && out[n].isSpace())
            ++n;
        if (n >= out.size() || (out[n] != QLatin1Char('"') && out[n] != QLatin1Char('\'')))
            continue;
        const QChar delimiter = out[n];
        const QChar other = delimiter == QLatin1Char('"') ? QLatin1Char('\'') : QLatin1Char('"');
        const qsizetype nEnd = out.indexOf(delimiter, n + 1);
        if (nEnd < 0) break;
        result += QStringView(out).mid(nCopied, n + 1 - nCopied);
        result +=
            QStringView(out).mid(n + 1, nEnd - n - 1).toString().replace(quot, QString(other));
        nCopied = nEnd;
        nAt = nEnd + 1;
    }
    result += QStringView(out).mid(nCopied);
    return result;
}

// A fragment's text as the page keeps it: separators as line breaks, non-breaking spaces as
// spaces, object replacement characters (pictures) and control characters other than the
// tab and the line feed left out (a zero byte would end the page's markup).
QString PageText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        if (code == QChar::LineSeparator || code == QChar::ParagraphSeparator)
            out += QLatin1Char('\n');
        else if (code == QChar::Nbsp)
            out += QLatin1Char(' ');
        else if (code == QChar::ObjectReplacementCharacter ||
                 (code < 0x20 && code != u'\t' && code != u'\n') || code == 0x7F)
            continue;
        else
            out += ch;
    }
    return out;
}

// A run's format from a fragment's character format; the text is left empty.
HtmlRun FormatOf(const QTextCharFormat& format) {
    HtmlRun run;
    if (format.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList families = format.fontFamilies().toStringList();
        if (!families.isEmpty()) run.strFace = GbkBytesOf(families.first().trimmed());
    }
    if (format.hasProperty(QTextFormat::FontPixelSize)) {
        const int nPixels = format.intProperty(QTextFormat::FontPixelSize);
        run.nPixelSize = nPixels > 0 && nPixels <= kMaxPixelSize ? nPixels : 0;
    } else if (format.hasProperty(QTextFormat::FontPointSize)) {
        const double dPoints = format.fontPointSize();
        const double dPixels = std::round(dPoints * 96.0 / 72.0);
        run.nPixelSize = dPixels > 0 && dPixels <= kMaxPixelSize ? static_cast<int>(dPixels) : 0;
    }
    if (format.hasProperty(QTextFormat::FontWeight))
        run.bBold = format.fontWeight() >= kBoldWeight ? 1 : 0;
    run.bItalic = format.fontItalic() ? 1 : 0;
    run.bUnderline =
        format.fontUnderline() || format.underlineStyle() != QTextCharFormat::NoUnderline ? 1 : 0;
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
        const QBrush brush = format.foreground();
        if (brush.style() == Qt::SolidPattern) {
            const QColor colour = brush.color().toRgb();
            run.bColor = true;
            run.nRed = colour.red();
            run.nGreen = colour.green();
            run.nBlue = colour.blue();
        }
    }
    switch (format.verticalAlignment()) {
        case QTextCharFormat::AlignSuperScript:
            run.nVertical = 1;
            break;
        case QTextCharFormat::AlignSubScript:
            run.nVertical = 2;
            break;
        default:
            break;
    }
    return run;
}

bool SameFormat(const HtmlRun& a, const HtmlRun& b) {
    HtmlRun aFormat = a, bFormat = b;
    aFormat.strText.clear();
    bFormat.strText.clear();
    return aFormat == bFormat;
}

// Appends text in a format, joining it to the last run when that has the same format.
void Append(std::vector<HtmlRun>& runs, HtmlRun run) {
    if (run.strText.empty()) return;
    if (!runs.empty() && SameFormat(runs.back(), run)) {
        runs.back().strText += run.strText;
        return;
    }
    runs.push_back(std::move(run));
}

}  // namespace

std::vector<HtmlRun> ReadHtmlRuns(std::string_view gbkHtml) {
    std::vector<HtmlRun> runs;
    if (gbkHtml.empty() || QGuiApplication::instance() == nullptr) return runs;
    const std::string utf8 = GbkToUtf8(CutGbk(gbkHtml, kMaxHtmlBytes));
    QTextDocument document;
    {
        // Qt reports what it cannot read in the HTML (an unknown colour name) as warnings; a
        // paste stays silent, so they are dropped while the HTML is read.
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        document.setHtml(
            Prepared(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))));
        qInstallMessageHandler(previous);
    }

    // A line break between blocks takes the format of the text before it (it joins that
    // run); before any text, no format.
    bool bFirstBlock = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!bFirstBlock) {
            if (runs.empty()) runs.emplace_back();
            runs.back().strText.push_back('\n');
        }
        bFirstBlock = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            HtmlRun run = FormatOf(fragment.charFormat());
            run.strText = GbkBytesOf(PageText(fragment.text()));
            Append(runs, std::move(run));
        }
    }
    // Blocks with no text at the start and at the end (the frame of a table, an empty last
    // paragraph) leave only line breaks there; those go.
    while (!runs.empty()) {
        std::string& strText = runs.front().strText;
        strText.erase(0, strText.find_first_not_of('\n'));
        if (!strText.empty()) break;
        runs.erase(runs.begin());
    }
    while (!runs.empty()) {
        std::string& strText = runs.back().strText;
        while (!strText.empty() && strText.back() == '\n')
            strText.pop_back();
        if (!strText.empty()) break;
        runs.pop_back();
    }
    return runs;
}

}  // namespace tessel::platform
