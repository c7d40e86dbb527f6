#include "platform/win32/Win32Profile.h"

#include <vector>

#include "platform/win32/WinText.h"

std::string Win32Profile::GetString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path,
                                    uint32_t capacity) {
    if (capacity == 0) return "";
    std::vector<wchar_t> buffer(capacity, L'\0');
    DWORD n = GetPrivateProfileStringW(win::Wide(section).c_str(), win::Wide(key).c_str(),
                                       win::Wide(defaultValue).c_str(), buffer.data(), capacity,
                                       win::Wide(path).c_str());
    return win::Narrow(buffer.data(), n);
}

int32_t Win32Profile::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value, const std::string& path) {
    if (WritePrivateProfileStringW(win::Wide(section).c_str(), win::Wide(key).c_str(),
                                   win::Wide(value).c_str(), win::Wide(path).c_str()))
        return 0;
    DWORD error = GetLastError();
    return error == 0 ? 5 : static_cast<int32_t>(error);
}
