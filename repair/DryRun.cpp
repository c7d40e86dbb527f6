#include "repair/DryRun.h"

#include <algorithm>

#include "platform/Text.h"

namespace {

constexpr int32_t kKeyDeleted = 1018;  // ERROR_KEY_DELETED
constexpr uint32_t kSetValueRight = 0x0002;

std::string Join(const std::string& parent, const std::string& path) {
    if (path.empty()) return parent;
    return parent.empty() ? path : parent + "\\" + path;
}

std::string Root(RegKey hive) {
    switch (hive) {
        case HKCR: return "hkcr";
        case HKCU: return "hkcu";
        case HKLM: return "hklm";
        case HKU: return "hku";
        default: return std::to_string(hive);
    }
}

// The names a key has: its own, and for classes the merged view's and the stores'
// (a class deleted through one name is gone through the others).
std::vector<std::string> Aliases(RegKey hive, const std::string& lowerPath) {
    std::vector<std::string> names{Root(hive) + "\\" + lowerPath};
    const std::string classes = "software\\classes";
    if (hive == HKCR) {
        names.push_back("hklm\\" + Join(classes, lowerPath));
        names.push_back("hkcu\\" + Join(classes, lowerPath));
    } else if ((hive == HKLM || hive == HKCU) && lowerPath.starts_with(classes) &&
               (lowerPath.size() == classes.size() || lowerPath[classes.size()] == '\\')) {
        names.push_back("hkcr\\" + lowerPath.substr(std::min(lowerPath.size(), classes.size() + 1)));
    }
    return names;
}

bool HasValue(int32_t status) { return status == kRegSuccess || status == kRegMoreData; }

}  // namespace

DryRunRegistry::Open DryRunRegistry::Resolve(RegKey key) const {
    auto found = open_.find(key);
    if (found != open_.end()) return found->second;
    return Open{key, key, "", KEY_ALL_ACCESS_};  // a hive
}

bool DryRunRegistry::IsDeleted(RegKey hive, const std::string& path) const {
    if (deleted_.empty()) return false;
    for (const std::string& name : Aliases(hive, text::ToLower(path))) {
        // The key, or a key above it (the hive itself is never deleted).
        if (deleted_.count(name)) return true;
        for (size_t cut = name.find('\\', name.find('\\') + 1); cut != std::string::npos;
             cut = name.find('\\', cut + 1))
            if (deleted_.count(name.substr(0, cut))) return true;
    }
    return false;
}

DryRunRegistry::Values* DryRunRegistry::ValuesOf(const Open& key, bool create) {
    std::string name = Root(key.hive) + "\\" + text::ToLower(key.path);
    auto found = values_.find(name);
    if (found != values_.end()) return &found->second;
    return create ? &values_[name] : nullptr;
}

int32_t DryRunRegistry::BaseHasValue(const Open& key, const std::string& name) {
    RegValue ignored;
    return base_.QueryValue(key.base, name, 0, ignored);
}

int32_t DryRunRegistry::OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey& key) {
    if (!pretend_) return base_.OpenKey(parent, path, access, key);
    const Open from = Resolve(parent);
    const std::string full = Join(from.path, path);
    if (IsDeleted(from.hive, full)) return kRegNotFound;
    RegKey opened = 0;
    int32_t status = base_.OpenKey(from.base, path, access, opened);
    if (status != kRegSuccess) return status;
    key = next_++;
    open_[key] = Open{opened, from.hive, full, access};
    return kRegSuccess;
}

int32_t DryRunRegistry::CloseKey(RegKey key) {
    auto found = open_.find(key);
    if (found == open_.end()) return base_.CloseKey(key);
    int32_t status = base_.CloseKey(found->second.base);
    open_.erase(found);
    return status;
}

int32_t DryRunRegistry::QueryValue(RegKey key, const std::string& name, uint32_t capacity, RegValue& value) {
    if (!pretend_) return base_.QueryValue(key, name, capacity, value);
    const Open k = Resolve(key);
    if (IsDeleted(k.hive, k.path)) return kKeyDeleted;
    if (Values* values = ValuesOf(k, false)) {
        auto change = values->changes.find(text::ToLower(name));
        if (change != values->changes.end()) {
            if (!change->second) return kRegNotFound;
            value.type = change->second->type;
            value.size = change->second->size;
            if (value.size > capacity) {
                value.data.clear();
                return kRegMoreData;
            }
            value.data = change->second->data;
            return kRegSuccess;
        }
    }
    return base_.QueryValue(k.base, name, capacity, value);
}

int32_t DryRunRegistry::EnumKey(RegKey key, uint32_t index, uint32_t nameCapacity, std::string& name) {
    if (!pretend_) return base_.EnumKey(key, index, nameCapacity, name);
    const Open k = Resolve(key);
    if (IsDeleted(k.hive, k.path)) return kKeyDeleted;
    uint32_t visible = 0;
    for (uint32_t at = 0;; ++at) {
        int32_t status = base_.EnumKey(k.base, at, nameCapacity, name);
        if (status != kRegSuccess && status != kRegMoreData) return status;
        // A name too long to be read cannot have been deleted by name.
        if (status == kRegSuccess && IsDeleted(k.hive, Join(k.path, name))) continue;
        if (visible++ == index) return status;
    }
}

int32_t DryRunRegistry::EnumValue(RegKey key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity,
                                  std::string& name, uint32_t& type) {
    if (!pretend_) return base_.EnumValue(key, index, nameCapacity, dataCapacity, name, type);
    const Open k = Resolve(key);
    if (IsDeleted(k.hive, k.path)) return kKeyDeleted;
    Values* values = ValuesOf(k, false);
    uint32_t visible = 0;
    for (uint32_t at = 0;; ++at) {
        int32_t status = base_.EnumValue(k.base, at, nameCapacity, dataCapacity, name, type);
        if (status == kRegNoMoreItems) break;
        if (status != kRegSuccess && status != kRegMoreData) return status;
        if (values && status == kRegSuccess) {
            auto change = values->changes.find(text::ToLower(name));
            if (change != values->changes.end()) {
                if (!change->second) continue;
                type = change->second->type;
                status = change->second->size > dataCapacity ? kRegMoreData : kRegSuccess;
            }
        }
        if (visible++ == index) return status;
    }
    // The values set that the key did not have come last, as the registry adds them.
    if (values) {
        for (const std::string& added : values->added) {
            const RegValue& value = *values->changes[text::ToLower(added)];
            if (visible++ != index) continue;
            name = added;
            type = value.type;
            return text::CharCount(added) + 1 > nameCapacity || value.size > dataCapacity ? kRegMoreData
                                                                                         : kRegSuccess;
        }
    }
    return kRegNoMoreItems;
}

int32_t DryRunRegistry::SetValue(RegKey key, const std::string& name, const RegValue& value) {
    if (!pretend_) return base_.SetValue(key, name, value);
    const Open k = Resolve(key);
    if (IsDeleted(k.hive, k.path)) return kKeyDeleted;
    if (!(k.access & kSetValueRight)) return kRegAccessDenied;
    Values& values = *ValuesOf(k, true);
    const std::string lower = text::ToLower(name);
    auto change = values.changes.find(lower);
    bool had = change != values.changes.end() ? change->second.has_value() : HasValue(BaseHasValue(k, name));
    bool listed = std::any_of(values.added.begin(), values.added.end(),
                              [&](const std::string& n) { return text::ToLower(n) == lower; });
    if (!had && !listed) values.added.push_back(name);
    RegValue stored = value;
    // As the registry does: a text counted to its end is stored with its NUL.
    if (IsStringType(value.type) && value.size == text::Utf8ToUtf16(value.data).size()) {
        stored.data += '\0';
        ++stored.size;
    }
    values.changes[lower] = stored;
    return kRegSuccess;
}

int32_t DryRunRegistry::DeleteValue(RegKey key, const std::string& name) {
    if (!pretend_) return base_.DeleteValue(key, name);
    const Open k = Resolve(key);
    if (IsDeleted(k.hive, k.path)) return kKeyDeleted;
    if (!(k.access & kSetValueRight)) return kRegAccessDenied;
    Values& values = *ValuesOf(k, true);
    const std::string lower = text::ToLower(name);
    auto change = values.changes.find(lower);
    if (change != values.changes.end()) {
        if (!change->second) return kRegNotFound;
    } else {
        int32_t status = BaseHasValue(k, name);
        if (!HasValue(status)) return status;
    }
    std::erase_if(values.added, [&](const std::string& n) { return text::ToLower(n) == lower; });
    values.changes[lower] = std::nullopt;
    return kRegSuccess;
}

int32_t DryRunRegistry::DeleteKey(RegKey key, const std::string& name) {
    if (!pretend_) return base_.DeleteKey(key, name);
    const Open parent = Resolve(key);
    const std::string full = Join(parent.path, name);
    RegKey child = 0;
    int32_t status = OpenKey(key, name, KEY_ALL_ACCESS_, child);
    if (status != kRegSuccess) return status;
    std::string ignored;
    status = EnumKey(child, 0, 512, ignored);
    CloseKey(child);
    if (status == kRegSuccess || status == kRegMoreData) return kRegAccessDenied;  // it has subkeys
    deleted_.insert(Root(parent.hive) + "\\" + text::ToLower(full));
    return kRegSuccess;
}

std::string DryRunFiles::Lower(const std::string& path) {
    std::string lower = text::ToLower(path);
    while (lower.size() > 3 && (lower.back() == '\\' || lower.back() == '/')) lower.pop_back();
    return lower;
}

bool DryRunFiles::Hidden(const std::string& path) const {
    if (hidden_.empty()) return false;
    const std::string lower = Lower(path);
    if (hidden_.count(lower)) return true;
    for (size_t cut = lower.find_first_of("\\/"); cut != std::string::npos; cut = lower.find_first_of("\\/", cut + 1))
        if (hidden_.count(lower.substr(0, cut))) return true;
    return false;
}

bool DryRunFiles::GetAttributes(const std::string& path, uint32_t& attributes) {
    return !Hidden(path) && base_.GetAttributes(path, attributes);
}
bool DryRunFiles::CanOpenForReading(const std::string& path) {
    return !Hidden(path) && base_.CanOpenForReading(path);
}
bool DryRunFiles::ListFolder(const std::string& folder, std::vector<DirEntry>& entries) {
    if (Hidden(folder) || !base_.ListFolder(folder, entries)) return false;
    const char separator = folder.find('\\') != std::string::npos || folder.find('/') == std::string::npos ? '\\' : '/';
    std::erase_if(entries, [&](const DirEntry& entry) {
        return entry.name != "." && entry.name != ".." && Hidden(folder + separator + entry.name);
    });
    return true;
}
bool DryRunFiles::GetLastAccessTime(const std::string& path, DateTime& time) {
    return !Hidden(path) && base_.GetLastAccessTime(path, time);
}
bool DryRunFiles::GetFileStamp(const std::string& path, FileStamp& stamp) {
    return !Hidden(path) && base_.GetFileStamp(path, stamp);
}
bool DryRunFiles::GetFolderId(const std::string& folder, FolderId& id) {
    return !Hidden(folder) && base_.GetFolderId(folder, id);
}
bool DryRunFiles::ExistenceUnknown(const std::string& path) {
    return !Hidden(path) && base_.ExistenceUnknown(path);
}
bool DryRunFiles::AppendLine(const std::string& path, const std::string& text) {
    return MayWrite(path) && base_.AppendLine(path, text);
}
bool DryRunFiles::CreateEmpty(const std::string& path) { return MayWrite(path) && base_.CreateEmpty(path); }
bool DryRunFiles::WriteAnsiText(const std::string& path, const std::string& text) {
    return MayWrite(path) && base_.WriteAnsiText(path, text);
}
bool DryRunFiles::ReadFile(const std::string& path, std::string& bytes) {
    return !Hidden(path) && base_.ReadFile(path, bytes);
}
bool DryRunFiles::WriteFile(const std::string& path, const std::string& bytes) {
    return MayWrite(path) && base_.WriteFile(path, bytes);
}

bool DryRunBin::Recycle(const std::string& path) {
    uint32_t attributes = 0;
    if (!files_.GetAttributes(path, attributes)) return false;
    files_.Hide(path);
    return true;
}

bool DryRunLinks::Retarget(const std::string& path, const std::string&, ShellLinkError& error) {
    ShellLinkInfo info;
    if (!base_.Read(path, info, error)) return false;
    uint32_t attributes = 0;
    if (files_.GetAttributes(path, attributes) && (attributes & kAttrReadOnly)) {
        error = {static_cast<int32_t>(0x80070005u), "Access is denied."};
        return false;
    }
    return true;
}
