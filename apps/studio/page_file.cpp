#include "page_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "markup/findings.h"
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

// A finding of the markup library as the user reads it: UTF-8, with the place a read cuts
// oversized markup told in the same sentence.
Finding ForUser(const markup::MarkupFinding& finding) {
    std::string strText = finding.strText;
    if (!finding.strCutAt.empty()) strText += "; " + finding.strCutAt;
    return {finding.strWhere, platform::GbkToUtf8(strText)};
}

std::vector<Finding> LossesOnly(const std::vector<markup::MarkupFinding>& findings) {
    std::vector<Finding> out;
    for (const markup::MarkupFinding& finding : findings) {
        if (finding.bLoss) out.push_back(ForUser(finding));
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
    return LossesOnly(markup::CheckPage(bytes));
}

std::vector<Finding> LossesOnReopen(std::string_view markup) {
    return LossesOnly(markup::CheckReopen(markup));
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
