#pragma once
// An offline-image SystemInfo whose answers a test can replace one by one, and an
// application built on it: for the failure paths and boundaries a real system does
// not produce on demand.
#include <functional>

#include "tests/TestSupport.h"

namespace testing_support {

class ScriptedSystemInfo : public PortableSystemInfo {
public:
    using PortableSystemInfo::PortableSystemInfo;

    // Each answer, when set, replaces the image's own.
#define SCRIPTED(Type, Method, field, Params, args)                                      \
    std::function<Type Params> field;                                                   \
    Type Method Params override {                                                        \
        return field ? field args : PortableSystemInfo::Method args;                     \
    }
    SCRIPTED(bool, GetVersion, getVersion, (OsVersionInfo & v), (v))
    SCRIPTED(std::string, SystemDirectory, systemDirectory, (), ())
    SCRIPTED(std::string, WindowsDirectory, windowsDirectory, (), ())
    SCRIPTED(std::string, TempPath, tempPath, (), ())
    SCRIPTED(std::string, ProgramFilesDirectory, programFiles, (), ())
    SCRIPTED(uint32_t, LongPathName, longPathName,
             (const std::string& p, uint32_t c, std::string& r), (p, c, r))
    SCRIPTED(uint32_t, ShortPathName, shortPathName,
             (const std::string& p, uint32_t c, std::string& r), (p, c, r))
    SCRIPTED(bool, FileVersion, fileVersion,
             (const std::string& p, uint32_t& s, FileVersionParts& v), (p, s, v))
    SCRIPTED(FileVersionParts, ProgramVersion, programVersion, (), ())
#undef SCRIPTED
};

// A portable world whose SystemInfo is scripted.
struct ScriptedApp {
    ScratchFolder folder{"app"};
    PortableWorld world;
    ScriptedSystemInfo system{world.registry, world.files};
    Platform platform{world.registry, world.files, world.profile,        world.clock,
                      world.locale,   system,      world.scriptedPrompts, world.links};
    App app{platform, folder.path()};

    std::vector<std::string> Lines(const std::string& name) const {
        return ReadLines(folder.HostFile(name));
    }
};

}  // namespace testing_support
