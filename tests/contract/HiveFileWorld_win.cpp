#include "tests/contract/RegistryBackends.h"

namespace contract {

// This build has no hive loader to test.
std::unique_ptr<RegistryWorld> MakeHiveFileWorld() { return nullptr; }

}  // namespace contract
