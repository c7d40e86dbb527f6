#pragma once
// Screenshots of the program's windows, written by the window tests as PNG files into
// the build's "screenshots" folder, for people to look at.
#include <windows.h>

#include <string>

namespace testing_support {

// Saves what the screen shows of the window as screenshots\<name>.png; false when it
// could not be written.
bool SaveWindowPicture(HWND window, const std::string& name);

}  // namespace testing_support
