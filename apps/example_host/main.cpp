// A small Qt program that embeds the Tessel editor, the way a host authoring program does:
// a TesselEditor widget in a layout of its own window, with the project directory and the
// page lists set, the page opened, the user's work heard through the widget's signals, and
// the markup read back at the end.
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
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "embed/tessel_editor.h"
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
    const QString strTitle = "Tessel example host";
    window.setWindowTitle(strTitle);
    // The editor fills the window below a band its tool window floats in, and follows the
    // window's size.
    auto* pLayout = new QVBoxLayout(&window);
    pLayout->setContentsMargins(30, 110, 30, 20);
    auto* pEditor = new TesselEditor;
    pLayout->addWidget(pEditor);
    window.resize(660, 520);
    window.show();

    if (!strProject.empty()) pEditor->setProjectDirectory(QString::fromLocal8Bit(strProject));
    // The host's page lists, offered by the editor's hot-link and score dialogs.
    pEditor->setPageLists({"1,Sound\\Bell.wav"}, {"Page 1", "Page 2"}, {"1 Sub"});
    pEditor->setMarkup(QByteArray::fromStdString(markup));
    if (!pEditor->editor()) {
        std::fprintf(stderr, "%s: the editor could not be opened\n", argv[0]);
        return 1;
    }
    // A page with changes not yet saved shows it in the title, as editors do.
    QObject::connect(pEditor, &TesselEditor::changed,
                     [&window, &strTitle]() { window.setWindowTitle(strTitle + " *"); });

    if (bPrintAndQuit && !bPlay) QTimer::singleShot(0, &app, &QApplication::quit);
    // The script plays as a user would act: from inside the running event loop.
    tessel::play::PlayResult played;
    if (bPlay) {
        QTimer::singleShot(0, &app, [&]() {
            played = tessel::play::PlayScript(*pEditor->editor(), script);
            QApplication::quit();
        });
    }
    app.exec();

    std::fwrite(played.strOut.data(), 1, played.strOut.size(), stdout);
    const QByteArray result = pEditor->markup();
    std::fwrite(result.constData(), 1, static_cast<size_t>(result.size()), stdout);
    // What the player reports (a file dialog nobody answered) goes to standard error too.
    for (const std::string& report : played.reports)
        std::fprintf(stderr, "%s: %s\n", argv[0], report.c_str());
    if (played.nExit != 0) std::fprintf(stderr, "%s: %s\n", argv[0], played.strError.c_str());
    // The window takes the widget, and the widget its editor, with it.
    return played.nExit;
}
