// The windows need a QApplication: the platform's own, on the off-screen platform, with the
// private runtime folder Qt asks for (so that listing the tests prints nothing but them).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/application.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    tessel::platform::EnsureApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
