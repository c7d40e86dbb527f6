#include <windows.h>

#include <atomic>
#include <cstdio>
#include <iostream>

#include "platform/Console.h"
#include "platform/win32/WinText.h"

namespace console {
namespace {
std::atomic<bool> interrupted{false};

BOOL WINAPI OnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // A second Ctrl-C ends the program at once, should the cancelled scan hang.
    if (interrupted.exchange(true)) return FALSE;
    return TRUE;
}

// Text for a console goes out as UTF-16; for a file or pipe as UTF-8 bytes.
void Write(DWORD which, FILE* stream, const std::string& utf8) {
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::wstring wide = win::Wide(utf8);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}
}  // namespace

void WriteOut(const std::string& utf8) { Write(STD_OUTPUT_HANDLE, stdout, utf8); }
void WriteErr(const std::string& utf8) { Write(STD_ERROR_HANDLE, stderr, utf8); }

bool ErrIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool InIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool ReadLine(std::string& line) {
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

int TerminalWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return 80;
}

void CatchInterrupt() { SetConsoleCtrlHandler(OnControl, TRUE); }
bool InterruptRequested() { return interrupted; }

}  // namespace console
