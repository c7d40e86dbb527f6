#pragma once
// Other programs the program starts: REG for the registry backups.
#include <cstdint>
#include <string>

class Processes {
public:
    virtual ~Processes() = default;
    // Starts a command line without waiting, its window minimized with the focus. False
    // when the program could not be started.
    virtual bool Start(const std::string& commandLine) = 0;
    // Waits until every program started here has ended, at most `timeoutMs`; false when
    // one still runs then.
    virtual bool WaitForAll(uint32_t timeoutMs) = 0;
};
