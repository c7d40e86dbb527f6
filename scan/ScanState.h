#pragma once
// State shared by the scan driver, the scanners and the scan command.
#include <cstdint>
#include <string>

class ProgressView;

struct ScanState {
    bool ContinueScan = false;
    bool ScanCancelled = false;
    int32_t ProgressCounter = 0;
    std::string CounterCaption;
    // The progress window of the scan that is running; null outside a scan. Set only by
    // a ScopedBinding that lives as long as the window.
    ProgressView* progress = nullptr;
};
