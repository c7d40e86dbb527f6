#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "bench/scan/Memory.h"

namespace {
// A "Name:   1234 kB" line of /proc/self/status.
size_t StatusBytes(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(name);
    while (std::getline(status, line))
        if (line.compare(0, n, name) == 0) return std::stoull(line.substr(n)) * 1024;
    return 0;
}
}  // namespace

size_t ResidentBytes() { return StatusBytes("VmRSS:"); }

bool ResetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";  // resets the peak resident size
    clear.flush();
    return static_cast<bool>(clear);
}

size_t PeakResidentBytes() { return StatusBytes("VmHWM:"); }
