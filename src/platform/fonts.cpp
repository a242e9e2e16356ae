// Fonts: which installed face stands in for each Windows face name, and how a LOGFONT
// becomes a Qt font and its measures. Every face-name substitution lives in this file.

#include "platform/fonts.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QList>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gbk.h"
#include "platform/gdi_qt.h"
#include "platform/text.h"

namespace tessel::platform {
namespace {

// Stand-ins installed with the platform: fonts-liberation is metric-compatible with the
// Windows core fonts; fonts-noto-cjk covers GBK, in a Song (Ming) style and a Hei style.
constexpr const char* kSans = "Liberation Sans";
constexpr const char* kSerif = "Liberation Serif";
constexpr const char* kMono = "Liberation Mono";
constexpr const char* kSong = "Noto Serif CJK SC";
constexpr const char* kHei = "Noto Sans CJK SC";

struct FaceRule {
    const char* szFace;  // UTF-8; compared without regard to ASCII case
    const char* szFamily;
};

constexpr FaceRule kFaceRules[] = {
    {"Arial", kSans},
    {"Helvetica", kSans},
    {"MS Sans Serif", kSans},
    {"Microsoft Sans Serif", kSans},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Times New Roman", kSerif},
    {"Times", kSerif},
    {"MS Serif", kSerif},
    {"Courier New", kMono},
    {"Courier", kMono},
    // The desktop's generic names (Qt's application font is often one of them): the font
    // system's own aliases are not seen when Qt matches a list of families.
    {"Sans Serif", kSans},
    {"Serif", kSerif},
    {"Monospace", kMono},
    // Chinese faces: Song, Fang Song, Kai and Li styles are served by the Song stand-in.
    {"宋体", kSong},
    {"SimSun", kSong},
    {"新宋体", kSong},
    {"NSimSun", kSong},
    {"仿宋_GB2312", kSong},
    {"FangSong_GB2312", kSong},
    {"仿宋", kSong},
    {"FangSong", kSong},
    {"楷体_GB2312", kSong},
    {"KaiTi_GB2312", kSong},
    {"楷体", kSong},
    {"KaiTi", kSong},
    {"隶书", kSong},
    {"LiSu", kSong},
    {"华文宋体", kSong},
    {"STSong", kSong},
    {"华文中宋", kSong},
    {"STZhongsong", kSong},
    {"华文仿宋", kSong},
    {"STFangsong", kSong},
    {"华文楷体", kSong},
    {"STKaiti", kSong},
    {"黑体", kHei},
    {"SimHei", kHei},
    {"微软雅黑", kHei},
    {"Microsoft YaHei", kHei},
    {"幼圆", kHei},
    {"YouYuan", kHei},
    {"华文细黑", kHei},
    {"STXihei", kHei},
    {"华文黑体", kHei},
    {"STHeiti", kHei},
};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

bool IsChineseFamily(std::string_view family) {
    return family == kSong || family == kHei;
}

// The family to ask for: the stand-in from the table; for a Chinese name the table does not
// know, the Song stand-in, or the Hei one when the name says Hei (黑) or Yuan (圆); for no
// name, the Song stand-in (the Chinese system's default face); otherwise the name itself,
// left to fontconfig. A GB2312 character set asks for Chinese glyphs whatever the name, as
// the Windows font mapper puts the character set before the name.
std::string ResolveFamily(std::string_view face, unsigned char nCharSet) {
    std::string family;
    for (const FaceRule& rule : kFaceRules) {
        if (EqualsIgnoringAsciiCase(face, rule.szFace)) {
            family = rule.szFamily;
            break;
        }
    }
    if (family.empty()) {
        const bool bChineseName = std::ranges::any_of(face, [](char c) { return c & 0x80; });
        if (face.empty()) {
            family = kSong;
        } else if (bChineseName) {
            const bool bHei = face.find("黑") != face.npos || face.find("圆") != face.npos;
            family = bHei ? kHei : kSong;
        } else {
            family = face;
        }
    }
    if (nCharSet == GB2312_CHARSET && !IsChineseFamily(family)) family = kSong;
    return family;
}

}  // namespace

QString GbkToQString(const char* pText, int nLength) {
    if (pText == nullptr || nLength <= 0) return {};
    return QString::fromStdString(GbkToUtf8(std::string_view(pText, nLength)));
}

QFont MakeQFont(const LOGFONT& lf, bool* pbChineseFace) {
    const std::string face =
        GbkToUtf8(std::string_view(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE)));
    const std::string family = ResolveFamily(face, lf.lfCharSet);
    const bool bChinese = IsChineseFamily(family);
    if (pbChineseFace != nullptr) *pbChineseFace = bChinese;

    QFont font;
    // Characters a Latin face lacks come from the Song stand-in, as Windows links SimSun.
    QStringList families{QString::fromStdString(family)};
    if (!bChinese) families.append(QString::fromLatin1(kSong));
    font.setFamilies(families);
    // Negative heights give the character height, positive ones the cell height; both are
    // taken as the pixel size. No height asks for the default, 12 points on the screen.
    font.setPixelSize(lf.lfHeight == 0 ? 16 : std::min(std::abs(lf.lfHeight), 0xFFFF));
    // The faces the pages were made with come in regular and bold only, and the editor asks
    // for weight 100 for all plain text: a thin face, where one is installed, must not serve.
    font.setWeight(lf.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    // Whole-pixel advances per character (FontFace) need no kerning; unhinted outlines keep
    // the advances the same at every scale.
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    if (lf.lfQuality == NONANTIALIASED_QUALITY) font.setStyleStrategy(QFont::NoAntialias);
    if (lf.lfWidth > 0) {
        // The average width asked for, against the face's own (half an em for Chinese faces,
        // whose Latin letters are half as wide as their characters).
        const double dAverage =
            bChinese ? font.pixelSize() / 2.0 : QFontMetricsF(font).averageCharWidth();
        if (dAverage > 0) {
            font.setStretch(
                std::clamp(static_cast<int>(std::lround(100.0 * lf.lfWidth / dAverage)), 1, 4000));
        }
    }
    return font;
}

namespace {

// What makes one face differ from another: every LOGFONT field that MakeQFont and FontFace
// read, the face name padded with zeros.
struct FaceKey {
    int numbers[10] = {};
    char szFace[LF_FACESIZE] = {};

    explicit FaceKey(const LOGFONT& lf)
        : numbers{lf.lfHeight, lf.lfWidth,     lf.lfEscapement, lf.lfOrientation, lf.lfWeight,
                  lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut,  lf.lfCharSet,     lf.lfQuality} {
        std::memcpy(szFace, lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    }
    bool operator==(const FaceKey& other) const {
        return std::memcmp(this, &other, sizeof *this) == 0;
    }
};

// The most recently used faces, newest last. Qt fonts must not outlive the application
// object, so the cache is emptied when it is destroyed; an application that is never
// destroyed leaves it in place at exit (it is never destroyed either).
constexpr size_t kCachedFaces = 64;
using FaceCache = std::vector<std::pair<FaceKey, std::shared_ptr<const FontFace>>>;
FaceCache& g_faceCache = *new FaceCache;
bool g_bCacheCleanupRegistered = false;

void ClearFaceCache() {
    g_faceCache.clear();
    g_bCacheCleanupRegistered = false;
}

}  // namespace

// The editor makes a font for every piece of text, mostly one of the last few it made: the
// search starts with the newest.
std::shared_ptr<const FontFace> FaceFor(const LOGFONT& lf) {
    if (QCoreApplication::instance() == nullptr) return std::make_shared<const FontFace>(lf);
    if (!g_bCacheCleanupRegistered) {
        qAddPostRoutine(ClearFaceCache);
        g_bCacheCleanupRegistered = true;
    }
    const FaceKey key(lf);
    for (auto it = g_faceCache.rbegin(); it != g_faceCache.rend(); ++it) {
        if (it->first == key) {
            std::rotate(it.base() - 1, it.base(), g_faceCache.end());
            return g_faceCache.back().second;
        }
    }
    if (g_faceCache.size() == kCachedFaces) g_faceCache.erase(g_faceCache.begin());
    g_faceCache.emplace_back(key, std::make_shared<const FontFace>(lf));
    return g_faceCache.back().second;
}

std::string ResolvedFamily(const LOGFONT& lf) {
    return QFontInfo(MakeQFont(lf)).family().toStdString();
}

namespace {}  // namespace

std::vector<std::string> ScreenFontFamilies() {
    std::vector<std::string> names;
    auto add = [&names](const QString& family) {
        const QByteArray utf8 = family.trimmed().toUtf8();
        if (utf8.isEmpty()) return;
        bool bLossy = false;
        std::string gbk = Utf8ToGbk(std::string_view(utf8.constData(), utf8.size()), &bLossy);
        if (!bLossy) names.push_back(std::move(gbk));
    };
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        for (const QString& family : QFontDatabase::families()) {
            if (QFontDatabase::isPrivateFamily(family)) continue;
            // A family installed by more than one foundry is listed once per foundry, as
            // "Family [Foundry]": the face name is the part before the bracket.
            const qsizetype nBracket = family.indexOf(QLatin1String(" ["));
            add(nBracket > 0 && family.endsWith(QLatin1Char(']')) ? family.left(nBracket) : family);
        }
    }
    for (const FaceRule& rule : kFaceRules)
        add(QString::fromUtf8(rule.szFace));

    // Sorted by the folded bytes (compared unsigned), each with its folded form. Installed
    // families come first and the sort is stable, so that their own spelling is kept when a
    // stand-in face has the same name in another case.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) {
        std::string key = tessel::platform::FoldCase(name);
        keyed.emplace_back(std::move(key), std::move(name));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    names.clear();
    for (std::size_t i = 0; i < keyed.size(); ++i)
        if (i == 0 || keyed[i].first != keyed[i - 1].first)
            names.push_back(std::move(keyed[i].second));
    return names;
}

FontFace::FontFace(const LOGFONT& lf)
    : font(MakeQFont(lf, &bChineseFace)),
      glyphFont(font),
      metrics(font),
      nEscapement(lf.lfEscapement) {
    m_asciiAdvances.fill(-1);
    m_asciiGlyphs.fill(CharGlyphs());
    glyphFont.setUnderline(false);
    glyphFont.setStrikeOut(false);
    const int nPixelSize = font.pixelSize();
    if (bChineseFace) {
        // SimSun and its kin: one em from the top of the cell to the bottom, 220/256 of it
        // above the baseline, no leading. The stand-ins are taller; the rows must not be.
        nAscent = static_cast<int>(std::lround(nPixelSize * 220.0 / 256.0));
        nDescent = nPixelSize - nAscent;
    } else {
        const QFontMetrics whole(font);
        nAscent = whole.ascent();
        nDescent = whole.descent();
        nInternalLeading = std::max(0, Height() - nPixelSize);
        nExternalLeading = std::max(0, whole.leading());
    }
    // One underline under the whole run, inside the cell, whichever faces the characters
    // come from.
    nLineWidth = std::max(1, static_cast<int>(std::lround(metrics.lineWidth())));
    nUnderlineY =
        std::clamp(nAscent + std::max(1, static_cast<int>(std::lround(metrics.underlinePos()))), 0,
                   std::max(0, Height() - nLineWidth));
    nStrikeOutY = std::max(0, nAscent - static_cast<int>(std::lround(metrics.strikeOutPos())));
}

int FontFace::LookUpAdvance(char32_t ch) const {
    if (ch < m_asciiAdvances.size()) {
        int& nAdvance = m_asciiAdvances[ch];
        if (nAdvance < 0) nAdvance = MeasureAdvance(ch);
        return nAdvance;
    }
    if (auto it = m_otherAdvances.find(ch); it != m_otherAdvances.end()) return it->second;
    return m_otherAdvances.emplace(ch, MeasureAdvance(ch)).first->second;
}

int FontFace::MeasureAdvance(char32_t ch) const {
    // TextOut does not expand tabs; Qt would measure one to the next tab stop.
    const char32_t code[1] = {ch == U'\t' ? U' ' : ch};
    return static_cast<int>(std::lround(metrics.horizontalAdvance(QString::fromUcs4(code, 1))));
}

int FontFace::Width(const QString& text) const {
    int nWidth = 0;
    for (char32_t ch : text.toUcs4())
        nWidth += Advance(ch);
    return nWidth;
}

int FontFace::Width(const char* pGbk, int nLength) const {
    int nWidth = 0;
    ForEachGbkCharacter(pGbk, nLength, [&](char32_t ch) { nWidth += Advance(ch); });
    return nWidth;
}

const CharGlyphs& FontFace::Glyphs(char32_t ch) const {
    if (ch < m_asciiGlyphs.size()) {
        CharGlyphs& glyphs = m_asciiGlyphs[ch];
        if (!glyphs.bKnown) glyphs = ShapeCharacter(ch);
        return glyphs;
    }
    if (auto it = m_otherGlyphs.find(ch); it != m_otherGlyphs.end()) return it->second;
    return m_otherGlyphs.emplace(ch, ShapeCharacter(ch)).first->second;
}

// The character is laid out on its own, as QPainter::drawText lays out a string of one
// character: the glyph runs tell which font Qt picks for it (the face, the Song stand-in
// that MakeQFont names after it, or a fallback of the font system) and where its glyphs go.
CharGlyphs FontFace::ShapeCharacter(char32_t ch) const {
    CharGlyphs glyphs;
    glyphs.bKnown = true;
    glyphs.nFirst = static_cast<std::uint32_t>(m_glyphList.size());
    // Control and formatting characters are left to drawText, which skips some of them (a
    // tab) and draws others, whatever a layout would make of them.
    switch (QChar::category(ch)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Other_NotAssigned:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            glyphs.bDrawText = true;
            return glyphs;
        default:
            break;
    }
    QTextLayout layout(QString::fromUcs4(&ch, 1), glyphFont);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid() || line.textStart() != 0 || line.textLength() != 1 || line.x() != 0) {
        glyphs.bDrawText = true;
        return glyphs;
    }
    const QPointF baseline(0, line.y() + line.ascent());
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont rawFont = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        if (!rawFont.isValid() || indexes.size() != positions.size()) {
            m_glyphList.resize(glyphs.nFirst);
            glyphs.bDrawText = true;
            return glyphs;
        }
        auto it = std::ranges::find(m_rawFonts, rawFont);
        if (it == m_rawFonts.end()) it = m_rawFonts.insert(m_rawFonts.end(), rawFont);
        const int nFont = static_cast<int>(it - m_rawFonts.begin());
        for (qsizetype i = 0; i < indexes.size(); ++i)
            m_glyphList.push_back({indexes[i], nFont, positions[i] - baseline});
    }
    glyphs.nCount = static_cast<std::uint32_t>(m_glyphList.size()) - glyphs.nFirst;
    return glyphs;
}

}  // namespace tessel::platform
