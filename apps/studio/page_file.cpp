#include "page_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "document/gbk_char.h"
#include "document/my_list.h"
#include "markup/diagnostics.h"
#include "markup/markup_limits.h"
#include "markup/word_analyzer.h"
#include "platform/gbk.h"

namespace tessel::studio {
namespace {

std::string ErrnoText() {
    return std::strerror(errno);
}

std::string DirectoryOf(const std::string& strPath) {
    const size_t nSlash = strPath.rfind('/');
    if (nSlash == std::string::npos) return ".";
    return nSlash == 0 ? "/" : strPath.substr(0, nSlash);
}

std::string BaseNameOf(const std::string& strPath) {
    const size_t nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Syncs a folder so that a rename in it survives a power cut.
void SyncDirectory(const std::string& strDir) {
    const int fd = ::open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes the bytes into a new temporary file beside strPath (mode nMode), synced; its name in
// strTemp. False with the reason; no temporary file is left then.
bool WriteTemporary(const std::string& strPath, std::string_view bytes, mode_t nMode,
                    std::string& strTemp, std::string* pError) {
    strTemp = DirectoryOf(strPath) + "/." + BaseNameOf(strPath) + ".XXXXXX";
    const int fd = ::mkstemp(strTemp.data());
    if (fd < 0) {
        if (pError)
            *pError = "cannot create a file in " + DirectoryOf(strPath) + ": " + ErrnoText();
        return false;
    }
    // A file system that refuses modes still takes the page.
    if (::fchmod(fd, nMode) != 0) errno = 0;
    bool bOk = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const std::string strWhy = bOk ? std::string() : ErrnoText();
    if (::close(fd) != 0 && bOk) {
        bOk = false;
        if (pError) *pError = "cannot write " + strTemp + ": " + ErrnoText();
    } else if (!bOk && pError) {
        *pError = "cannot write " + strTemp + ": " + strWhy;
    }
    if (!bOk) ::unlink(strTemp.c_str());
    return bOk;
}

std::string Bytes(long long n) {
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

// A piece of GBK markup quoted for the user, at most nMax bytes, whole characters only.
std::string Quote(std::string_view gbk, size_t nMax = 40) {
    size_t n = 0;
    while (n < gbk.size() && n < nMax)
        n += static_cast<unsigned char>(gbk[n]) >= 0x80 ? 2 : 1;
    n = std::min(n, gbk.size());
    std::string out = "\"";
    for (const char c : platform::GbkToUtf8(gbk.substr(0, n))) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += '?';
        } else {
            out += c;
        }
    }
    return out + (n < gbk.size() ? "...\"" : "\"");
}

// The offset of the character boundary at or before nOffset (GBK: a byte from 0x80 on leads
// a two-byte character).
size_t CharBoundaryBefore(std::string_view gbk, size_t nOffset) {
    size_t n = 0;
    while (n < gbk.size()) {
        const size_t nNext = n + static_cast<size_t>(tessel::CharLength(gbk, n));
        if (nNext > nOffset) break;
        n = nNext;
    }
    return n;
}

class Collector : public IMarkupSink {
  public:
    void Report(const MarkupDiagnostic& diag) override {
        if (diag.bLoss) m_Diags.push_back(diag);
    }
    std::vector<MarkupDiagnostic> m_Diags;
};

// Where the reader stops taking markup longer than it reads, and what lies on both sides.
std::string DescribeCut(std::string_view markup) {
    const size_t nCut = CharBoundaryBefore(markup, kMaxMarkupBytes);
    const size_t nBefore = CharBoundaryBefore(markup, nCut > 30 ? nCut - 30 : 0);
    return "the markup is " + Bytes(static_cast<long long>(markup.size())) +
           " and a read takes only the first " + std::to_string(kMaxMarkupBytes) +
           ": it is cut after " + Quote(markup.substr(nBefore, nCut - nBefore)) + "; the last " +
           Bytes(static_cast<long long>(markup.size() - nCut)) + ", from " +
           Quote(markup.substr(nCut)) + " on, are lost";
}

std::string DescribeRead(const MarkupDiagnostic& d, std::string_view markup) {
    // The tag or text at the offset, up to its tag close when one comes soon.
    std::string strAt = "\"\"";
    if (d.nOffset >= 0 && static_cast<size_t>(d.nOffset) < markup.size()) {
        std::string_view rest = markup.substr(static_cast<size_t>(d.nOffset));
        const size_t nClose = rest.find('>');
        if (nClose != std::string_view::npos && nClose < 48) rest = rest.substr(0, nClose + 1);
        strAt = Quote(rest, 48);
    }
    switch (d.nIssue) {
        case MarkupIssue::kUnknownTag:
            return "unknown tag " + strAt + ": reading stops here, " + Bytes(d.nLength) +
                   " are not read";
        case MarkupIssue::kMarkupTooLong:
            return DescribeCut(markup);
        case MarkupIssue::kEmbeddedNul:
            return "a NUL byte ends the markup: " + Bytes(d.nLength) + " after it are not read";
        case MarkupIssue::kTextRunTooLong:
            return "a text run longer than " + std::to_string(kMaxTextRunBytes) +
                   " bytes is cut: " + Bytes(d.nLength) + " of it are dropped";
        case MarkupIssue::kTextParamTooLong:
            return "a text parameter longer than " + std::to_string(kMaxTextParamBytes) +
                   " bytes is cut: " + Bytes(d.nLength) + " of it are dropped";
        case MarkupIssue::kNumberTooLong:
            return "a number longer than " + std::to_string(kMaxNumberChars) + " characters is cut";
        case MarkupIssue::kTooManyParams:
            return "a tag with more than " + std::to_string(kMaxParams) +
                   " parameters: the rest (" + Bytes(d.nLength) + ") are ignored";
        case MarkupIssue::kUnclosedTag:
            return "the tag " + strAt + " is never closed and is read as text";
        case MarkupIssue::kMissingListClose:
            return "the parameter list " + strAt + " is not closed";
        case MarkupIssue::kIncompleteCharacter:
            return "a two-byte character is cut off at the end and dropped";
        default:
            return "the read changes the markup here " + strAt;
    }
}

std::string DescribeWrite(const MarkupDiagnostic& d) {
    switch (d.nIssue) {
        case MarkupIssue::kParamNotWritable:
            return "a value cannot be written whole" +
                   (d.strDetail.empty() ? std::string() : ": " + Quote(d.strDetail) + " dropped");
        case MarkupIssue::kHotLinkNotWritable:
            return "the hot-link action " + std::to_string(d.nValue) +
                   " has no markup form: the link is lost";
        case MarkupIssue::kTextNotWritable:
            return "the text cannot be written whole" +
                   (d.strDetail.empty() ? std::string() : ": " + Quote(d.strDetail) + " dropped");
        case MarkupIssue::kTextSplit:
            return "the text is longer than one run: it is written as " + std::to_string(d.nValue) +
                   " separate elements";
        case MarkupIssue::kKindNotWritable:
            return "an element of kind " + std::to_string(d.nValue) +
                   " has no markup form and is not written";
        default:
            return "the writer changes this element";
    }
}

// The read findings of the markup; the elements read go to list.
std::vector<Finding> ReadFindings(std::string_view bytes, CMyList& list) {
    const std::string strText(bytes);  // NUL-terminated for the reader
    const CWordAnalyzer analyzer;
    Collector sink;
    analyzer.Convert(strText.c_str(), &list, &sink);
    std::vector<MarkupDiagnostic> diags = std::move(sink.m_Diags);
    // The reader sees the bytes up to the first NUL only; what lies after it is lost too,
    // unless the read had already stopped before it.
    const size_t nNul = bytes.find('\0');
    if (nNul != std::string_view::npos && nNul + 1 < bytes.size()) {
        const bool bStopped = std::any_of(diags.begin(), diags.end(), [&](const auto& d) {
            return (d.nIssue == MarkupIssue::kUnknownTag ||
                    d.nIssue == MarkupIssue::kMarkupTooLong ||
                    d.nIssue == MarkupIssue::kEmbeddedNul) &&
                   d.nOffset >= 0 && static_cast<size_t>(d.nOffset) <= nNul;
        });
        if (!bStopped) {
            MarkupDiagnostic d;
            d.nIssue = MarkupIssue::kEmbeddedNul;
            d.nOffset = static_cast<int>(nNul);
            d.nLength = static_cast<int>(bytes.size() - nNul - 1);
            diags.push_back(d);
        }
    }
    std::stable_sort(diags.begin(), diags.end(),
                     [](const auto& a, const auto& b) { return a.nOffset < b.nOffset; });
    std::vector<Finding> out;
    for (const MarkupDiagnostic& d : diags) {
        out.push_back({d.nOffset >= 0 ? "byte " + std::to_string(d.nOffset) : std::string(),
                       DescribeRead(d, bytes)});
    }
    return out;
}

}  // namespace

std::optional<std::string> ReadPageFile(const std::string& strPath, std::string* pError) {
    const int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (pError) *pError = ErrnoText();
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (pError) *pError = "not a regular file";
        ::close(fd);
        return std::nullopt;
    }
    if (st.st_size > kMaxPageFileBytes) {
        if (pError) {
            *pError = "the file is " + Bytes(st.st_size) +
                      ", far more than a page can be; it is not opened";
        }
        ::close(fd);
        return std::nullopt;
    }
    std::string out;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (pError) *pError = ErrnoText();
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
        if (static_cast<long long>(out.size()) > kMaxPageFileBytes) {
            if (pError) *pError = "the file grew past what a page can be while it was read";
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return out;
}

std::string KindName(int nKind) {
    static const char* const kNames[] = {"Text",
                                         "Image",
                                         "Formula",
                                         "Edit frame",
                                         "Judgement",
                                         "Choice",
                                         "Page total score",
                                         "Page score",
                                         "Total score",
                                         "Date",
                                         "Time",
                                         "Reverse time",
                                         "Count time",
                                         "Multi-column frame",
                                         "Column start",
                                         "Column end",
                                         "Multi-column frame"};
    if (nKind >= 0 && nKind < static_cast<int>(std::size(kNames))) return kNames[nKind];
    return "kind " + std::to_string(nKind);
}

bool WritePageAtomically(const std::string& strPath, std::string_view bytes, bool bKeepBackup,
                         std::string* pError) {
    struct stat st {};
    const bool bExists = ::stat(strPath.c_str(), &st) == 0;
    const mode_t nMode = bExists ? (st.st_mode & 07777) : 0644;
    std::string strTemp;
    if (!WriteTemporary(strPath, bytes, nMode, strTemp, pError)) return false;
    if (bExists && bKeepBackup) {
        // The old version becomes the backup by a second name (a hard link), so that the page
        // itself is never missing; a folder without hard links gets a copy.
        const std::string strBackup = BackupPath(strPath);
        ::unlink(strBackup.c_str());
        if (::link(strPath.c_str(), strBackup.c_str()) != 0) {
            std::string strWhy;
            const std::optional<std::string> old = ReadPageFile(strPath, &strWhy);
            std::string strBackupTemp;
            if (!old || !WriteTemporary(strBackup, *old, nMode, strBackupTemp, &strWhy) ||
                ::rename(strBackupTemp.c_str(), strBackup.c_str()) != 0) {
                if (!strBackupTemp.empty()) ::unlink(strBackupTemp.c_str());
                ::unlink(strTemp.c_str());
                if (pError)
                    *pError = "cannot keep the previous version as " + strBackup + ": " + strWhy;
                return false;
            }
        }
    }
    if (::rename(strTemp.c_str(), strPath.c_str()) != 0) {
        if (pError) *pError = "cannot replace " + strPath + ": " + ErrnoText();
        ::unlink(strTemp.c_str());
        return false;
    }
    SyncDirectory(DirectoryOf(strPath));
    return true;
}

std::string BackupPath(const std::string& strPagePath) {
    return strPagePath + "~";
}

std::string RecoveryPath(const std::string& strPagePath) {
    return DirectoryOf(strPagePath) + "/." + BaseNameOf(strPagePath) + ".recovery";
}

std::vector<Finding> LossesOfPage(std::string_view bytes) {
    CMyList list;
    std::vector<Finding> out = ReadFindings(bytes, list);
    std::vector<int> kinds;
    for (const CLink* p = list.FirstLink(); p; p = p->m_pNext)
        kinds.push_back(p->m_nKind);
    const CWordAnalyzer analyzer;
    Collector sink;
    std::string strWritten;
    analyzer.CodeGeneration(strWritten, &list, 0, &sink);
    for (const MarkupDiagnostic& d : sink.m_Diags) {
        std::string strWhere;
        if (d.nElement >= 0) {
            strWhere = "element " + std::to_string(d.nElement);
            if (static_cast<size_t>(d.nElement) < kinds.size())
                strWhere += " (" + KindName(kinds[static_cast<size_t>(d.nElement)]) + ")";
        }
        out.push_back({strWhere, DescribeWrite(d)});
    }
    if (strWritten.size() > static_cast<size_t>(kMaxMarkupBytes))
        out.push_back({"written back", DescribeCut(strWritten)});
    return out;
}

std::vector<Finding> LossesOnReopen(std::string_view markup) {
    CMyList list;
    return ReadFindings(markup, list);
}

std::string FindingsText(const std::vector<Finding>& findings, size_t nMax) {
    std::string out;
    for (size_t i = 0; i < findings.size() && i < nMax; ++i) {
        if (!findings[i].strWhere.empty()) out += findings[i].strWhere + ": ";
        out += findings[i].strText + "\n";
    }
    if (findings.size() > nMax)
        out += "... and " + std::to_string(findings.size() - nMax) + " more\n";
    return out;
}

}  // namespace tessel::studio
