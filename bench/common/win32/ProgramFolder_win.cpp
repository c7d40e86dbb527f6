#include "bench/common/ProgramFolder.h"
#include "platform/win32/SystemPlatform.h"

std::string BenchProgramFolder() {
    return ProgramFolder();
}
