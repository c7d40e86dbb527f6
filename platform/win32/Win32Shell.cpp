#include "platform/win32/Win32Shell.h"

#include <commdlg.h>
#include <shellapi.h>

#include "platform/win32/WinHandle.h"
#include "platform/win32/WinText.h"

namespace {
// The dialog's name buffers, in characters, filled with NULs.
constexpr size_t kNameCapacity = 250;
}  // namespace

bool Win32Shell::ChooseSaveFile(const SaveFileRequest& request, std::string& fileName) {
    // The filter: its name, NUL, its pattern, then two NULs.
    std::wstring filter = win::Wide(request.filterName);
    filter += L'\0';
    filter += win::Wide(request.filterPattern);
    filter += L'\0';
    filter += L'\0';
    std::wstring file(kNameCapacity, L'\0'), title(kNameCapacity, L'\0');
    std::wstring folder = win::Wide(request.initialFolder);
    std::wstring extension = win::Wide(request.defaultExtension);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrFileTitle = title.data();
    dialog.nMaxFileTitle = static_cast<DWORD>(title.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = request.flags;
    if (!GetSaveFileNameW(&dialog)) return false;
    fileName = win::NarrowZ(file.c_str());  // up to the first NUL
    return true;
}

bool Win32Shell::OpenDocument(const std::string& path) {
    HINSTANCE result = ShellExecuteW(GetDesktopWindow(), L"open", win::Wide(path).c_str(), nullptr,
                                     nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32Shell::StartProgram(const std::string& commandLine, int showCommand) {
    std::wstring command = win::Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    // Never waited for.
    win::UniqueHandle process(info.hProcess);
    win::UniqueHandle thread(info.hThread);
    return true;
}
