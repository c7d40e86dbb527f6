#pragma once
// The two registry views of a 64-bit Windows, as an offline image stores them: what a
// 32-bit program sees of HKLM\SOFTWARE lives below HKLM\SOFTWARE\WOW6432Node, and its
// classes, interfaces and a few media keys below the WOW6432Node key of the classes;
// everything else (file types, ProgIDs, type libraries) the two views share.
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace regview {

// Windows refuses keys nested deeper than this below a hive.
constexpr size_t kMaxKeyDepth = 512;

// The path, below the predefined key `root`, where the 32-bit view keeps `path`.
std::string ThirtyTwoBitPath(RegKey root, std::string_view path);

// HKLM\SOFTWARE\WOW6432Node\Classes is a link to HKLM\SOFTWARE\Classes\WOW6432Node:
// true, with the path through the link's target in `canonical`, when `path` goes
// through the link.
bool ThroughClassesLink(RegKey root, std::string_view path, std::string& canonical);

}  // namespace regview
