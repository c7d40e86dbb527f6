#pragma once
// The scanners read fixed places: HKLM\...\Uninstall, HKCR\CLSID, the root of HKCR.
// To scan generated keys in a real registry without writing a single key to those
// places, this registry sends the predefined roots to keys below one scratch key:
// HKLM to <scratch>\HKLM, HKCU to <scratch>\HKCU, and HKCR to
// <scratch>\HKLM\SOFTWARE\Classes (as Wine keeps HKCR, without the per-user classes).
// The roots are opened once; every other call goes to the real registry unchanged,
// with the scanner's own key paths, so that each call costs what it costs there.
#include <string>

#include "platform/Registry.h"

class RedirectedRegistry : public Registry {
public:
    RedirectedRegistry(Registry& inner, RegKey scratchHive, const std::string& scratch);
    ~RedirectedRegistry() override;
    RedirectedRegistry(const RedirectedRegistry&) = delete;
    RedirectedRegistry& operator=(const RedirectedRegistry&) = delete;

    // Whether the scratch roots could be opened.
    bool IsOpen() const { return open_; }

    int32_t OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey& key) override;
    int32_t QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                       RegValue& value) override;
    int32_t EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name) override;
    int32_t EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                      std::string& name, uint32_t& type) override;
    int32_t CloseKey(RegKey key) override;
    int32_t SetValue(RegKey key, const std::string& name, const RegValue& value) override;
    int32_t DeleteValue(RegKey key, const std::string& name) override;
    int32_t DeleteKey(RegKey key, const std::string& name) override;

private:
    // The key a predefined root stands for; `key` itself for other keys.
    int32_t Redirect(RegKey key, RegKey& to) const;
    Registry& inner_;
    RegKey machine_ = 0, user_ = 0, classes_ = 0;
    bool open_ = false;
};
