#pragma once
// The scan progress window as the scan driver and the scanners drive it. The Win32
// progress window, the console and the tests each implement it.
#include <string>

class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void SetItemText(const std::string& text) = 0;     // lbl1
    virtual void SetCounterText(const std::string& text) = 0;  // lblCounter
    // Shows lblProblems with this caption (it starts hidden).
    virtual void ShowProblems(const std::string& text) = 0;
    virtual int BarMaximum() const = 0;
    virtual int BarValue() const = 0;
    virtual void SetBarValue(int value) = 0;
};
