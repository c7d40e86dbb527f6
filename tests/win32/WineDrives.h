#pragma once
#include "tests/contract/Backends.h"

namespace contract {

// The drive roots of the Wine test prefix (scripts/wine-prefix) with their types;
// a skip reason instead when not under Wine or when the prefix predates the drives.
DriveSetup WineTestDrives();

}  // namespace contract
