#pragma once
// Starts a copy of a built program in a folder of its own and waits for it, answering
// its message boxes: the program's own windows, driven by messages from the test.
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

struct ProgramRun {
    DWORD exitCode = 0;
    bool finished = false;
    std::vector<std::string> messageBoxTexts;  // the texts of the boxes answered
    std::vector<std::string> messageBoxTitles;
};

// The setup.ini of a copy of Brivolex.exe whose scheduled start today is not due (it
// already ran today), so that it starts, writes its logs and ends by itself.
std::string SetupOfAScheduledStartNotDue();

// Copies `programName` from the build's program folder into `folder` (a Windows path).
bool CopyProgram(const std::string& programName, const std::string& folder);

// The text of a window or control.
std::string WindowText(HWND hwnd);

// Runs folder\programName with `arguments`, answers each message box it shows with
// OK, and waits up to `timeoutMs` for it to end.
ProgramRun RunProgram(const std::string& folder, const std::string& programName,
                      const std::string& arguments, DWORD timeoutMs = 20000);

}  // namespace testing_support
