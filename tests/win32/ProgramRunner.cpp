#include "tests/win32/ProgramRunner.h"

#include "core/Startup.h"
#include "platform/win32/WinHandle.h"
#include "platform/win32/WinText.h"

namespace testing_support {

namespace {

struct BoxSearch {
    DWORD processId;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialogOfProcess(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == search->processId && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}


}  // namespace

std::string SetupOfAScheduledStartNotDue() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return "[Main]\r\nwasfirstrun=1\r\nlast_scheduled_run=" +
           DateAsDdMmYyyy(now.wYear, now.wMonth, now.wDay) + "\r\n";
}

bool CopyProgram(const std::string& programName, const std::string& folder) {
    std::string from = std::string(BRIVOLEX_PROGRAM_DIR) + "\\" + programName;
    std::string to = folder + "\\" + programName;
    return CopyFileW(win::Wide(from).c_str(), win::Wide(to).c_str(), FALSE) != 0;
}

std::string WindowText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    int n = GetWindowTextW(hwnd, buffer, 1024);
    return win::Narrow(buffer, static_cast<size_t>(n));
}

ProgramRun RunProgram(const std::string& folder, const std::string& programName,
                      const std::string& arguments, DWORD timeoutMs) {
    ProgramRun run;
    std::wstring commandLine = L"\"" + win::Wide(folder + "\\" + programName) + L"\" " +
                               win::Wide(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        win::Wide(folder).c_str(), &startup, &info))
        return run;
    win::UniqueHandle process(info.hProcess);
    win::UniqueHandle thread(info.hThread);

    DWORD waited = 0;
    while (waited < timeoutMs) {
        if (WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0) {
            run.finished = true;
            break;
        }
        waited += 100;
        BoxSearch search{info.dwProcessId};
        EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            // A message box: its text is the static control 0xFFFF.
            HWND textControl = GetDlgItem(search.found, 0xFFFF);
            run.messageBoxTexts.push_back(textControl ? WindowText(textControl) : "");
            run.messageBoxTitles.push_back(WindowText(search.found));
            PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            Sleep(300);
        }
    }
    if (!run.finished) TerminateProcess(process.get(), 99);
    GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

}  // namespace testing_support
