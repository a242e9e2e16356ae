#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::platform {

// Finds the file that a Windows-style file name in a page means.
//
// strName separates folders with "\" (or "/") and may spell letters in any case:
// "Image\PIC.BMP" finds image/pic.bmp. A relative name is taken relative to strDir (a path on
// this system, used as it stands; empty: the current directory). Each component is first
// looked up as spelled; when that does not exist, an entry of the folder that equals it but
// for ASCII letter case is taken (other bytes, such as those of GBK names, must match
// exactly; should none match, the UTF-8 form of a GBK component is tried the same way, for
// files whose names were converted on the way to this system). "." and empty components are
// skipped, ".." goes up.
//
// An absolute name ("\Course\a.bmp", "/Course/a.bmp") starts at the root. A drive name
// ("C:\Course\Image\a.bmp", or "C:Course\a.bmp") means a Windows disk that is not here: its
// components are looked up from the root first; when that fails, from strDir, dropping
// leading components one by one ("Course/Image/a.bmp", "Image/a.bmp", "a.bmp"), so that a
// page whose pictures were named by absolute paths finds copies kept with the project.
//
// Returns the path of the file or folder found, with "/" separators. When a component is
// missing, the path as far as it was found, followed by the rest as written (for a drive
// name: from the root, the drive dropped), so that a new file goes into the folder that is
// there whatever the case of its name.
std::string ResolvePath(std::string_view strDir, std::string_view strName);

// Reads a whole file of at most nMaxBytes bytes. Only a regular file is read: a name in an
// untrusted page may point at a pipe, a device or a folder, and reading one of those could
// wait forever or never end. Nothing is returned for those, for a missing or unreadable file,
// and for a larger one.
std::optional<std::string> ReadRegularFile(const std::string& strPath, std::size_t nMaxBytes);

// Reads the first nMaxBytes bytes of a regular file (all of a smaller one); nothing for a
// missing or unreadable file and for anything that is not a regular file.
std::optional<std::string> ReadFileStart(const std::string& strPath, std::size_t nMaxBytes);

}  // namespace tessel::platform
