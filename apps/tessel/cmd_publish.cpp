// tessel publish: the page written out as an HTML page with every picture and formula it
// shows beside it, and, when asked, as a PDF, through the same library Tessel Studio uses.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "editor_host.h"
#include "input.h"
#include "publish.h"
#include "quote.h"

namespace tessel::cli {
namespace {

namespace fs = std::filesystem;

const char* KindWord(tessel::publish::PublishedFile::Kind nKind) {
    switch (nKind) {
        case tessel::publish::PublishedFile::kCopied:
            return "copied";
        case tessel::publish::PublishedFile::kConverted:
            return "converted";
        case tessel::publish::PublishedFile::kFormula:
            return "formula";
    }
    return "written";
}

// The command takes two operands (the page and the folder), so it reads its own arguments:
// "--project DIR" or "--project=DIR", "--pdf FILE" or "--pdf=FILE", "--" ending the options.
bool ParsePublishArguments(const Command& command, std::span<const std::string_view> args,
                           std::string_view& strPage, std::string_view& strOutDir,
                           std::string_view& strProject, std::string_view& strPdf) {
    std::vector<std::string_view> operands;
    bool bOptionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!bOptionsEnded && arg == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (bOptionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        const std::string_view strName = arg.substr(0, arg.find('='));
        std::string_view* pValue = strName == "--project" ? &strProject
                                   : strName == "--pdf"   ? &strPdf
                                                          : nullptr;
        if (!pValue) {
            UsageError(command, Join({"unknown option \"", arg, "\""}));
            return false;
        }
        if (strName.size() != arg.size()) {
            *pValue = arg.substr(strName.size() + 1);
        } else if (i + 1 < args.size()) {
            *pValue = args[++i];
        } else {
            UsageError(command, Join({"\"", arg, "\" needs a value"}));
            return false;
        }
        if (pValue->empty()) {
            UsageError(command, Join({"\"", strName, "\" needs a value"}));
            return false;
        }
    }
    if (operands.size() != 2) {
        UsageError(command, operands.size() < 2 ? "the page and the output folder are both needed"
                                                : Join({"a page and a folder only; \"", operands[2],
                                                        "\" is one too many"}));
        return false;
    }
    strPage = operands[0];
    strOutDir = operands[1];
    if (strOutDir.empty()) {
        UsageError(command, "the output folder is an empty name");
        return false;
    }
    return true;
}

// The project folder when none is given: the page's own (the current directory for a page
// read from standard input, or given without a folder).
std::string DefaultProject(std::string_view strPage) {
    if (strPage == "-") return ".";
    const fs::path folder = fs::path(strPage).parent_path();
    return folder.empty() ? "." : folder.string();
}

int RunPublish(const Command& command, std::span<const std::string_view> args) {
    std::string_view strPage, strOutDir, strProjectArg, strPdf;
    if (!ParsePublishArguments(command, args, strPage, strOutDir, strProjectArg, strPdf))
        return kExitFail;
    const std::optional<Input> input = ReadInput(strPage);
    if (!input) return kExitFail;
    const std::string strProject =
        strProjectArg.empty() ? DefaultProject(strPage) : std::string(strProjectArg);

    // What is published is the page as the editor hands it back, as the studio publishes it:
    // the markup's formula sizes and last column widths are the ones its first layout gives.
    EditorSettings settings;
    settings.strProject = strProject;
    std::unique_ptr<EditorHost> pHost = EditorHost::Open(settings, input->strBytes);
    if (!pHost) return kExitFail;
    const std::string strMarkup = pHost->Editor().GetEditText();
    pHost.reset();

    const tessel::publish::PublishReport report =
        tessel::publish::PublishHtml(strMarkup, strProject, std::string(strOutDir));

    std::string out;
    for (const tessel::publish::PublishedFile& file : report.files) {
        out += Join(
            {KindWord(file.nKind), " ", QuoteGbk(file.strName, 200), " -> ", file.strPath, "\n"});
    }
    if (report.bWritten) out += Join({"page -> ", report.strHtmlPath, "\n"});

    tessel::publish::PaperReport paper;
    if (!strPdf.empty()) {
        paper = tessel::publish::ExportPdf(strMarkup, strProject, std::string(strPdf));
        if (paper.bWritten) {
            out += Join({"pdf -> ", strPdf, " (", std::to_string(paper.nPages),
                         paper.nPages == 1 ? " page)\n" : " pages)\n"});
        }
    }
    if (!WriteStdout(out) || !FlushStdout()) return kExitFail;

    for (const tessel::publish::PublishProblem& problem : report.problems) {
        std::string strWhere = input->strName + ": ";
        if (problem.nElement >= 0) strWhere += "element " + std::to_string(problem.nElement) + ": ";
        if (!problem.strName.empty()) strWhere += QuoteGbk(problem.strName, 200) + ": ";
        std::fprintf(stderr, "tessel publish: %s%s\n", strWhere.c_str(), problem.strWhat.c_str());
    }
    if (!strPdf.empty() && !paper.bWritten) {
        std::fprintf(stderr, "tessel publish: %s: the PDF \"%.*s\" is not written: %s\n",
                     input->strName.c_str(), static_cast<int>(strPdf.size()), strPdf.data(),
                     paper.strError.c_str());
    }
    if (!report.bWritten || (!strPdf.empty() && !paper.bWritten)) return kExitFail;
    return report.problems.empty() ? kExitOk : kExitLoss;
}

}  // namespace

const Command kPublishCommand{
    .strName = "publish",
    .strSynopsis = "PAGE|- OUTDIR [--project DIR] [--pdf FILE]",
    .strSummary = "write the page as an HTML page with its pictures (and a PDF)",
    .strHelp =
        "Writes the page into the folder OUTDIR (made when missing) as Tessel Studio\n"
        "publishes it, opened in the editor first so that formulas have the sizes the\n"
        "editor lays them out in: index.html, the page's HTML export in a page that declares GBK, "
        "and\n"
        "beside it every picture the page shows and every formula drawn into the picture\n"
        "its image tag names, each under the address the HTML gives. Pictures in formats\n"
        "browsers do not show are converted to PNG; addresses a browser cannot find as a\n"
        "file in the folder are rewritten. File names in the page are taken relative to\n"
        "DIR, the project folder; the page's own folder when --project is not given.\n"
        "With --pdf the page is also drawn as the editor draws it into FILE, a PDF of A4\n"
        "pages. docs/publish.md describes what is written and why.\n"
        "\n"
        "Each file written is a line on standard output: how it was made (copied,\n"
        "converted, formula), the name the page gives and the file written, then the page\n"
        "and the PDF:\n"
        "\n"
        "  copied \"Image\\Map.BMP\" -> out/Image/Map.BMP\n"
        "  formula \"Formula\\Sum.fml\" -> out/formula/sum.gif\n"
        "  page -> out/index.html\n"
        "\n"
        "What could not be published (a missing picture or formula, a file that cannot be\n"
        "written) is named on standard error with the element (counted from 0, in the order\n"
        "\"tessel dump\" prints them) and its file name; the rest of the page is published.\n"
        "\n"
        "Exit status: 0 published whole, 1 published without what is named on standard\n"
        "error, 2 the page cannot be read, index.html or the PDF cannot be written, or a\n"
        "bad command line.\n",
    .pRun = RunPublish,
};

}  // namespace tessel::cli
