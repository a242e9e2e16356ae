#include <gtest/gtest.h>

#include <cstdlib>

#include <QGuiApplication>
#include <QtGlobal>

// Drawing needs a GUI application for fonts; the offscreen platform keeps it headless.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private runtime folder and says so on standard error without one.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        char szDir[] = "/tmp/tessel-runtime-XXXXXX";
        if (mkdtemp(szDir)) qputenv("XDG_RUNTIME_DIR", szDir);
    }
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
