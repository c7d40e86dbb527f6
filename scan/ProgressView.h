#pragma once
// The scan progress window as the scan driver and the scanners drive it. The Win32
// progress window, the console and the tests each implement it.
#include <string>

class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void SetWindowCaption(const std::string& text) = 0;
    virtual void SetCancelCaption(const std::string& text) = 0;
    // Whether an update made now would be shown: the scan builds the item, counter and
    // problem texts only when it would. The counter counts every item either way.
    virtual bool WantsUpdate() { return true; }
    virtual void SetItemText(const std::string& text) = 0;     // lbl1
    virtual void SetCounterText(const std::string& text) = 0;  // lblCounter
    virtual void HideProblems() = 0;                            // lblProblems
    virtual void ShowProblems(const std::string& text) = 0;     // lblProblems, shown
    virtual int BarMaximum() const = 0;
    virtual void SetBarMaximum(int maximum) = 0;
    virtual int BarValue() const = 0;
    virtual void SetBarValue(int value) = 0;
    // Unloads the window at the end of the sequence.
    virtual void Close() = 0;
};
