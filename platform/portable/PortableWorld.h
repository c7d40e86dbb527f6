#pragma once
// A whole world without Windows: an in-memory registry, drive letters mapped to host
// folders, INI files, shell links read and written by the program itself, a clock
// that tests can stop, US English formats, the folders an offline image names, and
// message boxes answered from a script.
#include "platform/Platform.h"
#include "platform/portable/InMemoryRegistry.h"
#include "platform/portable/PortableClock.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableProfile.h"
#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/PortableSystemInfo.h"
#include "platform/portable/ScriptedPrompts.h"

class PortableWorld {
public:
    // Message boxes go to `prompts` when given, else to `scriptedPrompts`.
    explicit PortableWorld(Prompts* prompts = nullptr)
        : platform{registry, files,  profile,
                   clock,    locale, system,
                   prompts ? *prompts : scriptedPrompts,
                   links} {}
    PortableWorld(const PortableWorld&) = delete;
    PortableWorld& operator=(const PortableWorld&) = delete;

    InMemoryRegistry registry;
    PortableFileSystem files;
    PortableProfile profile{files};
    PortableClock clock;
    UsEnglishLocale locale;
    PortableSystemInfo system{registry, files};
    ScriptedPrompts scriptedPrompts;
    PortableShellLinks links{files};
    Platform platform;
};
