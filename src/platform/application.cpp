#include "platform/application.h"

#include <QApplication>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/window_qt.h"

namespace tessel::platform {

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The headless platform cannot raise a window above the others and says so each time Qt
// raises one (every tool window that shows): that is no news for a program without a
// screen, and it would fill a tool's output with lines that are not its own.
void QuietHeadlessHandler(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
    if (type == QtWarningMsg &&
        (message == QLatin1String("This plugin does not support raise()") ||
         message == QLatin1String("This plugin does not support propagateSizeHints()")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

void QuietHeadlessPlatform() {
    static bool bInstalled = false;
    if (bInstalled || HasRealScreen()) return;
    bInstalled = true;
    g_previousHandler = qInstallMessageHandler(QuietHeadlessHandler);
}

void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    // Without a display the offscreen platform serves; a caller may still choose another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private runtime folder and complains on standard error without one (as in
    // a bare terminal or a CI job): give it a fresh one of its own.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        std::string strTemplate = "/tmp/tessel-runtime-XXXXXX";
        if (mkdtemp(strTemplate.data())) qputenv("XDG_RUNTIME_DIR", strTemplate.c_str());
    }
    static int argc = 1;
    static char name[] = "tessel";
    static char* argv[] = {name, nullptr};
    // A widget application, as windows need one (and drawing is content with it).
    static QApplication* pApp = new QApplication(argc, argv);
    (void)pApp;
    QuietHeadlessPlatform();
}

}  // namespace tessel::platform
