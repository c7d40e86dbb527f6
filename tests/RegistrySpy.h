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

#define SPIED(Method, Params, args, note, ...)                                          \
    int32_t Method Params override {                                                    \
        Note(note);                                                                     \
        return __VA_ARGS__ inner_.Method args;                                          \
    }
    SPIED(OpenKey, (RegKey parent, const std::string& path, uint32_t access, RegKey& key),
          (parent, path, access, key), "open " + path)
    SPIED(QueryValue, (RegKey key, const std::string& name, uint32_t capacity, RegValue& value),
          (key, name, capacity, value), "query " + name)
    SPIED(EnumKey, (RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name),
          (key, index, nameCapacity, name), "enum " + std::to_string(index))
    SPIED(EnumValue,
          (RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
           std::string& name, uint32_t& type),
          (key, index, nameCapacity, dataCapacity, name, type),
          "enumvalue " + std::to_string(index))
    SPIED(CloseKey, (RegKey key), (key), "close")
    SPIED(SetValue, (RegKey key, const std::string& name, const RegValue& value),
          (key, name, value), "set " + name, setStatus != 0 ? setStatus :)
    SPIED(DeleteValue, (RegKey key, const std::string& name), (key, name), "deletevalue " + name)
    SPIED(DeleteKey, (RegKey key, const std::string& name), (key, name), "deletekey " + name)
#undef SPIED
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
