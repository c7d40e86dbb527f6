#include "bench/common/win32/RealRegistry.h"

#include <windows.h>

#include "platform/win32/Win32Registry.h"
#include "platform/win32/WinText.h"

namespace {

class RealSink : public KeySink {
public:
    explicit RealSink(const std::string& scratch) { CreateKey(scratch); }
    bool CreateKey(const std::string& path) override {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, win::Wide(path).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    bool PutString(const std::string& path, const std::string& name,
                   const std::string& text) override {
        std::wstring data = win::Wide(text);
        return RegSetKeyValueW(HKEY_CURRENT_USER, win::Wide(path).c_str(), win::Wide(name).c_str(),
                               REG_SZ, data.c_str(),
                               static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
    }
    bool PutDword(const std::string& path, const std::string& name, uint32_t number) override {
        DWORD data = number;
        return RegSetKeyValueW(HKEY_CURRENT_USER, win::Wide(path).c_str(), win::Wide(name).c_str(),
                               REG_DWORD, &data, sizeof data) == ERROR_SUCCESS;
    }
};

}  // namespace

std::unique_ptr<KeySink> MakeRealRegistrySink(const std::string& scratch) {
    return std::make_unique<RealSink>(scratch);
}

Registry& RealRegistry() {
    static Win32Registry registry;
    return registry;
}

bool RemoveRealTree(const std::string& scratch) {
    std::wstring path = win::Wide(scratch);
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());  // the key itself goes too
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND;
}
