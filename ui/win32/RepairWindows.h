#pragma once
// The repair's windows: the options dialog (frmRepairOptions), the progress window
// that runs the repair (frmRepairProgress), and the two questions the run may ask,
// the path selection (frmRepairSelectPath) and the delete error (frmDeleteError).
#include <string>
#include <vector>

#include "repair/RepairRun.h"
#include "repair/RepairUi.h"
#include "ui/RepairOptionsForm.h"
#include "ui/win32/WindowBase.h"

class RepairOptionsDialog : public Dialog {
public:
    explicit RepairOptionsDialog(App& app) : Dialog(app, "frmRepairOptions") {}

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    RepairOptionsModel m_;
};

class RepairProgressWindow : public Dialog, public RepairUi {
public:
    RepairProgressWindow(App& app, RecycleBin& bin, std::vector<RepairRow> rows)
        : Dialog(app, "frmRepairProgress"), context_{app, bin, *this}, rows_(std::move(rows)) {}

    bool ShowDeleteError(const std::string& message, const std::string& caption) override;
    std::string SelectPath(const std::string& info, const std::vector<std::string>& candidates) override;
    void ShowRepairItem(const std::string& text) override;
    void ShowRepairStatus(const std::string& text) override;
    void AdvanceBar(int total) override;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    RepairContext context_;
    std::vector<RepairRow> rows_;
    bool running_ = false;
};
