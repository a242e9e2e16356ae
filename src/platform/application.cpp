#include "platform/application.h"

#include <QApplication>
#include <QtGlobal>

#include <cstdlib>
#include <string>

namespace tessel::platform {

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
}

}  // namespace tessel::platform
