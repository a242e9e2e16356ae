// A host program built against an installed Tessel: it opens the editor on a page inside a
// widget of its own, headless, and prints the markup the editor hands back (as it is, with no
// line break added). The packaging check builds it once with find_package(Tessel) and once
// with pkg-config.
//
//   tessel_consumer [PAGE]   PAGE: a markup file; without one a built-in page is used

#include <QWidget>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "editor/tessel_edit.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    std::string markup =
        "<Font('Arial',12,0,0,0)><Color(0,0,128)>Hello from a Tessel host"
        "</Color></Font>\\n<Font('Times New Roman',14,1,0,0)>1 + 1 = 2</Font>";
    if (argc > 1) {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read \"%s\"\n", argv[0], argv[1]);
            return 2;
        }
        markup.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The offscreen QApplication when no display is set; the host's own one otherwise.
    tessel::platform::EnsureApplication();
    // The window and the settings of `tessel markup --editor`, whose output this one matches:
    // the layout (the width of column frames, for one) depends on the editor's size.
    QWidget window;
    window.resize(600, 400);

    auto pEditor = std::make_unique<CTesselEdit>();
    if (!pEditor->Edit(&window, CRect(0, 0, 600, 400), RGB(0, 0, 255), markup.c_str(), 0, 2, 1.0)) {
        std::fprintf(stderr, "%s: the editor could not be opened\n", argv[0]);
        return 1;
    }
    const std::string strResult = pEditor->GetEditText();
    std::fwrite(strResult.data(), 1, strResult.size(), stdout);
    pEditor->DestroyWindow();
    return strResult.empty() ? 1 : 0;
}
