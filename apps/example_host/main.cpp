// A small Qt program that embeds the Tessel editor, the way a host authoring program does:
// construct, set the project directory and the page lists, open the editor on a page inside
// one of its own widgets, let the user work, read the markup back, destroy.
//
//   tessel_example_host [PAGE.tsm] [--project DIR] [--print-and-quit | --play SCRIPT]
//
// With --print-and-quit the program opens the page, writes the markup the editor hands back
// to standard output and ends (this is how the tests run it, headless). With --play it
// replays the script (a file, or - for standard input; docs/play.md) against the editor once
// its event loop runs, writes what the script printed, then the markup, and ends. Otherwise
// it shows the window until it is closed, then writes the markup. Without a page the editor
// opens on an empty one.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "editor/tessel_edit.h"
#include "player.h"

namespace {

// The whole file, or standard input for "-".
bool ReadFile(const std::string& strPath, std::string& out) {
    if (strPath == "-") {
        out.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    std::ifstream in(strPath, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    std::string strPage, strProject, strScriptPath;
    bool bPrintAndQuit = false, bPlay = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--project" && i + 1 < argc) {
            strProject = argv[++i];
        } else if (arg == "--print-and-quit") {
            bPrintAndQuit = true;
        } else if (arg == "--play" && i + 1 < argc) {
            strScriptPath = argv[++i];
            bPlay = true;
        } else if (strPage.empty() && !arg.starts_with("-")) {
            strPage = arg;
        } else {
            std::fprintf(stderr,
                         "usage: %s [PAGE.tsm] [--project DIR] [--print-and-quit | --play "
                         "SCRIPT]\n",
                         argv[0]);
            return 2;
        }
    }
    std::string markup, script;
    if (!strPage.empty() && !ReadFile(strPage, markup)) {
        std::fprintf(stderr, "%s: cannot read \"%s\"\n", argv[0], strPage.c_str());
        return 2;
    }
    if (bPlay && !ReadFile(strScriptPath, script)) {
        std::fprintf(stderr, "%s: cannot read \"%s\"\n", argv[0], strScriptPath.c_str());
        return 2;
    }

    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Tessel example host");
    window.resize(660, 520);
    window.show();

    // The host's page lists, offered by the editor's hot-link and score dialogs.
    const CStringArray media = {"1,Sound\\Bell.wav"}, pages = {"Page 1", "Page 2"},
                       idents = {"1 Sub"};
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

    if (bPrintAndQuit && !bPlay) QTimer::singleShot(0, &app, &QApplication::quit);
    // The script plays as a user would act: from inside the running event loop.
    tessel::play::PlayResult played;
    if (bPlay) {
        QTimer::singleShot(0, &app, [&]() {
            played = tessel::play::PlayScript(*pEditor, script);
            QApplication::quit();
        });
    }
    app.exec();

    std::fwrite(played.strOut.data(), 1, played.strOut.size(), stdout);
    const std::string strResult = pEditor->GetEditText();
    std::fwrite(strResult.data(), 1, strResult.size(), stdout);
    // What the player reports (a file dialog nobody answered) goes to standard error too.
    for (const std::string& report : played.reports)
        std::fprintf(stderr, "%s: %s\n", argv[0], report.c_str());
    if (played.nExit != 0) std::fprintf(stderr, "%s: %s\n", argv[0], played.strError.c_str());
    // The editor's window first, then the object, then the host's own widgets.
    pEditor->DestroyWindow();
    delete pEditor;
    return played.nExit;
}
