#pragma once
// How much of a hive file its cells use. hivex never reuses a cell it freed, so a
// hive it wrote holds every subkey list a key outgrew as free space; Windows reuses
// free cells, and its hives are mostly in use.
#include <cstdint>
#include <string>

struct HiveSpace {
    uint64_t fileBytes = 0, usedBytes = 0, freeBytes = 0;
};

// False when the file cannot be read or its bins do not follow one another.
bool MeasureHiveSpace(const std::string& file, HiveSpace& space);
