#pragma once
// A machine on which a repair only pretends. Reads reach the real registry, files and
// shortcuts; changes are kept aside and seen by the reads that follow them, so a dry
// run meets what the real run would meet (a key deleted with its parent is gone for
// the next problem too) and decides as it would. Nothing is written but the files
// allowed (the trace).
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/RecycleBin.h"
#include "platform/Registry.h"
#include "platform/ShellLinks.h"

class DryRunRegistry : public Registry {
public:
    explicit DryRunRegistry(Registry& base) : base_(base) {}
    // Until this is called every call goes through unchanged; call it while no key is
    // open.
    void Pretend() { pretend_ = true; }
    // Drops every change pretended so far: reads see the registry below as it is.
    void Forget() {
        deleted_.clear();
        values_.clear();
    }

    int32_t OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey& key) override;
    int32_t QueryValue(RegKey key, const std::string& name, uint32_t capacity, RegValue& value) override;
    int32_t EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name) override;
    int32_t EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                      std::string& name, uint32_t& type) override;
    int32_t CloseKey(RegKey key) override;
    int32_t SetValue(RegKey key, const std::string& name, const RegValue& value) override;
    int32_t DeleteValue(RegKey key, const std::string& name) override;
    int32_t DeleteKey(RegKey key, const std::string& name) override;

private:
    struct Open {
        RegKey base = 0;
        RegKey hive = 0;
        std::string path;  // below the hive, as opened
        uint32_t access = 0;
    };
    // A key's pretended values: changed (a value) or deleted (none), by lower-case name,
    // and the names of values it did not have, in the order they were set.
    struct Values {
        std::map<std::string, std::optional<RegValue>> changes;
        std::vector<std::string> added;
    };
    Open Resolve(RegKey key) const;
    bool IsDeleted(RegKey hive, const std::string& path) const;
    Values* ValuesOf(const Open& key, bool create);
    int32_t BaseHasValue(const Open& key, const std::string& name);

    Registry& base_;
    bool pretend_ = false;
    std::unordered_map<RegKey, Open> open_;
    RegKey next_ = 0x40000000u;
    std::set<std::string> deleted_;  // "hive\path" of deleted keys, lower case
    std::map<std::string, Values> values_;
};

class DryRunFiles : public FileSystem {
public:
    explicit DryRunFiles(FileSystem& base) : base_(base) {}
    // From now on only the files named here are written.
    void AllowWritesOnlyTo(std::set<std::string> paths) {
        blockWrites_ = true;
        writable_.clear();
        for (const std::string& path : paths) writable_.insert(Lower(path));
    }
    // The file or folder counts as gone, with everything below it.
    void Hide(const std::string& path) { hidden_.insert(Lower(path)); }
    bool Hidden(const std::string& path) const;

    bool GetAttributes(const std::string& path, uint32_t& attributes) override;
    bool CanOpenForReading(const std::string& path) override;
    uint32_t QueryDriveType(const std::string& root) override { return base_.QueryDriveType(root); }
    bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries) override;
    bool GetLastAccessTime(const std::string& path, DateTime& time) override;
    bool GetFileStamp(const std::string& path, FileStamp& stamp) override;
    bool GetFolderId(const std::string& folder, FolderId& id) override;
    bool ExistenceUnknown(const std::string& path) override;
    bool AppendLine(const std::string& path, const std::string& text) override;
    bool CreateEmpty(const std::string& path) override;
    bool WriteAnsiText(const std::string& path, const std::string& text) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    bool WriteFile(const std::string& path, const std::string& bytes) override;

private:
    static std::string Lower(const std::string& path);
    bool MayWrite(const std::string& path) const { return !blockWrites_ || writable_.count(Lower(path)); }

    FileSystem& base_;
    std::set<std::string> hidden_;
    bool blockWrites_ = false;
    std::set<std::string> writable_;
};

// Recycling hides the file.
class DryRunBin : public RecycleBin {
public:
    explicit DryRunBin(DryRunFiles& files) : files_(files) {}
    bool Recycle(const std::string& path) override;

private:
    DryRunFiles& files_;
};

// A retarget succeeds where the link reads and may be written.
class DryRunLinks : public ShellLinks {
public:
    DryRunLinks(ShellLinks& base, FileSystem& files) : base_(base), files_(files) {}
    bool Read(const std::string& path, ShellLinkInfo& info, ShellLinkError& error) override {
        return base_.Read(path, info, error);
    }
    bool Retarget(const std::string& path, const std::string& newTarget, ShellLinkError& error) override;

private:
    ShellLinks& base_;
    FileSystem& files_;
};

// Options and language texts are read; nothing is written (a write reports success).
class ReadOnlyProfile : public Profile {
public:
    explicit ReadOnlyProfile(Profile& base) : base_(base) {}
    std::string GetString(const std::string& section, const std::string& key, const std::string& defaultValue,
                          const std::string& path, uint32_t capacity) override {
        return base_.GetString(section, key, defaultValue, path, capacity);
    }
    int32_t WriteString(const std::string&, const std::string&, const std::string&, const std::string&) override {
        return 0;
    }

private:
    Profile& base_;
};

// The backup's exports, noted instead of started.
class PlannedExports : public Processes {
public:
    bool Start(const std::string& commandLine) override {
        commandLines.push_back(commandLine);
        return true;
    }
    bool WaitForAll(uint32_t) override { return true; }
    std::vector<std::string> commandLines;
};
