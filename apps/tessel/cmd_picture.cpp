// tessel picture: a picture file loaded the way the editor loads it, drawn into a PNG.

#include <cstdio>
#include <string>

#include "command.h"
#include "imaging/picture.h"
#include "picture_args.h"
#include "platform/application.h"

namespace tessel::cli {
namespace {

int RunPicture(const Command& command, std::span<const std::string_view> args) {
    std::string_view strInput, strOutput;
    if (!ParseDrawArguments(command, args, strInput, strOutput)) return kExitFail;
    tessel::platform::EnsureApplication();

    const std::string strPath(strInput);
    CPicture picture;
    if (!picture.Load(strPath.c_str())) {
        std::fprintf(stderr,
                     "tessel: cannot load picture \"%s\": the file is missing, unreadable, or "
                     "not a picture its extension's reader accepts\n",
                     strPath.c_str());
        return kExitLoss;
    }
    const int w = picture.GetWidth(), h = picture.GetHeight();
    std::printf("%d %d %d\n", w, h, picture.GetNumColors());
    std::fflush(stdout);
    if (w <= 0 || h <= 0) {
        std::fprintf(stderr, "tessel: picture \"%s\" has no area (%d x %d): nothing to draw\n",
                     strPath.c_str(), w, h);
        return kExitLoss;
    }
    return DrawToPng(
        w, h, [&](CDC* pDC) { picture.Draw(pDC, 0, 0, nullptr, nullptr, 1); }, strOutput);
}

}  // namespace

const Command kPictureCommand{
    .strName = "picture",
    .strSynopsis = "FILE -o OUT.png",
    .strSummary = "load a picture as the editor does and draw it into a PNG",
    .strHelp =
        "Loads FILE with the picture reader its extension chooses (.ico .cur .wmf .emf .bmp\n"
        ".dib .gif .psd by Tessel's own readers; every other extension, .jpg .png .pcx .tif\n"
        ".tga .webp and more, by the imaging library), prints \"WIDTH HEIGHT COLORS\" on one\n"
        "line, draws the picture at its natural size on white with transparency honoured,\n"
        "and writes the drawing to OUT.png. FILE may be written Windows-style\n"
        "(\"Image\\\\PIC.BMP\" finds image/pic.bmp).\n"
        "\n"
        "Exit status: 0 drawn, 1 the picture cannot be loaded (or has no area), 2 a bad\n"
        "command line or the PNG cannot be written.\n",
    .pRun = RunPicture,
};

}  // namespace tessel::cli
