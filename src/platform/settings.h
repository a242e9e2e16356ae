#pragma once

// What the library remembers for the user between runs (the web addresses typed into the
// hot-link dialog, say), kept with Qt's settings: organisation "Tessel", application "Tessel"
// (on Linux ~/.config/Tessel/Tessel.conf). Keys are ASCII, "Group/Name". Texts are GBK on
// this side and kept as UTF-8.
//
// Tests and tools point the settings at a file of their own (SetSettingsFile), so that they
// never read or change the user's.

#include <string>
#include <string_view>
#include <vector>

namespace tessel::platform {

// The list of texts kept under the key, in the order written; empty when there is none (or
// the settings cannot be read).
std::vector<std::string> ReadUserStrings(std::string_view key);
// Keeps the list under the key in place of what was there; an empty list removes the key.
void WriteUserStrings(std::string_view key, const std::vector<std::string>& values);

// The settings kept in this file (INI format, a native name) from now on; an empty name goes
// back to the user's settings.
void SetSettingsFile(std::string strPath);

}  // namespace tessel::platform
