#pragma once

// How a fuzz target shows bytes in its failure report: quoted, printable ASCII as it is,
// quotes and backslashes escaped, every other byte as \xNN, so that a report can be pasted
// back into a C string.

#include <cstdio>
#include <string_view>

inline void PrintBytes(const char* szLabel, std::string_view bytes) {
    std::fprintf(stderr, "%s (%zu bytes): \"", szLabel, bytes.size());
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"')
            std::fprintf(stderr, "\\%c", c);
        else if (c >= 0x20 && c < 0x7f)
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\x%02x", c);
    }
    std::fprintf(stderr, "\"\n");
}
