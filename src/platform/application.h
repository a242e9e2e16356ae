#pragma once

namespace tessel::platform {

// Makes sure the process has the application object that drawing text and windows need. A
// host that runs its own Qt application already has one and nothing happens; a command-line
// tool or a test gets a QApplication on the offscreen platform (no display needed) that lives
// until the process ends. Call it before the first drawing. Windows need a QApplication: a
// program that made only a QGuiApplication can draw, but CWnd::CreateEx fails in it.
void EnsureApplication();

// Drops the notes of the headless platform that it cannot raise a window or pass on a
// window's size hints: no news for a program without a screen, and lines that are not the
// program's own. Nothing happens on a real screen. EnsureApplication does this for the
// application it makes; a program that makes its own calls it after making it.
void QuietHeadlessPlatform();

}  // namespace tessel::platform
