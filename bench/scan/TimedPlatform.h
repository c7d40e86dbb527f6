#pragma once
// Decorators of the platform interfaces the scan uses (Registry, FileSystem, Profile)
// that time every call into the real backend and count it by what it is for: registry
// operations, file tests, the trace ("app2.log") and problem log ("app3.log") lines,
// language-text reads (profile reads of a file under "\languages\") and the records
// of missing texts ("_missing.txt").
#include <cstdint>

#include "bench/common/BenchSupport.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/Registry.h"

struct Tally {
    uint64_t calls = 0;
    double seconds = 0;
    Tally& operator+=(const Tally& other) {
        calls += other.calls;
        seconds += other.seconds;
        return *this;
    }
};

struct Breakdown {
    // Registry
    Tally open, query, enumKey, enumValue, close, registryOther;
    // File tests
    Tally attributes, openForReading, driveType;
    // Lines appended
    Tally trace, problemLog, appLog, otherLine;
    // Everything else the file system is asked
    Tally fileOther;
    // Profile
    Tally languageRead, missingWrite, profileOther;

    Tally Registry() const;
    Tally FileTests() const;
    Tally Measured() const;  // every call above
};

// Adds the time from its construction to its end, and one call, to a tally.
class TimedCall {
public:
    explicit TimedCall(Tally& tally) : tally_(tally), start_(BenchClock::now()) {}
    ~TimedCall() {
        tally_.seconds += Seconds(start_);
        ++tally_.calls;
    }
    TimedCall(const TimedCall&) = delete;
    TimedCall& operator=(const TimedCall&) = delete;

private:
    Tally& tally_;
    BenchClock::time_point start_;
};

class TimedRegistry : public Registry {
public:
    TimedRegistry(Registry& inner, Breakdown& breakdown) : inner_(inner), b_(breakdown) {}
    int32_t OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey& key) override;
    int32_t QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                       RegValue& value) override;
    int32_t EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name) override;
    int32_t EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                      std::string& name, uint32_t& type) override;
    int32_t CloseKey(RegKey key) override;
    int32_t SetValue(RegKey key, const std::string& name, const RegValue& value) override;
    int32_t DeleteValue(RegKey key, const std::string& name) override;
    int32_t DeleteKey(RegKey key, const std::string& name) override;

private:
    Registry& inner_;
    Breakdown& b_;
};

class TimedFileSystem : public FileSystem {
public:
    TimedFileSystem(FileSystem& inner, Breakdown& breakdown) : inner_(inner), b_(breakdown) {}
    bool GetAttributes(const std::string& path, uint32_t& attributes) override;
    bool CanOpenForReading(const std::string& path) override;
    uint32_t QueryDriveType(const std::string& root) override;
    bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries) override;
    bool GetLastAccessTime(const std::string& path, DateTime& time) override;
    bool GetFolderId(const std::string& folder, FolderId& id) override;
    bool ExistenceUnknown(const std::string& path) override;
    bool AppendLine(const std::string& path, const std::string& text) override;
    bool CreateEmpty(const std::string& path) override;
    bool WriteAnsiText(const std::string& path, const std::string& text) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    bool WriteFile(const std::string& path, const std::string& bytes) override;

private:
    FileSystem& inner_;
    Breakdown& b_;
};

class TimedProfile : public Profile {
public:
    TimedProfile(Profile& inner, Breakdown& breakdown) : inner_(inner), b_(breakdown) {}
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& path,
                          uint32_t capacity) override;
    int32_t WriteString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) override;

private:
    Profile& inner_;
    Breakdown& b_;
};
