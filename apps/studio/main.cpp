// tessel-studio: the desktop program for authors around the page editor (docs/studio.md).
//
//   tessel-studio [PAGE] [--project DIR] [--settings FILE]
//   tessel-studio --version | --help

#include <QApplication>

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/application.h"
#include "studio_window.h"

#ifndef TESSEL_STUDIO_VERSION
#define TESSEL_STUDIO_VERSION "0.0.0"
#endif

namespace {

constexpr const char* kUsage =
    "usage: tessel-studio [PAGE] [--project DIR] [--settings FILE]\n"
    "       tessel-studio --version | --help\n";

constexpr const char* kHelp =
    "Tessel Studio: edit courseware pages and exam questions (markup files, .tsm).\n"
    "\n"
    "  PAGE             the page to open (a new page of that name when it does not exist)\n"
    "  --project DIR    the folder pictures, formulas, media and other pages are taken\n"
    "                   from (default: the page's folder)\n"
    "  --settings FILE  keep the settings (recent files, view) in FILE instead of the\n"
    "                   user's settings\n"
    "  --version        print the version and exit\n"
    "  --help           print this help and exit\n"
    "\n"
    "Saving keeps the previous version as PAGE~; unsaved changes are written every minute\n"
    "to .PAGE.recovery beside the page and offered back when the page is opened again.\n";

}  // namespace

int main(int argc, char** argv) {
    std::string strPage, strProject, strSettings;
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
    if (!strSettings.empty()) tessel::studio::SetSettingsFile(QString::fromStdString(strSettings));

    tessel::studio::StudioWindow window;
    window.show();
    if (!strPage.empty()) window.OpenPage(strPage);
    if (!strProject.empty()) window.SetProjectDirectory(strProject);
    return app.exec();
}
