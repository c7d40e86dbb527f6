#include "platform/RunningProgram.h"
#include "platform/win32/SystemPlatform.h"

std::string RunningProgramFolder() { return ProgramFolder(); }
