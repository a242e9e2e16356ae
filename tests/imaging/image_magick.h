#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// ImageMagick's convert as an independent writer of picture files for the readers' tests:
// the expected pixels come from what convert was asked to draw, not from the code read back.
namespace tessel::imaging::test {

// True when "convert" on the path is ImageMagick's (not GraphicsMagick's, nor a stand-in).
inline bool HaveImageMagick() {
    static const bool bHave = [] {
        FILE* pPipe = ::popen("convert -version 2>/dev/null", "r");
        if (!pPipe) return false;
        std::string out;
        char buf[256];
        while (std::fgets(buf, sizeof buf, pPipe))
            out += buf;
        const int nStatus = ::pclose(pPipe);
        return nStatus == 0 && out.find("Version: ImageMagick") != std::string::npos;
    }();
    return bHave;
}

// True when ImageMagick's convert writes the format named as "convert -list format" names it
// ("WEBP"): a build may lack a format's library.
inline bool ImageMagickWrites(const std::string& strFormat) {
    static const std::set<std::string> writable = [] {
        std::set<std::string> names;
        FILE* pPipe =
            HaveImageMagick() ? ::popen("convert -list format 2>/dev/null", "r") : nullptr;
        if (!pPipe) return names;
        char buf[512];
        while (std::fgets(buf, sizeof buf, pPipe)) {
            // Each format's row: its name (a "*" after it: native blob support), its module
            // and its mode, such as "rw+".
            std::istringstream row(buf);
            std::string name, module, mode;
            if (!(row >> name >> module >> mode)) continue;
            if (name.ends_with('*')) name.pop_back();
            if (mode.size() == 3 && mode[1] == 'w') names.insert(name);
        }
        ::pclose(pPipe);
        return names;
    }();
    return writable.contains(strFormat);
}

inline constexpr const char* kNoImageMagick =
    "ImageMagick's convert is not installed (\"convert -version\" does not say ImageMagick); "
    "scripts/setup.sh installs it";

// Runs convert with the arguments (no shell: parentheses and colours need no quoting) and
// then the output file's name, after strFormat when given ("BMP2:" chooses the format
// whatever the name says), and returns the file written; empty when convert failed.
inline std::vector<std::uint8_t> ConvertTo(const std::vector<std::string>& args,
                                           const std::filesystem::path& out,
                                           const std::string& strFormat = "") {
    std::vector<std::string> all{"convert"};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(strFormat + out.string());
    std::vector<char*> argv;
    for (std::string& s : all)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::error_code error;
    std::filesystem::remove(out, error);  // what an earlier call wrote is not read back
    pid_t pid = 0;
    const int nSpawned = posix_spawnp(&pid, "convert", &actions, nullptr, argv.data(), ::environ);
    posix_spawn_file_actions_destroy(&actions);
    int nStatus = 0;
    if (nSpawned != 0 || ::waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus) ||
        WEXITSTATUS(nStatus) != 0) {
        return {};
    }
    std::ifstream in(out, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
    // As a DIB's pixel reads (COLORREF, 0x00BBGGRR).
    std::uint32_t ColourRef() const { return static_cast<std::uint32_t>(r | g << 8 | b << 16); }
    std::string Arg() const {
        char buf[16];
        std::snprintf(buf, sizeof buf, "xc:#%02x%02x%02x", r, g, b);
        return buf;
    }
};

// A picture drawn as rows of solid blocks: each row nHeight pixels tall, its blocks side by
// side (every row as wide as the first).
struct Block {
    Rgb colour;
    int nWidth = 1;
};
struct BlockRow {
    int nHeight = 1;
    std::vector<Block> blocks;
};
struct BlockPicture {
    std::vector<BlockRow> rows;

    int Width() const {
        int w = 0;
        for (const Block& b : rows.at(0).blocks)
            w += b.nWidth;
        return w;
    }
    int Height() const {
        int h = 0;
        for (const BlockRow& row : rows)
            h += row.nHeight;
        return h;
    }
    Rgb At(int x, int y) const {
        for (const BlockRow& row : rows) {
            if (y >= row.nHeight) {
                y -= row.nHeight;
                continue;
            }
            for (const Block& b : row.blocks) {
                if (x < b.nWidth) return b.colour;
                x -= b.nWidth;
            }
        }
        return {-1, -1, -1};
    }
    // convert's arguments that draw it: each row appended left to right, then the rows
    // top to bottom.
    std::vector<std::string> Args() const {
        std::vector<std::string> args;
        for (const BlockRow& row : rows) {
            args.push_back("(");
            for (const Block& b : row.blocks) {
                args.push_back("-size");
                args.push_back(std::to_string(b.nWidth) + "x" + std::to_string(row.nHeight));
                args.push_back(b.colour.Arg());
            }
            args.insert(args.end(), {"+append", ")"});
        }
        args.push_back("-append");
        return args;
    }
};

}  // namespace tessel::imaging::test
