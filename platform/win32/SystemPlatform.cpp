#include "platform/win32/SystemPlatform.h"

#include "platform/win32/CommandLine.h"
#include "platform/win32/WinText.h"

std::string ProgramFolder() {
    std::string path = ProgramPath();
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string ProgramBaseName() {
    std::string path = ProgramPath();
    size_t slash = path.find_last_of('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ProgramArguments() {
    return win::NarrowZ(win::ArgumentsOf(GetCommandLineW()));
}
