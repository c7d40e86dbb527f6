#include "tests/contract/RegistryBackends.h"

#include "platform/portable/InMemoryRegistry.h"
#include "repair/DryRun.h"
#ifdef _WIN32
#include <windows.h>
#include <sddl.h>

#include <algorithm>

#include "platform/win32/Win32Registry.h"
#include "platform/win32/WinText.h"
#endif

namespace contract {

namespace {
class InMemoryWorld : public RegistryWorld {
public:
    Registry& registry() override { return registry_; }
    bool CreateKey(RegKey hive, const std::string& path) override {
        return registry_.CreateKey(hive, path);
    }
    bool Put(RegKey hive, const std::string& path, const std::string& name,
             const RegValue& value) override {
        return registry_.PutValue(hive, path, name, value);
    }
    bool MakeReadOnly(RegKey hive, const std::string& path) override {
        return registry_.SetReadOnly(hive, path, true);
    }
    void RemoveTree(RegKey hive, const std::string& path) override {
        registry_.DeleteTree(hive, path);
    }

private:
    InMemoryRegistry registry_;
};

// The registry a dry run of the repair sees: the in-memory one below, laid out
// directly, and every change made through the interface only pretended. Laying out
// anew starts the pretending over, as a new dry run would.
class DryRunWorld : public InMemoryWorld {
public:
    DryRunWorld() { pretended_.Pretend(); }
    Registry& registry() override { return pretended_; }
    bool CreateKey(RegKey hive, const std::string& path) override {
        pretended_.Forget();
        return InMemoryWorld::CreateKey(hive, path);
    }
    bool Put(RegKey hive, const std::string& path, const std::string& name, const RegValue& value) override {
        pretended_.Forget();
        return InMemoryWorld::Put(hive, path, name, value);
    }

private:
    DryRunRegistry pretended_{InMemoryWorld::registry()};
};

#ifdef _WIN32
HKEY Hive(RegKey hive) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(hive)));
}

class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (h) RegCloseKey(h);
    }
    HKEY h = nullptr;
};

// Sets a DACL given in SDDL on an open key.
bool SetDacl(HKEY key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
        return false;
    LONG status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    return status == ERROR_SUCCESS;
}

// Gives everyone full access to a key and its subtree again, so that it can go.
void GrantAll(HKEY parent, const std::wstring& path) {
    Key key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, WRITE_DAC, &key.h) == ERROR_SUCCESS)
        SetDacl(key.h, L"D:P(A;OICI;KA;;;WD)");
    Key list;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &list.h) != ERROR_SUCCESS) return;
    std::vector<std::wstring> names;
    wchar_t name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = 512;
        if (RegEnumKeyExW(list.h, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    for (const std::wstring& child : names) GrantAll(list.h, child);
}

// The real registry: Win32Registry, with keys laid out and removed through advapi32.
class Win32World : public RegistryWorld {
public:
    Registry& registry() override { return registry_; }

    bool CreateKey(RegKey hive, const std::string& path) override {
        Key key;
        return RegCreateKeyExW(Hive(hive), win::Wide(path).c_str(), 0, nullptr, 0,
                               KEY_ALL_ACCESS, nullptr, &key.h, nullptr) == ERROR_SUCCESS;
    }

    bool Put(RegKey hive, const std::string& path, const std::string& name,
             const RegValue& value) override {
        Key key;
        if (RegCreateKeyExW(Hive(hive), win::Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key.h, nullptr) != ERROR_SUCCESS)
            return false;
        std::wstring wideName = win::Wide(name);
        if (IsStringType(value.type)) {
            std::wstring data = win::Wide(value.data);
            size_t units = std::min<size_t>(value.size, data.size());
            return RegSetValueExW(key.h, wideName.c_str(), 0, value.type,
                                  reinterpret_cast<const BYTE*>(data.c_str()),
                                  static_cast<DWORD>(units * sizeof(wchar_t))) == ERROR_SUCCESS;
        }
        return RegSetValueExW(key.h, wideName.c_str(), 0, value.type,
                              reinterpret_cast<const BYTE*>(value.data.data()),
                              static_cast<DWORD>(std::min<size_t>(value.size, value.data.size()))) ==
               ERROR_SUCCESS;
    }

    bool MakeReadOnly(RegKey hive, const std::string& path) override {
        Key key;
        if (RegOpenKeyExW(Hive(hive), win::Wide(path).c_str(), 0, WRITE_DAC, &key.h) !=
            ERROR_SUCCESS)
            return false;
        // Everyone may read; nobody is granted a write right.
        return SetDacl(key.h, L"D:P(A;OICI;KR;;;WD)");
    }

    void RemoveTree(RegKey hive, const std::string& path) override {
        if (path.empty()) return;  // never a whole hive
        std::wstring wide = win::Wide(path);
        GrantAll(Hive(hive), wide);
        RegDeleteTreeW(Hive(hive), wide.c_str());
        RegDeleteKeyW(Hive(hive), wide.c_str());
    }

private:
    Win32Registry registry_;
};
#endif
}  // namespace

std::vector<RegistryBackend> RegistryBackends() {
    std::vector<RegistryBackend> backends;
#ifdef _WIN32
    backends.push_back({"Win32", true, [] { return std::make_unique<Win32World>(); }});
#endif
    backends.push_back({"InMemory", false, [] { return std::make_unique<InMemoryWorld>(); }});
    backends.push_back({"DryRun", false, [] { return std::make_unique<DryRunWorld>(); }});
    if (MakeHiveFileWorld()) backends.push_back({"HiveFile", false, [] { return MakeHiveFileWorld(); }});
    return backends;
}

}  // namespace contract
