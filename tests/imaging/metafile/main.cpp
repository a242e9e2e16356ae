#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QtGlobal>

// Drawing needs a GUI application for fonts; the offscreen platform keeps it headless.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
