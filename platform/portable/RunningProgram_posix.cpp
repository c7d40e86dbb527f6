#include <unistd.h>

#include <climits>

#include "platform/RunningProgram.h"

std::string RunningProgramFolder() {
    char buffer[PATH_MAX + 1] = {};
    ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<size_t>(n));
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? "." : path.substr(0, cut);
}
