#pragma once
#include <windows.h>

#include <vector>

#include "platform/Processes.h"

// CreateProcess with the window shown minimized; the process handles are kept until
// every process has been waited for.
class Win32Processes : public Processes {
public:
    ~Win32Processes() override;
    bool Start(const std::string& commandLine) override;
    bool WaitForAll(uint32_t timeoutMs) override;

private:
    std::vector<HANDLE> running_;
};
