#pragma once
// The process's memory as the host counts it, for the peak memory of a scan.
#include <cstddef>

// Resident bytes now; 0 when the host does not say.
size_t ResidentBytes();
// Starts counting the peak again from now; false when the host cannot.
bool ResetPeakResident();
// The most resident bytes since the last reset (or the start); 0 when unknown.
size_t PeakResidentBytes();
