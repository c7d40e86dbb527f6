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
    std::function<bool(OsVersionInfo&)> getVersion;
    std::function<std::string()> systemDirectory, windowsDirectory, tempPath, programFiles;
    std::function<uint32_t(const std::string&, uint32_t, std::string&)> longPathName, shortPathName;
    std::function<bool(const std::string&, uint32_t&, FileVersionParts&)> fileVersion;
    std::function<FileVersionParts()> programVersion;

    bool GetVersion(OsVersionInfo& v) override {
        return getVersion ? getVersion(v) : PortableSystemInfo::GetVersion(v);
    }
    std::string SystemDirectory() override {
        return systemDirectory ? systemDirectory() : PortableSystemInfo::SystemDirectory();
    }
    std::string WindowsDirectory() override {
        return windowsDirectory ? windowsDirectory() : PortableSystemInfo::WindowsDirectory();
    }
    std::string TempPath() override {
        return tempPath ? tempPath() : PortableSystemInfo::TempPath();
    }
    std::string ProgramFilesDirectory() override {
        return programFiles ? programFiles() : PortableSystemInfo::ProgramFilesDirectory();
    }
    uint32_t LongPathName(const std::string& p, uint32_t c, std::string& r) override {
        return longPathName ? longPathName(p, c, r) : PortableSystemInfo::LongPathName(p, c, r);
    }
    uint32_t ShortPathName(const std::string& p, uint32_t c, std::string& r) override {
        return shortPathName ? shortPathName(p, c, r) : PortableSystemInfo::ShortPathName(p, c, r);
    }
    bool FileVersion(const std::string& p, uint32_t& size, FileVersionParts& v) override {
        return fileVersion ? fileVersion(p, size, v) : PortableSystemInfo::FileVersion(p, size, v);
    }
    FileVersionParts ProgramVersion() override {
        return programVersion ? programVersion() : PortableSystemInfo::ProgramVersion();
    }
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
