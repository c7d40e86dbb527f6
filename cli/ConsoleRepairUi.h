#pragma once
// The repair's questions and progress on the console. A delete error is printed and
// the problem skipped; where a moved file is found more than once, the choice is the
// first find, a skip, or the user's answer to a prompt; the live line shows the
// problem being worked on. Ctrl-C stops the run after the current problem, as
// Cancel does.
#include <chrono>
#include <string>

#include "platform/Events.h"
#include "repair/RepairUi.h"

class ConsoleRepairUi : public RepairUi, public Events {
public:
    enum class Choice { First, Skip, Ask };
    ConsoleRepairUi(Choice choice, bool live) : choice_(choice), live_(live) {}

    bool ShowDeleteError(const std::string& message, const std::string& caption) override;
    std::string SelectPath(const std::string& info, const std::vector<std::string>& candidates) override;
    void ShowRepairItem(const std::string& text) override;
    void ShowRepairStatus(const std::string& text) override;
    void AdvanceBar(int total) override;
    void DoEvents() override;

    // Read between two problems: false once Ctrl-C was pressed.
    const bool& running() const { return running_; }
    void Finish();

private:
    void Redraw(bool force);

    Choice choice_;
    bool live_;
    bool running_ = true;
    int done_ = 0, total_ = 0;
    std::string item_, status_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};
