#pragma once
// State shared by the scan driver, the scanners and the scan command.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class ProgressView;

struct ScanState {
    bool ContinueScan = false;
    bool ScanCancelled = false;
    int32_t ProgressCounter = 0;
    std::string CounterCaption;
    // The progress window of the scan that is running; null outside a scan. Set only by
    // a ScopedBinding that lives as long as the window.
    ProgressView* progress = nullptr;
    // The drive type of each root asked during the scan sequence that is running, so
    // that each root is asked once per scan. Kept only while KeepDriveTypes is on (set
    // and cleared, with the list emptied, by the scan sequence).
    bool KeepDriveTypes = false;
    std::vector<std::pair<std::string, uint32_t>> DriveTypes;
};
