#include "platform/win32/Win32RecycleBin.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/WinText.h"

bool Win32RecycleBin::Recycle(const std::string& path) {
    // The source is a list of names ending in an empty one: two NULs after the path.
    std::wstring from = win::Wide(path);
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
    return SHFileOperationW(&operation) == 0;
}
