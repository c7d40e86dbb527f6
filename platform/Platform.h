#pragma once
// The platform services one world offers the program: the real Windows machine
// (platform/win32), or an offline image or test world (platform/portable).
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/ShellLinks.h"
#include "platform/SystemInfo.h"

struct Platform {
    Registry& registry;
    FileSystem& files;
    Profile& profile;
    Clock& clock;
    Locale& locale;
    SystemInfo& system;
    Prompts& prompts;
    ShellLinks& links;
};
