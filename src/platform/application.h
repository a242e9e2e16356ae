#pragma once

namespace tessel::platform {

// Makes sure the process has the application object that drawing text needs. A host that
// runs its own Qt application already has one and nothing happens; a command-line tool or a
// test gets one on the offscreen platform (no display needed) that lives until the process
// ends. Call it before the first drawing.
void EnsureApplication();

}  // namespace tessel::platform
