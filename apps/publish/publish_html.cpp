// The page published as HTML: the export in a page of its own, and every picture it shows
// beside it, under the address its image tag gives.

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "document/link_slots.h"
#include "document/my_list.h"
#include "formula/formula.h"
#include "image_files.h"
#include "imaging/list_pictures.h"
#include "imaging/picture.h"
#include "markup/word_analyzer.h"
#include "platform/application.h"
#include "platform/file_path.h"
#include "platform/gbk.h"
#include "publish.h"

namespace tessel::publish {
namespace {

namespace fs = std::filesystem;

// Where converted and renamed pictures go when their own name cannot be used.
constexpr std::string_view kOwnFolder = "_published";

// The drawing of a formula is cut to this size a side, as the formula module cuts its own.
constexpr int kMaxFormulaSide = CFormula::kMaxExtent;

// One image tag of the export: where its address is, and what it says.
struct ImageTag {
    size_t nSrcBegin = 0, nSrcEnd = 0;  // the address's bytes in the HTML
    std::string strSrc, strAlt;         // attributes decoded
    long long nWidth = 0, nHeight = 0;
};

std::string DecodeAttribute(std::string_view value) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&quot;", '"'}, {"&amp;", '&'}, {"&#13;", '\r'}, {"&#10;", '\n'}};
    std::string out;
    for (size_t i = 0; i < value.size();) {
        bool bEntity = false;
        for (auto [entity, c] : kEntities) {
            if (value.substr(i).starts_with(entity)) {
                out += c;
                i += entity.size();
                bEntity = true;
                break;
            }
        }
        if (!bEntity) out += value[i++];
    }
    return out;
}

std::string EncodeAttribute(std::string_view value) {
    std::string out;
    for (char c : value) {
        if (c == '"')
            out += "&quot;";
        else if (c == '&')
            out += "&amp;";
        else if (c == '\r')
            out += "&#13;";
        else if (c == '\n')
            out += "&#10;";
        else
            out += c;
    }
    return out;
}

// The value of attribute `name="` after nFrom in the tag ending at nTagEnd; its bounds in
// *pBegin and *pEnd.
std::optional<std::string_view> Attribute(std::string_view html, size_t nFrom, size_t nTagEnd,
                                          std::string_view name, size_t* pBegin = nullptr,
                                          size_t* pEnd = nullptr) {
    const std::string key = std::string(name) + "=\"";
    const size_t nAt = html.find(key, nFrom);
    if (nAt == std::string_view::npos || nAt > nTagEnd) return std::nullopt;
    const size_t nBegin = nAt + key.size();
    const size_t nEnd = html.find('"', nBegin);
    if (nEnd == std::string_view::npos || nEnd > nTagEnd) return std::nullopt;
    if (pBegin) *pBegin = nBegin;
    if (pEnd) *pEnd = nEnd;
    return html.substr(nBegin, nEnd - nBegin);
}

long long Number(std::optional<std::string_view> text) {
    if (!text || text->empty() || text->size() > 12) return 0;
    long long n = 0;
    for (char c : *text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The image tags of the export, in order. Text cannot hold "<Img" (its "<" is written as an
// entity) and attribute values cannot hold a quotation mark, so the tags are found as written.
std::vector<ImageTag> FindImageTags(std::string_view html) {
    std::vector<ImageTag> tags;
    constexpr std::string_view kOpen = "<Img SRC=\"";
    for (size_t nAt = html.find(kOpen); nAt != std::string_view::npos;
         nAt = html.find(kOpen, nAt + 1)) {
        const size_t nTagEnd = html.find('>', nAt);
        if (nTagEnd == std::string_view::npos) break;
        ImageTag tag;
        const auto src = Attribute(html, nAt, nTagEnd, "SRC", &tag.nSrcBegin, &tag.nSrcEnd);
        const auto alt = Attribute(html, tag.nSrcEnd, nTagEnd, "alt");
        if (!src) continue;
        tag.strSrc = DecodeAttribute(*src);
        tag.strAlt = alt ? DecodeAttribute(*alt) : std::string();
        tag.nWidth = Number(Attribute(html, tag.nSrcEnd, nTagEnd, "width"));
        tag.nHeight = Number(Attribute(html, tag.nSrcEnd, nTagEnd, "height"));
        tags.push_back(std::move(tag));
    }
    return tags;
}

// The file a browser opens for an image address relative to the page, as a path relative to
// the page's folder (UTF-8, "/" between folders); nothing when the address does not stay
// inside the folder or a browser would read it otherwise than as a plain file name.
//
// A browser decodes the page (GBK) and puts the address's path into the URL as UTF-8, so the
// file's name on this system is the UTF-8 form of the name; "\" separates folders as "/"
// does; letter case is kept (Linux file names are exact). Refused: a name that starts at a
// root or names a drive ("C:" reads as an address scheme), "." and ".." (which leave or
// skip folders), empty folder names, characters that end or change a URL's path ("#", "?",
// "%"), quotation marks and angle brackets, control characters, spaces at either end (a
// browser strips them) and characters GBK does not have.
std::optional<std::string> FolderPath(std::string_view src) {
    if (src.empty() || src.front() == ' ' || src.back() == ' ') return std::nullopt;
    const std::string utf8 = platform::GbkToUtf8(src);
    if (utf8.find("\xEF\xBF\xBD") != std::string::npos) return std::nullopt;
    std::string path;
    size_t nComponentStart = 0;
    for (size_t i = 0; i <= utf8.size(); ++i) {
        const char c = i < utf8.size() ? utf8[i] : '/';
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\') {
            const std::string_view component =
                std::string_view(utf8).substr(nComponentStart, i - nComponentStart);
            if (component.empty() || component == "." || component == ".." ||
                component.size() > 255)
                return std::nullopt;
            if (!path.empty()) path += '/';
            path += component;
            nComponentStart = i + 1;
            continue;
        }
        if (u < 0x20 || u == 0x7F) return std::nullopt;
        if (std::string_view(":#?%\"<>|*").find(c) != std::string_view::npos) return std::nullopt;
    }
    return path;
}

std::string LowerExtension(std::string_view name) {
    const size_t nDot = name.find_last_of(".\\/");
    if (nDot == std::string_view::npos || name[nDot] != '.') return "";
    std::string ext(name.substr(nDot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

class Publisher {
  public:
    Publisher(std::string strProjectDir, fs::path outDir, PublishReport& report)
        : m_strProjectDir(std::move(strProjectDir)),
          m_outDir(std::move(outDir)),
          m_report(report) {}

    // Publishes the picture or formula of one element under its tag's address; the address
    // the page is to give it (the tag's own unless it had to change).
    std::string Element(int nElement, const CLink& link, const ImageTag& tag) {
        const std::string& strName = slots::FileName(link);
        if (link.m_nKind == kKindFormula) return Formula(nElement, strName, tag);
        return Picture(nElement, strName, *link.m_pPicture.get(), tag);
    }

    void Problem(int nElement, const std::string& strName, std::string strWhat) {
        m_report.problems.push_back({nElement, strName, std::move(strWhat)});
    }

  private:
    // The address and folder path a picture is written under: its tag's, else one of the
    // publisher's own folder named after the element.
    std::pair<std::string, std::string> Target(int nElement, const std::string& strSrc,
                                               std::string_view ext, const std::string& strKey) {
        std::optional<std::string> path = FolderPath(strSrc);
        if (path) {
            auto [it, bNew] = m_used.emplace(*path, strKey);
            if (bNew || it->second == strKey) return {strSrc, *path};
        }
        std::string own = std::string(kOwnFolder) + "/" + std::to_string(nElement);
        if (!ext.empty()) own += "." + std::string(ext);
        m_used.emplace(own, strKey);
        return {own, own};
    }

    std::string Done(PublishedFile::Kind nKind, int nElement, const std::string& strName,
                     const ImageTag& tag, const std::string& strSrc, const fs::path& path,
                     const std::string& strSource) {
        m_report.files.push_back({nKind, nElement, strName, strSrc, path.string(), strSource});
        if (strSrc != tag.strSrc) m_report.renamed.push_back({nElement, tag.strSrc, strSrc});
        return strSrc;
    }

    bool MakeFolderFor(const fs::path& file, int nElement, const std::string& strName) {
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        if (!ec) return true;
        Problem(nElement, strName, "cannot make the folder " + file.parent_path().string());
        return false;
    }

    std::string Picture(int nElement, const std::string& strName, const CPicture& picture,
                        const ImageTag& tag) {
        const std::string strSource = platform::ResolvePath(m_strProjectDir, strName);
        const bool bShown = IsBrowserImage(strSource);
        const std::string strKey = (bShown ? "copy:" : "png:") + strSource;
        const std::string strWanted = bShown ? tag.strSrc : tag.strSrc + ".png";
        // Renamed into the publisher's folder, a copy keeps the extension that tells its format.
        std::string ext = bShown ? LowerExtension(strName) : "png";
        if (!FolderPath(ext)) ext.clear();
        auto [strSrc, strPath] = Target(nElement, strWanted, ext, strKey);
        const fs::path file = m_outDir / strPath;
        if (m_written.contains(strPath))
            return Done(bShown ? PublishedFile::kCopied : PublishedFile::kConverted, nElement,
                        strName, tag, strSrc, file, strSource);
        if (!MakeFolderFor(file, nElement, strName)) return tag.strSrc;
        if (bShown) {
            std::error_code ec;
            if (fs::equivalent(strSource, file, ec)) {
                // Published into the project itself: the picture is already there.
            } else if (!fs::copy_file(strSource, file, fs::copy_options::overwrite_existing, ec)) {
                Problem(nElement, strName, "cannot copy " + strSource + " to " + file.string());
                return tag.strSrc;
            }
        } else if (!SavePicturePng(picture, file.string())) {
            Problem(nElement, strName,
                    "cannot convert " + strSource + " to the PNG " + file.string());
            return tag.strSrc;
        }
        m_written.insert({strPath, true});
        return Done(bShown ? PublishedFile::kCopied : PublishedFile::kConverted, nElement, strName,
                    tag, strSrc, file, strSource);
    }

    std::string Formula(int nElement, const std::string& strName, const ImageTag& tag) {
        const std::string strSource = platform::ResolvePath(m_strProjectDir, strName);
        std::string ext = LowerExtension(tag.strSrc);
        if (!IsWritableImageExtension(ext)) ext = "png";
        auto [strSrc, strPath] = Target(nElement, tag.strSrc, ext,
                                        "formula:" + strSource + ":" + std::to_string(tag.nWidth) +
                                            "x" + std::to_string(tag.nHeight));
        const fs::path file = m_outDir / strPath;
        if (m_written.contains(strPath))
            return Done(PublishedFile::kFormula, nElement, strName, tag, strSrc, file, strSource);

        CFormula formula;
        if (!formula.Open(strSource.c_str())) {
            Problem(nElement, strName,
                    "formula " + strSource + " cannot be read: " +
                        (formula.GetLastError().empty() ? std::string("missing or unreadable")
                                                        : formula.GetLastError()));
            return tag.strSrc;
        }
        const CRect rc = formula.GetRect();
        long long w = rc.Width(), h = rc.Height() - CFormula::kBottomSlack;
        // Drawn at the size the page shows it, so that the browser need not scale it.
        if (tag.nWidth > 0 && tag.nHeight > 0 && tag.nWidth <= kMaxFormulaSide &&
            tag.nHeight <= kMaxFormulaSide) {
            w = tag.nWidth;
            h = tag.nHeight;
        }
        if (w <= 0 || h <= 0) {
            Problem(nElement, strName, "formula " + strSource + " is empty: nothing to draw");
            return tag.strSrc;
        }
        if (!MakeFolderFor(file, nElement, strName)) return tag.strSrc;
        const int nWidth = static_cast<int>(w), nHeight = static_cast<int>(h);
        const std::optional<QImage> image = DrawToImage(nWidth, nHeight, [&](CDC* pDC) {
            formula.Draw(pDC, CRect(0, 0, nWidth, nHeight), 1.0);
        });
        if (!image || !SaveImage(*image, file.string(), ext)) {
            Problem(nElement, strName, "cannot write the formula's picture " + file.string());
            return tag.strSrc;
        }
        m_written.insert({strPath, true});
        return Done(PublishedFile::kFormula, nElement, strName, tag, strSrc, file, strSource);
    }

    std::string m_strProjectDir;
    fs::path m_outDir;
    PublishReport& m_report;
    std::map<std::string, std::string> m_used;  // folder path -> what it holds
    std::map<std::string, bool> m_written;
};

bool WriteFile(const fs::path& file, std::string_view a, std::string_view b, std::string_view c) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(a.data(), static_cast<std::streamsize>(a.size()));
    out.write(b.data(), static_cast<std::streamsize>(b.size()));
    out.write(c.data(), static_cast<std::streamsize>(c.size()));
    out.close();
    return !out.fail();
}

}  // namespace

PublishReport PublishHtml(const std::string& strMarkup, const std::string& strProjectDir,
                          const std::string& strOutDir, const PublishOptions& options) {
    PublishReport report;
    const std::string& strPage = options.strPageName;
    if (strPage.empty() || strPage == "." || strPage == ".." ||
        strPage.find('/') != std::string::npos) {
        report.problems.push_back(
            {-1, "",
             "the page's file name \"" + strPage + "\" is not a file name inside the folder"});
        return report;
    }
    std::error_code ec;
    fs::create_directories(strOutDir, ec);
    if (ec || !fs::is_directory(strOutDir, ec)) {
        report.problems.push_back({-1, "", "cannot make the folder " + strOutDir});
        return report;
    }
    platform::EnsureApplication();

    const CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(strMarkup.c_str(), &list);
    imaging::LoadListPictures(list, strProjectDir);
    std::string html;
    analyzer.CodeGeneration(html, &list, 1);
    const std::vector<ImageTag> tags = FindImageTags(html);

    Publisher publisher(strProjectDir, strOutDir, report);
    // The export writes one image tag for each formula and each loaded picture, in the page's
    // order; the tag's alternative text is the element's file name.
    std::vector<std::string> srcs;
    size_t nTag = 0;
    int nElement = 0;
    for (list.First(); list.IsInList(); list.Next(), ++nElement) {
        const CLink& link = *list.GetCurr();
        const bool bPicture = link.m_nKind == kKindImage && link.m_pPicture.get() &&
                              link.m_pPicture.get()->IsLoaded();
        if (link.m_nKind == kKindImage && !bPicture) {
            publisher.Problem(nElement, slots::FileName(link),
                              "picture " +
                                  platform::ResolvePath(strProjectDir, slots::FileName(link)) +
                                  " is missing or cannot be read; the page shows nothing "
                                  "in its place");
            continue;
        }
        if (!bPicture && link.m_nKind != kKindFormula) continue;
        if (nTag >= tags.size() || tags[nTag].strAlt != slots::FileName(link)) {
            publisher.Problem(nElement, slots::FileName(link),
                              "the HTML has no image tag for this element");
            continue;
        }
        srcs.push_back(publisher.Element(nElement, link, tags[nTag]));
        ++nTag;
    }

    // The HTML as exported, with the addresses that changed written anew.
    std::string body;
    size_t nCopied = 0;
    for (size_t i = 0; i < srcs.size(); ++i) {
        if (srcs[i] == tags[i].strSrc) continue;
        body.append(html, nCopied, tags[i].nSrcBegin - nCopied);
        body += EncodeAttribute(srcs[i]);
        nCopied = tags[i].nSrcEnd;
    }
    body.append(html, nCopied);

    const fs::path page = fs::path(strOutDir) / strPage;
    report.strHtmlPath = page.string();
    report.bWritten = WriteFile(page, kHtmlPageHead, body, kHtmlPageTail);
    if (!report.bWritten) report.problems.push_back({-1, "", "cannot write " + page.string()});
    return report;
}

}  // namespace tessel::publish
