// tessel formula: a formula file opened by the formula module and drawn into a PNG.

#include <cstdio>
#include <string>

#include "command.h"
#include "formula/formula.h"
#include "picture_args.h"
#include "platform/application.h"

namespace tessel::cli {
namespace {

// The editor keeps a formula's height 5 pixels less than the rectangle it reports.
constexpr int kStoredHeightLess = 5;

int RunFormula(const Command& command, std::span<const std::string_view> args) {
    std::string_view strInput, strOutput;
    if (!ParseDrawArguments(command, args, strInput, strOutput)) return kExitFail;
    tessel::platform::EnsureApplication();

    const std::string strPath(strInput);
    CFormula formula;
    if (!formula.Open(strPath.c_str())) {
        std::fprintf(stderr,
                     "tessel: cannot open formula \"%s\": missing, unreadable or not "
                     "a formula (see docs/formula.md)\n",
                     strPath.c_str());
        return kExitLoss;
    }
    const CRect rc = formula.GetRect();
    const int w = rc.Width(), h = rc.Height() - kStoredHeightLess;
    std::printf("%d %d\n", w, h);
    std::fflush(stdout);
    if (w <= 0 || h <= 0) {
        std::fprintf(stderr, "tessel: formula \"%s\" is empty: nothing to draw\n", strPath.c_str());
        return kExitLoss;
    }
    return DrawToPng(
        w, h, [&](CDC* pDC) { formula.Draw(pDC, CRect(0, 0, w, h), 1.0); }, strOutput);
}

}  // namespace

const Command kFormulaCommand{
    .strName = "formula",
    .strSynopsis = "FILE.fml -o OUT.png",
    .strSummary = "open a formula as the editor does and draw it into a PNG",
    .strHelp =
        "Opens FILE.fml with the formula module, prints \"WIDTH HEIGHT\" as the editor stores\n"
        "them (the height 5 pixels less than the rectangle the formula reports), draws the\n"
        "formula into a white drawing of that size and writes it to OUT.png. The formula\n"
        "language is described in docs/formula.md.\n"
        "\n"
        "Exit status: 0 drawn, 1 the formula cannot be opened (or is empty), 2 a bad\n"
        "command line or the PNG cannot be written.\n",
    .pRun = RunFormula,
};

}  // namespace tessel::cli
