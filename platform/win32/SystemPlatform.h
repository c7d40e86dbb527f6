#pragma once
// The running Windows machine as the program's platform.
#include "platform/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32Prompts.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ShellLinks.h"
#include "platform/win32/Win32SystemInfo.h"

class SystemPlatform {
public:
    SystemPlatform() : platform{registry, files, profile, clock, locale, system, prompts, links} {}
    SystemPlatform(const SystemPlatform&) = delete;
    SystemPlatform& operator=(const SystemPlatform&) = delete;

    Win32Registry registry;
    Win32FileSystem files;
    Win32Profile profile;
    Win32Clock clock;
    Win32Locale locale;
    Win32SystemInfo system;
    Win32Prompts prompts;
    Win32ShellLinks links;
    Platform platform;
};

// The folder of the running program, without a trailing separator.
std::string ProgramFolder();
// The running program's file name without folder and extension.
std::string ProgramBaseName();
// The command line's argument text, without the program path.
std::string ProgramArguments();
