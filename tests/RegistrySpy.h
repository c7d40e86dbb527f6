#pragma once
// A registry that passes every call on to another one and writes down the calls that
// matter to ordering tests; it can also make one operation fail with a run-time error.
#include <functional>
#include <string>
#include <vector>

#include "core/Errors.h"
#include "platform/Events.h"
#include "platform/Registry.h"

namespace testing_support {

class RegistrySpy : public Registry, public Events {
public:
    explicit RegistrySpy(Registry& inner) : inner_(inner) {}

    // "open <path>", "enum <index>", "deletekey <name>", "deletevalue <name>",
    // "set <name>", "close", "yield" (from DoEvents), in call order.
    std::vector<std::string> calls;
    // When set, an operation whose call text starts with this throws RuntimeError 5.
    std::string throwOn;
    // When not 0, SetValue fails with this status and writes nothing.
    int32_t setStatus = 0;

    int32_t OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey& key) override {
        Note("open " + path);
        return inner_.OpenKey(parent, path, access, key);
    }
    int32_t QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                       RegValue& value) override {
        Note("query " + name);
        return inner_.QueryValue(key, name, capacity, value);
    }
    int32_t EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name) override {
        Note("enum " + std::to_string(index));
        return inner_.EnumKey(key, index, nameCapacity, name);
    }
    int32_t EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                      std::string& name, uint32_t& type) override {
        Note("enumvalue " + std::to_string(index));
        return inner_.EnumValue(key, index, nameCapacity, dataCapacity, name, type);
    }
    int32_t CloseKey(RegKey key) override {
        Note("close");
        return inner_.CloseKey(key);
    }
    int32_t SetValue(RegKey key, const std::string& name, const RegValue& value) override {
        Note("set " + name);
        return setStatus != 0 ? setStatus : inner_.SetValue(key, name, value);
    }
    int32_t DeleteValue(RegKey key, const std::string& name) override {
        Note("deletevalue " + name);
        return inner_.DeleteValue(key, name);
    }
    int32_t DeleteKey(RegKey key, const std::string& name) override {
        Note("deletekey " + name);
        return inner_.DeleteKey(key, name);
    }
    void DoEvents() override { calls.push_back("yield"); }

    // The calls that start with one of the prefixes, in order.
    std::vector<std::string> Only(std::initializer_list<std::string> prefixes) const {
        std::vector<std::string> out;
        for (const std::string& call : calls)
            for (const std::string& p : prefixes)
                if (call.rfind(p, 0) == 0) {
                    out.push_back(call);
                    break;
                }
        return out;
    }

private:
    void Note(const std::string& call) {
        calls.push_back(call);
        if (!throwOn.empty() && call.rfind(throwOn, 0) == 0) throw RuntimeError(kErrInvalidCall);
    }
    Registry& inner_;
};

}  // namespace testing_support
