#pragma once
// The program that is running, as the program addresses paths (a Windows path in the
// Windows build).
#include <string>

// The folder that holds the running program's file, without a trailing separator.
std::string RunningProgramFolder();
