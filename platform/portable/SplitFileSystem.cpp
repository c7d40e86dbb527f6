#include "platform/portable/SplitFileSystem.h"

#include "platform/Text.h"

bool SplitFileSystem::IsInside(const std::string& path) const {
    if (folder_.empty() || path.size() <= folder_.size()) return false;
    char next = path[folder_.size()];
    if (next != '\\' && next != '/') return false;
    return text::EqualsNoCase(std::string_view(path).substr(0, folder_.size()), folder_);
}
