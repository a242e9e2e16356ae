// tessel html: the page as the HTML fragment the library publishes.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "document/link_slots.h"
#include "document/my_list.h"
#include "imaging/list_pictures.h"
#include "input.h"
#include "markup/word_analyzer.h"
#include "publish.h"
#include "quote.h"

namespace tessel::cli {
namespace {

int RunHtml(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPath, strProject;
    bool bPage = false;
    const Option options[] = {{.strName = "--project", .pValue = &strProject},
                              {.strName = "--page", .pFlag = &bPage}};
    if (!ParseArguments(command, args, options, strPath)) return kExitFail;
    const std::optional<Input> input = ReadInput(strPath);
    if (!input) return kExitFail;

    const CWordAnalyzer analyzer;
    CMyList list;
    analyzer.Convert(input->strBytes.c_str(), &list);
    std::vector<int> missing;
    tessel::imaging::LoadListPictures(list, strProject, &missing);
    std::string out;
    analyzer.CodeGeneration(out, &list, 1);

    // A picture that does not load has no size to give its image tag, so it is left out.
    int nIndex = 0;
    size_t nNext = 0;
    for (list.First(); list.IsInList() && nNext < missing.size(); list.Next(), ++nIndex) {
        if (nIndex != missing[nNext]) continue;
        ++nNext;
        std::fprintf(
            stderr,
            "tessel html: %s: element %d: picture %s not loaded from %s; its image "
            "(and hot link) is left out\n",
            input->strName.c_str(), nIndex,
            QuoteGbk(tessel::slots::FileName(*list.GetCurr())).c_str(),
            strProject.empty() ? "the current directory" : Join({"\"", strProject, "\""}).c_str());
    }

    bool bWritten = bPage ? WriteStdout(publish::kHtmlPageHead) && WriteStdout(out) &&
                                WriteStdout(publish::kHtmlPageTail)
                          : WriteStdout(out);
    if (!bWritten || !FlushStdout()) return kExitFail;
    return missing.empty() ? kExitOk : kExitLoss;
}

}  // namespace

const Command kHtmlCommand{
    .strName = "html",
    .strSynopsis = "[FILE|-] [--project DIR] [--page]",
    .strSummary = "write the page as the HTML fragment the library publishes",
    .strHelp =
        "Reads the markup, loads the page's pictures as the editor does (file names taken\n"
        "relative to DIR, the project directory; the current directory when --project is\n"
        "not given) and writes the HTML fragment of the page to standard output, bytes as\n"
        "written: text in GBK, no header. With --page the fragment is wrapped in a minimal\n"
        "HTML page that declares its encoding as GBK, ready to open in a browser.\n"
        "\n"
        "Pictures are written with their loaded sizes; a picture that does not load is\n"
        "left out, and each one is named on standard error. docs/html.md describes the\n"
        "fragment.\n"
        "\n"
        "Exit status: 0 written, 1 written without the pictures named on standard error,\n"
        "2 the input cannot be read (or the output cannot be written), or a bad command\n"
        "line.\n",
    .pRun = RunHtml,
};

}  // namespace tessel::cli
