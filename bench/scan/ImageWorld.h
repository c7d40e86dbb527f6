#pragma once
// An offline image as the console scans one: the program's files on the host, the
// image's drive C: in a folder of its own, the registry in memory.
#include <string>

#include "platform/Platform.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/PortableClock.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/PortableSystemInfo.h"
#include "platform/portable/ScriptedPrompts.h"
#include "platform/portable/SplitFileSystem.h"

struct ImageWorld {
    explicit ImageWorld(const std::string& appFolder) : split(appFolder, hostFiles, imageFiles) {}
    ImageWorld(const ImageWorld&) = delete;
    ImageWorld& operator=(const ImageWorld&) = delete;

    InMemoryRegistry registry;
    PortableFileSystem hostFiles;
    PortableFileSystem imageFiles;
    SplitFileSystem split;
    PortableProfile profile{split};
    PortableClock clock;
    UsEnglishLocale locale;
    PortableSystemInfo system{registry, split};
    ScriptedPrompts prompts;
    PortableShellLinks links{split};
    Platform platform{registry, split, profile, clock, locale, system, prompts, links};
};
