// The studio's window needs a QApplication; the off-screen platform needs no display. The
// settings go to a file of the test run, never to the user's.
#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include "platform/application.h"
#include "studio_window.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tessel::platform::QuietHeadlessPlatform();
    const QString settings = QDir::tempPath() + "/tessel-studio-tests-" +
                             QString::number(QCoreApplication::applicationPid()) + ".ini";
    tessel::studio::SetSettingsFile(settings);
    ::testing::InitGoogleTest(&argc, argv);
    const int nResult = RUN_ALL_TESTS();
    QFile::remove(settings);
    return nResult;
}
