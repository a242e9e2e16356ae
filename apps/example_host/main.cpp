// A small Qt program that embeds the Tessel editor, the way a host authoring program does:
// construct, set the project directory and the page lists, open the editor on a page inside
// one of its own widgets, let the user work, read the markup back, destroy.
//
//   tessel_example_host PAGE.tsm [--project DIR] [--print-and-quit]
//
// With --print-and-quit the program opens the page, writes the markup the editor hands back
// to standard output and ends (this is how the tests run it, headless). Otherwise it shows
// the window until it is closed, then writes the markup.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "editor/tessel_edit.h"

int main(int argc, char** argv) {
    std::string strPage, strProject;
    bool bPrintAndQuit = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--project" && i + 1 < argc) {
            strProject = argv[++i];
        } else if (arg == "--print-and-quit") {
            bPrintAndQuit = true;
        } else if (strPage.empty() && !arg.starts_with("-")) {
            strPage = arg;
        } else {
            std::fprintf(stderr, "usage: %s PAGE.tsm [--project DIR] [--print-and-quit]\n",
                         argv[0]);
            return 2;
        }
    }
    std::ifstream in(strPage, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read \"%s\"\n", argv[0], strPage.c_str());
        return 2;
    }
    const std::string markup{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Tessel example host");
    window.resize(660, 520);
    window.show();

    // The host's page lists, offered by the editor's hot-link and score dialogs.
    const CStringArray media = {"1 Sound\\Bell.wav"}, pages = {"Page 1", "Page 2"},
                       idents = {"Sub 1"};
    auto* pEditor = new CTesselEdit;
    if (!strProject.empty()) pEditor->SetDirPrj(strProject);
    pEditor->SetStringArray(&media, &pages, &idents);
    // The editor covers most of the window; its tool window floats above it.
    if (!pEditor->Edit(&window, CRect(30, 110, 630, 500), RGB(0, 0, 255), markup.c_str(), 0, 2,
                       1.0)) {
        std::fprintf(stderr, "%s: the editor could not be opened\n", argv[0]);
        delete pEditor;
        return 1;
    }

    if (bPrintAndQuit) QTimer::singleShot(0, &app, &QApplication::quit);
    app.exec();

    const std::string strResult = pEditor->GetEditText();
    std::fwrite(strResult.data(), 1, strResult.size(), stdout);
    // The editor's window first, then the object, then the host's own widgets.
    pEditor->DestroyWindow();
    delete pEditor;
    return 0;
}
