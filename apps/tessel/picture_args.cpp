#include "picture_args.h"

#include <cstdio>
#include <string>

namespace tessel::cli {

bool ParseDrawArguments(const Command& command, std::span<const std::string_view> args,
                        std::string_view& strInput, std::string_view& strOutput) {
    strInput = {};
    strOutput = {};
    bool bOptionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (!bOptionsEnded && arg == "--") {
            bOptionsEnded = true;
        } else if (!bOptionsEnded && (arg == "-o" || arg == "--output")) {
            if (i + 1 == args.size()) {
                UsageError(command, Join({"\"", arg, "\" needs a file name"}));
                return false;
            }
            strOutput = args[++i];
        } else if (!bOptionsEnded && arg.size() > 1 && arg[0] == '-') {
            UsageError(command, Join({"unknown option \"", arg, "\""}));
            return false;
        } else if (strInput.empty()) {
            strInput = arg;
        } else {
            UsageError(command, Join({"one input only; \"", arg, "\" is one too many"}));
            return false;
        }
    }
    if (strInput.empty()) {
        UsageError(command, "no input file");
        return false;
    }
    if (strOutput.empty()) {
        UsageError(command, "no output file: give it with -o OUT.png");
        return false;
    }
    return true;
}

int DrawToPng(int nWidth, int nHeight, const std::function<void(CDC*)>& draw,
              std::string_view strPath) {
    CDC mem;
    CBitmap bitmap;
    if (!mem.CreateCompatibleDC(nullptr) || !bitmap.CreateBitmap(nWidth, nHeight)) {
        std::fprintf(stderr, "tessel: no memory for a %d x %d drawing\n", nWidth, nHeight);
        return kExitFail;
    }
    CBitmap* pOld = mem.SelectObject(&bitmap);
    mem.PatBlt(0, 0, nWidth, nHeight, WHITENESS);
    draw(&mem);
    mem.SelectObject(pOld);
    const std::string strOut(strPath);
    if (!bitmap.SavePng(strOut)) {
        std::fprintf(stderr, "tessel: cannot write \"%s\"\n", strOut.c_str());
        return kExitFail;
    }
    return kExitOk;
}

}  // namespace tessel::cli
