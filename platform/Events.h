#pragma once
// Where long loops let the window system process pending events. The Win32 windows
// pump messages here, the console polls for Ctrl-C, tests record or cancel.
class Events {
public:
    virtual ~Events() = default;
    virtual void DoEvents() = 0;
};

class NoEvents : public Events {
public:
    void DoEvents() override {}
};
