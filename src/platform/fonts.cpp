// Fonts: which installed face stands in for each Windows face name, and how a LOGFONT
// becomes a Qt font and its measures. Every face-name substitution lives in this file.

#include "platform/fonts.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gbk.h"
#include "platform/gdi_qt.h"

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

// The most recently used faces, newest last. Qt fonts must not outlive the application
// object, so the cache is emptied when it is destroyed; an application that is never
// destroyed leaves it in place at exit (it is never destroyed either).
constexpr size_t kCachedFaces = 64;
using FaceCache = std::vector<std::pair<std::string, std::shared_ptr<const FontFace>>>;
FaceCache& g_faceCache = *new FaceCache;
bool g_bCacheCleanupRegistered = false;

void ClearFaceCache() {
    g_faceCache.clear();
    g_bCacheCleanupRegistered = false;
}

std::string FaceKey(const LOGFONT& lf) {
    const int numbers[] = {lf.lfHeight,  lf.lfWidth,  lf.lfEscapement, lf.lfOrientation,
                           lf.lfWeight,  lf.lfItalic, lf.lfUnderline,  lf.lfStrikeOut,
                           lf.lfCharSet, lf.lfQuality};
    std::string key(reinterpret_cast<const char*>(numbers), sizeof numbers);
    key.append(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    return key;
}

}  // namespace

std::shared_ptr<const FontFace> FaceFor(const LOGFONT& lf) {
    if (QCoreApplication::instance() == nullptr) return std::make_shared<const FontFace>(lf);
    if (!g_bCacheCleanupRegistered) {
        qAddPostRoutine(ClearFaceCache);
        g_bCacheCleanupRegistered = true;
    }
    std::string key = FaceKey(lf);
    auto it = std::ranges::find(g_faceCache, key, &FaceCache::value_type::first);
    if (it != g_faceCache.end()) {
        std::rotate(it, it + 1, g_faceCache.end());
        return g_faceCache.back().second;
    }
    if (g_faceCache.size() == kCachedFaces) g_faceCache.erase(g_faceCache.begin());
    g_faceCache.emplace_back(std::move(key), std::make_shared<const FontFace>(lf));
    return g_faceCache.back().second;
}

std::string ResolvedFamily(const LOGFONT& lf) {
    return QFontInfo(MakeQFont(lf)).family().toStdString();
}

FontFace::FontFace(const LOGFONT& lf)
    : font(MakeQFont(lf, &bChineseFace)),
      glyphFont(font),
      metrics(font),
      nEscapement(lf.lfEscapement) {
    m_asciiAdvances.fill(-1);
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

int FontFace::Advance(char32_t ch) const {
    const bool bAscii = ch < m_asciiAdvances.size();
    if (bAscii && m_asciiAdvances[ch] >= 0) return m_asciiAdvances[ch];
    if (!bAscii) {
        if (auto it = m_otherAdvances.find(ch); it != m_otherAdvances.end()) return it->second;
    }
    // TextOut does not expand tabs; Qt would measure one to the next tab stop.
    const char32_t code[1] = {ch == U'\t' ? U' ' : ch};
    const int nAdvance =
        static_cast<int>(std::lround(metrics.horizontalAdvance(QString::fromUcs4(code, 1))));
    if (bAscii)
        m_asciiAdvances[ch] = nAdvance;
    else
        m_otherAdvances.emplace(ch, nAdvance);
    return nAdvance;
}

int FontFace::Width(const QString& text) const {
    int nWidth = 0;
    for (char32_t ch : text.toUcs4())
        nWidth += Advance(ch);
    return nWidth;
}

}  // namespace tessel::platform
