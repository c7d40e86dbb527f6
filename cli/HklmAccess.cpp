#include "cli/HklmAccess.h"

#include "core/Logs.h"
#include "platform/Registry.h"

std::string HklmAccessProblem(App& app) {
    ScopedRegKey key(app.os.registry);
    int32_t status = key.Open(HKLM, "SOFTWARE", KEY_ALL_ACCESS_);
    if (status == kRegSuccess) return "";
    std::string reason = "error " + std::to_string(status);
    try {
        std::string text = GetSystemErrorText(app, status);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        if (!text.empty()) reason += ": " + text;
    } catch (...) {
        // The number alone then.
    }
    return "HKEY_LOCAL_MACHINE cannot be changed by this account: full access to HKLM\\SOFTWARE "
           "is refused (" +
           reason +
           "); the scan skips its keys and the machine-wide classes of HKEY_CLASSES_ROOT "
           "(start brivolex-cli as an administrator to scan them)";
}
