#include "platform/win32/Win32Processes.h"

#include "platform/win32/WinText.h"

Win32Processes::~Win32Processes() {
    for (HANDLE process : running_) CloseHandle(process);
}

bool Win32Processes::Start(const std::string& commandLine) {
    std::wstring command = win::Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    running_.push_back(info.hProcess);
    return true;
}

bool Win32Processes::WaitForAll(uint32_t timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!running_.empty()) {
        ULONGLONG now = GetTickCount64();
        DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        if (WaitForSingleObject(running_.back(), left) != WAIT_OBJECT_0) return false;
        CloseHandle(running_.back());
        running_.pop_back();
    }
    return true;
}
