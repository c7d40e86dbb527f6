#pragma once
// The real registry for the contract suite: Win32Registry, with keys laid out and
// removed through advapi32 directly.
#include <memory>

#include "tests/contract/RegistryBackends.h"

namespace testing_support {
std::unique_ptr<contract::RegistryWorld> MakeWin32RegistryWorld();
}
