#include "platform/file_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/gbk.h"

namespace tessel::platform {
namespace {

namespace fs = std::filesystem;

struct WindowsName {
    bool bDrive = false;   // "C:..."
    bool bRooted = false;  // starts at a root: "\...", "/...", or any drive name
    std::vector<std::string> components;
};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}
bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

WindowsName Split(std::string_view name) {
    WindowsName result;
    if (name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == ':') {
        result.bDrive = true;
        name.remove_prefix(2);
    }
    result.bRooted = result.bDrive || (!name.empty() && IsSeparator(name[0]));
    while (!name.empty()) {
        // Names are GBK: the second byte of a double-byte character may be 0x5C, which is no
        // separator there.
        std::size_t nEnd = 0;
        while (nEnd < name.size() && !IsSeparator(name[nEnd]))
            nEnd +=
                static_cast<unsigned char>(name[nEnd]) >= 0x80 && nEnd + 1 < name.size() ? 2 : 1;
        const std::string_view component = name.substr(0, nEnd);
        if (!component.empty() && component != ".") result.components.emplace_back(component);
        name.remove_prefix(std::min<size_t>(name.size(), nEnd + 1));
    }
    return result;
}

// The entry of folder dir that component names: as spelled, else the first (in byte order)
// that equals it but for ASCII case.
std::optional<std::string> FindEntry(const fs::path& dir, const std::string& component) {
    std::error_code ec;
    if (component == ".." || fs::exists(dir / component, ec)) return component;
    std::optional<std::string> found;
    for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (EqualsIgnoringAsciiCase(entry, component) && (!found || entry < *found))
            found = std::move(entry);
    }
    return found;
}

// Follows components from path on. found is false when a component is missing; path then
// holds the part that was found followed by the rest as written.
struct Walked {
    fs::path path;
    bool bFound = true;
};

Walked Walk(fs::path path, const std::vector<std::string>& components, size_t nFirst) {
    for (size_t i = nFirst; i < components.size(); ++i) {
        const std::string& component = components[i];
        std::optional<std::string> entry = FindEntry(path, component);
        if (!entry && std::ranges::any_of(component, [](char c) { return c & 0x80; })) {
            const std::string utf8 = GbkToUtf8(component);
            if (utf8 != component) entry = FindEntry(path, utf8);
        }
        if (!entry) {
            for (; i < components.size(); ++i)
                path /= components[i];
            return {std::move(path), false};
        }
        path /= *entry;
    }
    return {std::move(path), true};
}

}  // namespace

std::string ResolvePath(std::string_view strDir, std::string_view strName) {
    const WindowsName name = Split(strName);
    const fs::path dir(strDir);
    const Walked walked = Walk(name.bRooted ? fs::path("/") : dir, name.components, 0);
    if (!walked.bFound && name.bDrive) {
        for (size_t i = 0; i < name.components.size(); ++i) {
            Walked copy = Walk(dir, name.components, i);
            if (copy.bFound) return copy.path.string();
        }
    }
    return walked.path.string();
}

namespace {

// Reads at most nMaxBytes from the start of a regular file; bWhole: only a file no larger
// than that is read at all.
std::optional<std::string> ReadRegular(const std::string& strPath, std::size_t nMaxBytes,
                                       bool bWhole) {
    // Opening without waiting: a named pipe would otherwise block the open until a writer
    // comes.
    const int fd = ::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> result;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
        (!bWhole || static_cast<std::size_t>(st.st_size) <= nMaxBytes)) {
        std::string bytes(std::min(static_cast<std::size_t>(st.st_size), nMaxBytes), '\0');
        std::size_t nDone = 0;
        while (nDone < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + nDone, bytes.size() - nDone);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            nDone += static_cast<std::size_t>(n);
        }
        bytes.resize(nDone);  // a file that shrank meanwhile gives what it still holds
        result = std::move(bytes);
    }
    ::close(fd);
    return result;
}

}  // namespace

std::optional<std::string> ReadRegularFile(const std::string& strPath, std::size_t nMaxBytes) {
    return ReadRegular(strPath, nMaxBytes, true);
}

std::optional<std::string> ReadFileStart(const std::string& strPath, std::size_t nMaxBytes) {
    return ReadRegular(strPath, nMaxBytes, false);
}

}  // namespace tessel::platform
