#pragma once
// The folder of the running benchmark program, as the program addresses paths
// (a Windows path in the Windows build), without a trailing separator.
#include <string>

std::string BenchProgramFolder();
