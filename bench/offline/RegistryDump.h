#pragma once
// Every key and value below a key, one line each, to tell whether two loads of the
// same keys hold the same thing.
#include <string>
#include <vector>

#include "platform/Registry.h"

// "key" lines, and "key|name|type|size|data" lines for its values (the data as
// stored), in enumeration order.
std::vector<std::string> DumpRegistry(Registry& registry, RegKey hive, const std::string& path);
