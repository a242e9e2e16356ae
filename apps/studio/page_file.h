#pragma once

// Pages on disk for Tessel Studio: reading a page's bytes, saving them so that no page is ever
// half written, the backup of the previous version, the recovery file of the autosave, and
// what a page loses when the markup reader reads it (or would lose when it is read again).
// Plain C++ over POSIX calls; texts of findings are UTF-8 for the user, page bytes are GBK.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::studio {

// Pages larger than this are not read at all: a page the reader takes is at most 20481 bytes,
// so anything this large is not a page (a picture opened by mistake, say).
inline constexpr long long kMaxPageFileBytes = 16LL * 1024 * 1024;

// The whole file as bytes, or nothing with the reason in *pError ("No such file or directory").
std::optional<std::string> ReadPageFile(const std::string& strPath, std::string* pError);

// Writes the bytes to strPath without ever leaving a partial page there: a temporary file in
// the same folder is written, flushed and synced, then renamed over strPath, and the folder
// is synced. With bKeepBackup the version strPath held before (if any) is kept as
// BackupPath(strPath). An existing page's permissions are kept. False with the reason in
// *pError; strPath is then as it was.
bool WritePageAtomically(const std::string& strPath, std::string_view bytes, bool bKeepBackup,
                         std::string* pError);

// "PAGE.tsm~": the previous version of a page, kept by every save.
std::string BackupPath(const std::string& strPagePath);
// ".PAGE.tsm.recovery" beside the page: what the autosave writes while the page has unsaved
// changes.
std::string RecoveryPath(const std::string& strPagePath);

// One thing a read or a write of the markup drops or cuts, in plain words (UTF-8): the markup
// library's finding, worded as `tessel check` words it.
struct Finding {
    std::string strWhere;  // "byte 120", "element 3 (Image), Command[0]", or empty
    std::string strText;
};

// What reading the markup (as bytes, NULs included) and writing the elements back loses:
// the reader's findings with byte offsets, the writer's with element numbers, and markup that,
// written back, is longer than a read takes (with the place a read would cut it). Notes
// (nothing lost) are left out.
std::vector<Finding> LossesOfPage(std::string_view bytes);

// What a page about to be saved would lose when it is opened again: what a read of its markup
// drops or cuts, markup longer than a read takes with the place it would be cut.
std::vector<Finding> LossesOnReopen(std::string_view markup);

// The findings as lines "where: text", at most nMax of them, then "... and N more".
std::string FindingsText(const std::vector<Finding>& findings, size_t nMax = 12);

// A name for an element kind that an author understands ("Edit frame", "Page score"), for
// the status bar. Findings name kinds as their tags are written ("Edit", "PageScore").
std::string KindName(int nKind);

}  // namespace tessel::studio
