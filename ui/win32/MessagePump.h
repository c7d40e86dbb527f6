#pragma once
// Where the scan's loops let the window system work: pending messages are dispatched
// (dialog keys included), at most every 30 ms, so that a scan of 100,000 items does not
// spend its time repainting, while a click on Cancel still arrives within that time.
// WM_QUIT is put back for the loop that owns it.
#include <windows.h>

#include <functional>

#include "platform/Events.h"

class MessagePump : public Events {
public:
    static constexpr ULONGLONG kInterval = 30;
    void DoEvents() override;
    // Whether the next DoEvents makes a pass: what is shown only at a pass need not be
    // prepared before then.
    bool Due() const { return GetTickCount64() - last_ >= kInterval; }
    // Runs before each pass: windows bring their labels up to date here.
    std::function<void()> beforePass;

private:
    ULONGLONG last_ = 0;
};
