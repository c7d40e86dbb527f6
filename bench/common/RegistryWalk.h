#pragma once
// A full walk as the scanners make it: open every key below a start key with full
// access, read its default value into the 1024 buffer, enumerate its subkeys.
#include <cstddef>
#include <string>

#include "platform/Registry.h"

struct WalkResult {
    size_t keys = 0;          // keys visited below the start key
    size_t defaultValues = 0;  // of them, those with a default value
};

WalkResult WalkAll(Registry& registry, RegKey hive, const std::string& path);
