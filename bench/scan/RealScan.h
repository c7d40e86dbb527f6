#pragma once
// The scan benchmark on the real registry, in the Windows build (under Wine: the
// benchmark's own prefix). The scanners read fixed places (HKLM\...\Uninstall,
// HKCR\CLSID, the root of HKCR), but the machine is not generated there: it goes
// below one scratch key, HKCU\Software\BrivolexScanBench-<n>\HKLM and \HKCU, and
// the scan runs through RedirectedRegistry, which sends the predefined roots to those
// keys. Every registry call of the scan still goes to the real registry with the
// scanner's own path, and nothing of the machine's real places is touched: the
// scratch key and the files (in C:\BrivolexScanBench-<n>) are removed afterwards,
// also what an earlier run that was stopped midway left behind.
#include <cstddef>

#ifdef BRIVOLEX_BENCH_REAL_REGISTRY
// Prints the figures; false when the scan could not run or the scratch key or folder
// could not be removed.
bool ScanRealRegistry(size_t keys);
#endif
