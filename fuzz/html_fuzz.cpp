// Reads arbitrary bytes as the HTML another program put on the clipboard (GBK, as the platform
// hands it over) and checks what the import gives: runs with text, in GBK as the document
// keeps it (every lead byte has its second byte), with sizes and colours a page can hold, and
// no two neighbouring runs of the same format.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/application.h"
#include "platform/html_import.h"
#include "print_bytes.h"

namespace {

[[noreturn]] void Fail(std::string_view input, const char* szWhat) {
    PrintBytes("html", input);
    std::fprintf(stderr, "html_fuzz: %s\n", szWhat);
    std::fflush(stderr);
    std::abort();
}

bool SameFormat(const tessel::platform::HtmlRun& a, const tessel::platform::HtmlRun& b) {
    return a.strFace == b.strFace && a.nPixelSize == b.nPixelSize && a.bBold == b.bBold &&
           a.bItalic == b.bItalic && a.bUnderline == b.bUnderline && a.bColor == b.bColor &&
           a.nRed == b.nRed && a.nGreen == b.nGreen && a.nBlue == b.nBlue &&
           a.nVertical == b.nVertical;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Qt's rich-text import lays text out, which needs the application's fonts.
    tessel::platform::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string_view input(reinterpret_cast<const char*>(pData), nSize);
    const auto runs = tessel::platform::ReadHtmlRuns(input);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const auto& run = runs[i];
        if (run.strText.empty()) Fail(input, "a run without text");
        for (std::size_t k = 0; k < run.strText.size(); ++k) {
            const auto c = static_cast<unsigned char>(run.strText[k]);
            if (c == 0) Fail(input, "a zero byte in a run's text");
            if (c >= 0x80 && ++k >= run.strText.size()) Fail(input, "a lead byte ends a run");
        }
        if (run.nPixelSize < 0) Fail(input, "a negative size");
        for (int v : {run.nRed, run.nGreen, run.nBlue})
            if (v < 0 || v > 255) Fail(input, "a colour value outside 0..255");
        if (run.nVertical < 0 || run.nVertical > 2) Fail(input, "an unknown vertical alignment");
        if (i > 0 && SameFormat(runs[i - 1], run))
            Fail(input, "two neighbouring runs of one format");
    }
    return 0;
}
