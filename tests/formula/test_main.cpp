// Drawing and measuring text need a QGuiApplication; the off-screen platform needs no display.
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>

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
