#pragma once
// The scan progress of the console: one live line on a terminal (counter, problems so
// far, current item), nothing when stderr is not a terminal. Ctrl-C cancels the scan
// as the Cancel button does.
#include <chrono>
#include <string>

#include "platform/Events.h"
#include "scan/ProgressView.h"

struct App;

class ConsoleProgress : public ProgressView, public Events {
public:
    ConsoleProgress(App& app, bool live);

    void SetWindowCaption(const std::string&) override {}
    void SetCancelCaption(const std::string&) override {}
    // Only a live line is drawn, at most every 80 ms.
    bool WantsUpdate() override;
    void SetItemText(const std::string& text) override;
    void SetCounterText(const std::string& text) override;
    void HideProblems() override { problems_.clear(); }
    void ShowProblems(const std::string& text) override { problems_ = text; }
    int BarMaximum() const override { return barMaximum_; }
    void SetBarMaximum(int maximum) override { barMaximum_ = maximum; }
    int BarValue() const override { return barValue_; }
    void SetBarValue(int value) override { barValue_ = value; }
    void Close() override;

    void DoEvents() override;

private:
    void Redraw(bool force);
    static constexpr std::chrono::milliseconds kRedrawEvery{80};

    App& app_;
    bool live_;
    bool cancelSent_ = false;
    std::string item_, counter_, problems_;
    int barMaximum_ = 100;
    int barValue_ = 0;
    std::chrono::steady_clock::time_point lastDraw_{};
};
