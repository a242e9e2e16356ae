// tessel-studio: the desktop program for authors around the page editor (docs/studio.md).
//
//   tessel-studio [PAGE] [--project DIR] [--settings FILE]
//                 [--snapshot FILE] [--snapshot-tools FILE]
//   tessel-studio --version | --help

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/application.h"
#include "platform/dialog.h"
#include "platform/gbk.h"
#include "platform/wnd.h"
#include "studio_window.h"

#ifndef TESSEL_STUDIO_VERSION
#define TESSEL_STUDIO_VERSION "0.0.0"
#endif

namespace {

constexpr const char* kUsage =
    "usage: tessel-studio [PAGE] [--project DIR] [--settings FILE]\n"
    "                     [--snapshot FILE] [--snapshot-tools FILE]\n"
    "       tessel-studio --version | --help\n";

constexpr const char* kHelp =
    "Tessel Studio: edit courseware pages and exam questions (markup files, .tsm).\n"
    "\n"
    "  PAGE             the page to open (a new page of that name when it does not exist)\n"
    "  --project DIR    the folder pictures, formulas, media and other pages are taken\n"
    "                   from (default: the page's folder)\n"
    "  --settings FILE  keep the settings (recent files, view) in FILE instead of the\n"
    "                   user's settings\n"
    "  --snapshot FILE  open the page in a window of 900 by 650 pixels, let it paint,\n"
    "                   write the window (menu bar, page, status bar, and the editor's\n"
    "                   tool window where it floats over it) into the PNG file FILE and\n"
    "                   exit; nothing is saved, and the settings are a temporary file's\n"
    "                   unless --settings is given\n"
    "  --snapshot-tools FILE  the same for the editor's tool window alone\n"
    "  --version        print the version and exit\n"
    "  --help           print this help and exit\n"
    "\n"
    "Saving keeps the previous version as PAGE~; unsaved changes are written every minute\n"
    "to .PAGE.recovery beside the page and offered back when the page is opened again.\n"
    "\n"
    "Exit status of a snapshot: 0 written, 2 a picture cannot be written (or taken).\n";

// The window's size for a snapshot, large enough for the menus, the tool window's band and a
// good part of a page.
constexpr int kSnapshotWidth = 900;
constexpr int kSnapshotHeight = 650;

// Runs the event loop for a while, so that posted messages arrive, the page is laid out for
// the window's size and every window that needs it is painted.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        tessel::platform::ProcessEvents();
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
    }
    tessel::platform::ProcessEvents();
}

// The editor's tool window ("Text Editor"): a top-level window of its own beside the studio's.
QWidget* FindToolWindow(const QWidget& studio) {
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget != &studio && pWidget->isVisible() &&
            pWidget->windowTitle() == QStringLiteral("Text Editor"))
            return pWidget;
    }
    return nullptr;
}

bool SavePicture(const QImage& image, const std::string& strFile) {
    if (!image.isNull() && image.save(QString::fromStdString(strFile), "PNG")) return true;
    std::fprintf(stderr, "tessel-studio: cannot write the snapshot \"%s\"\n", strFile.c_str());
    return false;
}

// The pictures --snapshot and --snapshot-tools ask for. The window is drawn with the tool
// window over it where it floats on the screen, as the author sees them together.
int WriteSnapshots(tessel::studio::StudioWindow& window, const std::string& strWindowFile,
                   const std::string& strToolsFile) {
    Settle();
    QWidget* pTools = FindToolWindow(window);
    int nStatus = 0;
    if (!strWindowFile.empty()) {
        QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (pTools && !image.isNull()) {
            const QPoint at = pTools->mapToGlobal(QPoint(0, 0)) - window.mapToGlobal(QPoint(0, 0));
            QPainter painter(&image);
            painter.drawImage(at, pTools->grab().toImage());
        }
        if (!SavePicture(image, strWindowFile)) nStatus = 2;
    }
    if (!strToolsFile.empty()) {
        if (!pTools) {
            std::fprintf(stderr,
                         "tessel-studio: the editor shows no tool window; \"%s\" is not "
                         "written\n",
                         strToolsFile.c_str());
            nStatus = 2;
        } else if (!SavePicture(pTools->grab().toImage(), strToolsFile)) {
            nStatus = 2;
        }
    }
    return nStatus;
}

}  // namespace

int main(int argc, char** argv) {
    std::string strPage, strProject, strSettings, strSnapshot, strSnapshotTools;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            std::printf("tessel-studio %s\n", TESSEL_STUDIO_VERSION);
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs("\n", stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == "--project" && i + 1 < argc) {
            strProject = argv[++i];
        } else if (arg == "--settings" && i + 1 < argc) {
            strSettings = argv[++i];
        } else if (arg == "--snapshot" && i + 1 < argc) {
            strSnapshot = argv[++i];
        } else if (arg == "--snapshot-tools" && i + 1 < argc) {
            strSnapshotTools = argv[++i];
        } else if (strPage.empty() && (!arg.starts_with("-") || arg == "-")) {
            strPage = arg;
        } else {
            std::fprintf(stderr, "tessel-studio: unknown argument \"%s\"\n%s", argv[i], kUsage);
            return 2;
        }
    }

    // Through XWayland on a Wayland session, so that the tool window and the colour picker's
    // popup go where the editor puts them (docs/studio.md).
    const std::string strPlatform =
        tessel::studio::PlatformForSession(qEnvironmentVariable("QT_QPA_PLATFORM").toStdString(),
                                           qEnvironmentVariable("WAYLAND_DISPLAY").toStdString(),
                                           qEnvironmentVariable("DISPLAY").toStdString());
    if (!strPlatform.empty()) qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(strPlatform));

    QApplication app(argc, argv);
    tessel::platform::QuietHeadlessPlatform();
    QApplication::setOrganizationName(tessel::studio::kOrganisation);
    QApplication::setApplicationName(tessel::studio::kApplication);
    const bool bSnapshot = !strSnapshot.empty() || !strSnapshotTools.empty();
    // A snapshot never touches the user's settings: without --settings they are a file of a
    // temporary folder, gone when the program ends.
    QTemporaryDir scratch;
    if (bSnapshot && strSettings.empty()) {
        if (!scratch.isValid()) {
            std::fputs("tessel-studio: cannot make a temporary folder for the settings\n", stderr);
            return 2;
        }
        strSettings = QDir(scratch.path()).filePath("Studio.conf").toStdString();
    }
    if (!strSettings.empty()) tessel::studio::SetSettingsFile(QString::fromStdString(strSettings));
    if (bSnapshot) {
        // Nobody is there to answer: a question about a recovery file keeps the changes (Yes
        // deletes nothing), every other box takes its safe answer. Each is told on stderr.
        tessel::platform::SetMessageBoxAnswerer(
            [](const tessel::platform::MessageBoxRequest& request) -> std::optional<int> {
                std::fprintf(stderr, "tessel-studio: snapshot: %s\n",
                             tessel::platform::GbkToUtf8(request.strText).c_str());
                if ((request.nType & MB_TYPEMASK) == MB_YESNO) return IDYES;
                return std::nullopt;
            });
    }

    tessel::studio::StudioWindow window;
    if (bSnapshot) window.resize(kSnapshotWidth, kSnapshotHeight);
    window.show();
    if (!strPage.empty()) window.OpenPage(strPage);
    if (!strProject.empty()) window.SetProjectDirectory(strProject);
    if (bSnapshot) return WriteSnapshots(window, strSnapshot, strSnapshotTools);
    return app.exec();
}
