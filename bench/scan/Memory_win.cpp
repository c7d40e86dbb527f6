#include "bench/scan/Memory.h"

// The Windows build reports no memory figures (the Windows-11 image runs natively).
size_t ResidentBytes() { return 0; }
bool ResetPeakResident() { return false; }
size_t PeakResidentBytes() { return 0; }
