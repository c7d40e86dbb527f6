#include "bench/scan/TimedPlatform.h"

#include "platform/Text.h"

namespace {

bool EndsWithNoCase(const std::string& path, std::string_view tail) {
    return path.size() >= tail.size() &&
           text::EqualsNoCase(std::string_view(path).substr(path.size() - tail.size()), tail);
}

bool IsLanguageFile(const std::string& path) {
    return text::ToLower(path).find("\\languages\\") != std::string::npos;
}

}  // namespace

Tally Breakdown::Registry() const {
    Tally sum;
    for (const Tally* t : {&open, &query, &enumKey, &enumValue, &close, &registryOther}) sum += *t;
    return sum;
}

Tally Breakdown::FileTests() const {
    Tally sum = attributes;
    sum += openForReading;
    sum += driveType;
    return sum;
}

Tally Breakdown::Measured() const {
    Tally sum = Registry();
    sum += FileTests();
    for (const Tally* t : {&trace, &problemLog, &appLog, &otherLine, &fileOther, &languageRead,
                           &missingWrite, &profileOther})
        sum += *t;
    return sum;
}

// --- registry

int32_t TimedRegistry::OpenKey(RegKey parent, const std::string& path, uint32_t access,
                               RegKey& key) {
    TimedCall t(b_.open);
    return inner_.OpenKey(parent, path, access, key);
}
int32_t TimedRegistry::QueryValue(RegKey key, const std::string& name, uint32_t capacity,
                                  RegValue& value) {
    TimedCall t(b_.query);
    return inner_.QueryValue(key, name, capacity, value);
}
int32_t TimedRegistry::EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity,
                               std::string& name) {
    TimedCall t(b_.enumKey);
    return inner_.EnumKey(key, index, nameCapacity, name);
}
int32_t TimedRegistry::EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity,
                                 uint32_t dataCapacity, std::string& name, uint32_t& type) {
    TimedCall t(b_.enumValue);
    return inner_.EnumValue(key, index, nameCapacity, dataCapacity, name, type);
}
int32_t TimedRegistry::CloseKey(RegKey key) {
    TimedCall t(b_.close);
    return inner_.CloseKey(key);
}
int32_t TimedRegistry::SetValue(RegKey key, const std::string& name, const RegValue& value) {
    TimedCall t(b_.registryOther);
    return inner_.SetValue(key, name, value);
}
int32_t TimedRegistry::DeleteValue(RegKey key, const std::string& name) {
    TimedCall t(b_.registryOther);
    return inner_.DeleteValue(key, name);
}
int32_t TimedRegistry::DeleteKey(RegKey key, const std::string& name) {
    TimedCall t(b_.registryOther);
    return inner_.DeleteKey(key, name);
}

// --- files

bool TimedFileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    TimedCall t(b_.attributes);
    return inner_.GetAttributes(path, attributes);
}
bool TimedFileSystem::CanOpenForReading(const std::string& path) {
    TimedCall t(b_.openForReading);
    return inner_.CanOpenForReading(path);
}
uint32_t TimedFileSystem::QueryDriveType(const std::string& root) {
    TimedCall t(b_.driveType);
    return inner_.QueryDriveType(root);
}
bool TimedFileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& entries) {
    TimedCall t(b_.fileOther);
    return inner_.ListFolder(folder, entries);
}
bool TimedFileSystem::GetLastAccessTime(const std::string& path, DateTime& time) {
    TimedCall t(b_.fileOther);
    return inner_.GetLastAccessTime(path, time);
}
bool TimedFileSystem::GetFolderId(const std::string& folder, FolderId& id) {
    TimedCall t(b_.fileOther);
    return inner_.GetFolderId(folder, id);
}
bool TimedFileSystem::ExistenceUnknown(const std::string& path) {
    TimedCall t(b_.openForReading);
    return inner_.ExistenceUnknown(path);
}
bool TimedFileSystem::AppendLine(const std::string& path, const std::string& line) {
    Tally& tally = EndsWithNoCase(path, "\\app2.log")   ? b_.trace
                   : EndsWithNoCase(path, "\\app3.log") ? b_.problemLog
                   : EndsWithNoCase(path, "\\app.log")  ? b_.appLog
                                                        : b_.otherLine;
    TimedCall t(tally);
    return inner_.AppendLine(path, line);
}
bool TimedFileSystem::CreateEmpty(const std::string& path) {
    TimedCall t(b_.fileOther);
    return inner_.CreateEmpty(path);
}
bool TimedFileSystem::WriteAnsiText(const std::string& path, const std::string& line) {
    TimedCall t(b_.fileOther);
    return inner_.WriteAnsiText(path, line);
}
bool TimedFileSystem::ReadFile(const std::string& path, std::string& bytes) {
    TimedCall t(b_.fileOther);
    return inner_.ReadFile(path, bytes);
}
bool TimedFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    TimedCall t(b_.fileOther);
    return inner_.WriteFile(path, bytes);
}

// --- profile

std::string TimedProfile::GetString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path,
                                    uint32_t capacity) {
    TimedCall t(IsLanguageFile(path) ? b_.languageRead : b_.profileOther);
    return inner_.GetString(section, key, defaultValue, path, capacity);
}
int32_t TimedProfile::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value, const std::string& path) {
    TimedCall t(EndsWithNoCase(path, "\\_missing.txt") ? b_.missingWrite : b_.profileOther);
    return inner_.WriteString(section, key, value, path);
}
