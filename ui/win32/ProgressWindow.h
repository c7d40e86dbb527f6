#pragma once
// The scan progress window (frmProgress): a modal dialog whose first timer tick, 300 ms
// after it opens, runs the scan. Cancel, Escape and the close box stop the scan; the
// labels are brought up to date each time the message pump runs.
#include <string>

#include "scan/ProgressView.h"
#include "ui/win32/MessagePump.h"
#include "ui/win32/WindowBase.h"

class ProgressWindow : public Dialog, public ProgressView {
public:
    ProgressWindow(App& app, MessagePump& pump) : Dialog(app, "frmProgress"), pump_(pump) {}
    // Shows the window over `owner` and runs the scan in it; returns when it closed.
    void Run(HWND owner);

    void SetWindowCaption(const std::string& text) override;
    void SetCancelCaption(const std::string& text) override;
    bool WantsUpdate() override { return pump_.Due(); }
    void SetItemText(const std::string& text) override;
    void SetCounterText(const std::string& text) override;
    void HideProblems() override;
    void ShowProblems(const std::string& text) override;
    int BarMaximum() const override { return barMaximum_; }
    void SetBarMaximum(int maximum) override;
    int BarValue() const override { return barValue_; }
    void SetBarValue(int value) override;
    void Close() override;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Copies the labels and the bar into the controls.
    void Show();

    MessagePump& pump_;
    std::string item_, counter_, problems_;
    bool problemsShown_ = false, changed_ = false;
    int barMaximum_ = 100, barValue_ = 0;
};
