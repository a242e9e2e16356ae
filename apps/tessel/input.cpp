#include "input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tessel::cli {
namespace {

// Appends everything the stream holds to out. Returns 0, or the errno of the failed read.
int ReadAll(std::FILE* pFile, std::string& out) {
    char buffer[65536];
    for (;;) {
        errno = 0;
        const size_t nRead = std::fread(buffer, 1, sizeof buffer, pFile);
        out.append(buffer, nRead);
        if (nRead < sizeof buffer) {
            if (std::ferror(pFile)) return errno != 0 ? errno : EIO;
            return 0;
        }
    }
}

void ReportUnreadable(std::string_view strName, int nError) {
    std::fprintf(stderr, "tessel: cannot read \"%.*s\": %s\n", static_cast<int>(strName.size()),
                 strName.data(), std::strerror(nError));
}

}  // namespace

std::optional<Input> ReadInput(std::string_view strPath) {
    Input input;
    if (strPath == "-") {
        input.strName = "<stdin>";
        if (const int nError = ReadAll(stdin, input.strBytes); nError != 0) {
            std::fprintf(stderr, "tessel: cannot read standard input: %s\n", std::strerror(nError));
            return std::nullopt;
        }
        return input;
    }
    input.strName = std::string(strPath);
    std::FILE* pFile = std::fopen(input.strName.c_str(), "rb");
    if (!pFile) {
        ReportUnreadable(input.strName, errno);
        return std::nullopt;
    }
    const int nError = ReadAll(pFile, input.strBytes);
    std::fclose(pFile);
    if (nError != 0) {  // a directory opens but does not read: EISDIR
        ReportUnreadable(input.strName, nError);
        return std::nullopt;
    }
    return input;
}

}  // namespace tessel::cli
