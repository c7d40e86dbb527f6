#pragma once
// A registry shaped like a Windows SYSTEM hive: ControlSet001 with its services
// (image paths, start types, display names, dependencies, failure actions, security
// descriptors, trigger and parameter subkeys), its Plug and Play devices (hardware
// IDs, driver properties of their own types) and driver classes, beside Select,
// Setup and MountedDevices.
#include <cstddef>
#include <cstdint>

#include "platform/portable/InMemoryRegistry.h"

struct SystemSize {
    size_t keys = 0, values = 0;
    size_t services = 0, devices = 0, driverInstances = 0;
    size_t valueBytes = 0;  // the data as a hive stores it
};

// About `targetKeys` keys below HKLM\SYSTEM, the same ones for the same seed.
SystemSize GenerateSystem(InMemoryRegistry& registry, size_t targetKeys, uint64_t seed);
